// Debian's Firefox ESR with the built extension as a temporary add-on, driven by puppeteer-core
// over WebDriver BiDi, in a private session: the host manifest lies in the session's home, where
// Firefox looks for it (~/.mozilla/native-messaging-hosts), and the host it starts inherits the
// session's environment (bus, hive, display).
//
// Firefox gives no protocol access to an extension's background page. The browser's own window
// can be scripted, though (--remote-allow-system-access): there the tests open one of the
// extension's files in a tab, an extension page that reaches the background through
// runtime.getBackgroundPage(), and read and click Firefox's real context menu.
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { ExtensionBrowser, HOST_NAME, installHost } from './extension_browser.mjs';
import { programs } from './programs.mjs';

const EXTENSION_ID = 'quillbrook@fernhollow.org';
// Fixed in every profile, so that the extension's pages have a known address.
const EXTENSION_UUID = '3f1b1a70-1c1e-4c5a-9b55-6b3c0e6c7a11';
const EXTENSION_ORIGIN = `moz-extension://${EXTENSION_UUID}/`;
// How Firefox names the extension's elements in its context menu.
const MENU_ITEM_PREFIX = `${EXTENSION_ID.replace(/[^a-z0-9_-]/g, '_')}-menuitem-`;
const MENU_TIMEOUT_MS = 10000;

// Writes the host manifest into the home's Mozilla folder: by the host's own install for the
// session's browser, or by its one-manifest install for a browser of its own profile.
function installFirefoxHost(env, ownProfile) {
  const folder = path.join(env.HOME, '.mozilla', 'native-messaging-hosts');
  return installHost(env, ownProfile ? ['--install-to', folder, '--browser', 'firefox'] : ['--install'],
                     path.join(folder, `${HOST_NAME}.json`),
                     (manifest) => manifest.allowed_extensions?.includes(EXTENSION_ID));
}

// Runs in Firefox's window: waits for the context menu to open and answers the extension's lines
// on it ({ label, accessKey, enabled }, a submenu with its `items`). Then chooses the item
// labelled `choose` as a user does, opening its submenu first, or closes the menu.
async function useContextMenu({ prefix, choose, timeout }) {
  const menu = document.getElementById('contentAreaContextMenu');
  // A submenu's popup events bubble up to the menu: only the target's own count.
  const when = (target, type) => new Promise((resolve, reject) => {
    const onEvent = (event) => {
      if (event.target !== target)
        return;
      target.removeEventListener(type, onEvent);
      clearTimeout(timer);
      resolve();
    };
    const timer = setTimeout(() => {
      target.removeEventListener(type, onEvent);
      reject(new Error(`the context menu did not fire ${type}`));
    }, timeout);
    target.addEventListener(type, onEvent);
  });
  if (menu.state !== 'open')
    await when(menu, 'popupshown');
  const ours = (popup) => [...popup.children].filter((element) => element.id.startsWith(prefix) && !element.hidden);
  const line = (element) => {
    const shown = { label: element.getAttribute('label'), accessKey: element.getAttribute('accesskey') ?? '',
                    enabled: !element.disabled };
    const popup = element.localName === 'menu' ? element.querySelector(':scope > menupopup') : null;
    return popup ? { ...shown, items: ours(popup).map(line) } : shown;
  };
  const lines = ours(menu).map(line);
  const closed = when(menu, 'popuphidden');
  const item = choose === null ? null
    : [...menu.querySelectorAll(`menuitem[id^="${prefix}"]`)].find((element) => element.getAttribute('label') === choose);
  if (!item) {
    menu.hidePopup();
    await closed;
    if (choose !== null)
      throw new Error(`no line ${choose} on the context menu: ${JSON.stringify(lines)}`);
    return lines;
  }
  const popup = item.parentNode;
  if (popup !== menu) {
    const opened = when(popup, 'popupshown');
    popup.parentNode.openMenu(true);
    await opened;
  }
  popup.activateItem(item);
  await closed;
  return lines;
}

// The page methods the tests use, named as playwright names them, over puppeteer's frame.
class FirefoxFrame {
  constructor(target, page) {
    this.target = target;
    this.page = page;
  }

  url() {
    return this.target.url();
  }

  title() {
    return this.target.title();
  }

  evaluate(fn, arg) {
    return this.target.evaluate(fn, arg);
  }

  click(selector, options) {
    return this.target.click(selector, options);
  }

  inputValue(selector) {
    return this.target.$eval(selector, (element) => element.value);
  }

  innerText(selector) {
    return this.target.$eval(selector, (element) => element.innerText);
  }

  bringToFront() {
    return this.page.bringToFront();
  }
}

class FirefoxPage extends FirefoxFrame {
  constructor(page) {
    super(page, page);
  }

  get mouse() {
    return this.page.mouse;
  }

  goto(url) {
    return this.page.goto(url);
  }

  frames() {
    return this.page.frames().map((frame) => new FirefoxFrame(frame, this.page));
  }

  close() {
    return this.page.close();
  }
}

export class FirefoxBrowser extends ExtensionBrowser {
  static readsItsMenu = true;

  // As ChromiumBrowser.launch. Firefox reads host manifests from the home, not the profile: a
  // browser without the host has a home of its own.
  static async launch(session, { headless = true, withHost = true, profile: name = null,
                                 extension = programs.extension } = {}) {
    const env = withHost ? session.env
      : { ...session.env, HOME: path.join(session.env.HOME, `firefox-${name ?? 'default'}-home`) };
    const profile = path.join(env.HOME, '.mozilla', 'firefox', name ?? 'default');
    fs.mkdirSync(profile, { recursive: true });
    if (withHost)
      await installFirefoxHost(env, name !== null);
    const browser = await puppeteer.launch({
      browser: 'firefox',
      protocol: 'webDriverBiDi',
      executablePath: programs.firefox,
      headless,
      env,
      userDataDir: profile,
      args: ['--remote-allow-system-access'],
      extraPrefsFirefox: { 'extensions.webextensions.uuids': JSON.stringify({ [EXTENSION_ID]: EXTENSION_UUID }) },
    });
    try {
      if (extension)
        await browser.installExtension(extension);
      const firefox = new FirefoxBrowser(browser);
      await firefox.openExtensionPage();
      return firefox;
    } catch (error) {
      await browser.close();
      throw error;
    }
  }

  constructor(browser) {
    super();
    this.browser = browser;
    this.connection = browser.connection;
    this.window = null;
    this.extensionPage = null;
  }

  async openExtensionPage() {
    const { contexts } = await this.send('browsingContext.getTree', { 'moz:scope': 'chrome' });
    this.window = contexts.find((context) => context.url === 'chrome://browser/content/browser.xhtml')?.context;
    if (!this.window)
      throw new Error(`no browser window among ${JSON.stringify(contexts.map((context) => context.url))}`);
    // Firefox reports an extension page's commit over the protocol, but not its load.
    const committed = new Promise((resolve) => {
      const onCommit = (event) => {
        if (!event.url.startsWith(EXTENSION_ORIGIN))
          return;
        this.connection.off('browsingContext.navigationCommitted', onCommit);
        resolve(event.context);
      };
      this.connection.on('browsingContext.navigationCommitted', onCommit);
    });
    // A tab in the background: the tests' pages stay the active ones.
    await this.call(this.window, (url) => { gBrowser.addTrustedTab(url); }, `${EXTENSION_ORIGIN}icon-16.png`);
    const page = await committed;
    await this.call(page, () => new Promise((resolve) => {
      if (document.readyState === 'complete')
        resolve();
      else
        window.addEventListener('load', () => resolve(), { once: true });
    }));
    this.extensionPage = page;
  }

  async send(method, params) {
    return (await this.connection.send(method, params)).result;
  }

  // Calls `fn` (a function or its source) with `arg` in a browsing context; both travel as JSON.
  async call(context, fn, arg) {
    const answer = await this.send('script.callFunction', {
      functionDeclaration: `async (arg) => JSON.stringify((await (${fn})(JSON.parse(arg))) ?? null)`,
      arguments: [{ type: 'string', value: JSON.stringify(arg ?? null) }],
      target: { context },
      awaitPromise: true,
      resultOwnership: 'none',
    });
    if (answer.type === 'exception')
      throw new Error(answer.exceptionDetails.text);
    return JSON.parse(answer.result.value);
  }

  inBackground(fn, arg) {
    return this.call(this.extensionPage, `async (arg) => {
      const background = await browser.runtime.getBackgroundPage();
      return (${fn})(background.quillbrook, background.browser, arg);
    }`, arg);
  }

  async newPage() {
    return new FirefoxPage(await this.browser.newPage());
  }

  async close() {
    await this.browser.close();
  }

  // Firefox opens its real menu at a right-click: closed again, so that it does not stay open
  // over the next steps.
  async rightClick(page, selector) {
    await super.rightClick(page, selector);
    await this.useContextMenu(null);
  }

  // Right-clicks `selector` in a page or frame; answers the extension's lines on Firefox's menu.
  async readMenu(target, selector) {
    await super.rightClick(target, selector);
    return this.useContextMenu(null);
  }

  // Right-clicks `selector` in a page or frame and chooses the line labelled `label` from
  // Firefox's menu, as a user does; answers the extension's lines on it.
  async chooseFromMenu(target, selector, label) {
    await super.rightClick(target, selector);
    return this.useContextMenu(label);
  }

  useContextMenu(choose) {
    return this.call(this.window, useContextMenu, { prefix: MENU_ITEM_PREFIX, choose, timeout: MENU_TIMEOUT_MS });
  }
}

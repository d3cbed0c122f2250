// Debian's Chromium with the built extension, in a private session: its profile lies in the
// session's home, where `quillbrook-bridge --install` puts the host manifest, and the host it
// starts inherits the session's environment (bus, hive, display).
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { promisify } from 'node:util';
import { chromium } from 'playwright-core';
import { programs } from './programs.mjs';

const run = promisify(execFile);
const HOST_NAME = 'org.fernhollow.quillbrook';
const EXTENSION_ORIGIN = 'chrome-extension://bokigbajffmidppdblbannoobgdmdlld/';

// What Chromium needs on this machine: no sandbox as root, and no network beyond localhost.
const CHROMIUM_FLAGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// Writes the host manifest into the profile: by the host's own install into the user's Chromium
// folder, or by its one-manifest install into another profile.
async function installHost(session, profile) {
  const folder = path.join(profile, 'NativeMessagingHosts');
  const manifest = path.join(folder, `${HOST_NAME}.json`);
  const userProfile = profile === path.join(session.env.XDG_CONFIG_HOME, 'chromium');
  try {
    await run(programs.bridge, userProfile ? ['--install'] : ['--install-to', folder, '--browser', 'chromium'],
              { env: session.env });
  } catch (error) {
    throw new Error(`quillbrook-bridge --install failed: ${error.stderr || error.message}`);
  }
  if (!fs.existsSync(manifest))
    throw new Error(`quillbrook-bridge --install wrote no ${manifest}`);
  const written = JSON.parse(fs.readFileSync(manifest, 'utf8'));
  if (!written.allowed_origins?.includes(EXTENSION_ORIGIN))
    throw new Error(`the host manifest does not allow ${EXTENSION_ORIGIN}`);
}

export class Browser {
  // `profile` names a profile of its own, for a second browser in one session; `withHost: false`
  // leaves the host out of it.
  // `extension: null` loads none on the command line, leaving it to the browser's own set-up.
  static async launch(session, { headless = true, withHost = true, profile: name = 'chromium',
                                 extension = programs.extension } = {}) {
    const profile = path.join(session.env.XDG_CONFIG_HOME, name);
    fs.mkdirSync(profile, { recursive: true });
    if (withHost)
      await installHost(session, profile);
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: programs.chromium,
      headless,
      env: session.env,
      ignoreDefaultArgs: ['--disable-extensions'],
      args: [...CHROMIUM_FLAGS,
             ...(extension ? [`--disable-extensions-except=${extension}`, `--load-extension=${extension}`] : [])],
    });
    const worker = context.serviceWorkers()[0] ?? (await context.waitForEvent('serviceworker'));
    return new Browser(context, worker);
  }

  constructor(context, worker) {
    this.context = context;
    this.worker = worker;
  }

  get extensionId() {
    return new URL(this.worker.url()).host;
  }

  async close() {
    await this.context.close();
  }

  menu() {
    return this.worker.evaluate(() => globalThis.quillbrook.menu());
  }

  // Waits until the menu holds exactly `titles`, in order unless `anyOrder`, and the browser
  // shows it.
  async waitForMenu(titles, { anyOrder = false } = {}) {
    await this.worker.evaluate(async ([wanted, sorted]) => {
      const arranged = (list) => JSON.stringify(sorted ? [...list].sort() : list);
      const same = () => arranged(globalThis.quillbrook.menu().map((item) => item.title)) === arranged(wanted);
      while (!same())
        await globalThis.quillbrook.changed();
      await globalThis.quillbrook.menuUpdated();
    }, [titles, anyOrder]);
  }

  // The command's result from the host, once it has come.
  resultOf(command) {
    return this.worker.evaluate(async (wanted) => {
      const find = () => globalThis.quillbrook.results().find((result) => result.command === wanted);
      while (!find())
        await globalThis.quillbrook.changed();
      return find().hresult;
    }, command);
  }

  // Right-clicks `selector` for real, then clicks the menu item titled `title` the way the menu
  // does; answers the command's number.
  async runCommand(page, selector, title) {
    await page.bringToFront();
    await page.click(selector, { button: 'right' });
    const command = await this.worker.evaluate(async ([wanted, frameId]) => {
      const item = globalThis.quillbrook.menu().find((candidate) => candidate.title === wanted);
      if (!item)
        throw new Error(`no menu item titled ${wanted}`);
      const [tab] = await chrome.tabs.query({ active: true, lastFocusedWindow: true });
      return globalThis.quillbrook.onMenuClicked({ menuItemId: item.id, frameId, editable: true }, tab);
    }, [title, 0]);
    if (!command)
      throw new Error(`the command ${title} did not reach the page`);
    return command;
  }
}

// The line of the browser's menu of kept texts whose title holds `part`, once the host has listed
// it: { menuId, id, title }.
Browser.prototype.waitForRecent = function waitForRecent(part) {
  return this.worker.evaluate(async (wanted) => {
    const find = () => globalThis.quillbrook.recent().find((item) => item.title.includes(wanted));
    while (!find())
      await globalThis.quillbrook.changed();
    return find();
  }, part);
};

// Right-clicks `selector` and chooses the kept text `menuId` from "recent texts"; answers the
// command's number.
Browser.prototype.restoreText = async function restoreText(page, selector, menuId) {
  await page.bringToFront();
  await page.click(selector, { button: 'right' });
  const command = await this.worker.evaluate(async (id) => {
    const [tab] = await chrome.tabs.query({ active: true, lastFocusedWindow: true });
    return globalThis.quillbrook.onMenuClicked({ menuItemId: id, frameId: 0, editable: true }, tab);
  }, menuId);
  if (!command)
    throw new Error(`choosing ${menuId} did not reach the page`);
  return command;
};

// Waits, through the page's own input events, until the element holds `expected`; answers how many
// input events carried it: since the page loaded on the tests' own pages, which record them (so a
// text that arrived before the wait began still counts), else since the wait began.
export function waitForValue(page, selector, expected) {
  return page.evaluate(([wanted, text]) => new Promise((resolve) => {
    const element = document.querySelector(wanted);
    let events = 0;
    const check = () => {
      if (element.value !== text)
        return;
      element.removeEventListener('input', onInput);
      const recorded = (window.inputsSeen ?? []).filter((seen) => seen === text).length;
      resolve(Math.max(events, recorded));
    };
    const onInput = () => {
      ++events;
      check();
    };
    element.addEventListener('input', onInput);
    check();
  }), [selector, expected]);
}

// Debian's Chromium with the built extension, in a private session: its profile lies in the
// session's home, where `quillbrook-bridge --install` puts the host manifest, and the host it
// starts inherits the session's environment (bus, hive, display).
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { ExtensionBrowser, HOST_NAME, installHost } from './extension_browser.mjs';
import { programs } from './programs.mjs';

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
function installChromiumHost(session, profile) {
  const folder = path.join(profile, 'NativeMessagingHosts');
  const userProfile = profile === path.join(session.env.XDG_CONFIG_HOME, 'chromium');
  return installHost(session.env, userProfile ? ['--install'] : ['--install-to', folder, '--browser', 'chromium'],
                     path.join(folder, `${HOST_NAME}.json`),
                     (manifest) => manifest.allowed_origins?.includes(EXTENSION_ORIGIN));
}

export class ChromiumBrowser extends ExtensionBrowser {
  // `profile` names a profile of its own, for a second browser in one session; `withHost: false`
  // leaves the host out of it.
  // `extension: null` loads none on the command line, leaving it to the browser's own set-up.
  static async launch(session, { headless = true, withHost = true, profile: name = null,
                                 extension = programs.extension } = {}) {
    const profile = path.join(session.env.XDG_CONFIG_HOME, name ? `chromium-${name}` : 'chromium');
    fs.mkdirSync(profile, { recursive: true });
    if (withHost)
      await installChromiumHost(session, profile);
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: programs.chromium,
      headless,
      env: session.env,
      ignoreDefaultArgs: ['--disable-extensions'],
      args: [...CHROMIUM_FLAGS,
             ...(extension ? [`--disable-extensions-except=${extension}`, `--load-extension=${extension}`] : [])],
    });
    const worker = context.serviceWorkers()[0] ?? (await context.waitForEvent('serviceworker'));
    return new ChromiumBrowser(context, worker);
  }

  constructor(context, worker) {
    super();
    this.context = context;
    this.worker = worker;
  }

  get extensionId() {
    return new URL(this.worker.url()).host;
  }

  newPage() {
    return this.context.newPage();
  }

  async close() {
    await this.context.close();
  }

  // Evaluated as an expression, so that the function is called in the service worker itself.
  inBackground(fn, arg) {
    return this.worker.evaluate(`(${fn})(globalThis.quillbrook, chrome, ${JSON.stringify(arg ?? null)})`);
  }
}

// What the tests ask of a browser with the extension, whichever browser it is: each
// implementation runs a function in the extension's background (inBackground) and opens pages;
// the rest reads and calls the background's `globalThis.quillbrook` the same way in both.
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import { promisify } from 'node:util';
import { programs } from './programs.mjs';

const run = promisify(execFile);
export const HOST_NAME = 'org.fernhollow.quillbrook';

// Writes the host manifest by running quillbrook-bridge with `args`, and checks that `manifest`
// is there and passes `allows` (the browser's own way of naming the extension).
export async function installHost(env, args, manifest, allows) {
  try {
    await run(programs.bridge, args, { env });
  } catch (error) {
    throw new Error(`quillbrook-bridge ${args.join(' ')} failed: ${error.stderr || error.message}`);
  }
  if (!fs.existsSync(manifest))
    throw new Error(`quillbrook-bridge ${args.join(' ')} wrote no ${manifest}`);
  const written = JSON.parse(fs.readFileSync(manifest, 'utf8'));
  if (!allows(written))
    throw new Error(`the host manifest ${manifest} does not allow this extension`);
}

// The functions given to inBackground run in the background, not here: they get its
// `quillbrook` object, its extension API and `arg`, and their result is copied back as JSON.
export class ExtensionBrowser {
  // Whether the browser's own context menu can be read and clicked from a test (readMenu,
  // chooseFromMenu).
  static readsItsMenu = false;

  menu() {
    return this.inBackground((quillbrook) => quillbrook.menu());
  }

  notice() {
    return this.inBackground((quillbrook) => quillbrook.notice());
  }

  // Waits until the menu holds exactly `titles`, in order unless `anyOrder`, and the browser
  // shows it.
  waitForMenu(titles, { anyOrder = false } = {}) {
    return this.inBackground(async (quillbrook, api, [wanted, sorted]) => {
      const arranged = (list) => JSON.stringify(sorted ? [...list].sort() : list);
      const same = () => arranged(quillbrook.menu().map((item) => item.title)) === arranged(wanted);
      while (!same())
        await quillbrook.changed();
      await quillbrook.menuUpdated();
    }, [titles, anyOrder]);
  }

  // The greyed line shown instead of the commands, once there is one and the browser shows it.
  waitForNotice() {
    return this.inBackground(async (quillbrook) => {
      while (!quillbrook.notice())
        await quillbrook.changed();
      await quillbrook.menuUpdated();
      return quillbrook.notice();
    });
  }

  // Waits until the menu offers its line that opens the configuration dialog; answers the menu.
  waitForConfigurationOffer() {
    return this.inBackground(async (quillbrook) => {
      while (!quillbrook.offersConfiguration())
        await quillbrook.changed();
      await quillbrook.menuUpdated();
      return quillbrook.menu();
    });
  }

  // The command's result from the host, once it has come.
  resultOf(command) {
    return this.inBackground(async (quillbrook, api, wanted) => {
      const find = () => quillbrook.results().find((result) => result.command === wanted);
      while (!find())
        await quillbrook.changed();
      return find().hresult;
    }, command);
  }

  // The line of the browser's menu of kept texts whose title holds `part`, once the host has listed
  // it: { menuId, id, title }.
  waitForRecent(part) {
    return this.inBackground(async (quillbrook, api, wanted) => {
      const find = () => quillbrook.recent().find((item) => item.title.includes(wanted));
      while (!find())
        await quillbrook.changed();
      return find();
    }, part);
  }

  // A real right-click on `selector`, which the content script takes as the command's target.
  async rightClick(page, selector) {
    await page.bringToFront();
    await page.click(selector, { button: 'right' });
  }

  // Calls the menu's click handler for the line `menuItemId` on the active tab's top frame, the
  // way the menu does; answers the command's number, 0 when it did not reach the page.
  clickMenuItem(menuItemId) {
    return this.inBackground(async (quillbrook, api, id) => {
      const [tab] = await api.tabs.query({ active: true, lastFocusedWindow: true });
      return quillbrook.onMenuClicked({ menuItemId: id, frameId: 0, editable: true }, tab);
    }, menuItemId);
  }

  // Right-clicks `selector`, then clicks the menu item titled `title`; answers the command's number.
  async runCommand(page, selector, title) {
    await this.rightClick(page, selector);
    const item = (await this.menu()).find((candidate) => candidate.title === title);
    if (!item)
      throw new Error(`no menu item titled ${title}`);
    const command = await this.clickMenuItem(item.id);
    if (!command)
      throw new Error(`the command ${title} did not reach the page`);
    return command;
  }

  // Right-clicks `selector` and chooses the kept text `menuId` from "recent texts"; answers the
  // command's number.
  async restoreText(page, selector, menuId) {
    await this.rightClick(page, selector);
    const command = await this.clickMenuItem(menuId);
    if (!command)
      throw new Error(`choosing ${menuId} did not reach the page`);
    return command;
  }
}

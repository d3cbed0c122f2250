// The context menu follows the hive while the browser runs.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { describe, test } from 'node:test';
import { Browser, dismissNotice, noticeText } from './support/browser.mjs';
import { TEST_OPTIONS, useBrowserSession } from './support/fixture.mjs';

const fixture = useBrowserSession((session) => session.addMenuItem('&First'));

describe('the context menu', () => {
  test('shows the hive\'s items with their mnemonics removed', TEST_OPTIONS, async () => {
    await fixture.browser.waitForMenu(['First']);
    const [item] = await fixture.browser.menu();
    assert.equal(item.entry, '&First');
  });

  test('an item added while the browser runs appears, and a removed one goes', TEST_OPTIONS, async () => {
    await fixture.session.addMenuItem('Second && &third');
    await fixture.browser.waitForMenu(['First', 'Second & third'], { anyOrder: true });
    await fixture.session.reg('delete', 'HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\&First', '/f');
    await fixture.browser.waitForMenu(['Second & third']);
  });

  test('an entry of another program is shown, and its click answers E_NOTIMPL', TEST_OPTIONS, async () => {
    const titles = (await fixture.browser.menu()).map((item) => item.title);
    const key = 'HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Other program';
    const script = path.join(fixture.session.root, 'other.htm');
    fs.writeFileSync(script, '<script>external.menuArguments.document.title = "changed";</script>\n');
    await fixture.session.reg('add', key, '/ve', '/d', script, '/f');
    await fixture.session.reg('add', key, '/v', 'contexts', '/t', 'REG_DWORD', '/d', '4', '/f');
    await fixture.browser.waitForMenu([...titles, 'Other program'], { anyOrder: true });
    const page = await fixture.browser.newPage();
    await page.goto(fixture.pages.url('/textarea', 'Other'));
    const command = await fixture.browser.runCommand(page, '#box', 'Other program');
    assert.equal(await fixture.browser.resultOf(command) >>> 0, 0x80004001);
    // The user is told in the page, as a failing script once was, in a box that names Quillbrook.
    const told = await noticeText(page);
    assert.match(told, /^Quillbrook\n/);
    assert.ok(told.includes('Quillbrook could not run "Other program" (error 0x80004001).'), told);
    assert.equal(await dismissNotice(page), 0);
    assert.equal(await page.title(), 'Other');
    await page.close();
  });

  // Firefox is given the entry's name itself: its "&" marks the access key and "&&" shows one "&".
  // Several lines of one extension go into a submenu named after it.
  test('the browser\'s own menu shows each entry\'s name with its access key', {
    ...TEST_OPTIONS, skip: !Browser.readsItsMenu && 'this browser\'s menu cannot be read from a test',
  }, async () => {
    const page = await fixture.browser.newPage();
    await page.goto(fixture.pages.url('/textarea', 'Shown'));
    const [submenu, ...rest] = await fixture.browser.readMenu(page, '#box');
    assert.deepEqual(rest, []);
    assert.equal(submenu.label, 'Quillbrook');
    const byLabel = (a, b) => a.label.localeCompare(b.label);
    assert.deepEqual(submenu.items.sort(byLabel), [
      { label: 'Other program', accessKey: '', enabled: true },
      { label: 'Second & third', accessKey: 't', enabled: true },
    ]);
    // A line of the submenu, chosen as a user does, runs its entry.
    await fixture.browser.chooseFromMenu(page, '#box', 'Other program');
    assert.ok((await noticeText(page)).includes('"Other program" (error 0x80004001)'));
    assert.equal(await dismissNotice(page), 0);

    await fixture.session.reg('delete', 'HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt\\Other program', '/f');
    await fixture.browser.waitForMenu(['Second & third']);
    assert.deepEqual(await fixture.browser.readMenu(page, '#box'), [{ label: 'Second & third', accessKey: 't', enabled: true }]);
    await page.close();
  });

  test('without its host the menu says how to set it up instead of showing nothing', TEST_OPTIONS, async () => {
    assert.equal(await fixture.browser.notice(), null);
    const browser = await Browser.launch(fixture.session, { withHost: false, profile: 'without-host' });
    try {
      const notice = await browser.waitForNotice();
      assert.equal(notice, 'Quillbrook cannot reach its helper: install the quillbrook package, or run quillbrook-bridge --install');
      assert.deepEqual(await browser.menu(), []);
      if (Browser.readsItsMenu) {
        const page = await browser.newPage();
        await page.goto(fixture.pages.url('/textarea', 'Unreachable'));
        assert.deepEqual(await browser.readMenu(page, '#box'), [{ label: notice, accessKey: '', enabled: false }]);
      }
    } finally {
      await browser.close();
    }
  });
});

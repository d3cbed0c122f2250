// Commands the server answers with a dialog: Register refusing an element that is no text box,
// and Open File's file dialog. The dialogs are real windows of the server on the X display; a
// helper closes them as a user would.
import assert from 'node:assert/strict';
import { describe, test } from 'node:test';
import { editorPids } from './support/editors.mjs';
import { TEST_OPTIONS, useBrowserSession } from './support/fixture.mjs';
import { ended, firstLine } from './support/private_session.mjs';
import { programs } from './support/programs.mjs';

const LABEL = '&Edit with test editor';
const TITLE = 'Edit with test editor';
const OPEN_FILE = 'Open';
const S_FALSE = 1;

const fixture = useBrowserSession(async (session) => {
  await session.addMenuItem(LABEL);
  await session.registerOpenFile();
});

// Starts the closer for the server's next dialog; answers a promise of the line it printed.
async function closeNextServerDialog() {
  const closer = fixture.session.spawn(programs.closeWindows, [String(await fixture.session.serverPid())],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const lines = [];
  closer.stdout.setEncoding('utf8');
  closer.stdout.on('data', (chunk) => lines.push(...chunk.split('\n').filter(Boolean)));
  assert.equal(await firstLine(closer.stdout, 'the window closer'), 'watching');
  return ended(closer).then(() => {
    assert.equal(closer.exitCode, 0);
    return lines.find((line) => line.startsWith('closed '));
  });
}

describe('commands answered by a dialog', () => {
  test('both items are on the menu', TEST_OPTIONS, async () => {
    await fixture.browser.waitForMenu([TITLE, OPEN_FILE], { anyOrder: true });
  });

  test('an element that is no text box is refused with a message box and no editor', TEST_OPTIONS, async () => {
    const page = await fixture.browser.newPage();
    await page.goto(fixture.pages.url('/contenteditable', 'Rich'));
    const closed = closeNextServerDialog();
    const command = await fixture.browser.runCommand(page, '#box', TITLE);
    assert.equal(await closed, 'closed Quillbrook');
    // The refusal is the service's own answer: Register succeeds once the user has read it.
    assert.equal(await fixture.browser.resultOf(command), 0);
    assert.deepEqual(editorPids(fixture.session.editors), []);
    assert.equal(await page.innerText('#box'), 'Rich text');
    await page.close();
  });

  test('Open File reaches the server, which shows its file dialog; cancelling leaves the box', TEST_OPTIONS, async () => {
    const page = await fixture.browser.newPage();
    await page.goto(fixture.pages.url('/textarea', 'Opening'));
    const closed = closeNextServerDialog();
    const command = await fixture.browser.runCommand(page, '#box', OPEN_FILE);
    assert.match(await closed, /^closed /);
    assert.equal(await fixture.browser.resultOf(command), S_FALSE);
    assert.equal(await page.inputValue('#box'), 'first line\nsecond line');
    await page.close();
  });
});

// Editing sessions from the browser: the command clicked on a text box, the editor's saves
// arriving in the page, and the page's end closing the editor and removing its file.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { describe, test } from 'node:test';
import { Browser, waitForValue } from './support/browser.mjs';
import { editorPids, waitForEditor } from './support/editors.mjs';
import { TEST_OPTIONS, useBrowserSession } from './support/fixture.mjs';
import { readIfThere, whenFolder } from './support/watch.mjs';

const LABEL = 'Edit in &test editor';
const TITLE = 'Edit in test editor';

const fixture = useBrowserSession((session) => session.addMenuItem(LABEL));

async function openPage(kind, title, query) {
  const page = await fixture.browser.newPage();
  await page.goto(fixture.pages.url(kind, title, query));
  return page;
}

// Runs the command on the page's #box and answers the editor the server started.
async function startSession(page, title, browser = fixture.browser) {
  const known = editorPids(fixture.session.editors);
  const command = await browser.runCommand(page, '#box', TITLE);
  const editor = await waitForEditor(fixture.session.editors, title, known);
  assert.equal(await browser.resultOf(command), 0);
  await editor.waitFor('mapped');
  return editor;
}

// The page's end reaches the editor, which is asked to close; its file goes after the delay.
async function expectSessionEnd(editor) {
  await editor.waitFor('close-requested');
  await editor.waitFor('ended');
  await whenFolder(path.dirname(editor.file), () => !fs.existsSync(editor.file), `${editor.file} to be deleted`);
}

describe('a session on a text area', () => {
  test('the menu shows the item from the hive', TEST_OPTIONS, async () => {
    await fixture.browser.waitForMenu([TITLE]);
    assert.deepEqual((await fixture.browser.menu()).map((item) => item.entry), [LABEL]);
  });

  test('saves arrive in the page until the tab closes, then the editor closes and the file goes', TEST_OPTIONS, async () => {
    const page = await openPage('/textarea', 'Notes');
    const editor = await startSession(page, 'Notes');
    assert.equal(fs.readFileSync(editor.file, 'utf8'), 'first line\nsecond line');

    for (const [text, how] of [['one', 'write'], ['two\nlines ü', 'rename'], ['three ✓ — done', 'write']]) {
      editor.save(text, how);
      assert.ok(await waitForValue(page, '#box', text) > 0, `no input event told the page of ${JSON.stringify(text)}`);
    }

    await page.close();
    await expectSessionEnd(editor);
    assert.equal(readIfThere(fixture.session.backup), 'three ✓ — done');
  });
});

describe('texts that break codecs and buses', () => {
  // A text area keeps LF only; the rest travels as it is: a leading U+FEFF, emoji at both ends and
  // next to Japanese, through the page, the host, the bus, the UTF-8 file and back.
  test('every character arrives exactly, in the file and back in the page', TEST_OPTIONS, async () => {
    const page = await openPage('/textarea', 'Hostile');
    const original = '\uFEFF😀 BOM first, café\n日本語の見出し 😀';
    await page.evaluate((text) => { document.querySelector('#box').value = text; }, original);
    const editor = await startSession(page, 'Hostile');
    assert.deepEqual(fs.readFileSync(editor.file), Buffer.from(original, 'utf8'));

    const saved = '\uFEFF😀 saved\n' + '😀'.repeat(1000) + '\n日本語 😀';
    editor.save(saved, 'rename');
    assert.ok(await waitForValue(page, '#box', saved) > 0, 'the saved text did not reach the page whole');
    await page.close();
    await expectSessionEnd(editor);
  });
});

describe('other text boxes and page ends', () => {
  test('a text input is edited like a text area', TEST_OPTIONS, async () => {
    const page = await openPage('/input', 'Subject');
    const editor = await startSession(page, 'Subject');
    assert.equal(fs.readFileSync(editor.file, 'utf8'), 'Hello');
    editor.save('Goodbye');
    await waitForValue(page, '#box', 'Goodbye');
    await page.close();
    await expectSessionEnd(editor);
  });

  test('navigating away ends the session and the next page is never written', TEST_OPTIONS, async () => {
    const page = await openPage('/textarea', 'Leaving');
    const editor = await startSession(page, 'Leaving');
    editor.save('before leaving');
    await waitForValue(page, '#box', 'before leaving');

    await page.goto(fixture.pages.url('/input', 'Arrived'));
    await expectSessionEnd(editor);
    assert.equal(await page.inputValue('#box'), 'Hello');
    await page.close();
  });

  test('two tabs keep their own sessions', TEST_OPTIONS, async () => {
    const alpha = await openPage('/textarea', 'Alpha');
    const alphaEditor = await startSession(alpha, 'Alpha');
    const beta = await openPage('/textarea', 'Beta');
    const betaEditor = await startSession(beta, 'Beta');
    assert.notEqual(alphaEditor.file, betaEditor.file);

    betaEditor.save('for beta');
    await waitForValue(beta, '#box', 'for beta');
    alphaEditor.save('for alpha');
    await waitForValue(alpha, '#box', 'for alpha');
    assert.equal(await beta.inputValue('#box'), 'for beta');

    // Closing one tab ends its session alone.
    await alpha.close();
    await expectSessionEnd(alphaEditor);
    betaEditor.save('beta still edited');
    await waitForValue(beta, '#box', 'beta still edited');
    await beta.close();
    await expectSessionEnd(betaEditor);
  });

  test('closing the browser ends the sessions of all its pages', TEST_OPTIONS, async () => {
    const browser = await Browser.launch(fixture.session, { profile: 'closed' });
    let editors;
    try {
      await browser.waitForMenu([TITLE]);
      editors = [];
      for (const title of ['Closing one', 'Closing two']) {
        const page = await browser.newPage();
        await page.goto(fixture.pages.url('/textarea', title));
        editors.push(await startSession(page, title, browser));
      }
    } finally {
      await browser.close();
    }
    await Promise.all(editors.map(expectSessionEnd));
  });
});

describe('text boxes in frames', () => {
  // Only the browser's own menu tells the extension which frame was right-clicked.
  const options = { ...TEST_OPTIONS, skip: !Browser.readsItsMenu && 'this browser\'s menu cannot be clicked from a test' };
  const cases = [
    { where: 'its page\'s origin', title: 'Framed at home', origin: (pages) => pages.origin },
    { where: 'another site', title: 'Framed abroad', origin: (pages) => pages.otherOrigin },
  ];
  for (const { where, title, origin } of cases) {
    test(`a text area in a frame of ${where} is edited through the browser's menu`, options, async () => {
      const inner = fixture.pages.url('/textarea', title, { origin: origin(fixture.pages) });
      const page = await openPage('/frame', 'Outer page', { src: inner });
      const frame = page.frames().find((candidate) => candidate.url() === inner);
      assert.ok(frame, `no frame of ${inner}`);
      const known = editorPids(fixture.session.editors);
      await fixture.browser.chooseFromMenu(frame, '#box', TITLE);
      // The file is named after the frame's document, not the page's.
      const editor = await waitForEditor(fixture.session.editors, title, known);
      await editor.waitFor('mapped');
      assert.equal(fs.readFileSync(editor.file, 'utf8'), 'first line\nsecond line');
      editor.save('written into the frame');
      assert.ok(await waitForValue(frame, '#box', 'written into the frame') > 0, 'the frame was not told');
      await page.close();
      await expectSessionEnd(editor);
    });
  }
});

describe('texts that cannot reach their page', () => {
  test('a save after the text box left its page is kept, the user is told, and recent texts put it back', TEST_OPTIONS, async () => {
    const told = await fixture.session.recordNotifications();
    const kept = path.join(fixture.session.home, '.local', 'state', 'quillbrook', 'recovered');
    const page = await openPage('/textarea', 'Vanishing');
    const editor = await startSession(page, 'Vanishing');
    editor.save('while it was there');
    await waitForValue(page, '#box', 'while it was there');

    // A single-page application changes its view: the text box leaves the document.
    await page.evaluate(() => document.querySelector('#box').remove());
    editor.save('after it left');
    const keptFile = await whenFolder(kept, () => fs.readdirSync(kept).filter((name) => name.endsWith('.txt'))
      .map((name) => path.join(kept, name)).find((file) => readIfThere(file) === 'after it left'), 'the text to be kept');
    const notice = await whenFolder(path.dirname(told), () => (readIfThere(told) ?? '').split('\n').filter(Boolean)
      .map((line) => JSON.parse(line)).find((line) => line.body.includes('Vanishing')), 'the user to be told');
    assert.ok(notice.body.includes(path.basename(keptFile)), notice.body);

    // Back in one step, in another page's text box.
    const text = await fixture.browser.waitForRecent('after it left');
    const other = await openPage('/input', 'Elsewhere');
    const command = await fixture.browser.restoreText(other, '#box', text.menuId);
    await waitForValue(other, '#box', 'after it left');
    assert.equal(await fixture.browser.resultOf(command), 0);

    await page.close();
    await expectSessionEnd(editor);
    await other.close();
  });
});

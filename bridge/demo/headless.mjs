// The demo without a display: a private Quillbrook (its own bus, hive and X server), headless
// Chromium with the extension on the demo page, and a scripted editor that saves twice. Prints
// what the text area held before and after, then ends everything it started.
//
//   node bridge/demo/headless.mjs
import fs from 'node:fs';
import path from 'node:path';
import { Browser, waitForValue } from '../../tests/browser/support/browser.mjs';
import { waitForEditor } from '../../tests/browser/support/editors.mjs';
import { PrivateSession } from '../../tests/browser/support/private_session.mjs';
import { whenFolder } from '../../tests/browser/support/watch.mjs';
import { startDemoServer } from './server.mjs';

const TITLE = 'Edit with the scripted editor';
const session = await PrivateSession.start({
  prefix: 'quillbrook-demo-',
  settings: { ChangeNotificationSyncDelay: 100, DelayToDeleteTemporaryFile: 500 },
});
const demo = await startDemoServer();
let browser;
try {
  await session.addMenuItem(`&${TITLE}`);
  browser = await Browser.launch(session);
  await browser.waitForMenu([TITLE]);
  console.log(`menu: ${TITLE}`);

  const page = await browser.context.newPage();
  await page.goto(demo.url);
  console.log(`before: ${JSON.stringify(await page.inputValue('#letter'))}`);

  const command = await browser.runCommand(page, '#letter', TITLE);
  const editor = await waitForEditor(session.editors, 'Quillbrook demo');
  // The session is set up once the command has its result; saves are watched from then on.
  const result = await browser.resultOf(command);
  if (result !== 0)
    throw new Error(`the command ended with 0x${(result >>> 0).toString(16)}`);
  await editor.waitFor('mapped');
  console.log(`editor started on ${path.basename(editor.file)}`);

  for (const text of ['Dear editor,\n\nthe first save.\n', 'Dear editor,\n\nthe second save, now with ü and ✓.\n']) {
    editor.save(text);
    await waitForValue(page, '#letter', text);
    console.log(`saved, and the page's echo shows: ${JSON.stringify(await page.innerText('#echo'))}`);
  }
  console.log(`after: ${JSON.stringify(await page.inputValue('#letter'))}`);

  await page.close();
  await editor.waitFor('ended');
  await whenFolder(path.dirname(editor.file), () => !fs.existsSync(editor.file), 'the temporary file to go');
  console.log('tab closed: the editor was asked to close, and its temporary file is gone');
} finally {
  await browser?.close();
  await new Promise((resolve) => demo.server.close(resolve));
  await session.close();
}

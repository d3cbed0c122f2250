// A menu without commands: its one line opens the configuration dialog in the server, as
// Brackenhop opens it, and a user who deleted every command is not given one back.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { TEST_OPTIONS, useBrowserSession } from './support/fixture.mjs';
import { ended, firstLine } from './support/private_session.mjs';
import { programs } from './support/programs.mjs';

// The session has its settings (the account has used Quillbrook) but no command.
const fixture = useBrowserSession();

async function closeNextServerDialog() {
  const closer = fixture.session.spawn(programs.closeWindows, [String(await fixture.session.serverPid())],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  let output = '';
  closer.stdout.setEncoding('utf8');
  closer.stdout.on('data', (chunk) => { output += chunk; });
  assert.equal(await firstLine(closer.stdout, 'the window closer'), 'watching');
  await ended(closer);
  assert.equal(closer.exitCode, 0);
  return output.split('\n').find((line) => line.startsWith('closed '));
}

test('with no command the menu offers the configuration dialog, and its line opens it', TEST_OPTIONS, async () => {
  assert.deepEqual(await fixture.browser.waitForConfigurationOffer(), []);

  // The server runs before the click, so that the closer can watch its windows.
  await fixture.session.createInstance('Quillbrook.Service');
  const page = await fixture.browser.newPage();
  await page.goto(fixture.pages.url('/textarea', 'Configure'));
  await page.bringToFront();
  const closed = closeNextServerDialog();
  const command = await fixture.browser.clickMenuItem('quillbrook-configure');
  assert.ok(command > 0);
  assert.match(await closed, /^closed /);
  assert.equal(await fixture.browser.resultOf(command), 0);
  // No command was added behind the user's back.
  assert.deepEqual(await fixture.browser.menu(), []);
  await page.close();
});

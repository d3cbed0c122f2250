// The installed package as a new user meets it: a home that has never seen Quillbrook, the
// session bus's standard service folders, Debian's Chromium with the installed extension and the
// system-wide host manifest. Nothing here comes from a build tree: the programs are the
// package's, found through the bus and the browser; the editor is the package's notepad.exe
// running a scripted editor named by QUILLBROOK_EDITOR.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { Browser, waitForValue } from '../browser/support/browser.mjs';
import { RECORD_INPUTS } from '../browser/support/pages.mjs';
import { ended, firstLine } from '../browser/support/private_session.mjs';
import { readIfThere, whenFolder } from '../browser/support/watch.mjs';

const INSTALLED_EXTENSION = '/usr/share/quillbrook/extension/chromium';
const FIRST_COMMAND = 'Edit with editor';
const TIMEOUT = { timeout: 90000 };
// Hooks have no limit of their own: a browser that never shows the extension must fail, not hang.
const HOOK_TIMEOUT = { timeout: 90000 };

// An editor that names its file, then saves or ends when the test says so through its FIFO. It
// holds the FIFO open for reading and writing all along: opened afresh for each command, it could
// meet the test's writer of the last command still there, and read the end of the input.
const EDITOR = `#!/bin/sh
folder=$(dirname "$0")
printf '%s\\n' "$1" > "$folder/editing.new" && mv "$folder/editing.new" "$folder/editing"
exec 3<>"$folder/commands"
while read -r command text <&3; do
  case $command in
    save) printf '%s' "$text" > "$1" ;;
    exit) exit 0 ;;
  esac
done
`;

const PAGE = `<!doctype html><title>Installed</title>${RECORD_INPUTS}<textarea id="box">as the page had it</textarea>`;

let root, env, bus, server, url, browser;

before(async () => {
  assert.ok(fs.existsSync('/usr/lib/quillbrook/quillbrook'), 'the quillbrook package is not installed');
  root = fs.mkdtempSync(path.join(os.tmpdir(), 'quillbrook-installed-'));
  const home = path.join(root, 'home');
  const editors = path.join(root, 'editor');
  fs.mkdirSync(home, { mode: 0o700 });
  fs.mkdirSync(editors);
  fs.mkdirSync(path.join(root, 'runtime'), { mode: 0o700 });
  fs.writeFileSync(path.join(editors, 'editor.sh'), EDITOR, { mode: 0o755 });
  execFileSync('mkfifo', [path.join(editors, 'commands')]);
  env = {
    PATH: '/usr/local/bin:/usr/bin:/bin',
    LANG: 'C.UTF-8',
    HOME: home,
    XDG_RUNTIME_DIR: path.join(root, 'runtime'),
    DISPLAY: process.env.DISPLAY ?? '',
    QUILLBROOK_EDITOR: path.join(editors, 'editor.sh'),
  };
  if (process.env.XAUTHORITY)
    env.XAUTHORITY = process.env.XAUTHORITY;
  // The session bus as a desktop starts it: its standard configuration and service folders.
  bus = spawn('dbus-daemon', ['--session', '--nofork', '--print-address=1'],
    { env, stdio: ['ignore', 'pipe', 'inherit'] });
  env.DBUS_SESSION_BUS_ADDRESS = await firstLine(bus.stdout, 'dbus-daemon');

  server = http.createServer((request, response) => {
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(PAGE);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  url = `http://127.0.0.1:${server.address().port}/`;

  // Debian's Chromium loads the extension from the package's link, as it does for a user who
  // just starts the browser: no Developer mode, no flag of ours.
  assert.equal(fs.realpathSync('/usr/share/chromium/extensions/quillbrook'), INSTALLED_EXTENSION);
  browser = await Browser.launch({ env: { ...env, XDG_CONFIG_HOME: path.join(home, '.config') } },
                                 { withHost: false, extension: null });
}, HOOK_TIMEOUT);

after(async () => {
  await browser?.close();
  server?.close();
  if (bus) {
    // The server the bus started ends with the bus.
    bus.kill('SIGTERM');
    await ended(bus);
  }
  if (root)
    fs.rmSync(root, { recursive: true, force: true, maxRetries: 5 });
}, HOOK_TIMEOUT);

// Writes a command once the editor reads its FIFO. Opening a FIFO for writing blocks until a
// reader comes, which would stop every timer of this process: it is opened without blocking and
// tried again, so that an editor that never reads fails the test instead of hanging it.
async function tellEditor(line, timeout = 30000) {
  const fifo = path.join(root, 'editor', 'commands');
  const deadline = Date.now() + timeout;
  for (;;) {
    let fd;
    try {
      fd = fs.openSync(fifo, fs.constants.O_WRONLY | fs.constants.O_NONBLOCK);
    } catch (error) {
      if (error.code !== 'ENXIO' || Date.now() > deadline)
        throw new Error(`the editor does not read its commands (${error.code})`);
      await new Promise((resolve) => setTimeout(resolve, 50));
      continue;
    }
    try {
      fs.writeSync(fd, `${line}\n`);
    } finally {
      fs.closeSync(fd);
    }
    return;
  }
}

test('a new account gets a first command, and a session runs from the right-click to the clean-up', TIMEOUT, async () => {
  await browser.waitForMenu([FIRST_COMMAND]);

  const page = await browser.context.newPage();
  await page.goto(url);
  const command = await browser.runCommand(page, '#box', FIRST_COMMAND);
  const editing = path.join(root, 'editor', 'editing');
  const file = await whenFolder(path.dirname(editing), () => readIfThere(editing)?.trim(), 'the editor to start');
  assert.equal(await browser.resultOf(command), 0);
  assert.equal(fs.readFileSync(file, 'utf8'), 'as the page had it');
  assert.ok(file.startsWith(path.join(env.HOME, '.local', 'share', 'Quillbrook') + path.sep), file);

  await tellEditor('save saved by the editor');
  assert.ok(await waitForValue(page, '#box', 'saved by the editor') > 0);

  await page.close();
  await tellEditor('exit');
  await whenFolder(path.dirname(file), () => !fs.existsSync(file), `${file} to be deleted`, 60000);
  assert.equal(readIfThere(path.join(env.HOME, 'Documents', 'Quillbrook.txt')), 'saved by the editor');
});

// Where the programs under test are: the environment CTest sets, else the default build. The
// browser is Chromium unless QUILLBROOK_TEST_BROWSER says firefox.
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..', '..');
export const browserName = process.env.QUILLBROOK_TEST_BROWSER === 'firefox' ? 'firefox' : 'chromium';
const build = path.join(repository, 'build', 'default');
const bin = (name) => path.join(build, 'bin', name);

export const programs = {
  quillbrook: process.env.QUILLBROOK_PROGRAM || bin('quillbrook'),
  reg: process.env.QUILLBROOK_REG_PROGRAM || bin('quillbrook-reg'),
  bridge: process.env.QUILLBROOK_BRIDGE_PROGRAM || bin('quillbrook-bridge'),
  windowEditor: process.env.QUILLBROOK_WINDOW_EDITOR || bin('quillbrook-test-window-editor'),
  closeWindows: process.env.QUILLBROOK_CLOSE_WINDOWS || bin('quillbrook-test-close-windows'),
  notifications: process.env.QUILLBROOK_TEST_NOTIFICATIONS || bin('quillbrook-test-notifications'),
  // The built extension for the browser under test.
  extension: process.env.QUILLBROOK_EXTENSION_FOLDER || path.join(build, 'share', 'quillbrook', 'extension', browserName),
  chromium: process.env.QUILLBROOK_CHROMIUM || '/usr/bin/chromium',
  firefox: process.env.QUILLBROOK_FIREFOX || '/usr/bin/firefox-esr',
};

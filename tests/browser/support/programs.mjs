// Where the programs under test are: the environment CTest sets, else the default build.
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..', '..');
const build = path.join(repository, 'build', 'default');
const bin = (name) => path.join(build, 'bin', name);

export const programs = {
  quillbrook: process.env.QUILLBROOK_PROGRAM || bin('quillbrook'),
  reg: process.env.QUILLBROOK_REG_PROGRAM || bin('quillbrook-reg'),
  bridge: process.env.QUILLBROOK_BRIDGE_PROGRAM || bin('quillbrook-bridge'),
  windowEditor: process.env.QUILLBROOK_WINDOW_EDITOR || bin('quillbrook-test-window-editor'),
  closeWindows: process.env.QUILLBROOK_CLOSE_WINDOWS || bin('quillbrook-test-close-windows'),
  notifications: process.env.QUILLBROOK_TEST_NOTIFICATIONS || bin('quillbrook-test-notifications'),
  extension: process.env.QUILLBROOK_EXTENSION_FOLDER || path.join(build, 'share', 'quillbrook', 'extension', 'chromium'),
  chromium: process.env.QUILLBROOK_CHROMIUM || '/usr/bin/chromium',
};

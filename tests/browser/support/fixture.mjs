// One private Quillbrook, page server and browser for a whole test file.
import { after, before } from 'node:test';
import { Browser } from './browser.mjs';
import { PageServer } from './pages.mjs';
import { PrivateSession } from './private_session.mjs';

// Short delays keep the tests quick: 20 ms between a save and reading it, 100 ms between the
// editor's end and the temporary file's deletion.
export const QUICK_SETTINGS = { ChangeNotificationSyncDelay: 20, DelayToDeleteTemporaryFile: 100 };

// A test that has not finished by then is stuck; the whole suite takes well under a minute.
export const TEST_OPTIONS = { timeout: 60000 };

// `prepare(session)` adds menu items before the browser starts. The returned object's fields are
// filled in by the file's `before` hook.
export function useBrowserSession(prepare = async () => {}) {
  const fixture = {};
  before(async () => {
    fixture.session = await PrivateSession.start({ settings: QUICK_SETTINGS });
    await prepare(fixture.session);
    fixture.pages = await PageServer.start();
    fixture.browser = await Browser.launch(fixture.session);
  });
  after(async () => {
    await fixture.browser?.close();
    await fixture.pages?.close();
    await fixture.session?.close();
  });
  return fixture;
}

// What the browser benchmarks share: a private session (its own bus, hive and X display) with one
// menu item, the tests' page server and the browser with the built extension, set up for `work`
// and closed after it, and the summary line of a set of timings.
import { Browser } from '../../tests/browser/support/browser.mjs';
import { PageServer } from '../../tests/browser/support/pages.mjs';
import { PrivateSession } from '../../tests/browser/support/private_session.mjs';

// Runs `work({ session, pages, browser })` once the menu shows `title`; the server waits
// `syncDelayMs` after each save and deletes files at once.
export async function withBenchSession(title, syncDelayMs, work) {
  const session = await PrivateSession.start({
    prefix: 'quillbrook-bench-',
    settings: { ChangeNotificationSyncDelay: syncDelayMs, DelayToDeleteTemporaryFile: 0 },
  });
  const pages = await PageServer.start();
  let browser;
  try {
    await session.addMenuItem(`&${title}`);
    browser = await Browser.launch(session);
    await browser.waitForMenu([title]);
    await work({ session, pages, browser });
  } finally {
    await browser?.close();
    await pages.close();
    await session.close();
  }
}

// "NAME median M ms max X ms (N runs)", printed at once.
export function summary(name, values, width = 16) {
  const sorted = [...values].sort((a, b) => a - b);
  const median = sorted[Math.floor(sorted.length / 2)];
  process.stdout.write(`${name.padEnd(width)} median ${median.toFixed(1)} ms   max ${sorted.at(-1).toFixed(1)} ms   (${sorted.length} runs)\n`);
}

// How quickly the browser bridge answers, measured end to end in headless Chromium with the built
// extension, the native messaging host and the server, in a private session (its own bus, hive
// and X display) so that nothing of yours is touched. Run by hand after a build and `npm ci`:
//
//   node bench/browser/bridge_latency.mjs [RUNS]      (default 20 runs)
//
// It prints the median and the maximum, in milliseconds, of
//   - click to editor: from the menu command's click (the handler the context menu calls) to the
//     editor's start (its log appearing);
//   - save to page: from the editor's save to the page's input event with the new value, minus
//     the sync delay the server waits after a save (ChangeNotificationSyncDelay).
// Targets: click to editor under 300 ms; save to page under 20 ms beyond the sync delay.
import fs from 'node:fs';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { summary, withBenchSession } from './bench_session.mjs';
import { editorPids, waitForEditor } from '../../tests/browser/support/editors.mjs';
import { whenFolder } from '../../tests/browser/support/watch.mjs';

const RUNS = Number(process.argv[2] ?? 20);
const SYNC_DELAY_MS = 50;
const TITLE = 'Edit in the benchmark editor';
const now = () => performance.timeOrigin + performance.now();

// Resolves with the time at which the page heard, through its input event, that the element
// holds `text`.
function pageHears(page, text) {
  return page.evaluate((wanted) => new Promise((resolve) => {
    const box = document.querySelector('#box');
    box.addEventListener('input', function heard() {
      if (box.value !== wanted)
        return;
      box.removeEventListener('input', heard);
      resolve(performance.timeOrigin + performance.now());
    });
  }), text);
}

await withBenchSession(TITLE, SYNC_DELAY_MS, async ({ session, pages, browser }) => {
  const toEditor = [];
  const toPage = [];
  for (let run = 0; run < RUNS; ++run) {
    const page = await browser.newPage();
    const title = `Run ${run}`;
    await page.goto(pages.url('/textarea', title));
    await page.bringToFront();
    await page.click('#box', { button: 'right' });
    const known = editorPids(session.editors);
    // The editor's log appears at its start: note when the folder says so.
    let started = 0;
    const watcher = fs.watch(session.editors, (event, name) => {
      if (!started && /^\d+\.log$/.test(name ?? '') && !known.includes(Number(name.split('.')[0])))
        started = now();
    });
    const clicked = now();
    const command = await browser.worker.evaluate(async ([wanted]) => {
      const item = globalThis.quillbrook.menu().find((candidate) => candidate.title === wanted);
      const [tab] = await chrome.tabs.query({ active: true, lastFocusedWindow: true });
      return globalThis.quillbrook.onMenuClicked({ menuItemId: item.id, frameId: 0 }, tab);
    }, [TITLE]);
    const editor = await waitForEditor(session.editors, title, known);
    await browser.resultOf(command);
    await editor.waitFor('mapped');
    // Closed only now: the watchers of one folder hear the same change in turn.
    watcher.close();
    toEditor.push(started - clicked);

    const text = `saved in run ${run}`;
    const heard = pageHears(page, text);
    const saved = now();
    editor.save(text);
    toPage.push((await heard) - saved - SYNC_DELAY_MS);
    if (process.env.QUILLBROOK_BENCH_VERBOSE)
      console.log(`run ${run}: click to editor ${(started - clicked).toFixed(1)} ms, save to page ${toPage.at(-1).toFixed(1)} ms`);

    await page.close();
    await editor.waitFor('ended');
    await whenFolder(path.dirname(editor.file), () => !fs.existsSync(editor.file), 'the temporary file to go');
  }
  summary('click to editor', toEditor);
  summary('save to page', toPage);
  console.log(`(save to page is net of the ${SYNC_DELAY_MS} ms sync delay)`);
});

// How long a big text takes from the editor's save to the page, end to end in headless Chromium
// (or Firefox ESR, with QUILLBROOK_TEST_BROWSER=firefox) with the built extension, the native
// messaging host and the server, in a private session, beside the server alone (write_back_bench)
// in the same run. Run by hand after a build and `npm ci`:
//
//   node bench/browser/big_texts.mjs [RUNS]      (default 5 runs per size)
//
// For 100 KB, 1 MB and 10 MB of text it prints the median and the maximum of "save to page": from
// the rename of the saved file over the session's file to the page's input event with the whole
// text, net of the sync delay (ChangeNotificationSyncDelay). Targets: 100 KB under 20 ms and 10 MB
// under 300 ms; docs/bridge.md says where the time goes. Each line is printed as soon as it is
// measured.
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { promisify } from 'node:util';
import { summary, withBenchSession } from './bench_session.mjs';
import { editorPids, waitForEditor } from '../../tests/browser/support/editors.mjs';
import { whenFolder } from '../../tests/browser/support/watch.mjs';

const RUNS = Number(process.argv[2] ?? 5);
const SYNC_DELAY_MS = 50;
const TITLE = 'Edit in the benchmark editor';
const SIZES = [['100 KB', 100 * 1024], ['1 MB', 1024 * 1024], ['10 MB', 10 * 1024 * 1024]];
const now = () => performance.timeOrigin + performance.now();

function say(line) {
  process.stdout.write(`${line}\n`);
}

// A text of `size` bytes of UTF-8 in lines of words, with some non-ASCII, as people write.
function textOf(size, run) {
  const line = `run ${run}: the quick brown fox jumps over the lazy dog, café, 日本語 😀\n`;
  const bytes = Buffer.byteLength(line, 'utf8');
  return line.repeat(Math.ceil(size / bytes));
}

// Resolves with the time at which the page heard, through its input event, that the element
// holds a text of `length` code units (comparing whole 10 MB strings in the page would be
// measured too).
function pageHears(page, length) {
  return page.evaluate((wanted) => new Promise((resolve) => {
    const box = document.querySelector('#box');
    box.addEventListener('input', function heard() {
      if (box.value.length !== wanted)
        return;
      box.removeEventListener('input', heard);
      resolve(performance.timeOrigin + performance.now());
    });
  }), length);
}

// The server alone, from write_back_bench's rename cases with one session.
async function serverAlone() {
  const program = path.join('build', 'default', 'bin', 'write_back_bench');
  if (!fs.existsSync(program)) {
    say('(write_back_bench is not built: no figures for the server alone)');
    return;
  }
  const { stdout } = await promisify(execFile)(program, ['--benchmark_filter=rename/.*/sessions:1/'],
                                               { env: { ...process.env, QT_QPA_PLATFORM: 'offscreen' } });
  for (const line of stdout.split('\n').filter((text) => /rename/.test(text)))
    say(`server alone: ${line.trim()}`);
}

await withBenchSession(TITLE, SYNC_DELAY_MS, async ({ session, pages, browser }) => {
  for (const [name, size] of SIZES) {
    const toPage = [];
    for (let run = 0; run < RUNS; ++run) {
      const page = await browser.newPage();
      const title = `Big ${name} ${run}`;
      await page.goto(pages.url('/textarea', title));
      const known = editorPids(session.editors);
      const command = await browser.runCommand(page, '#box', TITLE);
      const editor = await waitForEditor(session.editors, title, known);
      await browser.resultOf(command);
      await editor.waitFor('mapped');

      const text = textOf(size, run);
      const heard = pageHears(page, text.length);
      const staged = `${editor.file}.new`;
      fs.writeFileSync(staged, text);
      const saved = now();
      fs.renameSync(staged, editor.file);
      toPage.push((await heard) - saved - SYNC_DELAY_MS);
      say(`${name} run ${run}: save to page ${toPage.at(-1).toFixed(1)} ms`);

      await page.close();
      await editor.waitFor('ended');
      await whenFolder(path.dirname(editor.file), () => !fs.existsSync(editor.file), 'the temporary file to go');
    }
    summary(`save to page, ${name}`, toPage, 24);
  }
  say(`(save to page is net of the ${SYNC_DELAY_MS} ms sync delay)`);
  await serverAlone();
});

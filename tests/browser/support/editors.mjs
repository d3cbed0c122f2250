// The test window editors the server starts: each makes PID.fifo and PID.log in the session's
// editors folder (tests/browser/window_editor.cpp); the test drives it through the FIFO.
import fs from 'node:fs';
import path from 'node:path';
import { readIfThere, whenFolder } from './watch.mjs';

const EVENTS = new Set(['mapped', 'close-requested', 'ended']);

// The editor's arguments: the log's lines before the first event it logged.
function argumentsOf(lines) {
  const end = lines.findIndex((line) => EVENTS.has(line));
  return end < 0 ? lines : lines.slice(0, end);
}

export class Editor {
  constructor(folder, pid, lines) {
    this.folder = folder;
    this.pid = pid;
    this.log = path.join(folder, `${pid}.log`);
    this.fifo = path.join(folder, `${pid}.fifo`);
    this.file = argumentsOf(lines).at(-1);
  }

  lines() {
    return (readIfThere(this.log) ?? '').split('\n').filter(Boolean);
  }

  // Waits until the editor's log has the line `line`.
  waitFor(line) {
    return whenFolder(this.folder, () => this.lines().includes(line), `the editor ${this.pid} to log ${line}`);
  }

  // Saves `text` as an editor does: in place ("write") or by renaming a new file over the old.
  save(text, how = 'write') {
    // Non-blocking: an editor that has gone fails the test instead of blocking it.
    const fd = fs.openSync(this.fifo, fs.constants.O_WRONLY | fs.constants.O_NONBLOCK);
    try {
      fs.writeSync(fd, `${how} ${Buffer.from(text, 'utf8').toString('hex')}\n`);
    } finally {
      fs.closeSync(fd);
    }
  }
}

// Waits for an editor, started after the `known` ones, whose file's name contains `fileHint`.
export async function waitForEditor(folder, fileHint, known = []) {
  const found = await whenFolder(folder, () => {
    for (const name of fs.readdirSync(folder)) {
      const match = name.match(/^(\d+)\.log$/);
      if (!match || known.includes(Number(match[1])))
        continue;
      const lines = (readIfThere(path.join(folder, name)) ?? '').split('\n').filter(Boolean);
      const file = argumentsOf(lines).at(-1);
      if (file && path.basename(file).includes(fileHint))
        return new Editor(folder, Number(match[1]), lines);
    }
    return null;
  }, `an editor on a file named like ${fileHint}`);
  return found;
}

// The editors started so far.
export function editorPids(folder) {
  return fs.readdirSync(folder).map((name) => name.match(/^(\d+)\.log$/)).filter(Boolean).map((match) => Number(match[1]));
}

// Waiting for things to happen in a folder: a file appearing, changing or going away.
import fs from 'node:fs';

// Resolves with the first truthy answer of `check`, asked now and after every change in `folder`.
export function whenFolder(folder, check, what, timeoutMs = 30000) {
  return new Promise((resolve, reject) => {
    let watcher = null;
    const finish = (settle) => {
      clearTimeout(timer);
      watcher?.close();
      settle();
    };
    const attempt = () => {
      let answer;
      try {
        answer = check();
      } catch (error) {
        finish(() => reject(error));
        return;
      }
      if (answer)
        finish(() => resolve(answer));
    };
    const timer = setTimeout(() => finish(() => reject(new Error(`timed out waiting for ${what}`))), timeoutMs);
    watcher = fs.watch(folder, attempt);
    attempt();
  });
}

export function readIfThere(file) {
  try {
    return fs.readFileSync(file, 'utf8');
  } catch (error) {
    if (error.code === 'ENOENT')
      return null;
    throw error;
  }
}

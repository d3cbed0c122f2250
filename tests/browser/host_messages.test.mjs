// The extension's handling of the host's messages, without a browser.
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { describe, test } from 'node:test';

const require = createRequire(import.meta.url);
const { menuModel, shownTitle, reconnectDelay, ValueAssembler, ResultLog, runMessage, isFailure, failureText, hostNoticeName } = require('../../bridge/extension/host_messages.js');

describe('the menu', () => {
  test('keeps the entries in order with ids the browser can tell apart', () => {
    const model = menuModel({ type: 'menu', entries: [{ entry: '&B', title: 'B' }, { entry: '&A', title: 'A' }] });
    assert.deepEqual(model.map((item) => item.entry), ['&B', '&A']);
    assert.equal(new Set(model.map((item) => item.id)).size, 2);
  });

  test('leaves out malformed entries and survives a missing list', () => {
    assert.deepEqual(menuModel({ type: 'menu', entries: [null, { entry: 3 }, { entry: 'x' }] }), []);
    assert.deepEqual(menuModel({ type: 'menu' }), []);
  });

  test('shows the entry\'s name with its access key in Firefox and the title with literal "&" kept in Chromium', () => {
    const item = { entry: 'Salt && &pepper', title: 'Salt & pepper' };
    assert.equal(shownTitle(item, 'firefox'), 'Salt && &pepper');
    assert.equal(shownTitle(item, 'chromium'), 'Salt && pepper');
    assert.equal(shownTitle({ entry: '&Edit', title: 'Edit' }, 'chromium'), 'Edit');
  });

  test('tries a missing host again after 2 s, then ever later, up to a minute', () => {
    assert.deepEqual([0, 1, 2, 3, 5, 6, 7, 50].map(reconnectDelay), [2000, 2000, 4000, 8000, 32000, 60000, 60000, 60000]);
  });
});

describe('setValue parts', () => {
  test('are joined per request and given out only with the last part', () => {
    const values = new ValueAssembler();
    const part = (request, text, more) => values.take({ type: 'setValue', request, page: 'p', element: `e${request}`, text, more });
    assert.equal(part(1, 'ab', true), null);
    assert.equal(part(2, 'x', true), null);
    assert.equal(part(1, 'cd', true), null);
    assert.deepEqual(part(1, 'e', false), { request: 1, page: 'p', element: 'e1', text: 'abcde' });
    assert.deepEqual(part(2, 'y', false), { request: 2, page: 'p', element: 'e2', text: 'xy' });
  });

  test('a request does not inherit the parts of an earlier one with the same number', () => {
    const values = new ValueAssembler();
    values.take({ request: 1, page: 'p', element: 'e', text: 'old', more: false });
    assert.equal(values.take({ request: 1, page: 'p', element: 'e', text: 'new', more: false }).text, 'new');
  });

  test('parts dropped with the host are forgotten', () => {
    const values = new ValueAssembler();
    values.take({ request: 1, page: 'p', element: 'e', text: 'lost', more: true });
    values.clear();
    assert.equal(values.take({ request: 1, page: 'p', element: 'e', text: 'kept', more: false }).text, 'kept');
  });

  test('malformed parts are ignored', () => {
    assert.equal(new ValueAssembler().take({ request: 1, page: 'p', element: 'e', more: false }), null);
  });
});

describe('results and runs', () => {
  test('the result log keeps only the newest', () => {
    const log = new ResultLog(2);
    for (const command of [1, 2, 3])
      log.add({ command, hresult: -2147467263 });
    log.add({ command: 'x', hresult: 0 });
    assert.deepEqual(log.list().map((result) => result.command), [2, 3]);
  });

  test('a run message carries exactly the fields of the contract', () => {
    const target = {
      element: { id: 'e', kind: 'text', value: 'v', name: null, form: { name: null }, extra: 1 },
      document: { title: 't', url: 'http://x/' },
    };
    assert.deepEqual(runMessage(4, '&Edit', 'p', target), {
      type: 'run', command: 4, entry: '&Edit', page: 'p',
      element: { id: 'e', kind: 'text', value: 'v', name: null, form: { name: null } },
      document: { title: 't', url: 'http://x/' },
    });
  });
});

describe('a failed command', () => {
  // The English texts, placeholders filled as the browser fills them.
  const english = {
    commandFailed: 'Quillbrook could not run "$1" (error $2).',
    serverNotRegistered: 'Quillbrook is not registered: run quillbrook /RegServer, or tools/run.',
  };
  const message = (name, values) => english[name].replace(/\$(\d)/g, (_, index) => values[index - 1]);

  test('is one the server has not answered with a dialog of its own', () => {
    assert.equal(isFailure(0), false);  // done, or an element refused with the server's message
    assert.equal(isFailure(1), false);  // S_FALSE: the Open File dialog cancelled
    assert.equal(isFailure(0x80070002 | 0), true);
    assert.equal(isFailure(undefined), false);
  });

  test('names the command and its error, and how to register the server when it could not start', () => {
    assert.equal(failureText(0x80070002 | 0, 'Edit', message), 'Quillbrook could not run "Edit" (error 0x80070002).');
    for (const hresult of [0x80040154, 0x800401F3, 0x80080005]) {
      const code = hresult.toString(16).toUpperCase();
      assert.equal(failureText(hresult | 0, 'Edit', message),
                   `Quillbrook could not run "Edit" (error 0x${code}).\n` + english.serverNotRegistered);
    }
  });
});

describe('the line shown while the host cannot be reached', () => {
  test('names the fix for the reason Chromium or Firefox gives', () => {
    const cases = [
      ['Specified native messaging host not found.', 'hostMissing'],
      ['No such native application org.fernhollow.quillbrook', 'hostMissing'],
      ['Access to the specified native messaging host is forbidden.', 'hostRefused'],
      ['This extension does not have permission to use native application org.fernhollow.quillbrook', 'hostRefused'],
      ['Failed to start native messaging host.', 'hostFailed'],
      ['Native host has exited.', 'hostFailed'],
      [undefined, 'hostFailed'],
    ];
    for (const [reason, name] of cases)
      assert.equal(hostNoticeName(reason), name, String(reason));
  });
});

// The messages between the background and the native messaging host (docs/bridge.md), kept free
// of browser APIs so that both backgrounds share them and Node's test runner can load them.
'use strict';

(() => {
  const HOST_NAME = 'org.fernhollow.quillbrook';
  const MENU_ID_PREFIX = 'quillbrook-';

  // The context menu as the host sent it: one item per entry, in order, with the id the browser
  // knows it by. Entries that are not well-formed are left out rather than failing the menu.
  function menuModel(message) {
    const entries = Array.isArray(message.entries) ? message.entries : [];
    return entries
      .filter((item) => item && typeof item.entry === 'string' && typeof item.title === 'string')
      .map((item, index) => ({ id: MENU_ID_PREFIX + index, entry: item.entry, title: item.title }));
  }

  // Firefox reads "&" in a menu title as the mark of an access key and "&&" as one "&", as the
  // entry's name means them, so it shows the name itself with its access key. Chromium shows no
  // access keys but drops a lone "&" all the same, so it gets the title the host made without the
  // marks, with each literal "&" written "&&".
  function shownTitle(item, browser) {
    return browser === 'firefox' ? item.entry : item.title.replaceAll('&', '&&');
  }

  // The wait before the next try to reach a host that could not be reached `failures` times in a
  // row: 2 s, doubling to a minute, so that a missing install costs nothing while it stays missing.
  function reconnectDelay(failures) {
    return Math.min(2000 * 2 ** Math.max(0, failures - 1), 60000);
  }

  // Joins the parts of each setValue request; `take` answers the whole value once the last part
  // has come, and null before.
  class ValueAssembler {
    constructor() {
      this.pending = new Map();
    }

    take(message) {
      if (typeof message.text !== 'string' || typeof message.page !== 'string' || typeof message.element !== 'string')
        return null;
      const key = `${message.request}`;
      const parts = this.pending.get(key) ?? [];
      parts.push(message.text);
      if (message.more === true) {
        this.pending.set(key, parts);
        return null;
      }
      this.pending.delete(key);
      return { request: message.request, page: message.page, element: message.element, text: parts.join('') };
    }

    clear() {
      this.pending.clear();
    }
  }

  // The run message for a command clicked on a target the content script described.
  function runMessage(command, entry, page, target) {
    return {
      type: 'run',
      command,
      entry,
      page,
      element: {
        id: target.element.id,
        kind: target.element.kind,
        value: target.element.value,
        name: target.element.name,
        form: target.element.form,
      },
      document: { title: target.document.title, url: target.document.url },
    };
  }

  // The kept texts as the host listed them, each with the id the browser knows its menu line by.
  function recentModel(message) {
    const texts = Array.isArray(message.texts) ? message.texts : [];
    return texts
      .filter((text) => text && typeof text.id === 'string' && typeof text.title === 'string')
      .map((text, index) => ({ menuId: `${MENU_ID_PREFIX}recent-${index}`, id: text.id, title: text.title }));
  }

  // The message that puts kept text `id` into the target the content script described.
  function restoreMessage(command, id, page, target) {
    const message = runMessage(command, null, page, target);
    delete message.entry;
    return { ...message, type: 'restore', id };
  }

  // The last results the host reported, newest last, for whoever wants to look (the tests).
  class ResultLog {
    constructor(capacity) {
      this.capacity = capacity;
      this.entries = [];
    }

    add(message) {
      if (!Number.isInteger(message.command) || !Number.isInteger(message.hresult))
        return;
      this.entries.push({ command: message.command, hresult: message.hresult });
      if (this.entries.length > this.capacity)
        this.entries.shift();
    }

    list() {
      return this.entries.map((entry) => ({ ...entry }));
    }
  }

  // Results for which the server has not told the user anything itself. A success (0), the Open
  // File dialog cancelled (S_FALSE, 1) and a refused element (0, after the server's message box)
  // are not among them.
  function isFailure(hresult) {
    return Number.isInteger(hresult) && hresult < 0;
  }

  // The server could not be had: its ProgID or class is not registered (CO_E_CLASSSTRING,
  // REGDB_E_CLASSNOTREG), or its program does not start (CO_E_SERVER_EXEC_FAILURE).
  const NOT_REGISTERED = new Set([0x800401F3 | 0, 0x80040154 | 0, 0x80080005 | 0]);

  // What the user is told of a failed command, in the browser's language: `message(name, values)`
  // looks a text up (the extension's i18n.getMessage).
  function failureText(hresult, title, message) {
    const code = `0x${(hresult >>> 0).toString(16).toUpperCase().padStart(8, '0')}`;
    const text = message('commandFailed', [title, code]);
    return NOT_REGISTERED.has(hresult) ? `${text}\n${message('serverNotRegistered', [])}` : text;
  }

  // The greyed line that says what to do while the host cannot be reached, picked by the reason
  // the browser gives: Chromium's and Firefox's words for a host without a manifest, for a manifest
  // that does not allow this extension, and anything else (a host that cannot start or ended).
  function hostNoticeName(reason) {
    const text = String(reason ?? '');
    if (/not found|No such native application/i.test(text))
      return 'hostMissing';
    if (/forbidden|does not have permission/i.test(text))
      return 'hostRefused';
    return 'hostFailed';
  }

  const exported = {
    HOST_NAME, MENU_ID_PREFIX, menuModel, recentModel, shownTitle, reconnectDelay, ValueAssembler, runMessage,
    restoreMessage, ResultLog, isFailure, failureText, hostNoticeName,
  };
  if (typeof module === 'object' && module.exports)
    module.exports = exported;
  else
    globalThis.QuillbrookHostMessages = exported;
})();

// The content script of every document: remembers the element the user last right-clicked, names
// it to the background when a menu command is clicked, and writes the values the host sends into
// the elements a command ran on, only while this document lives, answering whether each arrived.
'use strict';

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const messages = globalThis.QuillbrookHostMessages;
  const TEXT_INPUT_TYPES = new Set(['text', 'search', 'url', 'tel', 'email', 'password']);

  let lastTarget = null;
  // This document's connection to the background, opened at the first command; its page id is
  // its name. A document restored from the back-forward cache gets a new one.
  let port = null;
  // element id -> element, for the elements a command ran on since the port opened.
  let elements = new Map();
  let elementIds = new WeakMap();
  // The parts of the values on their way, joined once the last has come.
  let values = new messages.ValueAssembler();

  function randomId() {
    const bytes = new Uint8Array(16);
    crypto.getRandomValues(bytes);
    return Array.from(bytes, (byte) => byte.toString(16).padStart(2, '0')).join('');
  }

  // Only the user's own right-click counts: a page cannot pick the element by dispatching events.
  window.addEventListener('contextmenu', (event) => {
    if (event.isTrusted)
      lastTarget = event.composedPath()[0] ?? null;
  }, { capture: true });

  window.addEventListener('pagehide', () => closePort());

  function openPort() {
    if (port)
      return port;
    port = api.runtime.connect({ name: randomId() });
    port.onMessage.addListener(onBackgroundMessage);
    port.onDisconnect.addListener(forgetPage);
    return port;
  }

  function closePort() {
    if (!port)
      return;
    port.disconnect();
    forgetPage();
  }

  // The page the host knew is gone: its elements are never written again.
  function forgetPage() {
    port = null;
    elements = new Map();
    elementIds = new WeakMap();
    values = new messages.ValueAssembler();
  }

  function kindOf(element) {
    if (element instanceof HTMLTextAreaElement)
      return 'textarea';
    if (element instanceof HTMLInputElement && TEXT_INPUT_TYPES.has(element.type))
      return 'text';
    return 'other';
  }

  function describe(element) {
    let id = elementIds.get(element);
    if (!id) {
      id = randomId();
      elementIds.set(element, id);
      elements.set(id, element);
    }
    const kind = kindOf(element);
    const isTextBox = kind !== 'other';
    const form = isTextBox ? element.form : null;
    return {
      element: {
        id,
        kind,
        value: isTextBox ? element.value : '',
        name: element.getAttribute?.('name') ?? null,
        form: form ? { name: form.getAttribute('name') } : null,
      },
      document: { title: document.title, url: document.URL },
    };
  }

  // Writes a value and tells whether it reached its element: one that left its document (a page
  // that changed its view) or stopped being a text box is not written, and its text is kept.
  function onBackgroundMessage(part) {
    if (part?.type !== 'setValue')
      return;
    const message = values.take(part);
    if (!message)
      return;
    const element = elements.get(message.element);
    const written = Boolean(element?.isConnected) && kindOf(element) !== 'other';
    if (written) {
      element.value = message.text;
      // Page frameworks keep their own copy of the value and update it on input events.
      element.dispatchEvent(new Event('input', { bubbles: true }));
    }
    port?.postMessage({ type: 'valueSet', request: message.request, written });
  }

  // A failed command is told in the page, in a box that says it is Quillbrook's (an alert would
  // read as the page's own), until the user dismisses it. Its own shadow root keeps the page's
  // styles out of it.
  function showNotice(text) {
    const host = document.createElement('quillbrook-notice');
    const root = host.attachShadow({ mode: 'open' });
    const box = document.createElement('div');
    box.setAttribute('role', 'alert');
    box.style.cssText = 'position:fixed;z-index:2147483647;top:12px;right:12px;max-width:28em;padding:10px 14px;'
      + 'background:#fff;color:#222;border:1px solid #888;border-radius:6px;box-shadow:0 2px 8px rgba(0,0,0,.3);'
      + 'font:14px/1.4 sans-serif;white-space:pre-wrap;';
    const heading = document.createElement('strong');
    heading.textContent = 'Quillbrook';
    const body = document.createElement('div');
    body.textContent = text;
    const dismiss = document.createElement('button');
    dismiss.textContent = api.i18n.getMessage('dismiss') || 'OK';
    dismiss.style.cssText = 'margin-top:8px;font:inherit;';
    dismiss.addEventListener('click', () => host.remove());
    box.append(heading, body, dismiss);
    root.append(box);
    (document.body ?? document.documentElement).append(host);
    dismiss.focus();
  }

  api.runtime.onMessage.addListener((message, sender, sendResponse) => {
    if (sender.id !== api.runtime.id)
      return false;
    if (message?.type === 'failed' && typeof message.text === 'string') {
      showNotice(message.text);
      return false;
    }
    if (message?.type !== 'target')
      return false;
    const target = lastTarget?.isConnected ? describe(lastTarget) : null;
    openPort().postMessage({ type: 'target', command: message.command, target });
    sendResponse(true);
    return false;
  });
})();

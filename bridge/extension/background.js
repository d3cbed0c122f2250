// The extension's background: the connection to the native messaging host, the context menu it
// describes, and the pages whose text boxes it edits. One file for Chromium's service worker and
// Firefox's background scripts.
'use strict';

if (typeof importScripts === 'function' && !globalThis.QuillbrookHostMessages)
  importScripts('host_messages.js');

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const messages = globalThis.QuillbrookHostMessages;
  const browserName = api.runtime.getURL('').startsWith('moz-extension:') ? 'firefox' : 'chromium';
  // Shown, greyed, in place of the commands while the host cannot be reached, so that a missing
  // install does not look like a menu without commands; it names the fix for the reason.
  const hostNotice = (reason) => api.i18n.getMessage(messages.hostNoticeName(reason))
    || 'Quillbrook cannot reach its helper: install the quillbrook package, or run quillbrook-bridge --install';
  const NOTICE_ID = 'quillbrook-notice';
  // The one line of a menu without commands: it opens the configuration dialog.
  const CONFIGURE_ID = 'quillbrook-configure';
  const CONFIGURE_TITLE = api.i18n.getMessage('configure') || 'Quillbrook: add a command…';
  const KEPT_RESULTS = 50;
  // The submenu of texts Quillbrook kept; choosing one puts it into the right-clicked text box.
  const RECENT_ID = 'quillbrook-recent';
  const RECENT_TITLE = api.i18n.getMessage('recentTexts') || 'Quillbrook: recent texts';

  const state = {
    host: null,
    reconnectTimer: null,
    // Tries in a row that did not reach the host, and the last reason logged for them: a host
    // that stays missing is logged once, not at every try.
    failures: 0,
    loggedReason: null,
    menu: [],
    // The kept texts the host listed: { id, title }, newest first.
    recent: [],
    notice: null,
    // Serialises menu rebuilds: each waits for the one before it.
    menuUpdate: Promise.resolve(),
    // page id -> the content script's port, for the pages a command ran on.
    pages: new Map(),
    // setValue requests whose page could not be reached: their later parts are dropped.
    undelivered: new Set(),
    results: new messages.ResultLog(KEPT_RESULTS),
    nextCommand: 1,
    // command -> the menu entry clicked, until the content script has named its target.
    clicks: new Map(),
    // command -> where it was clicked and its title, until its result has come.
    running: new Map(),
    // Resolved, and replaced, whenever the menu or the results change.
    changed: null,
    resolveChanged: null,
  };

  function announceChange() {
    state.resolveChanged?.();
    state.changed = new Promise((resolve) => { state.resolveChanged = resolve; });
  }
  announceChange();

  function connectHost() {
    state.reconnectTimer = null;
    let port;
    try {
      port = api.runtime.connectNative(messages.HOST_NAME);
    } catch (error) {
      logOnce('Quillbrook: cannot start the native host:', String(error));
      ++state.failures;
      scheduleReconnect();
      return;
    }
    state.host = port;
    port.onMessage.addListener((message) => onHostMessage(port, message));
    port.onDisconnect.addListener(() => onHostGone(port));
    port.postMessage({ type: 'hello', browser: browserName });
  }

  function scheduleReconnect() {
    if (state.reconnectTimer === null)
      state.reconnectTimer = setTimeout(connectHost, messages.reconnectDelay(state.failures));
  }

  function logOnce(what, reason) {
    if (reason === state.loggedReason)
      return;
    state.loggedReason = reason;
    console.warn(what, reason);
  }

  function onHostGone(port) {
    if (state.host !== port)
      return;
    const reason = api.runtime.lastError?.message ?? port.error?.message;
    if (reason)
      logOnce('Quillbrook: the native host went away:', reason);
    ++state.failures;
    state.host = null;
    state.recent = [];
    state.undelivered.clear();
    state.clicks.clear();
    state.running.clear();
    updateMenu([], hostNotice(reason));
    scheduleReconnect();
  }

  function sendToHost(message) {
    if (!state.host)
      return false;
    try {
      state.host.postMessage(message);
      return true;
    } catch (error) {
      console.warn('Quillbrook: cannot write to the native host:', error);
      return false;
    }
  }

  function onHostMessage(port, message) {
    if (state.host !== port || !message || typeof message !== 'object')
      return;
    // The host answers: the next loss of it is news again.
    state.failures = 0;
    state.loggedReason = null;
    switch (message.type) {
    case 'menu':
      updateMenu(messages.menuModel(message));
      break;
    case 'recent':
      state.recent = messages.recentModel(message);
      updateMenu(state.menu);
      break;
    case 'setValue':
      deliverValuePart(message);
      break;
    case 'result':
      state.results.add(message);
      announceChange();
      reportResult(message);
      break;
    default:
      console.warn('Quillbrook: unknown message from the native host:', message.type);
    }
  }

  function addMenuItem(properties) {
    return new Promise((resolve) => {
      api.contextMenus.create({ ...properties, contexts: ['editable'] }, () => {
        if (api.runtime.lastError)
          console.warn('Quillbrook: cannot add a menu item:', api.runtime.lastError.message);
        resolve();
      });
    });
  }

  // Replaces the whole menu by `model`, or by a greyed `notice`; that is what the browser shows
  // once the returned promise has settled.
  function updateMenu(model, notice = null) {
    state.menu = model;
    state.notice = notice;
    announceChange();
    state.menuUpdate = state.menuUpdate.then(async () => {
      await api.contextMenus.removeAll();
      if (notice)
        await addMenuItem({ id: NOTICE_ID, title: notice, enabled: false });
      else if (model.length === 0 && state.host)
        await addMenuItem({ id: CONFIGURE_ID, title: CONFIGURE_TITLE });
      for (const item of model)
        await addMenuItem({ id: item.id, title: messages.shownTitle(item, browserName) });
      if (!notice && state.host && state.recent.length > 0) {
        await addMenuItem({ id: RECENT_ID, title: RECENT_TITLE });
        for (const text of state.recent)
          await addMenuItem({ id: text.menuId, parentId: RECENT_ID, title: text.title });
      }
    }).catch((error) => console.warn('Quillbrook: cannot update the menu:', error));
    return state.menuUpdate;
  }

  // A command that failed without the server telling the user is told in its page, as a script
  // error was once shown by the browser.
  function reportResult(message) {
    const click = state.running.get(message.command);
    state.running.delete(message.command);
    if (!click || !messages.isFailure(message.hresult))
      return;
    const text = messages.failureText(message.hresult, click.title,
                                      (name, values) => api.i18n.getMessage(name, values));
    console.warn(`Quillbrook: ${text}`);
    api.tabs.sendMessage(click.tabId, { type: 'failed', text }, { frameId: click.frameId })
      .catch(() => {});
  }

  // Each part of a value goes on to its page as it comes, where the content script joins them:
  // a big text then crosses to the page while its later parts still arrive, instead of all at
  // once after the last. Every value is answered to the host with whether it reached its element,
  // so that a text that did not is kept rather than lost: here when its page cannot be reached,
  // else by the content script once the value is whole.
  function deliverValuePart(message) {
    if (typeof message.text !== 'string' || typeof message.page !== 'string' || typeof message.element !== 'string')
      return;
    const more = message.more === true;
    if (state.undelivered.has(message.request)) {
      if (!more)
        state.undelivered.delete(message.request);
      return;
    }
    const page = state.pages.get(message.page);
    try {
      if (page) {
        page.postMessage({ type: 'setValue', page: message.page, element: message.element, text: message.text,
                           request: message.request, more });
        return;
      }
    } catch (error) {
      console.warn('Quillbrook: cannot reach the page:', error.message ?? error);
    }
    if (more)
      state.undelivered.add(message.request);
    sendToHost({ type: 'valueSet', request: message.request, written: false });
  }

  // The menu command clicked: asks the content script of the frame for the element the user
  // right-clicked; the answer comes back through that page's port and becomes the run message.
  // Answers the command's number, or 0 when the frame cannot be asked.
  async function onMenuClicked(info, tab) {
    if (info.menuItemId === CONFIGURE_ID)
      return configure(info, tab);
    const recent = state.recent.find((candidate) => candidate.menuId === info.menuItemId);
    const item = recent ? { entry: null, title: RECENT_TITLE, restore: recent.id }
      : state.menu.find((candidate) => candidate.id === info.menuItemId);
    if (!item || !tab || tab.id === undefined || tab.id < 0)
      return 0;
    const command = state.nextCommand++;
    const click = { entry: item.entry, title: item.title, restore: item.restore ?? null, tabId: tab.id,
                    frameId: info.frameId ?? 0 };
    state.clicks.set(command, click);
    state.running.set(command, click);
    try {
      await api.tabs.sendMessage(tab.id, { type: 'target', command }, { frameId: info.frameId ?? 0 });
      return command;
    } catch (error) {
      state.clicks.delete(command);
      state.running.delete(command);
      console.warn('Quillbrook: the page cannot be edited:', error.message ?? error);
      return 0;
    }
  }

  // Asks the host to open the configuration dialog; a failure is told in the page it was asked from.
  function configure(info, tab) {
    const command = state.nextCommand++;
    if (tab && tab.id !== undefined && tab.id >= 0)
      state.running.set(command, { entry: null, title: CONFIGURE_TITLE, tabId: tab.id, frameId: info.frameId ?? 0 });
    if (!sendToHost({ type: 'configure', command })) {
      state.running.delete(command);
      return 0;
    }
    return command;
  }

  // A content script's port: named by its page id, alive as long as its document.
  function onPageConnected(port) {
    const page = port.name;
    const sender = port.sender;
    if (!sender?.tab || sender.id !== api.runtime.id || typeof page !== 'string' || state.pages.has(page)) {
      port.disconnect();
      return;
    }
    state.pages.set(page, port);
    port.onMessage.addListener((message) => onPageMessage(port, page, message));
    port.onDisconnect.addListener(() => pageGone(page, port));
  }

  function pageGone(page, port) {
    if (state.pages.get(page) !== port)
      return;
    state.pages.delete(page);
    sendToHost({ type: 'unload', page });
  }

  // A closed tab ends the pages of all its frames, even one whose port the browser does not
  // disconnect as the tab goes (seen with a frame of another site in Firefox).
  function tabClosed(tabId) {
    for (const [page, port] of [...state.pages])
      if (port.sender?.tab?.id === tabId)
        pageGone(page, port);
  }

  function onPageMessage(port, page, message) {
    if (message?.type === 'valueSet') {
      sendToHost({ type: 'valueSet', request: message.request, written: message.written === true });
      return;
    }
    if (message?.type !== 'target' || !state.clicks.has(message.command))
      return;
    const click = state.clicks.get(message.command);
    state.clicks.delete(message.command);
    // Only the frame the command was clicked in answers for it.
    if (port.sender.tab.id !== click.tabId || (port.sender.frameId ?? 0) !== click.frameId)
      return;
    if (!message.target)
      return;
    if (click.restore)
      sendToHost(messages.restoreMessage(message.command, click.restore, page, message.target));
    else
      sendToHost(messages.runMessage(message.command, click.entry, page, message.target));
  }

  api.contextMenus.onClicked.addListener((info, tab) => {
    onMenuClicked(info, tab);
  });
  api.runtime.onConnect.addListener(onPageConnected);
  api.tabs.onRemoved.addListener(tabClosed);

  // What the tests read and call: the same handler the menu calls.
  globalThis.quillbrook = {
    onMenuClicked,
    menu: () => state.menu.map((item) => ({ ...item })),
    recent: () => state.recent.map((text) => ({ ...text })),
    notice: () => state.notice,
    // Whether the menu offers its one line that opens the configuration dialog.
    offersConfiguration: () => state.notice === null && state.menu.length === 0 && state.host !== null,
    menuUpdated: () => state.menuUpdate,
    results: () => state.results.list(),
    // Settles at the next change of the menu or the results.
    changed: () => state.changed,
    connected: () => state.host !== null,
    pages: () => [...state.pages.keys()],
  };

  // Items left from an earlier run of the background go; the host describes the menu anew.
  updateMenu([]);
  connectHost();
})();

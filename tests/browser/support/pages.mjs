// The pages the tests edit, served from localhost (content scripts do not run on file: pages).
import http from 'node:http';

const escape = (text) => text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);

// Every page records the value each input event saw, so that a test can ask whether the page was
// told of a text even when the text arrived before the test began to wait for it.
export const RECORD_INPUTS = `<script>window.inputsSeen = [];
document.addEventListener('input', (event) => inputsSeen.push(event.target.value ?? event.target.textContent), true);</script>`;

function document(title, body) {
  return `<!DOCTYPE html><html><head><meta charset="utf-8"><title>${escape(title)}</title>${RECORD_INPUTS}</head><body>${body}</body></html>`;
}

// Each page takes its title from ?title=, so that tabs and temporary files can be told apart; a
// frame's page, the address of its frame from ?src=.
const PAGES = {
  '/textarea': (title) => document(title, `<form name="reply"><textarea id="box" name="body" rows="8" cols="60">first line
second line</textarea></form>`),
  '/input': (title) => document(title, '<input id="box" name="subject" value="Hello">'),
  '/contenteditable': (title) => document(title, '<div id="box" contenteditable="true">Rich <b>text</b></div>'),
  '/elsewhere': (title) => document(title, '<p id="box">Another page</p>'),
  '/frame': (title, query) => document(title, `<iframe id="frame" src="${escape(query.get('src') ?? '')}"></iframe>`),
};

export class PageServer {
  static async start() {
    const server = http.createServer((request, response) => {
      const url = new URL(request.url, 'http://localhost');
      const page = PAGES[url.pathname];
      if (!page) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
      response.end(page(url.searchParams.get('title') ?? 'Page', url.searchParams));
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return new PageServer(server);
  }

  constructor(server) {
    this.server = server;
    this.origin = `http://127.0.0.1:${server.address().port}`;
    // The same server under another name: another origin and site to the browser.
    this.otherOrigin = `http://localhost:${server.address().port}`;
  }

  url(page, title, { origin = this.origin, ...query } = {}) {
    return `${origin}${page}?${new URLSearchParams({ title, ...query })}`;
  }

  close() {
    this.server.closeAllConnections();
    return new Promise((resolve) => this.server.close(resolve));
  }
}

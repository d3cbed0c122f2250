// Serves the demo page from localhost (content scripts do not run on file: pages).
//
//   node bridge/demo/server.mjs [PORT]     prints the page's address; PORT 0 picks a free one
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const folder = path.dirname(fileURLToPath(import.meta.url));

export async function startDemoServer(port = 0) {
  const page = fs.readFileSync(path.join(folder, 'index.html'));
  const server = http.createServer((request, response) => {
    if (new URL(request.url, 'http://localhost').pathname !== '/') {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'content-type': 'text/html; charset=utf-8' });
    response.end(page);
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', resolve);
  });
  return { server, url: `http://127.0.0.1:${server.address().port}/` };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const { url } = await startDemoServer(Number(process.argv[2] ?? 0));
  console.log(url);
}

// Serves the browser build on 127.0.0.1 (make web-serve, and the browser tests):
//   node scripts/web-serve.js FOLDER [PORT]
// PORT 0 (the default) takes a free one. Prints the address once listening.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const folder = path.resolve(process.argv[2] || 'build-web');
const port = Number(process.argv[3] || 0);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.gz': 'application/gzip', '.png': 'image/png',
};

const server = http.createServer((request, response) => {
  const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
  const file = path.join(folder, name.endsWith('/') ? name + 'index.html' : name);
  if (!file.startsWith(folder + path.sep)) {
    response.writeHead(403).end();
    return;
  }
  fs.readFile(file, (error, bytes) => {
    if (error) {
      response.writeHead(404, {'Content-Type': 'text/plain'}).end('not found: ' + name + '\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-cache',
    });
    response.end(bytes);
  });
});

server.listen(port, '127.0.0.1', () => {
  console.log('zelvo: serving ' + folder + ' at http://127.0.0.1:' + server.address().port + '/');
});

// The page's bench (index.html?bench) in headless Chromium, for one browser
// build or several side by side, each run in turn:
//   node scripts/web-bench.js FRAMES WEB_BUILD [WEB_BUILD ...]
// Prints a table: each scene's median milliseconds of main-thread work a frame, a column a build.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {Browser, serve} = require('../tests/web/browser.js');

async function main() {
  const [frames, ...builds] = process.argv.slice(2);
  if (!/^\d+$/.test(frames || '') || builds.length === 0) {
    console.error('usage: node scripts/web-bench.js FRAMES WEB_BUILD [WEB_BUILD ...]');
    process.exit(2);
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zelvo-web-bench-'));
  const browser = new Browser(path.join(work, 'profile'));
  const columns = [];
  try {
    const page = await browser.newPage();
    for (const build of builds) {
      const {server, address} = await serve(path.resolve(build));
      const done = await browser.load(page, address + 'index.html?bench=' + frames, /zelvo: bench done/, 1200);
      server.kill();
      const rows = new Map();
      for (const line of page.console) {
        const m = /zelvo: bench (\S+) main-thread (\S+) ms/.exec(line);
        if (m) rows.set(m[1], m[2]);
      }
      if (!done) console.error(build + ': the bench did not finish: ' + page.console.slice(-3).join(' | '));
      columns.push(rows);
    }
  } finally {
    browser.close();
    fs.rmSync(work, {recursive: true, force: true});
  }
  console.log(['scene'.padEnd(8), ...builds.map((b) => b.padStart(12))].join(' '));
  for (const scene of columns[0].keys())
    console.log([scene.padEnd(8), ...columns.map((c) => (c.get(scene) || '-').padStart(12))].join(' '));
}

main().catch((e) => {
  console.error('web-bench: ' + e.stack);
  process.exit(1);
});

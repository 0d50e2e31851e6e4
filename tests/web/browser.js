// Headless Chromium driven over the DevTools protocol on a pipe (no WebSocket
// or npm package needed): one page, its console, screenshots.
'use strict';
const {spawn} = require('child_process');
const path = require('path');

class Browser {
  // Starts Chromium with a fresh profile in profileDir; WebGL goes through SwiftShader.
  constructor(profileDir) {
    const flags = [
      '--headless', '--no-sandbox', '--no-first-run', '--disable-gpu-sandbox',
      '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
      '--disable-background-networking', '--disable-component-update', '--disable-sync', '--disable-quic',
      '--disable-features=Translate,MediaRouter', '--autoplay-policy=no-user-gesture-required',
      '--remote-debugging-pipe', '--user-data-dir=' + profileDir, 'about:blank',
    ];
    this.process = spawn(process.env.CHROMIUM || 'chromium', flags, {stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe']});
    this.process.stderr.on('data', () => {});
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffered = '';
    this.process.stdio[4].on('data', (chunk) => {
      buffered += chunk.toString('utf8');
      let end;
      while ((end = buffered.indexOf('\0')) >= 0) {
        const message = JSON.parse(buffered.slice(0, end));
        buffered = buffered.slice(end + 1);
        if (message.id && this.pending.has(message.id)) {
          const {resolve, reject} = this.pending.get(message.id);
          this.pending.delete(message.id);
          if (message.error) reject(new Error(JSON.stringify(message.error)));
          else resolve(message.result);
        } else if (message.method) {
          for (const listener of this.listeners) listener(message);
        }
      }
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = {id, method, params};
    if (sessionId) message.sessionId = sessionId;
    this.process.stdio[3].write(JSON.stringify(message) + '\0');
    return new Promise((resolve, reject) => this.pending.set(id, {resolve, reject}));
  }

  // A new 800 x 600 page (in CSS pixels, scale device pixels each; or the
  // size and kind of screen given) whose console lines (and the browser's own
  // log entries, where WebGL reports its errors) are collected in page.console.
  async newPage(scale = 1, screen = {width: 800, height: 600, mobile: false}) {
    const {targetId} = await this.send('Target.createTarget', {url: 'about:blank'});
    const {sessionId} = await this.send('Target.attachToTarget', {targetId, flatten: true});
    const page = {targetId, sessionId, console: [], send: (m, p) => this.send(m, p, sessionId)};
    this.listeners.push((message) => {
      if (message.sessionId !== sessionId) return;
      if (message.method === 'Runtime.consoleAPICalled') {
        page.console.push(message.params.type + ': ' +
          message.params.args.map((a) => (a.value !== undefined ? a.value : a.description)).join(' '));
      } else if (message.method === 'Runtime.exceptionThrown') {
        page.console.push('exception: ' + message.params.exceptionDetails.text + ' ' +
          (message.params.exceptionDetails.exception || {}).description);
      } else if (message.method === 'Log.entryAdded') {
        page.console.push('log ' + message.params.entry.level + ': ' + message.params.entry.text);
      }
    });
    await page.send('Runtime.enable');
    await page.send('Log.enable');
    await page.send('Page.enable');
    await page.send('Emulation.setDeviceMetricsOverride', {...screen, deviceScaleFactor: scale});
    return page;
  }

  // The page's text as shown: what hidden elements hold is left out.
  async visibleText(page) {
    return String(await this.evaluate(page, 'document.body.innerText'));
  }

  async click(page, x, y) {
    for (const type of ['mousePressed', 'mouseReleased'])
      await page.send('Input.dispatchMouseEvent', {type, x, y, button: 'left', clickCount: 1});
  }

  // A tap at (x, y), with touch emulation on.
  async tap(page, x, y) {
    await page.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{x, y}]});
    await page.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
  }

  // Loads the address and waits until a console line matches, or the time runs out.
  async load(page, url, expected, seconds) {
    page.console.length = 0;
    await page.send('Page.navigate', {url});
    const deadline = Date.now() + seconds * 1000;
    while (Date.now() < deadline) {
      if (page.console.some((line) => expected.test(line))) return true;
      await new Promise((r) => setTimeout(r, 100));
    }
    return false;
  }

  // The expression's value (awaited, when it is a promise and awaitPromise is set).
  async evaluate(page, expression, awaitPromise = false) {
    const {result} = await page.send('Runtime.evaluate', {expression, returnByValue: true, awaitPromise});
    return result.value;
  }

  async screenshot(page) {
    const {data} = await page.send('Page.captureScreenshot', {format: 'png'});
    return Buffer.from(data, 'base64');
  }

  // Closes a page; the one left comes to the front again (a page behind
  // another has its timers and frames throttled).
  async closePage(page) {
    await this.send('Target.closeTarget', {targetId: page.targetId});
  }

  // Ends Chromium and waits until it has gone (so its profile may be removed).
  close() {
    const gone = new Promise((resolve) => this.process.once('exit', resolve));
    this.process.kill();
    return gone;
  }
}

// Serves a browser build on a free port (scripts/web-serve.js); resolves to
// the server's process and the address it prints.
function serve(build) {
  const server = spawn(process.execPath, [path.join(__dirname, '../../scripts/web-serve.js'), build, '0'],
                       {stdio: ['ignore', 'pipe', 'inherit']});
  return new Promise((resolve) => {
    server.stdout.on('data', (chunk) => {
      const match = /(http:\/\/127\.0\.0\.1:\d+\/)/.exec(chunk.toString());
      if (match) resolve({server, address: match[1]});
    });
  });
}

module.exports = {Browser, serve};

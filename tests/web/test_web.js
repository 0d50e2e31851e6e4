// The browser build in headless Chromium (make test-web):
//   node tests/web/test_web.js LINUX_BUILD WEB_BUILD WEB_ZIP
// The zip (one folder, small enough to send) served by a plain static server
// at a sub-path drawing the town as the Linux build does; its poster, the
// progress bar on a 10 Mbit/s connection, a phone held sideways; every failure
// the page names, in its own words; every scene's still against the Linux
// build's frame of the same music time (and the town at device pixel ratio 2
// against its 1600 x 1200 frame), the lit city and office at their desktop
// brightness, a played range without WebGL errors on the console, ?bench's
// lines, the player's keys and taps and &loop.
// Prints "N passed, N failed"; exits 1 when one failed. ZELVO_WEB_SHOTS=DIR
// keeps the screenshots of the poster, the progress bar, the phone and the
// still at ratio 2 there.
'use strict';
const {execFileSync, spawn} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {Browser, serve} = require('./browser.js');

const [linux, web, zip] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zelvo-web-'));
const shots = process.env.ZELVO_WEB_SHOTS ? path.resolve(process.env.ZELVO_WEB_SHOTS) : work;
fs.mkdirSync(shots, {recursive: true});

// What SwiftShader may draw differently from llvmpipe, per scene: the share
// of pixels allowed to differ by more than 32 levels. Both follow GL's rules,
// but they choose mipmap levels, filter textures, blend and place edges each
// with their own rounding, so most pixels differ by a few levels everywhere
// (in the lattice's hundreds of translucent layers, every pixel). Large
// differences come where a sharp texture is sampled at another level: the
// tunnel's dark seams (about 4 %), the town's and office's slanted walls and
// window frames, the room's swirls (under 1 %); flat pictures (the titles,
// the letters, the credits) differ least. A scene drawn wrong (a letter
// missing, a light out) differs far beyond these.
const level = 32;
const allowed = {
  titles: 0.005, city1: 0.01, credits: 0.005, city2: 0.01, office: 0.015, lattice: 0.015, tunnel: 0.06,
  objects: 0.015, closing: 0.005,
};

let passed = 0;
let failed = 0;
const pass = (text) => { console.log('PASS: ' + text); passed++; };
const fail = (text) => { console.log('FAIL: ' + text); failed++; };
const frameCheck = (...args) => {
  try {
    return {ok: true, text: execFileSync(path.join(linux, 'frame-check'), args, {encoding: 'utf8'}).trim()};
  } catch (e) {
    return {ok: false, text: (e.stdout || '').trim() || e.message};
  }
};
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// Waits up to `seconds` for check() to give something true; its last answer.
const waitFor = async (check, seconds) => {
  let answer;
  for (const deadline = Date.now() + seconds * 1000; Date.now() < deadline; await sleep(100))
    if ((answer = await check())) break;
  return answer;
};
// The Linux build's frame at ms, drawn at size.
const linuxFrame = (ms, size) => {
  const folder = path.join(work, 'linux-' + ms + '-' + size);
  execFileSync(path.join(linux, 'zelvo'), ['--dir', linux, '--capture', folder, '--fps', '1', '--from', String(ms),
                                             '--to', String(ms), '--size', size], {stdio: 'ignore'});
  return path.join(folder, String(ms).padStart(6, '0') + '.png');
};
// A server of plain files: Python's, as anyone has it.
const staticServer = async (root) => {
  const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', root],
                       {stdio: ['ignore', 'pipe', 'ignore']});
  const port = await new Promise((resolve) => {
    server.stdout.on('data', (chunk) => {
      const match = /port (\d+)/.exec(chunk.toString());
      if (match) resolve(match[1]);
    });
  });
  return {server, address: 'http://127.0.0.1:' + port + '/'};
};
const playing = /^zelvo \| [1-9]\d* ms/;

// The zip unpacked into www/shared/zelvo/, and beside it copies of its folder
// with the data pack missing, cut in half, or damaged in the middle.
function unpackZip() {
  const www = path.join(work, 'www');
  const parent = path.join(www, 'shared', 'zelvo');
  fs.mkdirSync(parent, {recursive: true});
  execFileSync('unzip', ['-q', zip, '-d', parent]);
  const folders = fs.readdirSync(parent);
  const folder = path.join(parent, folders[0]);
  const names = fs.readdirSync(folder).sort();
  const bytes = names.reduce((sum, name) => sum + fs.statSync(path.join(folder, name)).size, 0);
  const pack = fs.readFileSync(path.join(folder, 'index.data.gz'));
  const damaged = Buffer.from(pack);
  for (let i = pack.length >> 1; i < (pack.length >> 1) + 64; i++) damaged[i] ^= 0x5a;
  for (const [variant, data] of [['missing', null], ['truncated', pack.subarray(0, pack.length >> 1)],
                                 ['damaged', damaged]]) {
    fs.mkdirSync(path.join(www, variant));
    for (const name of names) {
      const target = path.join(www, variant, name);
      if (name !== 'index.data.gz') fs.symlinkSync(path.join(folder, name), target);
      else if (data) fs.writeFileSync(target, data);
    }
  }
  return {www, folders, folder, names, bytes, path: 'shared/zelvo/' + folders[0] + '/'};
}

// The page's failures, each said in the page in words and on the console:
// [what, the address under the served folders, what the page shows, a
// script run before the page's own, what is done once the show plays].
const loseContext = 'canvas.getContext("webgl").getExtension("WEBGL_lose_context").loseContext()';
const failures = [
  ['no WebGL', 'PAGE', /This browser cannot draw with WebGL/, 'HTMLCanvasElement.prototype.getContext = () => null;'],
  ['opened from a file', 'FILE', /opened from a file:\/\/ address.*python3 -m http\.server/s],
  ['the data pack missing', 'missing/?mute', /index\.data\.gz could not be downloaded: the server answered 404/],
  ['the data pack cut in half', 'truncated/?mute', /index\.data\.gz is truncated: \d+ of its \d+ bytes came/],
  ['the data pack damaged', 'damaged/?mute', /index\.data\.gz is damaged or truncated: it does not unpack/],
  ['at= not a time', 'PAGE?at=soon', /at= must be a time in ms from 0 to 160704, not "soon"/],
  ['at= past the end', 'PAGE?at=170000', /at= must be a time in ms from 0 to 160704, not "170000"/],
  ['a still before its start', 'PAGE?from=5000&at=1000', /from= \(5000\) lies after at= \(1000\)/],
  ['to= before from=', 'PAGE?from=9000&to=1000&mute', /to= \(1000\) comes before from= \(9000\)/],
  ['audio-offset= too far', 'PAGE?audio-offset=900', /audio-offset= must be a time in ms from -500 to 500/],
  ['size= too small', 'PAGE?mute&size=8x8', /size= must be WxH, each side from 16 to 32768 pixels/],
  ['&loop with a still', 'PAGE?at=1000&loop', /loop does not apply to a still/],
  ['a flag with a value', 'PAGE?mute=no', /mute takes no value/],
  ['at= twice', 'PAGE?at=1000&at=2000', /at= is given more than once/],
  ['the soundtrack missing', 'PAGE?mute&remove=/data/kardel.mp3', /Can't find music file/],
  ['the WebGL context lost', 'PAGE?from=22000&mute', /took away the picture's WebGL context.*Reload the page/s, '',
   loseContext],
  ['the sound held by the browser', 'PAGE?from=22000&to=40000&autoplay', /The browser holds the sound.*click/s, '',
   'Module.zelvoAudio.suspend()'],
  // Last: after a canvas too large, Chromium gives the pages that follow no WebGL for a while.
  ['a canvas too large for WebGL', 'PAGE?at=25000&size=9000x9000',
   /Can't open the 9000 x 9000 OpenGL window:\s*the browser made no WebGL context/],
];
const webglError = /WebGL:|INVALID_ENUM|INVALID_VALUE|INVALID_OPERATION|GL ERROR|exception:/;

async function main() {
  const {server, address} = await serve(web);
  const browser = new Browser(path.join(work, 'profile'));
  const served = unpackZip();
  const files = await staticServer(served.www);
  const sent = files.address + served.path;
  try {
    const page = await browser.newPage();
    const rates = [];

    // ---- the zip: one folder, small enough to send, drawing as the Linux build does from any static server ----
    {
      const expected = 'icon.png index.data.gz index.html index.js index.wasm poster.png';
      const named = /^zelvo-\d+\.\d+\.\d+-web$/.test(served.folders.join(' '));
      (named && served.names.join(' ') === expected && served.bytes <= 8 * 1048576 ? pass : fail)(
        'the zip holds ' + served.folders.join(', ') + '/ with ' + served.names.join(' ') + ': ' + served.bytes +
        ' bytes (' + (served.bytes / 1048576).toFixed(2) + ' MiB), zipped ' + fs.statSync(zip).size);
      if (!await browser.load(page, sent + '?at=25000', /zelvo: frame 25000 drawn/, 180)) {
        fail('the zip at /' + served.path + ' never drew 25000 ms: ' + page.console.slice(-3).join(' | '));
      } else {
        const shot = path.join(work, 'zip-25000.png');
        fs.writeFileSync(shot, await browser.screenshot(page));
        const result = frameCheck('diff', shot, linuxFrame(25000, '800x600'), String(level), String(allowed.city1));
        const unpacked = page.console.find((l) => /unpacked from/.test(l)) || 'no unpacking said';
        (result.ok ? pass : fail)('the zip at /' + served.path + ' draws the town at 25000 ms: ' + result.text +
                                  '; ' + unpacked.replace(/^log: zelvo: /, ''));
      }
    }

    // ---- the poster, then the progress bar on a 10 Mbit/s connection, then the show ----
    {
      const slow = await browser.newPage();
      await slow.send('Network.enable');
      // A first visit: nothing comes from the cache.
      await slow.send('Network.setCacheDisabled', {cacheDisabled: true});
      await slow.send('Network.emulateNetworkConditions',
                      {offline: false, latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8});
      await slow.send('Page.navigate', {url: sent});
      const problems = [];
      const posterShown = '!poster.hidden && poster.querySelector("img").complete && poster.querySelector("img").naturalWidth';
      if (await waitFor(() => browser.evaluate(slow, posterShown), 30) !== 800) problems.push('no poster');
      fs.writeFileSync(path.join(shots, 'poster.png'), await browser.screenshot(slow));
      const words = await browser.visibleText(slow);
      if (!/Click to start zelvo[\s\S]*Space pauses/.test(words)) problems.push('the poster says "' + words + '"');
      // What a link to the page shows where it is shared: each named, the pictures there.
      const described = await browser.evaluate(slow, `Promise.all(['title', 'meta[name=description]',
          'meta[property="og:title"]', 'meta[property="og:description"]', 'meta[property="og:image"]',
          'link[rel=icon]'].map(async (selector) => {
        const element = document.querySelector(selector);
        const text = element && (element.content || element.href || element.textContent);
        if (!text) return selector + ' missing';
        if (!/image/.test(selector + (element.rel || ''))) return '';
        const response = await fetch(new URL(text, location.href));
        return response.ok && response.headers.get('Content-Type') === 'image/png' ? '' : selector + ' not found';
      })).then((missing) => missing.filter(Boolean).join(', '))`, true);
      if (described) problems.push(described);
      const clickedAt = await browser.evaluate(slow, 'performance.now()');
      await browser.click(slow, 400, 300);
      const readings = [];
      const firstPicture = await waitFor(async () => {
        const share = await browser.evaluate(slow, 'progress.hidden ? -1 : progress.querySelector("progress").value');
        if (share >= 0 && readings[readings.length - 1] !== share) readings.push(share);
        if (share >= 30 && share <= 70 && !fs.existsSync(path.join(shots, 'progress.png')))
          fs.writeFileSync(path.join(shots, 'progress.png'), await browser.screenshot(slow));
        return slow.console.find((l) => /first picture/.test(l));
      }, 120);
      const finalShare = await browser.evaluate(slow, 'progress.querySelector("progress").value');
      if (!firstPicture || finalShare !== 100 || readings.length < 5) {
        problems.push('the progress bar read ' + readings.join(', ') + ', ending at ' + finalShare + ' %');
      }
      const shown = firstPicture ? Number(/first picture (\d+) ms/.exec(firstPicture)[1]) : 0;
      if (!await waitFor(async () => playing.test(await browser.evaluate(slow, 'document.title')), 60))
        problems.push('the show never played: ' + slow.console.slice(-3).join(' | '));
      (problems.length ? fail : pass)('the poster, then on a 10 Mbit/s connection the progress bar read ' +
        readings.join(' ') + ' %, ' + (slow.console.find((l) => /bytes downloaded/.test(l)) || '').replace(/^log: zelvo: /, '') +
        ', the first picture ' + Math.round(shown - clickedAt) + ' ms after the click' +
        (problems.length ? ': ' + problems.join('; ') : ''));
      await browser.closePage(slow);
    }

    // ---- a phone held sideways: the poster fits, a tap starts the show, the canvas fills the screen ----
    {
      const phone = await browser.newPage(3, {width: 740, height: 360, mobile: true});
      await phone.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 5});
      await phone.send('Page.navigate', {url: sent + '?from=21400'});
      await waitFor(() => browser.evaluate(phone, '!poster.hidden && poster.querySelector("img").complete'), 30);
      fs.writeFileSync(path.join(shots, 'phone-poster.png'), await browser.screenshot(phone));
      await browser.tap(phone, 370, 180);
      const started = await waitFor(async () => playing.test(await browser.evaluate(phone, 'document.title')), 90);
      const fits = await browser.evaluate(phone, 'JSON.stringify([canvas.getBoundingClientRect().width, ' +
        'canvas.getBoundingClientRect().height, canvas.width, canvas.height])');
      await sleep(1000);
      fs.writeFileSync(path.join(shots, 'phone-show.png'), await browser.screenshot(phone));
      (started && fits === '[740,360,2220,1080]' ? pass : fail)('a phone at 740 x 360, ratio 3: a tap on the ' +
        'poster ' + (started ? 'started' : 'did not start') + ' the show; canvas and drawing buffer ' + fits);
      await browser.closePage(phone);
    }

    // ---- every scene's still ----
    const scenes = execFileSync(path.join(linux, 'zelvo'), ['--scenes'], {encoding: 'utf8'}).trim().split('\n');
    for (const line of scenes) {
      const [name, , , stillFrom, stillAt] = line.split(/\s+/);
      const linuxFrames = path.join(work, 'linux-' + name);
      execFileSync(path.join(linux, 'zelvo'), ['--dir', linux, '--capture', linuxFrames, '--from', stillFrom,
                                                 '--to', stillAt], {stdio: 'ignore'});
      // A capture from before the still plays up to it at 30 fps: its last frame.
      const frame = fs.readdirSync(linuxFrames).sort().pop();
      const at = String(Number(frame.slice(0, 6)));
      const url = address + 'index.html?from=' + stillFrom + '&at=' + at;
      if (!await browser.load(page, url, new RegExp('zelvo: frame ' + at + ' drawn'), 180)) {
        fail(name + ': the page never drew ' + at + ' ms: ' + page.console.slice(-3).join(' | '));
        continue;
      }
      const shot = path.join(work, 'web-' + name + '.png');
      fs.writeFileSync(shot, await browser.screenshot(page));
      const result = frameCheck('diff', shot, path.join(linuxFrames, frame), String(level), String(allowed[name]));
      (result.ok ? pass : fail)(name + ' at ' + at + ' ms: ' + result.text);
      const errors = page.console.filter((l) => webglError.test(l));
      if (errors.length) fail(name + ': the console shows ' + errors.slice(0, 3).join(' | '));

      // ---- lights placed at the eye light the town and the office as on the desktop ----
      if (name === 'city1' || name === 'office') {
        const ours = Number(frameCheck('mean', shot).text);
        const desktop = Number(frameCheck('mean', path.join(linuxFrames, frame)).text);
        await browser.load(page, url + '&directional-lights', new RegExp('zelvo: frame ' + at + ' drawn'), 180);
        const unmended = path.join(work, 'directional-' + name + '.png');
        fs.writeFileSync(unmended, await browser.screenshot(page));
        const directional = Number(frameCheck('mean', unmended).text);
        const text = 'mean brightness ' + ours + ', desktop ' + desktop + ', lights as directions ' + directional;
        (Math.abs(ours - desktop) <= 0.03 * desktop && directional < 0.9 * desktop ? pass : fail)(
          name + ' lit from the eye: ' + text);
      }
    }

    // ---- on a display of device pixel ratio 2 the town is drawn at 1600 x 1200 ----
    {
      const sharp = await browser.newPage(2);
      if (!await browser.load(sharp, address + 'index.html?at=25000', /zelvo: frame 25000 drawn/, 180)) {
        fail('ratio 2: the page never drew 25000 ms');
      } else {
        const buffer = await browser.evaluate(sharp, 'canvas.width + "x" + canvas.height');
        (buffer === '1600x1200' ? pass : fail)('ratio 2: the drawing buffer is ' + buffer);
        const shot = path.join(shots, 'ratio-2-25000.png');
        fs.writeFileSync(shot, await browser.screenshot(sharp));
        const result = frameCheck('diff', shot, linuxFrame(25000, '1600x1200'), String(level),
                                  String(allowed.city1));
        (result.ok ? pass : fail)('ratio 2: the town at 1600 x 1200: ' + result.text);
      }
      await browser.closePage(sharp);
      await page.send('Page.bringToFront');
    }

    // ---- ?bench: a line a scene in the show's order, then done ----
    {
      const names = scenes.map((line) => line.split(/\s+/)[0]);
      const done = await browser.load(page, address + 'index.html?bench=3', /zelvo: bench done/, 300);
      const rows = page.console.map((l) => /zelvo: bench (\S+) main-thread \d+\.\d\d ms$/.exec(l)).filter(Boolean);
      (done && rows.map((m) => m[1]).join(' ') === names.join(' ') ? pass : fail)(
        '?bench: ' + rows.map((m) => m[0].replace(/^zelvo: bench /, '')).join(', ') + (done ? ', done' : ''));
    }

    // ---- how fast each scene draws: three seconds of music from its still on the virtual clock ----
    for (const line of scenes) {
      const [name, , , , stillAt] = line.split(/\s+/);
      const at = String(Number(stillAt) + 3000);
      await browser.load(page, address + 'index.html?from=' + stillAt + '&at=' + at,
                         new RegExp('zelvo: frame ' + at + ' drawn'), 180);
      const rate = page.console.find((l) => /frames of music drawn/.test(l));
      rates.push(name.padEnd(8) + ' ' + (rate ? rate.replace(/^log: zelvo: /, '') : 'no rate'));
    }

    // ---- a played range: no WebGL errors ----
    page.console.length = 0;
    await page.send('Page.navigate', {url: address + 'index.html?from=60000&to=64000&mute'});
    let title = '';
    for (let i = 0; i < 600; i++) {
      title = String(await browser.evaluate(page, 'document.title'));
      const ms = Number((/^zelvo \| (\d+) ms/.exec(title) || [0, 0])[1]);
      if (ms > 64000) break;
      await sleep(100);
    }
    const errors = page.console.filter((l) => webglError.test(l));
    if (/^zelvo \| 6[4-9]\d{3} ms/.test(title) && errors.length === 0) {
      pass('60000 to 64000 ms played to its end ("' + title + '") with no WebGL error on the console');
    } else {
      fail('the played range: title "' + title + '", console ' + errors.slice(0, 3).join(' | '));
    }

    // ---- sound: Web Audio's clock drives the show ----
    // In the town, whose frames come quickly: the title is at most a short
    // frame behind the clock at either reading.
    page.console.length = 0;
    await page.send('Page.navigate', {url: address + 'index.html?from=22000&to=40000&autoplay'});
    const musicMs = async () =>
      Number((/^zelvo \| (\d+) ms/.exec(String(await browser.evaluate(page, 'document.title'))) || [0, -1])[1]);
    let first = -1, firstAt = 0;
    for (let i = 0; i < 600 && first < 0; i++) {
      const ms = await musicMs();
      if (ms >= 22500) {
        first = ms;
        firstAt = Date.now();
      } else {
        await sleep(50);
      }
    }
    await sleep(4000);
    const music = (await musicMs()) - first, wall = Date.now() - firstAt;
    const audio = await browser.evaluate(page, 'zelvo.audio && !zelvo.muted ? [zelvo.audio.state, ' +
                                         'zelvo.audio.baseLatency || 0, zelvo.audio.outputLatency || 0] : null');
    if (first >= 0 && audio && Math.abs(music - wall) <= 0.05 * wall) {
      pass('sound: the music moved ' + music + ' ms in ' + wall + ' ms of wall clock through Web Audio (' +
           audio[0] + ', latency ' + Math.round(audio[1] * 1000) + ' + ' + Math.round(audio[2] * 1000) + ' ms)');
    } else {
      fail('sound: the music moved ' + music + ' ms in ' + wall + ' ms; audio ' + JSON.stringify(audio) + '; ' +
           page.console.slice(-3).join(' | '));
    }

    // ---- the player: keys dispatched to the canvas, taps, &loop ----
    const titleNow = async () => String(await browser.evaluate(page, 'document.title'));
    const pausedAt = (title) => { const m = /^zelvo \| (\d+) ms \[-?\d+\] \| paused \| by Kardel$/.exec(title); return m ? Number(m[1]) : -1; };
    const playingAt = (title) => { const m = /^zelvo \| (\d+) ms \[-?\d+\] \| +\d+ fps/.exec(title); return m ? Number(m[1]) : -1; };
    // Waits up to 30 s for a title that passes the test; the last title seen.
    const waitTitle = async (test) => {
      let title = '';
      for (let i = 0; i < 300; i++) {
        title = await titleNow();
        if (test(title)) break;
        await sleep(100);
      }
      return title;
    };
    const press = async (key, code) => {
      for (const type of ['keyDown', 'keyUp'])
        await page.send('Input.dispatchKeyEvent', {type, key, code: key, windowsVirtualKeyCode: code});
    };
    const tap = (x) => browser.tap(page, x, 300);
    page.console.length = 0;
    await page.send('Page.navigate', {url: address + 'index.html?from=40000&mute'});
    const problems = [];
    if (playingAt(await waitTitle((t) => playingAt(t) > 40000)) < 0) problems.push('never played');
    await press(' ', 32);
    const held = pausedAt(await waitTitle((t) => pausedAt(t) >= 0));
    await sleep(500);
    if (held < 0 || pausedAt(await titleNow()) !== held) problems.push('Space did not hold the time: ' + await titleNow());
    const steps = [['ArrowRight', 39, held + 1333], ['ArrowLeft', 37, held], ['PageDown', 34, 53359], ['Home', 36, 0]];
    for (const [key, code, at] of steps) {
      await press(key, code);
      const title = await waitTitle((t) => pausedAt(t) === at);
      if (pausedAt(title) !== at) problems.push(key + ': "' + title + '", not ' + at);
    }
    await page.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 1});
    await tap(700);
    let tapped = await waitTitle((t) => pausedAt(t) === 1333);
    if (pausedAt(tapped) !== 1333) problems.push('a tap on the right third: "' + tapped + '"');
    await tap(400);
    tapped = await waitTitle((t) => playingAt(t) > 1333);
    if (playingAt(tapped) <= 1333) problems.push('a tap in the middle: "' + tapped + '"');
    await page.send('Emulation.setTouchEmulationEnabled', {enabled: false});
    (problems.length ? fail : pass)('keys in the page: ' + (problems.length ? problems.join('; ') :
      'Space held ' + held + ' ms, the arrows, Page Down and Home seek, taps seek and resume'));

    await page.send('Page.navigate', {url: address + 'index.html?from=160000&mute&loop'});
    await waitTitle((t) => playingAt(t) >= 160000);
    const looped = await waitTitle((t) => playingAt(t) >= 0 && playingAt(t) < 5000);
    (playingAt(looped) >= 0 && playingAt(looped) < 5000 ? pass : fail)('&loop: after the end the page plays "' + looped + '"');

    // ---- every failure in words, in the page and on the console ----
    for (const [what, where, words, before, once] of failures) {
      const url = where === 'FILE' ? 'file://' + served.folder + '/index.html' :
                  where.startsWith('PAGE') ? sent + where.slice(4) : files.address + where;
      let script = null;
      if (before) script = await page.send('Page.addScriptToEvaluateOnNewDocument', {source: before});
      page.console.length = 0;
      await page.send('Page.navigate', {url});
      if (once) {
        await waitFor(async () => playing.test(await browser.evaluate(page, 'document.title')), 90);
        await browser.evaluate(page, once);
      }
      const shown = await waitFor(async () => {
        const text = await browser.visibleText(page);
        return words.test(text) && text;
      }, 90);
      // The console says it too: its line holds the page's first words.
      const flat = (text) => String(text).replace(/\s+/g, ' ');
      const said = shown && page.console.some((l) => flat(l).includes(flat(shown).slice(0, 40)));
      const drew = page.console.find((l) => /frame \d+ drawn/.test(l));
      let resumed = true;
      if (shown && /holds the sound/.test(shown)) {
        await browser.click(page, 400, 300);
        resumed = await waitFor(() => browser.evaluate(page, 'Module.zelvoAudio.state === "running" && notice.hidden'), 10);
      }
      (shown && said && !drew && resumed ? pass : fail)(what + ': the page says "' +
        String(shown || await browser.visibleText(page)).replace(/\s+/g, ' ').slice(0, 200) + '"' +
        (said ? '' : ', the console not') + (drew ? ', yet ' + drew : '') + (resumed ? '' : ', a click did not resume it'));
      if (script) await page.send('Page.removeScriptToEvaluateOnNewDocument', {identifier: script.identifier});
    }

    console.log('frames of music per second in headless Chromium (stills drawn as fast as the page can):');
    for (const rate of rates) console.log('  ' + rate);
  } finally {
    await browser.close();
    server.kill();
    files.server.kill();
  }
  console.log(passed + ' passed, ' + failed + ' failed');
  if (failed === 0) fs.rmSync(work, {recursive: true, force: true});
  else console.log('the frames are kept in ' + work);
  process.exit(failed === 0 ? 0 : 1);
}

main().catch((e) => {
  console.error('test-web: ' + e.stack);
  process.exit(1);
});

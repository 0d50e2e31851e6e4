// The browser build in headless Chromium (make test-web):
//   node tests/web/test_web.js LINUX_BUILD WEB_BUILD
// Every scene's still against the Linux build's frame of the same music time
// (and the town at device pixel ratio 2 against its 1600 x 1200 frame),
// the lit city and office at their desktop brightness, a played range without
// WebGL errors on the console, ?bench's lines, the player's keys and taps and &loop, a
// missing data file's message in the page.
// Prints "N passed, N failed"; exits 1 when one failed.
'use strict';
const {execFileSync} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {Browser, serve} = require('./browser.js');

const [linux, web] = process.argv.slice(2).map((p) => path.resolve(p));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zelvo-web-'));

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
const webglError = /WebGL:|INVALID_ENUM|INVALID_VALUE|INVALID_OPERATION|GL ERROR|exception:/;

async function main() {
  const {server, address} = await serve(web);
  const browser = new Browser(path.join(work, 'profile'));
  try {
    const page = await browser.newPage();
    const rates = [];

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
      const linuxFrames = path.join(work, 'linux-1600');
      execFileSync(path.join(linux, 'zelvo'), ['--dir', linux, '--capture', linuxFrames, '--fps', '1', '--from',
                                                 '25000', '--to', '25000', '--size', '1600x1200'], {stdio: 'ignore'});
      if (!await browser.load(sharp, address + 'index.html?at=25000', /zelvo: frame 25000 drawn/, 180)) {
        fail('ratio 2: the page never drew 25000 ms');
      } else {
        const buffer = await browser.evaluate(sharp, 'canvas.width + "x" + canvas.height');
        (buffer === '1600x1200' ? pass : fail)('ratio 2: the drawing buffer is ' + buffer);
        const shot = path.join(work, 'web-1600.png');
        fs.writeFileSync(shot, await browser.screenshot(sharp));
        const result = frameCheck('diff', shot, path.join(linuxFrames, '025000.png'), String(level),
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
    const tap = async (x) => {
      await page.send('Input.dispatchTouchEvent', {type: 'touchStart', touchPoints: [{x, y: 300}]});
      await page.send('Input.dispatchTouchEvent', {type: 'touchEnd', touchPoints: []});
    };
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

    // ---- a missing data file: its message in the page and on the console ----
    const missing = /Can't find music file/;
    const shown = await browser.load(page, address + 'index.html?mute&remove=/data/kardel.mp3', missing, 60);
    const inPage = String(await browser.evaluate(page, 'document.getElementById("message").textContent'));
    if (shown && missing.test(inPage)) {
      pass('without the soundtrack the page says "' + inPage.replace(/\n/g, ' ') + '"');
    } else {
      fail('without the soundtrack: console ' + page.console.slice(-3).join(' | ') + '; page "' + inPage + '"');
    }

    console.log('frames of music per second in headless Chromium (stills drawn as fast as the page can):');
    for (const rate of rates) console.log('  ' + rate);
  } finally {
    browser.close();
    server.kill();
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

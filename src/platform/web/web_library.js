// The web backend's JavaScript side (web.cpp): the canvas and its WebGL
// context, keys and touches, the title, message boxes in the page and the
// soundtrack through Web Audio.
mergeInto(LibraryManager.library, {
  $zelvo: {
    keys: [],          // [virtual-key code, down] pairs not yet handed to the show
    leaving: false,    // the page is being closed
    audio: null,       // the AudioContext
    buffer: null,      // the decoded soundtrack
    decoded: 0,        // 0 while decoding, 1 when decoded, -1 when it failed
    source: null,      // the playing AudioBufferSourceNode
    startedAt: 0,      // the context's time at which music time startMs played
    startMs: 0,
    muted: false,
    mutedSince: 0,     // performance.now() at which a muted play began
    fixedSize: false,  // the drawing buffer has the size asked for, not the page's
  },

  web_open_canvas__deps: ['$zelvo', '$Browser', 'web_fit_canvas'],
  web_open_canvas: function(width, height, antialias) {
    var canvas = Module['canvas'];
    zelvo.fixedSize = width > 0 && height > 0;
    if (zelvo.fixedSize) {
      canvas.width = width;
      canvas.height = height;
    } else {
      _web_fit_canvas();
    }
    // 0 when the browser makes no context (WebGL off, or a drawing buffer too large for it).
    if (!Browser.createContext(canvas, true, true, {
      alpha: false, depth: true, stencil: false, antialias: antialias != 0, premultipliedAlpha: false,
      preserveDrawingBuffer: false, majorVersion: 1
    })) return 0;
    // The keys reach the show while the canvas has the focus; those it
    // answers (Escape, Tab, Space, Page Up and Down, Home, the arrows) do
    // nothing else in the page: no scrolling, no focus moving away.
    var answered = [27, 9, 32, 33, 34, 36, 37, 39];
    function key(down) {
      return function(e) {
        if (answered.indexOf(e.keyCode) >= 0) e.preventDefault();
        zelvo.keys.push([e.keyCode, down]);
      };
    }
    canvas.addEventListener('keydown', key(1));
    canvas.addEventListener('keyup', key(0));
    canvas.addEventListener('pointerdown', function() { canvas.focus(); });
    // A touch on the left or right third seeks a bar back or forward, one in
    // the middle pauses or resumes: the press and release of Left, Right or Space.
    canvas.addEventListener('touchstart', function(e) {
      e.preventDefault();
      var box = canvas.getBoundingClientRect();
      var x = (e.changedTouches[0].clientX - box.left) / box.width;
      var code = x < 1 / 3 ? 37 : x > 2 / 3 ? 39 : 32;
      zelvo.keys.push([code, 1], [code, 0]);
    }, {passive: false});
    window.addEventListener('pagehide', function() { zelvo.leaving = true; });
    return 1;
  },

  // Without a size asked for, the drawing buffer is the canvas's size on the
  // page in device pixels (800 x 600 CSS pixels on a 2x display: 1600 x 1200),
  // so the picture is drawn as sharp as it is shown; called at every swap, so
  // it follows the page's size. Setting the size clears the buffer, so it is
  // only set when it changes.
  web_fit_canvas__deps: ['$zelvo'],
  web_fit_canvas: function() {
    if (zelvo.fixedSize) return;
    var canvas = Module['canvas'];
    var ratio = window.devicePixelRatio || 1;
    var width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    var height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width != width) canvas.width = width;
    if (canvas.height != height) canvas.height = height;
  },

  // The size of the canvas's drawing buffer, which the frame is drawn at.
  web_canvas_size: function(width, height) {
    var canvas = Module['canvas'];
    HEAP32[width >> 2] = canvas.width;
    HEAP32[height >> 2] = canvas.height;
  },

  // A test hook (&directional-lights): lights placed at a point are taken as
  // directions, as the compiler's own fixed-function emulation took them.
  web_lights_as_directions: function() { return Module['zelvoKeepDirectionalLights'] ? 1 : 0; },

  web_set_title: function(title) { document.title = UTF8ToString(title); },

  web_next_key__deps: ['$zelvo'],
  web_next_key: function(down) {
    if (zelvo.leaving) return -1;
    var key = zelvo.keys.shift();
    if (!key) return 0;
    HEAP32[down >> 2] = key[1];
    return key[0];
  },

  web_wait_frame__deps: ['$Asyncify'],
  web_wait_frame: function() {
    return Asyncify.handleSleep(function(wakeUp) { requestAnimationFrame(function() { wakeUp(); }); });
  },

  web_wait_ms__deps: ['$Asyncify'],
  web_wait_ms: function(ms) {
    return Asyncify.handleSleep(function(wakeUp) { setTimeout(wakeUp, ms); });
  },

  web_now_ms: function() { return performance.now(); },

  web_show_message: function(text, caption) {
    var message = UTF8ToString(caption) + ': ' + UTF8ToString(text);
    console.error(message);
    if (Module['zelvoShowMessage']) Module['zelvoShowMessage'](message);
  },

  web_sound_decode__deps: ['$zelvo'],
  web_sound_decode: function(bytes, size) {
    try {
      // The page's own context, made in the click that started the show, where it made one.
      if (!zelvo.audio) zelvo.audio = Module['zelvoAudio'] || new (window.AudioContext || window.webkitAudioContext)();
    } catch (e) {
      return 0;
    }
    zelvo.decoded = 0;
    var copy = HEAPU8.slice(bytes, bytes + size).buffer;
    zelvo.audio.decodeAudioData(copy, function(buffer) {
      zelvo.buffer = buffer;
      zelvo.decoded = 1;
    }, function() {
      zelvo.decoded = -1;
    });
    return 1;
  },

  web_sound_decoded__deps: ['$zelvo'],
  web_sound_decoded: function() { return zelvo.decoded; },

  // Starts the soundtrack at startMs; muted, only the page's clock runs.
  // Starting again while a source plays (a seek) ramps the old one out first.
  web_sound_play__deps: ['$zelvo', 'web_sound_stop'],
  web_sound_play: function(startMs, muted) {
    _web_sound_stop();
    zelvo.startMs = startMs;
    zelvo.muted = !!muted || !zelvo.audio;
    if (zelvo.muted) {
      zelvo.mutedSince = performance.now();
      return;
    }
    if (zelvo.audio.state == 'suspended') zelvo.audio.resume();
    var source = zelvo.audio.createBufferSource();
    source.buffer = zelvo.buffer;
    // Through a gain of its own, so stopping can ramp it to silence.
    var gain = zelvo.audio.createGain();
    source.connect(gain);
    gain.connect(zelvo.audio.destination);
    zelvo.gain = gain;
    zelvo.startedAt = zelvo.audio.currentTime;
    source.start(0, Math.min(startMs / 1000, zelvo.buffer.duration));
    zelvo.source = source;
  },

  // What has been heard: the context's clock since the start, less what is
  // still on its way to the speakers.
  web_sound_position_ms__deps: ['$zelvo'],
  web_sound_position_ms: function() {
    if (zelvo.muted) return zelvo.startMs + (performance.now() - zelvo.mutedSince);
    var audio = zelvo.audio;
    var latency = (audio.outputLatency || 0) + (audio.baseLatency || 0);
    var played = audio.currentTime - zelvo.startedAt - latency;
    return zelvo.startMs + Math.max(played, 0) * 1000;
  },

  web_sound_stop__deps: ['$zelvo'],
  // The sound ramps to silence over 30 ms and stops after it, so the end never clicks.
  web_sound_stop: function() {
    if (zelvo.source) {
      var now = zelvo.audio.currentTime;
      zelvo.gain.gain.setValueAtTime(zelvo.gain.gain.value, now);
      zelvo.gain.gain.linearRampToValueAtTime(0, now + 0.03);
      zelvo.source.stop(now + 0.04);
    }
    zelvo.source = null;
    zelvo.gain = null;
  },
});

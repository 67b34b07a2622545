// Runs inside kelvantis.js before the game starts: the player's folder, the
// options kept in browser storage, screenshots handed to the browser, the
// game's messages on the page when it stops, and audio and full screen at the
// first key press.
//
// Files: /game/gfx and /game/data hold the preloaded data. The game runs in
// /player, as the installed game runs in the player's folder, with gfx and
// data linked there. /store is browser storage (IndexedDB): kv.cfg is copied
// from it before the game starts and back to it each time the game has
// written it. Only kv.cfg is kept; screenshot.png becomes a download.
Module.preRun = Module.preRun || [];
Module.preRun.push(function() {
  FS.mkdir('/store');
  FS.mount(IDBFS, {}, '/store');
  FS.mkdir('/player');
  FS.symlink('/game/gfx', '/player/gfx');
  FS.symlink('/game/data', '/player/data');
  FS.chdir('/player');
  addRunDependency('kv-store');
  FS.syncfs(true, function(error) {
    if (error)
      console.error('Browser storage could not be read: ' + error);
    try {
      FS.writeFile('/player/kv.cfg', FS.readFile('/store/kv.cfg'));
    } catch (e) {
      // Nothing kept yet: the game starts with its default options.
    }
    watchPlayerFiles();
    removeRunDependency('kv-store');
  });
});

// The preloaded data is read-only, as the installed game's is. It is all in
// place once the run dependencies are met, just before the game starts.
function protectData(path) {
  if (FS.isDir(FS.stat(path).mode)) {
    FS.readdir(path).forEach(function(name) {
      if (name !== '.' && name !== '..')
        protectData(path + '/' + name);
    });
    FS.chmod(path, 365 /* 0555 */);
  } else {
    FS.chmod(path, 292 /* 0444 */);
  }
}
var kvPageReady = Module.onRuntimeInitialized;
Module.onRuntimeInitialized = function() {
  protectData('/game');
  if (kvPageReady)
    kvPageReady();
};

// The game writes each file under a temporary name and renames it into
// place; a file is acted on when it arrives under its own name.
function watchPlayerFiles() {
  var write = FS.write, close = FS.close, rename = FS.rename;
  function arrived(path) {
    if (path.charAt(0) !== '/')
      path = FS.cwd() + '/' + path;
    path = PATH.normalize(path);
    if (path === '/player/kv.cfg')
      keepOptions();
    else if (path === '/player/screenshot.png')
      handOver(path, 'screenshot.png', 'image/png');
  }
  FS.write = function(stream) {
    stream.kvWritten = true;
    return write.apply(null, arguments);
  };
  FS.close = function(stream) {
    var path = stream.kvWritten ? stream.path : null;
    var result = close.apply(null, arguments);
    if (path)
      arrived(path);
    return result;
  };
  FS.rename = function(from, to) {
    var result = rename.apply(null, arguments);
    arrived(to);
    return result;
  };
}

function keepOptions() {
  FS.writeFile('/store/kv.cfg', FS.readFile('/player/kv.cfg'));
  FS.syncfs(false, function(error) {
    if (error)
      console.error('Options could not be kept in browser storage: ' + error);
  });
}

function handOver(path, name, type) {
  var bytes = FS.readFile(path);
  window.kvLastDownload = {name: name, bytes: bytes};
  var link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], {type: type}));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
}

// The game's output goes to the console unchanged; the last lines are kept
// for the page in case the game stops.
var kvLastLines = [];
function kvKeepLine(line) {
  if (!line.trim())
    return;
  kvLastLines.push(line);
  if (kvLastLines.length > 6)
    kvLastLines.shift();
}
Module.print = function(text) {
  console.log(text);
  kvKeepLine(text);
};
Module.printErr = function(text) {
  // Emscripten's own notices that it emulates the old GL are not faults.
  if (/^WARNING: using emscripten GL |^TODO: gl/.test(text)) {
    console.warn(text);
    return;
  }
  console.error(text);
  kvKeepLine(text);
};

// The game ended itself (a data file failed to load, or quitting): nothing
// more runs, and the page shows what it said.
Module.quit = function(status, toThrow) {
  ABORT = true;
  if (Module.kvStopped)
    Module.kvStopped(status, kvLastLines.slice());
  throw toThrow;
};

// Browsers start sound and full screen only from an input event.
Module.kvUserGesture = function() {
  if (typeof SDL !== 'undefined' && SDL.audioContext && SDL.audioContext.state !== 'running')
    SDL.audioContext.resume();
};

// Read-only hooks for the page and its tests (see index.html).
Module.kvDebugState = function() {
  return UTF8ToString(Module._kvDebugState());
};
Module.kvViewport = function(width, height) {
  var at = Module._kvViewport(width, height) >> 2;
  return {x: HEAP32[at], y: HEAP32[at + 1], width: HEAP32[at + 2], height: HEAP32[at + 3]};
};
Module.kvMixerCounts = function() {
  var at = Module._kvMixerCounts() >> 3;
  return {mixedFrames: HEAPF64[at], sampleFrames: HEAPF64[at + 1], samplesStarted: HEAPF64[at + 2]};
};

// Runs inside kelvantis.js before the game starts: the player's folder, the
// options kept in browser storage, screenshots handed to the browser, the
// page's message when the game stops or fails, and audio at the first key
// press or tap.
//
// Files: /game/gfx and /game/data hold the preloaded data. The game runs in
// /player, as the installed game runs in the player's folder, with gfx and
// data linked there. Only kv.cfg is kept between visits; screenshot.png
// becomes a download.
//
// kv.cfg is kept twice, each time the game has written it:
// - in the IndexedDB database the runtime names after its mount point,
//   kvStoreDir, a name no other game's page on the same site would pick;
// - as a synchronous copy in localStorage, written before the database's
//   asynchronous save even starts, so an option saved just before the page is
//   closed is never lost.
// At start-up the localStorage copy wins whenever there is one: every save
// writes it first, and a save that cannot write it removes it, so it is never
// older than the database's. The database is read when localStorage holds
// nothing (cleared, or switched off). Builds before this one kept kv.cfg in a
// database named "/store"; when neither place has options yet, they are
// carried over from there once (and then kept in both places as any save).
var kvStoreDir = '/kelvantis-options';
var kvOldStoreDir = '/store';
var kvCopyKey = 'kelvantis-options/kv.cfg';

Module.preRun = Module.preRun || [];
Module.preRun.push(function() {
  FS.mkdir(kvStoreDir);
  FS.mount(IDBFS, {}, kvStoreDir);
  FS.mkdir('/player');
  FS.symlink('/game/gfx', '/player/gfx');
  FS.symlink('/game/data', '/player/data');
  FS.chdir('/player');
  addRunDependency('kv-store');
  function ready() {
    watchPlayerFiles();
    removeRunDependency('kv-store');
  }
  FS.syncfs(true, function(error) {
    if (error)
      console.error('Browser storage could not be read: ' + error);
    var kept = readLocalCopy() || readIfThere(kvStoreDir + '/kv.cfg');
    if (kept) {
      FS.writeFile('/player/kv.cfg', kept);
      ready();
    } else {
      carryOverOldOptions(ready);
    }
  });
});

function readIfThere(path) {
  try {
    return FS.readFile(path);
  } catch (e) {
    return null; // nothing kept yet: the game starts with its default options
  }
}

// kv.cfg is plain text; it is kept as a string of byte values.
function readLocalCopy() {
  try {
    var text = window.localStorage.getItem(kvCopyKey);
    if (text === null)
      return null;
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; i++)
      bytes[i] = text.charCodeAt(i) & 0xFF;
    return bytes;
  } catch (e) {
    return null; // storage switched off for this site
  }
}

function writeLocalCopy(bytes) {
  try {
    window.localStorage.setItem(kvCopyKey, String.fromCharCode.apply(null, bytes));
    return true;
  } catch (e) {
    // Full or switched off: a stale copy must not win over the database's
    // newer one at the next start.
    try {
      window.localStorage.removeItem(kvCopyKey);
    } catch (ignored) {
    }
    return false;
  }
}

// Looks for the old database without creating it (a database that does not
// exist would be created by the open: the upgrade is aborted instead), reads
// kv.cfg from it and keeps it under the new name. The old database is left as
// it is: another page on the same site may be using it.
function carryOverOldOptions(done) {
  var request;
  try {
    request = window.indexedDB.open(kvOldStoreDir);
  } catch (e) {
    done();
    return;
  }
  request.onupgradeneeded = function() {
    request.transaction.abort();
  };
  request.onerror = function(e) {
    e.preventDefault();
    done();
  };
  request.onsuccess = function() {
    request.result.close();
    FS.mkdir(kvOldStoreDir);
    FS.mount(IDBFS, {}, kvOldStoreDir);
    FS.syncfs(true, function(error) {
      var old = error ? null : readIfThere(kvOldStoreDir + '/kv.cfg');
      FS.unmount(kvOldStoreDir);
      FS.rmdir(kvOldStoreDir);
      if (old) {
        FS.writeFile('/player/kv.cfg', old);
        keepOptions();
      }
      done();
    });
  };
}

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

// Asked at the first save (after the player has done something), so that
// the browser keeps the options when it runs short of space.
var kvPersistAsked = false;
function askToPersist() {
  if (kvPersistAsked)
    return;
  kvPersistAsked = true;
  if (navigator.storage && navigator.storage.persist)
    navigator.storage.persist().catch(function() {});
}

// A save that reached neither place is reported as the desktop game reports
// a kv.cfg it could not write.
function keepOptions() {
  var bytes = FS.readFile('/player/kv.cfg');
  var copied = writeLocalCopy(bytes);
  askToPersist();
  try {
    FS.writeFile(kvStoreDir + '/kv.cfg', bytes);
  } catch (e) {
    if (!copied)
      failedSave(e);
    return;
  }
  FS.syncfs(false, function(error) {
    if (!error)
      return;
    if (copied)
      console.warn('Options kept in localStorage only, the database could not be written: ' + error);
    else
      failedSave(error);
  });
}

function failedSave(error) {
  Module.print('ERROR opening file kv.cfg');
  Module.print('');
  console.error('Options could not be kept in browser storage: ' + error);
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

// Every audio context the runtime's sound makes, whichever object of its own
// keeps it: they are resumed at the first key press or tap (browsers start
// sound only from an input event) and closed when the game stops.
var kvAudioContexts = [];
['AudioContext', 'webkitAudioContext'].forEach(function(name) {
  var Native = window[name];
  if (!Native)
    return;
  var Recorded = function(options) {
    var context = new Native(options);
    kvAudioContexts.push(context);
    return context;
  };
  Recorded.prototype = Native.prototype;
  window[name] = Recorded;
});
Module.kvUserGesture = function() {
  kvAudioContexts.forEach(function(context) {
    if (context.state === 'suspended')
      context.resume();
  });
};
// A touchstart is no user gesture for audio; the end of a tap is.
['keydown', 'mousedown', 'touchend', 'pointerup'].forEach(function(type) {
  window.addEventListener(type, Module.kvUserGesture, true);
});

// The game stops for good: it ended itself (status 0 when quitting, else a
// data file failed to load), it trapped (in a timer, the idle callback or a
// key handler; reason is the trap's text), its files did not arrive, or the
// picture was lost (kind 'context'). Nothing more of it runs, sound stops,
// input no longer reaches it, and the page shows what happened.
var kvHasStopped = false;
function kvStop(status, reason, kind) {
  if (kvHasStopped)
    return;
  kvHasStopped = true;
  ABORT = true;
  kvAudioContexts.forEach(function(context) {
    if (context.state !== 'closed')
      context.close().catch(function() {});
  });
  if (Module.kvStopped)
    Module.kvStopped(status, kvLastLines.slice(), reason || '', kind || '');
}
Module.quit = function(status, toThrow) {
  kvStop(status, toThrow instanceof ExitStatus ? '' : String(toThrow));
  throw toThrow;
};
// The runtime gave up: the .wasm did not arrive or does not compile.
Module.onAbort = function(what) {
  kvStop(1, String(what));
};
// What escapes the runtime's own handlers: a trap in a key handler (GLUT
// calls the game's key functions straight from its listeners), or a .data
// file that did not arrive (its loader throws from the request's handler).
window.addEventListener('error', function(e) {
  kvStop(1, e.error ? String(e.error) : e.message);
});
window.addEventListener('unhandledrejection', function(e) {
  kvStop(1, String(e.reason));
});
// Registered before GLUT's listeners, so that after a stop no input event
// reaches the game's handlers.
['keydown', 'keyup', 'keypress', 'mousedown', 'mouseup', 'mousemove', 'wheel',
 'touchstart', 'touchmove', 'touchend'].forEach(function(type) {
  window.addEventListener(type, function(e) {
    if (kvHasStopped)
      e.stopImmediatePropagation();
  }, true);
});
// The pictures are uploaded once at start-up; a lost WebGL context (the
// browser reclaimed the GPU, a driver reset) takes them all, so the game
// stops and the page asks for a reload.
Module.preRun.push(function() {
  Module.canvas.addEventListener('webglcontextlost', function() {
    kvStop(1, 'the WebGL context was lost', 'context');
  });
});

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

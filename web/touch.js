// Runs inside kelvantis.js before the game starts: the on-screen controls of
// a touch screen. They appear at the first touch and hide at the first key
// press. Each control is a key of the keyboard: a finger down presses it and
// the finger's lift (wherever it lifts) or a cancelled touch releases it,
// through the same calls as the keyboard (Module._kvTouchKey). Every finger
// is followed by its own identifier, so walking and jumping go together.
//
// In play: a d-pad a finger can slide across (diagonals press two arrows),
// Jump, Sword, Switch and Back (Esc). On the title, story and game-over
// screens: the d-pad, OK (Enter), and Back where Esc leads back (the story
// and game over; on the title and options screens Esc ends the game).
//
// The page lays them out (index.html's place() asks kvTouchRoom for the room
// below the picture in portrait, then calls kvPlaceTouch with the picture's
// box): in portrait below the picture, in landscape in the side bars when
// they are wide enough, otherwise half-transparent over the picture's lower
// corners.
(function() {
  'use strict';
  // Name: [GLUT key code, 1 for a special key], as the keyboard's keys.
  var KEYS = {
    Left: [100, 1], Up: [101, 1], Right: [102, 1], Down: [103, 1],
    Jump: [99, 0], Sword: [120, 0], Switch: [122, 0], OK: [13, 0], Back: [27, 0],
  };
  // The game states (kvGameState) each button shows in: 0 title and options,
  // 1 story, 3 play, 4 dying, 5 game over.
  var SHOWN = {
    Jump: [3, 4], Sword: [3, 4], Switch: [3, 4], OK: [0, 1, 5], Back: [1, 3, 4, 5],
  };
  var DIAGONAL = 0.414; // tan 22.5°: eight sectors of the d-pad
  var DEAD = 0.2;       // centre of the d-pad, as a share of its radius, that presses nothing

  var root = document.createElement('div');
  root.id = 'touch';
  var pad = document.createElement('div');
  pad.className = 'kvpad';
  var cluster = document.createElement('div');
  cluster.className = 'kvcluster';
  root.appendChild(pad);
  root.appendChild(cluster);
  var controls = {};
  function control(name, parent, text) {
    var b = document.createElement('button');
    b.type = 'button';
    b.tabIndex = -1;
    b.className = 'kv' + name;
    b.setAttribute('aria-label', name);
    b.textContent = text;
    b.dataset.kv = name;
    parent.appendChild(b);
    controls[name] = b;
  }
  control('Up', pad, '\u25b2');
  control('Left', pad, '\u25c0');
  control('Right', pad, '\u25b6');
  control('Down', pad, '\u25bc');
  ['Back', 'Switch', 'Sword', 'Jump', 'OK'].forEach(function(name) { control(name, cluster, name); });

  var style = document.createElement('style');
  style.textContent =
    '#touch{display:none;--u:56px}body.touch #touch{display:block}' +
    '#touch .kvpad,#touch .kvcluster{position:absolute;width:calc(3*var(--u));height:calc(3*var(--u))}' +
    '#touch.over .kvpad,#touch.over .kvcluster{opacity:.45}' +
    '#touch button{position:absolute;box-sizing:border-box;margin:0;padding:0;width:var(--u);height:var(--u);' +
    'border:2px solid #777;border-radius:12px;background:rgba(40,40,40,.8);color:#ddd;' +
    'font:bold calc(var(--u)/4) sans-serif;touch-action:none;user-select:none;-webkit-user-select:none;' +
    '-webkit-touch-callout:none;-webkit-tap-highlight-color:transparent}' +
    '#touch button.on{background:#c8a040;color:#000;border-color:#fff}' +
    '#touch button[hidden]{display:none}' +
    '#touch .kvUp{left:var(--u);top:0}#touch .kvDown{left:var(--u);bottom:0}' +
    '#touch .kvLeft{left:0;top:var(--u)}#touch .kvRight{right:0;top:var(--u)}' +
    '#touch .kvBack{right:0;top:0;height:calc(var(--u)*.7)}' +
    '#touch .kvSwitch{left:0;top:var(--u)}#touch .kvSword{right:0;top:var(--u)}' +
    '#touch .kvJump,#touch .kvOK{left:0;bottom:0;width:calc(3*var(--u))}';
  document.head.appendChild(style);
  document.body.appendChild(root);

  // ---- Layout ------------------------------------------------------------
  function touchScreen() {
    return document.body.classList.contains('touch') || 'ontouchstart' in document.documentElement;
  }

  // The room the page keeps free below the picture: in portrait on a touch
  // screen, enough for the controls; nothing otherwise.
  window.kvTouchRoom = function(width, height) {
    if (!touchScreen() || height <= width)
      return 0;
    return Math.min(Math.round(height * 0.4), Math.max(height - width * 3 / 4, 200));
  };

  function put(element, left, top) {
    element.style.left = Math.round(left) + 'px';
    element.style.top = Math.round(top) + 'px';
  }

  // Places the d-pad (left) and the buttons (right) around the picture's box
  // {x, y, width, height} (CSS pixels from the top left) in a page of
  // width x height.
  window.kvPlaceTouch = function(box, width, height) {
    var margin = 8;
    var u, top, padLeft, clusterLeft;
    if (height > width) {
      // Portrait: in the band below the picture, centred in it.
      var below = height - box.y - box.height;
      u = Math.min(72, (width - 3 * margin) / 6, (below - 2 * margin) / 3);
      top = box.y + box.height + (below - 3 * u) / 2;
    } else {
      // Landscape: in the side bars, low down where the thumbs rest.
      u = Math.min(72, (box.x - 2 * margin) / 3, (height - 2 * margin) / 3);
      top = (height - 3 * u) * 0.7;
      padLeft = (box.x - 3 * u) / 2;
      clusterLeft = width - box.x + padLeft;
    }
    // Too little room: over the picture's lower corners, half-transparent.
    var over = u < 36;
    if (over) {
      u = Math.max(36, Math.min(64, Math.min(width, height) / 7));
      top = height - margin - 3 * u;
    }
    u = Math.floor(u);
    if (over || height > width) {
      padLeft = margin;
      clusterLeft = width - margin - 3 * u;
    }
    root.classList.toggle('over', over);
    root.style.setProperty('--u', u + 'px');
    put(pad, padLeft, Math.max(0, top));
    put(cluster, clusterLeft, Math.max(0, top));
  };

  function relayout() {
    if (window.kvPlace)
      window.kvPlace();
  }

  // ---- Presses -----------------------------------------------------------
  var held = {};    // name -> fingers holding it
  var fingers = {}; // touch identifier -> {pad: bool, names: [held names]}

  function press(name, down) {
    var count = (held[name] || 0) + (down ? 1 : -1);
    if (count < 0)
      count = 0;
    var was = held[name] || 0;
    held[name] = count;
    if ((was === 0) === (count === 0))
      return;
    controls[name].classList.toggle('on', count > 0);
    if (window.kvStatus === 'running')
      Module._kvTouchKey(KEYS[name][0], KEYS[name][1], count > 0 ? 1 : 0);
  }

  // The arrows a finger at (x, y) presses on the d-pad: none in its centre,
  // one or two (a diagonal) elsewhere, however far the finger has slid.
  function padNames(x, y) {
    var r = pad.getBoundingClientRect();
    var dx = x - (r.left + r.width / 2), dy = y - (r.top + r.height / 2);
    var names = [];
    if (Math.sqrt(dx * dx + dy * dy) < DEAD * r.width / 2)
      return names;
    if (Math.abs(dx) > Math.abs(dy) * DIAGONAL)
      names.push(dx < 0 ? 'Left' : 'Right');
    if (Math.abs(dy) > Math.abs(dx) * DIAGONAL)
      names.push(dy < 0 ? 'Up' : 'Down');
    return names;
  }

  // Moves a finger's presses to names: what it no longer holds is released.
  function hold(finger, names) {
    finger.names.forEach(function(n) { if (names.indexOf(n) < 0) press(n, false); });
    names.forEach(function(n) { if (finger.names.indexOf(n) < 0) press(n, true); });
    finger.names = names;
  }

  function buttonAt(x, y) {
    var e = document.elementFromPoint(x, y);
    var b = e && e.closest && e.closest('#touch .kvcluster button');
    return b && !b.hidden ? b.dataset.kv : null;
  }

  function onTouch(e) {
    var mine = false;
    for (var i = 0; i < e.changedTouches.length; i++) {
      var t = e.changedTouches[i];
      var finger = fingers[t.identifier];
      if (e.type === 'touchstart') {
        if (!document.body.classList.contains('touch'))
          continue;
        var target = t.target instanceof Element ? t.target : null;
        if (target && pad.contains(target)) {
          finger = fingers[t.identifier] = {pad: true, names: []};
          hold(finger, padNames(t.clientX, t.clientY));
        } else if (buttonAt(t.clientX, t.clientY)) {
          finger = fingers[t.identifier] = {pad: false, names: []};
          hold(finger, [buttonAt(t.clientX, t.clientY)]);
        }
      } else if (finger && e.type === 'touchmove') {
        if (finger.pad) {
          hold(finger, padNames(t.clientX, t.clientY));
        } else {
          // A finger slid onto another button moves there; off the buttons it keeps its own.
          var name = buttonAt(t.clientX, t.clientY);
          if (name)
            hold(finger, [name]);
        }
      } else if (finger) { // touchend, touchcancel
        hold(finger, []);
        delete fingers[t.identifier];
      }
      if (finger)
        mine = true;
    }
    // No finger scrolls or zooms the page (browsers that ignore the page's
    // touch-action included), and the controls' fingers make no mouse
    // clicks; the controls line's Full screen button keeps its click.
    var line = e.target instanceof Element && e.target.closest('#controls');
    if ((mine || !line) && e.cancelable)
      e.preventDefault();
  }

  function releaseAll() {
    Object.keys(fingers).forEach(function(id) {
      hold(fingers[id], []);
      delete fingers[id];
    });
  }

  // ---- Showing and hiding ------------------------------------------------
  var shownState = -1;
  function showState() {
    if (!document.body.classList.contains('touch'))
      return;
    if (window.kvStatus === 'running') {
      var state = Module._kvGameState();
      if (state !== shownState) {
        shownState = state;
        Object.keys(SHOWN).forEach(function(name) {
          controls[name].hidden = SHOWN[name].indexOf(state) < 0;
        });
      }
    }
    requestAnimationFrame(showState);
  }

  function setShown(on) {
    if (on === document.body.classList.contains('touch'))
      return;
    if (!on)
      releaseAll();
    document.body.classList.toggle('touch', on);
    shownState = -1;
    if (on)
      requestAnimationFrame(showState);
    relayout();
  }

  var options = {passive: false, capture: true};
  window.addEventListener('touchstart', function(e) {
    setShown(true);
    onTouch(e);
  }, options);
  window.addEventListener('touchmove', onTouch, options);
  window.addEventListener('touchend', onTouch, options);
  window.addEventListener('touchcancel', onTouch, options);
  window.addEventListener('keydown', function() { setShown(false); }, true);
  window.addEventListener('blur', releaseAll);

  // Sound starts at the lift of a finger, not its touch: pre.js listens.

  // A long press on the game or its controls opens no menu.
  document.addEventListener('contextmenu', function(e) {
    if (e.target === Module.canvas || root.contains(e.target))
      e.preventDefault();
  });

  // The sound output's state ('running', 'suspended', or 'none' before it
  // opens), for the page's tests.
  Module.kvAudioState = function() {
    var last = kvAudioContexts[kvAudioContexts.length - 1];
    return last ? last.state : 'none';
  };
})();

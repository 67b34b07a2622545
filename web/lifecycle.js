// Runs inside kelvantis.js: the character keys, and what the game does when
// the page loses the focus or is hidden. kvWatchPage is called by the game
// (webPage.cpp) once its window exists.
//
// Keys. Emscripten's GLUT passes on no letter, digit, Enter or Esc while
// Ctrl, Alt or Meta is held, and gives a letter with Shift in upper case,
// which no binding matches: a key released that way would stay held in the
// game. These keys are read here instead, a letter always as its plain lower
// case, and handed to the game (kvKeyEvent); GLUT keeps the arrows and F-keys.
//
// Focus. Keys released while another window has the focus never reach the
// page, so on blur every control is let go (kvReleaseControls).
//
// Hidden. While the page is hidden (another tab, a minimised window, the page
// put away) the game pauses: the controls are let go, no tick runs, the game
// timers keep their time left (kvPageHidden) and the sound is suspended. When
// the page is shown again the game goes on where it was.

// The game's code for a key it reads as a character, or null.
function kvCharacterKey(event) {
  var code = event.keyCode;
  if (code >= 65 && code <= 90)
    return code + 32; // a-z, whatever Shift, Caps Lock, Ctrl, Alt or Meta
  if (code >= 48 && code <= 57)
    return code; // digits
  if (code >= 96 && code <= 105)
    return code - 48; // keypad digits
  if (code === 9 || code === 13 || code === 27 || code === 32)
    return code; // Tab, Enter, Esc, Space
  return null;
}

function kvWatchPage() {
  function onKey(down) {
    return function(event) {
      if (ABORT)
        return;
      var key = kvCharacterKey(event);
      if (key === null)
        return;
      // The browser's own shortcuts (Ctrl, Alt or Meta with a key) still
      // work; the game sees the plain key as well.
      if (!event.ctrlKey && !event.altKey && !event.metaKey)
        event.preventDefault();
      Module._kvKeyEvent(key, down ? 1 : 0);
    };
  }
  window.addEventListener('keydown', onKey(true), true);
  window.addEventListener('keyup', onKey(false), true);

  window.addEventListener('blur', function() {
    if (!ABORT)
      Module._kvReleaseControls();
  });

  // The sound is suspended only if it was playing, and resumed only then:
  // a page hidden before the first key press stays silent until one. The
  // contexts are those the page recorded as the runtime made them (pre.js).
  var gone = false, held = [];
  function shownOrHidden() {
    if (ABORT)
      return;
    var hidden = gone || document.visibilityState === 'hidden';
    Module._kvPageHidden(hidden ? 1 : 0);
    if (hidden) {
      kvAudioContexts.forEach(function(audio) {
        if (audio.state === 'running' && held.indexOf(audio) < 0) {
          held.push(audio);
          audio.suspend();
        }
      });
    } else {
      held.forEach(function(audio) {
        if (audio.state === 'suspended')
          audio.resume();
      });
      held = [];
    }
  }
  document.addEventListener('visibilitychange', shownOrHidden);
  window.addEventListener('pagehide', function() {
    gone = true;
    shownOrHidden();
  });
  window.addEventListener('pageshow', function() {
    gone = false;
    shownOrHidden();
  });
  shownOrHidden();
}

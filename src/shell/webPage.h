// The browser build's side of the platform layer (webPage.cpp): what GLUT
// does on the desktop and Emscripten's GLUT does not, and the page's
// read-only hooks. Browser build only.
#pragma once

// Starts following the GL state the draw batches read (webGlState.h),
// registers the keyboard callbacks (dropping the browser's repeated key-downs,
// as glutIgnoreKeyRepeat does on the desktop), starts the gamepad poll that
// stands in for GLUT's joystick callback, starts watching the page (keys,
// focus, hidden or shown: web/lifecycle.js) and arms the first clock tick.
// Called by initWindow once the window exists, before anything is drawn.
void startWebPlatform();
// Arms the next clock tick, due `period` ms after the one now running was
// due (nextTickDue). Called by onClockTick before it draws.
void armNextClockTick(int period);
// The browser's game-event timer: onGameTimer(value) after ms real
// milliseconds, held with its time left while the page is hidden. Called by
// armGameTimer.
void armWebGameTimer(int ms, int value);
// Counts a drawn frame for the page (window.kvFrames). Called after each swap.
void webFrameShown();

// The browser build's side of the platform layer (webPage.cpp): what GLUT
// does on the desktop and Emscripten's GLUT does not, and the page's
// read-only hooks. Browser build only.
#pragma once

// Starts following the GL state the draw batches read (webGlState.h),
// registers the keyboard callbacks (dropping the browser's repeated key-downs,
// as glutIgnoreKeyRepeat does on the desktop) and starts the gamepad poll that
// stands in for GLUT's joystick callback. Called by initWindow once the
// window exists, before anything is drawn.
void startWebPlatform();
// Counts a drawn frame for the page (window.kvFrames). Called after each swap.
void webFrameShown();

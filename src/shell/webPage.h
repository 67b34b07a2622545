// The browser build's side of the platform layer (webPage.cpp): what GLUT
// does on the desktop and Emscripten's GLUT does not, and the page's
// read-only hooks. Browser build only.
#pragma once

// Registers the keyboard callbacks (dropping the browser's repeated key-downs,
// as glutIgnoreKeyRepeat does on the desktop) and starts the gamepad poll that
// stands in for GLUT's joystick callback. Called by initWindow.
void registerWebInput();
// Counts a drawn frame for the page (window.kvFrames). Called after each swap.
void webFrameShown();

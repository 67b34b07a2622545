// Buffer swaps that do not wait for the display's refresh (desktop only).
#pragma once

// Asks the driver for swap interval 0, so that a swap never waits for the
// display's refresh: the game draws one frame per 11 ms tick and moves its
// actors once per drawn frame, so a swap held to a 60 Hz refresh would slow
// the whole game to about 70 %. Looks for GLX_EXT_swap_control, then
// GLX_MESA_swap_control, in the extension string of the window's screen
// (GLX_SGI_swap_control cannot give 0). When neither is there it says so
// once on standard error. Called once by initWindow right after the window
// (and its current GL context) exists.
void turnOffSwapSync();

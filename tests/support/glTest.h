// Helpers for tests that draw into a real GLUT window (run under Xvfb).
#pragma once

#include <vector>

struct Rgba {
    unsigned char r, g, b, a;
};

// Clears the back buffer to black (alpha 0) and resets the state the game
// sets at start-up: 640x480 viewport, y-down orthographic projection, alpha
// test > 0.1, identity model-view, colour (1, 1, 1, 0.5).
void glTestBeginFrame();
// Reads one pixel of the back buffer, (x, y) in screen space, origin top-left.
Rgba readPixel(int x, int y);
// Reads the whole 640x480 back buffer as RGBA rows, top row first.
std::vector<unsigned char> readScreen();

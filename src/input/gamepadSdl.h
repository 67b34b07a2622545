// The desktop's gamepad and joystick, read through SDL's game-controller
// layer: pads in SDL's mapping database by their standard layout, any other
// joystick by its raw buttons and axes, plugged in and out at any time.
#pragma once

// Starts SDL's joystick and game-controller layer. False when SDL cannot;
// the game then plays with the keyboard alone. Called once by initWindow.
bool startGamepad();

// One poll, every 10 ms: opens a pad that was plugged in, releases what an
// unplugged pad held, and feeds the pad's state to the input flags.
void pollGamepad();

// GLUT timer callback armed by initWindow: polls and re-arms itself 10 ms
// later, as freeglut polled its joystick.
void onGamepadTimer(int value);

// Releases and closes the pad and stops the joystick layer. Called by tests.
void stopGamepad();

// Keyboard and joystick callbacks that turn events into the control flags.
#pragma once

// GLUT keyboard callbacks (registered by initWindow).
void onKeyDown(unsigned char key, int x, int y);
void onKeyUp(unsigned char key, int x, int y);
void onSpecialDown(int key, int x, int y);
void onSpecialUp(int key, int x, int y);
// GLUT joystick callback, polled every 10 ms.
void onJoystick(unsigned int buttons, int x, int y, int z);

// Keyboard and joystick input.
#include "input/input.h"

void onKeyDown(unsigned char, int, int) {}
void onKeyUp(unsigned char, int, int) {}
void onSpecialDown(int, int, int) {}
void onSpecialUp(int, int, int) {}
void onJoystick(unsigned int, int, int, int) {}

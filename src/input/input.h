// Keyboard and joystick: the key bindings, the control flags and the GLUT
// callbacks that set them. Callbacks only record; the state updates read.
#pragma once

// Keys and joystick button bits of the game's actions. Fixed at compile time.
struct KeyBindings {
    int joyJump = 1;     // joystick button A
    int keyJump = 99;    // 'c'
    int joySword = 2;    // joystick button B
    int keySword = 120;  // 'x'
    int joySwitch = 4;   // joystick button C
    int keySwitch = 122; // 'z'
    int keyLeft = 106;   // 'j'
    int keyRight = 108;  // 'l'
    int keyDown = 107;   // 'k'
    int keyUp = 105;     // 'i'
};

extern KeyBindings keyBindings; // the one set of bindings, never changed at run time

// ---- Control flags (levels: set on press, cleared on release) ----------------
// Directions: 0 released, 1 held, 2 held together with the opposite direction
// (counts as released). Only the value 1 means pressed anywhere in the game.
extern int btnLeft;
extern int btnRight;
extern int btnUp;
extern int btnDown;
extern int btnJump;   // 0 or 1
extern int btnSword;  // 0 or 1
extern int btnSwitch; // 0 or 1
extern int btnEnter;  // 0 or 1: key 13 or 10
extern int btnEscape; // 0 or 1: key 27
// The switch button has been acted on and not yet released: a switch needs a
// fresh press. Set by the character update, cleared here on release.
extern bool switchLatch;

// ---- Joystick reading of the previous poll -----------------------------------
extern int joyLastButtons; // button bits
extern int joyLastX;       // x axis, -1000..1000
extern int joyLastY;       // y axis, -1000..1000

// GLUT special-key codes the game reacts to.
constexpr int keyF1 = 1;
constexpr int keyF2 = 2;
constexpr int keyArrowLeft = 100;
constexpr int keyArrowUp = 101;
constexpr int keyArrowRight = 102;
constexpr int keyArrowDown = 103;

// GLUT keyboard callbacks (registered by initWindow). A letter counts the
// same in either case: Shift or Caps Lock may change between a press and its
// release, and a release that matched nothing would leave the key held.
void onKeyDown(unsigned char key, int x, int y);
void onKeyUp(unsigned char key, int x, int y);
// The key a letter typed with Ctrl held stands for: GLUT hands Ctrl+a..Ctrl+z
// over as the control codes 1..26 (Ctrl+j is 10, which would read as Enter),
// so with ctrlHeld those codes give their lower-case letters back. 13 stays:
// Return keeps that code with Ctrl held, and m is no control of the game.
// Other keys, and every key without Ctrl, come back unchanged. Called by the
// desktop's keyboard callbacks with GLUT's modifier state.
unsigned char plainKey(unsigned char key, bool ctrlHeld);
void onSpecialDown(int key, int x, int y);
void onSpecialUp(int key, int x, int y);
// The joystick reading, fed every 10 ms by the pad poll (gamepadSdl.h on the
// desktop, the page in the browser); only zone and button changes act.
void onJoystick(unsigned int buttons, int x, int y, int z);

// A gamepad's menu buttons, polled with the stick: Start acts as Enter and
// Back/Select as Esc, each on a change only (a press as the key going down,
// a release as the key coming up). Both false releases them, as when the pad
// is unplugged.
void onPadMenuButtons(bool start, bool back);
extern bool padLastStart; // Start held at the previous poll
extern bool padLastBack;  // Back/Select held at the previous poll

// Sets every control flag and the joystick memory back to 0. Called by tests.
void resetControls();


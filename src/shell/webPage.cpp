// The browser build's side of the platform layer: key repeats, the gamepad,
// the touch controls' keys (web/touch.js) and the small read-only hooks the
// page calls (web/index.html lists them).
#include "shell/webPage.h"

#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <cmath>
#include <cstdio>

#include "actors/player.h"
#include "audio/fsound.h"
#include "core/gameClock.h"
#include "core/gameState.h"
#include "core/settings.h"
#include "graphics/anim.h"
#include "graphics/webGlState.h"
#include "input/input.h"
#include "shell/mainLoop.h"
#include "world/map.h"

namespace {

// Keys held down, by GLUT code: a key-down for a held key is the browser's
// auto-repeat and is dropped. Letters count as one key in either case, since
// Shift may change between the press and the release.
bool heldKeys[256];
bool heldSpecial[512];

unsigned char keySlot(unsigned char key)
{
    return (key >= 'A' && key <= 'Z') ? static_cast<unsigned char>(key - 'A' + 'a') : key;
}

void keyDown(unsigned char key, int x, int y)
{
    if (heldKeys[keySlot(key)])
        return;
    heldKeys[keySlot(key)] = true;
    onKeyDown(key, x, y);
}

void keyUp(unsigned char key, int x, int y)
{
    heldKeys[keySlot(key)] = false;
    onKeyUp(key, x, y);
}

void specialDown(int key, int x, int y)
{
    if (key >= 0 && key < 512) {
        if (heldSpecial[key])
            return;
        heldSpecial[key] = true;
    }
    onSpecialDown(key, x, y);
}

void specialUp(int key, int x, int y)
{
    if (key >= 0 && key < 512)
        heldSpecial[key] = false;
    onSpecialUp(key, x, y);
}

// GLUT's joystick reports axes from -1000 to 1000 and button n as bit n; the
// first connected gamepad is read the same way every 10 ms, its d-pad
// counting as the stick. The standard layout's Back/Select (8) and Start (9)
// are the menu buttons (Esc and Enter), kept out of the button bits. With no
// pad connected the poll reads a centred stick and no buttons, so a pad
// unplugged while something is held releases it (the joystick and menu
// buttons act on changes only, so this costs nothing while no pad is there).
constexpr int padBack = 8;
constexpr int padStart = 9;

void pollGamepad(int)
{
    glutTimerFunc(10, pollGamepad, 0);
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS)
        return;
    const int count = emscripten_get_num_gamepads();
    for (int i = 0; i < count; i++) {
        EmscriptenGamepadEvent pad;
        if (emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected)
            continue;
        unsigned int buttons = 0;
        for (int b = 0; b < pad.numButtons && b < 12; b++)
            if (pad.digitalButton[b] && b != padBack && b != padStart)
                buttons |= 1u << b;
        int x = pad.numAxes > 0 ? static_cast<int>(std::lround(pad.axis[0] * 1000.0)) : 0;
        int y = pad.numAxes > 1 ? static_cast<int>(std::lround(pad.axis[1] * 1000.0)) : 0;
        if (pad.numButtons > 15) { // the standard layout's d-pad: 12 up, 13 down, 14 left, 15 right
            if (pad.digitalButton[12])
                y = -1000;
            if (pad.digitalButton[13])
                y = 1000;
            if (pad.digitalButton[14])
                x = -1000;
            if (pad.digitalButton[15])
                x = 1000;
        }
        onJoystick(buttons, x, y, 0);
        onPadMenuButtons(pad.numButtons > padStart && pad.digitalButton[padStart],
                         pad.numButtons > padBack && pad.digitalButton[padBack]);
        return;
    }
    onJoystick(0, 0, 0, 0);
    onPadMenuButtons(false, false);
}

} // namespace

void startWebPlatform()
{
    kvGlWatchState();
    glutKeyboardFunc(keyDown);
    glutSpecialFunc(specialDown);
    glutKeyboardUpFunc(keyUp);
    glutSpecialUpFunc(specialUp);
    glutTimerFunc(10, pollGamepad, 0);
}

void webFrameShown()
{
    EM_ASM(window.kvFrames = (window.kvFrames || 0) + 1;);
}

// ---- Read-only hooks for the page --------------------------------------------
extern "C" {

// What the debug run prints, as JSON: the state, the first player's world and
// screen position, the view's left edge, the second character and the clock.
EMSCRIPTEN_KEEPALIVE const char* kvDebugState()
{
    static char text[512];
    std::snprintf(text, sizeof text,
                  "{\"state\":%d,\"xpos\":%d,\"ypos\":%d,\"spritexpos\":%d,\"leftCoord\":%d,\"stock\":%d,"
                  "\"altActive\":%s,\"altX\":%d,\"altY\":%d,\"curTime\":%.3f}",
                  GameState, player.xpos, player.ypos, player.cursor ? player.cursor->x : 0, scrollX, stock,
                  altActive ? "true" : "false", altX, altY, static_cast<double>(curTime));
    return text;
}

// The game's letterbox for a page of width x height CSS pixels: x, y (from
// the bottom), width, height, as the desktop's viewport.
EMSCRIPTEN_KEEPALIVE const int* kvViewport(int width, int height)
{
    static int box[4];
    const Viewport v = computeViewport(width, height);
    box[0] = v.x;
    box[1] = v.y;
    box[2] = v.width;
    box[3] = v.height;
    return box;
}

// The sound layer's counts: frames mixed, frames of samples mixed, samples started.
EMSCRIPTEN_KEEPALIVE const double* kvMixerCounts()
{
    static double counts[3];
    counts[0] = static_cast<double>(fsoundMixedFrames);
    counts[1] = static_cast<double>(fsoundSampleFrames);
    counts[2] = static_cast<double>(fsoundSamplesStarted);
    return counts;
}

// The game state (0 title, 1 story, 3 play, 4 dying, 5 game over), which
// decides the touch controls shown.
EMSCRIPTEN_KEEPALIVE int kvGameState()
{
    return GameState;
}

// 1 when the options ask for full screen (the page asks the browser at the
// first key press, the only time it may).
EMSCRIPTEN_KEEPALIVE int kvFullScreenSetting()
{
    return settings.fullscreen != 0 ? 1 : 0;
}

// A touch control pressed (down 1) or lifted (down 0), through the keyboard's
// own path: key is a GLUT key code, or a GLUT special key code when special
// is 1 (the d-pad's arrows).
EMSCRIPTEN_KEEPALIVE void kvTouchKey(int key, int special, int down)
{
    if (special) {
        if (down)
            specialDown(key, 0, 0);
        else
            specialUp(key, 0, 0);
    } else if (key >= 0 && key < 256) {
        if (down)
            keyDown(static_cast<unsigned char>(key), 0, 0);
        else
            keyUp(static_cast<unsigned char>(key), 0, 0);
    }
}
}

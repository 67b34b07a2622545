// The browser build's side of the platform layer: key repeats, the gamepad,
// The browser build's side of the platform layer: key repeats, the gamepad,
// the touch controls' keys (web/touch.js), the clock and game timers that
// stop while the page is hidden, and the small hooks the page calls
// (web/index.html, web/lifecycle.js and web/touch.js list them).
#include "shell/webPage.h"

#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "actors/player.h"
#include "audio/fsound.h"
#include "core/gameClock.h"
#include "core/gameState.h"
#include "core/settings.h"
#include "graphics/anim.h"
#include "graphics/webGlState.h"
#include "input/gamepad.h"
#include "input/input.h"
#include "shell/mainLoop.h"
#include "shell/states.h"
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
    // The page's tests check what a trap in a key handler leaves on the page:
    // only a flag they set on the page (window.kvTestTrapKey) makes a key trap.
    if (EM_ASM_INT({ return window.kvTestTrapKey === $0 ? 1 : 0; }, key))
        __builtin_trap();
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

// The first connected gamepad, read every 10 ms as the desktop reads a
// standard-layout pad (input/gamepad.h): the browser's standard mapping
// numbers A, B and X 0, 1 and 2, Back/Select 8, Start 9 and the d-pad 12 to
// 15 (up, down, left, right), and gives the stick from -1 to 1. With no pad
// connected the pad counts as gone, so one unplugged while something is held
// releases it (the joystick and menu buttons act on changes only, so this
// costs nothing while no pad is there).
bool padButton(const EmscriptenGamepadEvent& pad, int b)
{
    return b < pad.numButtons && pad.digitalButton[b] != 0;
}

int padAxis(const EmscriptenGamepadEvent& pad, int a)
{
    return a < pad.numAxes ? static_cast<int>(std::lround(pad.axis[a] * 32767.0)) : 0;
}

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
        PadReading reading;
        reading.a = padButton(pad, 0);
        reading.b = padButton(pad, 1);
        reading.x = padButton(pad, 2);
        reading.back = padButton(pad, 8);
        reading.start = padButton(pad, 9);
        reading.dpadUp = padButton(pad, 12);
        reading.dpadDown = padButton(pad, 13);
        reading.dpadLeft = padButton(pad, 14);
        reading.dpadRight = padButton(pad, 15);
        reading.stickX = padAxis(pad, 0);
        reading.stickY = padAxis(pad, 1);
        onPadReading(reading);
        return;
    }
    onPadGone();
}

// Lets go of every control the game holds, through the same releases a key
// coming up gives, and forgets the held keys, so that the next press counts
// as a press. Nothing is pressed. The pad is released as when it is
// unplugged; a pad still held presses again at its next poll.
void releaseEveryControl()
{
    for (int key = 0; key < 256; key++)
        if (heldKeys[key]) {
            heldKeys[key] = false;
            onKeyUp(static_cast<unsigned char>(key), 0, 0);
        }
    for (int key = 0; key < 512; key++)
        if (heldSpecial[key]) {
            heldSpecial[key] = false;
            onSpecialUp(key, 0, 0);
        }
    onPadGone();
}

// ---- Time that stops while the page is hidden ----------------------------------
// A hidden page runs no tick and lets no game timer run out: the clock tick
// and the game timers are the page's own timeouts, cleared when the page is
// hidden (a timer's time left recorded) and armed again when it is shown.
// Emscripten's glutTimerFunc cannot be cancelled, so neither uses it.

bool pageHidden = false;  // the page is hidden: no tick, no game timer runs
double tickDue = 0.0;     // wall ms (performance.now) at which the pending tick is due
long tickTimeout = 0;     // that tick's timeout, 0 when none is armed
int tickPeriod = 11;      // ms between ticks, as the latest tick asked

// A game timer armed by armGameTimer: pending while `used`.
struct HeldTimer {
    bool used;
    int value;     // onGameTimer's value
    double due;    // wall ms at which it runs out (while armed)
    double left;   // ms left when the page was hidden
    long timeout;  // its timeout, 0 while held
};
// Slots are reused; the list only grows while more timers are pending at
// once than ever before (a few: each countdown chain, a respawn, a game over).
std::vector<HeldTimer> gameTimers;

void clockTickRunsOut(void*)
{
    tickTimeout = 0;
    onClockTick(1);
}

void armClockTickAt(double due)
{
    tickDue = due;
    const double delay = std::max(0.0, due - emscripten_get_now());
    tickTimeout = emscripten_set_timeout(clockTickRunsOut, delay, nullptr);
}

void gameTimerRunsOut(void* slot)
{
    HeldTimer& t = gameTimers[reinterpret_cast<uintptr_t>(slot)];
    t.used = false;
    t.timeout = 0;
    const int value = t.value; // the timer may arm others, moving the list
    onGameTimer(value);
}

void armGameTimerSlot(size_t slot, double ms)
{
    HeldTimer& t = gameTimers[slot];
    t.due = emscripten_get_now() + ms;
    t.timeout = emscripten_set_timeout(gameTimerRunsOut, ms, reinterpret_cast<void*>(static_cast<uintptr_t>(slot)));
}

void holdTime()
{
    if (tickTimeout != 0) {
        emscripten_clear_timeout(tickTimeout);
        tickTimeout = 0;
    }
    const double now = emscripten_get_now();
    for (HeldTimer& t : gameTimers)
        if (t.used && t.timeout != 0) {
            emscripten_clear_timeout(t.timeout);
            t.timeout = 0;
            t.left = std::max(0.0, t.due - now);
        }
}

// The game goes on where it stopped: the next tick a period from now (not
// the ticks the hidden time would have had), each timer with its time left.
void releaseTime()
{
    armClockTickAt(emscripten_get_now() + tickPeriod);
    for (size_t slot = 0; slot < gameTimers.size(); slot++)
        if (gameTimers[slot].used && gameTimers[slot].timeout == 0)
            armGameTimerSlot(slot, gameTimers[slot].left);
}

} // namespace

void armNextClockTick(int period)
{
    tickPeriod = period;
    if (!pageHidden)
        armClockTickAt(nextTickDue(tickDue, emscripten_get_now(), period));
}

void armWebGameTimer(int ms, int value)
{
    size_t slot = 0;
    while (slot < gameTimers.size() && gameTimers[slot].used)
        slot++;
    if (slot == gameTimers.size())
        gameTimers.push_back(HeldTimer{});
    HeldTimer& t = gameTimers[slot];
    t.used = true;
    t.value = value;
    t.timeout = 0;
    t.left = std::max(ms, 0);
    if (!pageHidden)
        armGameTimerSlot(slot, t.left);
}

void startWebPlatform()
{
    kvGlWatchState();
    // No keyboard callbacks: the character keys come from kvKeyEvent alone.
    glutSpecialFunc(specialDown);
    glutSpecialUpFunc(specialUp);
    glutTimerFunc(10, pollGamepad, 0);
    // The letters and the page's focus and visibility (web/lifecycle.js);
    // it reports a page that starts hidden at once.
    EM_ASM(kvWatchPage(););
    if (!pageHidden)
        armClockTickAt(emscripten_get_now() + tickPeriod);
}

void webFrameShown()
{
    EM_ASM(window.kvFrames = (window.kvFrames || 0) + 1;);
}

// ---- Hooks for the page ----------------------------------------------------------
extern "C" {

// A key the game reads as a character (a letter, a digit, Enter, Esc, Tab,
// Space) went down (down 1) or up (0), as web/lifecycle.js reads it: letters
// in lower case whatever Shift, Caps Lock, Ctrl, Alt or Meta do. Emscripten's
// GLUT hands these keys over only with no Ctrl, Alt or Meta held, and a
// letter in upper case with Shift, so it is given no keyboard callback and
// these come from here alone; arrows and F-keys still come through GLUT.
EMSCRIPTEN_KEEPALIVE void kvKeyEvent(int key, int down)
{
    if (key < 0 || key > 255)
        return;
    if (down)
        keyDown(static_cast<unsigned char>(key), 0, 0);
    else
        keyUp(static_cast<unsigned char>(key), 0, 0);
}

// The page lost the focus or is going away: keys released meanwhile would
// never reach the game, so every control is let go now.
EMSCRIPTEN_KEEPALIVE void kvReleaseControls()
{
    releaseEveryControl();
}

// The page was hidden (1) or shown again (0). While hidden no tick runs and
// the game timers keep their time left; the controls are let go on hiding.
EMSCRIPTEN_KEEPALIVE void kvPageHidden(int hidden)
{
    if ((hidden != 0) == pageHidden)
        return;
    pageHidden = hidden != 0;
    if (pageHidden) {
        releaseEveryControl();
        holdTime();
    } else {
        releaseTime();
    }
}

// What the debug run prints, as JSON: the state, the first player's world and
// screen position, the view's left edge, the second character and the clock.
EMSCRIPTEN_KEEPALIVE const char* kvDebugState()
{
    static char text[512];
    std::snprintf(text, sizeof text,
                  "{\"state\":%d,\"xpos\":%d,\"ypos\":%d,\"spritexpos\":%d,\"leftCoord\":%d,\"stock\":%d,"
                  "\"altActive\":%s,\"altX\":%d,\"altY\":%d,\"altTimeLeft\":%d,\"curTime\":%.3f}",
                  GameState, player.xpos, player.ypos, player.cursor ? player.cursor->x : 0, scrollX, stock,
                  altActive ? "true" : "false", altX, altY, altTimeLeft, static_cast<double>(curTime));
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

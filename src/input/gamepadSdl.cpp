// Gamepad and joystick over SDL2. Only one pad is read: the first one opened
// (at start-up the one SDL lists first). Others plugged in beside it are
// ignored until it is unplugged; then the first of the remaining ones
// takes over.
#include "input/gamepadSdl.h"

#include <GL/glut.h>
#include <SDL.h>

#include "input/gamepad.h"
#include "input/input.h"

namespace {

bool started = false;                    // SDL_InitSubSystem succeeded
SDL_GameController* controller = nullptr; // the pad, when SDL knows its layout
SDL_Joystick* joystick = nullptr;        // the pad's joystick (either kind)
bool lookForPad = false;                 // a pad was plugged in or the read one left

bool openPad(int deviceIndex)
{
    if (SDL_IsGameController(deviceIndex)) {
        controller = SDL_GameControllerOpen(deviceIndex);
        if (controller) {
            joystick = SDL_GameControllerGetJoystick(controller);
            return true;
        }
    }
    joystick = SDL_JoystickOpen(deviceIndex);
    return joystick != nullptr;
}

void closePad()
{
    if (controller)
        SDL_GameControllerClose(controller);
    else if (joystick)
        SDL_JoystickClose(joystick);
    controller = nullptr;
    joystick = nullptr;
}

void openFirstPad()
{
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count && !joystick; i++)
        openPad(i);
}

// A standard-layout pad: its buttons by name, whatever their wiring.
void readController()
{
    PadReading pad;
    pad.a = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_A) != 0;
    pad.b = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_B) != 0;
    pad.x = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_X) != 0;
    pad.start = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_START) != 0;
    pad.back = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_BACK) != 0;
    pad.dpadUp = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_UP) != 0;
    pad.dpadDown = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN) != 0;
    pad.dpadLeft = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT) != 0;
    pad.dpadRight = SDL_GameControllerGetButton(controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT) != 0;
    pad.stickX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    pad.stickY = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY);
    onPadReading(pad);
}

// A joystick SDL has no layout for: as freeglut read it, button n as bit n
// and the first two axes as x and y.
void readRawJoystick()
{
    unsigned int buttons = 0;
    const int count = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < count && i < 32; i++)
        if (SDL_JoystickGetButton(joystick, i))
            buttons |= 1u << i;
    const int axes = SDL_JoystickNumAxes(joystick);
    const int x = axes > 0 ? joyAxisFromSdl(SDL_JoystickGetAxis(joystick, 0)) : 0;
    const int y = axes > 1 ? joyAxisFromSdl(SDL_JoystickGetAxis(joystick, 1)) : 0;
    const int z = axes > 2 ? joyAxisFromSdl(SDL_JoystickGetAxis(joystick, 2)) : 0;
    onJoystick(buttons, x, y, z);
}

} // namespace

bool startGamepad()
{
    if (started)
        return true;
    // As in the sound layer: SDL's own SIGINT and SIGTERM handlers would only
    // queue an event, and Ctrl+C or kill would no longer end the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    started = true;
    lookForPad = true; // pads already plugged in
    return true;
}

void pollGamepad()
{
    if (!started)
        return;
    // Pumps SDL: the pads' new state, and the plug events. Nothing else in the
    // game reads SDL's event queue, so everything in it is drained here.
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_JOYDEVICEADDED)
            lookForPad = true;
    }
    if (joystick && !SDL_JoystickGetAttached(joystick)) {
        // Unplugged: whatever it held is let go, or the player would walk on.
        closePad();
        onPadGone();
        lookForPad = true;
    }
    if (!joystick && lookForPad) {
        lookForPad = false;
        openFirstPad();
    }
    if (controller)
        readController();
    else if (joystick)
        readRawJoystick();
}

void onGamepadTimer(int value)
{
    pollGamepad();
    glutTimerFunc(10, onGamepadTimer, value);
}

void stopGamepad()
{
    if (!started)
        return;
    if (joystick) {
        closePad();
        onPadGone();
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
    lookForPad = false;
}

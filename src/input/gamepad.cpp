// A gamepad's readings turned into the joystick and menu calls.
#include "input/gamepad.h"

#include "input/input.h"

int joyAxisFromSdl(int value)
{
    float v = static_cast<float>(value) / 32767.0f;
    if (v < -1.0f)
        v = -1.0f;
    if (v > 1.0f)
        v = 1.0f;
    return static_cast<int>(v * 1000.0f);
}

// The d-pad's reading on one axis when exactly one of its two directions is
// held, else the stick's.
static int dpadOrStick(bool negative, bool positive, int stick)
{
    if (negative && !positive)
        return -1000;
    if (positive && !negative)
        return 1000;
    return joyAxisFromSdl(stick);
}

void onPadReading(const PadReading& pad)
{
    const KeyBindings& k = keyBindings;
    unsigned int buttons = 0;
    if (pad.a)
        buttons |= static_cast<unsigned int>(k.joyJump);
    if (pad.b)
        buttons |= static_cast<unsigned int>(k.joySword);
    if (pad.x)
        buttons |= static_cast<unsigned int>(k.joySwitch);
    const int x = dpadOrStick(pad.dpadLeft, pad.dpadRight, pad.stickX);
    const int y = dpadOrStick(pad.dpadUp, pad.dpadDown, pad.stickY);
    onJoystick(buttons, x, y, 0);
    onPadMenuButtons(pad.start, pad.back);
}

void onPadGone()
{
    onJoystick(0, 0, 0, 0);
    onPadMenuButtons(false, false);
}

// A gamepad's readings turned into the joystick and menu calls of input.h.
// The platform side (gamepadSdl.h on the desktop) reads the pad; this part
// only decides what the readings mean, so it runs without any device.
#pragma once

// One poll of a standard-layout pad (Xbox-style names: A bottom, B right,
// X left). Axis values are SDL's, -32768..32767, y growing downwards.
struct PadReading {
    bool a = false;     // jump
    bool b = false;     // sword
    bool x = false;     // character switch
    bool start = false; // acts as Enter
    bool back = false;  // Back/Select, acts as Esc
    bool dpadUp = false;
    bool dpadDown = false;
    bool dpadLeft = false;
    bool dpadRight = false;
    int stickX = 0; // left stick
    int stickY = 0;
};

// An axis value of SDL's -32768..32767 on the joystick callback's
// -1000..1000 scale, as freeglut reports a Linux joystick's axis: divided by
// 32767 in float, held within -1..1, times 1000, truncated toward zero.
int joyAxisFromSdl(int value);

// Feeds one poll of a standard-layout pad to onJoystick and onPadMenuButtons:
// A, B and X as the button bits of jump, sword and switch, the d-pad (full
// deflection) or else the left stick as the x and y readings. Called every
// poll; those two act only on changes.
void onPadReading(const PadReading& pad);

// The pad is gone: releases every direction and button it was holding.
void onPadGone();

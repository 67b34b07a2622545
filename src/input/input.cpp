// Keyboard and joystick callbacks: events become level flags.
#include "input/input.h"

#include "graphics/screenshot.h"

#include "core/settings.h"

KeyBindings keyBindings;

int btnLeft = 0;
int btnRight = 0;
int btnUp = 0;
int btnDown = 0;
int btnJump = 0;
int btnSword = 0;
int btnSwitch = 0;
int btnEnter = 0;
int btnEscape = 0;
bool switchLatch = false;

int joyLastButtons = 0;
int joyLastX = 0;
int joyLastY = 0;
bool padLastStart = false;
bool padLastBack = false;

void resetControls()
{
    btnLeft = btnRight = btnUp = btnDown = 0;
    btnJump = btnSword = btnSwitch = 0;
    btnEnter = btnEscape = 0;
    joyLastButtons = joyLastX = joyLastY = 0;
    padLastStart = padLastBack = false;
}

// Both directions of a pair held at once: neither counts.
static void resolvePairs()
{
    if (btnLeft == 1 && btnRight == 1)
        btnLeft = btnRight = 2;
    if (btnUp == 1 && btnDown == 1)
        btnUp = btnDown = 2;
}

// Releasing one key of a held pair makes the other one count again.
static void releaseFromPair(bool isLeft, bool isRight, bool isUp, bool isDown)
{
    if (btnLeft == 2 && btnRight == 2) {
        if (isLeft)
            btnRight = 1;
        if (isRight)
            btnLeft = 1;
    }
    if (btnUp == 2 && btnDown == 2) {
        if (isUp)
            btnDown = 1;
        if (isDown)
            btnUp = 1;
    }
}

// Letters bind in lower case; an upper-case letter is the same key.
static unsigned char foldCase(unsigned char key)
{
    if (key >= 'A' && key <= 'Z')
        return static_cast<unsigned char>(key - 'A' + 'a');
    return key;
}

unsigned char plainKey(unsigned char key, bool ctrlHeld)
{
    if (ctrlHeld && key >= 1 && key <= 26 && key != 13)
        return static_cast<unsigned char>(key - 1 + 'a');
    return key;
}

void onKeyDown(unsigned char key, int, int)
{
    key = foldCase(key);
    const KeyBindings& k = keyBindings;
    if (key == k.keyLeft)
        btnLeft = 1;
    if (key == k.keyRight)
        btnRight = 1;
    if (key == k.keyUp)
        btnUp = 1;
    if (key == k.keyDown)
        btnDown = 1;
    if (key == k.keyJump)
        btnJump = 1;
    if (key == k.keySword)
        btnSword = 1;
    if (key == k.keySwitch)
        btnSwitch = 1;
    if (key == 27)
        btnEscape = 1;
    if (key == 13 || key == 10)
        btnEnter = 1;
    resolvePairs();
}

void onKeyUp(unsigned char key, int, int)
{
    key = foldCase(key);
    const KeyBindings& k = keyBindings;
    releaseFromPair(key == k.keyLeft, key == k.keyRight, key == k.keyUp, key == k.keyDown);
    if (key == k.keyLeft)
        btnLeft = 0;
    if (key == k.keyRight)
        btnRight = 0;
    if (key == k.keyUp)
        btnUp = 0;
    if (key == k.keyDown)
        btnDown = 0;
    if (key == k.keyJump)
        btnJump = 0;
    if (key == k.keySword)
        btnSword = 0;
    if (key == k.keySwitch) {
        btnSwitch = 0;
        switchLatch = false;
    }
    if (key == 27)
        btnEscape = 0;
    if (key == 13 || key == 10)
        btnEnter = 0;
}

void onSpecialDown(int key, int, int)
{
    if (key == keyF1)
        settings.showControls = true;
    if (key == keyF2)
        writePng("screenshot.png", 640, 480); // written from the next drawn frame
    if (key == keyArrowLeft)
        btnLeft = 1;
    if (key == keyArrowRight)
        btnRight = 1;
    if (key == keyArrowUp)
        btnUp = 1;
    if (key == keyArrowDown)
        btnDown = 1;
    resolvePairs();
}

void onSpecialUp(int key, int, int)
{
    releaseFromPair(key == keyArrowLeft, key == keyArrowRight, key == keyArrowUp,
                    key == keyArrowDown);
    if (key == keyF1)
        settings.showControls = false;
    if (key == keyArrowLeft)
        btnLeft = 0;
    if (key == keyArrowRight)
        btnRight = 0;
    if (key == keyArrowUp)
        btnUp = 0;
    if (key == keyArrowDown)
        btnDown = 0;
}

// An axis acts only when its reading moves into another zone: low below -500,
// high above 500, centre strictly between. -500 and 500 belong to no zone, so
// a stick that comes to rest there changes nothing; but from there a return
// to the centre acts. Otherwise a stick eased back from the right through
// exactly 500 (raw 16384 to 16416 after the driver's scaling) and let go
// would keep walking right until it was pushed again.
static bool axisChanged(int last, int now)
{
    if (last < -500)
        return now > -500;
    if (last > 500)
        return now < 500;
    if (last > -500 && last < 500)
        return now < -500 || now > 500;
    return now > -500 && now < 500;
}

// Sets the (negative, positive) direction pair from an axis reading.
static void applyAxis(int value, int* negative, int* positive)
{
    *negative = (value < -500) ? 1 : 0;
    *positive = (value > 500) ? 1 : 0;
}

void onJoystick(unsigned int buttons, int x, int y, int)
{
    if (axisChanged(joyLastX, x))
        applyAxis(x, &btnLeft, &btnRight);
    if (axisChanged(joyLastY, y))
        applyAxis(y, &btnUp, &btnDown);
    const unsigned int last = static_cast<unsigned int>(joyLastButtons);
    if (buttons != last) {
        const KeyBindings& k = keyBindings;
        btnJump = (buttons & static_cast<unsigned int>(k.joyJump)) ? 1 : 0;
        btnSword = (buttons & static_cast<unsigned int>(k.joySword)) ? 1 : 0;
        btnSwitch = (buttons & static_cast<unsigned int>(k.joySwitch)) ? 1 : 0;
        if (btnSwitch == 0)
            switchLatch = false;
    }
    joyLastButtons = static_cast<int>(buttons);
    joyLastX = x;
    joyLastY = y;
}

void onPadMenuButtons(bool start, bool back)
{
    if (start != padLastStart) {
        if (start)
            onKeyDown(13, 0, 0);
        else
            onKeyUp(13, 0, 0);
    }
    if (back != padLastBack) {
        if (back)
            onKeyDown(27, 0, 0);
        else
            onKeyUp(27, 0, 0);
    }
    padLastStart = start;
    padLastBack = back;
}

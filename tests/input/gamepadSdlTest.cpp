// The desktop's gamepad path over SDL's virtual joysticks: a standard-layout
// pad (SDL maps a virtual "game controller" by its button numbers) and a
// plain joystick SDL has no layout for, plugged in and out while the poll runs.
#include <gtest/gtest.h>

#include <SDL.h>

#include "input/gamepadSdl.h"
#include "input/input.h"
#include "shell/menus.h"
#include "shell/states.h"

namespace {

// A virtual pad as the player holds it: the test's own handle on the device
// sets its buttons and axes; the game's poll reads them.
struct VirtualPad {
    int deviceIndex = -1;
    SDL_Joystick* handle = nullptr;

    void attach(SDL_JoystickType type, int axes, int buttons)
    {
        deviceIndex = SDL_JoystickAttachVirtual(type, axes, buttons, 0);
        ASSERT_GE(deviceIndex, 0) << SDL_GetError();
        handle = SDL_JoystickOpen(deviceIndex);
        ASSERT_NE(handle, nullptr) << SDL_GetError();
    }
    void button(int b, bool down) { SDL_JoystickSetVirtualButton(handle, b, down ? 1 : 0); }
    void axis(int a, int value) { SDL_JoystickSetVirtualAxis(handle, a, static_cast<Sint16>(value)); }
    // Unplugs it: SDL reports the device gone at the next poll.
    void detach()
    {
        if (!handle)
            return;
        // Device indices shift as other devices leave: find this one's.
        const SDL_JoystickID id = SDL_JoystickInstanceID(handle);
        for (int i = 0; i < SDL_NumJoysticks(); i++)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        SDL_JoystickClose(handle);
        handle = nullptr;
    }
    ~VirtualPad() { detach(); }
};

struct GamepadSdlTest : ::testing::Test {
    void SetUp() override
    {
        resetControls();
        ASSERT_TRUE(startGamepad()) << SDL_GetError();
        // A real pad on the machine would be the one read, not ours.
        if (SDL_NumJoysticks() > 0)
            GTEST_SKIP() << "a joystick is plugged into this machine";
    }
    void TearDown() override
    {
        stopGamepad();
        resetControls();
        resetMenus();
        switchLatch = false;
    }
    // A standard-layout pad: SDL's mapping of a virtual controller puts the
    // buttons in SDL_GameControllerButton order and the axes in
    // SDL_GameControllerAxis order.
    static void attachStandardPad(VirtualPad& pad)
    {
        pad.attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX);
        ASSERT_TRUE(SDL_IsGameController(pad.deviceIndex));
    }
};

TEST_F(GamepadSdlTest, StartAndBackActAsEnterAndEscAndTheDpadAndStickMoveTheMenus)
{
    VirtualPad pad;
    attachStandardPad(pad);

    pad.button(SDL_CONTROLLER_BUTTON_START, true);
    pollGamepad();
    EXPECT_EQ(btnEnter, 1);
    EXPECT_EQ(btnEscape, 0);
    btnEnter = 0; // consumed by a menu step; held, it does not come back
    pollGamepad();
    EXPECT_EQ(btnEnter, 0);
    pad.button(SDL_CONTROLLER_BUTTON_START, false);
    pad.button(SDL_CONTROLLER_BUTTON_BACK, true);
    pollGamepad();
    EXPECT_EQ(btnEnter, 0);
    EXPECT_EQ(btnEscape, 1);
    pad.button(SDL_CONTROLLER_BUTTON_BACK, false);
    pollGamepad();
    EXPECT_EQ(btnEscape, 0);

    // The title menu: one step per push of the d-pad or the stick, however long held.
    GameState = 0;
    menuItem = 0;
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    for (int i = 0; i < 3; i++) {
        pollGamepad();
        menuInputStep();
    }
    EXPECT_EQ(menuItem, 1);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    pollGamepad();
    menuInputStep();
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    pollGamepad();
    menuInputStep();
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    pollGamepad();
    menuInputStep();
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pollGamepad();
    menuInputStep();
    EXPECT_EQ(menuItem, 1); // down to 2, up to 1
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    pollGamepad();
    menuInputStep();
    // The options screen moves the same way.
    menuItem = 5;
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    pollGamepad();
    menuInputStep();
    EXPECT_EQ(menuItem, 10); // wraps to the last entry
    EXPECT_EQ(GameState, 0);
}

TEST_F(GamepadSdlTest, ButtonsAndStickZonesOfAStandardPad)
{
    VirtualPad pad;
    attachStandardPad(pad);

    // A, B and X are jump, sword and switch; Y and the shoulders are nothing.
    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    pad.button(SDL_CONTROLLER_BUTTON_Y, true);
    pollGamepad();
    EXPECT_EQ(joyLastButtons, 1);
    EXPECT_EQ(btnJump, 1);
    pad.button(SDL_CONTROLLER_BUTTON_A, false);
    pad.button(SDL_CONTROLLER_BUTTON_B, true);
    pad.button(SDL_CONTROLLER_BUTTON_X, true);
    pollGamepad();
    EXPECT_EQ(joyLastButtons, 6);
    EXPECT_EQ(btnJump, 0);
    EXPECT_EQ(btnSword, 1);
    EXPECT_EQ(btnSwitch, 1);
    pad.button(SDL_CONTROLLER_BUTTON_B, false);
    pad.button(SDL_CONTROLLER_BUTTON_X, false);
    pollGamepad();
    EXPECT_EQ(btnSword + btnSwitch, 0);

    // The stick's readings on the -1000..1000 scale, truncated as freeglut
    // did: 16416 is 500.99, read as 500 (no zone), 16417 is 501 (right).
    struct Step {
        int stickX;
        int expectX;
        int left, right;
    };
    const Step steps[] = {{16416, 500, 0, 0},   {-100, -3, 0, 0},      {16417, 501, 0, 1},
                          {32767, 1000, 0, 1},  {-16417, -501, 1, 0},  {-32768, -1000, 1, 0},
                          {-100, -3, 0, 0}};
    for (const Step& s : steps) {
        pad.axis(SDL_CONTROLLER_AXIS_LEFTX, s.stickX);
        pollGamepad();
        EXPECT_EQ(joyLastX, s.expectX) << s.stickX;
        EXPECT_EQ(btnLeft, s.left) << s.stickX;
        EXPECT_EQ(btnRight, s.right) << s.stickX;
    }

    // The d-pad is full deflection and wins over the stick while held.
    pad.axis(SDL_CONTROLLER_AXIS_LEFTY, 20000);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    pollGamepad();
    EXPECT_EQ(joyLastX, 1000);
    EXPECT_EQ(joyLastY, -1000);
    EXPECT_EQ(btnUp, 1);
    EXPECT_EQ(btnRight, 1);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    pollGamepad();
    EXPECT_EQ(btnUp, 0);
    EXPECT_EQ(btnDown, 1);
    EXPECT_EQ(btnRight, 0);

    // A held stick does not overwrite what the keyboard sets meanwhile.
    onKeyUp('k', 0, 0);
    pollGamepad();
    EXPECT_EQ(btnDown, 0);
}

TEST_F(GamepadSdlTest, AJoystickWithoutALayoutIsReadRaw)
{
    VirtualPad stick;
    stick.attach(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 3);
    ASSERT_FALSE(SDL_IsGameController(stick.deviceIndex));

    // Buttons 0, 1 and 2 are the bits 1, 2 and 4.
    stick.button(0, true);
    pollGamepad();
    EXPECT_EQ(btnJump, 1);
    stick.button(2, true);
    pollGamepad();
    EXPECT_EQ(joyLastButtons, 5);
    EXPECT_EQ(btnSwitch, 1);
    stick.button(0, false);
    stick.button(2, false);
    stick.button(1, true);
    pollGamepad();
    EXPECT_EQ(btnJump + btnSwitch, 0);
    EXPECT_EQ(btnSword, 1);

    // Axes 0 and 1 are x and y, on the same scale and zones.
    stick.axis(0, -16417);
    stick.axis(1, 16417);
    pollGamepad();
    EXPECT_EQ(joyLastX, -501);
    EXPECT_EQ(joyLastY, 501);
    EXPECT_EQ(btnLeft, 1);
    EXPECT_EQ(btnDown, 1);
    stick.axis(1, -32768);
    pollGamepad();
    EXPECT_EQ(btnUp, 1);
    EXPECT_EQ(btnDown, 0);
    // It has no Start or Back.
    EXPECT_EQ(btnEnter + btnEscape, 0);
}

TEST_F(GamepadSdlTest, PlugInMidRunWorksAtOnceAndUnplugReleasesWhatWasHeld)
{
    for (int i = 0; i < 3; i++)
        pollGamepad(); // nothing plugged in: nothing happens
    EXPECT_EQ(btnJump + btnLeft + btnEnter, 0);

    VirtualPad pad;
    attachStandardPad(pad);
    pad.button(SDL_CONTROLLER_BUTTON_A, true);
    pad.button(SDL_CONTROLLER_BUTTON_START, true);
    pad.button(SDL_CONTROLLER_BUTTON_BACK, true);
    pad.axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    pad.button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    pollGamepad();
    EXPECT_EQ(btnJump, 1);
    EXPECT_EQ(btnLeft, 1);
    EXPECT_EQ(btnDown, 1);
    EXPECT_EQ(btnEnter, 1);
    EXPECT_EQ(btnEscape, 1);

    pad.detach();
    pollGamepad();
    EXPECT_EQ(btnJump, 0);
    EXPECT_EQ(btnLeft, 0);
    EXPECT_EQ(btnDown, 0);
    EXPECT_EQ(btnEnter, 0);
    EXPECT_EQ(btnEscape, 0);

    // Plugged in again, it works at once; a second pad beside it is not read
    // until the first one leaves, and then its held button counts.
    VirtualPad again;
    attachStandardPad(again);
    again.button(SDL_CONTROLLER_BUTTON_X, true);
    pollGamepad();
    EXPECT_EQ(btnSwitch, 1);
    VirtualPad second;
    attachStandardPad(second);
    second.button(SDL_CONTROLLER_BUTTON_B, true);
    pollGamepad();
    EXPECT_EQ(btnSword, 0);
    again.detach();
    pollGamepad();
    EXPECT_EQ(btnSwitch, 0);
    EXPECT_EQ(btnSword, 1);
}

} // namespace

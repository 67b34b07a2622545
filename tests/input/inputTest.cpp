// Keyboard, special keys and joystick turned into control flags.
#include <gtest/gtest.h>

#include "actors/player.h"
#include "core/settings.h"
#include "graphics/screenshot.h"
#include "input/input.h"
#include "support/fakeShell.h"

namespace {

struct InputTest : ::testing::Test {
    void SetUp() override
    {
        resetControls();
        resetFakeShell();
        switchLatch = false;
        settings.showControls = false;
    }
    void TearDown() override
    {
        resetControls();
        switchLatch = false;
        settings.showControls = false;
    }
    static void down(char key) { onKeyDown(static_cast<unsigned char>(key), 0, 0); }
    static void up(char key) { onKeyUp(static_cast<unsigned char>(key), 0, 0); }
};

TEST_F(InputTest, LettersSetAndClearTheirFlags)
{
    struct Case {
        char key;
        int* flag;
    };
    const Case cases[] = {{'j', &btnLeft},  {'l', &btnRight}, {'i', &btnUp},     {'k', &btnDown},
                          {'c', &btnJump},  {'x', &btnSword}, {'z', &btnSwitch}, {27, &btnEscape},
                          {13, &btnEnter},  {10, &btnEnter}};
    for (const Case& c : cases) {
        down(c.key);
        EXPECT_EQ(*c.flag, 1) << "key " << int(c.key);
        up(c.key);
        EXPECT_EQ(*c.flag, 0) << "key " << int(c.key);
    }
}

// Shift or Caps Lock may change between a press and its release: the letter
// counts in either case, so a release in the other case still lets go.
TEST_F(InputTest, LettersActTheSameInEitherCaseAndOtherKeysChangeNothing)
{
    struct Case {
        char press, release;
        int* flag;
    };
    const Case cases[] = {{'j', 'J', &btnLeft}, {'L', 'l', &btnRight}, {'I', 'I', &btnUp},
                          {'k', 'K', &btnDown}, {'C', 'c', &btnJump},  {'x', 'X', &btnSword},
                          {'Z', 'Z', &btnSwitch}};
    for (const Case& c : cases) {
        down(c.press);
        EXPECT_EQ(*c.flag, 1) << c.press;
        up(c.release);
        EXPECT_EQ(*c.flag, 0) << c.press << " released as " << c.release;
    }
    switchLatch = true;
    up('Z'); // the switch key in upper case re-arms the switch too
    EXPECT_FALSE(switchLatch);

    for (char key : {'a', 'A', ' ', '1', 'M', 'm', '\t'})
        down(key);
    for (int* flag : {&btnLeft, &btnRight, &btnUp, &btnDown, &btnJump, &btnSword, &btnSwitch,
                      &btnEnter, &btnEscape})
        EXPECT_EQ(*flag, 0);
}

// With Ctrl held GLUT gives a letter as its control code (Ctrl+j is 10, the
// code of Enter); the desktop's callbacks turn it back into the letter.
TEST_F(InputTest, LettersTypedWithCtrlHeldActAsThePlainLetters)
{
    for (int code = 1; code <= 26; code++) {
        const unsigned char expected = code == 13 ? 13 : static_cast<unsigned char>('a' + code - 1);
        EXPECT_EQ(plainKey(static_cast<unsigned char>(code), true), expected) << code;
        EXPECT_EQ(plainKey(static_cast<unsigned char>(code), false), code) << code;
    }
    for (int key : {0, 27, int('j'), int('J'), int(' '), 127, 255})
        EXPECT_EQ(plainKey(static_cast<unsigned char>(key), true), key) << key;

    // Held j, Ctrl pressed, j released: the player stops, and nothing reads as Enter.
    down('j');
    onKeyUp(plainKey(10, true), 0, 0);
    EXPECT_EQ(btnLeft, 0);
    EXPECT_EQ(btnEnter, 0);
    onKeyDown(plainKey(10, true), 0, 0); // Ctrl+j pressed
    EXPECT_EQ(btnLeft, 1);
    EXPECT_EQ(btnEnter, 0);
    onKeyUp(plainKey('j', false), 0, 0); // Ctrl let go first
    EXPECT_EQ(btnLeft, 0);
    // Return counts as Enter with or without Ctrl; so does a 10 without Ctrl.
    onKeyDown(plainKey(13, true), 0, 0);
    EXPECT_EQ(btnEnter, 1);
    onKeyUp(plainKey(13, true), 0, 0);
    EXPECT_EQ(btnEnter, 0);
    onKeyDown(plainKey(10, false), 0, 0);
    EXPECT_EQ(btnEnter, 1);
}

TEST_F(InputTest, OppositeDirectionsHeldTogetherCancelUntilOneIsReleased)
{
    down('j');
    EXPECT_EQ(btnLeft, 1);
    down('l');
    EXPECT_EQ(btnLeft, 2);
    EXPECT_EQ(btnRight, 2);
    up('j');
    EXPECT_EQ(btnLeft, 0);
    EXPECT_EQ(btnRight, 1);

    down('i');
    onSpecialDown(keyArrowDown, 0, 0); // keyboard and arrows share the flags
    EXPECT_EQ(btnUp, 2);
    EXPECT_EQ(btnDown, 2);
    onSpecialUp(keyArrowDown, 0, 0);
    EXPECT_EQ(btnUp, 1);
    EXPECT_EQ(btnDown, 0);
}

TEST_F(InputTest, LetterAndArrowOfTheSameDirectionShareOneFlag)
{
    down('j');
    onSpecialDown(keyArrowRight, 0, 0);
    EXPECT_EQ(btnLeft, 2);
    EXPECT_EQ(btnRight, 2);
    onSpecialUp(keyArrowRight, 0, 0);
    EXPECT_EQ(btnLeft, 1);

    // The same direction from two sources: the first release clears it.
    onSpecialDown(keyArrowLeft, 0, 0);
    up('j');
    EXPECT_EQ(btnLeft, 0);
}

TEST_F(InputTest, ReleasingTheSwitchKeyClearsTheLatchButPressingDoesNotSetIt)
{
    down('z');
    EXPECT_EQ(btnSwitch, 1);
    EXPECT_FALSE(switchLatch);
    switchLatch = true; // the switch step acted on it
    up('z');
    EXPECT_EQ(btnSwitch, 0);
    EXPECT_FALSE(switchLatch);
}

TEST_F(InputTest, F1ShowsTheHelpWhileHeldAndF2AsksForAScreenshot)
{
    onSpecialDown(keyF1, 0, 0);
    EXPECT_TRUE(settings.showControls);
    onSpecialUp(keyF1, 0, 0);
    EXPECT_FALSE(settings.showControls);

    pendingShot = ScreenshotRequest();
    onSpecialDown(keyF2, 0, 0);
    onSpecialUp(keyF2, 0, 0);
    EXPECT_TRUE(pendingShot.pending);
    EXPECT_EQ(pendingShot.fileName, "screenshot.png");
    EXPECT_EQ(pendingShot.width, 640);
    EXPECT_EQ(pendingShot.height, 480);
    pendingShot = ScreenshotRequest();
    // Neither key touches the control flags.
    EXPECT_EQ(btnLeft + btnRight + btnUp + btnDown + btnEnter + btnEscape, 0);
}

TEST_F(InputTest, JoystickXActsOnlyWhenTheReadingChangesZone)
{
    const int readings[] = {0, 600, 550, 400, -600};
    const int expectLeft[] = {0, 0, 0, 0, 1};
    const int expectRight[] = {0, 1, 1, 0, 0};
    for (int i = 0; i < 5; i++) {
        onJoystick(0, readings[i], 0, 0);
        EXPECT_EQ(btnLeft, expectLeft[i]) << "reading " << readings[i];
        EXPECT_EQ(btnRight, expectRight[i]) << "reading " << readings[i];
    }
}

TEST_F(InputTest, JoystickBoundaryValuesBelongToNoZone)
{
    onJoystick(0, 0, 500, 0);
    onJoystick(0, 0, 900, 0); // 500 -> 900 is not seen as a change
    EXPECT_EQ(btnDown, 0);
    onJoystick(0, -500, 0, 0);
    onJoystick(0, -900, 0, 0);
    EXPECT_EQ(btnLeft, 0);
    // From the centre a high reading acts.
    onJoystick(0, 0, 0, 0);
    onJoystick(0, 0, 501, 0);
    EXPECT_EQ(btnDown, 1);
    EXPECT_EQ(btnUp, 0);
    onJoystick(0, 0, -501, 0); // high -> low also changes
    EXPECT_EQ(btnUp, 1);
    EXPECT_EQ(btnDown, 0);
    // A stick eased back through the boundary and let go does not stay held.
    onJoystick(0, 900, 0, 0);
    EXPECT_EQ(btnRight, 1);
    onJoystick(0, 500, 0, 0);
    EXPECT_EQ(btnRight, 1);
    onJoystick(0, 0, 0, 0);
    EXPECT_EQ(btnRight, 0);
    onJoystick(0, -500, 0, 0);
    onJoystick(0, -900, 0, 0); // still no change from the boundary outwards
    EXPECT_EQ(btnLeft, 0);
}

TEST_F(InputTest, StickHeldStillDoesNotOverwriteTheKeyboard)
{
    onJoystick(0, 800, 0, 0);
    EXPECT_EQ(btnRight, 1);
    up('l'); // the keyboard clears what the stick set
    EXPECT_EQ(btnRight, 0);
    onJoystick(0, 800, 0, 0); // still high: no change, stays cleared
    EXPECT_EQ(btnRight, 0);
    down('j');
    onJoystick(0, 800, 0, 0);
    EXPECT_EQ(btnLeft, 1);
}

TEST_F(InputTest, JoystickButtonsFollowTheirBitsOnChange)
{
    onJoystick(1, 0, 0, 0);
    EXPECT_EQ(btnJump, 1);
    EXPECT_EQ(btnSwitch, 0);
    onJoystick(5, 0, 0, 0);
    EXPECT_EQ(btnJump, 1);
    EXPECT_EQ(btnSwitch, 1);
    switchLatch = true;
    onJoystick(4, 0, 0, 0);
    EXPECT_EQ(btnJump, 0);
    EXPECT_EQ(btnSwitch, 1);
    EXPECT_TRUE(switchLatch); // switch bit still set
    onJoystick(2, 0, 0, 0);
    EXPECT_EQ(btnSword, 1);
    EXPECT_EQ(btnSwitch, 0);
    EXPECT_FALSE(switchLatch);
}

TEST_F(InputTest, UnchangedButtonsDoNotOverwriteTheKeyboard)
{
    onJoystick(2, 0, 0, 0);
    up('x');
    EXPECT_EQ(btnSword, 0);
    onJoystick(2, 0, 0, 0);
    EXPECT_EQ(btnSword, 0);
}

} // namespace

TEST_F(InputTest, PadStartAndBackActAsEnterAndEscOnChangesOnly)
{
    onPadMenuButtons(true, false);
    EXPECT_EQ(btnEnter, 1);
    EXPECT_EQ(btnEscape, 0);
    // The state update clears Enter after acting once; a Start still held
    // must not set it again.
    btnEnter = 0;
    onPadMenuButtons(true, false);
    EXPECT_EQ(btnEnter, 0);
    onPadMenuButtons(false, true);
    EXPECT_EQ(btnEnter, 0);
    EXPECT_EQ(btnEscape, 1);
    // A held Esc key is not released by a pad that never pressed Back.
    onPadMenuButtons(false, false);
    EXPECT_EQ(btnEscape, 0);
    onKeyDown(27, 0, 0);
    onPadMenuButtons(false, false);
    EXPECT_EQ(btnEscape, 1);
}

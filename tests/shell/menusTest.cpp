// Title, options and control-settings screens: navigation, confirmation,
// option edits with their volumes, and what each screen prints.
#include <cstring>

#include "shell/stateTestSupport.h"
#include "support/testUtil.h"

namespace {

using MenusTest = GameStateTest;

// One update of the title menu with the given flags held.
static void press(int* flag)
{
    *flag = 1;
    GameStateTest::tick();
}

TEST_F(MenusTest, DownAndUpCycleWithinEachScreen)
{
    const int downFrom[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const int downTo[] = {1, 2, 3, 4, 0, 6, 7, 8, 9, 10, 5, 12, 13, 14, 15, 16, 17, 18, 11};
    for (int i = 0; i < 19; i++) {
        menuItem = downFrom[i];
        menuDown();
        EXPECT_EQ(menuItem, downTo[i]) << "down from " << downFrom[i];
        menuUp();
        EXPECT_EQ(menuItem, downFrom[i]) << "up from " << downTo[i];
    }
    for (int odd : {-1, 19, 100}) {
        menuItem = odd;
        menuDown();
        EXPECT_EQ(menuItem, 0);
        menuItem = odd;
        menuUp();
        EXPECT_EQ(menuItem, 0);
    }
}

TEST_F(MenusTest, ArrowsMoveOncePerPressAndClearEveryMenuFlag)
{
    press(&btnUp); // from "Play" up to "Exit"
    EXPECT_EQ(menuItem, 4);
    EXPECT_EQ(btnUp, 0);
    tick(); // still held but cleared: no second move
    EXPECT_EQ(menuItem, 4);
    press(&btnDown);
    EXPECT_EQ(menuItem, 0);

    btnLeft = btnRight = btnJump = 1;
    tick();
    EXPECT_EQ(btnLeft, 0);
    EXPECT_EQ(btnRight, 0);
    EXPECT_EQ(btnJump, 1); // not a menu flag
    EXPECT_EQ(menuItem, 0);
    EXPECT_TRUE(frameUpdated);
}

TEST_F(MenusTest, ConfirmAndMoveInOneFrameBothAct)
{
    menuItem = 2;
    btnEnter = 1;
    btnDown = 1;
    tick(); // "Options" opens, then the move acts on the options screen
    EXPECT_EQ(menuItem, 6);
}

TEST_F(MenusTest, EscEndsTheProgramFromEveryScreenWhenNotEditing)
{
    for (int item : {0, 3, 5, 10, 11, 18}) {
        GameState = 0;
        menuItem = item;
        press(&btnEscape);
        EXPECT_EQ(GameState, 6) << "item " << item;
        EXPECT_EQ(menuItem, item);
    }
    tick(); // the next update ends the process
    ASSERT_EQ(fakeExitCodes.size(), 1u);
    EXPECT_EQ(fakeExitCodes[0], 0);
}

TEST_F(MenusTest, TitleEntriesDoWhatTheySay)
{
    menuItem = 1; // "DEBUG BYPASS" skips the story and sets the debug run
    press(&btnEnter);
    EXPECT_EQ(GameState, 3);
    EXPECT_TRUE(debugMode);
    EXPECT_EQ(storyStart, 0.0);

    GameState = 0;
    menuItem = 2; // "Options"
    press(&btnEnter);
    EXPECT_EQ(menuItem, 5);

    menuItem = 3; // "Replay": nothing
    press(&btnEnter);
    EXPECT_EQ(GameState, 0);
    EXPECT_EQ(menuItem, 3);

    menuItem = 4; // "Exit"
    press(&btnEnter);
    EXPECT_EQ(GameState, 6);
}

TEST_F(MenusTest, OptionsAndControlsScreensLinkToEachOther)
{
    menuItem = 9; // "Configure Controls"
    press(&btnEnter);
    EXPECT_EQ(menuItem, 11);
    for (int item = 11; item <= 17; item++) {
        menuItem = item;
        press(&btnEnter);
        EXPECT_EQ(menuItem, item); // the listed controls do nothing
        EXPECT_FALSE(optionEdit);
    }
    menuItem = 18; // "Return"
    press(&btnEnter);
    EXPECT_EQ(menuItem, 9);
    EXPECT_EQ(GameState, 0);
}

TEST_F(MenusTest, EditModeIgnoresUpAndDownAndEndsOnEnterOrEsc)
{
    menuItem = 6;
    press(&btnEnter);
    EXPECT_TRUE(optionEdit);
    press(&btnUp);
    press(&btnDown);
    EXPECT_EQ(menuItem, 6);
    press(&btnEnter);
    EXPECT_FALSE(optionEdit);
    EXPECT_EQ(GameState, 0);

    press(&btnEnter);
    EXPECT_TRUE(optionEdit);
    press(&btnEscape); // Esc while editing leaves edit mode, not the program
    EXPECT_FALSE(optionEdit);
    EXPECT_EQ(GameState, 0);

    // Left and right outside edit mode change nothing.
    settings.musicVolume = 5;
    press(&btnRight);
    EXPECT_EQ(settings.musicVolume, 5);
}

TEST_F(MenusTest, MusicVolumeClampsAndIsAppliedAtOnce)
{
    // The option steps are called directly so the log holds only their own
    // volume calls, not the menu sounds'.
    resetFakeAudio(7); // music playing on channel 7
    menuItem = 6;
    optionEdit = true;
    settings.musicVolume = 10;
    optionRight();
    EXPECT_EQ(settings.musicVolume, 10);
    optionLeft();
    EXPECT_EQ(settings.musicVolume, 9);
    const std::vector<std::string> expected = {"SetVolume 7 250", "SetVolume 7 225"};
    EXPECT_EQ(fakeCallLog, expected);

    settings.musicVolume = 0;
    optionLeft();
    EXPECT_EQ(settings.musicVolume, 0);
    EXPECT_EQ(fakeCallLog.back(), "SetVolume 7 0");
}

TEST_F(MenusTest, SfxVolumeSetsEveryChannelThenRestoresTheMusic)
{
    menuItem = 7;
    optionEdit = true;
    settings.musicVolume = 4;
    settings.sfxVolume = 3;
    optionRight();
    EXPECT_EQ(settings.sfxVolume, 4);
    const std::vector<std::string> expected = {"SetVolume -3 100", "SetVolume 0 100"};
    EXPECT_EQ(fakeCallLog, expected);
}

TEST_F(MenusTest, LoadedVolumeOutsideTheRangeIsShownThenBroughtIn)
{
    settings.musicVolume = 128; // the built-in default
    settings.sfxVolume = 128;
    menuItem = 6;
    optionEdit = true;
    optionLeft();
    EXPECT_EQ(settings.musicVolume, 127);
    EXPECT_EQ(fakeCallLog.back(), "SetVolume 0 255"); // never more than the library's 255
    menuItem = 7;
    optionRight();
    EXPECT_EQ(settings.sfxVolume, 10);

    // Extremes from a hand-edited file step without overflowing.
    settings.musicVolume = 2147483647;
    menuItem = 6;
    optionRight();
    EXPECT_EQ(settings.musicVolume, 10);
    settings.musicVolume = -2147483647 - 1;
    optionLeft();
    EXPECT_EQ(settings.musicVolume, 0);
    settings.musicVolume = -5;
    optionRight();
    EXPECT_EQ(settings.musicVolume, -4);
}

TEST_F(MenusTest, FullscreenAndPlayerSwapToggleWithEitherKey)
{
    settings.fullscreen = 2; // accepted from the file as full screen
    menuItem = 5;
    optionEdit = true;
    optionRight();
    EXPECT_EQ(settings.fullscreen, 0);
    optionRight();
    EXPECT_EQ(settings.fullscreen, 1);
    optionLeft();
    EXPECT_EQ(settings.fullscreen, 0);

    menuItem = 8;
    optionLeft();
    EXPECT_TRUE(settings.swapP1);
    optionRight();
    EXPECT_FALSE(settings.swapP1);
    EXPECT_TRUE(fakeCallLog.empty()); // no volume call for these two
}

TEST_F(MenusTest, ReturnSavesTheSettingsAndSelectsPlay)
{
    ScopedTempDir dir;
    settings.musicVolume = 5;
    settings.sfxVolume = 7;
    settings.swapP1 = true;
    menuItem = 10;
    press(&btnEnter);
    EXPECT_EQ(menuItem, 0);
    EXPECT_EQ(readFile("kv.cfg"), "FULLSCREEN=0\r\nMUSIC=5\r\nSFX=7\r\nSWAPP1=1");
}

TEST_F(MenusTest, EveryKeyThatActsPlaysItsSample)
{
    if (!samplesObservable())
        GTEST_SKIP() << "playSample does not reach the sound layer in this tree yet";
    press(&btnDown);
    press(&btnUp);
    menuItem = 3;
    press(&btnEnter); // "Replay" does nothing but still sounds
    menuItem = 12;
    press(&btnEnter); // so does a listed control
    menuItem = 6;
    press(&btnEnter); // edit
    settings.musicVolume = 10;
    press(&btnRight); // at the ceiling: still sounds
    press(&btnUp);    // ignored while editing: silent
    const std::vector<int> expected = {0, 0, 1, 1, 1, 0};
    EXPECT_EQ(playedSamples(), expected);
}

// ---- Layout ------------------------------------------------------------------

struct Layout {
    MenuLine lines[maxMenuLines];
    int count = 0;
    Layout() { count = layoutTitleMenu(lines); }
    const MenuLine* find(const char* text) const
    {
        for (int i = 0; i < count; i++)
            if (strcmp(lines[i].text, text) == 0)
                return &lines[i];
        return nullptr;
    }
};

static void expectLine(const Layout& l, const char* text, int x, int y, int set)
{
    const MenuLine* line = l.find(text);
    ASSERT_NE(line, nullptr) << "missing \"" << text << "\"";
    EXPECT_EQ(line->x, x) << text;
    EXPECT_EQ(line->y, y) << text;
    EXPECT_EQ(line->set, set) << text;
}

TEST_F(MenusTest, TitleScreenShowsTheSelectedEntryLargeAndIndented)
{
    menuItem = 2;
    Layout l;
    EXPECT_EQ(l.count, 8);
    expectLine(l, "Kel Vantis demo", 1, 1, 1);
    expectLine(l, "v0.10a", 570, 1, 1);
    expectLine(l, "K E L  V A N T I S", 120, 150, 0);
    expectLine(l, "Play", 250, 225, 1);
    expectLine(l, "DEBUG BYPASS", 250, 255, 1);
    expectLine(l, "Options", 220, 285, 0);
    expectLine(l, "Replay", 250, 315, 1);
    expectLine(l, "Exit", 250, 345, 1);
}

TEST_F(MenusTest, OptionsScreenTextsFollowTheSettingsAndEditMode)
{
    settings.musicVolume = 128;
    settings.sfxVolume = 3;
    menuItem = 6;
    Layout plain;
    EXPECT_EQ(plain.count, 9);
    expectLine(plain, "Options", 220, 150, 1);
    expectLine(plain, "Play Windowed", 220, 225, 1);
    expectLine(plain, "Music Volume  128 ", 220, 255, 0);
    expectLine(plain, "Sfx Volume  3 ", 220, 285, 1);
    expectLine(plain, "1st Player: Mirrin Skell", 220, 315, 1);
    expectLine(plain, "Configure Controls", 220, 345, 1);
    expectLine(plain, "Return", 220, 375, 1);

    optionEdit = true;
    EXPECT_NE(Layout().find("Music Volume <128>"), nullptr);
    EXPECT_NE(Layout().find("Sfx Volume  3 "), nullptr); // only the selected entry is bracketed

    settings.fullscreen = 1;
    settings.swapP1 = true;
    menuItem = 5;
    EXPECT_NE(Layout().find("< Play Fullscreen >"), nullptr);
    menuItem = 8;
    EXPECT_NE(Layout().find("1st Player: < Gant Rellik >"), nullptr);
    EXPECT_NE(Layout().find("Play Fullscreen"), nullptr);
    optionEdit = false;
    settings.sfxVolume = 7;
    EXPECT_NE(Layout().find("Sfx Volume  7 "), nullptr);
    EXPECT_NE(Layout().find("1st Player: Gant Rellik"), nullptr);
}

TEST_F(MenusTest, ControlsScreenListsTheFixedBindings)
{
    menuItem = 18;
    Layout l;
    EXPECT_EQ(l.count, 11);
    expectLine(l, "Control Settings", 220, 150, 1);
    const char* const texts[] = {"Up: i",   "Down: k",  "Left: j",   "Right: l",
                                 "Jump: c", "Sword: x", "Switch: z", "Return"};
    for (int i = 0; i < 8; i++)
        expectLine(l, texts[i], 220, 225 + 30 * i, i == 7 ? 0 : 1);
}

} // namespace

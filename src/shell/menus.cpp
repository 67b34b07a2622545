// Title menu, options and control-settings screens: navigation, confirmation,
// option changes and the text layout of each screen.
#include "shell/menus.h"

#include <cstdio>

#include "audio/fsound.h"
#include "audio/sound.h"
#include "core/gameClock.h"
#include "core/settings.h"
#include "input/input.h"
#include "shell/states.h"

int menuItem = 0;
bool optionEdit = false;

void resetMenus()
{
    menuItem = 0;
    optionEdit = false;
}

void menuInputStep()
{
    if (!optionEdit) {
        if (btnEscape == 1)
            GameState = 6;
        if (btnEnter == 1) {
            playSample(1);
            menuConfirm();
        }
        if (btnUp == 1) {
            playSample(0);
            menuUp();
        }
        if (btnDown == 1) {
            playSample(0);
            menuDown();
        }
    } else {
        if (btnEscape == 1 || btnEnter == 1)
            optionEdit = false;
        if (btnLeft == 1) {
            playSample(0);
            optionLeft();
        }
        if (btnRight == 1) {
            playSample(0);
            optionRight();
        }
    }
    // Each press acts once; key repeat is off, so a held key is not seen again.
    btnUp = btnDown = btnLeft = btnRight = 0;
    btnEscape = btnEnter = 0;
}

// The screens as ranges of menuItem.
struct MenuScreen {
    int first;
    int last;
};
constexpr MenuScreen menuScreens[] = {{0, 4}, {5, 10}, {11, 18}};

void menuDown()
{
    for (const MenuScreen& s : menuScreens) {
        if (menuItem >= s.first && menuItem <= s.last) {
            menuItem = (menuItem == s.last) ? s.first : menuItem + 1;
            return;
        }
    }
    menuItem = 0;
}

void menuUp()
{
    for (const MenuScreen& s : menuScreens) {
        if (menuItem >= s.first && menuItem <= s.last) {
            menuItem = (menuItem == s.first) ? s.last : menuItem - 1;
            return;
        }
    }
    menuItem = 0;
}

void menuConfirm()
{
    switch (menuItem) {
    case 0: // "Play": the story the first time, straight into play afterwards
        debugMode = false;
        if (storyStart < 0.001) {
            storyStart = curTime;
            GameState = 1;
        } else {
            GameState = 3;
        }
        break;
    case 1: // "DEBUG BYPASS": fast clock and debug readouts, no story
        debugMode = true;
        GameState = 3;
        break;
    case 2: menuItem = 5; break;
    case 4: GameState = 6; break;
    case 5:
    case 6:
    case 7:
    case 8: optionEdit = true; break;
    case 9: menuItem = 11; break;
    case 10:
        saveSettings();
        menuItem = 0;
        break;
    case 18: menuItem = 9; break;
    default: break; // "Replay" and the listed controls do nothing
    }
}

// Written so that a level loaded from the file as INT_MIN or INT_MAX cannot
// overflow: one step down with a floor of 0, one step up with a ceiling of 10.
static int levelDown(int level)
{
    return level > 0 ? level - 1 : 0;
}

static int levelUp(int level)
{
    return level < 10 ? level + 1 : 10;
}

static void applyMusicVolume()
{
    FSOUND_SetVolume(musicChannel, volumeFromLevel(settings.musicVolume));
}

// Every channel gets the effects volume, then the music channel its own back.
static void applySfxVolume()
{
    FSOUND_SetVolume(FSOUND_ALL, volumeFromLevel(settings.sfxVolume));
    applyMusicVolume();
}

// direction -1 left, +1 right.
static void changeOption(int direction)
{
    switch (menuItem) {
    case 5: settings.fullscreen = (settings.fullscreen != 0) ? 0 : 1; break;
    case 6:
        settings.musicVolume =
            direction < 0 ? levelDown(settings.musicVolume) : levelUp(settings.musicVolume);
        applyMusicVolume();
        break;
    case 7:
        settings.sfxVolume =
            direction < 0 ? levelDown(settings.sfxVolume) : levelUp(settings.sfxVolume);
        applySfxVolume();
        break;
    case 8: settings.swapP1 = !settings.swapP1; break;
    default: break;
    }
}

void optionLeft()
{
    changeOption(-1);
}

void optionRight()
{
    changeOption(1);
}

// ---- Layout ------------------------------------------------------------------

static void addLine(MenuLine lines[], int* count, int x, int y, int set, const char* text)
{
    MenuLine& line = lines[*count];
    line.x = x;
    line.y = y;
    line.set = set;
    snprintf(line.text, sizeof line.text, "%s", text);
    (*count)++;
}

// Text of an options entry, bracketed when it is the one being edited.
static void optionText(int item, bool editing, char* out, size_t size)
{
    switch (item) {
    case 5: {
        const char* mode = settings.fullscreen != 0 ? "Play Fullscreen" : "Play Windowed";
        snprintf(out, size, editing ? "< %s >" : "%s", mode);
        break;
    }
    case 6:
        snprintf(out, size, editing ? "Music Volume <%d>" : "Music Volume  %d ",
                 settings.musicVolume);
        break;
    case 7:
        snprintf(out, size, editing ? "Sfx Volume <%d>" : "Sfx Volume  %d ", settings.sfxVolume);
        break;
    case 8: {
        const char* name = settings.swapP1 ? "Gant Rellik" : "Mirrin Skell";
        snprintf(out, size, editing ? "1st Player: < %s >" : "1st Player: %s", name);
        break;
    }
    case 9: snprintf(out, size, "Configure Controls"); break;
    default: snprintf(out, size, "Return"); break;
    }
}

static const char* const titleEntries[] = {"Play", "DEBUG BYPASS", "Options", "Replay", "Exit"};
static const char* const controlEntries[] = {"Up: i",    "Down: k",  "Left: j",   "Right: l",
                                             "Jump: c",  "Sword: x", "Switch: z", "Return"};

int layoutTitleMenu(MenuLine lines[maxMenuLines])
{
    int n = 0;
    addLine(lines, &n, 1, 1, 1, "Kel Vantis demo");
    addLine(lines, &n, 570, 1, 1, "v0.10a");
    if (menuItem >= 0 && menuItem <= 4) {
        addLine(lines, &n, 120, 150, 0, "K E L  V A N T I S");
        for (int i = 0; i < 5; i++) {
            const bool selected = (i == menuItem);
            addLine(lines, &n, selected ? 220 : 250, 225 + 30 * i, selected ? 0 : 1,
                    titleEntries[i]);
        }
    } else if (menuItem >= 5 && menuItem <= 10) {
        addLine(lines, &n, 220, 150, 1, "Options");
        for (int item = 5; item <= 10; item++) {
            const bool selected = (item == menuItem);
            char text[48];
            optionText(item, selected && optionEdit, text, sizeof text);
            addLine(lines, &n, 220, 225 + 30 * (item - 5), selected ? 0 : 1, text);
        }
    } else {
        addLine(lines, &n, 220, 150, 1, "Control Settings");
        for (int item = 11; item <= 18; item++) {
            const bool selected = (item == menuItem);
            addLine(lines, &n, 220, 225 + 30 * (item - 11), selected ? 0 : 1,
                    controlEntries[item - 11]);
        }
    }
    return n;
}

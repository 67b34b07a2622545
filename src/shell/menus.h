// The title, options and control-settings screens of GameState 0, all chosen
// by one selection index, and the menu input step.
#pragma once

extern int menuItem;    // selected entry: 0..4 title, 5..10 options, 11..18 controls
extern bool optionEdit; // an option entry (5..8) is being changed with left and right

// Sets menuItem and optionEdit back to their start values. Called by tests.
void resetMenus();

// The menu input step: Esc, Enter, Up and Down (or Esc/Enter, Left and Right
// while editing), with their sounds; then clears the six menu flags.
// Called by updateFrame in state 0.
void menuInputStep();
// Move the selection within the current screen, wrapping around.
void menuUp();
void menuDown();
// Carries out the selected entry. Called by menuInputStep on Enter.
void menuConfirm();
// Change the option under edit (entries 5..8 only) and apply volumes at once.
void optionLeft();
void optionRight();

// One line of text of the title menu screens, ready for printText.
struct MenuLine {
    int x;         // left edge of the first glyph
    int y;         // top edge
    int set;       // 0 large glyphs, 1 small
    char text[48]; // the text as printed
};
// Most lines one screen shows: two headers, a title and eight entries.
constexpr int maxMenuLines = 11;
// Fills lines with what the screen of the current menuItem shows, in drawing
// order; returns how many. Called by drawTitleMenu.
int layoutTitleMenu(MenuLine lines[maxMenuLines]);

// Draws the screen of the current menuItem. Called by drawFrame in state 0.
void drawTitleMenu();

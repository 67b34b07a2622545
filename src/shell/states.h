// The game-state machine: the shared game variables, the per-frame update and
// draw, the game-event timer and the arithmetic of the story, playing and
// game-over screens.
#pragma once

// altActive, switchLatch, altTimeLeft and altTimeMax belong to the characters;
// GameState, stock, the timer values and the timer and exit seams to core.
#include "actors/player.h"
#include "core/gameState.h"

// ---- Shared game variables ---------------------------------------------------
extern double storyStart;     // curTime (ms) when the story began; 0.0 = never shown. Set by "Play"
extern float storyFade;       // grey level of the story picture after 2 s, 1.0 down to 0.35
extern int storyAngle;        // story emblem rotation, degrees 0..360
extern float sceneBrightness; // shade of the playing scene, 0.15..1.0 (red-tinted below 1)
extern float gameOverFade;    // grey level of the game-over screen, 0.0 up to 1.0, never reset
extern int gameOverAngle;     // game-over emblem rotation, degrees 0..360

// Logic of the current state; ends with frameUpdated = true (not in state 6,
// which ends the process). Called by idleStep.
void updateFrame();
// Clears, draws the current state's screen and the overlays, swaps. Called by displayStep.
void drawFrame();
// Game-event timer: 2 countdown step, 4 respawn, 5 end of the game-over
// screen; other values do nothing. Armed through armGameTimer.
void onGameTimer(int value);

// Sets the state and the shared game variables back to their start values. Called by tests.
void resetGameStates();

// ---- Screen arithmetic, run by drawFrame --------------------------------------
// What one story frame shows.
enum class StoryPhase {
    ended,   // more than 10000 ms since storyStart: GameState is now 3, nothing drawn
    picture, // up to 2000 ms: the picture alone, unshaded
    fading,  // the picture shaded by fade, the text and the emblem at angle
};
struct StoryFrame {
    StoryPhase phase;
    float fade; // grey level to draw the picture with (before this frame's decrease)
    int angle;  // emblem rotation for this frame (after this frame's increase)
};
// One line of the story text, printed in the small set at x = 21.
struct StoryLine {
    int y;
    const char* text;
};
constexpr int storyLineCount = 6;
extern const StoryLine storyLines[storyLineCount]; // shown after the first 2000 ms of the story

// Advances the story by one drawn frame (fade and emblem turn) and ends it
// after 10000 ms of game time. Called by drawFrame in state 1.
StoryFrame stepStoryFrame();
// Moves sceneBrightness 0.01 towards 0.15 (second character) or 1.0 and clamps
// it. Called by drawFrame in state 3 between the background and tile colours.
void stepSceneBrightness();
// Tile shade 0..255 for a brightness. Called by drawFrame in state 3.
int tileShade(float brightness);
// Turns the game-over emblem by 8 degrees. Called by drawFrame in state 5 before drawing.
void stepGameOverAngle();
// Brightens the game-over screen by 0.004 up to 1.0. Called by drawFrame in state 5 after drawing.
void stepGameOverFade();
// Left edge of a picture of this width centred on x = 320.
int gameOverPictureX(int width);
// Prints "Error: GameState var=%d" in debug runs. Called by drawFrame for
// states without a screen (6 and out-of-range values).
void reportUndrawnState();

// Start-up, the GLUT callbacks, the game clock and the update/draw handshake.
#pragma once

struct Texture;

// ---- Game clock -----------------------------------------------------------
extern float curTime;       // game clock in ms; advanced only by advanceClock (85 ticks = 1000 ms)
extern float lastTime;      // curTime just before the latest tick
extern bool frameUpdated;   // an update has run and has not been drawn yet
extern bool debugMode;      // debug run: 1 ms per tick, debug readouts; set by the title menu

// ---- Pictures shared by several screens (created at start-up, never freed) --
extern Texture* bgTexture;        // "gfx/bg.jpg", the scrolling background
extern Texture* storyMapTexture;  // "gfx/storymap.jpg", story screen picture
extern Texture* emblemTexture;    // "gfx/yrere.bmp", rotating emblem (story, game over)
extern Texture* timeBonusTexture; // "gfx/timebonus.bmp", time bonus popup
extern Texture* gameOverTexture;  // "gfx/gameover.jpg", game-over picture
extern Texture* pixelTexture;     // "gfx/pixel.bmp", death-particle dot

// One normal tick adds this single-precision step (about 1000/85 ms).
constexpr float clockStep = 11.7647f;
// Target aspect of the 640x480 logical screen, a hair above 4/3.
constexpr float targetAspect = 1.3333334f;

// curTime truncated toward zero and held inside the int range: the time stamp
// that actors and animation cursors store.
int clockStamp();
// v truncated toward zero and held inside the int range (NaN gives 0), for
// positions and times computed in floating point. Inline: the bullets call it
// for every slot every tick.
inline int truncateToInt(double v)
{
    if (v != v)
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

// Advances curTime by one tick (1.0 in debug runs) and records lastTime.
// Returns the delay in real ms before the next tick (11, or 1 in debug runs).
// Called by onClockTick; tests call it directly.
int advanceClock();

// Viewport of a window: the 640x480 picture letter- or pillar-boxed inside it.
struct Viewport {
    int x, y, width, height;
};
// Viewport for a window of width x height pixels (0 counts as 1). Called by onReshape.
Viewport computeViewport(int width, int height);

// Idle half of the handshake: runs updateFrame unless an update is waiting to
// be drawn, then removes the idle callback until the next display.
void idleStep();
// Display half of the handshake: runs drawFrame when an update is pending,
// clears the flag and registers the idle callback for the next update.
void displayStep();

// ---- Platform side (GLUT) ---------------------------------------------------
// Reads the settings, opens the window, registers the callbacks, loads the font
// and sets the GL state. False means the program cannot run. Called once by main.
bool initWindow();
// Loads the six shared pictures with their failure messages. Called by loadGameData.
void loadSharedTextures();
// Everything start-up loads after the window, in order: sound, characters,
// shared pictures, level (ends the process on failure), particles, enemies,
// bullets. Called once by main (and by the frame timing bench).
void loadGameData();
// Registers onIdle as GLUT's idle callback (true) or removes it (false).
// Called by idleStep and displayStep.
void setIdleCallback(bool wanted);
void onReshape(int width, int height);
void onIdle();
void onDisplay();
void onClockTick(int value);

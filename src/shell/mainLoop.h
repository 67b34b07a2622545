// Start-up, the GLUT callbacks and the update/draw handshake. The game clock
// itself is core/gameClock.h; the shared pictures are graphics/sharedTextures.h.
#pragma once

extern bool frameUpdated; // an update has run and has not been drawn yet

// Target aspect of the 640x480 logical screen, a hair above 4/3.
constexpr float targetAspect = 1.3333334f;

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

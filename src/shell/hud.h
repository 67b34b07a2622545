// Readouts drawn over the game: lives and the second character's time in the
// playing and dying states; the fps counter, the debug clock and the controls
// help after every state.
#pragma once

extern float fpsShown; // frame rate on display; sampled from one frame, never averaged
extern int fpsFrames;  // frames drawn since fpsShown was last sampled

// Sets fpsShown and fpsFrames back to 0. Called by tests.
void resetHud();

// The fps value to print this frame: every 86th frame (1501st in debug runs)
// samples 1000 / frameTime, the others repeat the last sample. Called by drawFps.
double sampleFps(float frameTime, bool debug);
// altTimeLeft / altTimeMax in single precision: green and blue of the time readout.
float altTimeRatio();

// One line of the controls help.
struct HelpLine {
    int y;
    const char* text;
};
constexpr int helpLineCount = 7;
extern const HelpLine controlsHelp[helpLineCount]; // drawn at x = 10 while F1 is held

// ---- Drawing (platform side) --------------------------------------------------
// "fps: %.1f" at (500, 460). Called by drawFrame every frame with
// curTime - lastTime and debugMode.
void drawFps(float frameTime, bool debug);
// "Stock: %d" at (534, 1). Called by drawFrame in states 3 and 4 with stock - 1.
void drawStock(int count);
// altTimeLeft at (1, 1), white fading to red. Called by drawFrame in states 3 and 4.
void drawAltTime();
// "curTime: %f" at (1, 100) in cyan. Called by drawFrame while debugMode is true.
void drawDebugClock();
// The seven help lines. Called by drawFrame while showControls is true.
void drawControlsHelp();

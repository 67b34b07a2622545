// The game-state machine: per-frame update and draw, and the game-event timer.
#pragma once

extern int GameState; // 0 title, 1 story, 2 unused, 3 playing, 4 dying, 5 game over, 6 exiting

// Logic of the current state; ends with frameUpdated = true. Called by idleStep.
void updateFrame();
// Clears, draws the current state's screen and the overlays, swaps. Called by displayStep.
void drawFrame();
// Game-event timer (values 2, 4, 5). Registered with GLUT by armGameTimer.
void onGameTimer(int value);

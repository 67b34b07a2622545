// The current game state, the lives, and the two seams through which game
// logic reaches the platform: the game-event timer and the process exit.
#pragma once

extern int GameState; // 0 title, 1 story, 2 unused, 3 playing, 4 dying, 5 game over, 6 exiting
extern int stock;     // lives; the HUD shows stock - 1

// Game-event timer values (onGameTimer) and their delays in real ms.
constexpr int timerCountdown = 2;
constexpr int timerRespawn = 4;
constexpr int timerGameOverEnd = 5;
constexpr int countdownDelay = 1000;
constexpr int respawnDelay = 3820;
constexpr int gameOverDelay = 6000;

// ---- Platform side (defined by the shell) ---------------------------------------
// Arms the game-event timer: the shell's onGameTimer(value) after ms real milliseconds.
void armGameTimer(int ms, int value);
// Ends the process with this exit code. Called by updateFrame in state 6.
void endProcess(int code);

// Game-state machine, logic side: the update of every state, the game-event
// timer and the arithmetic behind the story, playing and game-over screens.
#include "shell/states.h"

#include <cstdio>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "audio/sound.h"
#include "core/gameClock.h"
#include "input/input.h"
#include "shell/cleanup.h"
#include "shell/mainLoop.h"
#include "shell/menus.h"
#include "shell/states.h"
#include "world/map.h"

double storyStart = 0.0;
float storyFade = 1.0f;
int storyAngle = 0;
float sceneBrightness = 1.0f;
float gameOverFade = 0.0f;
int gameOverAngle = 0;

// Game-over screens left with Esc whose timer has not fired yet. Timers of
// one delay fire in the order they were armed, so each such timer is the
// next game-over timer to come.
static int gameOversLeftEarly = 0;

void resetGameStates()
{
    GameState = 0;
    storyStart = 0.0;
    storyFade = 1.0f;
    storyAngle = 0;
    sceneBrightness = 1.0f;
    gameOverFade = 0.0f;
    gameOverAngle = 0;
    altActive = false;
    switchLatch = false;
    altTimeLeft = 30;
    altTimeMax = 30;
    stock = 3;
    gameOversLeftEarly = 0;
}

// Story: Enter or Esc starts play. The flags stay set, so an Esc still held
// at the next update sends the playing state back to the title.
static void updateStory()
{
    if (btnEscape == 1 || btnEnter == 1)
        GameState = 3;
}

// Hit flashes run out, then the enemies fire; both in slot order.
static void updateEnemies()
{
    for (int i = 0; i < enemySlots; i++)
        expireEnemyHitFlash(i);
    for (int i = 0; i < enemySlots; i++)
        updateEnemyFire(i);
}

static void updatePlaying()
{
    // 1. Esc goes back to the title; the rest of this tick still runs.
    if (btnEscape == 1)
        GameState = 0;
    // 2. Switch button.
    switchCharacter();
    // 3. The character in play (either may die: state 4, respawn timer armed).
    if (!altActive)
        updatePlayer();
    else
        updateAlt();
    // 4-5. Enemy hit flashes and firing.
    updateEnemies();
    // 6. Bullets.
    moveBullets();
    // 7. Enter and Esc act once.
    btnEscape = 0;
    btnEnter = 0;
}

// Dying: the death animation and the enemies go on; no flag is cleared, so an
// Esc held through the respawn reaches the first playing update.
static void updateDyingState()
{
    updateDying();
    updateEnemies();
}

// Esc leaves the game-over screen at once and does what its timer would: the
// lives come back now, so a "Play" before the timer continues with 3 lives,
// never with none, and the timer then leaves the game alone.
static void updateGameOver()
{
    if (btnEscape == 1) {
        GameState = 0;
        stock = 3;
        gameOversLeftEarly += 1;
    }
    btnEscape = 0;
    btnEnter = 0;
}

void updateFrame()
{
    const int before = GameState;
    switch (GameState) {
    case 0: menuInputStep(); break;
    case 1: updateStory(); break;
    case 3: updatePlaying(); break;
    case 4: updateDyingState(); break;
    case 5: updateGameOver(); break;
    case 6:
        cleanup();
        endProcess(0);
        return;
    default: break; // 2 and unknown values: nothing
    }
    // Play starts again from the title or the story: the first player may
    // have been left there in a dark blink, and this tick's frame shows it.
    if (GameState == 3 && before != 3)
        refreshPlayerVisibility();
    frameUpdated = true;
}

// Timer value 2: one second of the second character's time. A trip to the
// title (or the story, after a debug start) only pauses the count: the chain
// waits there, second by second, and counts again once play resumes, as no
// other step would arm a new one. A tick that finds the first character in
// play, or the second one dead (dying, game over), ends its chain.
static void countdownStep()
{
    if (!altActive)
        return;
    if (GameState == 0 || GameState == 1) {
        armGameTimer(countdownDelay, timerCountdown);
        return;
    }
    if (GameState != 3)
        return;
    altTimeLeft -= 1;
    if (altTimeLeft == 0) {
        resetParticles();
        startDeath();
        return;
    }
    if (altTimeLeft >= 1 && altTimeLeft <= 10)
        playSample(2);
    armGameTimer(countdownDelay, timerCountdown);
}

// Timer value 4, 3820 ms after a death: back into play with one life less,
// or the game-over screen when none is left.
static void respawn()
{
    respawnPlayer();
    altActive = false;
    altTimeLeft = altTimeMax;
    clearBullets();
    stock -= 1;
    scrollX = 0;
    if (stock == 0) {
        GameState = 5;
        armGameTimer(gameOverDelay, timerGameOverEnd);
    } else {
        GameState = 3;
    }
}

// Timer value 5: the lives come back and the title returns, unless the
// player already left this game-over screen with Esc, which did both.
static void endGameOver()
{
    if (gameOversLeftEarly > 0) {
        gameOversLeftEarly -= 1;
        return;
    }
    stock = 3;
    if (GameState == 5)
        GameState = 0;
}

void onGameTimer(int value)
{
    switch (value) {
    case timerCountdown: countdownStep(); break;
    case timerRespawn: respawn(); break;
    case timerGameOverEnd: endGameOver(); break;
    default: break;
    }
}

// Every other row of the screens' 15 px grid, so 30 px apart.
const StoryLine storyLines[storyLineCount] = {
    {255, "- - - > The Evil Force is upon us."},
    {285, "... Thirty miles west of Cairo, the Evil Force"},
    {315, "is massing armies of robots using the great"},
    {345, "sphinx as a portal for his modern 'Nydus Canal.'"},
    {375, "It is up to you to stop him and his masses of"},
    {405, "robots before he takes total control of the world."},
};

StoryFrame stepStoryFrame()
{
    const double elapsed = static_cast<double>(curTime) - storyStart;
    if (elapsed > 10000.0) {
        GameState = 3;
        return {StoryPhase::ended, storyFade, storyAngle};
    }
    if (elapsed <= 2000.0)
        return {StoryPhase::picture, 1.0f, storyAngle};
    const float fade = storyFade;
    storyFade -= 0.004f;
    if (storyFade < 0.35f)
        storyFade = 0.35f;
    storyAngle += 2;
    if (storyAngle > 360)
        storyAngle = 0;
    return {StoryPhase::fading, fade, storyAngle};
}

void stepSceneBrightness()
{
    if (altActive)
        sceneBrightness -= 0.01f;
    else
        sceneBrightness += 0.01f;
    if (sceneBrightness < 0.15f)
        sceneBrightness = 0.15f;
    else if (sceneBrightness > 1.0f)
        sceneBrightness = 1.0f;
}

int tileShade(float brightness)
{
    if (brightness < 0.0001f)
        return 0;
    if (brightness > 0.9999f)
        return 255;
    return static_cast<int>(brightness * 255.0f);
}

void stepGameOverAngle()
{
    gameOverAngle += 8;
    if (gameOverAngle > 360)
        gameOverAngle = 0;
}

void stepGameOverFade()
{
    gameOverFade += 0.004f;
    if (gameOverFade > 1.0f)
        gameOverFade = 1.0f;
}

int gameOverPictureX(int width)
{
    return 320 - width / 2;
}

void reportUndrawnState()
{
    if (debugMode)
        printf("Error: GameState var=%d", GameState);
}

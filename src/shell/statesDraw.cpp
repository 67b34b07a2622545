// Game-state machine, drawing side: one screen per state, then the overlays.
#include <GL/glut.h>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "audio/sound.h"
#include "core/gameClock.h"
#include "core/settings.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/quads.h"
#include "graphics/screenshot.h"
#include "graphics/sharedTextures.h"
#include "input/input.h"
#include "shell/hud.h"
#include "shell/menus.h"
#include "shell/states.h"
#include "world/map.h"
#ifdef __EMSCRIPTEN__
#include "shell/webPage.h"
#endif

// The neutral colour every screen returns to.
static void colourWhite()
{
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

// The playing scene's colour: shaded by sceneBrightness, with a red tint.
static void colourScene()
{
    glColor4f(sceneBrightness + 0.2f, sceneBrightness, sceneBrightness, 0.5f);
}

// The level's tiles under a shade of 0..255, at the current scroll.
static void drawLevelTiles(int shade)
{
    tileMap.drawTileMap(scrollX, shade);
}

static void drawStory()
{
    const StoryFrame frame = stepStoryFrame();
    if (frame.phase == StoryPhase::ended)
        return;
    if (frame.phase == StoryPhase::picture) {
        // In the colour the previous frame's overlays left: opaque white.
        drawTexture(storyMapTexture, 0, 0);
        return;
    }
    glColor4f(frame.fade, frame.fade, frame.fade, 0.5f);
    drawTexture(storyMapTexture, 0, 0);
    colourWhite();
    for (const StoryLine& line : storyLines)
        printText(21, line.y, 1, "%s", line.text);
    drawTextureRotated(emblemTexture, 160, 120, static_cast<float>(frame.angle));
}

static void drawPlaying()
{
    // 1. Music keeps playing (a running stream is left undisturbed).
    startMusic();
    // 2-4. Background in the scene colour, then the shade moves one step.
    colourScene();
    stepSceneBrightness();
    drawBackground();
    // 5-6. Tiles.
    colourWhite();
    drawLevelTiles(tileShade(sceneBrightness));
    // 7-8. Time-bonus popup in the new scene colour, only while one was earned.
    colourScene();
    if (timeBonusStart != 0)
        drawTimeBonus();
    // 9-10. Characters.
    colourWhite();
    selectPlayerAnimation();
    drawPlayers();
    // 11-12. Enemies.
    colourScene();
    drawEnemies();
    // 13-15. Bullets and the overlay layer.
    colourWhite();
    drawBullets();
    drawBackgroundOverlay();
    // 16-17. Lives and time.
    colourWhite();
    drawStock(stock - 1);
    drawAltTime();
    // 18. A short diagonal line, in whatever matrix and colour the text left.
    glBegin(GL_LINES);
    glVertex2i(100, 100);
    glVertex2i(150, 150);
    glEnd();
}

// The frozen scene of a death, with no colour changes.
static void drawDyingScene()
{
    drawBackground();
    drawLevelTiles(255);
    if (timeBonusStart != 0)
        drawTimeBonus();
    drawDyingPlayer();
    drawEnemies();
    drawBullets();
    drawBackgroundOverlay();
    drawStock(stock - 1);
    drawAltTime();
}

static void drawGameOver()
{
    glColor4f(gameOverFade, gameOverFade, gameOverFade, 0.5f);
    stepGameOverAngle();
    drawTexture(gameOverTexture, gameOverPictureX(gameOverTexture->width), 200);
    drawTextureRotated(emblemTexture, 320, 150, static_cast<float>(gameOverAngle));
    colourWhite();
    stepGameOverFade();
}

void drawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    switch (GameState) {
    case 0: drawTitleMenu(); break;
    case 1: drawStory(); break;
    case 2: break;
    case 3: drawPlaying(); break;
    case 4: drawDyingScene(); break;
    case 5: drawGameOver(); break;
    default: reportUndrawnState(); break;
    }
    drawFps(curTime - lastTime, debugMode);
    if (debugMode)
        drawDebugClock();
    if (settings.showControls)
        drawControlsHelp();
    takePendingScreenshot(); // an F2 shot reads this frame's back buffer before the swap
    glutSwapBuffers();
#ifdef __EMSCRIPTEN__
    webFrameShown();
#endif
}

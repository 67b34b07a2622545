// Enemies and bullets: placement, what each slot shows, the shared volley
// clock, the motion kinds, culling, hits and removal.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "actors/actorTestSupport.h"
#include "support/testUtil.h"

namespace {

using EnemiesTest = ActorTest;
using BulletsTest = ActorTest;

// One playing tick's enemy steps, as the update runs them.
static void enemyTick()
{
    advanceClock();
    for (int i = 0; i < enemySlots; i++)
        expireEnemyHitFlash(i);
    for (int i = 0; i < enemySlots; i++)
        updateEnemyFire(i);
}

static int activeBullets()
{
    int n = 0;
    for (const Bullet& b : bullets)
        n += b.active ? 1 : 0;
    return n;
}

TEST_F(EnemiesTest, MarkersArePlacedInReadingOrderAndTheTopRowAtOne)
{
    std::vector<std::string> rows = flatLevel(20);
    rows[10][3] = 'E';
    rows[2][7] = 'E';
    rows[0][5] = 'E';
    setTestMap(rows);
    ScopedTempDir empty;
    StdoutCapture quiet; // no sprite files here
    loadEnemies();
    quiet.stop();
    EXPECT_EQ(enemies[0].x, 160);
    EXPECT_EQ(enemies[0].y, 1); // row 0 would be y 0
    EXPECT_EQ(enemies[1].x, 224);
    EXPECT_EQ(enemies[1].y, 64);
    EXPECT_EQ(enemies[2].x, 96);
    EXPECT_EQ(enemies[2].y, 320);
    for (int i = 0; i < 3; i++) {
        EXPECT_FALSE(enemies[i].dead);
        ASSERT_NE(enemies[i].cursor, nullptr);
        EXPECT_EQ(enemies[i].cursor->getAnim(), enemies[i].normalAnim);
        EXPECT_EQ(enemies[i].cursor->x, enemies[i].x); // world values until drawn
    }
    EXPECT_EQ(enemies[3].x, -1);
    EXPECT_TRUE(enemies[3].dead);
    EXPECT_EQ(enemies[3].cursor, nullptr);
}

TEST_F(EnemiesTest, DrawingCullsOnlyAtTheRightAndFreezesTheWreckOnFrame19)
{
    placeEnemy(0, 0, 100);
    placeEnemy(1, 1140, 100);
    placeEnemy(2, 1139, 100);
    scrollX = 500;
    drawEnemies();
    EXPECT_TRUE(enemies[0].onScreen); // left of the view, still drawn
    EXPECT_FALSE(enemies[1].onScreen);
    EXPECT_TRUE(enemies[2].onScreen);
    EXPECT_EQ(enemies[0].cursor->x, -500);
    EXPECT_EQ(enemies[2].cursor->x, 639);
    EXPECT_FALSE(enemies[3].onScreen); // empty slot

    // Hit flash, then death: the dying animation's clock starts when it first shows.
    enemies[0].hurt = true;
    drawEnemies();
    EXPECT_EQ(enemies[0].cursor->getAnim(), enemies[0].hurtAnim);
    enemies[0].dead = true;
    enemies[0].hitTime = 0;
    curTime = 3000.0f;
    drawEnemies();
    EXPECT_EQ(enemies[0].cursor->getAnim(), enemies[0].dieAnim);
    EXPECT_EQ(enemies[0].hitTime, 0);
    drawEnemies();
    EXPECT_EQ(enemies[0].hitTime, 3000);
    curTime = 4905.0f;
    drawEnemies();
    EXPECT_EQ(enemies[0].cursor->frame, 0);
    curTime = 4906.0f;
    drawEnemies();
    EXPECT_EQ(enemies[0].cursor->frame, 19);
    enemies[0].cursor->setFrame(3);
    drawEnemies(); // every frame from then on
    EXPECT_EQ(enemies[0].cursor->frame, 19);
}

// The shipped dying animation (20 frames of 95 ms) drawn tick by tick for
// six seconds: it plays through once, and every frame drawn later than 1905 ms
// after its clock started is the wreck, frame 19.
TEST_F(EnemiesTest, TheShippedWreckNeverFlickersBackToAnotherFrame)
{
    const char* game = std::getenv("KV_GAME_DIR");
    ASSERT_NE(game, nullptr);
    placeEnemy(0, 100, 100);
    SpriteAnim* dying = enemies[0].dieAnim;
    ASSERT_EQ(dying->load((std::string(game) + "/gfx/enemy").c_str(), "dieenemy.kvs"), 0);
    ASSERT_EQ(dying->frameCount, 20);
    passTime(5000);
    enemies[0].dead = true;
    enemies[0].hitTime = 0;
    std::vector<bool> seenBefore(20, false);
    int wreckDraws = 0;
    for (int t = 0; t < 510; t++) {
        advanceClock();
        fakeDraws.clear();
        drawEnemies();
        ASSERT_EQ(fakeDraws.size(), 1u);
        int frame = 0;
        while (frame < 20 && dying->frames[frame].texture != fakeDraws[0].texture)
            frame++;
        ASSERT_LT(frame, 20);
        if (enemies[0].hitTime != 0 && curTime - static_cast<float>(enemies[0].hitTime) > 1905.0f) {
            EXPECT_EQ(frame, 19) << "at " << curTime - static_cast<float>(enemies[0].hitTime) << " ms";
            wreckDraws++;
        } else {
            seenBefore[static_cast<size_t>(frame)] = true;
        }
    }
    for (int frame = 1; frame < 20; frame++)
        EXPECT_TRUE(seenBefore[static_cast<size_t>(frame)]) << "frame " << frame;
    EXPECT_GT(wreckDraws, 300);
}

TEST_F(EnemiesTest, HitFlashEndsOnlyAfterAFullSecond)
{
    placeEnemy(4, 100, 100);
    enemies[4].hurt = true;
    enemies[4].hitTime = 2000;
    curTime = 3000.0f;
    expireEnemyHitFlash(4);
    EXPECT_TRUE(enemies[4].hurt);
    curTime = 3000.5f;
    expireEnemyHitFlash(4);
    EXPECT_FALSE(enemies[4].hurt);
}

TEST_F(EnemiesTest, VolleysComeFromSlotZeroEveryTwoHundredMillisecondsAndCatchUp)
{
    placeEnemy(0, 320, 96);
    placeEnemy(1, 400, 96);
    bullets[50].active = true;
    bullets[50].owner = 1;
    curTime = 1000.0f;
    enemyTick(); // first calls: every slot activates, the clock starts, tag 1 is cleared
    EXPECT_FALSE(bullets[50].active);
    EXPECT_EQ(lastFireReset, static_cast<int>(curTime));

    // The first volley flies at the first tick more than 200 ms after that.
    float before = curTime;
    while (activeBullets() == 0 && curTime < 2000.0f) {
        before = curTime;
        enemyTick();
    }
    EXPECT_LE(static_cast<int>(before - lastFireReset), 200);
    EXPECT_GT(static_cast<int>(curTime - lastFireReset), 200);
    ASSERT_EQ(activeBullets(), 3);
    EXPECT_EQ(volleyCount, 2);
    // From slot 0's centre, in the first free slots, as the volley table says.
    for (int s = 0; s < 3; s++) {
        EXPECT_EQ(bullets[s].x, 336.0);
        EXPECT_EQ(bullets[s].y, 112.0);
        EXPECT_EQ(bullets[s].originX, 336.0);
        EXPECT_EQ(bullets[s].owner, 1);
        EXPECT_EQ(bullets[s].volley, 2);
        EXPECT_EQ(bullets[s].patternIndex, s + 1);
    }
    EXPECT_EQ(bullets[0].motion, motionAimed);
    EXPECT_EQ(bullets[0].drawOffset, 6);
    EXPECT_EQ(bullets[0].width, 3);
    EXPECT_EQ(bullets[0].cursor->getAnim(), spikeImage);
    EXPECT_EQ(bullets[1].motion, motionAimed);
    EXPECT_EQ(bullets[1].speed, 2.0);
    EXPECT_EQ(bullets[1].angle, 3.0);
    EXPECT_EQ(bullets[1].width, 8);
    EXPECT_EQ(bullets[1].drawOffset, 0); // never set for shot 2
    EXPECT_EQ(bullets[1].cursor->getAnim(), orbImage);
    EXPECT_EQ(bullets[1].overlayCursor->getAnim(), orbOverlay);
    EXPECT_EQ(bullets[2].motion, motionOrbitRising);
    EXPECT_EQ(bullets[2].angle, 248.0);
    EXPECT_EQ(bullets[2].radius, 125);

    // The next one waits for more than 400 ms.
    while (activeBullets() == 3 && curTime < 2000.0f) {
        before = curTime;
        enemyTick();
    }
    EXPECT_LE(static_cast<int>(before - lastFireReset), 400);
    EXPECT_GT(static_cast<int>(curTime - lastFireReset), 400);
    EXPECT_EQ(activeBullets(), 6);

    // A second of menus later, one tick fires the missed volleys: slots 0..4 in turn.
    curTime += 1000.0f;
    clearBullets();
    enemyTick();
    EXPECT_EQ(activeBullets(), 15);
    EXPECT_EQ(bullets[3].x, 416.0);  // slot 1's centre
    EXPECT_EQ(bullets[6].x, 15.0);   // slot 2 is empty: (-1, -1) + 16
    EXPECT_EQ(volleyCount, 8);
}

TEST_F(EnemiesTest, AVolleyNeedsThreeFreeSlotsButIsCountedAnyway)
{
    for (int i = 0; i < bulletSlots - 2; i++)
        bullets[i].active = true;
    bullets[0].owner = 9; // not tag 1, so the first activations keep the pool full
    for (int i = 0; i < bulletSlots; i++)
        bullets[i].owner = 9;
    enemyTick();
    curTime += 250.0f;
    enemyTick();
    EXPECT_EQ(volleyCount, 2);
    EXPECT_FALSE(bullets[bulletSlots - 1].active);
    EXPECT_FALSE(bullets[bulletSlots - 2].active);
}

TEST_F(EnemiesTest, OverlapsCountEdgesAndSkipTheDead)
{
    placeEnemy(0, 100, 100);
    placeEnemy(1, 100, 100);
    EXPECT_EQ(findEnemyOverlapping(132, 132, 1, 1), 0); // corner to corner
    EXPECT_EQ(findEnemyOverlapping(133, 100, 1, 1), -1);
    EXPECT_EQ(findEnemyOverlapping(90, 90, 10, 10), 0);
    enemies[0].dead = true;
    EXPECT_EQ(findEnemyOverlapping(90, 90, 10, 10), 1);

    // The sword box reaches 25 px from x + 30 facing right, from x - 25 facing left.
    player.xpos = 45;
    player.ypos = 100;
    player.facingRight = true;
    EXPECT_EQ(findSwordTarget(), 1);
    player.xpos = 46;
    player.facingRight = false;
    EXPECT_EQ(findSwordTarget(), -1);
    player.xpos = 157;
    EXPECT_EQ(findSwordTarget(), 1);
    player.xpos = 158;
    EXPECT_EQ(findSwordTarget(), -1);
}

TEST_F(BulletsTest, StraightShotsWithAZeroComponentFlyByTheirAngle)
{
    Bullet& b = bullets[0];
    b.active = true;
    b.motion = motionStraight;
    b.x = 100.0;
    b.y = 100.0;
    b.vx = 2.0;
    b.vy = 0.0;
    b.speed = 1.0;
    b.angle = 90.0;
    moveBullets();
    EXPECT_NEAR(b.x, 100.0, 1e-6);
    EXPECT_NEAR(b.y, 101.0, 1e-6);

    b.vx = -1.0;
    b.vy = 1.0;
    moveBullets();
    EXPECT_NEAR(b.x, 99.0, 1e-6);
    EXPECT_NEAR(b.y, 102.0, 1e-6);
    EXPECT_NEAR(b.angle, -45.0, 1e-7); // atan of vy / vx: only turns the sprite
}

TEST_F(BulletsTest, AimedShotsTurnStraightAndOneOnTheTargetKeepsItsAngle)
{
    standAt(100); // centre (115, 429)
    Bullet& b = bullets[0];
    b.active = true;
    b.motion = motionAimed;
    b.width = b.height = 8;
    b.x = 111.0 + 30.0; // its centre 30 px right of the player's, 40 px above
    b.y = 385.0;
    b.speed = 2.0;
    b.angle = 3.0;
    moveBullets();
    EXPECT_EQ(b.motion, motionStraight);
    EXPECT_EQ(b.x, 141.0); // no move in the aiming step
    EXPECT_NEAR(b.vx, -1.2, 1e-12);
    EXPECT_NEAR(b.vy, 1.6, 1e-12);

    Bullet& c = bullets[1];
    c.active = true;
    c.motion = motionAimed;
    c.width = c.height = 3;
    c.x = 114.0;
    c.y = 428.0; // centre exactly on the player's
    c.speed = 1.0;
    c.angle = 0.0;
    moveBullets();
    moveBullets();
    EXPECT_FALSE(std::isnan(c.x));
    EXPECT_EQ(c.x, 115.0); // flies right by its spawn angle
    EXPECT_EQ(c.y, 428.0);
}

TEST_F(BulletsTest, OrbitsWrapAfter359AndFallingOrbitsGoNegative)
{
    Bullet& b = bullets[0];
    b.active = true;
    b.motion = motionOrbitRising;
    b.speed = 1.0;
    b.angle = 248.0;
    b.radius = 125;
    b.originX = 500.0;
    b.originY = 200.0;
    for (int i = 0; i < 111; i++)
        moveBullets();
    EXPECT_EQ(b.angle, 359.0);
    moveBullets();
    EXPECT_EQ(b.angle, 0.0);
    EXPECT_NEAR(b.x, 625.0, 1e-9);
    EXPECT_NEAR(b.y, 200.0, 1e-9);
    moveBullets();
    EXPECT_EQ(b.angle, 1.0);

    b.motion = motionOrbitFalling;
    b.angle = 1.0;
    moveBullets();
    moveBullets();
    EXPECT_EQ(b.angle, -1.0);
}

TEST_F(BulletsTest, HitTestsCullAtTheViewAndWallsAndTheLowerIndexHits)
{
    scrollX = 100;
    auto place = [](int i, double x, double y) {
        bullets[i].active = true;
        bullets[i].x = x;
        bullets[i].y = y;
        bullets[i].width = bullets[i].height = 3;
    };
    player.xpos = 400;
    player.ypos = 200;
    place(0, 300.0, 0.5);   // above the top limit of 1
    place(1, 300.0, 480.0); // on the bottom limit: kept
    place(2, 100.0, 300.0); // on the left edge: kept
    place(3, 740.0, 300.0); // on the right edge: kept by the hit test...
    place(4, 741.0, 300.0);
    place(5, 300.0, 449.0); // in the ground row
    EXPECT_EQ(checkBulletHits(), -1);
    EXPECT_FALSE(bullets[0].active);
    EXPECT_TRUE(bullets[1].active);
    EXPECT_TRUE(bullets[2].active);
    EXPECT_TRUE(bullets[3].active);
    EXPECT_FALSE(bullets[4].active);
    EXPECT_FALSE(bullets[5].active);
    drawBullets(); // ...but not by the drawing
    EXPECT_FALSE(bullets[3].active);
    ASSERT_EQ(fakeOutlines.size(), 2u);
    EXPECT_EQ(fakeOutlines[0].x, 200); // at the hit box's top-left on screen
    EXPECT_EQ(fakeOutlines[0].y, 480);
    EXPECT_EQ(fakeOutlines[0].width, 3);

    // Two bullets on the player: the lower index hits, the other waits.
    place(7, 401.0, 201.0);
    place(8, 402.0, 202.0);
    EXPECT_EQ(checkBulletHits(), 7);
    EXPECT_FALSE(bullets[7].active);
    EXPECT_TRUE(bullets[8].active);
    // A bullet culled by the view in this very call still hits.
    bullets[8].x = 399.0;
    scrollX = 400;
    EXPECT_EQ(checkBulletHits(), 8);

    // Edges count: a 3 x 3 bullet just touching each side of the player's
    // box (400, 200, 30 x 36) hits; half a pixel further out it misses.
    scrollX = 100;
    const double touching[4][2] = {{397.0, 210.0}, {430.0, 210.0}, {410.0, 197.0}, {410.0, 236.0}};
    const double outwards[4][2] = {{-0.5, 0.0}, {0.5, 0.0}, {0.0, -0.5}, {0.0, 0.5}};
    for (int side = 0; side < 4; side++) {
        place(20, touching[side][0] + outwards[side][0], touching[side][1] + outwards[side][1]);
        EXPECT_EQ(checkBulletHits(), -1) << "side " << side;
        place(20, touching[side][0], touching[side][1]);
        EXPECT_EQ(checkBulletHits(), 20) << "side " << side;
    }
}

TEST_F(BulletsTest, RemovalByOwnerTagTakesInactiveSlotsToo)
{
    bullets[0].active = true;
    bullets[0].owner = 1;
    bullets[1].active = true;
    bullets[1].owner = 2;
    removeBulletsOfOwner(2);
    EXPECT_TRUE(bullets[0].active);
    EXPECT_FALSE(bullets[1].active);
    int free[3];
    EXPECT_EQ(findFreeBullets(free, 3), 3);
    EXPECT_EQ(free[0], 1);
    EXPECT_EQ(free[1], 2);
    EXPECT_EQ(free[2], 3);
}

} // namespace

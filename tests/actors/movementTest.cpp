// Movement of both characters tick by tick: walking, jumping, falling, walls,
// the scroll of the view and the switch between the two.
#include <algorithm>

#include "actors/actorTestSupport.h"
#include "support/testUtil.h"

namespace {

using MovementTest = ActorTest;

TEST_F(MovementTest, WalkingTakesTwoPixelsATickAndOpposingKeysCancel)
{
    standAt(100);
    btnRight = 1;
    playerTick();
    playerTick();
    EXPECT_EQ(player.xpos, 104);
    EXPECT_TRUE(player.facingRight);
    EXPECT_FALSE(player.inAir);
    EXPECT_EQ(player.ypos, 448 - 36 - 1); // re-snapped onto the ground every tick
    EXPECT_EQ(player.vy, 1.0);

    btnRight = 0;
    btnLeft = 1;
    playerTick();
    EXPECT_EQ(player.xpos, 102);
    EXPECT_FALSE(player.facingRight);

    // Both keys of the pair held: each reads 2, which counts as released.
    btnLeft = 2;
    btnRight = 2;
    playerTick();
    EXPECT_EQ(player.xpos, 102);
    EXPECT_EQ(player.dx, 0);

    // Both reading 1 (the joystick can do that): left wins.
    btnLeft = 1;
    btnRight = 1;
    playerTick();
    EXPECT_EQ(player.xpos, 100);
}

// Ticks from the jump until the player stands again, recording the highest point.
static int jumpHeight(int holdTicks)
{
    const int ground = player.ypos;
    int top = ground;
    btnJump = 1;
    for (int t = 0; t < 200; t++) {
        if (t == holdTicks)
            btnJump = 0;
        ActorTest::playerTick();
        top = std::min(top, player.ypos);
        if (t > 0 && !player.inAir)
            break;
    }
    EXPECT_FALSE(player.inAir);
    EXPECT_EQ(player.ypos, ground);
    return ground - top;
}

TEST_F(MovementTest, HeldJumpRisesAboutEightyPixelsAndReleasingCutsIt)
{
    standAt(100);
    btnJump = 1;
    playerTick();
    EXPECT_TRUE(player.inAir);
    EXPECT_TRUE(player.jumpLatch);
    EXPECT_NEAR(player.vy, -6.7, 1e-9); // -7 from the jump, then one step of gravity
    EXPECT_EQ(player.ypos, 411 - 7);

    // Releasing the button while rising stops the rise at once.
    btnJump = 0;
    playerTick();
    EXPECT_NEAR(player.vy, 0.3, 1e-9); // set to 0, then one step of gravity while falling
    EXPECT_EQ(player.ypos, 404);

    standAt(100);
    const int full = jumpHeight(1000);
    standAt(100);
    const int tap = jumpHeight(3);
    // Each rising tick moves up by |vy| rounded up (ypos + vy truncates toward
    // zero), so a full jump clears 96 px rather than the 82 of a smooth arc.
    EXPECT_EQ(full, 96);
    EXPECT_LT(tap, full / 2);
}

TEST_F(MovementTest, HoldingJumpThroughALandingDoesNotJumpAgain)
{
    standAt(100);
    btnJump = 1;
    for (int t = 0; t < 60; t++)
        playerTick();
    EXPECT_FALSE(player.inAir); // landed with the button still down
    playerTick();
    EXPECT_FALSE(player.inAir);
    EXPECT_TRUE(player.jumpLatch);

    btnJump = 0;
    playerTick();
    EXPECT_FALSE(player.jumpLatch);
    btnJump = 1;
    playerTick();
    EXPECT_TRUE(player.inAir);
}

TEST_F(MovementTest, WalkingOffALedgeFallsAtMostThirtyTwoPixelsATickThenDies)
{
    std::vector<std::string> rows = flatLevel(40);
    rows[14].replace(5, 35, 35, '.'); // ground only under the first five columns
    setTestMap(rows);
    standAt(130);
    btnRight = 1;
    int steps = 0;
    int lastY = player.ypos;
    while (GameState == 3 && steps < 500) {
        playerTick();
        EXPECT_LE(player.ypos - lastY, 32);
        EXPECT_LE(player.vy, 32.0);
        lastY = player.ypos;
        if (player.inAir) {
            btnJump = 1; // no jump starts in mid-air
            EXPECT_TRUE(player.jumpLatch);
        }
        steps++;
    }
    EXPECT_GT(player.ypos, 480);
    EXPECT_EQ(GameState, 4);
    ASSERT_EQ(fakeTimers.size(), 1u);
    EXPECT_EQ(fakeTimers[0].ms, 3820);
    EXPECT_EQ(fakeTimers[0].value, 4);

    // Dropped from far above the level (about 1700 px of fall reach the
    // limit): the fall speeds up to exactly 32 px a tick and stays there.
    GameState = 3;
    btnRight = btnJump = 0;
    player.xpos = 600;
    player.ypos = -3000;
    player.vy = 0.0;
    int fastest = 0;
    int ticksAtLimit = 0;
    lastY = player.ypos;
    for (int t = 0; t < 400 && GameState == 3; t++) {
        playerTick();
        EXPECT_LE(player.vy, 32.0);
        fastest = std::max(fastest, player.ypos - lastY);
        ticksAtLimit += player.ypos - lastY == 32 ? 1 : 0;
        lastY = player.ypos;
    }
    EXPECT_EQ(fastest, 32);
    EXPECT_GT(ticksAtLimit, 20);
    EXPECT_EQ(player.vy, 32.0);
    EXPECT_EQ(GameState, 4);
}

TEST_F(MovementTest, WallAtThreeTwentyStopsTheRightEdgeAtThreeNineteenWithoutScrolling)
{
    std::vector<std::string> rows = flatLevel(40);
    rows[13][10] = '#'; // a one-tile wall whose left edge is x = 320
    setTestMap(rows);
    standAt(283);
    btnRight = 1;
    playerTick();
    EXPECT_EQ(player.xpos + player.width, 315);
    playerTick();
    playerTick();
    EXPECT_EQ(player.xpos + player.width, 319);
    EXPECT_EQ(scrollX, 0);
    playerTick();
    EXPECT_EQ(player.xpos + player.width, 319);
    EXPECT_EQ(scrollX, 0);

    // Past the centre a wall still stops the player, and the blocked tick
    // leaves the view where it was.
    rows[13][20] = '#'; // left edge x = 640
    setTestMap(rows);
    standAt(560);
    for (int t = 0; t < 40; t++)
        playerTick();
    EXPECT_EQ(player.xpos + player.width, 639);
    const int stoppedAt = scrollX;
    EXPECT_GT(stoppedAt, 0);
    playerTick();
    EXPECT_EQ(scrollX, stoppedAt);

    // Walking left from the far side stops flush against the wall's right edge.
    scrollX = 0;
    standAt(360);
    btnRight = 0;
    btnLeft = 1;
    for (int t = 0; t < 10; t++)
        playerTick();
    EXPECT_EQ(player.xpos, 352);
}

TEST_F(MovementTest, ViewScrollsWithThePlayerPastTheCentreAndStopsAtTheRightEnd)
{
    setTestMap(flatLevel(30)); // 960 px wide: the scroll limit is 320
    standAt(303);              // centre 318
    btnRight = 1;
    playerTick(); // centre 320 after the move
    EXPECT_EQ(scrollX, 2);
    EXPECT_EQ(player.cursor->x, 303); // the sprite keeps its screen x
    playerTick();
    EXPECT_EQ(scrollX, 4);
    EXPECT_EQ(player.cursor->x, 303);

    // Knock-back scrolls one pixel a tick.
    player.hurt = true;
    player.hurtTime = static_cast<int>(curTime);
    player.dx = 1;
    playerTick();
    EXPECT_EQ(scrollX, 5);
    player.hurt = false;

    // Near the right end the view stops and the sprite walks on.
    for (int t = 0; t < 200; t++)
        playerTick();
    EXPECT_EQ(scrollX, 320);
    EXPECT_GE(player.xpos + player.width / 2, 960 - 320);
    EXPECT_EQ(player.cursor->x, player.xpos - scrollX);
    EXPECT_GT(player.cursor->x, 303);
}

TEST_F(MovementTest, SwitchingCentresEachCharacterOnTheOtherAndArmsTheCountdown)
{
    standAt(200);
    btnSwitch = 1;
    playerTick();
    EXPECT_TRUE(altActive);
    EXPECT_EQ(altX, 213);
    EXPECT_EQ(altY, 411 + 16);
    EXPECT_EQ(altCursor->x, 213 - 30);
    ASSERT_EQ(fakeTimers.size(), 1u);
    EXPECT_EQ(fakeTimers[0].ms, 1000);
    EXPECT_EQ(fakeTimers[0].value, 2);

    playerTick(); // still held: the latch stops a second switch
    EXPECT_TRUE(altActive);

    // Fly up and left, then switch back: the first player is centred on the small box.
    btnSwitch = 0;
    switchLatch = false; // the key release clears the latch
    btnUp = 1;
    btnLeft = 1;
    for (int t = 0; t < 10; t++)
        playerTick();
    EXPECT_EQ(altX, 203);
    EXPECT_EQ(altY, 417);
    btnUp = btnLeft = 0;
    btnSwitch = 1;
    switchCharacter();
    EXPECT_FALSE(altActive);
    EXPECT_EQ(player.xpos, 203 + 2 - 15);
    EXPECT_EQ(player.ypos, 417 + 2 - 18);
    EXPECT_EQ(player.cursor->x, 190);
    EXPECT_EQ(fakeTimers.size(), 1u); // no countdown for the first player
}

TEST_F(MovementTest, SecondCharacterFliesOnePixelATickStopsAtTilesAndNotBelow480)
{
    setTestMap(flatLevel(40));
    for (int c = 0; c < 40; c++)
        tileMap.cells[c][14].kind = 0; // no ground: open to the bottom
    altActive = true;
    altX = 100;
    altY = 470;
    btnDown = 1;
    btnUp = 1; // down wins over up
    for (int t = 0; t < 20; t++)
        playerTick();
    EXPECT_EQ(altY, 480);
    EXPECT_EQ(GameState, 3); // flying low is not a death

    // A ceiling tile stops it flush below; a wall to the right one pixel short.
    tileMap.cells[3][10].kind = 1; // x 96..127, y 320..351
    altX = 100;
    altY = 360;
    btnDown = 0;
    for (int t = 0; t < 20; t++)
        playerTick();
    EXPECT_EQ(altY, 352);
    btnUp = 0;
    tileMap.cells[5][11].kind = 1; // x 160..191
    btnRight = 1;
    for (int t = 0; t < 100; t++)
        playerTick();
    EXPECT_EQ(altX, 160 - 4 - 1);

    // Above the top of the map nothing is solid and nothing is read outside it.
    btnRight = 0;
    btnUp = 1;
    altY = 3;
    for (int t = 0; t < 10; t++)
        playerTick();
    EXPECT_EQ(altY, -7);
}

TEST_F(MovementTest, SecondCharacterScrollsTheViewOnePixelATick)
{
    altActive = true;
    altX = 400;
    altY = 200;
    altCursor->setPos(400 - 30, 200 - 30);
    btnRight = 1;
    playerTick();
    playerTick();
    EXPECT_EQ(scrollX, 2);
    EXPECT_EQ(altX, 402);
    EXPECT_EQ(altCursor->x, 370); // the sprite stays, the level moves
    EXPECT_EQ(altCursor->y, 170);
}

TEST_F(MovementTest, DebugRunsPrintOnePositionLinePerFirstPlayerTick)
{
    debugMode = true;
    standAt(100);
    btnRight = 1;
    StdoutCapture out;
    playerTick();
    playerTick();
    EXPECT_EQ(out.stop(), "xpos: 102, spritexpos: 102, leftCoord: 0 640\n"
                          "xpos: 104, spritexpos: 104, leftCoord: 0 640\n");
}

} // namespace

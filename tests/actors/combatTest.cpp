// Combat tick by tick: hits on the first player, the sword, kills and their
// time bonus, the second character's one-touch death, the dying state and the
// respawn, the particles and the popup.
#include "actors/actorTestSupport.h"
#include "graphics/image.h"
#include "graphics/sharedTextures.h"

namespace {

using CombatTest = ActorTest;

// Runs first-player ticks until the next hit lands (health drops) and
// returns the game time it took; gives up after limit ticks.
static float untilNextHit(int limit = 1000)
{
    const int health = player.health;
    const float start = curTime;
    for (int t = 0; t < limit && player.health == health && GameState == 3; t++)
        ActorTest::playerTick();
    return curTime - start;
}

TEST_F(CombatTest, TouchingARobotFiveTimesKillsWithKnockBackAndBlinkingBetween)
{
    passTime(1600); // out of the start-up window (hurtTime 0)
    standAt(100);
    placeEnemy(0, 130, 380); // overlapping the player's right edge
    const float first = untilNextHit();
    EXPECT_LT(first, 20.0f);
    EXPECT_EQ(player.health, 40);
    EXPECT_TRUE(player.hurt);
    EXPECT_EQ(player.dx, -1); // facing right: pushed left
    EXPECT_EQ(player.hurtTime, static_cast<int>(curTime));

    // Knock-back: controls ignored, one pixel a tick to the left for 600 ms.
    btnRight = 1;
    const int x = player.xpos;
    playerTick();
    EXPECT_EQ(player.xpos, x - 1);
    EXPECT_TRUE(player.facingRight); // facing away from the push
    passTime(600);
    playerTick();
    EXPECT_FALSE(player.hurt);

    // Blinking until 1500 ms after the hit: hidden from 700 to 800 ms.
    btnRight = 0;
    player.hurtTime = static_cast<int>(curTime) - 750;
    playerTick();
    EXPECT_FALSE(player.visible);
    player.hurtTime = static_cast<int>(curTime) - 850;
    playerTick();
    EXPECT_TRUE(player.visible);
    player.hurtTime = static_cast<int>(curTime) - 1450;
    playerTick();
    EXPECT_TRUE(player.visible);

    // Standing in a wide robot, knock-back or not: a hit every 1500 ms, the
    // fifth one kills.
    enemies[0].x = 0;
    enemies[0].width = 200;
    player.hurtTime = static_cast<int>(curTime);
    standAt(100);
    for (int hit = 2; hit <= 5; hit++) {
        player.xpos = 100; // back from the last push, so the level's edge is never reached
        const float gap = untilNextHit(400);
        EXPECT_GE(gap, 1499.0f) << "hit " << hit; // stamps are whole ms, the clock is not
        EXPECT_EQ(player.health, 50 - 10 * hit);
    }
    EXPECT_EQ(GameState, 4);
    ASSERT_FALSE(fakeTimers.empty());
    EXPECT_EQ(fakeTimers.back().value, 4);
}

TEST_F(CombatTest, TouchAndBulletInOneTickCostTwentyAndATouchBeatsTheSword)
{
    passTime(1600);
    standAt(100);
    placeEnemy(3, 128, 400); // touching the player and inside the sword box
    Bullet& b = bullets[7];
    b.active = true;
    b.x = 110.0;
    b.y = 420.0;
    b.width = b.height = 3;
    b.motion = motionStill;
    btnSword = 1;
    startSwing();
    playerTick();
    EXPECT_EQ(player.health, 30);
    EXPECT_FALSE(b.active);
    EXPECT_EQ(enemies[3].health, 30); // the sword did not strike
    EXPECT_FALSE(player.attacking);
}

TEST_F(CombatTest, ThreeStrikesKillWithTheFlashBetweenAndTheKillPaysThreeSeconds)
{
    passTime(1600);
    standAt(100);
    placeEnemy(2, 131, 400); // inside the sword box (x 130..155), one pixel clear of the body
    bullets[0].active = bullets[1].active = true;
    bullets[0].owner = 3; // fired by enemy 2 (owner tag index + 1)
    bullets[1].owner = 1;
    bullets[0].x = bullets[1].x = 500.0;
    bullets[0].y = bullets[1].y = 100.0;

    // The press starts the swing after the tick's hit tests; the next tick
    // strikes: 20 left and a flash. A second strike inside 1000 ms does nothing.
    btnSword = 1;
    playerTick();
    EXPECT_TRUE(player.attacking);
    EXPECT_EQ(enemies[2].health, 30);
    playerTick();
    EXPECT_EQ(enemies[2].health, 20);
    EXPECT_TRUE(enemies[2].hurt);
    passTime(900);
    playerTick();
    EXPECT_EQ(enemies[2].health, 20);

    // The flash ends 1000 ms after the strike; the same swing strikes again.
    passTime(120);
    expireEnemyHitFlash(2);
    EXPECT_FALSE(enemies[2].hurt);
    playerTick();
    EXPECT_EQ(enemies[2].health, 10);

    // The swing ends after 1450 ms; holding the button starts no new one.
    passTime(500);
    playerTick();
    EXPECT_FALSE(player.attacking);
    playerTick();
    EXPECT_FALSE(player.attacking);
    btnSword = 0;
    playerTick();
    btnSword = 1;
    passTime(1100);
    expireEnemyHitFlash(2);
    const int before = altTimeLeft;
    playerTick(); // a new swing
    playerTick(); // the third strike
    EXPECT_TRUE(enemies[2].dead);
    EXPECT_EQ(enemies[2].hitTime, 0);
    EXPECT_EQ(altTimeLeft, before + 3);
    EXPECT_EQ(timeBonusStart, static_cast<int>(curTime));
    EXPECT_EQ(timeBonusX, 131.0);
    EXPECT_EQ(timeBonusY, 400.0);
    EXPECT_FALSE(bullets[0].active); // its own bullets go
    EXPECT_TRUE(bullets[1].active);  // the volleys' tag 1 stays

    // A dead robot neither blocks, hurts nor can be struck.
    player.xpos = 131;
    EXPECT_EQ(findTouchedEnemy(), -1);
    EXPECT_EQ(findSwordTarget(), -1);
}

TEST_F(CombatTest, KillingEnemyZeroRemovesEveryVolleyBullet)
{
    placeEnemy(0, 300, 300);
    enemies[0].health = 10;
    bullets[4].active = true;
    bullets[4].owner = 1;
    strikeEnemy(0);
    EXPECT_FALSE(bullets[4].active);
}

TEST_F(CombatTest, SecondCharacterDiesOnceWhenARobotAndABulletTouchItTogether)
{
    altActive = true;
    altX = 200;
    altY = 200;
    placeEnemy(0, 202, 202);
    bullets[5].active = true;
    bullets[5].x = 201.0;
    bullets[5].y = 201.0;
    bullets[5].width = bullets[5].height = 3;
    particles[9].offsetX = 5.0f;
    btnRight = 1;
    playerTick();
    EXPECT_EQ(GameState, 4);
    ASSERT_EQ(fakeTimers.size(), 1u);
    EXPECT_EQ(fakeTimers[0].value, 4);
    EXPECT_FALSE(bullets[5].active);
    EXPECT_EQ(altX, 201); // the rest of the tick still ran
    EXPECT_EQ(particles[9].life, 1.0f);
    EXPECT_EQ(particles[9].offsetX, 5.0f); // the explosion starts where the aura was
    EXPECT_GE(particles[9].velX, -26.0f);
    EXPECT_LE(particles[9].velX, 23.0f);
}

TEST_F(CombatTest, DyingTickShowsTheDeathAnimationFromFrame52AndRespawnResets)
{
    player.attacking = true;
    player.visible = false;
    updateDying();
    EXPECT_TRUE(player.visible);
    EXPECT_FALSE(player.attacking);
    EXPECT_EQ(player.cursor->getAnim(), player.animDeath);
    EXPECT_EQ(player.cursor->frame, 52);
    player.cursor->setFrame(60);
    updateDying(); // already on it: left running
    EXPECT_EQ(player.cursor->frame, 60);

    scrollX = 300;
    bullets[9].active = true;
    player.xpos = 900;
    player.health = -10;
    player.hurt = true;
    player.dx = -1;
    player.vy = 12.0;
    altActive = true;
    stock = 2;
    GameState = 4;
    onGameTimer(4);
    EXPECT_EQ(player.xpos, 150);
    EXPECT_EQ(player.ypos, 250);
    EXPECT_EQ(player.cursor->x, 150);
    EXPECT_EQ(player.cursor->y, 250);
    EXPECT_EQ(player.health, 50);
    EXPECT_FALSE(player.hurt);
    EXPECT_TRUE(player.inAir);
    EXPECT_EQ(player.dx, 0);
    EXPECT_EQ(player.vy, 0.0);
    EXPECT_FALSE(altActive);
    EXPECT_EQ(scrollX, 0);
    EXPECT_FALSE(bullets[9].active);
    EXPECT_EQ(stock, 1);
    EXPECT_EQ(GameState, 3);
}

TEST_F(CombatTest, AuraDotsAreBornAgainButExplosionDotsFadeOnce)
{
    altCursor->setPos(100, 200);
    resetParticles();
    for (Particle& p : particles) {
        p.fade = 0.6f;
        p.velX = 2000.0f; // one pixel per drawn frame
        p.velY = 0.0f;
    }
    drawParticles(false);
    ASSERT_EQ(fakeDots.size(), 400u);
    EXPECT_EQ(fakeDots[0].x, 100.0f + 30 + 2); // the hit box's centre on screen
    EXPECT_EQ(fakeDots[0].y, 200.0f + 30 + 2);
    EXPECT_EQ(fakeDots[0].life, 1.0f);
    EXPECT_EQ(particles[0].offsetX, 1.0f);
    drawParticles(false); // life 0.4 - 0.6 < 0: born again at the centre
    EXPECT_EQ(particles[0].life, 1.0f);
    EXPECT_EQ(particles[0].offsetX, 0.0f);
    EXPECT_GE(particles[0].fade, 0.011f);
    EXPECT_LE(particles[0].fade, 0.02f);

    resetParticles();
    for (Particle& p : particles)
        p.fade = 0.6f;
    drawParticles(true);
    drawParticles(true);
    EXPECT_LT(particles[0].life, 0.0f); // no rebirth in an explosion
}

TEST_F(CombatTest, PopupRisesFadesAndEndsAfterOneSecond)
{
    Texture popup;
    timeBonusTexture = &popup;
    scrollX = 100;
    timeBonusX = 331.0;
    timeBonusY = 200.0;
    curTime = 5000.0f;
    timeBonusStart = 4500;
    drawTimeBonus();
    ASSERT_EQ(fakeDraws.size(), 1u);
    EXPECT_EQ(fakeDraws[0].kind, FakeDrawKind::blended);
    EXPECT_EQ(fakeDraws[0].x, 231);
    EXPECT_EQ(fakeDraws[0].y, 180); // 40 px per second
    EXPECT_EQ(fakeDraws[0].alpha, 127);
    EXPECT_EQ(timeBonusStart, 4500);

    curTime = 5500.5f; // just past the second: drawn a last time, then over
    drawTimeBonus();
    EXPECT_EQ(timeBonusStart, 0);
    timeBonusTexture = nullptr;
}

} // namespace

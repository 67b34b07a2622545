// Combat, damage and death: what touches, bullets and the sword do, the time
// bonus of a kill, deaths and the respawn, and the second character's aura
// and explosion.
#include "actors/combat.h"

#include <cstdlib>

#include "actors/bullets.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "core/gameState.h"
#include "graphics/anim.h"
#include "graphics/drawBatch.h"
#include "graphics/quads.h"
#include "graphics/sharedTextures.h"
#include "world/map.h"

Particle particles[particleCount];
int timeBonusStart = 0;
double timeBonusX = 0.0;
double timeBonusY = 0.0;

namespace {

// Milliseconds of game time since a stored time stamp.
float msSince(int stamp)
{
    return curTime - static_cast<float>(stamp);
}

// After a hit the first player blinks: hidden for 100 ms of every 200 from
// 700 ms until the 1500 ms window ends.
bool visibleWhileRecovering(float t)
{
    if (t < 700.0f)
        return true;
    const int tenth = static_cast<int>(t / 100.0f); // 7..14
    return tenth % 2 == 0;
}

// A non-negative rand() remainder, as the particle formulas use it.
float randomBelow(int n)
{
    return static_cast<float>(rand() % n);
}

} // namespace

void startSwing()
{
    player.attackStartTime = clockStamp();
    player.attacking = true;
    player.attackLatch = true;
    player.swordCursor->setFrame(0);
    player.swordCursor->play();
}

void hitPlayer()
{
    player.hurt = true;
    player.attacking = false;
    player.health -= hitDamage;
    player.dx = player.facingRight ? -1 : 1; // pushed away from where it faces
    player.hurtTime = clockStamp();
}

void strikeEnemy(int k)
{
    Enemy& enemy = enemies[k];
    enemy.hurt = true;
    enemy.health -= hitDamage;
    if (enemy.health <= 0)
        enemy.dead = true;
    if (enemy.dead) {
        enemy.hitTime = 0; // the wreck's clock starts when the dying animation first shows
        removeBulletsOfOwner(k + 1);
        altTimeLeft += killTimeBonus;
        timeBonusX = enemy.x;
        timeBonusY = enemy.y;
        timeBonusStart = clockStamp();
    } else {
        enemy.hitTime = clockStamp();
    }
}

void checkPlayerHits()
{
    const float t = msSince(player.hurtTime);
    if (t >= static_cast<float>(invulnerableMs)) {
        // A touch beats the sword in the same tick; a bullet can land on top.
        const int touched = findTouchedEnemy();
        if (touched != -1) {
            hitPlayer();
        } else if (player.attacking) {
            const int target = findSwordTarget();
            if (target != -1 && !enemies[target].hurt)
                strikeEnemy(target);
        }
        if (checkBulletHits() != -1)
            hitPlayer();
        return;
    }
    // Recovering: no hit tests, so bullets are neither culled nor hit.
    player.visible = visibleWhileRecovering(t);
}

void checkAltHits()
{
    const bool touched = findTouchedEnemyAlt() != -1;
    const bool shot = checkBulletHits() != -1; // runs even after a touch, removing its bullet
    if (touched || shot) {
        resetParticles();
        startDeath();
    }
}

void startDeath()
{
    GameState = 4;
    armGameTimer(respawnDelay, timerRespawn);
}

void updateDying()
{
    player.visible = true;
    player.attacking = false;
    if (player.cursor->getAnim() != player.animDeath) {
        player.cursor->set(player.animDeath);
        player.cursor->setFrame(52);
    }
}

void respawnPlayer()
{
    player.inAir = true;
    player.jumpLatch = true;
    player.facingRight = true;
    player.attacking = false;
    player.hurt = false;
    player.health = 50;
    player.xpos = 150;
    player.ypos = 250;
    player.cursor->x = 150;
    player.cursor->y = 250;
    player.dx = 0;
    player.vy = 0.0;
}

void resetParticles()
{
    // The offsets stay: an explosion starts from wherever the aura's dots were.
    for (Particle& p : particles) {
        p.life = 1.0f;
        p.fade = randomBelow(100) / 1000.0f + 0.003f;
        p.red = 1.0f;
        p.green = 1.0f;
        p.blue = 1.0f;
        p.velX = randomBelow(50) - 26.0f;
        p.velY = randomBelow(50) - 25.0f;
    }
}

void drawParticles(bool explosion)
{
    // The second character's hit-box centre on screen.
    const int centreX = altCursor->x + altDrawOffset + altSize / 2;
    const int centreY = altCursor->y + altDrawOffset + altSize / 2;
    beginDrawBatch(DrawOrder::asCalled); // all 400 dots in one call
    for (Particle& p : particles) {
        drawParticleDot(static_cast<float>(centreX) + p.offsetX, static_cast<float>(centreY) + p.offsetY, p.red,
                        p.life);
        p.offsetX += p.velX / 2000.0f;
        p.offsetY += p.velY / 2000.0f;
        p.life -= p.fade;
        if (!explosion && p.life < 0.0f) {
            p.life = 1.0f;
            p.fade = 0.02f - randomBelow(10) / 1000.0f;
            p.offsetX = 0.0f;
            p.offsetY = 0.0f;
            p.velX = randomBelow(3000) - 1600.0f;
            p.velY = randomBelow(3000) - 1500.0f;
        }
    }
    endDrawBatch();
}

void drawTimeBonus()
{
    const float t = msSince(timeBonusStart);
    const int alpha = truncateToInt(255.0f - t * 255.0f / 1000.0f);
    // The popup rises 40 px per second of game time while it fades.
    const int x = truncateToInt(timeBonusX - scrollX);
    const int y = truncateToInt(timeBonusY - t * 0.04);
    drawTextureBlended(timeBonusTexture, x, y, alpha);
    if (t > 1000.0f)
        timeBonusStart = 0;
}

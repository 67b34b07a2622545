// The robot enemies: placement from the map's markers, the animation each
// slot shows, the shared volley clock and the overlap queries.
#include "actors/enemies.h"

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "graphics/anim.h"
#include "graphics/drawBatch.h"
#include "world/map.h"

Enemy enemies[enemySlots];
int volleyCount = 1;
int lastFireReset = 0;
bool fireClockStarted = false;

namespace {

SpriteAnim* loadEnemyAnim(const char* file)
{
    SpriteAnim* anim = new SpriteAnim();
    anim->load("gfx/enemy", file); // a failed load draws nothing; the game carries on
    return anim;
}

// One shot of a volley, as the volley table gives it.
struct Shot {
    int patternIndex;
    bool orb; // orb pictures, else spike
    int size;
    int motion;
    double speed;
    double angle;
    int radius;
    int drawOffset; // -1: keep what the slot held before
    int paramA;
    int paramB;
};

// Two shots aimed at the character in play (they turn straight on their
// first step) and one circling the enemy.
const Shot volleyShots[3] = {
    {1, false, 3, motionAimed, 1.0, 0.0, 150, 6, 2, 1},
    {2, true, 8, motionAimed, 2.0, 3.0, 100, -1, 0, 2},
    {3, false, 3, motionOrbitRising, 1.0, 248.0, 125, -1, 2, 6},
};

// Three bullets from enemy i's centre (an empty slot's centre is (15, 15)).
void spawnVolley(int i, const int* slots, int elapsed)
{
    const Enemy& enemy = enemies[i];
    const double centreX = enemy.x + enemy.width / 2;
    const double centreY = enemy.y + enemy.height / 2;
    for (int s = 0; s < 3; s++) {
        const Shot& shot = volleyShots[s];
        Bullet& b = bullets[slots[s]];
        b.x = centreX;
        b.y = centreY;
        b.originX = centreX;
        b.originY = centreY;
        b.vx = 0.0;
        b.vy = 0.0;
        b.active = true;
        b.owner = 1;
        b.volley = volleyCount;
        b.spawnOffset = elapsed;
        b.patternIndex = shot.patternIndex;
        b.width = shot.size;
        b.height = shot.size;
        b.motion = shot.motion;
        b.speed = shot.speed;
        b.angle = shot.angle;
        b.radius = shot.radius;
        // Shots 2 and 3 draw with whatever offset the slot held (0 if never used).
        if (shot.drawOffset >= 0)
            b.drawOffset = shot.drawOffset;
        b.shotParamA = shot.paramA;
        b.shotParamB = shot.paramB;
        b.cursor->set(shot.orb ? orbImage : spikeImage);
        b.overlayCursor->set(shot.orb ? orbOverlay : spikeOverlay);
    }
}

} // namespace

void loadEnemies()
{
    const int markers = tileMap.getMarkerCount();
    for (int i = 0; i < markers && i < enemySlots; i++) {
        Enemy& enemy = enemies[i];
        tileMap.findMarker(i, &enemy.x, &enemy.y);
        enemy.x *= tileSize;
        enemy.y *= tileSize;
        if (enemy.y == 0)
            enemy.y = 1;
    }
    for (Enemy& enemy : enemies) {
        if (enemy.x == -1)
            continue;
        enemy.cursor = new AnimCursor();
        enemy.normalAnim = loadEnemyAnim("nenemy.kvs");
        enemy.hurtAnim = loadEnemyAnim("denemy.kvs");
        enemy.dieAnim = loadEnemyAnim("dieenemy.kvs");
        enemy.cursor->set(enemy.normalAnim);
        enemy.cursor->setSpeed(1.0f);
        enemy.dead = false;
        enemy.onScreen = true;
        enemy.cursor->setPos(enemy.x, enemy.y); // world values until the first draw
    }
}

void expireEnemyHitFlash(int i)
{
    Enemy& enemy = enemies[i];
    if (enemy.hurt && curTime - static_cast<float>(enemy.hitTime) > static_cast<float>(hitFlashMs))
        enemy.hurt = false;
}

void updateEnemyFire(int i)
{
    if (!fireClockStarted) {
        fireClockStarted = true;
        lastFireReset = clockStamp();
    }
    Enemy& enemy = enemies[i];
    if (!enemy.activated) {
        // Every slot, placed or not, restarts the clock on its first call.
        removeBulletsOfOwner(1);
        lastFireReset = clockStamp();
        enemy.activated = true;
        volleyCount = 1;
    }
    const int elapsed = truncateToInt(curTime - static_cast<float>(lastFireReset));
    // The clock is shared: the first slot to find it ahead fires, placed, dead or empty.
    if (static_cast<long long>(elapsed) > static_cast<long long>(volleyCount) * volleyStepMs) {
        volleyCount += 1;
        int slots[3];
        if (findFreeBullets(slots, 3) == 3)
            spawnVolley(i, slots, elapsed);
    }
}

void drawEnemies()
{
    beginDrawBatch(DrawOrder::asCalled); // in slot order, so overlapping robots stay as they were
    for (Enemy& enemy : enemies) {
        // Only the right side is culled: a slot left of the view is still drawn, off screen.
        if (enemy.x < 0 || enemy.x >= scrollX + 640) {
            enemy.onScreen = false;
            continue;
        }
        enemy.onScreen = true;
        if (enemy.cursor == nullptr)
            continue; // a slot placed after loading has nothing to draw
        AnimCursor* cursor = enemy.cursor;
        if (enemy.dead && cursor->getAnim() != enemy.dieAnim) {
            cursor->set(enemy.dieAnim);
        } else if (!enemy.dead && enemy.hurt && cursor->getAnim() != enemy.hurtAnim) {
            cursor->set(enemy.hurtAnim);
        } else if (!enemy.dead && !enemy.hurt && cursor->getAnim() != enemy.normalAnim) {
            cursor->set(enemy.normalAnim);
        } else if (enemy.dead) {
            if (enemy.hitTime == 0)
                enemy.hitTime = clockStamp();
            if (curTime - static_cast<float>(enemy.hitTime) > static_cast<float>(corpseFrameMs))
                cursor->setFrame(corpseFrame); // every frame from now on: the wreck stays
        }
        cursor->setPos(enemy.x - scrollX, enemy.y);
        cursor->draw();
    }
    endDrawBatch();
}

int findEnemyOverlapping(int x, int y, int width, int height)
{
    for (int i = 0; i < enemySlots; i++) {
        const Enemy& e = enemies[i];
        if (e.dead)
            continue;
        if (x <= e.x + e.width && x + width >= e.x && y <= e.y + e.height && y + height >= e.y)
            return i;
    }
    return -1;
}

int findTouchedEnemy()
{
    return findEnemyOverlapping(player.xpos, player.ypos, player.width, player.height);
}

int findTouchedEnemyAlt()
{
    return findEnemyOverlapping(altX, altY, altSize, altSize);
}

int findSwordTarget()
{
    const int left = player.facingRight ? player.xpos + 30 : player.xpos - swordBoxSize;
    return findEnemyOverlapping(left, player.ypos + 6, swordBoxSize, swordBoxSize);
}

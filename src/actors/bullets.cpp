// The bullet pool: motion, culling, hits on the character in play, drawing
// and removal. Every pass scans the 1000 slots in index order; nothing is
// allocated after start-up.
#include "actors/bullets.h"

#include <cmath>

#include "actors/player.h"
#include "core/gameClock.h"
#include "graphics/anim.h"
#include "graphics/drawBatch.h"
#include "world/map.h"

Bullet bullets[bulletSlots];
SpriteAnim* orbImage = nullptr;
SpriteAnim* orbOverlay = nullptr;
SpriteAnim* cardImage = nullptr;
SpriteAnim* cardOverlay = nullptr;
SpriteAnim* spikeImage = nullptr;
SpriteAnim* spikeOverlay = nullptr;
SpriteAnim* ovalImage = nullptr;
SpriteAnim* ovalOverlay = nullptr;

namespace {

SpriteAnim* loadPicture(const char* file)
{
    SpriteAnim* anim = new SpriteAnim();
    anim->loadSingle(file); // a failed load draws nothing; the game carries on
    return anim;
}

// The hit box of the character in play: (x, y, width, height).
void targetBox(int* box)
{
    if (altActive) {
        box[0] = altX;
        box[1] = altY;
        box[2] = altSize;
        box[3] = altSize;
    } else {
        box[0] = player.xpos;
        box[1] = player.ypos;
        box[2] = player.width;
        box[3] = player.height;
    }
}

void moveStraight(Bullet& b)
{
    if (b.vx != 0.0 && b.vy != 0.0) {
        b.x += b.vx;
        b.y += b.vy;
        b.angle = std::atan(b.vy / b.vx) * radToDeg; // only turns the sprite
    } else {
        // A velocity along an axis is ignored: the shot flies by its heading.
        b.x += std::cos(b.angle * degToRad) * b.speed;
        b.y += std::sin(b.angle * degToRad) * b.speed;
    }
}

void moveOrbit(Bullet& b, double step)
{
    b.angle += step;
    if (b.angle > 359.0)
        b.angle = 0.0; // a falling orbit is never wrapped and goes negative
    b.x = b.originX + std::cos(b.angle * degToRad) * b.radius;
    b.y = b.originY + std::sin(b.angle * degToRad) * b.radius;
}

// Turns an aimed shot into a straight one towards the centre of the character
// in play; it does not move in this step.
void aim(Bullet& b)
{
    int box[4];
    targetBox(box);
    const int targetX = box[0] + box[2] / 2;
    const int targetY = box[1] + box[3] / 2;
    const double dx = targetX - (b.x + b.width / 2);
    const double dy = targetY - (b.y + b.height / 2);
    const double dist = std::sqrt(dx * dx + dy * dy);
    if (dist > 0.0) {
        b.vx = b.speed / dist * dx;
        b.vy = b.speed / dist * dy;
    } else {
        // Spawned on the target's centre: no direction to aim along, so the
        // zero velocity makes it fly by its spawn angle instead.
        b.vx = 0.0;
        b.vy = 0.0;
    }
    b.motion = motionStraight;
}

} // namespace

void initBullets()
{
    for (Bullet& b : bullets) {
        b.active = false;
        b.cursor = new AnimCursor();
        b.overlayCursor = new AnimCursor();
    }
    orbImage = loadPicture("gfx/bullets/orb.bmp");
    orbOverlay = loadPicture("gfx/bullets/orboverlay.bmp");
    cardImage = loadPicture("gfx/bullets/card.bmp");
    cardOverlay = loadPicture("gfx/bullets/cardoverlay.bmp");
    spikeImage = loadPicture("gfx/bullets/spike.bmp");
    spikeOverlay = loadPicture("gfx/bullets/spikeoverlay.bmp");
    ovalImage = loadPicture("gfx/bullets/oval.bmp");
    ovalOverlay = loadPicture("gfx/bullets/ovaloverlay.bmp");
}

void moveBullets()
{
    for (Bullet& b : bullets) {
        if (!b.active)
            continue;
        switch (b.motion) {
        case motionStraight: moveStraight(b); break;
        case motionOrbitRising: moveOrbit(b, b.speed); break;
        case motionOrbitFalling: moveOrbit(b, -b.speed); break;
        case motionAimed: aim(b); break;
        default: break; // still, or an unknown kind
        }
    }
}

int checkBulletHits()
{
    int box[4];
    targetBox(box);
    for (int i = 0; i < bulletSlots; i++) {
        Bullet& b = bullets[i];
        if (!b.active)
            continue;
        if (b.x > scrollX + 640 || b.x < scrollX || b.y > 480 || b.y < 1)
            b.active = false;
        // Only the top-left and bottom-right corners meet the walls.
        const int ix = truncateToInt(b.x);
        const int iy = truncateToInt(b.y);
        if (tileMap.isSolid(ix / tileSize, iy / tileSize))
            b.active = false;
        if (tileMap.isSolid((ix + b.width) / tileSize, (iy + b.height) / tileSize))
            b.active = false;
        // A bullet culled just now still hits in this call.
        if (b.x + b.width >= box[0] && b.x <= box[0] + box[2] && b.y + b.height >= box[1] &&
            b.y <= box[1] + box[3]) {
            b.active = false;
            return i;
        }
    }
    return -1;
}

void drawBullets()
{
    // One draw call per bullet picture and one for all outlines: where
    // bullets overlap, orbs may come out above spikes, bullets at the edge of
    // the view above the others and outlines above other bullets' pictures,
    // which is all that changes.
    beginDrawBatch(DrawOrder::byState);
    for (Bullet& b : bullets) {
        if (!b.active)
            continue;
        if (b.x >= scrollX + 640) {
            b.active = false;
            continue;
        }
        AnimCursor* cursor = b.cursor;
        cursor->setPos(truncateToInt(b.x - b.drawOffset - scrollX), truncateToInt(b.y - b.drawOffset));
        cursor->drawRotated(truncateToInt(b.angle));
        drawHitBoxOutline(cursor->x + b.drawOffset, cursor->y + b.drawOffset, b.width, b.height);
    }
    endDrawBatch();
}

void removeBulletsOfOwner(int tag)
{
    for (Bullet& b : bullets) {
        if (b.owner == tag)
            b.active = false;
    }
}

void clearBullets()
{
    for (Bullet& b : bullets)
        b.active = false;
}

int findFreeBullets(int* out, int count)
{
    int found = 0;
    for (int i = 0; i < bulletSlots && found < count; i++) {
        if (!bullets[i].active)
            out[found++] = i;
    }
    return found;
}

// Movement of the character in play, once per game tick: the first player
// walks, jumps and falls against the solid tiles; the second character flies.
// Also the switch between the two and the horizontal scroll of the view.
//
// Everything is integer pixels except the first player's vy; conversions from
// double truncate toward zero, as do negative integer divisions.
#include <cstdio>

#include "actors/collision.h"
#include "actors/combat.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "core/gameState.h"
#include "graphics/anim.h"
#include "input/input.h"
#include "world/map.h"

namespace {

constexpr int walkSpeed = 2;
constexpr int knockBackSpeed = 1;
constexpr double jumpSpeed = -7.0;
constexpr double gravity = 0.3;
constexpr double maxFallSpeed = 32.0;
constexpr double groundSpeed = 1.0; // vy of a player standing on ground
constexpr int viewWidth = 640;
constexpr int viewHalf = 320;
constexpr int lowestY = 480;

// Widest scroll: the level's right end at the view's right edge.
int scrollLimit()
{
    return tileMap.getWidth() * tileSize - viewWidth;
}

// Horizontal move of a box of the given span by speed against the walls:
// stops one pixel short of a wall on the right, flush against one on the
// left. True when a wall stopped it.
bool moveAcross(int* x, int y, int speed, int span)
{
    int column = 0;
    if (speed >= 1) {
        if (columnHitsSolid(*x + speed + span, y, &column)) {
            *x = column * tileSize - span - 1;
            return true;
        }
        *x += speed;
    } else if (speed < 0) {
        if (columnHitsSolid(*x + speed, y, &column)) {
            *x = (column + 1) * tileSize;
            return true;
        }
        *x += speed;
    }
    return false;
}

} // namespace

void switchCharacter()
{
    if (btnSwitch == 1 && !switchLatch) {
        altActive = !altActive;
        switchLatch = true;
        if (altActive) {
            altX = player.xpos + player.width / 2 - altSize / 2;
            altY = player.ypos + player.height / 2 - altSize / 2;
            altCursor->x = altX - altDrawOffset - scrollX;
            armGameTimer(countdownDelay, timerCountdown);
        } else {
            // Speed and flags stay as they were when the first player was left.
            player.xpos = altX + altSize / 2 - player.width / 2;
            player.ypos = altY + altSize / 2 - player.height / 2;
            player.cursor->x = player.xpos - scrollX;
        }
    }
}

void updatePlayer()
{
    if (player.hurt) {
        // Knock-back: the controls are ignored and the push goes on.
        if (player.inAir && player.vy < 0)
            player.vy = 0.0; // a hit stops a rise
        player.facingRight = player.dx <= 0;
        player.attacking = false;
        if (curTime - static_cast<float>(player.hurtTime) > static_cast<float>(hurtMs))
            player.hurt = false;
    } else {
        // Left wins when both directions read 1; 2 (both keys held) counts as released.
        if (btnLeft == 1) {
            player.dx = -walkSpeed;
            player.facingRight = false;
        } else if (btnRight == 1) {
            player.dx = walkSpeed;
            player.facingRight = true;
        } else {
            player.dx = 0;
        }
        if (btnJump == 1 && !player.inAir && !player.jumpLatch) {
            player.vy = jumpSpeed;
            player.inAir = true;
            player.jumpLatch = true;
        }
        // Releasing the button ends a rise at once, so a tap jumps lower than a hold.
        if (player.inAir && player.vy < 0 && btnJump != 1)
            player.vy = 0.0;
        checkPlayerHits();
        if (btnSword == 1 && !player.attackLatch)
            startSwing();
        if (player.attacking &&
            curTime - static_cast<float>(player.attackStartTime) >= static_cast<float>(swingMs))
            player.attacking = false;
    }
    if (!player.attacking && btnSword != 1)
        player.attackLatch = false;

    const bool blocked = movePlayerStep(btnJump == 1);

    // The view follows the player's centre past the middle of the screen; at
    // the level's right end it stops and the sprite walks on.
    const int centre = player.xpos + player.width / 2;
    if (centre > viewHalf - 1 && !blocked) {
        if (centre >= tileMap.getWidth() * tileSize - viewHalf)
            player.cursor->x = player.xpos - scrollX;
        else
            scrollCamera(); // the sprite keeps its screen x while the level moves
    } else {
        player.cursor->x = player.xpos - scrollX;
    }
    if (debugMode)
        printf("xpos: %d, spritexpos: %d, leftCoord: %d %d\n", player.xpos, player.cursor->x, scrollX,
               scrollLimit());
    player.cursor->y = player.ypos;

    if (player.ypos > lowestY || player.health <= 0)
        startDeath();
}

bool movePlayerStep(bool jumpHeld)
{
    const bool blocked = moveAcross(&player.xpos, player.ypos, player.dx, player.width);

    int row = 0;
    if (player.vy < 0) {
        const int top = static_cast<int>(player.ypos + player.vy);
        if (rowHitsSolid(player.xpos, top, &row)) {
            // A ceiling: flush below it, the rise ends.
            player.ypos = (row + 1) * tileSize;
            player.vy = 0.0;
        } else {
            player.ypos = top;
            player.vy += gravity;
        }
    } else {
        // The probe looks one step below the feet, so a player on ground hits
        // it every tick and is snapped back one pixel above the tile.
        if (rowHitsSolid(player.xpos, static_cast<int>(player.ypos + player.vy + player.height), &row)) {
            player.ypos = row * tileSize - player.height - 1;
            player.vy = groundSpeed;
            player.inAir = false;
            if (!jumpHeld)
                player.jumpLatch = false; // a held jump does not fire again on landing
        } else {
            player.ypos = static_cast<int>(player.ypos + player.vy);
            player.vy += gravity;
            if (player.vy > maxFallSpeed)
                player.vy = maxFallSpeed;
            player.inAir = true;
            player.jumpLatch = true; // no jump from mid-air after walking off a ledge
        }
    }
    return blocked;
}

void scrollCamera()
{
    if (altActive) {
        if (altDx >= 1)
            scrollX += 1;
        else if (altDx < 0)
            scrollX -= 1;
    } else {
        const int step = player.hurt ? knockBackSpeed : walkSpeed;
        if (player.dx >= 1)
            scrollX += step;
        else if (player.dx < 0)
            scrollX -= step;
    }
    // A level narrower than the view gives a negative limit; then it wins.
    if (scrollX < 0)
        scrollX = 0;
    if (scrollX > scrollLimit())
        scrollX = scrollLimit();
}

void updateAlt()
{
    // Left wins over right, down over up.
    altDx = btnLeft == 1 ? -1 : (btnRight == 1 ? 1 : 0);
    altDy = btnDown == 1 ? 1 : (btnUp == 1 ? -1 : 0);

    checkAltHits(); // a death here does not stop the rest of the tick

    const bool blocked = moveAcross(&altX, altY, altDx, altSize);
    int row = 0;
    if (altDy >= 1) {
        if (rowHitsSolid(altX, altY + altDy + altSize, &row))
            altY = row * tileSize - altSize - 1;
        else
            altY += altDy;
    } else if (altDy < 0) {
        if (rowHitsSolid(altX, altY + altDy, &row))
            altY = (row + 1) * tileSize;
        else
            altY += altDy;
    }
    if (altY > lowestY)
        altY = lowestY;

    const int centre = altX + altSize / 2;
    if (centre > viewHalf - 1 && !blocked && centre < tileMap.getWidth() * tileSize - viewHalf) {
        scrollCamera();
        altCursor->y = altY - altDrawOffset;
    } else {
        altCursor->setPos(altX - altDrawOffset - scrollX, altY - altDrawOffset);
    }
}

// The two player characters: their state, the start-up loading of both sprite
// sets and the choice of what to draw each frame.
#include "actors/player.h"

#include "actors/combat.h"
#include "core/gameState.h"
#include "core/settings.h"
#include "graphics/anim.h"

Player player;

int altX = 0;
int altY = 0;
int altSize = 0;
int altDrawOffset = 0;
int altDx = 0;
int altDy = 0;
int altTimeMax = 30;
int altTimeLeft = 30;
SpriteAnim* altAnim = nullptr;
AnimCursor* altCursor = nullptr;
bool altActive = false;
bool switchLatch = false;

namespace {

// Sprite info files of one look of the first player.
struct LookFiles {
    const char* left;
    const char* right;
    const char* upLeft;
    const char* upRight;
    const char* downLeft;
    const char* downRight;
    const char* leftHurt;
    const char* rightHurt;
    const char* death;
    const char* swordLeft;
    const char* swordRight;
};

// "Mirrin Skell" (swapP1 false) and "Gant Rellik" (swapP1 true).
const LookFiles looks[2] = {
    {"p1leftinfo.kvs", "p1rightinfo.kvs", "p1upleftinfo.kvs", "p1uprightinfo.kvs",
     "p1downleftinfo.kvs", "p1downrightinfo.kvs", "p1leftinfod.kvs", "p1rightinfod.kvs",
     "p1death.kvs", "esleftinfo.kvs", "esrightinfo.kvs"},
    {"p2leftinfo.kvs", "p2rightinfo.kvs", "p2upleftinfo.kvs", "p2uprightinfo.kvs",
     "p2downleftinfo.kvs", "p2downrightinfo.kvs", "p2leftinfod.kvs", "p2rightinfod.kvs",
     "p2death.kvs", "fsleftinfo.kvs", "fsrightinfo.kvs"},
};

SpriteAnim* loadAnim(const char* folder, const char* file)
{
    SpriteAnim* anim = new SpriteAnim();
    anim->load(folder, file); // a failed load draws nothing; the game carries on
    return anim;
}

// Binds the cursor to anim unless it already plays it (so a running animation
// is not restarted every frame).
void bindOnce(AnimCursor* cursor, SpriteAnim* anim)
{
    if (cursor->getAnim() != anim)
        cursor->set(anim);
}

// A standing first player shows the first frame of its pose, stopped; a
// grounded one always has vy 1.0, so anything above that is a fall.
void stopOrPlayBody()
{
    if (player.dx == 0 && player.vy <= 1.0) {
        player.cursor->stop();
        player.cursor->setFrame(0);
    } else {
        player.cursor->play();
    }
}

} // namespace

void resetPlayerState()
{
    player.inAir = true;
    player.jumpLatch = true;
    player.facingRight = true;
    player.attacking = false;
    player.hurt = false;
    player.attackLatch = false;
    altActive = false;
    switchLatch = false;
    player.visible = true;

    player.maxHealth = 50;
    player.health = 50;
    stock = 3;
    player.width = 30;
    player.height = 36;
    player.xpos = 64;
    player.ypos = 416;
    player.dx = 0;
    player.vy = 0.0;

    altSize = 4;
    altDrawOffset = 30;
    altTimeLeft = 30;
    altTimeMax = 30;
    altX = 150;
    altY = 250;
    altDx = 0;
    altDy = 0;

    timeBonusX = 0.0;
    timeBonusY = 0.0;
    timeBonusStart = 0;

    // Each cursor starts on its first animation at normal speed.
    if (altCursor != nullptr) {
        altCursor->set(altAnim);
        altCursor->setSpeed(1.0f);
    }
    if (player.cursor != nullptr) {
        player.cursor->set(player.animRight);
        player.cursor->setSpeed(1.0f);
    }
    if (player.swordCursor != nullptr) {
        player.swordCursor->set(player.swordRight);
        player.swordCursor->setSpeed(1.0f);
    }
}

void loadPlayers()
{
    altCursor = new AnimCursor();
    altAnim = loadAnim("gfx/player/alt", "alt.kvs");

    // The settings loader keeps swapP1 to 0 or 1; the bool keeps the index in range.
    const LookFiles& look = looks[settings.swapP1 ? 1 : 0];
    player.cursor = new AnimCursor();
    player.animLeft = loadAnim("gfx/player/walk", look.left);
    player.animRight = loadAnim("gfx/player/walk", look.right);
    player.animUpLeft = loadAnim("gfx/player/jump", look.upLeft);
    player.animUpRight = loadAnim("gfx/player/jump", look.upRight);
    player.animDownLeft = loadAnim("gfx/player/jump", look.downLeft);
    player.animDownRight = loadAnim("gfx/player/jump", look.downRight);
    player.animLeftD = loadAnim("gfx/player/walk", look.leftHurt);
    player.animRightD = loadAnim("gfx/player/walk", look.rightHurt);
    player.animDeath = loadAnim("gfx/player/explode", look.death);

    player.swordCursor = new AnimCursor();
    player.swordLeft = loadAnim("gfx/player/sword", look.swordLeft);
    player.swordRight = loadAnim("gfx/player/sword", look.swordRight);

    resetPlayerState();
}

void selectPlayerAnimation()
{
    AnimCursor* body = player.cursor;
    if (player.hurt) {
        // facingRight is true exactly while the push goes left, so the pose follows the push.
        bindOnce(body, player.facingRight ? player.animLeftD : player.animRightD);
    } else if (player.inAir && player.vy >= 0) {
        // The falling pose is bound again every frame, so it keeps its first frame.
        body->set(player.facingRight ? player.animDownRight : player.animDownLeft);
    } else if (player.inAir) {
        bindOnce(body, player.facingRight ? player.animUpRight : player.animUpLeft);
    } else {
        bindOnce(body, player.facingRight ? player.animRight : player.animLeft);
    }
    if (player.hurt)
        return; // a hit stops the selection before the sword is placed

    // The sword sits beside the body every frame, swinging or not.
    AnimCursor* sword = player.swordCursor;
    if (player.attacking && !player.facingRight) {
        bindOnce(sword, player.swordLeft);
        sword->setPos(body->x - 30, body->y);
    } else {
        bindOnce(sword, player.swordRight);
        sword->setPos(body->x + 30, body->y);
    }
}

void drawPlayers()
{
    if (!altActive) {
        stopOrPlayBody();
        if (player.visible)
            player.cursor->draw();
        if (player.attacking)
            player.swordCursor->draw();
        return;
    }
    // Bound again every frame: the second character always shows its first frame.
    altCursor->set(altAnim);
    altCursor->draw();
    drawParticles(false);
}

void drawDyingPlayer()
{
    if (player.cursor->getAnim() != player.animDeath) {
        player.cursor->set(player.animDeath);
        player.cursor->setFrame(52);
    }
    if (!altActive) {
        stopOrPlayBody();
        player.cursor->draw(); // the dying update keeps it visible
        return;
    }
    drawParticles(true);
}

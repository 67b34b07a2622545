// Actor steps of the game states' updates. The characters, enemies and
// bullets are not in the game yet: each step is in its place in the update
// and does nothing until its owner fills it in.
#include "actors/actorSteps.h"

#include "world/map.h"

void switchCharacter() {}
void updatePlayer() {}
void updateAlt() {}
void expireEnemyHitFlash(int) {}
void updateEnemyFire(int) {}
void moveBullets() {}
void updateDying() {}

void respawnPlayer() {}
void clearBullets() {}
void resetScroll()
{
    scrollX = 0;
}

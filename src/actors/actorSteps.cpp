// Actor and world steps of the game states' updates. The characters, enemies,
// bullets and scroll are not in the game yet: each step is in its place in the
// update and does nothing until its owner fills it in.
#include "actors/actorSteps.h"

void switchCharacter() {}
void updatePlayer() {}
void updateAlt() {}
void expireEnemyHitFlash(int) {}
void updateEnemyFire(int) {}
void moveBullets() {}
void updateDying() {}

void respawnPlayer() {}
void clearBullets() {}
void resetScroll() {}

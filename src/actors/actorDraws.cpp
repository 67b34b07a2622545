// Actor drawing steps of the playing and dying screens. Nothing to draw until
// the characters, enemies, bullets and the time bonus are in the game.
#include "actors/actorSteps.h"

void selectPlayerAnimation() {}
void drawPlayers() {}
void drawDyingPlayer() {}
void drawTimeBonus() {}
void drawEnemies() {}
void drawBullets() {}

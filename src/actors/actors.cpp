// Actor loaders. The characters, enemies and bullets are not in the game yet;
// these run at start-up so the order of loading is already in place.
#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"

void loadPlayers() {}
void resetParticles() {}
void loadEnemies() {}
void initBullets() {}

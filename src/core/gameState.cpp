// The current game state and the lives.
#include "core/gameState.h"

int GameState = 0;
int stock = 3;

// The robot enemies.
#pragma once

// Places the enemies from the map markers and loads their sprites. Called once by main.
void loadEnemies();

// The level map: file loader and the one level grid.
#pragma once

// Loads "data/maps/maplvl1.map" and its tileset; ends the process with code 1
// on failure. Called once by main.
void loadLevel();

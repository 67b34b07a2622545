// The two player characters.
#pragma once

// Loads both characters' sprites and sets the starting lives, health and time.
// Called once by main after the sound start-up.
void loadPlayers();

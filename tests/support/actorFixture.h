// Set-up shared by the tests that run the actors: every actor at its start-up
// state and a small level drawn as text.
#pragma once

#include <string>
#include <vector>

// Loads the characters' sprites and the bullet pool once per test process
// (from an empty folder: no picture loads, but every cursor exists), then puts
// the characters, enemies, bullets, particles, scroll and fakes back at their
// start-up state. Enemy slots are emptied (their sprites freed). Used by the
// unit and the device tests alike, so it resets no fakes.
void resetActors();

// Frees every actor sprite and cursor that is still held (a test may have run
// the shutdown cleanup, which frees only some of them, or loaded its own);
// the next resetActors loads them again.
void releaseActorSprites();

// Makes tileMap the level drawn by rows, top row first, 1 to 15 rows of equal
// length (20..400): '#' solid, 'E' enemy marker, anything else empty. Missing
// rows at the bottom are empty. Picture tables are left alone.
void setTestMap(const std::vector<std::string>& rows);

// Frees the level's tile pictures and cell cursors that a real level load
// made, leaving the tables empty for the next test.
void releaseLevel();

// Places enemy slot i at (x, y), alive, with a cursor and the three enemy
// animations (empty ones unless the sprite files exist).
void placeEnemy(int i, int x, int y);

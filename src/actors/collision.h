// Collision queries of the character in play against the solid tiles of the level.
#pragma once

// Span probes of the character in play; the span is altSize while altActive,
// else the player's width (row probe) or height (column probe).
// rowHitsSolid: is a solid tile in tile row y/32 anywhere from x to x+span?
// *row is always written. Called by the player and second-character updates.
bool rowHitsSolid(int x, int y, int* row);
// columnHitsSolid: is a solid tile in tile column x/32 anywhere from y to
// y+span? *column is always written. Called by the same updates.
bool columnHitsSolid(int x, int y, int* column);

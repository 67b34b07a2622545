// The orderly end: releasing what the game loaded before the process exits.
#pragma once

// Releases the tile tables, the actors' animations and cursors, closes the
// music stream, frees the three samples and deletes the font's glyph lists,
// in that order. Called once, by updateFrame in state 6, right before the exit.
void cleanup();

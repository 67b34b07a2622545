// Draw batches: the pictures, dots and outlines drawn between beginDrawBatch
// and endDrawBatch are gathered in clip space (clipSpace.h) and sent to the
// GL in a few vertex arrays instead of one call each. On a software renderer
// each call costs far more than the pixels of a small picture, so this is
// what keeps a frame with a full bullet pool within a tick.
//
// Inside a batch the picture draws of quads.h, the actors' dots and outlines
// and the tile colour are recorded with the colour, texturing and blending
// they would have met, and the GL is left afterwards in the state the single
// draws would have left. Nothing else may draw inside a batch.
#pragma once

// Whether the draws of a batch may change places.
enum class DrawOrder {
    // As called: only neighbouring draws of the same picture and state share a call.
    asCalled,
    // By state: plain pictures first, then pictures added onto the screen,
    // then lines; within each, one call per picture in the order of first
    // use, each draw keeping its place among those of its picture. Only for
    // draws whose overlaps may be reordered that way: tiles that fit their
    // cells (a cell's accent still comes after every base).
    byState,
    // By state wherever that changes no pixel: two draws that may cover the
    // same pixel keep their call order, the later on top; the others are
    // grouped by state into as few calls as that allows. For draws that
    // overlap freely in any order, such as the bullets and their outlines.
    keepingOverlaps,
};

// False makes every draw go to the GL at once, the straightforward way (the
// golden drawing test compares the two); true in the game.
extern bool drawBatching;

// Starts gathering draws. Called by drawBullets, drawEnemies, drawParticles
// and drawTileMap around their loops (and by the text printing).
void beginDrawBatch(DrawOrder order);
// Draws what was gathered and leaves the GL state as the single draws would
// have left it.
void endDrawBatch();

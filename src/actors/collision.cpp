// Collision queries of moving things against the solid tiles of the level.
#include "actors/collision.h"

#include "actors/player.h"
#include "world/map.h"

namespace {

// Extent of the character in play along a probe: the second character's
// square side, or the first player's width (along a row) or height.
int probeSpan(bool alongRow)
{
    if (altActive)
        return altSize;
    return alongRow ? player.width : player.height;
}

// v moved toward zero onto a tile edge (-40 gives -32).
int toTileEdge(int v)
{
    return v - v % tileSize;
}

} // namespace

bool rowHitsSolid(int x, int y, int* row)
{
    int edge = toTileEdge(x);
    const long long end = static_cast<long long>(x) + probeSpan(true);
    *row = y / tileSize;
    int column = edge / tileSize;
    // The end is inclusive: a span ending on the first pixel of the next
    // tile reaches that tile. The 64-bit end keeps x near INT_MAX finite.
    while (edge <= end) {
        if (tileMap.isSolid(column, *row))
            return true;
        column++;
        if (column > maxMapWidth)
            break; // every column from here on is outside the grid
        edge += tileSize;
    }
    return false;
}

bool columnHitsSolid(int x, int y, int* column)
{
    int edge = toTileEdge(y);
    const long long end = static_cast<long long>(y) + probeSpan(false);
    *column = x / tileSize;
    int row = edge / tileSize;
    while (edge <= end) {
        if (tileMap.isSolid(*column, row))
            return true;
        row++;
        if (row > mapRows)
            break; // every row from here on is outside the grid
        edge += tileSize;
    }
    return false;
}

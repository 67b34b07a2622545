// Collision queries: the single-tile test and the two span probes.
#include <gtest/gtest.h>

#include <climits>

#include "actors/collision.h"
#include "actors/player.h"
#include "world/map.h"

namespace {

// Empties the global grid to 20x15 and sets the spans of both characters;
// puts everything back to empty afterwards.
struct GridGuard {
    GridGuard()
    {
        clear();
        player.width = 30;
        player.height = 36;
        altSize = 4;
        altActive = false;
    }
    ~GridGuard()
    {
        clear();
        player.width = player.height = altSize = 0;
        altActive = false;
    }
    static void clear()
    {
        tileMap.mapWidth = 20;
        tileMap.mapHeight = 15;
        for (auto& column : tileMap.cells)
            for (MapCell& cell : column)
                cell.kind = 0;
    }
};

void solid(int column, int row)
{
    tileMap.cells[column][row].kind = 1;
}

TEST(IsSolid, OnlyKindOneInsideTheGridIsSolid)
{
    GridGuard guard;
    // Solid frame around the whole grid.
    for (int c = 0; c < 20; c++) {
        solid(c, 0);
        solid(c, 14);
    }
    for (int r = 0; r < 15; r++) {
        solid(0, r);
        solid(19, r);
    }
    tileMap.cells[5][5].kind = 2;

    EXPECT_TRUE(tileMap.isSolid(0, 0));
    EXPECT_TRUE(tileMap.isSolid(19, 14));
    EXPECT_FALSE(tileMap.isSolid(-1, 0));
    EXPECT_FALSE(tileMap.isSolid(0, -1));
    EXPECT_FALSE(tileMap.isSolid(20, 0));
    EXPECT_FALSE(tileMap.isSolid(19, 15));
    EXPECT_FALSE(tileMap.isSolid(INT_MIN, INT_MAX));
    EXPECT_FALSE(tileMap.isSolid(5, 5)); // enemy marker: passable
    EXPECT_FALSE(tileMap.isSolid(6, 5));

    // Column 20 has cells in the arrays but lies outside a 20-wide level.
    solid(20, 3);
    EXPECT_FALSE(tileMap.isSolid(20, 3));
    tileMap.mapWidth = 21;
    EXPECT_TRUE(tileMap.isSolid(20, 3));
    // A width beyond the arrays never lets a query read past them.
    tileMap.mapWidth = 100000;
    EXPECT_FALSE(tileMap.isSolid(400, 3));
    EXPECT_FALSE(tileMap.isSolid(5000, 3));
}

TEST(RowProbe, TruncatesTowardZeroAndIncludesTheEnd)
{
    GridGuard guard;
    solid(1, 0);
    int row = 99;

    // Span 30: x 0 reaches pixel 30, still column 0; x 2 reaches 32, column 1.
    EXPECT_FALSE(rowHitsSolid(0, 0, &row));
    EXPECT_EQ(row, 0);
    EXPECT_TRUE(rowHitsSolid(2, 0, &row));

    // A top a few pixels above the level still probes row 0; at -32 it is row -1.
    EXPECT_TRUE(rowHitsSolid(2, -5, &row));
    EXPECT_EQ(row, 0);
    EXPECT_FALSE(rowHitsSolid(2, -32, &row));
    EXPECT_EQ(row, -1);

    // x -40 with span 30: edge -32, end -10, only column -1.
    solid(0, 0);
    EXPECT_FALSE(rowHitsSolid(-40, 0, &row));
    EXPECT_EQ(row, 0);
    // x -20: edge 0 (toward zero), end 10: column 0.
    EXPECT_TRUE(rowHitsSolid(-20, 0, &row));

    // Far right and far below: nothing, and the row is still written.
    EXPECT_FALSE(rowHitsSolid(INT_MAX - 10, 0, &row));
    EXPECT_FALSE(rowHitsSolid(INT_MIN, 0, &row));
    EXPECT_FALSE(rowHitsSolid(0, 15 * 32, &row));
    EXPECT_EQ(row, 15);
}

TEST(ColumnProbe, TruncatesTowardZeroAndIncludesTheEnd)
{
    GridGuard guard;
    solid(3, 2);
    int column = 99;

    // Span 36 from y 27 ends at 63: rows 0 and 1. From y 28 it reaches 64: row 2.
    EXPECT_FALSE(columnHitsSolid(3 * 32, 27, &column));
    EXPECT_EQ(column, 3);
    EXPECT_TRUE(columnHitsSolid(3 * 32 + 31, 28, &column));
    EXPECT_EQ(column, 3);
    EXPECT_FALSE(columnHitsSolid(4 * 32, 28, &column));
    EXPECT_EQ(column, 4);

    // Negative x: -5 is column 0, -32 is column -1.
    solid(0, 14);
    EXPECT_TRUE(columnHitsSolid(-5, 14 * 32, &column));
    EXPECT_EQ(column, 0);
    EXPECT_FALSE(columnHitsSolid(-32, 14 * 32, &column));
    EXPECT_EQ(column, -1);

    EXPECT_FALSE(columnHitsSolid(0, INT_MAX - 3, &column));
    EXPECT_FALSE(columnHitsSolid(0, INT_MIN, &column));
}

// After a collision the movement code puts the character one pixel short of
// the wall or floor, so its span ends on the last pixel of its own tiles.
TEST(Probes, RestingCharacterDoesNotTouchTheWallOnePixelFurtherDoes)
{
    GridGuard guard;
    for (int r = 0; r < 15; r++)
        solid(10, r); // wall: x 320..351
    for (int c = 0; c < 20; c++)
        solid(c, 12); // floor: y 384..415

    // Right edge resting at column * 32 - 1 = 319: x = 320 - 30 - 1.
    int column = 0, row = 0;
    EXPECT_FALSE(rowHitsSolid(289, 100, &row));
    EXPECT_TRUE(rowHitsSolid(290, 100, &row));
    EXPECT_EQ(row, 3);

    // Bottom resting at row * 32 - 1 = 383: y = 384 - 36 - 1.
    EXPECT_FALSE(columnHitsSolid(100, 347, &column));
    EXPECT_TRUE(columnHitsSolid(100, 348, &column));
    EXPECT_EQ(column, 3);

    // The second character measures with its own 4-pixel side on both axes.
    altActive = true;
    EXPECT_FALSE(rowHitsSolid(315, 100, &row));
    EXPECT_TRUE(rowHitsSolid(316, 100, &row));
    EXPECT_FALSE(columnHitsSolid(100, 379, &column));
    EXPECT_TRUE(columnHitsSolid(100, 380, &column));
}

TEST(Probes, SpanCoversEveryTileBetweenTheEnds)
{
    GridGuard guard;
    solid(5, 7);
    int out = 0;
    player.width = 200; // from column 0 to column 6
    EXPECT_TRUE(rowHitsSolid(0, 7 * 32, &out));
    EXPECT_FALSE(rowHitsSolid(0, 6 * 32, &out));
    player.height = 300;
    EXPECT_TRUE(columnHitsSolid(5 * 32, 0, &out));
    EXPECT_FALSE(columnHitsSolid(6 * 32, 0, &out));
    // A marker in the way is passable.
    tileMap.cells[5][7].kind = 2;
    EXPECT_FALSE(rowHitsSolid(0, 7 * 32, &out));
}

} // namespace

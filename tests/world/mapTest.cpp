// Map file loading: header, rows, markers, failures and the level load.
#include <gtest/gtest.h>

#include <cstdio>

#include "mapFixtures.h"
#include "support/testUtil.h"

namespace {

// Writes "maps/maplvl1.map" and an empty tileset "data/tilesets/<name>.txt".
void writeLevel(const std::string& text, const std::string& tileset = "")
{
    writeFile("maps/maplvl1.map", text);
    if (!tileset.empty())
        writeFile("data/tilesets/" + tileset + ".txt", "# no tiles\n");
}

struct LoadResult {
    TileMap* map;
    bool ok;
    std::string printed;
};

LoadResult load()
{
    LoadResult r;
    r.map = newMap();
    StdoutCapture cap;
    r.ok = r.map->loadMap("maps");
    r.printed = cap.stop();
    return r;
}

// A tileset with tiles 1..count named t1, t2, ...
void writeNumberedTileset(const std::string& name, int count)
{
    std::string text;
    for (int n = 1; n <= count; n++)
        text += std::to_string(n) + " t" + std::to_string(n) + "\n";
    writeFile("data/tilesets/" + name + ".txt", text);
}

TEST(MapLoad, SmallestLevelLoadsWithKindsAndPictures)
{
    ScopedTempDir dir;
    writeNumberedTileset("set", 5);
    GridText grid(20, 15);
    grid.set(0, 14, 1, 3);
    grid.set(19, 0, 1, 0);
    grid.set(7, 7, 0, 5);
    writeLevel(mapText(20, 15, "set", grid.lines()));

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.printed, "");
    EXPECT_EQ(r.map->getWidth(), 20);
    EXPECT_EQ(r.map->mapHeight, 15);
    EXPECT_EQ(r.map->getMarkerCount(), 0);

    const MapCell& floor = r.map->cells[0][14];
    EXPECT_EQ(floor.kind, 1);
    ASSERT_NE(floor.baseCursor, nullptr);
    ASSERT_NE(floor.accentCursor, nullptr);
    EXPECT_EQ(floor.baseCursor->getAnim(), r.map->baseTiles[2]);
    EXPECT_EQ(floor.accentCursor->getAnim(), r.map->accentTiles[2]);

    // Solid and invisible; scenery that is passable.
    EXPECT_EQ(r.map->cells[19][0].kind, 1);
    EXPECT_EQ(r.map->cells[19][0].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[19][0].accentCursor, nullptr);
    EXPECT_EQ(r.map->cells[7][7].kind, 0);
    ASSERT_NE(r.map->cells[7][7].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[7][7].baseCursor->getAnim(), r.map->baseTiles[4]);

    EXPECT_EQ(r.map->cells[1][14].kind, 0);
    EXPECT_EQ(r.map->cells[1][14].baseCursor, nullptr);
}

TEST(MapLoad, SizeLimitsAreCheckedWithTheirMessages)
{
    struct Case {
        int width, height;
        bool ok;
        const char* message;
    };
    const Case cases[] = {
        {400, 15, true, ""},
        {401, 15, false, "Error: Map dimensions exceed maximum (400x15)\n"},
        {20, 16, false, "Error: Map dimensions exceed maximum (400x15)\n"},
        {20, 14, false, "Error: Map dimensions preceed minimum (20x15)\n"},
        {19, 15, false, "Error: Map dimensions preceed minimum (20x15)\n"},
        {-5, 15, false, "Error: Map dimensions preceed minimum (20x15)\n"},
        {500, 3, false, "Error: Map dimensions exceed maximum (400x15)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        ScopedTempDir dir;
        writeLevel(mapText(c.width, c.height, "set", {}), "set");
        LoadResult r = load();
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.printed, c.message);
    }
}

TEST(MapLoad, WidestLevelWithTwoDigitTilesKeepsEveryCellInItsColumn)
{
    ScopedTempDir dir;
    writeNumberedTileset("wide", 99);
    GridText grid(400, 15);
    for (int r = 0; r < 15; r++)
        for (int c = 0; c < 400; c++)
            grid.set(c, r, (c + r) % 2, (c * 7 + r * 13) % 100); // 0..99, many two-digit
    writeLevel(mapText(400, 15, "wide", grid.lines()));

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    int mismatches = 0;
    for (int row = 0; row < 15; row++)
        for (int c = 0; c < 400; c++) {
            const MapCell& cell = r.map->cells[c][row];
            const int tile = (c * 7 + row * 13) % 100;
            bool good = cell.kind == (c + row) % 2;
            if (tile == 0)
                good = good && cell.baseCursor == nullptr && cell.accentCursor == nullptr;
            else
                good = good && cell.baseCursor && cell.baseCursor->getAnim() == r.map->baseTiles[tile - 1]
                    && cell.accentCursor && cell.accentCursor->getAnim() == r.map->accentTiles[tile - 1];
            if (!good && ++mismatches < 5)
                ADD_FAILURE() << "cell " << c << "," << row;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST(MapLoad, CommentBlankAndLeadingBlankLinesDoNotShiftRows)
{
    ScopedTempDir dir;
    writeLevel("", "set");
    std::vector<Cell> solidAt3 = emptyRow(20);
    solidAt3[3] = {1, 0};
    std::vector<std::string> lines;
    for (int r = 0; r < 15; r++) {
        if (r == 2)
            lines.push_back("# a comment between rows");
        if (r == 5)
            lines.push_back("");
        if (r == 6)
            lines.push_back("\r");
        // Every row has column 3 solid; odd rows carry a leading blank.
        lines.push_back((r % 2 ? " " : "") + rowLine(solidAt3));
    }
    writeLevel(mapText(20, 15, "set", lines));

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    for (int row = 0; row < 15; row++) {
        EXPECT_EQ(r.map->cells[3][row].kind, 1) << "row " << row;
        EXPECT_EQ(r.map->cells[2][row].kind, 0) << "row " << row;
        EXPECT_EQ(r.map->cells[4][row].kind, 0) << "row " << row;
    }
}

TEST(MapLoad, CrLfFileLoadsTheSameAsLf)
{
    ScopedTempDir dir;
    writeNumberedTileset("set", 12);
    GridText grid(20, 15);
    grid.set(19, 3, 1, 12);
    std::string text = mapText(20, 15, "set", grid.lines());
    std::string crlf;
    for (char ch : text)
        crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    writeLevel(crlf);

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->cells[19][3].kind, 1);
    ASSERT_NE(r.map->cells[19][3].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[19][3].baseCursor->getAnim(), r.map->baseTiles[11]);
}

TEST(MapLoad, MarkersStopAtThirtyTwoAndAreNumberedRowByRow)
{
    ScopedTempDir dir;
    GridText grid(20, 15);
    // 33 markers in file order: rows 0 and 1 full (40 cells) would be too
    // many, so row 0 holds 20 and row 1 the next 13.
    for (int c = 0; c < 20; c++)
        grid.set(c, 0, 2, 0);
    for (int c = 0; c < 13; c++)
        grid.set(c, 1, 2, 0);
    writeLevel(mapText(20, 15, "set", grid.lines()), "set");

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->getMarkerCount(), 32);
    EXPECT_EQ(r.map->cells[11][1].kind, 2);
    EXPECT_EQ(r.map->cells[12][1].kind, 0); // the 33rd

    int column = -1, row = -1;
    r.map->findMarker(31, &column, &row);
    EXPECT_EQ(column, 11);
    EXPECT_EQ(row, 1);
    column = row = 77;
    r.map->findMarker(32, &column, &row); // no such marker: untouched
    EXPECT_EQ(column, 77);
    EXPECT_EQ(row, 77);
}

TEST(MapLoad, FindMarkerScansRowsOutsideColumnsInside)
{
    ScopedTempDir dir;
    GridText grid(20, 15);
    grid.set(2, 7, 2, 0);
    grid.set(5, 3, 2, 0);
    writeLevel(mapText(20, 15, "set", grid.lines()), "set");

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.map->getMarkerCount(), 2);
    int column = -1, row = -1;
    r.map->findMarker(0, &column, &row);
    EXPECT_EQ(column, 5);
    EXPECT_EQ(row, 3);
    r.map->findMarker(1, &column, &row);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(row, 7);
    r.map->findMarker(-1, &column, &row);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(row, 7);
}

TEST(MapLoad, FileAndTilesetFailures)
{
    ScopedTempDir dir;
    {
        LoadResult r = load();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.printed, "ERROR opening file maps/maplvl1.map\n\n");
    }
    {
        // The tileset is read before the size is judged.
        writeLevel(mapText(900, 2, "absent", {}));
        LoadResult r = load();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.printed, "ERROR opening tileset file data/tilesets/absent.txt\n\n");
    }
    {
        // Without a TILESET line the name stays empty.
        writeLevel("WIDTH: 20\nHEIGHT: 15\n");
        LoadResult r = load();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.printed, "ERROR opening tileset file data/tilesets/.txt\n\n");
    }
}

TEST(MapLoad, HeaderLinesThatDoNotMatchKeepTheStartingSize)
{
    ScopedTempDir dir;
    writeFile("data/tilesets/.txt", "");
    // "WIDTH 30" lacks the colon and " HEIGHT" starts with a blank: both
    // are ignored, so the level is the starting 20x15.
    writeLevel("WIDTH 30\n HEIGHT: 3\nTILESET:\n" + rowLine({{1, 0}}) + "\n");
    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->mapWidth, 20);
    EXPECT_EQ(r.map->mapHeight, 15);
    EXPECT_EQ(r.map->cells[0][0].kind, 1);
}

TEST(MapLoad, UnreadableCellTakesTheNumbersOfTheCellBefore)
{
    ScopedTempDir dir;
    writeNumberedTileset("set", 3);
    // Row 0: cell 1 is "xx x" and repeats cell 0 (1, 3). Row 1 starts with
    // letters and repeats the last cell of row 0 (0, 2).
    std::vector<Cell> row0 = emptyRow(20);
    row0[0] = {1, 3};
    row0[19] = {0, 2};
    std::string line0 = rowLine(row0);
    line0.replace(4, 4, "xx x");
    std::string line1 = rowLine(emptyRow(20));
    line1.replace(0, 3, "a b");
    writeLevel(mapText(20, 15, "set", {line0, line1}));

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->cells[1][0].kind, 1);
    ASSERT_NE(r.map->cells[1][0].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[1][0].baseCursor->getAnim(), r.map->baseTiles[2]);
    EXPECT_EQ(r.map->cells[2][0].kind, 0);
    EXPECT_EQ(r.map->cells[2][0].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[0][1].kind, 0);
    ASSERT_NE(r.map->cells[0][1].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[0][1].baseCursor->getAnim(), r.map->baseTiles[1]);
    EXPECT_EQ(r.map->cells[1][1].baseCursor, nullptr);
}

TEST(MapLoad, FirstCellOfTheFileUnreadableIsEmpty)
{
    ScopedTempDir dir;
    std::string line = rowLine(emptyRow(20));
    line.replace(0, 3, "? ?");
    writeLevel(mapText(20, 15, "set", {line}), "set");
    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->cells[0][0].kind, 0);
    EXPECT_EQ(r.map->cells[0][0].baseCursor, nullptr);
}

TEST(MapLoad, MissingRowsAndMissingCellsStayEmpty)
{
    ScopedTempDir dir;
    // Two rows only; the second row holds five cells, the fifth of them solid.
    std::vector<Cell> full = emptyRow(20);
    full[19] = {1, 0};
    std::vector<Cell> part = emptyRow(5);
    part[4] = {1, 0};
    writeLevel(mapText(20, 15, "set", {rowLine(full), rowLine(part)}), "set");

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->cells[19][0].kind, 1);
    EXPECT_EQ(r.map->cells[4][1].kind, 1);
    // The carried kind 1 must not spill into the cells the line lacks.
    for (int c = 5; c < 20; c++)
        EXPECT_EQ(r.map->cells[c][1].kind, 0) << "column " << c;
    for (int row = 2; row < 15; row++)
        EXPECT_EQ(r.map->cells[0][row].kind, 0);
}

TEST(MapLoad, TileNumbersWithoutATilesetEntryShowNothing)
{
    ScopedTempDir dir;
    writeFile("data/tilesets/set.txt", "1 one\n100 hundred\n");
    // Each case is the last cell of its row, where a three-digit number
    // cannot push later cells out of their columns.
    GridText grid(20, 15);
    const int tiles[] = {1, 2, 100, 101, -7}; // defined, never defined, last entry, beyond, below
    for (int r = 0; r < 5; r++)
        grid.set(19, r, 1, tiles[r]);
    writeLevel(mapText(20, 15, "set", grid.lines()));

    LoadResult r = load();
    ASSERT_TRUE(r.ok);
    for (int row = 0; row < 5; row++)
        EXPECT_EQ(r.map->cells[19][row].kind, 1) << "row " << row;
    EXPECT_NE(r.map->cells[19][0].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[19][1].baseCursor, nullptr);
    ASSERT_NE(r.map->cells[19][2].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[19][2].baseCursor->getAnim(), r.map->baseTiles[99]);
    EXPECT_EQ(r.map->cells[19][3].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[19][4].baseCursor, nullptr);
    EXPECT_EQ(r.map->cells[19][4].accentCursor, nullptr);
}

// The level load ends the process on failure, so it runs in a child process
// with stdout sent to a file the parent reads afterwards.
TEST(LoadLevelDeathTest, FailureSaysSoAndExitsWithOne)
{
    // Forked child: it shares the temporary working folder with the test.
    GTEST_FLAG_SET(death_test_style, "fast");
    ScopedTempDir dir;
    EXPECT_EXIT(
        {
            std::freopen("out.txt", "w", stdout);
            loadLevel();
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(readFile("out.txt"), "ERROR opening file data/maps/maplvl1.map\n\nMap load failure; exiting.\n");

    writeFile("data/maps/maplvl1.map", mapText(20, 99, "set", {}));
    writeFile("data/tilesets/set.txt", "");
    EXPECT_EXIT(
        {
            std::freopen("out.txt", "w", stdout);
            loadLevel();
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(readFile("out.txt"),
              "Error: Map dimensions exceed maximum (400x15)\nMap load failure; exiting.\n");
}

TEST(LoadLevelDeathTest, SuccessLoadsTheGlobalMapAndResetsTheScroll)
{
    // Forked child: it shares the temporary working folder with the test.
    GTEST_FLAG_SET(death_test_style, "fast");
    ScopedTempDir dir;
    GridText grid(30, 15);
    grid.set(29, 14, 1, 0);
    writeFile("data/maps/maplvl1.map", mapText(30, 15, "set", grid.lines()));
    writeFile("data/tilesets/set.txt", "");
    // The child reports what it saw through its exit code.
    EXPECT_EXIT(
        {
            std::freopen("out.txt", "w", stdout);
            scrollX = 500;
            loadLevel();
            std::fflush(stdout);
            const bool good = scrollX == 0 && tileMap.getWidth() == 30 && tileMap.isSolid(29, 14);
            std::exit(good ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile("out.txt"), "");
}

} // namespace

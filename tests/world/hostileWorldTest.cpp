// Map and tileset files written to break the loaders: out-of-range numbers,
// letters, overlong lines, too many markers, binary noise. They must load or
// fail with the usual messages and never read or write outside the grid.
#include <gtest/gtest.h>

#include <random>

#include "mapFixtures.h"
#include "support/testUtil.h"

namespace {

struct LoadResult {
    TileMap* map;
    bool ok;
    std::string printed;
};

// Writes the map and its tileset "set"; with anyName the tileset also stands
// for a map whose tileset name is missing.
LoadResult loadMapText(const std::string& text, const std::string& tileset = "", bool anyName = false)
{
    writeFile("maps/maplvl1.map", text);
    writeFile("data/tilesets/set.txt", tileset);
    if (anyName)
        writeFile("data/tilesets/.txt", tileset);
    LoadResult r;
    r.map = newMap();
    StdoutCapture cap;
    r.ok = r.map->loadMap("maps");
    r.printed = cap.stop();
    return r;
}

// Whatever the file held, the grid must stay consistent: kinds 0..2, at most
// 32 markers, every cursor bound to a table entry of this map.
void expectConsistent(const TileMap* map)
{
    int markers = 0;
    int bad = 0;
    for (int c = 0; c < 400; c++)
        for (int r = 0; r < 15; r++) {
            const MapCell& cell = map->cells[c][r];
            if (cell.kind < 0 || cell.kind > 2)
                bad++;
            markers += cell.kind == 2;
            if (cell.baseCursor) {
                bool inTable = false;
                for (int i = 0; i < 100; i++)
                    inTable = inTable || cell.baseCursor->getAnim() == map->baseTiles[i];
                bad += !inTable || cell.accentCursor == nullptr;
            }
        }
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(markers, map->markerCount);
    EXPECT_LE(map->markerCount, 32);
}

std::string noise(size_t bytes, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string out(bytes, '\0');
    for (char& ch : out)
        ch = static_cast<char>(gen() & 0xff);
    return out;
}

TEST(HostileMap, HugeAndNegativeSizesAreRefused)
{
    ScopedTempDir dir;
    LoadResult wide = loadMapText("WIDTH: 99999999999999999999999\nHEIGHT: 15\nTILESET: set\n");
    EXPECT_FALSE(wide.ok);
    EXPECT_EQ(wide.printed, "Error: Map dimensions exceed maximum (400x15)\n");
    LoadResult narrow = loadMapText("WIDTH: -99999999999999999999999\nHEIGHT: 15\nTILESET: set\n");
    EXPECT_FALSE(narrow.ok);
    EXPECT_EQ(narrow.printed, "Error: Map dimensions preceed minimum (20x15)\n");
    LoadResult low = loadMapText("WIDTH: 20\nHEIGHT: -2147483648\nTILESET: set\n");
    EXPECT_FALSE(low.ok);
    EXPECT_EQ(low.printed, "Error: Map dimensions preceed minimum (20x15)\n");
}

TEST(HostileMap, WildCellNumbersLoadWithoutPictures)
{
    ScopedTempDir dir;
    // Every cell has a different bad number; the kinds that are not 1 or 2
    // become empty, the tile numbers no entry covers show nothing.
    const char* wild[] = {"9 99999999999999", "-1 -99999999999", "1 2147483647", "2 -2147483648",
                          "+1 +7", "1 0x1f", "3 100", "1 1e9"};
    std::string row;
    for (const char* cell : wild)
        row += std::string(cell) + " ";
    std::vector<std::string> lines(15, row);
    LoadResult r = loadMapText(mapText(20, 15, "set", lines), "7 seven\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.printed, "");
    expectConsistent(r.map);
    EXPECT_EQ(r.map->cells[0][0].kind, 0);
    EXPECT_EQ(r.map->cells[0][0].baseCursor, nullptr);
}

TEST(HostileMap, LettersAndPunctuationEverywhere)
{
    ScopedTempDir dir;
    std::vector<std::string> lines(15, std::string(80, 'z'));
    lines[3] = "1 7 ,,,, 2 ;; -- 1 - + 1 a 7 \t\v\f 2 7";
    LoadResult r = loadMapText(mapText(20, 15, "set", lines), "7 seven\n");
    ASSERT_TRUE(r.ok);
    expectConsistent(r.map);
}

TEST(HostileMap, OverlongLinesAreReadInPiecesWithoutOverrun)
{
    ScopedTempDir dir;
    {
        // A 3000-character row is read as one 2047-character row and the
        // rest as the next row.
        std::string longRow;
        while (longRow.size() < 3000)
            longRow += "1 0 ";
        LoadResult r = loadMapText(mapText(400, 15, "set", {longRow, longRow}));
        ASSERT_TRUE(r.ok);
        expectConsistent(r.map);
        for (int c = 0; c < 400; c++)
            EXPECT_EQ(r.map->cells[c][0].kind, 1) << "column " << c;
        // 2047 characters hold 511 whole cells plus "1 0" of the 512th.
        EXPECT_EQ(r.map->cells[0][1].kind, 1);
    }
    {
        // A 3000-character header line runs into the next two header reads,
        // so the tileset name is never found.
        LoadResult r = loadMapText("WIDTH: 20" + std::string(3000, 'x') + "\nHEIGHT: 15\nTILESET: set\n");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.printed, "ERROR opening tileset file data/tilesets/.txt\n\n");
    }
    {
        // A tileset name longer than a header line: the name is what fits
        // in 254 characters, and the rest of the line is read as a row.
        LoadResult r = loadMapText("WIDTH: 20\nHEIGHT: 15\nTILESET: " + std::string(300, 'n') + "\n");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.printed, "ERROR opening tileset file data/tilesets/" + std::string(245, 'n') + ".txt\n\n");
    }
}

TEST(HostileMap, FortyMarkersKeepThirtyTwo)
{
    ScopedTempDir dir;
    GridText grid(40, 15);
    for (int c = 0; c < 40; c++)
        grid.set(c, 9, 2, 0);
    LoadResult r = loadMapText(mapText(40, 15, "set", grid.lines()));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.map->getMarkerCount(), 32);
    for (int c = 0; c < 40; c++)
        EXPECT_EQ(r.map->cells[c][9].kind, c < 32 ? 2 : 0) << "column " << c;
    int column = -1, row = -1;
    r.map->findMarker(31, &column, &row);
    EXPECT_EQ(column, 31);
    EXPECT_EQ(row, 9);
}

TEST(HostileMap, BinaryNoiseLoadsOrFailsCleanly)
{
    ScopedTempDir dir;
    IgnoreStrandedPictures ignore; // noise may define a tile number twice
    for (unsigned seed = 1; seed <= 20; seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        LoadResult rows = loadMapText("WIDTH: 400\nHEIGHT: 15\nTILESET: set\n" + noise(40000, seed),
                                      "5 five\n" + noise(5000, seed + 100));
        EXPECT_TRUE(rows.ok);
        expectConsistent(rows.map);

        LoadResult whole = loadMapText(noise(3000, seed + 200), noise(3000, seed + 300), true);
        if (!whole.ok) {
            EXPECT_NE(whole.printed, "");
        }
        expectConsistent(whole.map);
    }
}

TEST(HostileMap, BytesAroundLineEndsAndNuls)
{
    ScopedTempDir dir;
    std::string row = rowLine(emptyRow(20));
    row[8] = '\0'; // the line ends early for the parser: the rest stays empty
    std::vector<Cell> solidRow(20, Cell{1, 0});
    LoadResult r = loadMapText(mapText(20, 15, "set", {rowLine(solidRow), row, "\r\r\r", "\t"}));
    ASSERT_TRUE(r.ok);
    expectConsistent(r.map);
    EXPECT_EQ(r.map->cells[19][0].kind, 1);
    for (int c = 0; c < 20; c++)
        EXPECT_EQ(r.map->cells[c][1].kind, 0) << "column " << c;
}

TEST(HostileTileset, OverlongWordsAndLinesAreIgnored)
{
    ScopedTempDir dir;
    const std::string longWord(300, 'w');
    const std::string text = "5 " + longWord + "\n"              // value too long for a name
                             + longWord + " 6\n"                  // key too long
                             + "7 " + std::string(2998, 'a') + "\n" // 999-byte pieces
                             + "8 ok\n";
    writeFile("set.txt", text);
    TileMap* map = newMap();
    ASSERT_TRUE(map->loadTileset("set.txt"));
    for (int i = 0; i < 100; i++)
        EXPECT_EQ(map->getBaseTile(i) != nullptr, i == 7) << "entry " << i;
}

TEST(HostileTileset, NoiseNeverDefinesOutsideTheTable)
{
    ScopedTempDir dir;
    IgnoreStrandedPictures ignore;
    for (unsigned seed = 1; seed <= 20; seed++) {
        std::string text = noise(8000, seed);
        // Sprinkle keys that are out of range or barely in range.
        text += "\n100 a\n101 b\n-1 c\n0 d\n2147483648 e\n";
        writeFile("set.txt", text);
        TileMap* map = newMap();
        ASSERT_TRUE(map->loadTileset("set.txt"));
        EXPECT_NE(map->getBaseTile(99), nullptr);
    }
}

} // namespace

// Tileset files: which tile numbers get pictures, and from which paths.
#include <gtest/gtest.h>

#include "mapFixtures.h"
#include "support/fakeGraphics.h"
#include "support/testUtil.h"

namespace {

struct TilesetResult {
    TileMap* map;
    bool ok;
    std::string printed;
};

TilesetResult loadTilesetText(const std::string& text)
{
    writeFile("set.txt", text);
    TilesetResult r;
    r.map = newMap();
    StdoutCapture cap;
    r.ok = r.map->loadTileset("set.txt");
    r.printed = cap.stop();
    return r;
}

// Whether SpriteAnim::loadSingle really loads pictures in this build (it
// returns -1 for everything until the picture loader is linked in). Tests
// that look at picture paths or sizes need it.
bool pictureLoadingWorks()
{
    static const bool works = [] {
        ScopedTempDir dir;
        writeFile("probe.bmp", solidBmp(2, 2, 1, 2, 3));
        IgnoreStrandedPictures ignore;
        SpriteAnim* probe = new SpriteAnim;
        const bool ok = probe->loadSingle("probe.bmp") == 0;
        resetFakeGraphics();
        return ok;
    }();
    return works;
}

std::vector<int> definedEntries(const TileMap* map)
{
    std::vector<int> out;
    for (int i = 0; i < 100; i++) {
        EXPECT_EQ(map->getBaseTile(i) == nullptr, map->getAccentTile(i) == nullptr) << "entry " << i;
        if (map->getBaseTile(i))
            out.push_back(i);
    }
    return out;
}

TEST(Tileset, EmptyOrCommentOnlyFilesDefineNothing)
{
    ScopedTempDir dir;
    for (const char* text : {"", "# only a comment\n\n\r\n#7 brick\n"}) {
        TilesetResult r = loadTilesetText(text);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.printed, "");
        EXPECT_TRUE(definedEntries(r.map).empty());
    }
}

TEST(Tileset, MissingFileSaysSo)
{
    ScopedTempDir dir;
    TileMap* map = newMap();
    StdoutCapture cap;
    EXPECT_FALSE(map->loadTileset("data/tilesets/none.txt"));
    EXPECT_EQ(cap.stop(), "ERROR opening tileset file data/tilesets/none.txt\n\n");
}

TEST(Tileset, OnlyKeysThatConvertToOneToHundredDefineTiles)
{
    ScopedTempDir dir;
    TilesetResult r = loadTilesetText("12abc brick\n"
                                      "abc stone\n"
                                      "0 zero\n"
                                      "-3 negative\n"
                                      "101 beyond\n"
                                      "99999999999999999999 huge\n"
                                      "+5 plus\n"
                                      "100 last\n"
                                      "1 first\n"
                                      "7\n"             // key without a value
                                      "Base elsewhere/\n" // keys are case-sensitive
                                      "  9 indented\n");
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(definedEntries(r.map), (std::vector<int>{0, 4, 8, 11, 99}));
}

TEST(Tileset, TableEntriesOutsideTheRangeAreNeitherStoredNorRead)
{
    TileMap* map = newMap();
    SpriteAnim* anim = reinterpret_cast<SpriteAnim*>(map); // only compared, never used
    map->setBaseTile(anim, -1);
    map->setBaseTile(anim, 100);
    map->setAccentTile(anim, 100);
    EXPECT_EQ(map->getBaseTile(-1), nullptr);
    EXPECT_EQ(map->getBaseTile(100), nullptr);
    EXPECT_EQ(map->getAccentTile(100), nullptr);
    map->setBaseTile(anim, 99);
    map->setAccentTile(anim, 0);
    EXPECT_EQ(map->getBaseTile(99), anim);
    EXPECT_EQ(map->getAccentTile(0), anim);
    EXPECT_EQ(map->getBaseTile(0), nullptr);
    map->setBaseTile(nullptr, 99);
    map->setAccentTile(nullptr, 0);
}

TEST(Tileset, PicturePathsFollowTheFoldersAndExtensionInForce)
{
    ScopedTempDir dir;
    if (!pictureLoadingWorks())
        GTEST_SKIP() << "SpriteAnim::loadSingle does not load pictures in this build";
    resetFakeGraphics();
    TilesetResult r = loadTilesetText("7 brick\n"
                                      "base gfx/tiles/city/\n"
                                      "ext png\n"
                                      "8 stone\n"
                                      "BASE ignored/\n"
                                      "ext\n"
                                      "9 wall\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(fakeBmpLoads, (std::vector<std::string>{
                                "gfx/tiles/brick.bmp", "gfx/tiles/accent/brick.bmp",
                                "gfx/tiles/city/stone.png", "gfx/tiles/city/accent/stone.png",
                                "gfx/tiles/city/wall.png", "gfx/tiles/city/accent/wall.png"}));
}

TEST(Tileset, MissingAccentPictureStillGetsAnAnimationAndACursor)
{
    const bool realPictures = pictureLoadingWorks();
    ScopedTempDir dir;
    writeFile("gfx/tiles/brick.bmp", solidBmp(32, 32, 200, 0, 0));
    writeFile("data/tilesets/set.txt", "4 brick\n");
    GridText grid(20, 15);
    grid.set(6, 2, 1, 4);
    writeFile("maps/maplvl1.map", mapText(20, 15, "set", grid.lines()));
    TileMap* map = newMap();
    ASSERT_TRUE(map->loadMap("maps"));

    ASSERT_NE(map->accentTiles[3], nullptr);
    const MapCell& cell = map->cells[6][2];
    ASSERT_NE(cell.accentCursor, nullptr);
    EXPECT_EQ(cell.accentCursor->getAnim(), map->accentTiles[3]);
    EXPECT_EQ(map->accentTiles[3]->width, 0);
    if (realPictures) {
        EXPECT_EQ(map->baseTiles[3]->width, 32);
    }
}

TEST(Tileset, TileDefinedTwiceUsesTheLaterDefinition)
{
    const bool realPictures = pictureLoadingWorks(); // before the load: the probe clears the records
    ScopedTempDir dir;
    // Only the first definition's picture exists, so a loaded picture would
    // give away the earlier definition.
    writeFile("gfx/tiles/first.bmp", solidBmp(32, 32, 200, 0, 0));
    writeFile("data/tilesets/set.txt", "3 first\n3 second\n");
    GridText grid(20, 15);
    grid.set(0, 0, 0, 3);
    grid.set(19, 14, 1, 3);
    writeFile("maps/maplvl1.map", mapText(20, 15, "set", grid.lines()));
    resetFakeGraphics();
    TileMap* map = newMap();
    ASSERT_TRUE(map->loadMap("maps"));

    for (const MapCell* cell : {&map->cells[0][0], &map->cells[19][14]}) {
        ASSERT_NE(cell->baseCursor, nullptr);
        EXPECT_EQ(cell->baseCursor->getAnim(), map->baseTiles[2]);
        EXPECT_EQ(cell->accentCursor->getAnim(), map->accentTiles[2]);
    }
    EXPECT_EQ(map->baseTiles[2]->width, 0);
    if (realPictures) {
        ASSERT_EQ(fakeBmpLoads.size(), 4u);
        EXPECT_EQ(fakeBmpLoads[2], "gfx/tiles/second.bmp");
        EXPECT_EQ(fakeBmpLoads[3], "gfx/tiles/accent/second.bmp");
    }
}

} // namespace

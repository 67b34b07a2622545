// Tile drawing without a display: which cells are placed where, and the
// colours set around them (the colour call is recorded by a fake).
#include <gtest/gtest.h>

#include "mapFixtures.h"
#include "support/fakeGraphics.h"
#include "support/fakeWorld.h"

namespace {

constexpr int unplaced = -9999;

// A map of the given width whose every cell shows tile 1, with base and
// accent pictures of the given widths (0 = the picture failed to load).
TileMap* filledMap(int width, int baseWidth = 32, int accentWidth = 32)
{
    TileMap* map = newMap();
    map->mapWidth = width;
    map->setBaseTile(handMadePicture(baseWidth), 0);
    map->setAccentTile(handMadePicture(accentWidth), 0);
    for (int c = 0; c < width; c++)
        for (int r = 0; r < 15; r++) {
            placeTile(map, c, r, 1);
            map->cells[c][r].baseCursor->setPos(unplaced, unplaced);
            map->cells[c][r].accentCursor->setPos(unplaced, unplaced);
        }
    return map;
}

// Columns whose cursors were positioned by the draw, checking that every row
// of such a column sits at x with y = row * 32.
std::vector<int> placedColumns(const TileMap* map, bool accent, std::vector<int>* xs = nullptr)
{
    std::vector<int> out;
    for (int c = 0; c < map->mapWidth; c++) {
        const AnimCursor* first = accent ? map->cells[c][0].accentCursor : map->cells[c][0].baseCursor;
        if (first->x == unplaced)
            continue;
        out.push_back(c);
        if (xs)
            xs->push_back(first->x);
        for (int r = 0; r < 15; r++) {
            const AnimCursor* cur = accent ? map->cells[c][r].accentCursor : map->cells[c][r].baseCursor;
            EXPECT_EQ(cur->x, first->x) << "column " << c << " row " << r;
            EXPECT_EQ(cur->y, r * 32) << "column " << c << " row " << r;
        }
    }
    return out;
}

std::vector<int> range(int from, int to)
{
    std::vector<int> out;
    for (int i = from; i <= to; i++)
        out.push_back(i);
    return out;
}

TEST(DrawTileMap, VisitsTwentyOneColumnsFromTheScroll)
{
    {
        TileMap* map = filledMap(40);
        map->drawTileMap(0, 255);
        std::vector<int> xs;
        EXPECT_EQ(placedColumns(map, false, &xs), range(0, 20));
        EXPECT_EQ(xs.front(), 0);
        EXPECT_EQ(xs.back(), 640);
    }
    {
        TileMap* map = filledMap(40);
        map->drawTileMap(45, 255);
        std::vector<int> xs;
        EXPECT_EQ(placedColumns(map, false, &xs), range(1, 21));
        EXPECT_EQ(xs.front(), -13);
        EXPECT_EQ(xs[1], 19);
        EXPECT_EQ(xs.back(), 627);
    }
    {
        // The widest level at its largest scroll: column 400 does not exist.
        TileMap* map = filledMap(400);
        map->drawTileMap(400 * 32 - 640, 255);
        std::vector<int> xs;
        EXPECT_EQ(placedColumns(map, false, &xs), range(380, 399));
        EXPECT_EQ(xs.front(), 0);
        EXPECT_EQ(xs.back(), 608);
    }
}

TEST(DrawTileMap, ShadeSelectsTheLayersAndTheColours)
{
    struct Case {
        int shade;
        bool base, accent;
    };
    for (const Case& c : {Case{255, true, false}, Case{254, true, true}, Case{100, true, true},
                          Case{1, true, true}, Case{0, false, true}}) {
        SCOPED_TRACE("shade " + std::to_string(c.shade));
        TileMap* map = filledMap(20);
        fakeTileColours.clear();
        map->drawTileMap(0, c.shade);
        EXPECT_EQ(placedColumns(map, false).size(), c.base ? 20u : 0u);
        EXPECT_EQ(placedColumns(map, true).size(), c.accent ? 20u : 0u);

        // Base cells: full shade only restores the neutral colour after each
        // draw; below it the shade is set first. No base, no colour calls.
        const size_t cells = 20 * 15;
        const size_t perCell = !c.base ? 0 : c.shade == 255 ? 1 : 2;
        ASSERT_EQ(fakeTileColours.size(), cells * perCell);
        const float level = c.shade / 255.0f;
        for (size_t i = 0; i < fakeTileColours.size(); i++) {
            const FakeColour& col = fakeTileColours[i];
            const bool shadeCall = perCell == 2 && i % 2 == 0;
            EXPECT_FLOAT_EQ(col.r, shadeCall ? level : 1.0f);
            EXPECT_FLOAT_EQ(col.g, shadeCall ? level : 1.0f);
            EXPECT_FLOAT_EQ(col.b, shadeCall ? level : 1.0f);
            EXPECT_FLOAT_EQ(col.a, 0.5f);
        }
    }
}

TEST(DrawTileMap, PicturesThatFailedToLoadAreNeverDrawn)
{
    for (int shade : {255, 100, 0}) {
        SCOPED_TRACE("shade " + std::to_string(shade));
        TileMap* noAccent = filledMap(20, 32, 0);
        noAccent->drawTileMap(0, shade);
        EXPECT_EQ(placedColumns(noAccent, true).size(), 0u);
        EXPECT_EQ(placedColumns(noAccent, false).size(), shade ? 20u : 0u);

        // A failed base picture draws nothing, yet its cell sets and
        // restores the colour like any other, so the neutral colour is left.
        TileMap* noBase = filledMap(20, 0, 32);
        fakeTileColours.clear();
        resetFakeGraphics();
        noBase->drawTileMap(0, shade);
        const size_t perCell = shade == 0 ? 0 : shade == 255 ? 1 : 2;
        EXPECT_EQ(fakeTileColours.size(), 20u * 15 * perCell);
        if (!fakeTileColours.empty()) {
            EXPECT_FLOAT_EQ(fakeTileColours.back().r, 1.0f);
            EXPECT_FLOAT_EQ(fakeTileColours.back().a, 0.5f);
        }
        const Texture* accent = noBase->accentTiles[0]->frames[0].texture;
        for (const FakeDraw& d : fakeDraws)
            EXPECT_EQ(d.texture, accent); // only the accents
        EXPECT_EQ(fakeDraws.size(), shade < 255 ? 20u * 15 : 0u);
        EXPECT_EQ(placedColumns(noBase, true).size(), shade < 255 ? 20u : 0u);
    }
}

TEST(DrawTileMap, CellsWithoutPicturesAreSkipped)
{
    TileMap* map = filledMap(20);
    // Cursors are never freed; these two stay reachable from here.
    static auto* removed = new std::vector<AnimCursor*>;
    removed->push_back(std::exchange(map->cells[3][4].baseCursor, nullptr));
    removed->push_back(std::exchange(map->cells[3][4].accentCursor, nullptr));
    map->cells[3][4].kind = 1;
    fakeTileColours.clear();
    map->drawTileMap(0, 100);
    EXPECT_EQ(fakeTileColours.size(), (20u * 15 - 1) * 2);
}

} // namespace

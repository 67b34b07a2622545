// The level: tile pictures with their accent (light) pictures, the tileset
// file that names them, and the map data/maps/maplvl1.map.
#include "assetgen.h"
#include "canvas.h"
#include "detMath.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Tile pictures, 32 by 32. The base picture is the tile; the accent picture
// (same name under accent/) is light added over the scene when it darkens,
// so it is mostly key green with a few glowing lines.

struct TilePair {
    Canvas base{32, 32};
    Canvas accent{32, 32};
};

void speckle(Canvas& c, uint32_t seed, double amount)
{
    Rng rng(seed);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            Rgb p = c.get(x, y);
            if (p.r == 0 && p.g == 255 && p.b == 0)
                continue;
            c.set(x, y, shade(p, 1.0 + (rng.unit() - 0.5) * amount));
        }
}

TilePair brickTile()
{
    TilePair t;
    const Rgb stone{196, 150, 92}, mortar{116, 82, 50};
    t.base.fillRect(0, 0, 32, 32, stone);
    for (int row = 0; row < 2; ++row) {
        int y = row * 16;
        t.base.fillRect(0, y + 15, 32, 1, mortar);
        t.base.fillRect(0, y, 32, 1, shade(stone, 1.15));
        int joint = row == 0 ? 15 : 31;
        t.base.fillRect(joint, y, 1, 16, mortar);
        if (row == 1)
            t.base.fillRect(0, y, 1, 16, shade(stone, 1.1));
        t.accent.fillRect(0, y + 15, 32, 1, Rgb{255, 150, 50});
        t.accent.fillRect(joint, y, 1, 16, Rgb{255, 150, 50});
    }
    speckle(t.base, 0xB41C, 0.16);
    return t;
}

TilePair groundTile()
{
    TilePair t;
    t.base.fillRect(0, 0, 32, 32, Rgb{146, 100, 62});
    for (int y = 0; y < 7; ++y)
        t.base.fillRect(0, y, 32, 1, mix(Rgb{236, 196, 120}, Rgb{200, 150, 90}, y / 7.0));
    // Cracks in the rock.
    t.base.line(4, 14, 10, 20, 1, Rgb{100, 66, 40});
    t.base.line(10, 20, 9, 27, 1, Rgb{100, 66, 40});
    t.base.line(22, 12, 27, 18, 1, Rgb{100, 66, 40});
    speckle(t.base, 0x6A0D, 0.2);
    t.accent.fillRect(0, 0, 32, 2, Rgb{80, 220, 255});
    t.accent.line(4, 14, 10, 20, 1, Rgb{40, 150, 220});
    t.accent.line(22, 12, 27, 18, 1, Rgb{40, 150, 220});
    return t;
}

TilePair ledgeTile()
{
    TilePair t;
    t.base.fillRect(0, 0, 32, 32, Rgb{160, 150, 140});
    t.base.fillRect(0, 0, 32, 4, Rgb{214, 206, 196});
    t.base.fillRect(0, 28, 32, 4, Rgb{96, 90, 86});
    t.base.fillRect(0, 0, 1, 32, Rgb{120, 112, 106});
    for (int x : {6, 25}) {
        t.base.fillCircle(x, 16, 2.5, Rgb{110, 100, 96});
        t.base.fillCircle(x - 0.5, 15.5, 1.2, Rgb{220, 214, 206});
        t.accent.fillCircle(x, 16, 3, Rgb{255, 220, 120});
    }
    speckle(t.base, 0x1ED6, 0.12);
    t.accent.fillRect(0, 0, 32, 1, Rgb{255, 240, 200});
    return t;
}

TilePair pillarTile()
{
    TilePair t;
    t.base.fillRect(0, 0, 32, 32, Rgb{206, 184, 132});
    for (int x = 3; x < 32; x += 7) {
        t.base.fillRect(x, 0, 2, 32, Rgb{150, 128, 88});
        t.base.fillRect(x + 2, 0, 1, 32, Rgb{236, 220, 176});
        t.accent.fillRect(x, 0, 2, 32, Rgb{255, 200, 60});
    }
    t.base.fillRect(0, 0, 32, 2, Rgb{170, 148, 100});
    speckle(t.base, 0x9111, 0.1);
    return t;
}

// A carved wall panel used as scenery behind the player (not solid): darker
// than the solid tiles so it reads as background.
TilePair glyphTile()
{
    TilePair t;
    const Rgb wall{112, 82, 62}, carve{64, 44, 34}, glow{90, 200, 255};
    t.base.fillRect(0, 0, 32, 32, wall);
    t.base.fillRect(0, 0, 32, 1, shade(wall, 1.2));
    t.base.fillRect(0, 31, 32, 1, shade(wall, 0.7));
    for (Canvas* c : {&t.base, &t.accent}) {
        Rgb ink = c == &t.base ? carve : glow;
        // An ankh on the left, an eye on the right, a wavy line below.
        c->ring(9, 8, 2, 3.5, ink);
        c->fillRect(8, 11, 2, 10, ink);
        c->fillRect(5, 13, 8, 2, ink);
        c->ring(23, 10, 2.5, 4, ink);
        c->fillCircle(23, 10, 1.2, ink);
        c->line(18, 15, 27, 15, 1.2, ink);
        for (int x = 4; x < 28; ++x)
            c->set(x, 26 + static_cast<int>(std::lround(1.5 * detSin(x * 0.8))), ink);
    }
    speckle(t.base, 0x6171, 0.1);
    return t;
}

// A wall torch: scenery, key green around it.
TilePair torchTile()
{
    TilePair t;
    t.base.fillRect(14, 14, 4, 14, Rgb{90, 60, 40});
    t.base.fillRect(11, 12, 10, 3, Rgb{120, 90, 50});
    t.base.fillEllipse(16, 8, 4, 6, Rgb{255, 120, 30});
    t.base.fillEllipse(16, 9, 2.2, 3.6, Rgb{255, 230, 120});
    t.accent.fillCircle(16, 9, 11, Rgb{120, 50, 10});
    t.accent.fillCircle(16, 9, 7, Rgb{220, 120, 30});
    t.accent.fillCircle(16, 9, 3, Rgb{255, 230, 150});
    return t;
}

// A dark block with a gold eye: solid, used for the obelisk and the altar.
TilePair eyeBlockTile()
{
    TilePair t;
    t.base.fillRect(0, 0, 32, 32, Rgb{60, 56, 70});
    t.base.fillRect(0, 0, 32, 2, Rgb{100, 96, 112});
    t.base.fillRect(0, 30, 32, 2, Rgb{36, 34, 44});
    t.base.fillEllipse(16, 16, 10, 5.5, Rgb{230, 186, 60});
    t.base.fillEllipse(16, 16, 8, 4, Rgb{250, 246, 220});
    t.base.fillCircle(16, 16, 3, Rgb{30, 30, 60});
    t.base.line(10, 21, 8, 27, 1.5, Rgb{230, 186, 60});
    speckle(t.base, 0xE7E, 0.08);
    t.accent.ring(16, 16, 8, 10.5, Rgb{255, 210, 80});
    t.accent.fillCircle(16, 16, 3, Rgb{255, 80, 60});
    return t;
}

struct TileDef {
    int number;
    const char* name;
    TilePair (*draw)();
};

// Tile numbers as the map uses them. 11 and 12 have two digits on purpose:
// such cells are one character wider in the map's rows.
const TileDef tileDefs[] = {
    {1, "brick", brickTile},   {2, "ground", groundTile}, {3, "ledge", ledgeTile},
    {4, "pillar", pillarTile}, {5, "glyphs", glyphTile},  {11, "torch", torchTile},
    {12, "eyeblock", eyeBlockTile},
};

enum Tile { noTile = 0, brick = 1, ground = 2, ledge = 3, pillar = 4, glyphs = 5, torch = 11, eyeBlock = 12 };

void writeTiles()
{
    std::string tileset = "# Desert temple tiles: number, then picture name under gfx/tiles/\n"
                          "# (the accent picture of the same name lies under gfx/tiles/accent/)\n"
                          "base gfx/tiles/\n"
                          "ext bmp\n";
    for (const TileDef& def : tileDefs) {
        TilePair t = def.draw();
        writeBmp(outPath(std::string("gfx/tiles/") + def.name + ".bmp"), t.base);
        writeBmp(outPath(std::string("gfx/tiles/accent/") + def.name + ".bmp"), t.accent);
        tileset += std::to_string(def.number) + " " + def.name + "\n";
    }
    writeText(outPath("data/tilesets/sands.txt"), tileset);
}

// ---------------------------------------------------------------------------
// The map: 120 columns by 15 rows, built from a few placement calls.

constexpr int mapColumns = 120;
constexpr int mapRows = 15;

struct Cell {
    int kind = 0;  // 0 empty, 1 solid, 2 enemy marker
    int tile = noTile;
};

class Level {
public:
    Level() : cells(mapColumns * mapRows) {}

    Cell& at(int col, int row) { return cells[static_cast<size_t>(row * mapColumns + col)]; }

    void solid(int col0, int col1, int row0, int row1, int tile)
    {
        for (int c = col0; c <= col1; ++c)
            for (int r = row0; r <= row1; ++r)
                at(c, r) = Cell{1, tile};
    }
    void scenery(int col0, int col1, int row0, int row1, int tile)
    {
        for (int c = col0; c <= col1; ++c)
            for (int r = row0; r <= row1; ++r)
                at(c, r) = Cell{0, tile};
    }
    void pit(int col0, int col1)
    {
        for (int c = col0; c <= col1; ++c)
            at(c, mapRows - 1) = Cell{};
    }
    // An enemy marker: the robot stands in this cell, on the tile below.
    void enemy(int col, int row) { at(col, row) = Cell{2, noTile}; }

    std::string text()
    {
        std::string out = "WIDTH: " + std::to_string(mapColumns) + "\nHEIGHT: " + std::to_string(mapRows) +
                          "\nTILESET: sands\n";
        out += "# Rows top to bottom; each cell is its kind (0 empty, 1 solid, 2 enemy) and its tile number.\n";
        for (int r = 0; r < mapRows; ++r) {
            for (int c = 0; c < mapColumns; ++c) {
                if (c > 0)
                    out += ' ';
                out += std::to_string(at(c, r).kind) + " " + std::to_string(at(c, r).tile);
            }
            out += '\n';
        }
        return out;
    }

private:
    std::vector<Cell> cells;
};

void writeMap()
{
    Level lv;
    const int floor = mapRows - 1;
    // Walls at both ends hold the player inside the level; the floor runs
    // between them with three pits.
    lv.solid(0, 1, 0, floor, brick);
    lv.solid(mapColumns - 2, mapColumns - 1, 0, floor, brick);
    lv.solid(2, mapColumns - 3, floor, floor, ground);
    lv.pit(26, 28);
    lv.pit(56, 58);
    lv.pit(88, 90);

    // Entrance hall: carved panels and torches behind the start.
    lv.scenery(5, 9, 9, 12, glyphs);
    lv.scenery(4, 4, 11, 11, torch);
    lv.scenery(10, 10, 11, 11, torch);

    // First climb: two ledges, each two tiles above the last, with a robot
    // on the upper one; then a low pillar to hop over before the first pit.
    lv.solid(12, 15, 12, 12, ledge);
    lv.solid(17, 20, 10, 10, ledge);
    lv.enemy(19, 9);
    lv.solid(23, 23, 12, floor - 1, pillar);
    lv.enemy(32, floor - 1);

    // A staircase of ledges up to a guarded lookout.
    lv.solid(36, 38, 12, 12, ledge);
    lv.solid(40, 42, 10, 10, ledge);
    lv.solid(44, 47, 8, 8, ledge);
    lv.enemy(46, 7);
    lv.solid(49, 51, 10, 10, ledge);

    // A low ceiling with torches hanging beneath it, and a robot under it.
    lv.solid(60, 70, 9, 9, brick);
    lv.scenery(62, 62, 10, 10, torch);
    lv.scenery(68, 68, 10, 10, torch);
    lv.scenery(61, 69, 6, 8, glyphs);
    lv.enemy(65, floor - 1);

    // An obelisk of eye blocks, four tiles high: too tall to jump from the
    // floor, climbed from the ledge in front of it.
    lv.solid(71, 72, 12, 12, ledge);
    lv.solid(74, 74, 10, floor - 1, eyeBlock);
    lv.enemy(78, floor - 1);
    lv.enemy(84, floor - 1);

    // After the last pit: a raised ledge with a robot and a second pillar.
    lv.solid(93, 96, 11, 11, ledge);
    lv.enemy(95, 10);
    lv.solid(99, 101, 12, 12, ledge);
    lv.solid(104, 104, 12, floor - 1, pillar);

    // The inner temple: a carved wall, two guards and the altar.
    lv.scenery(107, 115, 6, 12, glyphs);
    lv.scenery(107, 107, 5, 5, torch);
    lv.scenery(115, 115, 5, 5, torch);
    lv.enemy(110, floor - 1);
    lv.enemy(113, floor - 1);
    lv.solid(116, 117, 12, floor - 1, eyeBlock);

    writeText(outPath("data/maps/maplvl1.map"), lv.text());
}

}  // namespace

void writeLevel()
{
    writeTiles();
    writeMap();
}

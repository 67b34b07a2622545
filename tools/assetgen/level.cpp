// The level: its tile pictures, the tileset file that names them
// (data/tilesets/sands.txt) and the map (data/maps/maplvl1.map).
//
// The map is written below as text, one character a cell, in sections from
// left to right; docs/level.md describes the design and the intended route.
#include "assetgen.h"
#include "canvas.h"
#include "tiles.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

// What the characters of the layout stand for. Solid cells stop the player
// and the bullets; scenery is drawn but passable; a robot marker places one
// of the Evil Force's robots, standing on the cell below.
//
//   solid   #  ground: sand on top, earth below
//           F  temple floor: polished stone on top, sandstone below
//           B  sandstone wall        =  carved slab (ledge)
//           I  column                T  column top
//           S  the sphinx's stone    P  the front of a paw
//           G  the portal gate in the end wall (a picture two cells by four)
//   scenery .  nothing (night sky or the background strip)
//           :  the temple's back wall
//           g  carved glyphs         t  torch on the wall     b  brazier
//           e  the Evil Force's banner                         i  pillar (back wall)
//           s  standing stone
//           r  ruined column (far behind)                      v  the pit's depths
//           p  palm trunk            cd palm crown, left and right half
//           H  the sphinx's head (a picture four cells by four; passable,
//              so the sentinel on it shoots through it)
//   robots  R  a robot in the open   Q  a robot before the back wall
//
// Stars are scattered over the open sky of rows 0 to 3 (above the
// background strip, which starts at y 120) with a fixed seed.
//
// The first robot marker in reading order (topmost row, then leftmost)
// fires every volley in steady play: it is the sentinel on the sphinx's
// head (row 2), out of the player's reach and out of view from the start.
struct Section {
    const char* what;
    std::vector<std::string> rows;
};

const Section sections[] = {
    {"The camp at the edge of the ruins: a safe start, a first step to jump.",
     {
         "BB........................",  // 0
         "BB........................",  // 1
         "BB........................",  // 2
         "BB........................",  // 3
         "BB........................",  // 4
         "BB........................",  // 5
         "BB........................",  // 6
         "BB........................",  // 7
         "BB........................",  // 8
         "BB.....................cd.",  // 9
         "BB.....................p..",  // 10
         "BB.....s.s.............p..",  // 11
         "BB.....s.s..b.....=....p..",  // 12
         "BB...............==.......",  // 13
         "##########################",  // 14
     }},
    {"The dunes: the ground rises, a first pit, the first robots.",
     {
         "....................................",  // 0
         "....................................",  // 1
         "....................................",  // 2
         "....................................",  // 3
         "....................................",  // 4
         "....................................",  // 5
         "....................................",  // 6
         "....................................",  // 7
         "....................................",  // 8
         "....................................",  // 9
         ".............................R......",  // 10
         ".............R..............===.....",  // 11
         "..........#####..#####..R...........",  // 12
         "....###########..##########.......R.",  // 13
         "###############..###################",  // 14
     }},
    {"The oasis: a rest under the palms.",
     {
         "................",  // 0
         "................",  // 1
         "................",  // 2
         "................",  // 3
         "................",  // 4
         "................",  // 5
         "................",  // 6
         "................",  // 7
         "................",  // 8
         "..cd.......cd...",  // 9
         "..p........p....",  // 10
         "..p........p....",  // 11
         "..p.....b..p....",  // 12
         "..p........p....",  // 13
         "################",  // 14
     }},
    {"The broken colonnade: columns to hop, pits, robots on the slabs.",
     {
         ".........................................",  // 0
         ".........................................",  // 1
         ".........................................",  // 2
         ".........................................",  // 3
         ".........................................",  // 4
         ".........................................",  // 5
         ".........................................",  // 6
         ".........................................",  // 7
         "....................r....................",  // 8
         "..r.................r....................",  // 9
         "..r.................r........R.........r.",  // 10
         "..r............R....r...T=======.......r.",  // 11
         "..r.T........====...r..TI...I..I..====.r.",  // 12
         "..r.I...R....I..I...r.TII...I..I.....I.r.",  // 13
         "#########..######..#############..#######",  // 14
     }},
    {"The great sphinx: the sentinel on its head, a tunnel through its body.",
     {
         "................................",  // 0
         "................................",  // 1
         "...........R....................",  // 2
         ".........HHHH...................",  // 3
         ".........HHHH...................",  // 4
         ".........HHHH...................",  // 5
         ".........HHHH...................",  // 6
         "..........SSS...................",  // 7
         "..........SSSSSSSSSSSSSSSSSS....",  // 8
         "..........SSSSSSSSSSSSSSSSSS....",  // 9
         "..........::::::::::::::::::....",  // 10
         "..........:::::::Q:::::Q::::....",  // 11
         "...PSSSSSSSSSSSSSSSSSSSSSSSS....",  // 12
         "...PSSSSSSSSSSSSSSSSSSSSSSSS....",  // 13
         "################################",  // 14
     }},
    {"The temple: a door, a raised floor between two pits, a hall of guards.",
     {
         "..BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",  // 0
         "..BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",  // 1
         "..BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",  // 2
         "..BB::::::::::::::::::::::::i:::::::i::::::::::::",  // 3
         "..BB::::::::::::::::::::::::i:::e:::i::::::::::::",  // 4
         "..BB::gg::::::e::::::ggg::::i:::e:::i:::::::::gg:",  // 5
         "..BB::gg::::::e::::::ggg::::i:::e:::i:::::::::gg:",  // 6
         "..BB::gg::::::e::::::ggg::::i:::::::i:::::::::gg:",  // 7
         "..BB::::::::::::::::::::::::i:::::::i::::::::::::",  // 8
         "..BB:::::::::::::::::::t::::i:::::::i:::::Q::::::",  // 9
         "..BB:t:::t::::::::::::::::::i:::::::i:::====:t::t",  // 10
         "..::::::::::::::::::::::::::i:::::::i::::::::::::",  // 11
         "..:::::::::::::Q::::::::::::i:::::::iB:::::::::::",  // 12
         "..::::::Q:::FFFFFF::FFFFFFF:i:Q:::Q:iB:::Q:::::::",  // 13
         "FFFFFFFFFFvvFFFFFFvvFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",  // 14
     }},
    {"The portal chamber: two more pits, the last guards, the sealed gate.",
     {
         "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",  // 0
         "BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB",  // 1
         "BB::::::::::::::::::::::::::::::::::BBBB",  // 2
         "BB::::::::::e:::::::::::::::::::::::BBBB",  // 3
         "BB:::ggg::::e::::::gggg:::::::::::::BBBB",  // 4
         "BB:::ggg::::e::::::gggg:::::::::::::BBBB",  // 5
         "BB:::ggg:::::::::::gggg:::::::::::::BBBB",  // 6
         "BB:::ggg:::::::::::gggg:::::::::::::BBBB",  // 7
         "BB::::::::::::::::::::::::t::::::t::GGBB",  // 8
         "BB::::::::::::::::::::::::::::::::::GGBB",  // 9
         "BB::t:::::::::::::::::::::::::::::::GGBB",  // 10
         ":::::::::::::::::::::::::::::Q::Q:::GGBB",  // 11
         ":::::::::::::::::::::::::FFFFFFFFFFFBBBB",  // 12
         ":::::::::::::Q::::::Q:Q:FFFFFFFFFFFFBBBB",  // 13
         "FFFFFFFFvvFFFFFFvvFFFFFFFFFFFFFFFFFFBBBB",  // 14
     }},
};

constexpr int mapRows = 15;

// Tile numbers, as drawTiles numbers its pictures.
enum TileNumber {
    noTile = 0,
    sandTile = 1, earthTile = 2, brickTile = 3, ledgeTile = 4, columnTile = 5, capitalTile = 6,
    sphinxTile = 7, pawTopTile = 8, floorTile = 9, wallTile = 10, torchTile = 11, brazierTile = 12,
    glyphTiles = 13,  // three designs, 13 to 15
    starTiles = 16,   // three, 16 to 18
    palmTile = 19, crownLeftTile = 20, crownRightTile = 21, bannerTile = 22, ruinTile = 23,
    pillarTile = 24, abyssTile = 25, sphinxCrackedTile = 26, pawToesTile = 27, ruinTopTile = 28,
    bannerClothTile = 29,
    sphinxHeadTiles = 30,  // four by four, 30 to 45
    steleTopTile = 46, steleBaseTile = 47, sphinxBackTile = 48, sphinxRumpTile = 49,
    gateTiles = 50,        // two by four, 50 to 57
    bannerEndTile = 58,
};

struct Cell {
    int kind = 0;  // 0 passable, 1 solid, 2 robot marker
    int tile = noTile;
};

class Layout {
public:
    Layout()
    {
        rows.assign(mapRows, "");
        for (const Section& s : sections) {
            if (s.rows.size() != mapRows)
                fail(s.what, "does not have 15 rows");
            for (int r = 0; r < mapRows; ++r) {
                if (s.rows[r].size() != s.rows[0].size())
                    fail(s.what, "has rows of different lengths");
                rows[r] += s.rows[r];
            }
        }
        width = static_cast<int>(rows[0].size());
    }

    int columns() const { return width; }
    char at(int col, int row) const
    {
        if (col < 0 || row < 0 || col >= width || row >= mapRows)
            return ' ';
        return rows[row][col];
    }

    // The top-left corner of the block of ch that holds (col, row).
    std::pair<int, int> blockCorner(int col, int row) const
    {
        while (at(col - 1, row) == at(col, row))
            --col;
        while (at(col, row - 1) == at(col, row))
            --row;
        return {col, row};
    }

private:
    std::vector<std::string> rows;
    int width = 0;

    static void fail(const char* section, const char* why)
    {
        std::fprintf(stderr, "kvassetgen: level section \"%s\" %s\n", section, why);
        std::exit(1);
    }
};


Cell cellFor(const Layout& lv, int col, int row)
{
    char ch = lv.at(col, row), above = lv.at(col, row - 1);
    // A cheap position hash for variety that stays the same on every run.
    unsigned mixed = static_cast<unsigned>(col) * 73856093u ^ static_cast<unsigned>(row) * 19349663u;
    switch (ch) {
    case '#':
        return {1, above == '#' ? earthTile : sandTile};
    case 'F':
        return {1, above == 'F' ? brickTile : floorTile};
    case 'B':
        return {1, brickTile};
    case '=':
        return {1, ledgeTile};
    case 'I':
        return {1, columnTile};
    case 'T':
        return {1, capitalTile};
    case 'S':
        if (above != 'S' && above != 'H')
            return {1, lv.at(col + 1, row) == 'S' ? sphinxBackTile : sphinxRumpTile};
        return {1, mixed % 5 == 0 ? sphinxCrackedTile : sphinxTile};
    case 'P':
        return {1, above == 'P' ? pawToesTile : pawTopTile};
    case 'G': {
        auto [c0, r0] = lv.blockCorner(col, row);
        return {1, gateTiles + (row - r0) * 2 + (col - c0)};
    }
    case 'H': {
        auto [c0, r0] = lv.blockCorner(col, row);
        return {0, sphinxHeadTiles + (row - r0) * 4 + (col - c0)};
    }
    case ':':
        return {0, wallTile};
    case 'g':
        return {0, glyphTiles + static_cast<int>(mixed % 3)};
    case 't':
        return {0, torchTile};
    case 'b':
        return {0, brazierTile};
    case 'e':
        return {0, above != 'e' ? bannerTile : lv.at(col, row + 1) == 'e' ? bannerClothTile : bannerEndTile};
    case 's':
        return {0, above == 's' ? steleBaseTile : steleTopTile};
    case 'i':
        return {0, pillarTile};
    case 'r':
        return {0, above == 'r' ? ruinTile : ruinTopTile};
    case 'v':
        return {0, abyssTile};
    case 'p':
        return {0, palmTile};
    case 'c':
        return {0, crownLeftTile};
    case 'd':
        return {0, crownRightTile};
    case 'R':
        return {2, noTile};
    case 'Q':
        return {2, wallTile};
    case '.':
        return {0, noTile};
    default:
        std::fprintf(stderr, "kvassetgen: unknown level character '%c' at column %d row %d\n", ch, col, row);
        std::exit(1);
    }
}

std::string mapText()
{
    Layout lv;
    std::vector<std::vector<Cell>> grid(mapRows, std::vector<Cell>(static_cast<size_t>(lv.columns())));
    for (int r = 0; r < mapRows; ++r)
        for (int c = 0; c < lv.columns(); ++c)
            grid[r][c] = cellFor(lv, c, r);
    // Stars in the open sky above the background strip.
    Rng rng(0x57A125u);
    for (int c = 0; c < lv.columns(); ++c)
        for (int r = 0; r < 4; ++r)
            if (rng.unit() < 0.2 && lv.at(c, r) == '.' && lv.at(c, 0) == '.')
                grid[r][c].tile = starTiles + rng.range(0, 2);

    std::string out = "WIDTH: " + std::to_string(lv.columns()) + "\nHEIGHT: " + std::to_string(mapRows) +
                      "\nTILESET: sands\n";
    out += "# Rows top to bottom; each cell is its kind (0 empty, 1 solid, 2 robot) and its tile number.\n";
    for (int r = 0; r < mapRows; ++r) {
        for (int c = 0; c < lv.columns(); ++c) {
            if (c > 0)
                out += ' ';
            out += std::to_string(grid[r][c].kind) + " " + std::to_string(grid[r][c].tile);
        }
        out += '\n';
    }
    return out;
}

void writeTiles()
{
    std::string tileset = "# The desert and temple tiles: number, then picture name under gfx/tiles/\n"
                          "# (its accent picture has the same name under gfx/tiles/accent/)\n"
                          "base gfx/tiles/\n"
                          "ext bmp\n";
    for (const TilePicture& t : drawTiles()) {
        writeBmp(outPath("gfx/tiles/" + t.name + ".bmp"), t.base);
        writeBmp(outPath("gfx/tiles/accent/" + t.name + ".bmp"), t.accent);
        tileset += std::to_string(t.number) + " " + t.name + "\n";
    }
    writeText(outPath("data/tilesets/sands.txt"), tileset);
}

}  // namespace

void writeLevel()
{
    writeTiles();
    writeText(outPath("data/maps/maplvl1.map"), mapText());
}

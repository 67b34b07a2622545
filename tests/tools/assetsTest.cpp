// Checks the generated game folder (KV_GAME_DIR) against what the game's
// loaders accept: BMP layout, sprite info lists, font cells, the map's row
// rule, tileset references, sound formats and picture sizes.
#include "support/testUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_set>
#include <sstream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace fs = std::filesystem;

namespace {

// The folder comes from KV_GAME_DIR; without it, the build's game/ folder
// next to the tests' working directory (build/tests) is used.
std::string gameDir()
{
    static const std::string dir = [] {
        if (const char* env = std::getenv("KV_GAME_DIR"))
            return std::string(env);
        if (const char* build = std::getenv("KV_BUILD_DIR"))
            return std::string(build) + "/game";
        return fs::absolute("../game").lexically_normal().string();
    }();
    return dir;
}

std::string gamePath(const std::string& relative)
{
    return gameDir() + "/" + relative;
}

uint32_t le16(const std::string& b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

uint32_t le32(const std::string& b, size_t at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

// A 24-bit picture decoded top row first, or the reason it is not one the
// game's reader decodes correctly.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    std::string error;

    bool isKey(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return rgb[i] == 0 && rgb[i + 1] == 255 && rgb[i + 2] == 0;
    }
    bool isBlack(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
    }
};

// Validates the layout the reader accepts (54-byte header with a 40-byte
// information header, no compression, full palette, rows a multiple of four
// bytes, 1- and 4-bit pictures 256 by 256) and decodes 24-bit pixels.
Picture readBmp(const std::string& path)
{
    Picture p;
    std::string b = readFile(path);
    auto fail = [&p](const std::string& why) {
        p.error = why;
        return p;
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return fail("no BM header");
    if (le32(b, 2) != b.size())
        return fail("size field " + std::to_string(le32(b, 2)) + " but file has " + std::to_string(b.size()));
    if (le32(b, 14) != 40)
        return fail("information header is not 40 bytes");
    int32_t width = static_cast<int32_t>(le32(b, 18)), height = static_cast<int32_t>(le32(b, 22));
    uint32_t bpp = le16(b, 28);
    if (width <= 0 || height <= 0)
        return fail("width or height not positive");
    if (le16(b, 26) != 1 || le32(b, 30) != 0)
        return fail("planes not 1 or compressed");
    std::map<uint32_t, uint32_t> paletteBytes{{1, 8}, {4, 64}, {8, 1024}, {24, 0}};
    if (!paletteBytes.count(bpp))
        return fail("bits per pixel " + std::to_string(bpp));
    if ((bpp == 1 || bpp == 4) && (width != 256 || height != 256))
        return fail("1- and 4-bit pictures must be 256 by 256");
    uint32_t offset = 54 + paletteBytes[bpp];
    if (le32(b, 10) != offset)
        return fail("pixel data does not follow the header and palette");
    uint64_t rowBits = static_cast<uint64_t>(width) * bpp;
    if (rowBits % 32 != 0)
        return fail("rows are not a multiple of 4 bytes");
    uint64_t rowBytes = rowBits / 8;
    if (b.size() != offset + rowBytes * height)
        return fail("file length does not match the pixel rows");
    p.width = width;
    p.height = height;
    if (bpp == 24) {
        p.rgb.resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                size_t src = offset + static_cast<size_t>(height - 1 - y) * rowBytes + static_cast<size_t>(x) * 3;
                size_t dst = (static_cast<size_t>(y) * width + x) * 3;
                p.rgb[dst] = static_cast<uint8_t>(b[src + 2]);
                p.rgb[dst + 1] = static_cast<uint8_t>(b[src + 1]);
                p.rgb[dst + 2] = static_cast<uint8_t>(b[src]);
            }
    }
    return p;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Comment and blank lines as every text loader of the game skips them.
bool isCommentLine(const std::string& line)
{
    return line.empty() || line[0] == '#' || line[0] == '\r' || line[0] == '\n';
}

std::vector<std::string> filesUnder(const std::string& relative, const std::string& extension)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(gamePath(relative)))
        if (entry.is_regular_file() && entry.path().extension() == extension)
            out.push_back(entry.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

// ---------------------------------------------------------------------------

TEST(AssetPictures, everyBmpHasTheLayoutTheReaderAccepts)
{
    std::vector<std::string> bmps = filesUnder("gfx", ".bmp");
    EXPECT_GT(bmps.size(), 100u);
    for (const std::string& path : bmps) {
        Picture p = readBmp(path);
        EXPECT_EQ(p.error, "") << path;
    }
}

TEST(AssetPictures, spritesShowSomethingAroundAKeyColourBackground)
{
    for (const char* folder : {"gfx/player", "gfx/enemy", "gfx/bullets"})
        for (const std::string& path : filesUnder(folder, ".bmp")) {
            Picture p = readBmp(path);
            ASSERT_EQ(p.error, "") << path;
            int key = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x)
                    key += p.isKey(x, y);
            EXPECT_GT(key, 0) << path << " has no transparent pixel";
            EXPECT_LT(key, p.width * p.height) << path << " is entirely transparent";
        }
}

TEST(AssetPictures, sharedPicturesHaveUsableSizes)
{
    Picture emblem = readBmp(gamePath("gfx/yrere.bmp"));
    EXPECT_EQ(emblem.error, "");
    EXPECT_TRUE(emblem.width > 0 && emblem.width <= 128);
    Picture bonus = readBmp(gamePath("gfx/timebonus.bmp"));
    EXPECT_EQ(bonus.error, "");
    Picture pixel = readBmp(gamePath("gfx/pixel.bmp"));
    ASSERT_EQ(pixel.error, "");
    // The particle dot is tinted by its drawing colour, so it must be white.
    for (int y = 0; y < pixel.height; ++y)
        for (int x = 0; x < pixel.width; ++x)
            EXPECT_EQ(pixel.rgb[(y * pixel.width + x) * 3 + 1], 255);
}

// ---------------------------------------------------------------------------
// Sprite info files, read the way the animation loader reads them.

struct Animation {
    int announced = -1;
    std::vector<std::pair<std::string, int>> frames;  // picture, display time
};

Animation readAnimation(const std::string& folder, const std::string& info)
{
    Animation a;
    std::vector<std::string> lines = readLines(gamePath(folder + "/" + info));
    if (lines.empty() || std::sscanf(lines[0].c_str(), "FILES: %d", &a.announced) != 1)
        return a;
    char name[256] = "";
    int duration = 0, unused1 = 0, unused2 = 0, unused3 = 0;
    for (size_t i = 1; i < lines.size() && static_cast<int>(a.frames.size()) < a.announced; ++i) {
        EXPECT_LE(lines[i].size(), 254u) << info;
        if (isCommentLine(lines[i]))
            continue;
        std::sscanf(lines[i].c_str(), "%255s %d %d %d %d", name, &duration, &unused1, &unused2, &unused3);
        a.frames.push_back({name, duration});
    }
    return a;
}

TEST(AssetSprites, everyInfoFileListsAsManyExistingFramesAsItAnnounces)
{
    std::vector<std::pair<std::string, std::string>> infos;
    for (std::string p : {"p1", "p2"}) {
        for (const char* s : {"leftinfo", "rightinfo", "leftinfod", "rightinfod"})
            infos.push_back({"gfx/player/walk", p + s + ".kvs"});
        for (const char* s : {"upleftinfo", "uprightinfo", "downleftinfo", "downrightinfo"})
            infos.push_back({"gfx/player/jump", p + s + ".kvs"});
        infos.push_back({"gfx/player/explode", p + "death.kvs"});
    }
    for (const char* s : {"esleftinfo.kvs", "esrightinfo.kvs", "fsleftinfo.kvs", "fsrightinfo.kvs"})
        infos.push_back({"gfx/player/sword", s});
    infos.push_back({"gfx/player/alt", "alt.kvs"});
    for (const char* s : {"nenemy.kvs", "denemy.kvs", "dieenemy.kvs"})
        infos.push_back({"gfx/enemy", s});

    for (const auto& [folder, info] : infos) {
        Animation a = readAnimation(folder, info);
        ASSERT_GT(a.announced, 0) << folder << "/" << info;
        EXPECT_EQ(static_cast<int>(a.frames.size()), a.announced) << info;
        std::set<std::string> distinct;
        int width = -1, height = -1;
        for (const auto& [name, duration] : a.frames) {
            EXPECT_GT(duration, 0) << info << " " << name;
            Picture p = readBmp(gamePath(folder + "/" + name));
            ASSERT_EQ(p.error, "") << folder << "/" << name;
            if (width < 0) {
                width = p.width;
                height = p.height;
            }
            EXPECT_EQ(p.width, width) << name << " differs in size from the first frame of " << info;
            EXPECT_EQ(p.height, height) << name;
            distinct.insert(std::string(p.rgb.begin(), p.rgb.end()));
        }
        if (a.frames.size() > 1) {
            EXPECT_GT(distinct.size(), 1u) << info << " never changes picture";
        }
    }
    // The game starts the death at frame 52 and freezes a dead enemy on 19.
    EXPECT_GE(readAnimation("gfx/player/explode", "p1death.kvs").announced, 53);
    EXPECT_GE(readAnimation("gfx/player/explode", "p2death.kvs").announced, 53);
    EXPECT_GE(readAnimation("gfx/enemy", "dieenemy.kvs").announced, 20);
}

TEST(AssetSprites, bulletPicturesAndOverlaysExist)
{
    for (const char* kind : {"orb", "card", "spike", "oval"})
        for (const char* suffix : {"", "overlay"}) {
            std::string path = gamePath(std::string("gfx/bullets/") + kind + suffix + ".bmp");
            EXPECT_EQ(readBmp(path).error, "") << path;
        }
}

// ---------------------------------------------------------------------------
// The font: glyph i in column i % 16, row i / 16 from the top.

struct Cell {
    int inked = 0;
    int inkTop = 99, inkBottom = -1;
    bool borderClear = true;
    bool grey = true;
    std::string pixels;
};

Cell fontCell(const Picture& font, int glyph)
{
    Cell c;
    int cx = (glyph % 16) * 16, cy = (glyph / 16) * 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            size_t i = (static_cast<size_t>(cy + y) * 256 + cx + x) * 3;
            c.pixels.append(reinterpret_cast<const char*>(&font.rgb[i]), 3);
            if (font.isBlack(cx + x, cy + y))
                continue;
            ++c.inked;
            c.inkTop = std::min(c.inkTop, y);
            c.inkBottom = std::max(c.inkBottom, y);
            if (x == 0 || y == 0 || x == 15 || y == 15)
                c.borderClear = false;
            if (font.rgb[i] != font.rgb[i + 1] || font.rgb[i] != font.rgb[i + 2])
                c.grey = false;
        }
    return c;
}

TEST(AssetFont, bothSetsDrawEveryPrintableCharacterInItsOwnCell)
{
    Picture font = readBmp(gamePath("gfx/fonts/glFont.bmp"));
    ASSERT_EQ(font.error, "");
    ASSERT_EQ(font.width, 256);
    ASSERT_EQ(font.height, 256);
    ASSERT_FALSE(font.rgb.empty()) << "the font must be a 24-bit picture";
    for (int set = 0; set < 2; ++set) {
        auto glyph = [set](char c) { return static_cast<unsigned char>(c) - 32 + 128 * set; };
        EXPECT_EQ(fontCell(font, glyph(' ')).inked, 0) << "space must be blank in set " << set;
        std::set<std::string> shapes;
        for (int code = 33; code <= 126; ++code) {
            Cell c = fontCell(font, code - 32 + 128 * set);
            EXPECT_GT(c.inked, 0) << "code " << code << " set " << set;
            // Linear magnification would bleed ink on a cell's edge into
            // the neighbouring glyph.
            EXPECT_TRUE(c.borderClear) << "code " << code << " set " << set;
            EXPECT_TRUE(c.grey) << "code " << code << " set " << set;
            shapes.insert(c.pixels);
        }
        EXPECT_EQ(shapes.size(), 94u) << "two characters share a shape in set " << set;
        // Upright, not flipped: the underscore sits low, the caret high.
        Cell underscore = fontCell(font, glyph('_')), caret = fontCell(font, glyph('^'));
        EXPECT_GE(underscore.inkTop, 10) << "set " << set;
        EXPECT_LE(caret.inkBottom, 8) << "set " << set;
        Cell a = fontCell(font, glyph('A'));
        EXPECT_GE(a.inked, 20) << "set " << set;
        EXPECT_GE(a.inkBottom - a.inkTop, 7) << "'A' should be a full capital in set " << set;
    }
    // The two sets are different faces.
    EXPECT_NE(fontCell(font, 'A' - 32).pixels, fontCell(font, 'A' - 32 + 128).pixels);
}

// ---------------------------------------------------------------------------
// The map, parsed with the exact row rule of the game's loader and, for
// comparison, as plain whitespace-separated numbers.

struct MapCell {
    int kind = 0, tile = 0;
};

struct Level {
    int width = -1, height = -1;
    std::string tileset;
    std::vector<std::vector<MapCell>> rows;
    bool solid(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < width && row < height && rows[row][col].kind == 1;
    }
};

Level readLevel(std::vector<std::string>* problems)
{
    Level lv;
    std::vector<std::string> lines = readLines(gamePath("data/maps/maplvl1.map"));
    if (lines.size() < 3) {
        problems->push_back("fewer than three lines");
        return lv;
    }
    char name[256] = "";
    if (std::sscanf(lines[0].c_str(), "WIDTH: %d", &lv.width) != 1)
        problems->push_back("line 1 is not WIDTH");
    if (std::sscanf(lines[1].c_str(), "HEIGHT: %d", &lv.height) != 1)
        problems->push_back("line 2 is not HEIGHT");
    if (std::sscanf(lines[2].c_str(), "TILESET: %255s", name) != 1)
        problems->push_back("line 3 is not TILESET");
    lv.tileset = name;
    for (size_t i = 3; i < lines.size() && static_cast<int>(lv.rows.size()) < lv.height; ++i) {
        const std::string& line = lines[i];
        if (line.size() > 2047)
            problems->push_back("row line longer than 2047 characters");
        if (isCommentLine(line))
            continue;
        std::vector<MapCell> row(static_cast<size_t>(std::max(lv.width, 0)));
        int kindValue = 0, tileNumber = 0, shift = 0;
        for (int c = 0; c < lv.width; ++c) {
            size_t pos = static_cast<size_t>(shift + 4 * c);
            if (pos < line.size() && line[pos] == ' ') {
                ++shift;
                ++pos;
            }
            if (pos < line.size())
                std::sscanf(line.c_str() + pos, "%d %d", &kindValue, &tileNumber);
            row[c] = MapCell{kindValue, tileNumber};
        }
        std::istringstream numbers(line);
        std::vector<int> plain;
        int v;
        while (numbers >> v)
            plain.push_back(v);
        if (plain.size() != static_cast<size_t>(2 * lv.width))
            problems->push_back("row " + std::to_string(lv.rows.size()) + " holds " + std::to_string(plain.size()) +
                                " numbers");
        for (int c = 0; c < lv.width && 2 * c + 1 < static_cast<int>(plain.size()); ++c)
            if (plain[2 * c] != row[c].kind || plain[2 * c + 1] != row[c].tile)
                problems->push_back("row " + std::to_string(lv.rows.size()) + " column " + std::to_string(c) +
                                    " reads differently under the row rule");
        lv.rows.push_back(row);
    }
    return lv;
}

TEST(AssetLevel, mapHeaderAndRowsFollowTheFormat)
{
    std::vector<std::string> problems;
    Level lv = readLevel(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_GE(lv.width, 20);
    EXPECT_LE(lv.width, 400);
    EXPECT_EQ(lv.height, 15);
    ASSERT_EQ(lv.rows.size(), 15u);
    int markers = 0;
    bool twoDigitTile = false;
    for (const auto& row : lv.rows)
        for (const MapCell& cell : row) {
            EXPECT_TRUE(cell.kind >= 0 && cell.kind <= 2);
            EXPECT_TRUE(cell.tile >= 0 && cell.tile <= 99);
            markers += cell.kind == 2;
            twoDigitTile |= cell.tile >= 10;
        }
    EXPECT_GE(markers, 1);
    EXPECT_LE(markers, 32) << "markers past the 32nd are dropped by the loader";
    EXPECT_TRUE(twoDigitTile) << "the level should exercise the wider two-digit cells";
}

TEST(AssetLevel, everyTileTheMapUsesHasBaseAndAccentPictures)
{
    std::vector<std::string> problems;
    Level lv = readLevel(&problems);
    ASSERT_FALSE(lv.tileset.empty());
    std::string tilesetPath = gamePath("data/tilesets/" + lv.tileset + ".txt");
    ASSERT_TRUE(fileExists(tilesetPath)) << tilesetPath;

    std::string base = "gfx/tiles/", accent = "gfx/tiles/accent/", ext = "bmp";
    std::map<int, std::pair<std::string, std::string>> defined;
    for (const std::string& line : readLines(tilesetPath)) {
        EXPECT_LE(line.size(), 999u);
        if (isCommentLine(line))
            continue;
        char key[256] = "", value[256] = "";
        ASSERT_EQ(std::sscanf(line.c_str(), "%255s %255s", key, value), 2) << line;
        if (std::strcmp(key, "base") == 0) {
            base = value;
            accent = base + "accent/";
        } else if (std::strcmp(key, "ext") == 0) {
            ext = value;
        } else {
            int n = std::atoi(key);
            ASSERT_TRUE(n >= 1 && n <= 100) << line;
            defined[n] = {base + value + "." + ext, accent + value + "." + ext};
        }
    }
    std::set<int> used;
    for (const auto& row : lv.rows)
        for (const MapCell& cell : row)
            if (cell.tile != 0)
                used.insert(cell.tile);
    EXPECT_GE(used.size(), 3u);
    for (int tile : used) {
        ASSERT_TRUE(defined.count(tile)) << "tile " << tile << " is not in the tileset";
        for (const std::string& path : {defined[tile].first, defined[tile].second}) {
            Picture p = readBmp(gamePath(path));
            EXPECT_EQ(p.error, "") << path;
            EXPECT_EQ(p.width, 32) << path;
            EXPECT_EQ(p.height, 32) << path;
        }
    }
}

TEST(AssetLevel, levelHoldsThePlayerAndStandsTheRobotsOnSolidGround)
{
    std::vector<std::string> problems;
    Level lv = readLevel(&problems);
    ASSERT_EQ(lv.rows.size(), 15u);
    // Nothing clamps the player's x: the end walls must be solid all the way.
    for (int r = 0; r < lv.height; ++r) {
        EXPECT_TRUE(lv.solid(0, r)) << "left wall open at row " << r;
        EXPECT_TRUE(lv.solid(lv.width - 1, r)) << "right wall open at row " << r;
    }
    // Start (64, 416) and respawn (150, 250), 30 by 36: free space with a
    // floor beneath the start.
    auto boxFree = [&lv](int x, int y) {
        for (int row = y / 32; row <= (y + 35) / 32 && row < 14; ++row)
            for (int col = x / 32; col <= (x + 29) / 32; ++col)
                if (lv.solid(col, row))
                    return false;
        return true;
    };
    EXPECT_TRUE(boxFree(64, 411));
    EXPECT_TRUE(lv.solid(2, 14)) << "no floor under the start";
    EXPECT_TRUE(boxFree(150, 250));
    // Robots never move; each stands on a solid tile.
    for (int r = 0; r < lv.height; ++r)
        for (int c = 0; c < lv.width; ++c)
            if (lv.rows[r][c].kind == 2) {
                EXPECT_TRUE(lv.solid(c, r + 1)) << "robot at column " << c << " row " << r << " floats";
            }
    // A jump carries the player about 90 pixels: pits of up to three tiles.
    int open = 0;
    for (int c = 0; c < lv.width; ++c) {
        open = lv.solid(c, 14) ? 0 : open + 1;
        EXPECT_LE(open, 3) << "pit too wide at column " << c;
    }
}

// The first player's walking and jumping, tick by tick, against the solid
// tiles of the level (robots left out: they can be cut down). A search over
// the inputs (stand or walk right; jump held or not) finds every place the
// player can reach from the start without ever stepping back.
struct Body {
    int x, y;
    double vy;
    bool inAir, jumpLatch;
};

class Walker {
public:
    explicit Walker(const Level& lv) : lv(lv) {}

    // One tick with the given inputs; false when the player falls out.
    bool step(Body& b, int dx, bool jump) const
    {
        if (jump && !b.inAir && !b.jumpLatch) {
            b.vy = -7.0;
            b.inAir = true;
            b.jumpLatch = true;
        }
        if (b.inAir && b.vy < 0 && !jump)
            b.vy = 0.0;
        int hit;
        if (dx >= 1) {
            if (columnHits(b.x + dx + 30, b.y, &hit))
                b.x = hit * 32 - 30 - 1;
            else
                b.x += dx;
        } else if (dx < 0) {
            if (columnHits(b.x + dx, b.y, &hit))
                b.x = (hit + 1) * 32;
            else
                b.x += dx;
        }
        if (b.vy < 0) {
            if (rowHits(b.x, static_cast<int>(b.y + b.vy), &hit)) {
                b.y = (hit + 1) * 32;
                b.vy = 0.0;
            } else {
                b.y = static_cast<int>(b.y + b.vy);
                b.vy += 0.3;
            }
        } else if (rowHits(b.x, static_cast<int>(b.y + b.vy + 36), &hit)) {
            b.y = hit * 32 - 36 - 1;
            b.vy = 1.0;
            b.inAir = false;
            if (!jump)
                b.jumpLatch = false;
        } else {
            b.y = static_cast<int>(b.y + b.vy);
            b.vy = std::min(b.vy + 0.3, 32.0);
            b.inAir = true;
            b.jumpLatch = true;
        }
        return b.y <= 480;
    }

private:
    const Level& lv;

    static int edgeOf(int v) { return v - v % 32; }

    bool rowHits(int x, int y, int* row) const
    {
        *row = y / 32;
        for (int edge = edgeOf(x), col = edgeOf(x) / 32; edge <= x + 30; edge += 32, ++col)
            if (lv.solid(col, *row))
                return true;
        return false;
    }
    bool columnHits(int x, int y, int* col) const
    {
        *col = x / 32;
        for (int edge = edgeOf(y), row = edgeOf(y) / 32; edge <= y + 36; edge += 32, ++row)
            if (lv.solid(*col, row))
                return true;
        return false;
    }
};

TEST(AssetLevel, thePlayerCanWalkAndJumpFromTheStartToTheFarEnd)
{
    std::vector<std::string> problems;
    Level lv = readLevel(&problems);
    ASSERT_EQ(lv.rows.size(), 15u);
    Walker walker(lv);
    auto keyOf = [](const Body& b) {
        return (static_cast<uint64_t>(b.x & 0xffff) << 40) | (static_cast<uint64_t>(b.y & 0xffff) << 24) |
               (static_cast<uint64_t>(std::lround(b.vy * 10) & 0xffff) << 8) | (b.inAir << 1) | b.jumpLatch;
    };
    std::vector<Body> frontier{{64, 416, 0.0, true, true}};
    std::unordered_set<uint64_t> seen{keyOf(frontier[0])};
    int farthest = 0;
    while (!frontier.empty()) {
        std::vector<Body> next;
        for (const Body& b : frontier)
            for (int dx : {0, 2})
                for (bool jump : {false, true}) {
                    if (b.inAir && b.vy < 0 && !jump)
                        continue;  // only full jumps: enough to show the way through
                    Body n = b;
                    if (walker.step(n, dx, jump) && seen.insert(keyOf(n)).second) {
                        next.push_back(n);
                        farthest = std::max(farthest, n.x);
                    }
                }
        frontier.swap(next);
    }
    // The altar stands in front of the right wall, four columns from the end.
    EXPECT_GE(farthest + 30, (lv.width - 4) * 32) << "the player gets no further than x " << farthest;
}

// ---------------------------------------------------------------------------
// Sounds.

TEST(AssetSounds, samplesAreShortMonoSixteenBitWavesWithoutClicks)
{
    for (const char* name : {"data/meow.wav", "data/barkbark.wav"}) {
        std::string b = readFile(gamePath(name));
        ASSERT_GE(b.size(), 44u) << name;
        EXPECT_EQ(b.substr(0, 4), "RIFF");
        EXPECT_EQ(le32(b, 4), b.size() - 8);
        EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(le32(b, 16), 16u);
        EXPECT_EQ(le16(b, 20), 1u) << "PCM";
        EXPECT_EQ(le16(b, 22), 1u) << "mono";
        uint32_t rate = le32(b, 24);
        EXPECT_EQ(le32(b, 28), rate * 2);
        EXPECT_EQ(le16(b, 32), 2u);
        EXPECT_EQ(le16(b, 34), 16u);
        ASSERT_EQ(b.substr(36, 4), "data");
        uint32_t bytes = le32(b, 40);
        ASSERT_EQ(bytes, b.size() - 44);
        double seconds = bytes / 2.0 / rate;
        EXPECT_GT(seconds, 0.1) << name;
        EXPECT_LT(seconds, 1.5) << name;
        int peak = 0;
        auto sample = [&b](size_t i) { return static_cast<int16_t>(le16(b, 44 + 2 * i)); };
        size_t count = bytes / 2;
        for (size_t i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
        EXPECT_GT(peak, 8000) << name << " is nearly silent";
        EXPECT_LT(peak, 32767) << name << " clips";
        EXPECT_LT(std::abs(sample(0)), 1000) << name << " starts with a click";
        EXPECT_LT(std::abs(sample(count - 1)), 1000) << name << " ends with a click";
    }
}

TEST(AssetSounds, musicIsOneVorbisStreamOfAboutHalfAMinute)
{
    std::string b = readFile(gamePath("data/delay2.ogg"));
    ASSERT_GT(b.size(), 1000u);
    EXPECT_LT(b.size(), 600u * 1024) << "the music should stay small";
    size_t at = 0;
    uint32_t serial = 0, sequence = 0;
    int64_t lastGranule = -1;
    int lastFlags = 0;
    std::string firstPacket;
    while (at < b.size()) {
        ASSERT_LE(at + 27, b.size());
        ASSERT_EQ(b.substr(at, 4), "OggS") << "page at " << at;
        EXPECT_EQ(b[at + 4], 0);
        int flags = static_cast<uint8_t>(b[at + 5]);
        int64_t granule = static_cast<int64_t>(le32(b, at + 6)) | static_cast<int64_t>(le32(b, at + 10)) << 32;
        if (sequence == 0) {
            serial = le32(b, at + 14);
            EXPECT_TRUE(flags & 2) << "first page must begin the stream";
        }
        EXPECT_EQ(le32(b, at + 14), serial);
        EXPECT_EQ(le32(b, at + 18), sequence);
        int segments = static_cast<uint8_t>(b[at + 26]);
        size_t body = 0;
        for (int i = 0; i < segments; ++i)
            body += static_cast<uint8_t>(b[at + 27 + i]);
        size_t start = at + 27 + segments;
        if (sequence == 0)
            firstPacket = b.substr(start, body);
        at = start + body;
        ++sequence;
        lastFlags = flags;
        if (granule >= 0)
            lastGranule = granule;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_TRUE(lastFlags & 4) << "last page must end the stream";
    ASSERT_GE(firstPacket.size(), 30u);
    EXPECT_EQ(firstPacket.substr(0, 7), std::string("\x01vorbis"));
    int channels = static_cast<uint8_t>(firstPacket[11]);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(le32(firstPacket, 12), 44100u);
    double seconds = lastGranule / 44100.0;
    EXPECT_GE(seconds, 20.0);
    EXPECT_LE(seconds, 40.0);
}

// ---------------------------------------------------------------------------
// JPEG pictures, decoded with the same library the game uses.

struct Jpeg {
    int width = 0, height = 0, components = 0;
    std::vector<uint8_t> rgb;
};

Jpeg decodeJpeg(const std::string& path)
{
    Jpeg j;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return j;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    j.width = static_cast<int>(cinfo.output_width);
    j.height = static_cast<int>(cinfo.output_height);
    j.components = cinfo.output_components;
    j.rgb.resize(static_cast<size_t>(j.width) * j.height * j.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &j.rgb[static_cast<size_t>(cinfo.output_scanline) * j.width * j.components];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return j;
}

TEST(AssetPictures, jpegPicturesFitTheirPlacesOnScreen)
{
    Jpeg story = decodeJpeg(gamePath("gfx/storymap.jpg"));
    EXPECT_EQ(story.width, 640);
    EXPECT_EQ(story.height, 480);
    EXPECT_EQ(story.components, 3);

    // Game over: top-left at (320 - width / 2, 200), inside the screen;
    // rows must be whole words for the texture upload.
    Jpeg over = decodeJpeg(gamePath("gfx/gameover.jpg"));
    EXPECT_EQ(over.components, 3);
    EXPECT_EQ(over.width * 3 % 4, 0);
    EXPECT_GE(320 - over.width / 2, 0);
    EXPECT_LE(200 + over.height, 480);

    // Background: 640 wide, reaching from y 120 to the bottom of the screen.
    Jpeg bg = decodeJpeg(gamePath("gfx/bg.jpg"));
    ASSERT_EQ(bg.width, 640);
    EXPECT_EQ(bg.components, 3);
    EXPECT_GE(120 + bg.height, 480);
    // It scrolls with the texture wrapping round: the left and right edges
    // must meet without a visible seam.
    double edge = 0, inner = 0;
    for (int y = 0; y < bg.height; ++y)
        for (int c = 0; c < 3; ++c) {
            auto at = [&bg, y, c](int x) { return static_cast<int>(bg.rgb[(static_cast<size_t>(y) * 640 + x) * 3 + c]); };
            edge += std::abs(at(0) - at(639));
            inner += std::abs(at(319) - at(320));
        }
    edge /= bg.height * 3.0;
    inner /= bg.height * 3.0;
    EXPECT_LT(edge, inner + 6.0) << "seam between the strip's ends";
}

TEST(AssetFolder, staysSmall)
{
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(gameDir()))
        if (entry.is_regular_file())
            total += entry.file_size();
    EXPECT_GT(total, 100u * 1024);
    EXPECT_LT(total, 4u * 1024 * 1024);
}

}  // namespace

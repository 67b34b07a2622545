// Helpers shared by the world tests: level and tileset files, fresh maps,
// hand-made tile pictures.
#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "graphics/anim.h"
#include "graphics/image.h"
#include "world/map.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define KV_HAVE_LSAN 1
#endif

// A fresh map on the heap. The game's map and its pictures live until the
// process ends and are never freed, so the tests keep theirs reachable the
// same way instead of deleting them (which the cleanup never does either).
inline TileMap* newMap()
{
    static std::vector<TileMap*>* keep = new std::vector<TileMap*>;
    TileMap* map = new TileMap;
    keep->push_back(map);
    return map;
}

// Pictures a test leaves allocated on purpose; keeps the leak checker from
// reporting them.
struct IgnoreStrandedPictures {
    IgnoreStrandedPictures() {} // user-provided, so an unused guard draws no warning
#ifdef KV_HAVE_LSAN
    __lsan::ScopedDisabler disabler;
#endif
};

using Cell = std::pair<int, int>; // kind, tile number

// One row line: cells written as "kind tile" separated by blanks.
inline std::string rowLine(const std::vector<Cell>& cells)
{
    std::ostringstream out;
    for (size_t i = 0; i < cells.size(); i++)
        out << (i ? " " : "") << cells[i].first << ' ' << cells[i].second;
    return out.str();
}

// A row of width empty cells.
inline std::vector<Cell> emptyRow(int width)
{
    return std::vector<Cell>(static_cast<size_t>(width), Cell{0, 0});
}

// The whole map file: three header lines, then the given lines as they are.
inline std::string mapText(int width, int height, const std::string& tileset,
                           const std::vector<std::string>& lines)
{
    std::ostringstream out;
    out << "WIDTH: " << width << "\nHEIGHT: " << height << "\nTILESET: " << tileset << "\n";
    for (const std::string& l : lines)
        out << l << "\n";
    return out.str();
}

// height row lines of width empty cells, with some cells replaced.
struct GridText {
    std::vector<std::vector<Cell>> rows;
    GridText(int width, int height) : rows(static_cast<size_t>(height), emptyRow(width)) {}
    void set(int column, int row, int kind, int tile) { rows[row][column] = {kind, tile}; }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (const auto& r : rows)
            out.push_back(rowLine(r));
        return out;
    }
};

// A 24-bit BMP of one colour (bottom-up rows padded to 4 bytes).
inline std::string solidBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int dataBytes = rowBytes * height;
    std::string f(54 + static_cast<size_t>(dataBytes), '\0');
    auto put32 = [&f](size_t at, int v) {
        for (int i = 0; i < 4; i++)
            f[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, 54 + dataBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    f[26] = 1;
    f[28] = 24;
    put32(34, dataBytes);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            size_t at = 54 + static_cast<size_t>(y * rowBytes + x * 3);
            f[at] = static_cast<char>(b);
            f[at + 1] = static_cast<char>(g);
            f[at + 2] = static_cast<char>(r);
        }
    return f;
}

// A still picture made by hand, as loadSingle leaves one that loaded: one
// frame with a texture of the given size. width 0 stands for a failed load.
inline SpriteAnim* handMadePicture(int width, unsigned int texId = 0, unsigned int list = 0)
{
    SpriteAnim* anim = new SpriteAnim;
    anim->frames = new SpriteFrame[1];
    if (width > 0) {
        Texture* tex = new Texture;
        tex->texId = texId;
        tex->list = list;
        tex->width = width;
        tex->height = width;
        anim->frames[0].texture = tex;
    }
    anim->loaded = 1;
    anim->frameCount = 0;
    anim->framesReady = width > 0 ? 1 : 0;
    anim->width = width;
    anim->height = width;
    return anim;
}

// Gives cell (column, row) both cursors bound to tile number n of the map's tables.
inline void placeTile(TileMap* map, int column, int row, int n)
{
    MapCell& cell = map->cells[column][row];
    cell.baseCursor = new AnimCursor;
    cell.baseCursor->set(map->baseTiles[n - 1]);
    cell.accentCursor = new AnimCursor;
    cell.accentCursor->set(map->accentTiles[n - 1]);
}

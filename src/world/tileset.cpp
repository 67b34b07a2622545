// Tileset file: which pictures the tile numbers of a map show.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/textScan.h"
#include "graphics/anim.h"
#include "world/map.h"

namespace {

constexpr int tilesetLineBytes = 1000; // 999 characters and the terminator
constexpr int wordBytes = 256;         // key and value: at most 255 characters

} // namespace

bool TileMap::loadTileset(const char* path)
{
    std::string baseFolder = "gfx/tiles/";
    std::string accentFolder = "gfx/tiles/accent/";
    std::string extension = "bmp";

    FILE* file = std::fopen(path, "r");
    if (!file) {
        std::printf("ERROR opening tileset file %s\n\n", path);
        return false;
    }

    char line[tilesetLineBytes];
    char key[wordBytes];
    char value[wordBytes];
    while (readLine(line, tilesetLineBytes, file)) {
        if (isCommentLine(line))
            continue;
        // A line without both words (or with a word too long to be a name)
        // is ignored instead of borrowing the value of the line before.
        const char* rest;
        if (!scanWord(line, key, sizeof key, &rest) || !scanWord(rest, value, sizeof value, nullptr))
            continue;

        if (std::strcmp(key, "base") == 0) {
            baseFolder = value;
            accentFolder = baseFolder + "accent/";
        } else if (std::strcmp(key, "ext") == 0) {
            extension = value;
        } else {
            int n = 0;
            scanInt(key, &n, nullptr);
            // Keys outside 1..100 have no table entry and are ignored.
            if (n < 1 || n > tileNumbers)
                continue;
            // A number defined again replaces its pictures. The earlier ones
            // used to stay allocated, never drawn, until the game ended; no
            // cell points at them yet (the rows are read after the tileset),
            // so they are freed here.
            delete getBaseTile(n - 1);
            delete getAccentTile(n - 1);
            SpriteAnim* base = new SpriteAnim;
            setBaseTile(base, n - 1);
            SpriteAnim* accent = new SpriteAnim;
            setAccentTile(accent, n - 1);
            const std::string basePath = baseFolder + value + "." + extension;
            const std::string accentPath = accentFolder + value + "." + extension;
            base->loadSingle(basePath.c_str());
            accent->loadSingle(accentPath.c_str());
        }
    }
    std::fclose(file);
    return true;
}

void TileMap::setBaseTile(SpriteAnim* anim, int index)
{
    if (index >= 0 && index < tileNumbers)
        baseTiles[index] = anim;
}

void TileMap::setAccentTile(SpriteAnim* anim, int index)
{
    if (index >= 0 && index < tileNumbers)
        accentTiles[index] = anim;
}

SpriteAnim* TileMap::getBaseTile(int i) const
{
    return i >= 0 && i < tileNumbers ? baseTiles[i] : nullptr;
}

SpriteAnim* TileMap::getAccentTile(int i) const
{
    return i >= 0 && i < tileNumbers ? accentTiles[i] : nullptr;
}

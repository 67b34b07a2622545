// Map header and row parser: any map file next to a good tileset loads or
// is refused; a loaded grid answers the marker and collision queries and
// draws at both ends of its scroll range.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "fuzzFiles.h"
#include "graphics/anim.h"
#include "support/fakeGraphics.h"
#include "support/fakeWorld.h"
#include "world/map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InScratchFolder scratch;
    static const bool tilesetWritten = [] {
        writeScratchText("data/tilesets/t.txt", "base gfx/tiles/\next bmp\n1 brick\n2 brick\n11 brick\n");
        writeScratchText("gfx/tiles/brick.bmp", "");
        writeScratchText("gfx/tiles/accent/brick.bmp", "");
        return true;
    }();
    (void)tilesetWritten;
    writeScratchFile("data/maps/maplvl1.map", data, size);
    resetFakeGraphics();
    fakeTileColours.clear();

    // Built afresh for every input in the same static storage: a TileMap is
    // about 150 KB, and a new heap block each time costs more than the parse.
    alignas(TileMap) static unsigned char storage[sizeof(TileMap)];
    TileMap* map = new (storage) TileMap;
    if (map->loadMap("data/maps")) {
        for (int i = 0; i <= map->getMarkerCount(); i++) {
            int column = -1;
            int row = -1;
            map->findMarker(i, &column, &row);
            if (i < map->getMarkerCount() && !(column >= 0 && row >= 0 && map->cells[column][row].kind == 2))
                std::abort();
        }
        for (int c = -1; c <= map->getWidth(); c++)
            map->isSolid(c, c % 16);
        map->drawTileMap(0, 255);
        map->drawTileMap(map->getWidth() * tileSize - 640, 100);
    }
    for (int c = 0; c < maxMapWidth; c++) {
        for (int r = 0; r < mapRows; r++) {
            delete map->cells[c][r].baseCursor;
            delete map->cells[c][r].accentCursor;
        }
    }
    for (int i = 0; i < tileNumbers; i++) {
        delete map->getBaseTile(i);
        delete map->getAccentTile(i);
    }
    map->~TileMap();
    return 0;
}

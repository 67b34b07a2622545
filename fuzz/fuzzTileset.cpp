// Tileset parser: any file fills the tile tables or leaves them empty, and
// every picture it made is freed again.
#include <cstdint>
#include <new>

#include "fuzzFiles.h"
#include "graphics/anim.h"
#include "support/fakeGraphics.h"
#include "world/map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InScratchFolder scratch;
    writeScratchText("gfx/tiles/brick.bmp", "");
    writeScratchText("gfx/tiles/accent/brick.bmp", "");
    writeScratchFile("input.txt", data, size);
    resetFakeGraphics();

    // Built afresh for every input in the same static storage (a TileMap is
    // about 150 KB; a new heap block each time would cost more than the parse).
    alignas(TileMap) static unsigned char storage[sizeof(TileMap)];
    TileMap* map = new (storage) TileMap;
    map->loadTileset("input.txt");
    for (int i = 0; i < tileNumbers; i++) {
        delete map->getBaseTile(i);
        delete map->getAccentTile(i);
    }
    map->~TileMap();
    return 0;
}

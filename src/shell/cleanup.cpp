// Shutdown cleanup. Textures and most display lists are left to the end of the
// process; only what is listed here is released, in this order.
#include "shell/cleanup.h"

#include "audio/fsound.h"
#include "audio/sound.h"
#include "graphics/anim.h"
#include "graphics/font.h"
#include "world/map.h"

// 1. Tile tables: base then accent entry of each tile number 0..99. A tile
// number the tileset never defined has no entries and is skipped.
static void releaseTileTables()
{
    for (int i = 0; i < 100; i++) {
        delete tileMap.getBaseTile(i);
        delete tileMap.getAccentTile(i);
    }
}

// 2-5 and 8. The first player's nine body animations, its cursors, the sword
// animations and cursor, the second character's cursor.
// Nothing to release until the characters are in the game.
static void releasePlayerSprites() {}

// 6. Each enemy slot's three animations and its cursor.
// Nothing to release until the enemies are in the game.
static void releaseEnemySprites() {}

// 7. Each bullet slot's cursor.
// Nothing to release until the bullets are in the game.
static void releaseBulletCursors() {}

void cleanup()
{
    releaseTileTables();
    releasePlayerSprites();
    releaseEnemySprites();
    releaseBulletCursors();
    // 9-10. Sound handles go to the sound layer unchanged, null ones included.
    FSOUND_Stream_Close(musicStream);
    musicStream = nullptr;
    for (int i = 0; i < 3; i++)
        FSOUND_Sample_Free(samples[i]);
    // 11. The font's 256 glyph lists.
    deleteFont();
}

// Shutdown cleanup. Textures and most display lists are left to the end of the
// process; only what is listed here is released, in this order.
#include "shell/cleanup.h"

#include "actors/bullets.h"
#include "actors/enemies.h"
#include "actors/player.h"
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
        tileMap.setBaseTile(nullptr, i); // nothing is left pointing at a freed picture
        delete tileMap.getAccentTile(i);
        tileMap.setAccentTile(nullptr, i);
    }
}

// 2-5. The first player's nine body animations, its body cursor and the
// second character's cursor, the sword animations and the sword cursor.
static void releasePlayerSprites()
{
    SpriteAnim** bodyAnims[] = {&player.animLeft,     &player.animRight,     &player.animUpLeft,
                                &player.animUpRight,  &player.animDownLeft,  &player.animDownRight,
                                &player.animLeftD,    &player.animRightD,    &player.animDeath};
    for (SpriteAnim** anim : bodyAnims) {
        delete *anim;
        *anim = nullptr;
    }
    delete player.cursor;
    delete altCursor;
    delete player.swordLeft;
    delete player.swordRight;
    delete player.swordCursor;
}

// 6. Each placed enemy slot's three animations and its cursor; empty slots
// hold nothing and are skipped.
static void releaseEnemySprites()
{
    for (Enemy& enemy : enemies) {
        if (enemy.normalAnim != nullptr) {
            delete enemy.normalAnim;
            delete enemy.hurtAnim;
            delete enemy.dieAnim;
            enemy.normalAnim = nullptr;
            enemy.hurtAnim = nullptr;
            enemy.dieAnim = nullptr;
        }
        delete enemy.cursor;
        enemy.cursor = nullptr;
    }
}

// 7. Each bullet slot's sprite cursor (the overlay cursors stay to the end).
static void releaseBulletCursors()
{
    for (Bullet& bullet : bullets) {
        delete bullet.cursor;
        bullet.cursor = nullptr;
    }
}

// 8. The pointers freed in steps 3 to 5.
static void forgetPlayerCursors()
{
    player.cursor = nullptr;
    altCursor = nullptr;
    player.swordLeft = nullptr;
    player.swordRight = nullptr;
    player.swordCursor = nullptr;
}

void cleanup()
{
    releaseTileTables();
    releasePlayerSprites();
    releaseEnemySprites();
    releaseBulletCursors();
    forgetPlayerCursors();
    // 9-10. Sound handles go to the sound layer unchanged, null ones included.
    FSOUND_Stream_Close(musicStream);
    musicStream = nullptr;
    for (int i = 0; i < 3; i++)
        FSOUND_Sample_Free(samples[i]);
    // 11. The font's 256 glyph lists.
    deleteFont();
}

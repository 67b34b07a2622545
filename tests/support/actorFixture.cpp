// Actor test set-up: loading once, resetting for every test.
#include "support/actorFixture.h"

#include <initializer_list>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "graphics/anim.h"
#include "support/testUtil.h"
#include "world/map.h"

namespace {

template <typename T>
void release(T*& object)
{
    delete object;
    object = nullptr;
}

} // namespace

void releaseActorSprites()
{
    for (SpriteAnim** anim : {&player.animLeft, &player.animRight, &player.animUpLeft, &player.animUpRight,
                              &player.animDownLeft, &player.animDownRight, &player.animLeftD, &player.animRightD,
                              &player.animDeath, &player.swordLeft, &player.swordRight, &altAnim, &orbImage,
                              &orbOverlay, &cardImage, &cardOverlay, &spikeImage, &spikeOverlay, &ovalImage,
                              &ovalOverlay})
        release(*anim);
    release(player.cursor);
    release(player.swordCursor);
    release(altCursor);
    for (Bullet& b : bullets) {
        release(b.cursor);
        release(b.overlayCursor);
    }
}

void resetActors()
{
    // Loaded on first use, and again after a test ran the shutdown cleanup.
    if (player.cursor == nullptr || bullets[0].cursor == nullptr) {
        releaseActorSprites();
        ScopedTempDir empty;
        StdoutCapture quiet; // every sprite file is missing here
        loadPlayers();
        initBullets();
        quiet.stop();
    }
    resetPlayerState();
    player.hurtTime = 0;
    player.attackStartTime = 0;
    for (Bullet& b : bullets) {
        AnimCursor* cursor = b.cursor;
        AnimCursor* overlay = b.overlayCursor;
        b = Bullet();
        b.cursor = cursor;
        b.overlayCursor = overlay;
    }
    for (Enemy& e : enemies) {
        delete e.normalAnim;
        delete e.hurtAnim;
        delete e.dieAnim;
        delete e.cursor;
        e = Enemy();
    }
    volleyCount = 1;
    lastFireReset = 0;
    fireClockStarted = false;
    for (Particle& p : particles)
        p = Particle();
    scrollX = 0;
}

void setTestMap(const std::vector<std::string>& rows)
{
    for (auto& column : tileMap.cells)
        for (MapCell& cell : column)
            cell.kind = 0;
    tileMap.mapWidth = rows.empty() ? 20 : static_cast<int>(rows[0].size());
    tileMap.mapHeight = mapRows;
    tileMap.markerCount = 0;
    for (size_t r = 0; r < rows.size(); r++) {
        for (size_t c = 0; c < rows[r].size(); c++) {
            const char ch = rows[r][c];
            int kind = ch == '#' ? 1 : (ch == 'E' ? 2 : 0);
            tileMap.cells[c][r].kind = kind;
            if (kind == 2)
                tileMap.markerCount++;
        }
    }
}

void releaseLevel()
{
    for (int i = 0; i < tileNumbers; i++) {
        release(tileMap.baseTiles[i]);
        release(tileMap.accentTiles[i]);
    }
    for (auto& column : tileMap.cells) {
        for (MapCell& cell : column) {
            release(cell.baseCursor);
            release(cell.accentCursor);
        }
    }
}

void placeEnemy(int i, int x, int y)
{
    Enemy& e = enemies[i];
    e.x = x;
    e.y = y;
    e.dead = false;
    e.normalAnim = new SpriteAnim();
    e.hurtAnim = new SpriteAnim();
    e.dieAnim = new SpriteAnim();
    e.cursor = new AnimCursor();
    e.cursor->set(e.normalAnim);
}

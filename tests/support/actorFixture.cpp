// Actor test set-up: loading once, resetting for every test.
#include "support/actorFixture.h"

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "graphics/anim.h"
#include "support/testUtil.h"
#include "world/map.h"

void resetActors()
{
    static bool loaded = false;
    if (!loaded) {
        ScopedTempDir empty;
        StdoutCapture quiet; // every sprite file is missing here
        loadPlayers();
        initBullets();
        quiet.stop();
        loaded = true;
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

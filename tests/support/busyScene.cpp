// The busiest realistic playing frame (see busyScene.h).
#include "support/busyScene.h"

#include <random>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "graphics/anim.h"
#include "shell/states.h"
#include "world/map.h"

void placeEveryEnemySlot()
{
    for (Enemy& enemy : enemies) {
        enemy.x = 0;
        enemy.y = 1;
    }
}

void emptyUnplacedEnemySlots(int markers)
{
    for (int i = markers; i < enemySlots; i++) {
        enemies[i].x = -1;
        enemies[i].dead = true;
    }
}

int picturesAt(int scroll)
{
    int count = 0;
    const int first = scroll / tileSize;
    for (int c = first; c < first + visibleColumns && c < tileMap.mapWidth; c++) {
        for (int r = 0; r < tileMap.mapHeight; r++) {
            const MapCell& cell = tileMap.cells[c][r];
            for (AnimCursor* cursor : {cell.baseCursor, cell.accentCursor})
                count += cursor != nullptr && cursor->getAnim() != nullptr && cursor->getAnim()->width > 0;
        }
    }
    return count;
}

int busiestScroll()
{
    int best = 0;
    int most = picturesAt(0);
    for (int scroll = 1; scroll <= tileMap.mapWidth * tileSize - 640; scroll++) {
        const int n = picturesAt(scroll);
        if (n > most) {
            most = n;
            best = scroll;
        }
    }
    return best;
}

void placeEnemiesInView(int scroll, int count)
{
    for (int i = 0; i < enemySlots; i++) {
        Enemy& enemy = enemies[i];
        enemy.x = i < count ? scroll + 12 + (i % 8) * 78 : -1;
        enemy.y = 40 + (i / 8) * 110;
        enemy.dead = i >= count;
        enemy.hurt = false;
    }
}

void fillPoolInView(int scroll, unsigned int seed, bool apart)
{
    std::mt19937 random(seed);
    clearBullets();
    for (int i = 0; i < bulletSlots; i++) {
        Bullet& b = bullets[i];
        const int shot = i % 3;
        if (apart) {
            if (i >= 99)
                break;
            // Cell centres, a few pixels off: a bullet's picture and outline,
            // turned any way, stay within 16 pixels of its position.
            b.x = scroll + 30 + (i % 11) * 56 + static_cast<double>(random() % 600) / 100.0;
            b.y = 28 + (i / 11) * 52 + static_cast<double>(random() % 600) / 100.0;
        } else {
            b.x = scroll + 8 + static_cast<double>(random() % 62400) / 100.0;
            b.y = 8 + static_cast<double>(random() % 46400) / 100.0;
        }
        b.active = true;
        b.owner = 1;
        b.width = b.height = shot == 1 ? 8 : 3;
        b.drawOffset = shot == 0 ? 6 : 0;
        b.angle = static_cast<double>(random() % 720) - 360.0;
        b.motion = motionStill;
        b.cursor->set(shot == 1 ? orbImage : spikeImage);
        b.overlayCursor->set(shot == 1 ? orbOverlay : spikeOverlay);
    }
}

void setUpBusiestFrame(int scroll)
{
    GameState = 3;
    scrollX = scroll;
    altActive = true;
    sceneBrightness = 0.15f; // where the second character's darkening settles
    altCursor->setPos(300, 220);
    timeBonusStart = 0;
    placeEnemiesInView(scroll, enemySlots);
    fillPoolInView(scroll, 7, false);
}

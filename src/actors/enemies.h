// The robot enemies: a fixed pool of 32 placed from the map's markers, their
// animations, the shared volley clock and the overlap queries of combat.
#pragma once

class AnimCursor;
class SpriteAnim;

// One robot. Stationary; its index in the pool is its identity (bullets carry
// index + 1 as their owner tag).
struct Enemy {
    int x = -1;                      // top-left of the hit box, world px; -1 marks an empty slot
    int y = -1;
    int width = 32;                  // hit box
    int height = 32;
    int health = 30;                 // the sword takes 10 per strike
    int maxHealth = 30;              // full health (nothing reads it)
    int reserved0 = 0;               // unused
    int reserved1 = 1;               // unused
    bool onScreen = false;           // inside the horizontal view in the latest drawn frame
    bool activated = false;          // the firing routine has seen this slot once
    bool hurt = false;               // hit flash, 1000 ms after a strike
    bool dead = true;                // dead, or an empty slot
    int hitTime = 0;                 // curTime of the latest strike; after death 0 until the corpse first shows
    SpriteAnim* normalAnim = nullptr; // "nenemy.kvs"
    SpriteAnim* hurtAnim = nullptr;   // "denemy.kvs", the hit flash
    SpriteAnim* dieAnim = nullptr;    // "dieenemy.kvs", ends on the wreck at frame 19
    AnimCursor* cursor = nullptr;     // playback; screen position
};

constexpr int enemySlots = 32;
constexpr int hitFlashMs = 1000;   // a struck enemy cannot be struck again this long
constexpr int corpseFrameMs = 1905; // the dying animation freezes on its wreck after this
constexpr int corpseFrame = 19;
constexpr int volleyStepMs = 200;  // one volley each time the clock passes a multiple of this

// ---- Globals ------------------------------------------------------------------------
extern Enemy enemies[enemySlots]; // the pool, constructed empty before main runs
extern int volleyCount;           // number of the next volley; 1 at start and after each first activation
extern int lastFireReset;         // curTime (ms) the volley clock counts from
extern bool fireClockStarted;     // the firing routine has run once (it then starts the clock)

// Places the enemies at the map's markers (reading order) and loads the
// sprites of every placed slot. Called once by main after the level.
void loadEnemies();
// Ends slot i's hit flash 1000 ms after its strike. Playing and dying
// updates, slots 0..31 in order, before the firing.
void expireEnemyHitFlash(int i);
// The firing routine for slot i: first activation, then a volley of three
// bullets whenever the shared clock passes the next 200 ms step. Playing and
// dying updates, slots 0..31 in order.
void updateEnemyFire(int i);
// Picks each slot's animation (normal, hit flash, dying, frozen wreck) and
// draws it; slots at or right of the view are skipped. Playing and dying draws.
void drawEnemies();

// First living enemy (lowest index) whose box overlaps the given box, edges
// inclusive; -1 if none.
int findEnemyOverlapping(int x, int y, int width, int height);
// The same against the first player's box, the second character's box and
// the sword box. Called by the hit tests.
int findTouchedEnemy();
int findTouchedEnemyAlt();
int findSwordTarget();

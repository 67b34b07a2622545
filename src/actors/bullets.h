// Bullets: one fixed pool of 1000 slots that the enemies' volleys fill, the
// five motion kinds, culling, hits on the character in play and drawing.
#pragma once

class AnimCursor;
class SpriteAnim;

// Motion kinds of a bullet.
enum BulletMotion {
    motionStraight = 0,    // by vx, vy (or by angle and speed when either is 0)
    motionOrbitRising = 1, // circles its origin, angle growing by speed degrees per tick
    motionOrbitFalling = 2,
    motionStill = 3,
    motionAimed = 4,       // aims at the character in play on its first step, then straight
};

// One projectile. Positions are world px (doubles), the hit box is the
// rectangle from (x, y) of width x height.
struct Bullet {
    double x = 0.0;
    double y = 0.0;
    int width = 0;
    int height = 0;
    int drawOffset = 0;       // sprite drawn this many px left of and above the hit box
    bool active = false;      // slot in use
    int owner = 0;            // tag for removal; every volley is spawned with 1
    int patternIndex = 0;     // which shot of its volley, 1..3 (nothing reads it)
    int volley = 0;           // volley number at spawn (nothing reads it)
    int shotParamA = 0;       // pattern values (nothing reads them)
    int shotParamB = 0;
    double speed = 0.0;       // px per tick (straight, aimed) or degrees per tick (orbits)
    double vx = 0.0;          // straight velocity, px per tick
    double vy = 0.0;
    double angle = 0.0;       // degrees: straight heading without velocity, orbit phase, sprite turn
    int spawnOffset = 0;      // volley clock reading at spawn (nothing reads it)
    int radius = 0;           // orbit radius, px
    double originX = 0.0;     // orbit centre (the spawn point), world px
    double originY = 0.0;
    int motion = motionStraight;
    AnimCursor* cursor = nullptr;        // sprite playback, screen position; created by initBullets
    AnimCursor* overlayCursor = nullptr; // bound to the overlay picture (not drawn)
};

constexpr int bulletSlots = 1000;
// Degrees to radians and back, from pi taken as 3.141592654.
constexpr double degToRad = 0.017453292522222223;
constexpr double radToDeg = 57.29577950560105;

// ---- Globals --------------------------------------------------------------------------
extern Bullet bullets[bulletSlots]; // the pool; a slot is free while active is false
extern SpriteAnim* orbImage;        // "gfx/bullets/orb.bmp" and the seven others, loaded by initBullets
extern SpriteAnim* orbOverlay;
extern SpriteAnim* cardImage;
extern SpriteAnim* cardOverlay;
extern SpriteAnim* spikeImage;
extern SpriteAnim* spikeOverlay;
extern SpriteAnim* ovalImage;
extern SpriteAnim* ovalOverlay;

// Empties the pool, creates every slot's two cursors and loads the eight
// bullet pictures. Called once by main after the enemies.
void initBullets();
// One motion step of every active bullet. Playing update, after the firing.
void moveBullets();
// Culls bullets outside the view or on a solid tile, then returns the lowest
// active-at-entry index that touches the character in play (and frees it), or
// -1. Called by the character updates' hit tests.
int checkBulletHits();
// Draws every active bullet turned by its angle with a yellow outline of its
// hit box; a bullet at or right of the view's right edge is freed instead.
// Playing and dying draws, after the enemies.
void drawBullets();
// Frees every slot whose owner tag equals tag. Called when an enemy is killed.
void removeBulletsOfOwner(int tag);
// Frees every slot. Called by the respawn.
void clearBullets();
// Writes the indices of the first count free slots (lowest first) into out;
// returns how many were found, stopping at count.
int findFreeBullets(int* out, int count);

// ---- Platform side ----------------------------------------------------------------------
// Yellow (1, 1, 0.2) 1-px outline of a width x height box centred on the
// screen point (x, y); leaves texturing off and the colour (1, 1, 1).
// Called by drawBullets.
void drawHitBoxOutline(int x, int y, int width, int height);

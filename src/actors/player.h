// The two player characters: the first player (a Player record) and the
// small flying second character (the alt... globals).
#pragma once

class AnimCursor;
class SpriteAnim;

// The first player's state. Positions are world pixels, speeds pixels per
// tick, times curTime in ms truncated toward zero.
struct Player {
    int xpos = 0;             // left edge
    int ypos = 0;             // top edge
    int width = 0;            // hit-box width (30 once loaded)
    int height = 0;           // hit-box height (36 once loaded)
    bool inAir = false;       // rising or falling, not standing on ground
    bool jumpLatch = false;   // a jump has been used; cleared on landing with the button up
    bool facingRight = false; // faces right (false: left)
    bool attacking = false;   // a sword swing is in progress
    bool attackLatch = false; // the sword button started a swing and is still held
    bool hurt = false;        // in the 600 ms knock-back after a hit
    int hurtTime = 0;         // curTime of the latest hit
    bool visible = false;     // drawn this frame (blinks after a hit)
    int health = 0;           // hit points; a hit takes 10
    int maxHealth = 0;        // full hit points
    double vy = 0.0;          // vertical speed, positive downwards
    int dx = 0;               // horizontal speed: -2, 0, 2 walking, -1 or 1 in knock-back
    SpriteAnim* animLeft = nullptr;      // walking left
    SpriteAnim* animRight = nullptr;     // walking right
    SpriteAnim* animUpLeft = nullptr;    // rising, facing left
    SpriteAnim* animUpRight = nullptr;   // rising, facing right
    SpriteAnim* animDownLeft = nullptr;  // falling, facing left
    SpriteAnim* animDownRight = nullptr; // falling, facing right
    SpriteAnim* animLeftD = nullptr;     // knock-back pose
    SpriteAnim* animRightD = nullptr;    // knock-back pose
    SpriteAnim* animDeath = nullptr;     // death animation
    AnimCursor* cursor = nullptr;        // body playback; position is the body's screen position
    SpriteAnim* swordLeft = nullptr;     // sword effect to the left
    SpriteAnim* swordRight = nullptr;    // sword effect to the right
    AnimCursor* swordCursor = nullptr;   // sword effect playback
    int attackStartTime = 0;             // curTime when the current swing began
};

// ---- First player -----------------------------------------------------------
extern Player player; // the one first player; set up by loadPlayers

// ---- Second character ---------------------------------------------------------
extern int altX, altY;          // top-left of its square hit box, world px
extern int altSize;             // side of the hit box (4 once loaded)
extern int altDrawOffset;       // sprite drawn this many px left of and above the box
extern int altDx, altDy;        // speed, -1, 0 or 1 px per tick on each axis
extern int altTimeMax;          // full countdown, seconds
extern int altTimeLeft;         // remaining countdown, seconds; shown by the HUD
extern SpriteAnim* altAnim;     // its only animation
extern AnimCursor* altCursor;   // its playback; position is the sprite's screen position
extern bool altActive;          // the second character is the one in play

// Loads both characters' sprites (the set chosen by settings.swapP1) and sets
// the starting positions, lives, health and time. Called once by main after
// the sound start-up.
void loadPlayers();
// The loader's starting values without loading anything: positions, flags,
// health, lives, the second character's time, no popup, every cursor on its
// first animation. Called by loadPlayers (and by tests).
void resetPlayerState();

// ---- Movement (playing update) --------------------------------------------------
// Switch button: flips altActive and centres the newly active character on the
// other; the second character's turn arms its one-second countdown. Playing
// update, before the character update.
void switchCharacter();
// First player's tick: controls, hit tests, sword, movement, view, death.
// Playing update while altActive is false.
void updatePlayer();
// Moves the first player by dx and vy against the solid tiles; true when a
// wall stopped the horizontal move. Called by updatePlayer.
bool movePlayerStep(bool jumpHeld);
// Moves scrollX with the character in play (2 px walking, 1 in knock-back or
// flying) and clamps it to the level. Called by both character updates.
void scrollCamera();
// Second character's tick: controls, hit tests, flight, view. Playing update
// while altActive is true.
void updateAlt();

// ---- Drawing (playing and dying screens) -----------------------------------------
// Chooses the body and sword animations for this frame and places the sword
// beside the body. Playing draw, before drawPlayers.
void selectPlayerAnimation();
// Draws the character in play (the second one with its particle aura). Playing draw.
void drawPlayers();
// Draws the dying character: the death animation, or the explosion when the
// second character died. Dying draw.
void drawDyingPlayer();

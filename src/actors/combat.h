// Combat, damage and death: hits on both characters, the sword, the time
// bonus a kill earns, deaths, the respawn and the second character's particles.
#pragma once

// One dot of the second character's aura and explosion.
struct Particle {
    float life;    // 1.0 when born, falls by fade each drawn frame; also green, blue and alpha
    float fade;    // taken from life each drawn frame
    float red;     // colour; only red is drawn (green and blue follow life)
    float green;
    float blue;
    float offsetX; // offset from the second character's centre, px
    float offsetY;
    float velX;    // velocity in 1/2000 px per drawn frame
    float velY;
};

constexpr int particleCount = 400;

// ---- Globals ----------------------------------------------------------------------
extern Particle particles[particleCount]; // the aura and explosion dots; reset by resetParticles
extern int timeBonusStart;                // curTime (ms) the "+3" popup began; 0 = no popup
extern double timeBonusX;                 // popup start: the killed enemy's top-left, world px
extern double timeBonusY;

// Damage, durations and the sword box.
constexpr int hitDamage = 10;          // health a hit takes, from either side
constexpr int hurtMs = 600;            // knock-back after a hit
constexpr int invulnerableMs = 1500;   // no hit tests after a hit
constexpr int swingMs = 1450;          // one sword swing
constexpr int swordBoxSize = 25;       // the sword's square hit box
constexpr int killTimeBonus = 3;       // seconds a kill adds to the second character

// Starts a sword swing. Called by updatePlayer when the sword button is newly pressed.
void startSwing();
// The first player's hit tests while not in knock-back: touches, then the
// sword, then bullets (vulnerable), or the blinking after a hit. Called by updatePlayer.
void checkPlayerHits();
// Shows or hides the first player as the time since its latest hit says:
// blinking inside the recovery window, seen outside it. Called when play
// starts again from the title or the story, whose update is followed by a
// playing frame before any playing update.
void refreshPlayerVisibility();
// Knock-back, 10 damage, the swing cancelled. Called by checkPlayerHits.
void hitPlayer();
// A sword strike on enemy k: hit flash and 10 damage; a kill removes its
// bullets (owner tag k + 1), adds 3 s and starts the popup. Called by checkPlayerHits.
void strikeEnemy(int k);
// The second character's hit tests: one touch or bullet kills it. Called by updateAlt.
void checkAltHits();
// Any death: GameState 4 and the respawn timer (3820 ms). Called by both
// character updates and the countdown.
void startDeath();
// Dying-state tick of the first character: visible, no swing, death
// animation from frame 52. Dying update.
void updateDying();
// Puts the first player back at (150, 250) with full health and cleared
// flags. Called by the respawn timer.
void respawnPlayer();

// Prepares the 400 particles for an explosion from where they are. Called by
// main and whenever the second character dies.
void resetParticles();
// Draws and advances every particle around the second character's centre;
// the aura (explosion false) gives dead dots a new life, the explosion does not.
// Called by drawPlayers (aura) and drawDyingPlayer (explosion).
void drawParticles(bool explosion);
// Draws the rising, fading "+3" popup and ends it after 1000 ms. Called by
// the playing and dying draws while timeBonusStart is not 0.
void drawTimeBonus();

// ---- Platform side ----------------------------------------------------------------
// One additive 2x2 dot of pixelTexture centred on (x, y) in the colour
// (red, life, life, life); leaves blending and texturing off and the colour
// (1, 1, 1, 0.5). Called by drawParticles.
void drawParticleDot(float x, float y, float red, float life);

// The actor and world operations that the game states call each frame and on
// the game-event timer. The characters, enemies, bullets and the level scroll
// fill these in; until then each one does nothing.
#pragma once

// ---- Updates (playing and dying states) ---------------------------------------
// Switch button: hands control to the other character. Playing update, before the character.
void switchCharacter();
// First player's tick. Playing update while altActive is false.
void updatePlayer();
// Second character's tick. Playing update while altActive is true.
void updateAlt();
// Clears enemy slot index's hit mark 1000 ms after its hit. Playing and dying updates, slots 0..31.
void expireEnemyHitFlash(int index);
// Enemy slot index's firing routine. Playing and dying updates, slots 0..31, after the hit flashes.
void updateEnemyFire(int index);
// One motion step of every active bullet. Playing update, last actor step.
void moveBullets();
// Dying-state tick of the first character (visible, no attack, death animation). Dying update.
void updateDying();

// ---- Respawn (game-event timer value 4) ----------------------------------------------
// Puts the first player back at (150, 250) with full health and cleared flags.
void respawnPlayer();
// Makes every bullet slot inactive.
void clearBullets();
// Scrolls the level back to its left end (scrollX = 0).
void resetScroll();

// ---- Drawing (playing and dying screens) -------------------------------------------
// Chooses the body and sword animations for this frame. Playing draw, before drawPlayers.
void selectPlayerAnimation();
// Draws the character in play. Playing draw.
void drawPlayers();
// Draws the dying character: death animation or explosion. Dying draw.
void drawDyingPlayer();
// Draws the rising, fading time-bonus popup while one is showing. Playing and dying draws.
void drawTimeBonus();
// Draws every enemy slot with its normal, hit or dying animation. Playing and dying draws.
void drawEnemies();
// Draws every active bullet. Playing and dying draws, after the enemies.
void drawBullets();

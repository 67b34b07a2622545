// The busiest realistic playing frame of the shipped level, shared by the
// frame bench and the golden drawing test: the busiest tile screen, all 32
// enemies in view, the bullet pool full of bullets in view, the second
// character with its aura at the darkest shade, the HUD and the fps text.
// Needs the real game data loaded from the game folder.
#pragma once

// Call before loadGameData: every enemy slot counts as placed, so that all
// 32 load their sprites (slots the level places are moved by the loader).
void placeEveryEnemySlot();
// Empties the slots the level did not place (markers counts the level's).
void emptyUnplacedEnemySlots(int markers);

// Tile pictures the 21 columns at this scroll show (base and accent layers).
int picturesAt(int scroll);
// The scroll of the shipped level that shows the most tile pictures.
int busiestScroll();

// The first count slots alive in four rows of eight across the view at scroll.
void placeEnemiesInView(int scroll, int count);
// Every bullet slot active in view at scroll as the volleys fire them (spike,
// orb, spike), turned every which way. With apart, they sit on a grid where
// no two touch (11 x 9 cells of 56 x 52 pixels hold 99 of them; the rest of
// the pool is left free).
void fillPoolInView(int scroll, unsigned int seed, bool apart);
// The whole busiest frame: state 3 at scroll with the second character in
// play at the darkest shade, enemies and pool as above.
void setUpBusiestFrame(int scroll);

// The groups of files the asset generator writes, one function each.
#pragma once

// gfx/bg.jpg, gfx/storymap.jpg, gfx/gameover.jpg, gfx/yrere.bmp,
// gfx/timebonus.bmp, gfx/pixel.bmp
void writeSharedPictures();
// gfx/player/{walk,jump,sword,alt,explode}: both looks of the first player,
// the sword effects and the flying second character.
void writePlayerSprites();
// gfx/enemy: the robot's normal, hit and dying animations.
void writeEnemySprites();
// gfx/bullets: four bullet pictures and their glow overlays.
void writeBulletPictures();
// gfx/tiles, data/tilesets and data/maps/maplvl1.map.
void writeLevel();
// data/delay2.ogg, data/meow.wav, data/barkbark.wav.
void writeSounds();

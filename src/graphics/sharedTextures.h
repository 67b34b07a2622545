// Pictures shared by several screens and actors: created by the shell at
// start-up (loadSharedTextures), never freed.
#pragma once

struct Texture;

extern Texture* bgTexture;        // "gfx/bg.jpg", the scrolling background
extern Texture* storyMapTexture;  // "gfx/storymap.jpg", story screen picture
extern Texture* emblemTexture;    // "gfx/yrere.bmp", rotating emblem (story, game over)
extern Texture* timeBonusTexture; // "gfx/timebonus.bmp", time bonus popup
extern Texture* gameOverTexture;  // "gfx/gameover.jpg", game-over picture
extern Texture* pixelTexture;     // "gfx/pixel.bmp", death-particle dot

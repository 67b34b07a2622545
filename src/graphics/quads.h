// Drawing pictures as textured quads in the 640x480 screen space.
#pragma once

struct Texture;

extern float bgScroll;      // background layer offset in picture widths, starts 0.0
extern float overlayScroll; // overlay layer offset in picture widths, starts 0.5

// Compiles the quad of a BMP picture (bottom row at t = 0) into a new display list.
void makeQuadList(unsigned int* list, int w, int h);
// Compiles the quad of a JPEG picture (top row at t = 0) into a new display list.
void makeQuadListFlipped(unsigned int* list, int w, int h);
void drawTexture(Texture* texture, int x, int y);
void drawTextureRotated(Texture* texture, int x, int y, float angle);
void drawTextureBlended(Texture* texture, int x, int y, int alpha);
void drawBackground();
void drawBackgroundOverlay();

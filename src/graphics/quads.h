// Drawing pictures as textured quads in the 640x480 screen space.
#pragma once

struct Texture;

extern float bgScroll;      // background layer offset in picture widths, starts 0.0; drawBackground
extern float overlayScroll; // overlay layer offset in picture widths, starts 0.5; drawBackgroundOverlay

// Compiles the quad of a BMP picture (bottom row at t = 0) into a new display
// list stored in *list. Called by the picture loaders once per picture.
void makeQuadList(unsigned int* list, int w, int h);
// Compiles the quad of a JPEG picture (top row at t = 0) into a new display list.
void makeQuadListFlipped(unsigned int* list, int w, int h);
// Draws the picture with its top-left corner at (x, y); leaves texturing on.
// A null texture or one without a texture name draws nothing.
void drawTexture(Texture* texture, int x, int y);
// Draws the picture centred on (x, y), turned clockwise by angle degrees,
// with t = 0 at its top edge (so a BMP shows mirrored top to bottom).
void drawTextureRotated(Texture* texture, int x, int y, float angle);
// Adds the picture onto the screen weighted by alpha / 255; alpha 25 or less
// is removed by the alpha test. Leaves blending off and colour (1, 1, 1, 0.5).
void drawTextureBlended(Texture* texture, int x, int y, int alpha);
// Draws bgTexture as a 640-wide strip from y = 120 and advances bgScroll.
// Called once per frame by the playing screens, in the caller's colour.
void drawBackground();
// Adds a blue-tinted full-screen copy of bgTexture and advances overlayScroll.
// Leaves blending off and colour (1, 1, 1, 0.5).
void drawBackgroundOverlay();

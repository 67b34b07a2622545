// Textured quads.
#include "graphics/quads.h"

float bgScroll = 0.0f;
float overlayScroll = 0.5f;

void makeQuadList(unsigned int*, int, int) {}
void makeQuadListFlipped(unsigned int*, int, int) {}
void drawTexture(Texture*, int, int) {}
void drawTextureRotated(Texture*, int, int, float) {}
void drawTextureBlended(Texture*, int, int, int) {}
void drawBackground() {}
void drawBackgroundOverlay() {}

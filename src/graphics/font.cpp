// Bitmap font.
#include "graphics/font.h"

#include "graphics/image.h"

unsigned int fontTexture = 0;
unsigned int fontBase = 0;

int loadFont()
{
    int width = 0, height = 0;
    return loadBmpTexture("gfx/fonts/glFont.bmp", &fontTexture, &width, &height) ? 1 : 0;
}
void buildFont() {}
void deleteFont() {}
void printText(int, int, int, const char*, ...) {}
int printTextColor(int, int, int, float, float, float, float, float, const char*, ...) { return 0; }

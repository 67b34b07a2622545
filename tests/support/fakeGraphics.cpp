// Graphics platform functions replaced for the unit tests: a BMP "loads" when
// the file exists, and draws are only counted.
#include "support/fakeGraphics.h"

#include <sys/stat.h>

#include "graphics/image.h"
#include "graphics/quads.h"

std::vector<std::string> fakeBmpLoads;
int fakeBmpWidth = 32;
int fakeBmpHeight = 32;
int fakeDrawCalls = 0;

void resetFakeGraphics()
{
    fakeBmpLoads.clear();
    fakeBmpWidth = 32;
    fakeBmpHeight = 32;
    fakeDrawCalls = 0;
}

bool loadBmpTexture(const char* name, unsigned int* texId, int* width, int* height)
{
    static unsigned int nextId = 1;
    fakeBmpLoads.push_back(name);
    struct stat st;
    if (stat(name, &st) != 0)
        return false;
    *texId = nextId++;
    *width = fakeBmpWidth;
    *height = fakeBmpHeight;
    return true;
}

void makeQuadList(unsigned int* list, int, int)
{
    static unsigned int nextList = 1;
    *list = nextList++;
}

void makeQuadListFlipped(unsigned int* list, int w, int h)
{
    makeQuadList(list, w, h);
}

void drawTexture(Texture*, int, int) { fakeDrawCalls++; }
void drawTextureRotated(Texture*, int, int, float) { fakeDrawCalls++; }
void drawTextureBlended(Texture*, int, int, int) { fakeDrawCalls++; }

// Graphics platform functions replaced for the unit tests: a BMP "loads" when
// the file exists (and is not a folder), and draws are logged.
#include "support/fakeGraphics.h"

#include <sys/stat.h>

#include "graphics/drawBatch.h"
#include "graphics/image.h"
#include "graphics/quads.h"

std::vector<std::string> fakeBmpLoads;
int fakeBmpWidth = 32;
int fakeBmpHeight = 32;
int fakeDrawCalls = 0;
std::vector<FakeDraw> fakeDraws;
int fakeQuadLists = 0;

void resetFakeGraphics()
{
    fakeBmpLoads.clear();
    fakeBmpWidth = 32;
    fakeBmpHeight = 32;
    fakeDrawCalls = 0;
    fakeDraws.clear();
    fakeQuadLists = 0;
}

bool loadBmpTexture(const char* name, unsigned int* texId, int* width, int* height)
{
    static unsigned int nextId = 1;
    fakeBmpLoads.push_back(name);
    struct stat st;
    if (stat(name, &st) != 0 || !S_ISREG(st.st_mode))
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
    fakeQuadLists++;
}

void makeQuadListFlipped(unsigned int* list, int w, int h)
{
    makeQuadList(list, w, h);
}

static void logDraw(FakeDrawKind kind, Texture* texture, int x, int y, float angle, int alpha)
{
    fakeDrawCalls++;
    fakeDraws.push_back(FakeDraw{kind, texture, x, y, angle, alpha});
}

void drawTexture(Texture* texture, int x, int y)
{
    logDraw(FakeDrawKind::plain, texture, x, y, 0.0f, 0);
}

void drawTextureRotated(Texture* texture, int x, int y, float angle)
{
    logDraw(FakeDrawKind::rotated, texture, x, y, angle, 0);
}

void drawTextureBlended(Texture* texture, int x, int y, int alpha)
{
    logDraw(FakeDrawKind::blended, texture, x, y, 0.0f, alpha);
}

// Batches only change how draws reach the GL; the logged draws stay single.
void beginDrawBatch(DrawOrder) {}
void endDrawBatch() {}

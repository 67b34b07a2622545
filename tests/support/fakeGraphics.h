// Fakes of the graphics platform functions that logic calls; state the tests can set and read.
#pragma once

#include <string>
#include <vector>

struct Texture;

// Which draw function a logged draw went through.
enum class FakeDrawKind { plain, rotated, blended };

// One call of drawTexture, drawTextureRotated or drawTextureBlended.
struct FakeDraw {
    FakeDrawKind kind;
    Texture* texture;
    int x;
    int y;
    float angle; // drawTextureRotated only
    int alpha;   // drawTextureBlended only
};

extern std::vector<std::string> fakeBmpLoads; // names passed to loadBmpTexture, in order
extern int fakeBmpWidth;                        // size reported for every loaded BMP
extern int fakeBmpHeight;
extern int fakeDrawCalls;                       // drawTexture/Rotated/Blended calls
extern std::vector<FakeDraw> fakeDraws;         // the same calls with their arguments, in order
extern int fakeQuadLists;                       // makeQuadList/makeQuadListFlipped calls

// Clears the records and restores the default 32x32 size.
void resetFakeGraphics();

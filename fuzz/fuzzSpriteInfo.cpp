// Sprite info parser: an info file naming frames (two of which exist) loads
// or fails, and a cursor then plays whatever loaded for a while.
#include <cstdint>

#include "core/gameClock.h"
#include "fuzzFiles.h"
#include "graphics/anim.h"
#include "support/fakeGraphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InScratchFolder scratch;
    // The fake texture loader accepts any frame file that exists.
    writeScratchText("sprites/a.bmp", "");
    writeScratchText("sprites/b.bmp", "");
    writeScratchFile("sprites/input.kvs", data, size);
    resetFakeGraphics();

    SpriteAnim anim;
    anim.load("sprites", "input.kvs");
    AnimCursor cursor;
    cursor.set(&anim);
    for (int step = 0; step < 8; step++) {
        curTime = static_cast<float>(step) * 500.0f;
        cursor.draw();
        cursor.drawRotated(step * 45);
        cursor.setFrame(step * 3 - 4);
    }
    curTime = 0.0f;
    return 0;
}

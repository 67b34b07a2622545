// Cost of playing sprite animations: the frame advance and draw dispatch of
// AnimCursor against the game clock (draws go to the logging fake).
#include <benchmark/benchmark.h>

#include "core/gameClock.h"
#include "graphics/anim.h"
#include "graphics/image.h"
#include "support/fakeGraphics.h"

namespace {

// A four-frame animation of 100 ms frames built in memory.
struct FourFrameAnim {
    SpriteAnim anim;
    FourFrameAnim()
    {
        anim.frames = new SpriteFrame[4];
        for (int i = 0; i < 4; i++) {
            anim.frames[i].texture = new Texture();
            anim.frames[i].durationMs = 100;
        }
        anim.loaded = 1;
        anim.frameCount = 4;
        anim.framesReady = 4;
    }
};

// One game tick of 1000 cursors (the bullet pool), each advanced and drawn.
void bulletPoolTick(benchmark::State& state)
{
    FourFrameAnim four;
    static AnimCursor cursors[1000];
    for (int i = 0; i < 1000; i++) {
        cursors[i].set(&four.anim);
        cursors[i].setPos(i % 640, i % 480);
    }
    fakeDraws.reserve(1000);
    curTime = 0.0f;
    for (auto _ : state) {
        curTime += clockStep;
        fakeDraws.clear(); // keeps its capacity: no allocation in the loop
        for (AnimCursor& c : cursors)
            c.drawRotated(45);
        benchmark::DoNotOptimize(fakeDraws.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    curTime = 0.0f;
}
BENCHMARK(bulletPoolTick);

} // namespace

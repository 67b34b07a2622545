// Frame cost of the real game: start-up as the game does it, then update and
// draw frames of the title screen and of play (the level, background layers
// and readouts), each followed by the buffer swap. Prints the median and 95th
// percentile per frame, and counts heap allocations made by the game's own code
// during the measured frames (the frame path must not allocate).
//
// Run from the game folder under X: `cd build/game && ../bench/kvframetiming [frames]`
// (CTest runs it under a private Xvfb with a few frames as a smoke check).
#include <GL/glut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "shell/mainLoop.h"
#include "shell/states.h"

static long allocationCount = 0;
static bool countingAllocations = false;

// Bounds of this program's own code (GNU ld symbols). The game is linked in
// statically, so an allocation called from between them is the game's; the
// GL driver's are not counted (llvmpipe compiles a new shader variant, with
// many allocations, the first time it meets a new kind of primitive, such as
// a line clipped at the edge of the view, however long the warm-up ran).
extern "C" const char __executable_start;
extern "C" const char etext;

static bool fromOwnCode(const void* caller)
{
    const char* at = static_cast<const char*>(caller);
    return at >= &__executable_start && at < &etext;
}

// Every plain form of new and delete is replaced, so each pair stays matched
// (the GL driver allocates with the nothrow forms, for instance).
static void* countedAlloc(std::size_t size, const void* caller)
{
    if (countingAllocations && fromOwnCode(caller))
        allocationCount++;
    return std::malloc(size ? size : 1);
}

void* operator new(std::size_t size)
{
    if (void* p = countedAlloc(size, __builtin_return_address(0)))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    if (void* p = countedAlloc(size, __builtin_return_address(0)))
        return p;
    throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAlloc(size, __builtin_return_address(0));
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAlloc(size, __builtin_return_address(0));
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

struct Timing {
    double median;
    double p95;
    long allocations;
};

static Timing runFrames(int state, int frames)
{
    std::vector<double> ms;
    ms.reserve(frames);
    GameState = state;
    allocationCount = 0;
    for (int i = 0; i < frames; i++) {
        const auto start = std::chrono::steady_clock::now();
        countingAllocations = true;
        advanceClock();
        frameUpdated = false;
        updateFrame();
        drawFrame();
        glFinish();
        countingAllocations = false;
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], allocationCount};
}

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(20, atoi(argv[1])) : 1000;
    glutInit(&argc, argv);
    if (!initWindow())
        return 1;
    loadGameData();
    onReshape(640, 480);

    // Warm-up: the first textured frames compile Mesa's shaders, and so do
    // the first bullets and their outlines (the first volley flies after 200
    // ms of game time).
    runFrames(0, 10);
    runFrames(3, 40);

    const Timing title = runFrames(0, frames);
    const Timing play = runFrames(3, frames);
    printf("frames per scene: %d (one tick is 11.76 ms of game time)\n", frames);
    printf("title menu: median %.3f ms, p95 %.3f ms, allocations %ld\n", title.median, title.p95,
           title.allocations);
    printf("playing:    median %.3f ms, p95 %.3f ms, allocations %ld\n", play.median, play.p95,
           play.allocations);
    return (title.allocations == 0 && play.allocations == 0) ? 0 : 2;
}

// Cost of the per-frame draws in a real window (run under Xvfb): the tiles of
// the shipped level and a 40-character line of text. Each iteration ends with
// glFinish so the time includes llvmpipe's rasterising, not only the calls.
// The allocs/iter counter counts operator new calls made while drawing: the
// draw paths must not allocate.
#include <GL/glu.h>
#include <GL/glut.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "graphics/anim.h"
#include "graphics/font.h"
#include "world/map.h"

namespace {

long allocations = 0; // operator new calls since the start

const char line40[] = "Stock: 3   Time: 27   Score: 0012345 ok!";

// The game's drawing state: y-down 640x480 space, alpha test, neutral colour.
void beginFrame()
{
    glViewport(0, 0, 640, 479);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 480, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glAlphaFunc(GL_GREATER, 0.1f);
    glEnable(GL_ALPHA_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

// Cells with a base picture among the 21 columns drawn at this scroll.
int visiblePictures(int scroll)
{
    int count = 0;
    for (int c = scroll / tileSize; c < scroll / tileSize + visibleColumns && c < tileMap.mapWidth; c++)
        for (int r = 0; r < tileMap.mapHeight; r++)
            count += tileMap.cells[c][r].baseCursor != nullptr;
    return count;
}

// Tiles of the shipped level at scroll range(0) with shade range(1):
// 255 draws the base layer only, 100 both layers blended.
void drawShippedLevel(benchmark::State& state)
{
    const int scroll = static_cast<int>(state.range(0));
    const int shade = static_cast<int>(state.range(1));
    beginFrame();
    tileMap.drawTileMap(scroll, shade); // warm-up: first use of each texture
    glFinish();
    const long before = allocations;
    for (auto _ : state) {
        tileMap.drawTileMap(scroll, shade);
        glFinish();
    }
    state.counters["allocs/iter"] =
        benchmark::Counter(static_cast<double>(allocations - before) / state.iterations());
    state.counters["pictures"] = visiblePictures(scroll);
}
BENCHMARK(drawShippedLevel)->Args({0, 255})->Args({1234, 255})->Args({1234, 100})
    ->Unit(benchmark::kMicrosecond);

// One 40-character line in set range(0), plain and in colour.
void printFortyCharacters(benchmark::State& state)
{
    const int set = static_cast<int>(state.range(0));
    const bool coloured = state.range(1) != 0;
    beginFrame();
    const long before = allocations;
    for (auto _ : state) {
        if (coloured)
            printTextColor(1, 100, set, 0.0f, 1.0f, 1.0f, 2.0f, 2.0f, "%s", line40);
        else
            printText(10, 10, set, "%s", line40);
        glFinish();
    }
    state.counters["allocs/iter"] =
        benchmark::Counter(static_cast<double>(allocations - before) / state.iterations());
}
BENCHMARK(printFortyCharacters)->Args({0, 0})->Args({1, 0})->Args({0, 1})
    ->Unit(benchmark::kMicrosecond);

} // namespace

// Replacement allocation functions that count; GCC takes the free() in a
// replacement delete for a mismatch, which it is not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    allocations++;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop

int main(int argc, char** argv)
{
    static_assert(sizeof line40 - 1 == 40, "the benchmark line is 40 characters");
    // The level and its pictures are read from the generated game folder.
    if (chdir(KV_GAME_DIR) != 0) {
        std::fprintf(stderr, "cannot enter %s\n", KV_GAME_DIR);
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_ALPHA);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(640, 480);
    glutCreateWindow("kvglbench");
    if (!loadFont()) {
        std::fprintf(stderr, "cannot load the font\n");
        return 1;
    }
    buildFont();
    if (!tileMap.loadMap("data/maps")) {
        std::fprintf(stderr, "cannot load the level\n");
        return 1;
    }
    // The counter is live: loading allocated.
    std::fprintf(stderr, "operator new calls while loading: %ld\n", allocations);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The game's own costs, measured in one process with the real assets, the
// real start-up and the real frame path (GL under X):
//   - title and plain playing frames (update, draw, swap);
//   - the busiest realistic playing frame (the shipped level's busiest tile
//     screen at the second character's darkest shade, all 32 enemies on
//     screen, the bullet pool full of on-screen bullets, the aura, HUD and fps
//     text, both background layers) against the floor of a playing frame (the
//     two background layers alone), frames of the two scenes alternating so
//     that both meet the same load;
//   - the playing tick (updateFrame) with a full pool and 32 enemies;
//   - the screenshot encoder against libpng on the same captured frame;
//   - BMP and JPEG decoding of the shipped pictures;
// and counts heap allocations made by the game's own code while frames and
// ticks run (the frame path must not allocate).
//
// Run from the game folder under X: `cd build/game && ../bench/kvframetiming [frames]`
// (bench/perfSuite.py runs it together with the start-up and CPU figures;
// CTest runs it with a few frames to check the allocation count, no timing).
#include <GL/glut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#ifdef KV_HAVE_LIBPNG
#include <png.h>
#endif

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "graphics/anim.h"
#include "graphics/drawBatch.h"
#include "graphics/image.h"
#include "graphics/quads.h"
#include "graphics/screenshot.h"
#include "shell/mainLoop.h"
#include "shell/states.h"
#include "support/busyScene.h"
#include "world/map.h"

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

// GCC takes the free() in a replacement delete for a mismatch, which it is not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Timing {
    double median = 0.0;
    double p95 = 0.0;
    double cpu = 0.0; // CPU time of all the process's threads per frame, ms (paced runs only)
};

// CPU time of the whole process (the GL driver's threads included), ms.
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Timing summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2], samples[samples.size() * 95 / 100]};
}

// One whole tick of a state as the main loop runs it: clock, update, draw
// and swap, then glFinish so llvmpipe's rasterising is inside the time.
// paced: one frame per 11 ms tick as in the game, sleeping in between, so
// that the CPU time per frame includes what a frame costs after a pause
// (caches gone cold, the GL driver's threads woken); back to back otherwise.
Timing runFrames(int state, int frames, bool paced = false)
{
    std::vector<double> ms;
    GameState = state;
    const double cpuStart = processCpuMs();
    auto next = Clock::now();
    for (int i = 0; i < frames; i++) {
        if (paced) {
            next += std::chrono::milliseconds(11);
            std::this_thread::sleep_until(next);
        }
        const auto start = Clock::now();
        countingAllocations = true;
        advanceClock();
        frameUpdated = false;
        updateFrame();
        drawFrame();
        glFinish();
        countingAllocations = false;
        ms.push_back(msSince(start));
    }
    Timing t = summarise(ms);
    t.cpu = (processCpuMs() - cpuStart) / frames;
    return t;
}

// ---- The busiest frame (support/busyScene.h) ----------------------------------

// The floor of every playing frame: clear, the two full-screen background
// layers (plain and additive), swap.
void drawFloorFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor4f(sceneBrightness + 0.2f, sceneBrightness, sceneBrightness, 0.5f);
    drawBackground();
    drawBackgroundOverlay();
    glutSwapBuffers();
}

struct Comparison {
    Timing busiest;
    Timing floor;
    Timing unbatched; // the busiest frame drawn without draw batches, every fourth round
};

double timeFrame(const std::function<void()>& draw, bool count)
{
    const auto start = Clock::now();
    countingAllocations = count;
    draw();
    glFinish();
    countingAllocations = false;
    return msSince(start);
}

// The scenes frame by frame in turn: the busiest frame, the floor, and in
// every fourth round the busiest frame the straightforward way.
Comparison compareBusiestWithFloor(int frames)
{
    std::vector<double> busiest, floor, unbatched;
    for (int i = 0; i < frames; i++) {
        busiest.push_back(timeFrame(drawFrame, true));
        floor.push_back(timeFrame(drawFloorFrame, true));
        if (i % 4 == 0) {
            drawBatching = false;
            unbatched.push_back(timeFrame(drawFrame, false));
            drawBatching = true;
        }
    }
    return {summarise(busiest), summarise(floor), summarise(unbatched)};
}

// ---- The playing tick ----------------------------------------------------------

// A full pool of moving bullets and 32 enemies around the first player, who
// stands clear of them all; each sample starts from this same state.
struct TickScene {
    Bullet pool[bulletSlots];
    Player body;
};

// Shots as the volleys fire them: spike, orb, spike.
void setShot(Bullet& b, int shot)
{
    b.active = true;
    b.owner = 1;
    b.width = b.height = shot == 1 ? 8 : 3;
    b.drawOffset = shot == 0 ? 6 : 0;
    b.cursor->set(shot == 1 ? orbImage : spikeImage);
    b.overlayCursor->set(shot == 1 ? orbOverlay : spikeOverlay);
}

bool nearPlayer(double x, double y)
{
    const double margin = 24.0;
    return x > player.xpos - margin && x < player.xpos + player.width + margin && y > player.ypos - margin &&
           y < player.ypos + player.height + margin;
}

void setUpTick(TickScene& scene)
{
    GameState = 3;
    altActive = false;
    scrollX = 0;
    respawnPlayer();
    // Let the first player land and stand before the scene is taken, with
    // nothing flying yet.
    placeEnemiesInView(0, 0);
    for (int i = 0; i < 200; i++) {
        advanceClock();
        updateFrame();
        clearBullets();
    }
    placeEnemiesInView(0, enemySlots);
    for (Enemy& enemy : enemies) {
        if (nearPlayer(enemy.x, enemy.y) || nearPlayer(enemy.x + 32, enemy.y + 32))
            enemy.y += 150;
    }
    std::mt19937 random(9);
    for (int i = 0; i < bulletSlots; i++) {
        Bullet& b = bullets[i];
        const int shot = i % 3;
        setShot(b, shot);
        do {
            b.originX = 40 + random() % 560;
            b.originY = 40 + random() % 400;
            b.angle = random() % 360;
            if (shot == 2) { // the orbiting shot of each volley
                b.motion = motionOrbitRising;
                b.speed = 1.0;
                b.radius = 20 + random() % 100;
                b.x = b.originX + std::cos(b.angle * degToRad) * b.radius;
                b.y = b.originY + std::sin(b.angle * degToRad) * b.radius;
            } else { // the two aimed shots, already flying straight
                b.motion = motionStraight;
                b.speed = shot == 1 ? 2.0 : 1.0;
                b.vx = std::cos(b.angle * degToRad) * b.speed + 0.01;
                b.vy = std::sin(b.angle * degToRad) * b.speed + 0.01;
                b.x = b.originX;
                b.y = b.originY;
            }
        } while (nearPlayer(b.x, b.y) || b.x < 1 || b.x > 630 || b.y < 2 || b.y > 470);
    }
    std::copy(std::begin(bullets), std::end(bullets), std::begin(scene.pool));
    scene.body = player;
}

double tickNanoseconds(const TickScene& scene, int ticks)
{
    std::vector<double> ns;
    for (int i = 0; i < ticks; i++) {
        std::copy(std::begin(scene.pool), std::end(scene.pool), std::begin(bullets));
        player = scene.body;
        GameState = 3;
        advanceClock();
        const auto start = Clock::now();
        countingAllocations = true;
        updateFrame();
        countingAllocations = false;
        ns.push_back(msSince(start) * 1e6);
    }
    return summarise(ns).median;
}

// ---- The screenshot ---------------------------------------------------------------

std::string tempPath(const char* name)
{
    return "/tmp/kvframetiming-" + std::to_string(getpid()) + "-" + name;
}

#ifdef KV_HAVE_LIBPNG
// Reads back the RGB rows (top first) of a PNG written by the game.
std::vector<unsigned char> readPngRgb(const std::string& path)
{
    std::vector<unsigned char> rgb;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        rgb.clear();
    return rgb;
}

// libpng's high-level writer at its defaults (adaptive filters, zlib's
// default level), the way a program that just wants a PNG would write one.
bool libpngWrite(const std::string& path, const std::vector<unsigned char>& rgb, int width, int height)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; y++)
        rows[y] = const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * width * 3);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}
#endif

// A plain playing frame captured through the game's own F2 path, then both
// encoders on its pixels, reps times each in turn.
void compareScreenshot(int reps)
{
#ifdef KV_HAVE_LIBPNG
    const std::string shot = tempPath("shot.png");
    writePng(shot.c_str(), 640, 480);
    advanceClock();
    frameUpdated = false;
    updateFrame();
    drawFrame();
    const std::vector<unsigned char> rgb = readPngRgb(shot);
    if (rgb.size() != 640u * 480u * 3u) {
        printf("screenshot: the captured frame could not be read back\n");
        return;
    }
    std::vector<double> ours, theirs;
    const std::string ourFile = tempPath("ours.png"), theirFile = tempPath("libpng.png");
    for (int i = 0; i < reps; i++) {
        auto start = Clock::now();
        writePngFile(ourFile.c_str(), 640, 480, rgb.data());
        ours.push_back(msSince(start));
        start = Clock::now();
        libpngWrite(theirFile, rgb, 640, 480);
        theirs.push_back(msSince(start));
    }
    struct stat ourStat {}, theirStat {};
    stat(ourFile.c_str(), &ourStat);
    stat(theirFile.c_str(), &theirStat);
    const double ourMs = summarise(ours).median, theirMs = summarise(theirs).median;
    printf("screenshot: writePng %.2f ms (%ld bytes), libpng png_write_png %.2f ms (%ld bytes), "
           "ratio %.2f\n",
           ourMs, static_cast<long>(ourStat.st_size), theirMs, static_cast<long>(theirStat.st_size),
           ourMs / theirMs);
    std::remove(shot.c_str());
    std::remove(ourFile.c_str());
    std::remove(theirFile.c_str());
#else
    (void)reps;
    printf("screenshot: not measured (built without libpng)\n");
#endif
}

// ---- Decoding the shipped pictures ---------------------------------------------

void listPictures(const std::string& folder, std::vector<std::string>& bmps, std::vector<std::string>& jpegs)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "/" + name;
        struct stat st {};
        if (stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            listPictures(path, bmps, jpegs);
        else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0)
            bmps.push_back(path);
        else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jpg") == 0)
            jpegs.push_back(path);
    }
    closedir(dir);
}

long long fileBytes(const std::vector<std::string>& paths)
{
    long long total = 0;
    for (const std::string& p : paths) {
        struct stat st {};
        if (stat(p.c_str(), &st) == 0)
            total += st.st_size;
    }
    return total;
}

// Every picture decoded reps times; the median pass over all of them.
void measureDecoding(int reps)
{
    std::vector<std::string> bmps, jpegs;
    listPictures("gfx", bmps, jpegs);
    std::vector<double> bmpMs, jpegMs;
    long long bmpPixels = 0, jpegPixels = 0;
    for (int rep = 0; rep < reps; rep++) {
        bmpPixels = jpegPixels = 0;
        auto start = Clock::now();
        for (const std::string& path : bmps) {
            BmpImage image;
            if (loadBmp(path, image) == 0)
                bmpPixels += static_cast<long long>(image.width) * image.height;
        }
        bmpMs.push_back(msSince(start));
        start = Clock::now();
        for (const std::string& path : jpegs) {
            if (JpegImage* image = decodeJpegFile(path.c_str())) {
                jpegPixels += static_cast<long long>(image->width) * image->height;
                delete image;
            }
        }
        jpegMs.push_back(msSince(start));
    }
    const double bmpTime = summarise(bmpMs).median, jpegTime = summarise(jpegMs).median;
    printf("decoding: %zu BMP files (%lld bytes) in %.2f ms, %.1f Mpixel/s; "
           "%zu JPEG files (%lld bytes) in %.2f ms, %.1f Mpixel/s\n",
           bmps.size(), fileBytes(bmps), bmpTime, bmpPixels / bmpTime / 1000.0, jpegs.size(), fileBytes(jpegs),
           jpegTime, jpegPixels / jpegTime / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(20, atoi(argv[1])) : 2000;
    glutInit(&argc, argv);
    if (!initWindow())
        return 1;
    // Slots the level leaves empty load their sprites too; they stay empty
    // except in the busiest frame and the tick.
    placeEveryEnemySlot();
    loadGameData();
    const int placedEnemies = tileMap.getMarkerCount();
    onReshape(640, 480);

    // The plain scenes with the shipped level's own enemies only.
    std::vector<Enemy> shipped(enemies, enemies + enemySlots);
    emptyUnplacedEnemySlots(placedEnemies);
    // Warm-up: the first textured frames compile Mesa's shaders, and so do
    // the first bullets and their outlines (the first volley flies after 200
    // ms of game time).
    runFrames(0, 10);
    runFrames(3, 40);
    allocationCount = 0;
    const Timing title = runFrames(0, frames);
    const long titleAllocations = allocationCount;
    allocationCount = 0;
    const Timing play = runFrames(3, frames);
    const long playAllocations = allocationCount;
    // The CPU a second of each screen costs at the game's pace.
    const double titleCpu = runFrames(0, std::min(frames, 500), true).cpu;
    const double playCpu = runFrames(3, std::min(frames, 500), true).cpu;

    const int scroll = busiestScroll();
    setUpBusiestFrame(scroll);
    compareBusiestWithFloor(20); // warm-up
    allocationCount = 0;
    const Comparison frame = compareBusiestWithFloor(frames);
    const long busyAllocations = allocationCount;

    TickScene scene;
    setUpTick(scene);
    tickNanoseconds(scene, 50); // warm-up
    allocationCount = 0;
    const double tickNs = tickNanoseconds(scene, std::max(500, 2 * frames));
    const long tickAllocations = allocationCount;

    std::copy(shipped.begin(), shipped.end(), enemies);
    emptyUnplacedEnemySlots(placedEnemies);
    clearBullets();
    altActive = false;
    sceneBrightness = 1.0f;
    GameState = 3;

    printf("frames per scene: %d (one tick is 11 ms of real time, 11.76 ms of game time)\n", frames);
    printf("title menu: median %.3f ms, p95 %.3f ms, allocations %ld; paced, CPU %.3f ms a frame\n",
           title.median, title.p95, titleAllocations, titleCpu);
    printf("playing:    median %.3f ms, p95 %.3f ms, allocations %ld; paced, CPU %.3f ms a frame\n", play.median,
           play.p95, playAllocations, playCpu);
    printf("busiest playing frame: median %.3f ms, p95 %.3f ms, allocations %ld "
           "(scroll %d: %d tile pictures, %d enemies, %d bullets, 400 aura dots)\n",
           frame.busiest.median, frame.busiest.p95, busyAllocations, scroll, picturesAt(scroll), enemySlots,
           bulletSlots);
    printf("two-layer floor:       median %.3f ms, p95 %.3f ms\n", frame.floor.median, frame.floor.p95);
    printf("busiest frame without draw batches: median %.3f ms, p95 %.3f ms (%d frames)\n",
           frame.unbatched.median, frame.unbatched.p95, (frames + 3) / 4);
    printf("busiest / floor: median %.2f, p95 %.2f\n", frame.busiest.median / frame.floor.median,
           frame.busiest.p95 / frame.floor.p95);
    printf("playing tick, full pool and 32 enemies: median %.0f ns, allocations %ld\n", tickNs, tickAllocations);
    compareScreenshot(std::max(3, std::min(20, frames / 100)));
    measureDecoding(std::max(3, std::min(20, frames / 100)));
    const bool clean = titleAllocations == 0 && playAllocations == 0 && busyAllocations == 0 && tickAllocations == 0;
    return clean ? 0 : 2;
}

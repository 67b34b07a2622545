// Golden drawing test: busy scenes of the real game with the shipped pictures,
// each drawn twice by the real drawFrame: the straightforward way (draw
// batches off: every picture, dot, outline and glyph its own GL draw) and the
// fast way. The two frames must be equal to the bit, alpha included.
//
// The one difference allowed, by design of the bullets' batch (one call per
// bullet picture, then one for all outlines): where two bullets overlap,
// which one's picture or outline lies on top. Those pixels are left out of
// the comparison in the scenes with overlapping bullets; the other scenes
// keep their bullets apart and compare every pixel.
//
// This binary runs in the game folder under Xvfb with the real start-up. Its
// glutSwapBuffers replaces the library's (a link seam): it keeps the
// finished back buffer instead of showing it.
#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "core/settings.h"
#include "graphics/anim.h"
#include "graphics/drawBatch.h"
#include "graphics/image.h"
#include "graphics/imageTestHelpers.h"
#include "graphics/quads.h"
#include "shell/hud.h"
#include "shell/mainLoop.h"
#include "shell/menus.h"
#include "shell/states.h"
#include "support/busyScene.h"
#include "support/testUtil.h"
#include "world/map.h"

namespace {

std::vector<unsigned char> finished; // the last frame drawFrame finished: RGBA, bottom row first

void keepBackBuffer()
{
    finished.assign(640 * 480 * 4, 0);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, finished.data());
}

} // namespace

extern "C" void glutSwapBuffers(void)
{
    keepBackBuffer();
}

namespace {

// What drawing a frame changes besides the pixels; put back before each of
// the two drawings so that both start alike.
struct FrameInputs {
    float bg, overlay, brightness, fps, storyFadeValue, gameOverFadeValue;
    int fpsCount, storyAngleValue, gameOverAngleValue;
    Particle dots[particleCount];
    Bullet pool[bulletSlots];

    void take()
    {
        bg = bgScroll;
        overlay = overlayScroll;
        brightness = sceneBrightness;
        fps = fpsShown;
        fpsCount = fpsFrames;
        storyFadeValue = storyFade;
        storyAngleValue = storyAngle;
        gameOverFadeValue = gameOverFade;
        gameOverAngleValue = gameOverAngle;
        std::copy(std::begin(particles), std::end(particles), dots);
        std::copy(std::begin(bullets), std::end(bullets), pool);
    }
    void put() const
    {
        bgScroll = bg;
        overlayScroll = overlay;
        sceneBrightness = brightness;
        fpsShown = fps;
        fpsFrames = fpsCount;
        storyFade = storyFadeValue;
        storyAngle = storyAngleValue;
        gameOverFade = gameOverFadeValue;
        gameOverAngle = gameOverAngleValue;
        std::copy(std::begin(dots), std::end(dots), particles);
        std::copy(std::begin(pool), std::end(pool), bullets);
        std::srand(5); // the aura's new dots
        // What the previous frame's fps text leaves behind.
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glLoadIdentity();
    }
};

FrameInputs inputs;

struct Frames {
    std::vector<unsigned char> straightforward;
    std::vector<unsigned char> batched;
};

// draw once without and once with draw batches, from the same inputs.
template <typename Draw>
Frames drawBothWays(Draw draw)
{
    inputs.take();
    Frames frames;
    inputs.put();
    drawBatching = false;
    draw();
    frames.straightforward = finished;
    inputs.put();
    drawBatching = true;
    draw();
    frames.batched = finished;
    return frames;
}

Frames drawFrameBothWays()
{
    return drawBothWays([] { drawFrame(); });
}

// A scene drawn directly rather than through drawFrame: cleared first, kept after.
template <typename Draw>
Frames drawSceneBothWays(Draw scene)
{
    return drawBothWays([&] {
        glClear(GL_COLOR_BUFFER_BIT);
        scene();
        keepBackBuffer();
    });
}

// Pixels (as indices into a frame) where two or more bullets drawn now may
// cover the same spot: their pictures' and outlines' boxes, two pixels wider.
std::vector<bool> bulletOverlaps()
{
    std::vector<int> cover(640 * 480, 0);
    for (const Bullet& b : bullets) {
        if (!b.active || b.x >= scrollX + 640)
            continue;
        const int x = truncateToInt(b.x - b.drawOffset - scrollX);
        const int y = truncateToInt(b.y - b.drawOffset);
        const SpriteAnim* anim = b.cursor->getAnim();
        const int w = anim != nullptr ? anim->width / 2 : 0;
        const int h = anim != nullptr ? anim->height / 2 : 0;
        const int reach = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(w * w + h * h)))) + 2;
        int left = x - reach, right = x + reach, top = y - reach, bottom = y + reach;
        const int ox = x + b.drawOffset, oy = y + b.drawOffset;
        left = std::min(left, ox - b.width / 2 - 2);
        right = std::max(right, ox + b.width / 2 + 2);
        top = std::min(top, oy - b.height / 2 - 2);
        bottom = std::max(bottom, oy + b.height / 2 + 2);
        for (int sy = std::max(0, top); sy <= std::min(479, bottom); sy++)
            for (int sx = std::max(0, left); sx <= std::min(639, right); sx++)
                cover[sy * 640 + sx]++;
    }
    // Frame rows go bottom up, and the 640x480 window shows the 480 screen
    // rows in a 479-row viewport.
    std::vector<bool> overlaps(640 * 480, false);
    for (int row = 0; row < 480; row++) {
        const int sy = std::min(479, std::max(0, static_cast<int>((479.5 - row) * 480.0 / 479.0)));
        for (int sx = 0; sx < 640; sx++) {
            bool twice = false;
            for (int dy = -1; dy <= 1 && !twice; dy++) {
                const int y = std::min(479, std::max(0, sy + dy));
                twice = cover[y * 640 + sx] >= 2;
            }
            overlaps[row * 640 + sx] = twice;
        }
    }
    return overlaps;
}

struct Difference {
    int pixels = 0;          // differing pixels outside the allowed ones
    int allowed = 0;         // differing pixels where two bullets overlap
    int firstX = -1, firstY = -1;
};

Difference compare(const Frames& f, const std::vector<bool>* overlaps = nullptr)
{
    Difference d;
    EXPECT_EQ(f.straightforward.size(), f.batched.size());
    for (size_t i = 0; i + 3 < f.straightforward.size() && i + 3 < f.batched.size(); i += 4) {
        if (std::memcmp(&f.straightforward[i], &f.batched[i], 4) == 0)
            continue;
        const size_t pixel = i / 4;
        if (overlaps != nullptr && (*overlaps)[pixel]) {
            d.allowed++;
            continue;
        }
        if (d.pixels++ == 0) {
            d.firstX = static_cast<int>(pixel % 640);
            d.firstY = 479 - static_cast<int>(pixel / 640); // from the top, as on screen
        }
    }
    return d;
}

// Enough happens on screen that an empty or black frame cannot pass.
int distinctColours(const std::vector<unsigned char>& frame)
{
    std::vector<unsigned int> seen;
    for (size_t i = 0; i + 3 < frame.size() && seen.size() < 200; i += 4 * 97) {
        const unsigned int c = frame[i] | frame[i + 1] << 8 | frame[i + 2] << 16;
        if (std::find(seen.begin(), seen.end(), c) == seen.end())
            seen.push_back(c);
    }
    return static_cast<int>(seen.size());
}

int markers = 0; // enemies the shipped level places

struct GoldenDraw : ::testing::Test {
    void SetUp() override
    {
        GameState = 3;
        altActive = false;
        debugMode = false;
        settings.showControls = false;
        timeBonusStart = 0;
        sceneBrightness = 1.0f;
        resetParticles();
        clearBullets();
    }
};

// The frame the bench measures: busiest tile screen at the second
// character's shade, 32 enemies, 1000 bullets, the aura, HUD and fps text.
TEST_F(GoldenDraw, BusiestPlayingFrameDiffersOnlyWhereBulletsOverlap)
{
    setUpBusiestFrame(busiestScroll());
    const Frames f = drawFrameBothWays();
    const std::vector<bool> overlaps = bulletOverlaps();
    const Difference d = compare(f, &overlaps);
    EXPECT_EQ(d.pixels, 0) << "first at (" << d.firstX << ", " << d.firstY << ")";
    EXPECT_GT(distinctColours(f.batched), 50);
    std::printf("busiest frame: %d pixels differ where bullets overlap\n", d.allowed);
}

// Every screen of the level at full brightness and under the second
// character's darkening (shades 255, 229, 128 and 38), with 99 bullets that
// do not touch: every pixel must match.
TEST_F(GoldenDraw, EveryLevelScreenAtEveryShadeWithBulletsApartMatchesExactly)
{
    const int last = tileMap.mapWidth * tileSize - 640;
    for (int scroll = 0; scroll <= last; scroll += 288) {
        for (const float brightness : {1.0f, 229.5f / 255.0f, 128.5f / 255.0f, 0.15f}) {
            scrollX = scroll;
            altActive = brightness < 1.0f;
            altCursor->setPos(200, 150);
            // The frame moves the brightness one step before the tiles.
            sceneBrightness = brightness + (altActive ? 0.01f : 0.0f);
            placeEnemiesInView(scroll, enemySlots);
            fillPoolInView(scroll, static_cast<unsigned int>(scroll) + 1, true);
            const Frames f = drawFrameBothWays();
            const Difference d = compare(f);
            EXPECT_EQ(d.pixels, 0) << "scroll " << scroll << ", brightness " << brightness << ": first at ("
                                   << d.firstX << ", " << d.firstY << ")";
        }
    }
}

// Bullets alone, apart, at every whole angle from -360 to 359 degrees and
// many sub-pixel positions (39,600 of them): the turned pictures are where a
// last-bit slip in the vertex arithmetic would first show, in about one
// bullet in ten thousand (a fused multiply-add in clipSpace.cpp is caught).
TEST_F(GoldenDraw, BulletsAtEveryAngleMatchExactly)
{
    scrollX = 0;
    for (int round = 0; round < 400; round++) {
        fillPoolInView(0, 100u + static_cast<unsigned int>(round), true);
        for (int i = 0; i < 99; i++)
            bullets[i].angle = -360 + (round * 99 + i * 7) % 720;
        const Frames f = drawSceneBothWays([] { drawBullets(); });
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << "round " << round << ": first at (" << d.firstX << ", " << d.firstY << ")";
    }
}

// Bullets apart across an edge of the view, from just inside to half
// outside it, where the GL clips them.
TEST_F(GoldenDraw, BulletsOnTheEdgesOfTheViewMatchExactly)
{
    scrollX = 0;
    for (int round = 0; round < 200; round++) {
        const int edge = round % 4; // top, bottom, left, right
        const int count = edge < 2 ? 20 : 14;
        fillPoolInView(0, 300u + static_cast<unsigned int>(round), true);
        for (int i = 0; i < bulletSlots; i++)
            bullets[i].active = i < count;
        for (int i = 0; i < count; i++) {
            Bullet& b = bullets[i];
            const double along = 40 + i * 28 + round % 5;
            const double across = (round / 4) % 7 - 3 + (i % 5) * 0.25;
            b.x = edge < 2 ? along : (edge == 2 ? across : 640 + across - 8);
            b.y = edge < 2 ? (edge == 0 ? across : 480 + across) : along;
            b.angle = -360 + (round * 37 + i * 11) % 720;
        }
        const Frames f = drawSceneBothWays([] { drawBullets(); });
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << "round " << round << ": first at (" << d.firstX << ", " << d.firstY << ")";
    }
}

// The aura's and the explosion's dots spread around the second character
// standing at each edge and corner of the view, many of them half outside.
TEST_F(GoldenDraw, DotsAcrossTheEdgesOfTheViewMatchExactly)
{
    const int spots[8][2] = {{0, 240}, {636, 240}, {320, 0}, {320, 476}, {0, 0}, {636, 476}, {2, 470}, {630, 3}};
    std::srand(17);
    for (int round = 0; round < 32; round++) {
        altCursor->setPos(spots[round % 8][0] - altDrawOffset - altSize / 2,
                          spots[round % 8][1] - altDrawOffset - altSize / 2);
        for (Particle& p : particles) {
            p.offsetX = static_cast<float>(std::rand() % 8000) / 100.0f - 40.0f;
            p.offsetY = static_cast<float>(std::rand() % 8000) / 100.0f - 40.0f;
            p.life = static_cast<float>(std::rand() % 1000) / 1000.0f;
            p.red = static_cast<float>(std::rand() % 1000) / 1000.0f;
        }
        const bool explosion = round % 2 == 1;
        const Frames f = drawSceneBothWays([&] { drawParticles(explosion); });
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << "round " << round << ": first at (" << d.firstX << ", " << d.firstY << ")";
        EXPECT_GT(distinctColours(f.batched), 1);
    }
}

// Shades the game never reaches (1: accents only just added; 0: no bases,
// accents drawn plain), the tiles alone.
TEST_F(GoldenDraw, TilesAtTheFaintestShadesMatchExactly)
{
    const int scroll = busiestScroll();
    for (const int shade : {0, 1, 254}) {
        const Frames f = drawSceneBothWays([&] {
            glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
            tileMap.drawTileMap(scroll, shade);
        });
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << "shade " << shade << ": first at (" << d.firstX << ", " << d.firstY << ")";
    }
}

// A tile picture bigger than its cell overlaps the cells right of and below
// it, so the tiles keep their order: a 64 x 64 picture, striped so that every
// pixel of it shows, on every fourth cell of the right half of the view.
TEST_F(GoldenDraw, TilesBiggerThanTheirCellsMatchExactly)
{
    const int scroll = busiestScroll();
    std::string rows;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
            rows += std::string{static_cast<char>(x * 5), static_cast<char>(y * 5), static_cast<char>(200)};
    char folder[] = "/tmp/kvgolden-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/big.bmp";
    writeFile(file, makeBmp(64, 64, 24, "", rows));
    SpriteAnim big;
    ASSERT_EQ(big.loadSingle(file.c_str()), 0);
    std::remove(file.c_str());
    rmdir(folder);
    SpriteAnim* tall = &big;
    std::vector<std::pair<AnimCursor*, SpriteAnim*>> changed;
    int n = 0;
    // In the right half of the view, where every other picture has shown
    // already: drawn by picture, the big ones would come last and lie on
    // top of the cells that should cover their overhang.
    const int first = scroll / tileSize;
    for (int c = first + visibleColumns / 2; c < first + visibleColumns && c < tileMap.mapWidth; c++) {
        for (int r = 0; r < tileMap.mapHeight; r++) {
            AnimCursor* cursor = tileMap.cells[c][r].baseCursor;
            if (cursor != nullptr && n++ % 4 == 1) {
                changed.emplace_back(cursor, cursor->getAnim());
                cursor->set(tall);
            }
        }
    }
    for (const int shade : {255, 38}) {
        const Frames f = drawSceneBothWays([&] {
            glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
            tileMap.drawTileMap(scroll, shade);
        });
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << "shade " << shade << ": first at (" << d.firstX << ", " << d.firstY << ")";
    }
    for (auto& [cursor, anim] : changed)
        cursor->set(anim);
}

// The dying scene: tiles at full shade in whatever colour the last frame
// left, dead and living enemies, bullets apart, the time-bonus popup, and
// either the first player's death or the second character's explosion.
TEST_F(GoldenDraw, DyingScenesMatchExactly)
{
    const int scroll = busiestScroll();
    for (const bool second : {false, true}) {
        GameState = 4;
        scrollX = scroll;
        altActive = second;
        altCursor->setPos(320, 200);
        placeEnemiesInView(scroll, enemySlots);
        for (int i = 0; i < enemySlots; i += 3)
            enemies[i].dead = true;
        fillPoolInView(scroll, 3, true);
        timeBonusStart = clockStamp() > 0 ? clockStamp() : 1;
        timeBonusX = scroll + 100;
        timeBonusY = 200;
        const Frames f = drawFrameBothWays();
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << (second ? "explosion" : "first player") << ": first at (" << d.firstX << ", "
                               << d.firstY << ")";
        EXPECT_GT(distinctColours(f.batched), 20);
    }
}

// Text: the title menu, the options and controls screens, the debug clock
// and the controls help over play (both sets, plain and coloured, scaled).
TEST_F(GoldenDraw, MenusAndReadoutsMatchExactly)
{
    for (const int item : {0, 2, 5, 11}) {
        GameState = 0;
        menuItem = item;
        const Frames f = drawFrameBothWays();
        const Difference d = compare(f);
        EXPECT_EQ(d.pixels, 0) << "menu item " << item << ": first at (" << d.firstX << ", " << d.firstY << ")";
    }
    GameState = 3;
    scrollX = 0;
    debugMode = true;
    settings.showControls = true;
    const Frames f = drawFrameBothWays();
    const Difference d = compare(f);
    EXPECT_EQ(d.pixels, 0) << "readouts: first at (" << d.firstX << ", " << d.firstY << ")";
    menuItem = 0;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const char* game = std::getenv("KV_GAME_DIR");
    if (game == nullptr || chdir(game) != 0) {
        std::fprintf(stderr, "KV_GAME_DIR must name the game folder\n");
        return 1;
    }
    glutInit(&argc, argv);
    if (!initWindow())
        return 1;
    placeEveryEnemySlot();
    loadGameData();
    markers = tileMap.getMarkerCount();
    emptyUnplacedEnemySlots(markers);
    onReshape(640, 480);
    // Some time into the game, so that the animations have moved on.
    for (int i = 0; i < 300; i++)
        advanceClock();
    return RUN_ALL_TESTS();
}

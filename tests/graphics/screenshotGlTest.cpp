// Screenshots taken from a real frame under Xvfb, decoded by Pillow and
// compared with the pixels on screen.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/imageTestHelpers.h"
#include "graphics/screenshot.h"
#include "support/glTest.h"
#include "support/testUtil.h"

namespace {

void fillRect(int x, int y, int w, int h, float r, float g, float b)
{
    glColor4f(r, g, b, 1.0f);
    glBegin(GL_QUADS);
    glVertex2i(x, y);
    glVertex2i(x + w, y);
    glVertex2i(x + w, y + h);
    glVertex2i(x, y + h);
    glEnd();
}

// A frame with a horizontal and a vertical gradient and some flat blocks, so
// that a flipped, shifted or channel-swapped shot cannot pass.
void drawTestScene()
{
    glTestBeginFrame();
    glBegin(GL_QUADS);
    glColor4f(1, 0, 0, 1);
    glVertex2i(0, 0);
    glColor4f(0, 1, 0, 1);
    glVertex2i(640, 0);
    glColor4f(0, 0, 1, 1);
    glVertex2i(640, 480);
    glColor4f(1, 1, 1, 1);
    glVertex2i(0, 480);
    glEnd();
    fillRect(10, 10, 50, 30, 1, 1, 0);
    fillRect(580, 440, 60, 40, 0, 1, 1);
}

std::string rgbOf(const std::vector<unsigned char>& rgba)
{
    std::string rgb;
    rgb.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4)
        rgb.append(reinterpret_cast<const char*>(&rgba[i]), 3);
    return rgb;
}

} // namespace

TEST(ScreenshotGl, ShotHoldsThePixelsOnScreen)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    drawTestScene();
    pendingShot = ScreenshotRequest();

    // Nothing asked: nothing written.
    takePendingScreenshot();
    EXPECT_FALSE(fileExists("screenshot.png"));

    ASSERT_TRUE(writePng("screenshot.png", 640, 480));
    EXPECT_FALSE(fileExists("screenshot.png")); // written with the frame, not at the key press
    const auto start = std::chrono::steady_clock::now();
    takePendingScreenshot();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("640x480 shot from the back buffer: %.1f ms\n", took.count());
    EXPECT_FALSE(pendingShot.pending);
    ASSERT_TRUE(fileExists("screenshot.png"));

    const std::string screen = rgbOf(readScreen());
    const std::string decoded = pillowDecodeTopDown("screenshot.png", "decoded.rgb");
    ASSERT_EQ(decoded.substr(0, 8), "640 480\n");
    EXPECT_TRUE(decoded.compare(8, std::string::npos, screen) == 0);
    // And the picture is not blank: the yellow block is at the top left.
    EXPECT_EQ(decoded.substr(8 + (20 * 640 + 20) * 3, 3), std::string("\xff\xff\x00", 3));

    // The next frame, differently drawn, replaces the file.
    glTestBeginFrame();
    fillRect(0, 0, 640, 480, 0, 0, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    ASSERT_TRUE(writePng("screenshot.png", 640, 480));
    takePendingScreenshot();
    const std::string second = pillowDecodeTopDown("screenshot.png", "decoded.rgb");
    EXPECT_EQ(second.substr(8, 3), std::string("\x00\x00\xff", 3));
    EXPECT_EQ(second.substr(second.size() - 3), std::string("\x00\x00\xff", 3));

    // The capture leaves the pixel-store state as it found it.
    GLint pack = 0, unpack = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(pack, 8);
    EXPECT_EQ(unpack, 4);
}

TEST(ScreenshotGl, SmallerViewportIsScaledToTheFullShot)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    glTestBeginFrame();
    // The game picture in a 320 x 240 viewport in the window's lower left,
    // as after a resize: left half red, right half green, a blue bottom band.
    glViewport(0, 0, 320, 240);
    fillRect(0, 0, 320, 480, 1, 0, 0);
    fillRect(320, 0, 320, 480, 0, 1, 0);
    fillRect(0, 400, 640, 80, 0, 0, 1);

    pendingShot = ScreenshotRequest();
    ASSERT_TRUE(writePng("screenshot.png", 640, 480));
    takePendingScreenshot();
    glViewport(0, 0, 640, 480);

    const std::string decoded = pillowDecodeTopDown("screenshot.png", "decoded.rgb");
    ASSERT_EQ(decoded.substr(0, 8), "640 480\n");
    auto at = [&](int x, int y) { return decoded.substr(8 + (static_cast<size_t>(y) * 640 + x) * 3, 3); };
    EXPECT_EQ(at(100, 100), std::string("\xff\x00\x00", 3));
    EXPECT_EQ(at(500, 100), std::string("\x00\xff\x00", 3));
    EXPECT_EQ(at(100, 460), std::string("\x00\x00\xff", 3));
    EXPECT_EQ(at(600, 20), std::string("\x00\xff\x00", 3));
}

TEST(ScreenshotGl, GameViewportOneRowShortIsCapturedPixelForPixel)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    glTestBeginFrame();
    // The viewport the game sets in a 640x480 window is 640x479. Rows of
    // alternating colours show any stretching of the shot at once.
    glViewport(0, 0, 640, 479);
    glClearColor(0.0f, 1.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT); // the window's top row, outside the viewport, is green
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (int y = 0; y < 480; y++) {
        const float v = (y % 2) ? 1.0f : 0.0f;
        fillRect(0, y, 640, 1, v, 0.0f, 1.0f - v);
    }
    pendingShot = ScreenshotRequest();
    ASSERT_TRUE(writePng("screenshot.png", 640, 480));
    takePendingScreenshot();
    glViewport(0, 0, 640, 480);

    const std::string decoded = pillowDecodeTopDown("screenshot.png", "decoded.rgb");
    ASSERT_EQ(decoded.substr(0, 8), "640 480\n");
    EXPECT_TRUE(decoded.compare(8, std::string::npos, rgbOf(readScreen())) == 0);
    EXPECT_EQ(decoded.substr(8, 3), std::string("\x00\xff\x00", 3));
}

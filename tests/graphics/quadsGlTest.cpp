// Textured quads drawn into the test window and read back pixel by pixel.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "graphics/image.h"
#include "graphics/quads.h"
#include "graphics/sharedTextures.h"
#include "support/glTest.h"

namespace {

const Rgba red{255, 0, 0, 255};
const Rgba blue{0, 0, 255, 255};
const Rgba green{0, 255, 0, 255};
const Rgba white{255, 255, 255, 255};

// Texel colour of storage column x, storage row y (row 0 is at t = 0).
using TexelFn = std::function<Rgba(int x, int y)>;

// A w x h RGBA texture uploaded as stored (row 0 at t = 0), filtered like the
// game's BMP textures, with the upright or flipped quad list.
Texture makeTexture(int w, int h, const TexelFn& texel, bool flipped = false)
{
    std::vector<unsigned char> bytes;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const Rgba c = texel(x, y);
            bytes.insert(bytes.end(), {c.r, c.g, c.b, c.a});
        }
    }
    Texture t;
    glGenTextures(1, &t.texId);
    glBindTexture(GL_TEXTURE_2D, t.texId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    t.width = w;
    t.height = h;
    if (flipped)
        makeQuadListFlipped(&t.list, w, h);
    else
        makeQuadList(&t.list, w, h);
    return t;
}

void freeTexture(Texture& t)
{
    glDeleteTextures(1, &t.texId);
    if (t.list != 0)
        glDeleteLists(t.list, 1);
}

::testing::AssertionResult same(Rgba a, Rgba b, int tolerance = 0)
{
    if (std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << int(a.r) << ", " << int(a.g) << ", " << int(a.b)
                                         << "), wanted (" << int(b.r) << ", " << int(b.g) << ", "
                                         << int(b.b) << ")";
}

bool lit(int x, int y)
{
    const Rgba p = readPixel(x, y);
    return p.r != 0 || p.g != 0 || p.b != 0;
}

bool blank(const std::vector<unsigned char>& screen)
{
    for (unsigned char v : screen) {
        if (v != 0)
            return false;
    }
    return true;
}

void expectColour(const float (&expected)[4])
{
    float c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    for (int i = 0; i < 4; i++)
        EXPECT_FLOAT_EQ(c[i], expected[i]) << "component " << i;
}

// Must run before any other test draws the background layers.
TEST(ScrollLayers, StartHalfAPictureApart)
{
    EXPECT_EQ(bgScroll, 0.0f);
    EXPECT_EQ(overlayScroll, 0.5f);
}

TEST(QuadLists, EachListShowsItsPictureUpright)
{
    glTestBeginFrame();
    // Storage rows 0-7 red, 8-15 blue, column 0 green.
    const TexelFn texel = [](int x, int y) { return x == 0 ? green : (y < 8 ? red : blue); };
    Texture bmp = makeTexture(16, 16, texel);
    Texture jpeg = makeTexture(16, 16, texel, true);
    drawTexture(&bmp, 100, 50);
    drawTexture(&jpeg, 200, 50);

    // A BMP keeps its first stored row at the bottom: blue shows on top.
    EXPECT_TRUE(same(readPixel(108, 51), blue));
    EXPECT_TRUE(same(readPixel(108, 64), red));
    EXPECT_TRUE(same(readPixel(100, 58), green));
    // A JPEG's first row is its top.
    EXPECT_TRUE(same(readPixel(208, 51), red));
    EXPECT_TRUE(same(readPixel(208, 64), blue));
    EXPECT_TRUE(same(readPixel(200, 58), green));
    // Exactly w x h pixels from the top-left corner.
    EXPECT_TRUE(lit(115, 65));
    EXPECT_FALSE(lit(116, 58));
    EXPECT_FALSE(lit(108, 66));
    EXPECT_FALSE(lit(99, 58));
    EXPECT_FALSE(lit(108, 49));
    freeTexture(bmp);
    freeTexture(jpeg);
}

TEST(DrawTexture, KeyedTexelsVanishAndTheStateIsLeftForTheNextDraw)
{
    glTestBeginFrame();
    // Left half keyed (alpha 0), right half opaque white.
    Texture t = makeTexture(16, 16, [](int x, int) { return x < 8 ? Rgba{0, 255, 0, 0} : white; });
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    drawTexture(&t, 300, 300);
    EXPECT_FALSE(lit(303, 308));
    EXPECT_TRUE(same(readPixel(312, 308), white));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND)); // blending is not touched
    glDisable(GL_BLEND);
    freeTexture(t);
}

TEST(DrawTexture, NothingWithoutAListOrATexture)
{
    glTestBeginFrame();
    Texture t = makeTexture(16, 16, [](int, int) { return white; });
    const unsigned int list = t.list;
    t.list = 0;
    drawTexture(&t, 10, 10);
    drawTexture(nullptr, 10, 10);
    drawTextureRotated(nullptr, 10, 10, 0.0f);
    drawTextureBlended(nullptr, 10, 10, 255);
    Texture noPicture;
    noPicture.list = list;
    drawTexture(&noPicture, 30, 30); // no texture name: no plain rectangle either
    EXPECT_TRUE(blank(readScreen()));
    t.list = list;
    freeTexture(t);
}

TEST(DrawTextureBlended, FaintAlphaIsCutByTheAlphaTestAndStrongerAlphaAdds)
{
    glTestBeginFrame();
    Texture whiteTex = makeTexture(16, 16, [](int, int) { return white; });
    Texture redTex = makeTexture(16, 16, [](int, int) { return red; });

    drawTextureBlended(&whiteTex, 100, 100, 25);
    EXPECT_FALSE(lit(108, 108));
    // 26 / 255 is above 0.1 only before rounding: llvmpipe compares the alpha
    // test in 8 bits (0.1 becomes 26 / 255), so 26 is cut there too and 27
    // is the first strength that shows.
    drawTextureBlended(&whiteTex, 100, 100, 27);
    EXPECT_TRUE(same(readPixel(108, 108), Rgba{27, 27, 27, 0}, 1));

    // Added onto what is there, weighted by alpha / 255.
    drawTexture(&redTex, 200, 100);
    drawTextureBlended(&whiteTex, 200, 100, 128);
    EXPECT_TRUE(same(readPixel(208, 108), Rgba{255, 128, 128, 0}, 1));

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    expectColour({1.0f, 1.0f, 1.0f, 0.5f});
    freeTexture(whiteTex);
    freeTexture(redTex);
}

TEST(DrawTextureRotated, CentredOnThePointWithTruncatedHalfSizes)
{
    glTestBeginFrame();
    // Storage row 0 (t = 0) red, the rest blue.
    Texture t = makeTexture(31, 17, [](int, int y) { return y == 0 ? red : blue; });
    drawTextureRotated(&t, 200, 200, 0.0f);
    // 31 x 17 spans -15..+15 by -8..+8.
    EXPECT_TRUE(lit(185, 200));
    EXPECT_TRUE(lit(214, 200));
    EXPECT_FALSE(lit(184, 200));
    EXPECT_FALSE(lit(215, 200));
    EXPECT_TRUE(lit(200, 192));
    EXPECT_TRUE(lit(200, 207));
    EXPECT_FALSE(lit(200, 191));
    EXPECT_FALSE(lit(200, 208));
    // t = 0 lies on the top edge.
    EXPECT_TRUE(same(readPixel(200, 192), red));
    EXPECT_TRUE(same(readPixel(200, 206), blue));

    // A quarter turn is clockwise on screen: the top edge goes to the right.
    drawTextureRotated(&t, 400, 200, 90.0f);
    EXPECT_TRUE(lit(392, 185));
    EXPECT_TRUE(lit(407, 214));
    EXPECT_FALSE(lit(391, 200));
    EXPECT_FALSE(lit(408, 200));
    EXPECT_FALSE(lit(400, 184));
    EXPECT_FALSE(lit(400, 215));
    EXPECT_TRUE(same(readPixel(407, 200), red));
    EXPECT_TRUE(same(readPixel(393, 200), blue));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    freeTexture(t);
}

// A 64 x 32 background: top rows (t < 0.5) red on the left half and blue on
// the right, bottom rows green on the left and white on the right.
class Background : public ::testing::Test {
protected:
    Texture bg;
    Texture* savedBg = nullptr;
    float savedScroll = 0.0f;
    float savedOverlay = 0.0f;
    void SetUp() override
    {
        glTestBeginFrame();
        bg = makeTexture(64, 32, [](int x, int y) {
            if (y < 16)
                return x < 32 ? red : blue;
            return x < 32 ? green : white;
        }, true);
        savedBg = bgTexture;
        savedScroll = bgScroll;
        savedOverlay = overlayScroll;
        bgTexture = &bg;
    }
    void TearDown() override
    {
        bgTexture = savedBg;
        bgScroll = savedScroll;
        overlayScroll = savedOverlay;
        freeTexture(bg);
    }
};

TEST_F(Background, StripSpansTheWidthFromY120AndScrollsLeft)
{
    bgScroll = 0.0f;
    drawBackground();
    EXPECT_FLOAT_EQ(bgScroll, 0.0003f);
    EXPECT_TRUE(same(readPixel(100, 122), red));
    EXPECT_TRUE(same(readPixel(500, 122), blue));
    EXPECT_TRUE(same(readPixel(100, 150), green));
    EXPECT_TRUE(same(readPixel(500, 150), white));
    EXPECT_TRUE(lit(0, 120));
    EXPECT_TRUE(lit(639, 151));
    EXPECT_FALSE(lit(100, 119));
    EXPECT_FALSE(lit(100, 152));

    // Half a picture on, the repeat wrap brings the right half to the left.
    glTestBeginFrame();
    bgScroll = 0.5f;
    drawBackground();
    EXPECT_TRUE(same(readPixel(100, 122), blue));
    EXPECT_TRUE(same(readPixel(500, 122), red));
}

TEST_F(Background, ScrollReachingOneStaysAndTheNextStepWraps)
{
    // The value just below 1 that lands on 1.0 exactly after one step.
    float start = 1.0f - 0.0003f;
    for (int i = 0; i < 8 && start + 0.0003f != 1.0f; i++)
        start = std::nextafter(start, start + 0.0003f < 1.0f ? 2.0f : 0.0f);
    ASSERT_EQ(start + 0.0003f, 1.0f);
    bgScroll = start;
    drawBackground();
    EXPECT_EQ(bgScroll, 1.0f);
    drawBackground();
    EXPECT_EQ(bgScroll, 0.0f);

    overlayScroll = 1.0f;
    drawBackgroundOverlay();
    EXPECT_EQ(overlayScroll, 0.0f);
    drawBackgroundOverlay();
    EXPECT_FLOAT_EQ(overlayScroll, 0.0008f);
}

TEST_F(Background, OverlayAddsABlueTintedCopyOverTheWholeScreen)
{
    overlayScroll = 0.0f;
    glColor4f(0.2f, 0.2f, 0.2f, 1.0f); // replaced by the overlay's own tint
    drawBackgroundOverlay();
    // White texel x (0, 0.3, 1) at half strength onto black.
    EXPECT_TRUE(same(readPixel(600, 470), Rgba{0, 38, 128, 0}, 2));
    // Red texel x (0, 0.3, 1): nothing left of it.
    EXPECT_FALSE(lit(10, 10));
    // Green texel: (0, 0.3 * 0.5, 0).
    EXPECT_TRUE(same(readPixel(10, 470), Rgba{0, 38, 0, 0}, 2));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    expectColour({1.0f, 1.0f, 1.0f, 0.5f});
}

TEST_F(Background, WithoutAPictureNothingIsDrawnButTheLayersMove)
{
    bgTexture = nullptr;
    bgScroll = 0.25f;
    overlayScroll = 0.5f;
    drawBackground();
    drawBackgroundOverlay();
    EXPECT_TRUE(blank(readScreen()));
    EXPECT_FLOAT_EQ(bgScroll, 0.2503f);
    EXPECT_FLOAT_EQ(overlayScroll, 0.5008f);
}

} // namespace

// Texture uploads of BMP and JPEG pictures, read back from GL and drawn.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "graphics/image.h"
#include "graphics/imageTestHelpers.h"
#include "support/glTest.h"
#include "support/testUtil.h"

namespace {

struct TexLevel {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* texel(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

TexLevel readTexture(unsigned int texId)
{
    TexLevel level;
    glBindTexture(GL_TEXTURE_2D, texId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &level.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &level.height);
    level.rgba.resize(static_cast<size_t>(level.width) * level.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.rgba.data());
    return level;
}

int texParameter(unsigned int texId, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texId);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Draws the texture on screen rectangle (x, y, size, size) with t = 1 at the
// top edge, the way an upright picture is drawn.
void drawUpright(unsigned int texId, int x, int y, int size)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texId);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2i(x, y);
    glTexCoord2f(1, 1);
    glVertex2i(x + size, y);
    glTexCoord2f(1, 0);
    glVertex2i(x + size, y + size);
    glTexCoord2f(0, 0);
    glVertex2i(x, y + size);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

// 8 x 8, 24 bits: bottom four rows red, top four blue; the bottom-left 2 x 2
// block is the key colour and the pixel right of it is one step off the key.
std::string keyedBmp(unsigned char keyR, unsigned char keyG, unsigned char keyB)
{
    std::string data;
    for (int y = 0; y < 8; y++) {
        for (int x = 0; x < 8; x++) {
            unsigned char r = y < 4 ? 255 : 0, g = 0, b = y < 4 ? 0 : 255;
            if (x < 2 && y < 2) {
                r = keyR;
                g = keyG;
                b = keyB;
            } else if (x == 2 && y == 0) {
                r = 0;
                g = 254;
                b = 0;
            }
            data += static_cast<char>(b);
            data += static_cast<char>(g);
            data += static_cast<char>(r);
        }
    }
    return makeBmp(8, 8, 24, "", data);
}

} // namespace

TEST(ImageGl, BmpTextureIsStoredBottomFirstWithTheGreenKeyTransparent)
{
    ScopedTempDir dir;
    writeFile("pic.bmp", keyedBmp(0, 255, 0));
    unsigned int texId = 0;
    int width = -1, height = -1;
    ASSERT_TRUE(loadBmpTexture("pic.bmp", &texId, &width, &height));
    EXPECT_NE(texId, 0u);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 8);

    const TexLevel level = readTexture(texId);
    ASSERT_EQ(level.width, 8);
    ASSERT_EQ(level.height, 8);
    EXPECT_EQ(level.texel(0, 0)[3], 0);
    EXPECT_EQ(level.texel(1, 1)[3], 0);
    const unsigned char* offKey = level.texel(2, 0);
    EXPECT_EQ(offKey[1], 254);
    EXPECT_EQ(offKey[3], 255);
    const unsigned char* red = level.texel(5, 2);
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[2], 0);
    EXPECT_EQ(red[3], 255);
    const unsigned char* blue = level.texel(5, 6);
    EXPECT_EQ(blue[0], 0);
    EXPECT_EQ(blue[2], 255);
    EXPECT_EQ(texParameter(texId, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(texParameter(texId, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    // Drawn upright: blue above red, and the keyed corner removed by the
    // alpha test so the black clear colour shows through.
    glTestBeginFrame();
    drawUpright(texId, 100, 100, 64);
    const Rgba top = readPixel(140, 110);
    EXPECT_GT(top.b, 240);
    EXPECT_LT(top.r, 15);
    const Rgba bottom = readPixel(140, 150);
    EXPECT_GT(bottom.r, 240);
    EXPECT_LT(bottom.b, 15);
    const Rgba keyed = readPixel(108, 156);
    EXPECT_EQ(keyed.r, 0);
    EXPECT_EQ(keyed.g, 0);
    EXPECT_EQ(keyed.b, 0);
    EXPECT_EQ(keyed.a, 0);
}

TEST(ImageGl, FontBitmapIsKeyedOnBlackInstead)
{
    ScopedTempDir dir;
    writeFile("gfx/fonts/glFont.bmp", keyedBmp(0, 0, 0));
    writeFile("green.bmp", keyedBmp(0, 255, 0));
    // A black block in a file that is not the font stays opaque.
    writeFile("black.bmp", keyedBmp(0, 0, 0));
    unsigned int font = 0, black = 0;
    int w = 0, h = 0;
    ASSERT_TRUE(loadBmpTexture("gfx/fonts/glFont.bmp", &font, &w, &h));
    ASSERT_TRUE(loadBmpTexture("black.bmp", &black, &w, &h));
    EXPECT_EQ(readTexture(font).texel(0, 0)[3], 0);
    EXPECT_EQ(readTexture(black).texel(0, 0)[3], 255);
    // Pure green inside the font file is an ordinary colour.
    std::string withGreen = keyedBmp(0, 0, 0);
    withGreen[54 + 3 * 3 + 1] = '\xff'; // pixel (3, 0): blue 0, green 255, red 255 -> make it pure green
    withGreen[54 + 3 * 3 + 2] = '\0';
    writeFile("gfx/fonts/glFont.bmp", withGreen);
    ASSERT_TRUE(loadBmpTexture("gfx/fonts/glFont.bmp", &font, &w, &h));
    const TexLevel level = readTexture(font);
    EXPECT_EQ(level.texel(3, 0)[1], 255);
    EXPECT_EQ(level.texel(3, 0)[3], 255);
}

TEST(ImageGl, FailedBmpUploadsNothingAndLeavesTheSizes)
{
    ScopedTempDir dir;
    writeFile("rgb16.bmp", makeBmp(2, 2, 16, "", std::string(8, '\x11')));
    unsigned int texId = 0;
    int width = 77, height = 88;
    EXPECT_FALSE(loadBmpTexture("missing.bmp", &texId, &width, &height));
    EXPECT_FALSE(loadBmpTexture("rgb16.bmp", &texId, &width, &height));
    EXPECT_EQ(width, 77);
    EXPECT_EQ(height, 88);
}

TEST(ImageGl, JpegTexturesAreOpaqueTopFirstAndHandleOddWidthAndGrey)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    // 33 x 17: rows of 99 bytes, so an upload that assumed four-byte rows
    // would shift each row a byte further and turn red into blue and green.
    const char* program =
        "from PIL import Image\n"
        "Image.new('RGB', (33, 17), (255, 0, 0)).save('red.jpg', quality=95)\n"
        "im = Image.new('RGB', (64, 32), (0, 0, 255))\n"
        "im.paste((255, 0, 0), (0, 0, 64, 16))\n"
        "im.save('halves.jpg', quality=95)\n"
        "g = Image.new('L', (33, 17), 40)\n"
        "g.paste(200, (0, 0, 33, 8))\n"
        "g.save('grey.jpg', quality=95)\n";
    ASSERT_TRUE(runPython(program, ""));

    unsigned int texId = 0;
    int width = 0, height = 0;
    loadJpegTexture(&texId, "red.jpg", &width, &height);
    EXPECT_NE(texId, 0u);
    EXPECT_EQ(width, 33);
    EXPECT_EQ(height, 17);
    EXPECT_EQ(texParameter(texId, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    const TexLevel red = readTexture(texId);
    ASSERT_GT(red.width, 0);
    for (int y = 0; y < red.height; y++) {
        for (int x = 0; x < red.width; x++) {
            const unsigned char* t = red.texel(x, y);
            ASSERT_GT(t[0], 230) << x << "," << y;
            ASSERT_LT(t[1], 25) << x << "," << y;
            ASSERT_LT(t[2], 25) << x << "," << y;
            ASSERT_EQ(t[3], 255) << x << "," << y;
        }
    }

    // Row 0 of the texture (t = 0) is the top of a JPEG picture.
    loadJpegTexture(&texId, "halves.jpg", &width, &height);
    const TexLevel halves = readTexture(texId);
    ASSERT_EQ(halves.width, 64);
    EXPECT_GT(halves.texel(10, 2)[0], 230);
    EXPECT_GT(halves.texel(10, 29)[2], 230);

    loadJpegTexture(&texId, "grey.jpg", &width, &height);
    EXPECT_EQ(width, 33);
    const TexLevel grey = readTexture(texId);
    for (int y = 0; y < grey.height; y++) {
        for (int x = 0; x < grey.width; x++) {
            const unsigned char* t = grey.texel(x, y);
            ASSERT_EQ(t[0], t[1]) << x << "," << y;
            ASSERT_EQ(t[1], t[2]) << x << "," << y;
            ASSERT_EQ(t[3], 255);
        }
    }
    EXPECT_NEAR(grey.texel(5, 1)[0], 200, 6);
    EXPECT_NEAR(grey.texel(5, grey.height - 2)[0], 40, 6);

    // Back to the default unpack alignment for the uploads that follow.
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);

    // No file name: nothing happens.
    texId = 123;
    loadJpegTexture(&texId, nullptr, &width, &height);
    EXPECT_EQ(texId, 123u);
}

TEST(ImageGl, UploadsLeaveTheirTextureBoundAndTheDocumentedPixelStore)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    ASSERT_TRUE(runPython("from PIL import Image\n"
                          "Image.new('RGB', (33, 17), (0, 255, 0)).save('odd.jpg', quality=95)\n",
                          ""));
    writeFile("plain.bmp", keyedBmp(0, 255, 0));
    GLint value = 0;

    // The JPEG upload reads its tight rows with an alignment of its own and
    // then gives back whatever alignment was in force.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    unsigned int jpeg = 0;
    int width = 0, height = 0;
    loadJpegTexture(&jpeg, "odd.jpg", &width, &height);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<unsigned int>(value), jpeg);
    EXPECT_EQ(texParameter(jpeg, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(jpeg, GL_TEXTURE_WRAP_S), GL_REPEAT);

    // The BMP upload sets an alignment of 4 and leaves it so.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    unsigned int bmp = 0;
    ASSERT_TRUE(loadBmpTexture("plain.bmp", &bmp, &width, &height));
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 4);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<unsigned int>(value), bmp);
    EXPECT_EQ(texParameter(bmp, GL_TEXTURE_WRAP_T), GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

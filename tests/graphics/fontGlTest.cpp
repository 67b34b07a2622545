// The bitmap font drawn into the test window and read back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/font.h"
#include "support/glTest.h"

namespace {

// A 256 x 256 font picture stored like a BMP (bottom row first) whose glyph
// cells are uniform and opaque: red = glyph number, green = 255.
class Font : public ::testing::Test {
protected:
    unsigned int texture = 0;
    unsigned int savedTexture = 0;
    unsigned int savedBase = 0;

    void SetUp() override
    {
        std::vector<unsigned char> bytes(256 * 256 * 4);
        for (int storedRow = 0; storedRow < 256; storedRow++) {
            const int rowFromTop = 255 - storedRow;
            for (int x = 0; x < 256; x++) {
                unsigned char* p = &bytes[(storedRow * 256 + x) * 4];
                p[0] = static_cast<unsigned char>((rowFromTop / 16) * 16 + x / 16);
                p[1] = 255;
                p[2] = 0;
                p[3] = 255;
            }
        }
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        savedTexture = fontTexture;
        savedBase = fontBase;
        fontTexture = texture;
        buildFont();
        glTestBeginFrame();
    }
    void TearDown() override
    {
        deleteFont();
        glDeleteTextures(1, &texture);
        fontTexture = savedTexture;
        fontBase = savedBase;
    }
};

bool lit(int x, int y)
{
    const Rgba p = readPixel(x, y);
    return p.r != 0 || p.g != 0 || p.b != 0;
}

bool blank()
{
    for (unsigned char v : readScreen()) {
        if (v != 0)
            return false;
    }
    return true;
}

int glyphAt(int x, int y)
{
    const Rgba p = readPixel(x, y);
    return p.g == 255 ? p.r : -1;
}

TEST_F(Font, CharactersMapToTheirSetsGlyphs)
{
    printText(100, 100, 0, "A");   // glyph 33: column 1 of row 2
    printText(300, 100, 1, "A");   // glyph 161: column 1 of row 10
    printText(400, 100, 5, "A");   // sets above 1 are set 1
    printText(100, 200, 0, " ");   // the space is glyph 0
    printText(300, 200, 0, "\xff"); // the last code of set 0 is glyph 223
    printText(400, 200, 1, "\x9f"); // and of set 1 glyph 255
    EXPECT_EQ(glyphAt(112, 116), 33);
    EXPECT_EQ(glyphAt(306, 108), 161);
    EXPECT_EQ(glyphAt(406, 108), 161);
    EXPECT_EQ(glyphAt(112, 216), 0);
    EXPECT_EQ(glyphAt(312, 216), 223);
    EXPECT_EQ(glyphAt(406, 208), 255);
}

TEST_F(Font, GlyphsAdvanceByFifteenScaledUnits)
{
    // Set 0: 24 x 32 glyphs, 22.5 apart: three cover 69 pixels.
    printText(100, 200, 0, "%s", "ABC");
    EXPECT_TRUE(lit(100, 200));
    EXPECT_TRUE(lit(168, 231));
    EXPECT_FALSE(lit(99, 210));
    EXPECT_FALSE(lit(169, 210));
    EXPECT_FALSE(lit(120, 199));
    EXPECT_FALSE(lit(120, 232));
    EXPECT_EQ(glyphAt(134, 216), 34); // "B" starts at 122.5
    EXPECT_EQ(glyphAt(157, 216), 35); // "C" starts at 145

    // Set 1: 12.8 x 16 glyphs, 12 apart: three cover 36.8 pixels.
    printText(100, 300, 1, "%d", 123);
    EXPECT_TRUE(lit(100, 300));
    EXPECT_TRUE(lit(136, 315));
    EXPECT_FALSE(lit(137, 308));
    EXPECT_FALSE(lit(110, 316));
    EXPECT_EQ(glyphAt(106, 308), '1' - 32 + 128);
    EXPECT_EQ(glyphAt(130, 308), '3' - 32 + 128);
}

TEST_F(Font, PrintTextColorScalesTintsAndLeavesOpaqueWhite)
{
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    printText(10, 10, 0, "x");
    float c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_FLOAT_EQ(c[0], 0.2f);
    EXPECT_FLOAT_EQ(c[1], 0.4f);
    EXPECT_FLOAT_EQ(c[2], 0.6f);
    EXPECT_FLOAT_EQ(c[3], 0.8f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    EXPECT_EQ(printTextColor(200, 100, 0, 0.0f, 1.0f, 1.0f, 2.0f, 3.0f, "%c%c", 'A', 'A'), 0);
    glGetFloatv(GL_CURRENT_COLOR, c);
    for (float v : c)
        EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    // Two 32 x 48 glyphs 30 apart; red is tinted away, green stays.
    const Rgba p = readPixel(216, 124);
    EXPECT_EQ(p.r, 0);
    EXPECT_EQ(p.g, 255);
    EXPECT_TRUE(lit(261, 147));
    EXPECT_FALSE(lit(262, 124));
    EXPECT_FALSE(lit(216, 148));
}

TEST_F(Font, CodesOutsideTheSetDrawNothing)
{
    // Lists where the codes below 32 and above 159 in set 1 would land if
    // they were called: each fills the screen red.
    const unsigned int belowSet0 = fontBase - 32 + 1;  // code 1 in set 0
    const unsigned int aboveSet1 = fontBase + 96 + 200; // code 200 in set 1
    ASSERT_NE(belowSet0, 0u); // 0 is not a list name
    for (unsigned int list : {belowSet0, aboveSet1}) {
        glNewList(list, GL_COMPILE);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1.0f, 0.0f, 0.0f);
        glRectf(-1000.0f, -1000.0f, 1000.0f, 1000.0f);
        glEndList();
    }
    printText(50, 50, 0, "\x01\x1f");
    printText(50, 50, 1, "\xc8\xa0\xff");
    printTextColor(50, 50, 1, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, "\xc8");
    printText(50, 50, 0, "%s", "");
    EXPECT_TRUE(blank());

    // Dropped codes take no room: the next glyph starts at the position.
    printText(50, 50, 1, "\xc8" "A");
    EXPECT_EQ(glyphAt(51, 58), 161);
    glDeleteLists(belowSet0, 1);
    glDeleteLists(aboveSet1, 1);
}

TEST_F(Font, CodesBelowTheSpaceDrawNothingInEitherSet)
{
    // In set 1 the codes 0..31 would name glyphs 96..127, real lists of the
    // font (set 0's upper codes): they must still draw nothing.
    printText(50, 50, 1, "\x01\x0a\x1f");
    printTextColor(50, 150, 1, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, "\x09");
    printText(50, 250, 0, "\x0a");
    EXPECT_TRUE(blank());
    printText(50, 50, 1, "\x0a" "A");
    EXPECT_EQ(glyphAt(51, 58), 161);
}

TEST_F(Font, ListBaseIsLeftAtTheSetsOffset)
{
    // Code c of set s calls list fontBase - 32 + 128 * s + c, so that is
    // the list base the prints leave behind.
    GLint base = 0;
    printText(10, 10, 0, "A");
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(static_cast<GLuint>(base), fontBase - 32);
    printText(10, 10, 5, "A");
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(static_cast<GLuint>(base), fontBase + 96);
    printTextColor(10, 10, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, "A");
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(static_cast<GLuint>(base), fontBase - 32);
    printTextColor(10, 10, 1, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, "%s", "");
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(static_cast<GLuint>(base), fontBase + 96);
    glListBase(0);
}

TEST_F(Font, TextIsCutAt255Characters)
{
    // Glyphs 1.6 wide and 1.5 apart: 255 of them end at 382.6.
    const std::string longText(300, 'W');
    printTextColor(0, 400, 0, 1.0f, 1.0f, 1.0f, 0.1f, 1.0f, "%s", longText.c_str());
    EXPECT_TRUE(lit(382, 408));
    EXPECT_FALSE(lit(383, 408));
}

TEST_F(Font, NullFormatPrintsNothingAndDeleteFreesTheLists)
{
    static const char* volatile noFormat = nullptr;
    printText(0, 0, 0, noFormat);
    EXPECT_EQ(printTextColor(0, 0, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, noFormat), 0);
    EXPECT_TRUE(blank());

    const unsigned int base = fontBase;
    EXPECT_TRUE(glIsList(base));
    EXPECT_TRUE(glIsList(base + 255));
    deleteFont();
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + 255));
    printText(0, 0, 0, "AAAA"); // no lists left: nothing is called
    EXPECT_TRUE(blank());
}

} // namespace

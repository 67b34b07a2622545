// Bitmap font: a 16x16 grid of glyphs, one display list per glyph.
#include "graphics/font.h"

#include <GL/gl.h>
#include <cstdarg>
#include <cstdio>

#include "graphics/image.h"

unsigned int fontTexture = 0;
unsigned int fontBase = 0;

namespace {

constexpr int glyphCount = 256;
constexpr int textBufferSize = 256; // formatted text: at most 255 characters

// Turns formatted text into glyph numbers of the given set, in place.
// Codes that fall outside the set's 256 glyphs are dropped, so no list
// outside the font is ever called. Returns the number of glyphs kept.
int textToGlyphs(unsigned char* text, int length, int set)
{
    // Sets below -1 have no glyph for any byte; stopping there also keeps
    // 128 * set from overflowing.
    if (set < -1)
        return 0;
    int kept = 0;
    for (int i = 0; i < length; i++) {
        const int glyph = text[i] - 32 + 128 * set;
        if (glyph >= 0 && glyph < glyphCount)
            text[kept++] = static_cast<unsigned char>(glyph);
    }
    return kept;
}

// Formats into buffer (truncating to 255 characters); returns the length.
int formatText(unsigned char* buffer, const char* format, va_list args)
{
    const int n = vsnprintf(reinterpret_cast<char*>(buffer), textBufferSize, format, args);
    if (n < 0)
        return 0;
    return n < textBufferSize ? n : textBufferSize - 1;
}

// Calls the glyph lists of text with the font texture bound.
void callGlyphs(unsigned char* text, int length, int set)
{
    const int glyphs = textToGlyphs(text, length, set);
    // The glyph numbers already include the set's offset, so the base is the
    // font's first list; this keeps the list arithmetic free of wrap-around.
    glListBase(fontBase);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glCallLists(glyphs, GL_UNSIGNED_BYTE, text);
}

} // namespace

int loadFont()
{
    int width = 0, height = 0;
    return loadBmpTexture("gfx/fonts/glFont.bmp", &fontTexture, &width, &height) ? 1 : 0;
}

void buildFont()
{
    fontBase = glGenLists(glyphCount);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    for (int i = 0; i < glyphCount; i++) {
        const float cx = static_cast<float>(i % 16) / 16.0f;
        const float cy = static_cast<float>(i / 16) / 16.0f;
        glNewList(fontBase + i, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(cx, 1.0f - cy - 0.0625f);
        glVertex2i(0, 16);
        glTexCoord2f(cx + 0.0625f, 1.0f - cy - 0.0625f);
        glVertex2i(16, 16);
        glTexCoord2f(cx + 0.0625f, 1.0f - cy);
        glVertex2i(16, 0);
        glTexCoord2f(cx, 1.0f - cy);
        glVertex2i(0, 0);
        glEnd();
        glTranslated(15.0, 0.0, 0.0);
        glEndList();
    }
}

void deleteFont()
{
    if (fontBase != 0)
        glDeleteLists(fontBase, glyphCount);
    fontBase = 0;
}

void printText(int x, int y, int set, const char* format, ...)
{
    // No lists were made (buildFont not run or glGenLists failed): the
    // names the text would call belong to someone else, so print nothing.
    if (format == nullptr || fontBase == 0)
        return;
    unsigned char text[textBufferSize];
    va_list args;
    va_start(args, format);
    const int length = formatText(text, format, args);
    va_end(args);
    if (set > 1)
        set = 1;

    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    // Set 0 is the big face; set 1 (and the unused negative sets) the small one.
    if (set == 0)
        glScalef(1.5f, 2.0f, 1.0f);
    else
        glScalef(0.8f, 1.0f, 1.0f);
    callGlyphs(text, length, set);
    glDisable(GL_TEXTURE_2D);
}

int printTextColor(int x, int y, int set, float r, float g, float b, float scaleX, float scaleY,
                   const char* format, ...)
{
    if (format == nullptr || fontBase == 0)
        return 0;
    unsigned char text[textBufferSize];
    va_list args;
    va_start(args, format);
    const int length = formatText(text, format, args);
    va_end(args);
    if (set > 1)
        set = 1;

    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glScalef(scaleX, scaleY, 1.0f);
    glColor3f(r, g, b);
    callGlyphs(text, length, set);
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_TEXTURE_2D);
    return 0;
}

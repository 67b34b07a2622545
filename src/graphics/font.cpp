// Bitmap font: a 16x16 grid of glyphs, one display list per glyph. A text
// is drawn as one batch of the glyphs' quads (drawBatch.h), which gives the
// pixels of calling the lists.
#include "graphics/font.h"

#include <GL/gl.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "graphics/clipSpace.h"
#include "graphics/drawBatch.h"
#include "graphics/drawBatchRecord.h"
#include "graphics/image.h"

unsigned int fontTexture = 0;
unsigned int fontBase = 0;

namespace {

constexpr int glyphCount = 256;
constexpr int textBufferSize = 256; // formatted text: at most 255 characters

// Drops, in place, the codes that have no glyph in the set: codes below
// the space, and codes whose glyph c - 32 + 128 * set falls outside the 256
// lists (above 159 in set 1). Without this a code below 32 in set 1 would
// land on a set-0 glyph. Returns the number of codes kept.
int keepCodesOfSet(unsigned char* text, int length, int set)
{
    // Sets below -1 have no glyph for any byte; stopping there also keeps
    // 128 * set from overflowing.
    if (set < -1)
        return 0;
    int kept = 0;
    for (int i = 0; i < length; i++) {
        const int glyph = text[i] - 32 + 128 * set;
        if (text[i] >= 32 && glyph >= 0 && glyph < glyphCount)
            text[kept++] = text[i];
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

#ifndef __EMSCRIPTEN__
// The list base that turns a character code into its glyph list: code c of
// the set calls list fontBase - 32 + 128 * set + c. Unsigned arithmetic, as
// GL adds the base and the code.
GLuint listBaseOfSet(int set)
{
    return fontBase - 32u + 128u * static_cast<unsigned int>(set);
}
#endif

// The quad of glyph i as its list draws it: (x, y, s, t) in drawing order.
void glyphQuad(int i, float (*corners)[4])
{
    const float cx = static_cast<float>(i % 16) / 16.0f;
    const float cy = static_cast<float>(i / 16) / 16.0f;
    const float quad[4][4] = {{0.0f, 16.0f, cx, 1.0f - cy - 0.0625f},
                              {16.0f, 16.0f, cx + 0.0625f, 1.0f - cy - 0.0625f},
                              {16.0f, 0.0f, cx + 0.0625f, 1.0f - cy},
                              {0.0f, 0.0f, cx, 1.0f - cy}};
    std::memcpy(corners, quad, sizeof quad);
}

// Draws the glyphs of text from (x, y), scaled, with the font texture; the
// list base must already be that of the set and texturing on. The lists
// draw each glyph under the model-view matrix and move it 15 units to the
// right; a batch does the same with that matrix worked out here, in one call
// for the whole text. Either way the matrix is left after the last glyph.
void drawGlyphs(unsigned char* text, int length, int set, int x, int y, float scaleX, float scaleY)
{
    const int codes = keepCodesOfSet(text, length, set);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
#ifndef __EMSCRIPTEN__
    // The browser's GL has no lists: there the text is always a batch.
    if (!drawBatching) {
        glLoadIdentity();
        glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
        glScalef(scaleX, scaleY, 1.0f);
        glCallLists(codes, GL_UNSIGNED_BYTE, text);
        return;
    }
#endif
    GlMatrix pen = identityMatrix();
    translateMatrix(pen, static_cast<float>(x), static_cast<float>(y), 0.0f);
    scaleMatrix(pen, scaleX, scaleY, 1.0f);
    beginDrawBatch(DrawOrder::asCalled);
    for (int i = 0; i < codes; i++) {
        float corners[4][4];
        glyphQuad(text[i] - 32 + 128 * set, corners);
        recordQuad(pen, corners, fontTexture);
        translateMatrix(pen, 15.0f, 0.0f, 0.0f);
    }
    recordMatrix(pen);
    endDrawBatch();
}

} // namespace

int loadFont()
{
    int width = 0, height = 0;
    return loadBmpTexture("gfx/fonts/glFont.bmp", &fontTexture, &width, &height) ? 1 : 0;
}

void buildFont()
{
#ifdef __EMSCRIPTEN__
    // No display lists in the browser's GL: the glyphs are drawn from
    // glyphQuad in a batch, and a base of 1 only says the font is ready.
    fontBase = 1;
#else
    fontBase = glGenLists(glyphCount);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    for (int i = 0; i < glyphCount; i++) {
        float quad[4][4];
        glyphQuad(i, quad);
        glNewList(fontBase + i, GL_COMPILE);
        glBegin(GL_QUADS);
        for (const float* corner : quad) {
            glTexCoord2f(corner[2], corner[3]);
            glVertex2i(static_cast<int>(corner[0]), static_cast<int>(corner[1]));
        }
        glEnd();
        glTranslated(15.0, 0.0, 0.0);
        glEndList();
    }
#endif
}

void deleteFont()
{
#ifndef __EMSCRIPTEN__
    if (fontBase != 0)
        glDeleteLists(fontBase, glyphCount);
#endif
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

    // Set 0 is the big face; set 1 (and the unused negative sets) the small one.
    const float scaleX = set == 0 ? 1.5f : 0.8f;
    const float scaleY = set == 0 ? 2.0f : 1.0f;
    glEnable(GL_TEXTURE_2D);
#ifndef __EMSCRIPTEN__
    glListBase(listBaseOfSet(set));
#endif
    drawGlyphs(text, length, set, x, y, scaleX, scaleY);
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

#ifndef __EMSCRIPTEN__
    glListBase(listBaseOfSet(set));
#endif
    glEnable(GL_TEXTURE_2D);
    glColor3f(r, g, b);
    drawGlyphs(text, length, set, x, y, scaleX, scaleY);
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_TEXTURE_2D);
    return 0;
}

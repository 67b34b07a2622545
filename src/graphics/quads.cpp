// Textured quads in the 640x480 y-down screen space.
#include "graphics/quads.h"

#include <GL/gl.h>

#include <vector>

#include "graphics/drawBatchRecord.h"
#include "graphics/image.h"
#include "graphics/sharedTextures.h"

float bgScroll = 0.0f;
float overlayScroll = 0.5f;

namespace {

// What each quad list holds, by list name, so that a draw batch can rebuild
// the list's quad; lists made otherwise are not known here.
std::vector<QuadListShape> quadLists;

void noteQuadList(unsigned int list, int w, int h, float tTop)
{
    if (list == 0) // no list was made: calling it draws nothing
        return;
    if (list >= quadLists.size())
        quadLists.resize(list + 1);
    quadLists[list] = QuadListShape{true, w, h, tTop};
}

// The shape of a quad list that a draw batch may take over, or null. Only
// pictures whose sides are powers of two: for those, and for every picture
// the game ships, llvmpipe gives the batch's triangles the pixels of the
// list, to the last bit (the golden drawing test checks). A picture 48
// pixels wide on the bottom row of the view came out with some texels
// chosen differently, so other sizes are drawn on their own.
const QuadListShape* quadListShape(unsigned int list)
{
    if (list >= quadLists.size() || !quadLists[list].known)
        return nullptr;
    const QuadListShape& shape = quadLists[list];
    return isPowerOfTwo(shape.w) && isPowerOfTwo(shape.h) ? &shape : nullptr;
}

} // namespace

#ifdef __EMSCRIPTEN__
// The browser's GL has no display lists: a picture's list is only the name
// its quad is noted under, and calling it draws that quad (callQuadList).
static unsigned int lastQuadName = 0;

static void compileQuadList(unsigned int* list, int w, int h, float tTop)
{
    *list = ++lastQuadName;
    noteQuadList(*list, w, h, tTop);
}

// The strip the desktop's list holds, drawn at once.
static void callQuadList(unsigned int list)
{
    if (list >= quadLists.size() || !quadLists[list].known)
        return;
    const QuadListShape& shape = quadLists[list];
    const float w = static_cast<float>(shape.w);
    const float h = static_cast<float>(shape.h);
    const float tTop = shape.tTop;
    const float tBottom = 1.0f - tTop;
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(1.0f, tBottom);
    glVertex2f(w, h);
    glTexCoord2f(0.0f, tBottom);
    glVertex2f(0.0f, h);
    glTexCoord2f(1.0f, tTop);
    glVertex2f(w, 0.0f);
    glTexCoord2f(0.0f, tTop);
    glVertex2f(0.0f, 0.0f);
    glEnd();
}
#else
// One list per picture: a four-vertex strip whose texture rows are chosen by
// the picture's storage order (tTop is the t coordinate of the top edge).
static void compileQuadList(unsigned int* list, int w, int h, float tTop)
{
    const float tBottom = 1.0f - tTop;
    const double dw = static_cast<double>(w);
    const double dh = static_cast<double>(h);
    *list = glGenLists(1);
    glNewList(*list, GL_COMPILE);
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(1.0f, tBottom);
    glVertex2d(dw, dh);
    glTexCoord2f(0.0f, tBottom);
    glVertex2d(0.0, dh);
    glTexCoord2f(1.0f, tTop);
    glVertex2d(dw, 0.0);
    glTexCoord2f(0.0f, tTop);
    glVertex2d(0.0, 0.0);
    glEnd();
    glEndList();
    noteQuadList(*list, w, h, tTop);
}

static void callQuadList(unsigned int list)
{
    glCallList(list);
}
#endif

void makeQuadList(unsigned int* list, int w, int h)
{
    // A BMP is stored bottom row first, so its top row is at t = 1.
    compileQuadList(list, w, h, 1.0f);
}

void makeQuadListFlipped(unsigned int* list, int w, int h)
{
    // A JPEG arrives top row first, so its top row is at t = 0.
    compileQuadList(list, w, h, 0.0f);
}

// A missing texture record, or one whose picture never got a texture name,
// has nothing to show; drawing it would paint a plain rectangle instead.
static bool hasPicture(const Texture* texture)
{
    return texture != nullptr && texture->texId != 0;
}

// The single draw of a list picture; a batch records it instead. A list
// that a batch cannot take over is drawn between two parts of the batch.
static void callPictureList(Texture* texture, int x, int y)
{
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glBindTexture(GL_TEXTURE_2D, texture->texId);
    callQuadList(texture->list);
}

void drawTexture(Texture* texture, int x, int y)
{
    if (!hasPicture(texture))
        return;
    if (!batchGathering()) {
        callPictureList(texture, x, y);
    } else if (texture->list == 0) {
        recordPictureState(texture, x, y); // list 0 draws nothing
    } else if (const QuadListShape* shape = quadListShape(texture->list)) {
        recordListPicture(texture, x, y, *shape);
    } else {
        interruptBatch();
        callPictureList(texture, x, y);
        resumeBatch();
    }
}

void drawRotatedPictureAlone(const Texture* texture, int x, int y, float angle)
{
    glEnable(GL_TEXTURE_2D);
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glRotatef(angle, 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture->texId);
    const float hw = static_cast<float>(texture->width / 2);
    const float hh = static_cast<float>(texture->height / 2);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-hw, -hh, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(hw, -hh, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(hw, hh, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-hw, hh, 0.0f);
    glEnd();
}

void drawTextureRotated(Texture* texture, int x, int y, float angle)
{
    if (!hasPicture(texture))
        return;
    if (!batchGathering()) {
        drawRotatedPictureAlone(texture, x, y, angle);
    } else if (!recordRotatedPicture(texture, x, y, angle)) {
        interruptBatch();
        drawRotatedPictureAlone(texture, x, y, angle);
        resumeBatch();
    }
}

void drawTextureBlended(Texture* texture, int x, int y, int alpha)
{
    if (!hasPicture(texture))
        return;
    const QuadListShape* shape = quadListShape(texture->list);
    if (batchGathering() && shape != nullptr) {
        recordAddedListPicture(texture, x, y, *shape, static_cast<float>(alpha / 255.0));
        return;
    }
    if (batchGathering())
        interruptBatch();
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0.0f);
    glBindTexture(GL_TEXTURE_2D, texture->texId);
    glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(alpha / 255.0));
    callQuadList(texture->list);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    if (batchGathering())
        resumeBatch();
}

// Adds step to a layer offset; past one full picture width it starts over.
static void advanceScroll(float* scroll, float step)
{
    *scroll += step;
    if (*scroll > 1.0f)
        *scroll = 0.0f;
}

// A strip of the background picture from (0, 0) to (640, h), shifted by
// scroll picture widths; t = 0 (the JPEG's top row) lies at the top edge.
static void drawScrollStrip(float scroll, float h)
{
    glBegin(GL_TRIANGLE_STRIP);
    glTexCoord2f(scroll + 1.0f, 1.0f);
    glVertex2f(640.0f, h);
    glTexCoord2f(scroll, 1.0f);
    glVertex2f(0.0f, h);
    glTexCoord2f(scroll + 1.0f, 0.0f);
    glVertex2f(640.0f, 0.0f);
    glTexCoord2f(scroll, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glEnd();
}

void drawBackground()
{
    // Without a background picture nothing is drawn, but the layer keeps
    // moving so that it stays in step with the overlay.
    if (hasPicture(bgTexture)) {
        glEnable(GL_TEXTURE_2D);
        glLoadIdentity();
        glTranslatef(0.0f, 120.0f, 0.0f);
        glBindTexture(GL_TEXTURE_2D, bgTexture->texId);
        drawScrollStrip(bgScroll, static_cast<float>(bgTexture->height));
    }
    advanceScroll(&bgScroll, 0.0003f);
}

void drawBackgroundOverlay()
{
    if (hasPicture(bgTexture)) {
        glEnable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, bgTexture->texId);
        glColor4f(0.0f, 0.3f, 1.0f, 0.5f);
        drawScrollStrip(overlayScroll, 480.0f);
        glDisable(GL_BLEND);
        glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    }
    advanceScroll(&overlayScroll, 0.0008f);
}

// The recording side of draw batches (drawBatch.h), for the platform draw
// functions only: while batchGathering() is true they record here instead of
// drawing. Each record stands for one single draw and takes its effect on
// the GL state (colour, texturing, bound picture, blending, matrix) into
// account, so that endDrawBatch can leave the state as that draw would have.
#pragma once

#include "graphics/clipSpace.h"

struct Texture;

// The quad of a picture's display list: w x h from (0, 0), t = tTop at the top edge.
struct QuadListShape {
    bool known = false;
    int w = 0;
    int h = 0;
    float tTop = 0.0f;
};

// A batch is gathering draws.
bool batchGathering();
// Sends what was gathered so far; the batch stays open. For a draw that
// cannot be recorded: interruptBatch, the single draw, then resumeBatch.
void interruptBatch();
void resumeBatch();

// glColor4f.
void recordColour(float r, float g, float b, float a);
// drawTexture of a picture whose quad list has this shape.
void recordListPicture(const Texture* texture, int x, int y, const QuadListShape& shape);
// drawTexture of a picture whose list draws nothing: its state changes only.
void recordPictureState(const Texture* texture, int x, int y);
// drawTextureBlended: the list picture added with strength alpha (0..1).
void recordAddedListPicture(const Texture* texture, int x, int y, const QuadListShape& shape, float alpha);
// drawTextureRotated. False when the picture must be drawn at once instead
// (between interruptBatch and resumeBatch): a picture reaching the edge of
// the view in a batch kept in call order.
bool recordRotatedPicture(const Texture* texture, int x, int y, float angle);
// drawParticleDot, with the dot picture texId (0 when it did not load).
void recordDot(float x, float y, float red, float life, unsigned int texId);
// drawHitBoxOutline.
void recordOutline(int x, int y, int width, int height);
// One GL_QUADS quad of the picture texId, texturing on, in the current colour
// under modelView; corners are (x, y, s, t) in drawing order. For the text.
void recordQuad(const GlMatrix& modelView, const float (*corners)[4], unsigned int texId);
// The model-view matrix the single draws would have left (the text's pen).
void recordMatrix(const GlMatrix& modelView);

// drawTextureRotated's own GL drawing, outside any batch. Defined in
// quads.cpp; the recorder draws pictures that go on their own with it.
void drawRotatedPictureAlone(const Texture* texture, int x, int y, float angle);

// Draw batches: the recorder behind beginDrawBatch and endDrawBatch.
//
// Every recorded draw becomes clip-space vertices (clipSpace.h) carrying the
// colour the draw would have met, plus the state it needs: texturing, the
// picture, additive blending, triangles or lines. Draws with equal state
// share one glDrawElements. The GL's own matrices are set to the identity
// for those calls, so the vertices pass through unchanged.
//
// Vertex orders: a display-list quad is a four-vertex strip, drawn here as
// the triangles (0, 1, 2) and (1, 2, 3); a GL_QUADS quad as (0, 1, 2) and
// (0, 2, 3). With those orders llvmpipe gives the same pixels as the single
// draws, to the last bit, which the golden drawing test checks scene by
// scene; two cases did not hold and are drawn on their own instead: a
// turned picture clipped at the edge of the view (recordRotatedPicture) and
// a list picture whose sides are not powers of two (quads.cpp). Each quad is
// stored as its four vertices and drawn through indices, which llvmpipe
// handles a third faster than repeated vertices; regrouping only reorders
// the indices.
//
// Keeping overlaps (DrawOrder::keepingOverlaps): each record is given a
// layer, the lowest one in which it still comes after every earlier record
// that may share a pixel with it. Within a layer the groups of equal state
// follow a fixed order (plain pictures by first use, pictures drawn on their
// own, added pictures, lines), each group in call order; so two records that
// may overlap keep their order and the others, which cannot tell, are
// grouped. Whether two records may overlap is judged on a grid of cells over
// the view, by the cells their corners' bounding box touches, widened by a
// pixel: a record in a cell overlaps, for this purpose, everything else in it.
#include "graphics/drawBatch.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "graphics/clipSpace.h"
#include "graphics/drawBatchRecord.h"
#include "graphics/image.h"
#ifdef __EMSCRIPTEN__
#include "graphics/webGlState.h"
#endif

bool drawBatching = true;

namespace {

struct BatchVertex {
    float x, y, z, w; // clip space
    float s, t;
    float r, g, b, a;
};

// What a draw needs from the GL besides its vertices.
struct DrawState {
    bool textured;
    GLuint texture;
    bool added; // blended with (GL_SRC_ALPHA, GL_ONE)
    bool lines;

    bool operator==(const DrawState& o) const
    {
        return textured == o.textured && texture == o.texture && added == o.added && lines == o.lines;
    }
    // Plain pictures, then added ones, then lines.
    int rank() const { return lines ? 2 : (added ? 1 : 0); }
};

struct Command {
    DrawState state;
    int first; // into indices
    int count;
};

// A full pool of bullets is 8000 vertices and 14000 indices.
constexpr int maxVertices = 16384; // indices are 16-bit
constexpr int maxIndices = 32768;
constexpr int maxCommands = 4096;
constexpr int maxGroups = 64;

BatchVertex vertices[maxVertices];  // in call order
GLushort indices[maxIndices];       // in call order
GLushort regrouped[maxIndices];     // by state, for DrawOrder::byState and keepingOverlaps
Command commands[maxCommands];
int vertexCount = 0;
int indexCount = 0;
int commandCount = 0;

// Turned pictures not wholly inside the view, drawn on their own (see
// recordRotatedPicture).
struct Single {
    const Texture* texture;
    int x, y;
    float angle;
    float colour[4];
};
constexpr int maxSingles = 1024;
Single singles[maxSingles];
int singleCount = 0;

bool gathering = false;
DrawOrder order = DrawOrder::asCalled;
GlMatrix projection;
float viewportWidth = 640.0f;
float viewportHeight = 480.0f;

// ---- Keeping overlaps ----------------------------------------------------------
// A group: the records of one state, or the pictures drawn on their own.
struct LayerGroup {
    DrawState state;
    bool alone; // pictures drawn on their own (singles)
    int key;    // place in a layer's drawing order; fixed once the group exists
};
constexpr int maxLayerGroups = 8;
constexpr int maxLayers = 254; // a cell holds layer + 1 in a byte
// 8 x 8 pixel cells on the 640 x 480 view.
constexpr int gridColumns = 80;
constexpr int gridRows = 60;
LayerGroup layerGroups[maxLayerGroups];
int layerGroupCount = 0;
int layerCount = 0;
// For each cell and group: 1 + the highest layer of that group's records
// touching the cell, 0 for none.
unsigned char cellLayers[gridRows][gridColumns][maxLayerGroups];
unsigned char commandLayer[maxCommands];
unsigned char commandGroup[maxCommands];
int singleLayer[maxSingles];

// Cells a record's clip-space corners touch, with a one-pixel margin.
struct CellBox {
    int left, top, right, bottom;
};

// The GL state the single draws would have left behind: read when the
// batch starts, changed by each record, put back after every flush.
struct LeftState {
    float colour[4];
    bool textured;
    GLuint texture;
    bool blended;
    GLint blendSource, blendDestination;
    float lineWidth;
    GlMatrix modelView;
};
LeftState left;

#ifndef __EMSCRIPTEN__
bool isEnabled(GLenum capability)
{
    return glIsEnabled(capability) == GL_TRUE;
}
#endif

void readStartState()
{
    glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
    glGetFloatv(GL_MODELVIEW_MATRIX, left.modelView.m);
#ifdef __EMSCRIPTEN__
    // WebGL knows neither the current colour nor GL_TEXTURE_2D as a
    // capability, and waits for the GPU to answer the rest.
    kvGlCurrentColour(left.colour);
    left.textured = kvGlTexturing() != 0;
    int state[4];
    kvGlDrawState(state, &left.lineWidth);
    left.texture = static_cast<GLuint>(state[0]);
    left.blended = state[1] != 0;
    left.blendSource = state[2];
    left.blendDestination = state[3];
#else
    glGetFloatv(GL_CURRENT_COLOR, left.colour);
    left.textured = isEnabled(GL_TEXTURE_2D);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    left.texture = static_cast<GLuint>(bound);
    left.blended = isEnabled(GL_BLEND);
    glGetIntegerv(GL_BLEND_SRC, &left.blendSource);
    glGetIntegerv(GL_BLEND_DST, &left.blendDestination);
    glGetFloatv(GL_LINE_WIDTH, &left.lineWidth);
#endif
    GLint viewport[4] = {0, 0, 640, 480};
    glGetIntegerv(GL_VIEWPORT, viewport);
    viewportWidth = static_cast<float>(viewport[2] > 0 ? viewport[2] : 640);
    viewportHeight = static_cast<float>(viewport[3] > 0 ? viewport[3] : 480);
}

void putBackState()
{
    glColor4fv(left.colour); // also needed because a colour array leaves the colour undefined
    if (left.textured)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, left.texture);
    if (left.blended)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glBlendFunc(static_cast<GLenum>(left.blendSource), static_cast<GLenum>(left.blendDestination));
    glLineWidth(left.lineWidth);
    glLoadMatrixf(left.modelView.m);
}

void applyState(const DrawState& s)
{
    if (s.textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, s.texture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (s.added) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    if (s.lines)
        glLineWidth(1.0f);
}

void drawIndices(const DrawState& s, const GLushort* from, int count)
{
    applyState(s);
    glDrawElements(s.lines ? GL_LINES : GL_TRIANGLES, count, GL_UNSIGNED_SHORT, from);
}

void drawAsCalled()
{
    for (int i = 0; i < commandCount; i++)
        drawIndices(commands[i].state, indices + commands[i].first, commands[i].count);
}

// Client arrays on, both matrices the identity: the vertices pass as they are.
void startArrays()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(4, GL_FLOAT, sizeof(BatchVertex), &vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(BatchVertex), &vertices[0].s);
    glColorPointer(4, GL_FLOAT, sizeof(BatchVertex), &vertices[0].r);
}

void stopArrays()
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void drawSingles()
{
    for (int i = 0; i < singleCount; i++) {
        const Single& one = singles[i];
        glColor4fv(one.colour);
        drawRotatedPictureAlone(one.texture, one.x, one.y, one.angle);
    }
}

// Commands grouped by state (rank, then first use), each group in call
// order; the single pictures after the other pictures, before the lines.
void drawByState()
{
    DrawState groups[maxGroups];
    int groupCount = 0;
    static unsigned char groupOf[maxCommands];
    int sizes[maxGroups] = {};
    for (int i = 0; i < commandCount; i++) {
        int g = 0;
        while (g < groupCount && !(groups[g] == commands[i].state))
            g++;
        if (g == groupCount) {
            if (groupCount == maxGroups) { // more states than expected: keep the call order
                startArrays();
                drawAsCalled();
                stopArrays();
                drawSingles();
                return;
            }
            groups[groupCount++] = commands[i].state;
        }
        groupOf[i] = static_cast<unsigned char>(g);
        sizes[g] += commands[i].count;
    }
    // Groups in rank order, in order of first use within a rank.
    int sorted[maxGroups];
    int n = 0;
    for (int rank = 0; rank <= 2; rank++) {
        for (int g = 0; g < groupCount; g++) {
            if (groups[g].rank() == rank)
                sorted[n++] = g;
        }
    }
    int start[maxGroups];
    int place[maxGroups];
    int next = 0;
    for (int k = 0; k < groupCount; k++) {
        start[k] = next;
        place[sorted[k]] = next;
        next += sizes[sorted[k]];
    }
    for (int i = 0; i < commandCount; i++) {
        const Command& c = commands[i];
        std::copy(indices + c.first, indices + c.first + c.count, regrouped + place[groupOf[i]]);
        place[groupOf[i]] += c.count;
    }
    int k = 0;
    startArrays();
    for (; k < groupCount && !groups[sorted[k]].lines; k++)
        drawIndices(groups[sorted[k]], regrouped + start[k], sizes[sorted[k]]);
    if (singleCount > 0) {
        stopArrays();
        drawSingles();
        startArrays();
    }
    for (; k < groupCount; k++)
        drawIndices(groups[sorted[k]], regrouped + start[k], sizes[sorted[k]]);
    stopArrays();
}

// The cells that the box of count clip-space positions touches, a pixel
// wider on every side; positions off the view count for its edge cells.
CellBox cellBoxOf(const float (*clip)[4], int count)
{
    float minX = 0.0f, maxX = 0.0f, minY = 0.0f, maxY = 0.0f;
    for (int i = 0; i < count; i++) {
        const float w = clip[i][3];
        if (!(w > 0.0f)) // never for the game's projection; then take the whole view
            return CellBox{0, 0, gridColumns - 1, gridRows - 1};
        const float x = clip[i][0] / w;
        const float y = clip[i][1] / w;
        minX = i == 0 ? x : std::min(minX, x);
        maxX = i == 0 ? x : std::max(maxX, x);
        minY = i == 0 ? y : std::min(minY, y);
        maxY = i == 0 ? y : std::max(maxY, y);
    }
    // A pixel is 2 / viewport of the -1..1 range. A record lights only
    // pixels whose centres lie within half a pixel of its corners' box.
    const float marginX = 2.0f / viewportWidth;
    const float marginY = 2.0f / viewportHeight;
    auto cell = [](float ndc, int cells) {
        const float at = (ndc + 1.0f) * 0.5f * static_cast<float>(cells);
        if (!(at > 0.0f)) // also NaN
            return 0;
        return at >= static_cast<float>(cells - 1) ? cells - 1 : static_cast<int>(at);
    };
    return CellBox{cell(minX - marginX, gridColumns), cell(minY - marginY, gridRows), cell(maxX + marginX, gridColumns),
                   cell(maxY + marginY, gridRows)};
}

void resetLayers()
{
    if (layerGroupCount > 0)
        std::fill(&cellLayers[0][0][0], &cellLayers[0][0][0] + sizeof cellLayers, static_cast<unsigned char>(0));
    layerGroupCount = 0;
    layerCount = 0;
}

// The group of a state (or of the pictures drawn on their own), made on first
// use; -1 when the groups are all taken.
int layerGroupOf(const DrawState& state, bool alone)
{
    for (int g = 0; g < layerGroupCount; g++) {
        if (layerGroups[g].alone == alone && (alone || layerGroups[g].state == state))
            return g;
    }
    if (layerGroupCount == maxLayerGroups)
        return -1;
    // Plain pictures, those drawn on their own, added pictures, lines; by first use within each.
    const int rank = alone ? 1 : (state.lines ? 3 : (state.added ? 2 : 0));
    layerGroups[layerGroupCount] = LayerGroup{state, alone, rank * maxLayerGroups + layerGroupCount};
    return layerGroupCount++;
}

// The lowest layer in which a record of group g over the cells of box comes
// after every earlier record in those cells, marked in the cells; -1 when
// that layer would be past the last.
int placeInLayers(int g, const CellBox& box)
{
    // A group drawn after g within a layer must be a layer below it to come first.
    int below[maxLayerGroups];
    for (int h = 0; h < layerGroupCount; h++)
        below[h] = h != g && layerGroups[h].key > layerGroups[g].key ? 1 : 0;
    int layer = 0;
    for (int row = box.top; row <= box.bottom; row++) {
        for (int column = box.left; column <= box.right; column++) {
            const unsigned char* cell = cellLayers[row][column];
            for (int h = 0; h < layerGroupCount; h++) {
                if (cell[h] != 0)
                    layer = std::max(layer, cell[h] - 1 + below[h]);
            }
        }
    }
    if (layer >= maxLayers)
        return -1;
    const unsigned char mark = static_cast<unsigned char>(layer + 1);
    for (int row = box.top; row <= box.bottom; row++) {
        for (int column = box.left; column <= box.right; column++) {
            unsigned char& cell = cellLayers[row][column][g];
            cell = std::max(cell, mark);
        }
    }
    layerCount = std::max(layerCount, layer + 1);
    return layer;
}

// Layer by layer, the groups in their order; neighbouring runs of one state
// go in one call.
void drawKeepingOverlaps()
{
    int sorted[maxLayerGroups]; // groups by key
    for (int g = 0; g < layerGroupCount; g++) {
        int k = g;
        while (k > 0 && layerGroups[sorted[k - 1]].key > layerGroups[g].key) {
            sorted[k] = sorted[k - 1];
            k--;
        }
        sorted[k] = g;
    }
    int position[maxLayerGroups];
    for (int p = 0; p < layerGroupCount; p++)
        position[sorted[p]] = p;
    const int groups = layerGroupCount;
    static int bucketStart[maxLayers * maxLayerGroups + 1];
    static int place[maxLayers * maxLayerGroups];
    const int buckets = layerCount * groups;
    std::fill(bucketStart, bucketStart + buckets + 1, 0);
    for (int i = 0; i < commandCount; i++)
        bucketStart[commandLayer[i] * groups + position[commandGroup[i]] + 1] += commands[i].count;
    for (int b = 0; b < buckets; b++)
        bucketStart[b + 1] += bucketStart[b];
    std::copy(bucketStart, bucketStart + buckets, place);
    for (int i = 0; i < commandCount; i++) {
        const Command& c = commands[i];
        int& at = place[commandLayer[i] * groups + position[commandGroup[i]]];
        std::copy(indices + c.first, indices + c.first + c.count, regrouped + at);
        at += c.count;
    }
    // The singles by layer, each layer's in call order.
    static int singleStart[maxLayers + 1];
    static short singleOrder[maxSingles];
    std::fill(singleStart, singleStart + layerCount + 1, 0);
    for (int i = 0; i < singleCount; i++)
        singleStart[singleLayer[i] + 1]++;
    for (int l = 0; l < layerCount; l++)
        singleStart[l + 1] += singleStart[l];
    {
        static int next[maxLayers];
        std::copy(singleStart, singleStart + layerCount, next);
        for (int i = 0; i < singleCount; i++)
            singleOrder[next[singleLayer[i]]++] = static_cast<short>(i);
    }

    startArrays();
    DrawState runState{};
    int runFirst = 0;
    int runCount = 0;
    for (int l = 0; l < layerCount; l++) {
        for (int p = 0; p < groups; p++) {
            const LayerGroup& group = layerGroups[sorted[p]];
            if (group.alone) {
                if (singleStart[l + 1] == singleStart[l])
                    continue;
                if (runCount > 0)
                    drawIndices(runState, regrouped + runFirst, runCount);
                runCount = 0;
                stopArrays();
                for (int k = singleStart[l]; k < singleStart[l + 1]; k++) {
                    const Single& one = singles[singleOrder[k]];
                    glColor4fv(one.colour);
                    drawRotatedPictureAlone(one.texture, one.x, one.y, one.angle);
                }
                startArrays();
                continue;
            }
            const int b = l * groups + p;
            const int size = bucketStart[b + 1] - bucketStart[b];
            if (size == 0)
                continue;
            if (runCount > 0 && runState == group.state) { // buckets lie one after another
                runCount += size;
                continue;
            }
            if (runCount > 0)
                drawIndices(runState, regrouped + runFirst, runCount);
            runState = group.state;
            runFirst = bucketStart[b];
            runCount = size;
        }
    }
    if (runCount > 0)
        drawIndices(runState, regrouped + runFirst, runCount);
    stopArrays();
}

// Sends what was gathered and puts the GL where the single draws would have
// left it; the batch stays open.
void flush()
{
    if (order == DrawOrder::keepingOverlaps && (commandCount > 0 || singleCount > 0)) {
        drawKeepingOverlaps();
    } else if (order == DrawOrder::byState && (commandCount > 0 || singleCount > 0)) {
        drawByState();
    } else if (commandCount > 0) {
        startArrays();
        drawAsCalled();
        stopArrays();
    }
    putBackState();
    vertexCount = 0;
    indexCount = 0;
    commandCount = 0;
    singleCount = 0;
    resetLayers();
}

// Appends the four corners (object x, y and texture s, t) under mvp (the
// projection times the draw's model-view matrix) in the current colour, and
// the indices that draw them; neighbouring records of the same state merge
// into one command.
void recordUnder(const DrawState& state, const GlMatrix& mvp, const float (*corners)[4], const int* sequence,
                 int count)
{
    if (vertexCount + 4 > maxVertices || indexCount + count > maxIndices || commandCount == maxCommands)
        flush();
    float clip[4][4];
    for (int i = 0; i < 4; i++)
        clipPosition(mvp, corners[i][0], corners[i][1], clip[i]);
    int layer = 0;
    int group = 0;
    if (order == DrawOrder::keepingOverlaps) {
        const CellBox box = cellBoxOf(clip, 4);
        group = layerGroupOf(state, false);
        layer = group < 0 ? -1 : placeInLayers(group, box);
        if (layer < 0) { // out of groups or layers: what is gathered goes first
            flush();
            group = layerGroupOf(state, false);
            layer = placeInLayers(group, box);
        }
    }
    for (int i = 0; i < 4; i++) {
        BatchVertex& v = vertices[vertexCount + i];
        v.x = clip[i][0];
        v.y = clip[i][1];
        v.z = clip[i][2];
        v.w = clip[i][3];
        v.s = corners[i][2];
        v.t = corners[i][3];
        v.r = left.colour[0];
        v.g = left.colour[1];
        v.b = left.colour[2];
        v.a = left.colour[3];
    }
    for (int i = 0; i < count; i++)
        indices[indexCount + i] = static_cast<GLushort>(vertexCount + sequence[i]);
    Command* last = commandCount > 0 ? &commands[commandCount - 1] : nullptr;
    if (last != nullptr && last->state == state && last->first + last->count == indexCount &&
        commandLayer[commandCount - 1] == layer) {
        last->count += count;
    } else {
        commandLayer[commandCount] = static_cast<unsigned char>(layer);
        commandGroup[commandCount] = static_cast<unsigned char>(group);
        commands[commandCount++] = Command{state, indexCount, count};
    }
    vertexCount += 4;
    indexCount += count;
}

void record(const DrawState& state, const GlMatrix& modelView, const float (*corners)[4], const int* sequence,
            int count)
{
    recordUnder(state, multiplyMatrices(projection, modelView), corners, sequence, count);
}

const int stripOrder[6] = {0, 1, 2, 1, 2, 3};
const int quadOrder[6] = {0, 1, 2, 0, 2, 3};

void leaveTexture(bool textured, GLuint texture)
{
    left.textured = textured;
    left.texture = texture;
}

void setColour(float r, float g, float b, float a)
{
    left.colour[0] = r;
    left.colour[1] = g;
    left.colour[2] = b;
    left.colour[3] = a;
}

// Blending switched on with (GL_SRC_ALPHA, GL_ONE) and off again.
void leaveBlendingUsed()
{
    left.blended = false;
    left.blendSource = GL_SRC_ALPHA;
    left.blendDestination = GL_ONE;
}

GlMatrix translation(float x, float y)
{
    GlMatrix m = identityMatrix();
    translateMatrix(m, x, y, 0.0f);
    return m;
}

} // namespace

void beginDrawBatch(DrawOrder drawOrder)
{
    if (!drawBatching)
        return;
    gathering = true;
    order = drawOrder;
    vertexCount = 0;
    commandCount = 0;
    readStartState();
}

void endDrawBatch()
{
    if (!gathering)
        return;
    flush();
    gathering = false;
}

bool batchGathering()
{
    return gathering;
}

void interruptBatch()
{
    flush();
}

void resumeBatch()
{
    readStartState();
}

void recordColour(float r, float g, float b, float a)
{
    setColour(r, g, b, a);
}

// A list picture: the strip (w, h), (0, h), (w, 0), (0, 0), t = tTop at the top edge.
static void recordStrip(const Texture* texture, int x, int y, const QuadListShape& shape, bool added)
{
    const GlMatrix m = translation(static_cast<float>(x), static_cast<float>(y));
    leaveTexture(true, texture->texId);
    left.modelView = m;
    // The list holds the sizes as doubles, which the GL keeps as floats.
    const float w = static_cast<float>(static_cast<double>(shape.w));
    const float h = static_cast<float>(static_cast<double>(shape.h));
    const float tTop = shape.tTop;
    const float tBottom = 1.0f - tTop;
    const float corners[4][4] = {{w, h, 1.0f, tBottom}, {0.0f, h, 0.0f, tBottom}, {w, 0.0f, 1.0f, tTop},
                                 {0.0f, 0.0f, 0.0f, tTop}};
    record(DrawState{true, texture->texId, added, false}, m, corners, stripOrder, 6);
}

void recordListPicture(const Texture* texture, int x, int y, const QuadListShape& shape)
{
    recordStrip(texture, x, y, shape, false);
}

void recordAddedListPicture(const Texture* texture, int x, int y, const QuadListShape& shape, float alpha)
{
    setColour(1.0f, 1.0f, 1.0f, alpha);
    recordStrip(texture, x, y, shape, true);
    leaveBlendingUsed();
    setColour(1.0f, 1.0f, 1.0f, 0.5f);
}

void recordPictureState(const Texture* texture, int x, int y)
{
    leaveTexture(true, texture->texId);
    left.modelView = translation(static_cast<float>(x), static_cast<float>(y));
}

// True when a quad, its four clip-space corners in drawing order, lies wholly
// outside the view and at least two pixels clear of it, so that the GL gives
// it no pixel: beyond one edge of the view, or with the whole view beyond one
// of its own sides (a turned picture off a corner).
static bool outsideView(const float (*clip)[4])
{
    float px[4];
    float py[4];
    for (int i = 0; i < 4; i++) {
        const float w = clip[i][3];
        if (!(w > 0.0f))
            return false;
        px[i] = clip[i][0] / w;
        py[i] = clip[i][1] / w;
    }
    const float mx = 1.0f + 4.0f / viewportWidth;
    const float my = 1.0f + 4.0f / viewportHeight;
    bool left = true, right = true, below = true, above = true;
    for (int i = 0; i < 4; i++) {
        left = left && px[i] < -mx;
        right = right && px[i] > mx;
        below = below && py[i] < -my;
        above = above && py[i] > my;
    }
    if (left || right || below || above)
        return true;
    const float view[4][2] = {{-mx, -my}, {mx, -my}, {mx, my}, {-mx, my}};
    for (int e = 0; e < 4; e++) {
        const int f = (e + 1) % 4;
        float nx = py[f] - py[e];
        float ny = px[e] - px[f];
        // Pointing away from the quad: the corner across from this side lies behind it.
        const int across = (e + 2) % 4;
        const float inward = nx * (px[across] - px[e]) + ny * (py[across] - py[e]);
        if (inward == 0.0f)
            continue;
        if (inward > 0.0f) {
            nx = -nx;
            ny = -ny;
        }
        bool beyond = true;
        for (const float* v : view)
            beyond = beyond && nx * (v[0] - px[e]) + ny * (v[1] - py[e]) > 0.0f;
        if (beyond)
            return true;
    }
    return false;
}

bool recordRotatedPicture(const Texture* texture, int x, int y, float angle)
{
    GlMatrix m = translation(static_cast<float>(x), static_cast<float>(y));
    rotateMatrixZ(m, angle);
    const float hw = static_cast<float>(texture->width / 2);
    const float hh = static_cast<float>(texture->height / 2);
    const float corners[4][4] = {{-hw, -hh, 0.0f, 0.0f}, {hw, -hh, 1.0f, 0.0f}, {hw, hh, 1.0f, 1.0f},
                                 {-hw, hh, 0.0f, 1.0f}};
    // A turned picture that reaches the edge of the view is clipped by the
    // GL, and there the batch's triangles and the GL's quad have been seen
    // to differ in a pixel now and then (about one picture in a thousand).
    // Those go on their own: in a batch by state after the other pictures
    // (their outlines still come last), in a batch keeping overlaps in their
    // layer; otherwise the caller draws them at once. One wholly outside the
    // view gives no pixel and is not sent at all (bullets fly on out there
    // while the first player recovers).
    const GlMatrix mvp = multiplyMatrices(projection, m);
    float clip[4][4];
    bool inside = true;
    for (int i = 0; i < 4; i++) {
        clipPosition(mvp, corners[i][0], corners[i][1], clip[i]);
        inside = inside && std::fabs(clip[i][0]) < clip[i][3] && std::fabs(clip[i][1]) < clip[i][3];
    }
    if (inside) {
        recordUnder(DrawState{true, texture->texId, false, false}, mvp, corners, quadOrder, 6);
    } else if (!outsideView(clip)) {
        if (order == DrawOrder::asCalled)
            return false;
        if (singleCount == maxSingles)
            flush();
        int layer = 0;
        if (order == DrawOrder::keepingOverlaps) {
            const CellBox box = cellBoxOf(clip, 4);
            const int group = layerGroupOf(DrawState{}, true);
            layer = group < 0 ? -1 : placeInLayers(group, box);
            if (layer < 0) {
                flush();
                layer = placeInLayers(layerGroupOf(DrawState{}, true), box);
            }
        }
        singleLayer[singleCount] = layer;
        Single& one = singles[singleCount++];
        one = Single{texture, x, y, angle, {left.colour[0], left.colour[1], left.colour[2], left.colour[3]}};
    }
    leaveTexture(true, texture->texId);
    left.modelView = m;
    return true;
}

void recordDot(float x, float y, float red, float life, unsigned int texId)
{
    const GlMatrix m = translation(x, y);
    left.modelView = m;
    setColour(red, life, life, life);
    const float corners[4][4] = {{1.0f, 1.0f, 1.0f, 1.0f}, {-1.0f, 1.0f, 0.0f, 1.0f}, {1.0f, -1.0f, 1.0f, 0.0f},
                                 {-1.0f, -1.0f, 0.0f, 0.0f}};
    record(DrawState{true, texId, true, false}, m, corners, stripOrder, 6);
    leaveBlendingUsed();
    setColour(1.0f, 1.0f, 1.0f, 0.5f);
    leaveTexture(false, texId); // the dot binds its picture and turns texturing off
}

void recordOutline(int x, int y, int width, int height)
{
    const GlMatrix m = translation(static_cast<float>(x), static_cast<float>(y));
    left.modelView = m;
    left.textured = false; // the bound picture stays
    left.lineWidth = 1.0f;
    const float l = static_cast<float>(-width / 2);
    const float t = static_cast<float>(-height / 2);
    const float r = static_cast<float>(width / 2);
    const float b = static_cast<float>(height / 2);
    const float corners[4][4] = {{l, t, 0.0f, 0.0f}, {r, t, 0.0f, 0.0f}, {r, b, 0.0f, 0.0f}, {l, b, 0.0f, 0.0f}};
    // Top, bottom, left side, right side, as the outline draws them.
    const int segments[8] = {0, 1, 2, 3, 0, 3, 1, 2};
    setColour(1.0f, 1.0f, 0.2f, 1.0f);
    record(DrawState{false, 0, false, true}, m, corners, segments, 8);
    setColour(1.0f, 1.0f, 1.0f, 1.0f);
}

void recordQuad(const GlMatrix& modelView, const float (*corners)[4], unsigned int texId)
{
    leaveTexture(true, texId);
    record(DrawState{true, texId, false, false}, modelView, corners, quadOrder, 6);
}

void recordMatrix(const GlMatrix& modelView)
{
    left.modelView = modelView;
}

// Sprite animations: loading frame sequences and playing them with cursors.
#include "graphics/anim.h"

#include <climits>
#include <cstdio>
#include <string>

#include "core/gameClock.h"
#include "core/textScan.h"
#include "graphics/image.h"
#include "graphics/quads.h"

namespace {

// An info file line holds at most 254 characters.
constexpr int lineSize = 255;
// No animation of the game comes near this; a larger announced count is
// taken as this many so that a hostile file cannot make a huge allocation.
constexpr int maxFrames = 1024;

// Reads the next line into line, keeping at most lineSize - 1 characters;
// the rest of a longer line is skipped so that it is not taken for lines of
// its own. Read byte by byte so that stray NUL bytes cannot hide the line
// end. False at end of file.
bool readLine(FILE* file, char* line)
{
    int length = 0;
    int c = EOF;
    while ((c = fgetc(file)) != EOF) {
        if (length < lineSize - 1)
            line[length++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    line[length] = '\0';
    return !(c == EOF && length == 0);
}

// "FILES: %d"; false when the line does not start that way.
bool parseFrameTotal(const char* line, int* total)
{
    const char* rest = nullptr;
    return matchPrefix(line, "FILES:", &rest) && scanInt(rest, total, nullptr);
}

// "%s %d %d %d %d": a file name, the display time and three unused numbers.
// Like scanf, parsing stops at the first field that does not match and the
// fields not reached keep their values.
void parseFrameLine(const char* line, char* name, int* durationMs, int* unused)
{
    int consumed = 0;
    if (sscanf(line, "%254s%n", name, &consumed) != 1)
        return;
    const char* rest = line + consumed;
    if (scanInt(rest, durationMs, &rest) && scanInt(rest, &unused[0], &rest) &&
        scanInt(rest, &unused[1], &rest))
        scanInt(rest, &unused[2], &rest);
}

} // namespace

SpriteAnim::~SpriteAnim()
{
    release();
}

void SpriteAnim::release()
{
    if (frames != nullptr) {
        for (int i = 0; i < framesReady; i++)
            delete frames[i].texture;
        delete[] frames;
    }
    frames = nullptr;
    frameCount = 0;
    framesReady = 0;
}

int SpriteAnim::load(const char* folder, const char* infoFile)
{
    release();
    width = 0;
    height = 0;
    const std::string folderPath = folder != nullptr ? folder : "";
    const std::string path = folderPath + "/" + (infoFile != nullptr ? infoFile : "");
    FILE* file = fopen(path.c_str(), "r");
    if (file == nullptr) {
        printf("ERROR opening file %s\n\n", path.c_str());
        return -1;
    }
    loaded = 1;

    char line[lineSize];
    int announced = 0;
    // Without a count there is no telling what the file holds: load nothing.
    if (!readLine(file, line) || !parseFrameTotal(line, &announced)) {
        fclose(file);
        return -1;
    }
    const int capacity = announced < 0 ? 0 : (announced > maxFrames ? maxFrames : announced);
    if (capacity > 0)
        frames = new SpriteFrame[capacity];

    // The fields keep their values from one frame line to the next.
    char name[lineSize] = "";
    int durationMs = 0;
    int unused[3] = {0, 0, 0};
    int count = 0;
    while (count < capacity && readLine(file, line)) {
        if (isCommentLine(line))
            continue;
        parseFrameLine(line, name, &durationMs, unused);
        Texture* texture = new Texture();
        frames[count].texture = texture;
        // A frame line without a file name before it has no picture to load.
        const std::string picture = folderPath + "/" + name;
        if (name[0] == '\0' ||
            !loadBmpTexture(picture.c_str(), &texture->texId, &texture->width, &texture->height)) {
            fclose(file);
            framesReady = count + 1; // so that release frees this frame's record too
            release();
            // A width of 0 is how the tile drawing tells a picture that did not load.
            width = 0;
            height = 0;
            return -1;
        }
        makeQuadList(&texture->list, texture->width, texture->height);
        frames[count].durationMs = durationMs;
        if (width == 0)
            width = texture->width;
        if (height == 0)
            height = texture->height;
        count++;
        // Only frames that really loaded count: a file with fewer frame
        // lines than it announces plays the ones it has.
        frameCount = count;
        framesReady = count;
    }
    fclose(file);
    return 0;
}

int SpriteAnim::loadSingle(const char* file)
{
    release();
    width = 0;
    height = 0;
    frameCount = 0;
    frames = new SpriteFrame[1];
    loaded = 1;

    Texture* texture = new Texture();
    frames[0].texture = texture;
    if (file == nullptr || !loadBmpTexture(file, &texture->texId, &texture->width, &texture->height)) {
        delete texture;
        frames[0].texture = nullptr;
        return -1;
    }
    makeQuadList(&texture->list, texture->width, texture->height);
    frames[0].durationMs = 0;
    width = texture->width;
    height = texture->height;
    framesReady = 1;
    return 0;
}

int AnimCursor::set(SpriteAnim* newAnim)
{
    frame = 0;
    frameStart = 0;
    speed = 1.0f;
    anim = newAnim;
    animating = (anim != nullptr && anim->loaded != 0 && anim->frameCount > 1) ? 1 : 0;
    return 0;
}

// The entry to draw: frame clamped into the loaded frames (a caller may set
// a frame beyond a short animation), or -1 when there is nothing to draw.
int AnimCursor::shownFrame() const
{
    if (anim == nullptr || anim->frames == nullptr || anim->framesReady <= 0)
        return -1;
    if (frame >= anim->framesReady)
        return anim->framesReady - 1;
    if (frame < 0)
        return 0;
    return frame;
}

void AnimCursor::advance()
{
    if (animating != 1)
        return;
    const int shown = shownFrame();
    if (shown < 0)
        return;
    const float due = static_cast<float>(frameStart) +
                      static_cast<float>(anim->frames[shown].durationMs) * speed;
    if (curTime > due) {
        // Written as a comparison so that a frame set near INT_MAX cannot overflow.
        frame = frame >= anim->frameCount - 1 ? 0 : frame + 1;
        frameStart = clockStamp();
    }
}

void AnimCursor::draw()
{
    advance();
    const int shown = shownFrame();
    if (shown >= 0 && anim->frames[shown].texture != nullptr)
        drawTexture(anim->frames[shown].texture, x, y);
}

void AnimCursor::drawRotated(int angle)
{
    advance();
    const int shown = shownFrame();
    if (shown >= 0 && anim->frames[shown].texture != nullptr)
        drawTextureRotated(anim->frames[shown].texture, x, y, static_cast<float>(angle));
}

void AnimCursor::drawBlended(int alpha)
{
    const int shown = shownFrame();
    if (shown >= 0 && anim->frames[shown].texture != nullptr)
        drawTextureBlended(anim->frames[shown].texture, x, y, alpha);
}

// Sprite animations (shared frame sequences) and the cursors that play them.
#pragma once

struct Texture;

// One frame of an animation.
struct SpriteFrame {
    Texture* texture = nullptr; // the frame's picture with its upright quad list
    int durationMs = 0;         // how long the frame shows
};

// A read-only frame sequence loaded from a ".kvs" info file or a single BMP.
// Created once by its owner (player, enemy, bullet and tile loaders) and only
// read afterwards; deleting it frees its frame array and Texture records
// (not the OpenGL textures).
class SpriteAnim {
public:
    SpriteFrame* frames = nullptr; // owned frame array
    int loaded = 0;                // 1 after a load
    int frameCount = 0;            // frames loaded from the info file (0 for a single picture)
    int framesReady = 0;           // leading entries of frames that hold a picture; 0 draws nothing
    int width = 0;                 // width of the first frame with a non-zero width
    int height = 0;                // height of the first frame with a non-zero height

    SpriteAnim() = default;
    ~SpriteAnim();
    SpriteAnim(const SpriteAnim&) = delete;
    SpriteAnim& operator=(const SpriteAnim&) = delete;

    // Loads "folder/infoFile" and the BMP frames it lists; 0 on success, -1 on
    // failure (missing file, no "FILES: %d" first line, a frame picture that
    // does not load), after which the animation draws nothing. Prints
    // "ERROR opening file <path>" when the info file cannot be opened.
    int load(const char* folder, const char* infoFile);
    // Loads one BMP picture as a still animation; 0 on success, -1 on failure
    // (then width stays 0 and nothing is drawn).
    int loadSingle(const char* file);

private:
    void release();
};

// Per-object playback state over a SpriteAnim; drawing advances against curTime.
// Owned by actors, enemies, bullets and map cells; set must run before drawing
// (a cursor that was never set draws nothing).
class AnimCursor {
public:
    int frame = 0;             // index of the frame that shows (clamped to the animation when drawn)
    int x = 0;                 // screen x of the draw position
    int y = 0;                 // screen y of the draw position
    int animating = 0;         // frames advance only while 1
    float speed = 1.0f;        // factor on every frame's display time
    int frameStart = 0;        // curTime (truncated) when the current frame began
    SpriteAnim* anim = nullptr; // the animation played, not owned

    // Starts anim from frame 0 (running if it has more than one frame); returns 0.
    int set(SpriteAnim* newAnim);
    // Advances the frame if due, then draws it with its top-left corner at (x, y).
    void draw();
    // Advances the frame if due, then draws it centred on (x, y), turned by angle.
    void drawRotated(int angle);
    // Draws the current frame added onto the screen with alpha 0..255; never advances.
    void drawBlended(int alpha);
    SpriteAnim* getAnim() { return anim; }
    void setPos(int newX, int newY) { x = newX; y = newY; }
    void setFrame(int n) { frame = n; }
    void play() { animating = 1; }
    void stop() { animating = 0; }
    void setSpeed(float factor) { speed = factor; }

private:
    int shownFrame() const;
    void advance();
};

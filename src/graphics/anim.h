// Sprite animations (shared frame sequences) and the cursors that play them.
#pragma once

struct Texture;

// One frame of an animation.
struct SpriteFrame {
    Texture* texture = nullptr; // the frame's picture with its upright quad list
    int durationMs = 0;         // how long the frame shows
};

// A read-only frame sequence loaded from a ".kvs" info file or a single BMP.
class SpriteAnim {
public:
    SpriteFrame* frames = nullptr; // owned frame array
    int loaded = 0;                // 1 after a load
    int frameCount = 0;            // frames in the array (0 for a single picture)
    int width = 0;                 // width of the first frame with a non-zero width
    int height = 0;                // height of the first frame with a non-zero height

    // Loads "folder/infoFile"; 0 on success, -1 on failure.
    int load(const char* folder, const char* infoFile);
    // Loads one BMP picture as a still animation; 0 on success, -1 on failure.
    int loadSingle(const char* file);
};

// Per-object playback state over a SpriteAnim; drawing advances against curTime.
class AnimCursor {
public:
    int frame = 0;             // index of the frame that shows
    int x = 0;                 // screen x of the draw position
    int y = 0;                 // screen y of the draw position
    int animating = 0;         // frames advance only while 1
    float speed = 1.0f;        // factor on every frame's display time
    int frameStart = 0;        // curTime (truncated) when the current frame began
    SpriteAnim* anim = nullptr; // the animation played, not owned

    int set(SpriteAnim* newAnim);
    void draw();
    void drawRotated(int angle);
    void drawBlended(int alpha);
    SpriteAnim* getAnim() { return anim; }
    void setPos(int newX, int newY) { x = newX; y = newY; }
    void setFrame(int n) { frame = n; }
    void play() { animating = 1; }
    void stop() { animating = 0; }
    void setSpeed(float factor) { speed = factor; }
};

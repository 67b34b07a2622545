// Game clock, viewport arithmetic and the update/draw handshake. No GLUT here:
// the GLUT callbacks in mainLoop.cpp call these.
#include "shell/mainLoop.h"

#include <climits>

#include "shell/states.h"

float curTime = 0.0f;
float lastTime = 0.0f;
bool frameUpdated = false;
bool debugMode = false;

Texture* bgTexture = nullptr;
Texture* storyMapTexture = nullptr;
Texture* emblemTexture = nullptr;
Texture* timeBonusTexture = nullptr;
Texture* gameOverTexture = nullptr;
Texture* pixelTexture = nullptr;

int clockStamp()
{
    if (!(curTime < 2147483520.0f)) // the largest float below 2^31; also catches NaN
        return INT_MAX;
    if (curTime < -2147483520.0f)
        return INT_MIN;
    return static_cast<int>(curTime);
}

int advanceClock()
{
    lastTime = curTime;
    // The sum is formed in double and stored back in single precision, so 85
    // normal ticks from 0 give 1000.00006, not 1000.
    if (!debugMode) {
        curTime = static_cast<float>(static_cast<double>(curTime) + static_cast<double>(clockStep));
        return 11;
    }
    curTime = static_cast<float>(static_cast<double>(curTime) + 1.0);
    return 1;
}

Viewport computeViewport(int width, int height)
{
    if (height == 0)
        height = 1;
    if (width == 0)
        width = 1;
    const double aspect = targetAspect;
    const float windowAspect = static_cast<float>(width) / static_cast<float>(height);
    Viewport v;
    if (targetAspect < windowAspect) {
        // Wider than 4:3: bars left and right.
        v.x = static_cast<int>((width - height * aspect) / 2);
        v.y = 0;
        v.width = static_cast<int>(height * aspect);
        v.height = height;
    } else {
        // Taller than (or exactly) 4:3: bars above and below.
        v.x = 0;
        v.y = static_cast<int>((height - width / aspect) / 2);
        v.width = width;
        v.height = static_cast<int>(width / aspect);
    }
    return v;
}

// GLUT calls a registered idle callback on every pass of its loop, and a
// process that keeps one registered spins a whole core. So the idle callback
// is registered exactly while an update is due: from start-up (initWindow
// registers it) until the update has run, and again from each display. The
// idle half then runs in the same passes as before, with the same result,
// and the loop sleeps until the next timer in between.
void idleStep()
{
    if (!frameUpdated)
        updateFrame();
    if (frameUpdated)
        setIdleCallback(false);
}

void displayStep()
{
    if (frameUpdated)
        drawFrame();
    frameUpdated = false;
    setIdleCallback(true);
}

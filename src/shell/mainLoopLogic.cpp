// Viewport arithmetic and the update/draw handshake. No GLUT here:
// the GLUT callbacks in mainLoop.cpp call these.
#include "shell/mainLoop.h"
#include "shell/states.h"

#include "shell/states.h"

bool frameUpdated = false;

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

// Readouts, drawing side.
#include "core/gameClock.h"
#include "graphics/font.h"
#include "shell/hud.h"
#include "shell/states.h"

void drawFps(float frameTime, bool debug)
{
    const double value = sampleFps(frameTime, debug);
    printTextColor(500, 460, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, "fps: %.1f", value);
}

void drawStock(int count)
{
    printText(534, 1, 1, "Stock: %d", count);
}

void drawAltTime()
{
    const float ratio = altTimeRatio();
    printTextColor(1, 1, 0, 1.0f, ratio, ratio, 2.5f, 1.5f, "%d", altTimeLeft);
}

void drawDebugClock()
{
    printTextColor(1, 100, 0, 0.0f, 1.0f, 1.0f, 2.0f, 2.0f, "curTime: %f", curTime);
}

void drawControlsHelp()
{
    for (const HelpLine& line : controlsHelp)
        printTextColor(10, line.y, 0, 0.95f, 0.95f, 1.0f, 0.8f, 0.8f, "%s", line.text);
}

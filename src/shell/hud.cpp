// Readout arithmetic: fps sampling, the time colour, the help texts.
#include "shell/hud.h"

#include "shell/states.h"

float fpsShown = 0.0f;
int fpsFrames = 0;

void resetHud()
{
    fpsShown = 0.0f;
    fpsFrames = 0;
}

double sampleFps(float frameTime, bool debug)
{
    const int threshold = debug ? 1500 : 85;
    if (fpsFrames >= threshold) {
        const double value = 1000.0 / static_cast<double>(frameTime);
        fpsShown = static_cast<float>(value);
        fpsFrames = 0;
        return value;
    }
    fpsFrames++;
    return fpsShown;
}

float altTimeRatio()
{
    return static_cast<float>(altTimeLeft) / static_cast<float>(altTimeMax);
}

// The texts are fixed: they do not follow the key bindings.
const HelpLine controlsHelp[helpLineCount] = {
    {40, "Game Controls:"},
    {50, "Move / Navigate Menus:  I, J, K, L or arrow keys"},
    {60, "Attack:  X"},
    {70, "Jump:  C"},
    {80, "Switch:  Z"},
    {90, "Save Screenshot:  F2"},
    {100, "Confirm / Exit:  Enter / Esc"},
};

// The game clock. No GLUT here: the shell's timer callback calls advanceClock.
#include "core/gameClock.h"

#include <climits>

float curTime = 0.0f;
float lastTime = 0.0f;
bool debugMode = false;

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

double nextTickDue(double due, double now, int period)
{
    const double next = due + period;
    return next < now ? now : next;
}

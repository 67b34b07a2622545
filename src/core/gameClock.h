// The game clock and the time stamps taken from it.
#pragma once

extern float curTime;  // game clock in ms; advanced only by advanceClock (85 ticks = 1000 ms)
extern float lastTime; // curTime just before the latest tick
extern bool debugMode; // debug run: 1 ms per tick, debug readouts; set by the title menu

// One normal tick adds this single-precision step (about 1000/85 ms).
constexpr float clockStep = 11.7647f;

// curTime truncated toward zero and held inside the int range: the time stamp
// that actors and animation cursors store.
int clockStamp();
// v truncated toward zero and held inside the int range (NaN gives 0), for
// positions and times computed in floating point. Inline: the bullets call it
// for every slot every tick.
inline int truncateToInt(double v)
{
    if (v != v)
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

// Advances curTime by one tick (1.0 in debug runs) and records lastTime.
// Returns the delay in real ms before the next tick (11, or 1 in debug runs).
// Called by the shell's clock timer; tests call it directly.
int advanceClock();

// When the tick after one that was due at `due` (wall ms) is due, seen at
// wall time `now`: `period` ms later, so that a tick that fires a little late
// does not delay the ones after it. A tick more than a period late (a stall)
// gets one tick at once and the pace goes on from now, so a stall never
// turns into a burst of catch-up ticks. Called by the browser's clock tick.
double nextTickDue(double due, double now, int period);

// The game clock.
#include <gtest/gtest.h>

#include "core/gameClock.h"

namespace {

struct ClockGuard {
    ClockGuard() { curTime = 0.0f; lastTime = 0.0f; debugMode = false; }
    ~ClockGuard() { curTime = 0.0f; lastTime = 0.0f; debugMode = false; }
};

TEST(GameClock, EightyFiveNormalTicksMakeOneGameSecondInSinglePrecision)
{
    ClockGuard guard;
    for (int i = 0; i < 85; i++)
        EXPECT_EQ(advanceClock(), 11);
    EXPECT_FLOAT_EQ(curTime, 1000.00006f);
    EXPECT_EQ(curTime, 1000.00006f); // bit-exact, not merely close
    EXPECT_NE(curTime, 1000.0f);
}

TEST(GameClock, DebugTicksAddOneMillisecondAndAskForOneMillisecondTimer)
{
    ClockGuard guard;
    debugMode = true;
    for (int i = 0; i < 85; i++)
        EXPECT_EQ(advanceClock(), 1);
    EXPECT_EQ(curTime, 85.0f);
    EXPECT_EQ(lastTime, 84.0f);
}

TEST(GameClock, LastTimeIsTheValueBeforeTheTick)
{
    ClockGuard guard;
    advanceClock();
    const float before = curTime;
    advanceClock();
    EXPECT_EQ(lastTime, before);
    EXPECT_GT(curTime, lastTime);
}

// Ticks fired at 3 ms late, on time, then after a 100 ms stall: the late
// one keeps the 11 ms grid, the stall gives one tick at once and then the
// pace restarts from there instead of catching up nine ticks.
TEST(GameClock, TickDeadlinesKeepTheGridAndCatchUpOneTickAfterAStall)
{
    EXPECT_EQ(nextTickDue(100.0, 103.0, 11), 111.0);
    EXPECT_EQ(nextTickDue(111.0, 111.0, 11), 122.0);
    const double afterStall = nextTickDue(122.0, 222.0, 11);
    EXPECT_EQ(afterStall, 222.0);
    EXPECT_EQ(nextTickDue(afterStall, 222.5, 11), 233.0);
    EXPECT_EQ(nextTickDue(50.0, 50.0, 1), 51.0);
}

} // namespace

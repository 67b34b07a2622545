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

} // namespace

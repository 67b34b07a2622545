// Game clock and viewport arithmetic.
#include <gtest/gtest.h>

#include "shell/mainLoop.h"

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

struct ViewportCase {
    int w, h;
    Viewport expected;
};

TEST(Viewport, LetterAndPillarBoxesTruncateTowardZero)
{
    const ViewportCase cases[] = {
        {640, 480, {0, 0, 640, 479}},    // the constant is a hair above 4/3
        {800, 480, {79, 0, 640, 480}},   // pillar-box
        {640, 600, {0, 60, 640, 479}},   // letter-box
        {1920, 1080, {239, 0, 1440, 1080}},
        {1280, 1024, {0, 32, 1280, 959}},
        {640, 0, {319, 0, 1, 1}},        // height 0 counts as 1
        {0, 0, {0, 0, 1, 0}},            // width 0 counts as 1 too
    };
    for (const auto& c : cases) {
        const Viewport v = computeViewport(c.w, c.h);
        EXPECT_EQ(v.x, c.expected.x) << c.w << "x" << c.h;
        EXPECT_EQ(v.y, c.expected.y) << c.w << "x" << c.h;
        EXPECT_EQ(v.width, c.expected.width) << c.w << "x" << c.h;
        EXPECT_EQ(v.height, c.expected.height) << c.w << "x" << c.h;
    }
}

} // namespace

#include "shell/states.h"
#include "support/fakeShell.h"

namespace {

TEST(Handshake, OneUpdateThenAtMostOneDrawPerRedisplay)
{
    frameUpdated = false;
    fakeDrawFrameCalls = 0;
    // An expose before any update draws nothing.
    displayStep();
    EXPECT_EQ(fakeDrawFrameCalls, 0);
    idleStep(); // runs updateFrame, which marks the frame as updated
    EXPECT_TRUE(frameUpdated);
    idleStep(); // no second update until the first was drawn
    displayStep();
    EXPECT_EQ(fakeDrawFrameCalls, 1);
    EXPECT_FALSE(frameUpdated);
    displayStep(); // a second redisplay with nothing pending draws nothing
    EXPECT_EQ(fakeDrawFrameCalls, 1);
}

} // namespace

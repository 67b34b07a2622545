// Viewport arithmetic and the update/draw handshake.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/gameClock.h"
#include "shell/mainLoop.h"

namespace {

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

#include <cstdlib>
#include <string>
#include <vector>

#include "input/input.h"
#include "shell/menus.h"
#include "shell/states.h"
#include "support/fakeShell.h"

namespace {

TEST(Handshake, OneUpdateThenAtMostOneDrawPerRedisplay)
{
    resetFakeShell();
    frameUpdated = false;
    // An expose before any update draws nothing.
    displayStep();
    EXPECT_EQ(fakeDrawFrameCalls, 0);
    idleStep(); // runs updateFrame, which marks the frame as updated
    EXPECT_TRUE(frameUpdated);
    EXPECT_FALSE(fakeIdleRegistered); // nothing to do until the next draw: the loop may sleep
    idleStep(); // no second update until the first was drawn
    displayStep();
    EXPECT_EQ(fakeDrawFrameCalls, 1);
    EXPECT_FALSE(frameUpdated);
    EXPECT_TRUE(fakeIdleRegistered); // the next update is due
    displayStep(); // a second redisplay with nothing pending draws nothing
    EXPECT_EQ(fakeDrawFrameCalls, 1);
    EXPECT_TRUE(fakeIdleRegistered);
}

// What reaches the game during one stretch of real time.
struct Moment {
    bool tick;    // the clock timer is due
    int key;      // 0, or an arrow key code, pressed (keyDown) or released
    bool keyDown;
    bool expose;  // a redisplay that is not a tick (the window was uncovered)
};

// freeglut 3.4's glutMainLoop reduced to what the handshake depends on. Each
// pass handles the window events that arrived, fires the due timers, redraws
// the window if a redisplay is pending, then calls the idle callback if one
// is registered; with none registered the loop sleeps until an event or a
// timer arrives. The game's own callbacks run unchanged inside it.
class LoopModel {
public:
    // keepIdle: the idle callback stays registered for the whole run, as the
    // game did before it learnt to sleep; the loop then never sleeps and
    // makes spinPasses extra passes whenever nothing arrives.
    LoopModel(bool keepIdle) : keepIdle(keepIdle) {}

    std::vector<std::string> trace; // ticks, updates and draws in the order they ran
    int idleCalls = 0;

    void run(const Moment& m, int spinPasses)
    {
        pass(&m);
        if (keepIdle) {
            for (int i = 0; i < spinPasses; i++)
                pass(nullptr);
            return;
        }
        // An idle callback still registered means another pass at once.
        for (int guard = 0; fakeIdleRegistered && guard < 10; guard++)
            pass(nullptr);
        EXPECT_FALSE(fakeIdleRegistered) << "the idle callback stayed registered with nothing to do";
    }

private:
    bool keepIdle;
    bool redisplayPending = false;

    void pass(const Moment* m)
    {
        if (m != nullptr && m->key != 0) {
            if (m->keyDown)
                onSpecialDown(m->key, 0, 0);
            else
                onSpecialUp(m->key, 0, 0);
        }
        if (m != nullptr && m->expose)
            redisplayPending = true;
        if (m != nullptr && m->tick) { // onClockTick
            redisplayPending = true;
            advanceClock();
            trace.push_back("tick");
        }
        if (redisplayPending) {
            redisplayPending = false;
            const int before = fakeDrawFrameCalls;
            displayStep();
            if (fakeDrawFrameCalls != before)
                trace.push_back("draw");
        }
        if (keepIdle || fakeIdleRegistered) {
            idleCalls++;
            const bool wasUpdated = frameUpdated;
            idleStep();
            if (!wasUpdated)
                trace.push_back("update at " + std::to_string(curTime) + " item " + std::to_string(menuItem));
        }
    }
};

void resetGame()
{
    resetFakeShell();
    resetGameStates();
    resetMenus();
    resetControls();
    frameUpdated = false;
    curTime = 0.0f;
    lastTime = 0.0f;
}

// The same stream of ticks, arrow keys and exposes through the loop with the
// idle callback kept for the whole run and with it registered only while an
// update is due: the title menu must see every tick, update and draw in the
// same order with the same clock and selection, and the second loop must
// never call the idle callback for nothing.
TEST(Handshake, IdleRegisteredOnlyWhileAnUpdateIsDueKeepsEveryTickUpdateAndDraw)
{
    std::vector<Moment> moments;
    std::srand(11);
    for (int i = 0; i < 600; i++) {
        Moment m{};
        m.tick = std::rand() % 5 < 2;
        if (std::rand() % 4 == 0) {
            m.key = std::rand() % 2 ? keyArrowDown : keyArrowUp;
            m.keyDown = std::rand() % 2;
        }
        m.expose = std::rand() % 20 == 0;
        moments.push_back(m);
    }

    resetGame();
    LoopModel spinning(true);
    for (const Moment& m : moments)
        spinning.run(m, std::rand() % 4);

    resetGame();
    LoopModel sleeping(false);
    for (const Moment& m : moments)
        sleeping.run(m, 0);
    resetGame();

    ASSERT_GT(spinning.trace.size(), 400u);
    EXPECT_EQ(sleeping.trace, spinning.trace);
    EXPECT_EQ(sleeping.trace.front().rfind("update at 0.000000", 0), 0u) << "the first update runs before the first tick";
    const long updates = std::count_if(sleeping.trace.begin(), sleeping.trace.end(),
                                       [](const std::string& e) { return e.rfind("update", 0) == 0; });
    EXPECT_EQ(sleeping.idleCalls, updates);
    EXPECT_GT(spinning.idleCalls, updates);
}

} // namespace

// Shell platform functions replaced for the unit tests: timers and the exit are
// recorded instead of happening, so tests can fire timer events by hand.
#include "support/fakeShell.h"

#include <gtest/gtest.h>

#include "graphics/font.h"
#include "input/input.h"
#include "shell/mainLoop.h"
#include "shell/states.h"

int fakeDrawFrameCalls = 0;
bool fakeIdleRegistered = true;
std::vector<FakeTimer> fakeTimers;
std::vector<int> fakeExitCodes;
std::vector<std::string> fakeCallLog;

void resetFakeShell()
{
    fakeDrawFrameCalls = 0;
    fakeIdleRegistered = true;
    fakeTimers.clear();
    fakeExitCodes.clear();
    fakeCallLog.clear();
}

FakeTimer popFakeTimer()
{
    if (fakeTimers.empty()) {
        ADD_FAILURE() << "no game timer is pending";
        return {0, 0};
    }
    const FakeTimer t = fakeTimers.front();
    fakeTimers.erase(fakeTimers.begin());
    return t;
}

void drawFrame()
{
    fakeDrawFrameCalls++;
}

void setIdleCallback(bool wanted)
{
    fakeIdleRegistered = wanted;
}

void armGameTimer(int ms, int value)
{
    fakeTimers.push_back({ms, value});
}

void endProcess(int code)
{
    fakeExitCodes.push_back(code);
    fakeCallLog.push_back("exit " + std::to_string(code));
}


// The font is platform code; only cleanup reaches it from the logic.
void deleteFont()
{
    fakeCallLog.push_back("deleteFont");
}

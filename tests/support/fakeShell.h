// Fakes of the shell's platform functions; records the tests can read.
#pragma once

#include <string>
#include <vector>

extern int fakeDrawFrameCalls; // drawFrame calls since the last reset
extern bool fakeIdleRegistered; // the idle callback as setIdleCallback last left it; true after a reset, as initWindow leaves it

// A game-event timer request made through armGameTimer.
struct FakeTimer {
    int ms;
    int value;
};
extern std::vector<FakeTimer> fakeTimers;  // armGameTimer requests, oldest first, not yet fired
extern std::vector<int> fakeExitCodes;     // endProcess calls, in order
// Platform calls whose order matters, as text ("deleteFont", "exit 0", ...).
// The temporary audio fakes write to it too.
extern std::vector<std::string> fakeCallLog;

// Clears every record above.
void resetFakeShell();
// Removes and returns the oldest pending timer; fails the test when none is pending.
FakeTimer popFakeTimer();

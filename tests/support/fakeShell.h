// Fakes of the shell's platform functions; counters the tests can read.
#pragma once

extern int fakeDrawFrameCalls; // drawFrame calls since the last reset

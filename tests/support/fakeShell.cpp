// Shell platform functions replaced for the unit tests.
#include "support/fakeShell.h"

#include "shell/mainLoop.h"
#include "shell/states.h"

int fakeDrawFrameCalls = 0;

void drawFrame()
{
    fakeDrawFrameCalls++;
}

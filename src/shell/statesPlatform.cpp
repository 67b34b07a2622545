// The game states' two links to the platform: the game-event timer and the exit,
// declared in core/gameState.h so that logic below the shell can call them.
#include <GL/glut.h>
#include <cstdlib>

#include "shell/states.h"
#ifdef __EMSCRIPTEN__
#include "shell/webPage.h"
#endif

void armGameTimer(int ms, int value)
{
#ifdef __EMSCRIPTEN__
    // A timer the page can hold while it is hidden (GLUT's cannot be cancelled).
    armWebGameTimer(ms, value);
#else
    glutTimerFunc(static_cast<unsigned int>(ms), onGameTimer, value);
#endif
}

void endProcess(int code)
{
    exit(code);
}

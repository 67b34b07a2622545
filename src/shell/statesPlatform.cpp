// The game states' two links to the platform: the game-event timer and the exit,
// declared in core/gameState.h so that logic below the shell can call them.
#include <GL/glut.h>
#include <cstdlib>

#include "shell/states.h"

void armGameTimer(int ms, int value)
{
    glutTimerFunc(static_cast<unsigned int>(ms), onGameTimer, value);
}

void endProcess(int code)
{
    exit(code);
}

// Entry point: start-up in its fixed order, then GLUT's main loop.
#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>

#include "core/gameClock.h"
#include "shell/mainLoop.h"

int main(int argc, char** argv)
{
    // Diagnostics go out line by line even into a file or a pipe, so none is
    // lost when the game is stopped by a signal and a reader sees each one
    // as it happens.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    glutInit(&argc, argv);
    if (!initWindow())
        exit(1);
    loadGameData();
    lastTime = 0.0f;
    glutMainLoop();
    return 0;
}

// Entry point: start-up in its fixed order, then GLUT's main loop.
#include <GL/glut.h>
#include <cstdlib>

#include "shell/mainLoop.h"

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (!initWindow())
        exit(1);
    loadGameData();
    lastTime = 0.0f;
    glutMainLoop();
    return 0;
}

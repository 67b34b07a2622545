// Game-state machine, drawing side.
#include <GL/glut.h>

#include "shell/states.h"

void drawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

// The busiest playing frame drawn again and again in the browser, as fast as
// the page presents frames; the page counts them (window.kvFrames, advanced
// by drawFrame). The same set-up as kvframetiming's busiest frame.
#include <GL/glut.h>

#include "shell/mainLoop.h"
#include "shell/states.h"
#include "support/busyScene.h"
#include "world/map.h"

static void drawBusiest()
{
    drawFrame();
    glutPostRedisplay();
}

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (!initWindow())
        return 1;
    placeEveryEnemySlot();
    loadGameData();
    emptyUnplacedEnemySlots(tileMap.getMarkerCount());
    onReshape(640, 480);
    setUpBusiestFrame(busiestScroll());
    // Only drawing: no update runs, so the scene stays the busiest one.
    glutIdleFunc(nullptr);
    glutDisplayFunc(drawBusiest);
    glutPostRedisplay();
    glutMainLoop();
    return 0;
}

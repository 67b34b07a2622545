// The busiest playing frame drawn again and again in the browser, as fast as
// the page presents frames; the page counts them (window.kvFrames, advanced
// by drawFrame). The same set-up as kvframetiming's busiest frame.
//
// With "?paced" in the page's address the game's own clock paces it
// instead: a tick, an update and a draw, as in play, with the scene set up
// again every 250 ms so that it stays the busiest one while the actors move.
#include <GL/glut.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>

#include "shell/mainLoop.h"
#include "shell/states.h"
#include "support/busyScene.h"
#include "world/map.h"

static int scroll = 0;

static void drawBusiest()
{
    drawFrame();
    glutPostRedisplay();
}

static void setUpAgain(void*)
{
    setUpBusiestFrame(scroll);
    emscripten_set_timeout(setUpAgain, 250, nullptr);
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
    scroll = busiestScroll();
    setUpBusiestFrame(scroll);
    if (EM_ASM_INT(return location.search.indexOf('paced') >= 0;)) {
        emscripten_set_timeout(setUpAgain, 250, nullptr);
        glutMainLoop();
        return 0;
    }
    // Only drawing: no update runs, so the scene stays the busiest one.
    glutIdleFunc(nullptr);
    glutDisplayFunc(drawBusiest);
    glutPostRedisplay();
    glutMainLoop();
    return 0;
}

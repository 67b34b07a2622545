// GLUT side of the main loop: the window, the callbacks and the shared pictures.
#include "shell/mainLoop.h"

#include <GL/glut.h>
#include <GL/glu.h>
#include <cstdio>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "audio/sound.h"
#include "core/gameClock.h"
#include "core/settings.h"
#include "graphics/font.h"
#include "graphics/image.h"
#include "graphics/quads.h"
#include "graphics/sharedTextures.h"
#include "input/input.h"
#include "input/gamepadSdl.h"
#include "shell/swapControl.h"
#include "world/map.h"
#ifdef __EMSCRIPTEN__
#include "shell/webPage.h"
#endif

#ifndef __EMSCRIPTEN__
// GLUT hands a letter typed with Ctrl held over as a control code; the game
// gets the letter, so Ctrl+j moves left and is not read as Enter.
static bool ctrlHeld()
{
    return (glutGetModifiers() & GLUT_ACTIVE_CTRL) != 0;
}

static void onGlutKeyDown(unsigned char key, int x, int y)
{
    onKeyDown(plainKey(key, ctrlHeld()), x, y);
}

static void onGlutKeyUp(unsigned char key, int x, int y)
{
    onKeyUp(plainKey(key, ctrlHeld()), x, y);
}
#endif

bool initWindow()
{
    loadSettings(&settings.fullscreen, &settings.musicVolume, &settings.sfxVolume, &settings.swapP1);

    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(640, 480);
    if (glutCreateWindow("KelVantis Demo -- by Orvelle") == 0)
        return false;
#ifndef __EMSCRIPTEN__
    turnOffSwapSync();
#endif

    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutReshapeFunc(onReshape);
#ifdef __EMSCRIPTEN__
    // The browser's GLUT has no key-repeat switch and no joystick; its clock
    // tick is the page's own timer, which stops while the page is hidden.
    startWebPlatform();
#else
    glutKeyboardFunc(onGlutKeyDown);
    glutSpecialFunc(onSpecialDown);
    glutKeyboardUpFunc(onGlutKeyUp);
    glutSpecialUpFunc(onSpecialUp);
    if (startGamepad()) // SDL reads the pads: no glutJoystickFunc, or input would come twice
        glutTimerFunc(10, onGamepadTimer, 0);
    glutTimerFunc(11, onClockTick, 1);
    // Must come after the window exists: freeglut aborts otherwise.
    glutIgnoreKeyRepeat(1);
#endif

    if (loadFont() == 0) {
        // Without a font nothing can be shown; say why the game ends instead
        // of leaving the player with a bare exit code 1.
        printf("Font load failure; exiting.\n");
        return false;
    }
    buildFont();

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glAlphaFunc(GL_GREATER, 0.1f);
    glEnable(GL_ALPHA_TEST);

#ifndef __EMSCRIPTEN__
    // A browser goes full screen only from a key press or a click; the page
    // asks for it at the first key press when the option is on.
    if (settings.fullscreen != 0) {
        // Without a window manager freeglut keeps the window's position when it
        // goes full screen, leaving part of the picture off-screen: move it to
        // the corner first.
        glutPositionWindow(0, 0);
        glutFullScreen();
    }
#endif
    return true;
}

// A JPEG picture; texId 0 afterwards means the load failed.
static Texture* loadJpegPicture(const char* path, const char* failure)
{
    Texture* t = new Texture();
    loadJpegTexture(&t->texId, path, &t->width, &t->height);
    if (t->texId == 0)
        printf("%s", failure);
    makeQuadListFlipped(&t->list, t->width, t->height);
    return t;
}

static Texture* loadBmpPicture(const char* path, const char* failure, bool withList)
{
    Texture* t = new Texture();
    if (!loadBmpTexture(path, &t->texId, &t->width, &t->height))
        printf("%s", failure);
    if (withList)
        makeQuadList(&t->list, t->width, t->height);
    return t;
}

void loadSharedTextures()
{
    bgTexture = loadJpegPicture("gfx/bg.jpg", "Problem initializing bg.jpg\n");
    storyMapTexture = loadJpegPicture("gfx/storymap.jpg", "Problem initializing storymap.jpg\n");
    emblemTexture = loadBmpPicture("gfx/yrere.bmp", "Problem loading yrere.bmp", true);
    timeBonusTexture = loadBmpPicture("gfx/timebonus.bmp", "Problem loading timebonus.bmp", true);
    gameOverTexture = loadJpegPicture("gfx/gameover.jpg", "Problem initializing gameover.jpg\n");
    pixelTexture = loadBmpPicture("gfx/pixel.bmp", "Problem loading pixel.bmp", false);
}

void loadGameData()
{
    initSound();
    loadPlayers();
    loadSharedTextures();
    loadLevel();
    resetParticles();
    loadEnemies();
    initBullets();
}

void onReshape(int width, int height)
{
    const Viewport v = computeViewport(width, height);
    glViewport(v.x, v.y, v.width, v.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 480, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setIdleCallback(bool wanted)
{
    glutIdleFunc(wanted ? onIdle : nullptr);
}

void onIdle()
{
    idleStep();
}

void onDisplay()
{
    displayStep();
}

void onClockTick(int /*value*/)
{
#ifdef __EMSCRIPTEN__
    // The clock moves and the next tick is armed before the draw, against
    // its due time rather than from the end of the draw, so the ticks keep
    // the desktop's pace however long a frame takes to draw (up to 11 ms).
    // The browser's GLUT would draw at the screen's next refresh, 60 times a
    // second on most screens: fewer frames than ticks, and the actors, which
    // move once per drawn frame, would slow down. So the frame is drawn at
    // once, as freeglut does on the desktop right after the timer, and like
    // the desktop's it sees the clock already moved.
    armNextClockTick(advanceClock());
    onDisplay();
#else
    glutPostRedisplay();
    const int delay = advanceClock();
    glutTimerFunc(delay, onClockTick, 1);
#endif
}

// Entry point: start-up in its fixed order, then GLUT's main loop.
#include <GL/glut.h>
#include <cstdlib>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "audio/sound.h"
#include "shell/mainLoop.h"
#include "world/map.h"

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (!initWindow())
        exit(1);
    initSound();
    loadPlayers();
    loadSharedTextures();
    loadLevel();
    resetParticles();
    loadEnemies();
    initBullets();
    lastTime = 0.0f;
    glutMainLoop();
    return 0;
}

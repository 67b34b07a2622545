// Game-state machine, logic side.
#include "shell/states.h"

#include "shell/mainLoop.h"

int GameState = 0;

void updateFrame()
{
    frameUpdated = true;
}

void onGameTimer(int /*value*/)
{
}

// State of the two player characters.
#include "actors/player.h"

Player player;

int altX = 0;
int altY = 0;
int altSize = 0;
int altDrawOffset = 0;
int altDx = 0;
int altDy = 0;
int altTimeMax = 30;
int altTimeLeft = 30;
SpriteAnim* altAnim = nullptr;
AnimCursor* altCursor = nullptr;
bool altActive = false;
bool switchLatch = false;

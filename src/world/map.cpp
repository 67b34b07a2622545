// Level map loading.
#include "world/map.h"

void loadLevel() {}

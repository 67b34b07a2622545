// Music and samples.
#include "audio/sound.h"

void initSound() {}
void startMusic() {}
void playSample(int) {}

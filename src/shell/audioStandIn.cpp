// TEMPORARY silent stand-ins for the parts of the sound layer that the menus
// and the shutdown call, so the game links while the sound layer is being
// written. Delete this file (and its line in CMakeLists.txt) when src/audio
// provides these.
#include "audio/fsound.h"
#include "audio/sound.h"

FSOUND_STREAM* musicStream = nullptr;
FSOUND_SAMPLE* samples[3] = {nullptr, nullptr, nullptr};
int musicChannel = 0;

int volumeFromLevel(int level)
{
    if (level <= 0)
        return 0;
    return level >= 11 ? 255 : level * 25;
}

signed char FSOUND_SetVolume(int, int) { return 1; }
signed char FSOUND_Stream_Close(FSOUND_STREAM*) { return 1; }
void FSOUND_Sample_Free(FSOUND_SAMPLE*) {}

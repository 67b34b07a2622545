// The game's music stream and three samples, over the FSOUND calls.
#include "audio/sound.h"

#include <algorithm>
#include <cstdint>

#include "audio/fsound.h"
#include "core/settings.h"

FSOUND_STREAM* musicStream = nullptr;
FSOUND_SAMPLE* samples[3] = {nullptr, nullptr, nullptr};
int musicChannel = 0;

int volumeFromLevel(int level)
{
    // The level comes straight from "kv.cfg" and may be any int; multiply in
    // 64 bits so a stored MUSIC=2000000000 clamps instead of overflowing.
    const int64_t volume = static_cast<int64_t>(level) * 25;
    return static_cast<int>(std::clamp<int64_t>(volume, 0, 255));
}

void initSound()
{
    // No result is examined: a missing file leaves a null handle that the
    // sound layer ignores, and the game runs on without that sound.
    FSOUND_Init(44100, 32, 0);
    musicStream = FSOUND_Stream_Open("data/delay2.ogg", FSOUND_LOOP_OFF, 0, 0);
    samples[0] = FSOUND_Sample_Load(FSOUND_FREE, "data/meow.wav", FSOUND_LOOP_OFF, 0, 0);
    samples[1] = FSOUND_Sample_Load(FSOUND_FREE, "data/barkbark.wav", FSOUND_LOOP_OFF, 0, 0);
    samples[2] = FSOUND_Sample_Load(FSOUND_FREE, "data/meow.wav", FSOUND_LOOP_OFF, 0, 0);
}

void startMusic()
{
    musicChannel = FSOUND_Stream_Play(FSOUND_FREE, musicStream);
    FSOUND_SetVolume(musicChannel, volumeFromLevel(settings.musicVolume));
}

void playSample(int index)
{
    // Guard added: the callers pass 0..2, anything else would read past the array.
    if (index < 0 || index > 2)
        return;
    FSOUND_PlaySound(FSOUND_FREE, samples[index]);
    // Every channel, the music's included, gets the effects volume; then the
    // music channel gets its own volume back.
    FSOUND_SetVolume(FSOUND_ALL, volumeFromLevel(settings.sfxVolume));
    FSOUND_SetVolume(musicChannel, volumeFromLevel(settings.musicVolume));
}

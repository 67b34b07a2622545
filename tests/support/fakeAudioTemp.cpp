// TEMPORARY: recording fakes of FSOUND_SetVolume, FSOUND_Stream_Close,
// FSOUND_Sample_Free, FSOUND_PlaySound (what playSample will call, so sample
// tests can see it once playSample is real) and volumeFromLevel, plus the sound globals, until the
// sound layer lands with its own fakes. Calls are written to fakeCallLog as
// "SetVolume <channel> <volume>", "PlaySound <channel> <handle>", "Stream_Close <handle>", "Sample_Free <handle>"
// with handles named "stream", "sample0".."sample2" or "null".
#include "support/fakeAudioTemp.h"

#include <string>

#include "audio/fsound.h"
#include "audio/sound.h"
#include "support/fakeShell.h"

FSOUND_STREAM* musicStream = nullptr;
FSOUND_SAMPLE* samples[3] = {nullptr, nullptr, nullptr};
int musicChannel = 0;

static char streamTag;
static char sampleTags[3];

void resetFakeAudio(int channel)
{
    musicStream = reinterpret_cast<FSOUND_STREAM*>(&streamTag);
    for (int i = 0; i < 3; i++)
        samples[i] = reinterpret_cast<FSOUND_SAMPLE*>(&sampleTags[i]);
    musicChannel = channel;
}

static std::string handleName(const void* handle)
{
    if (handle == nullptr)
        return "null";
    if (handle == &streamTag)
        return "stream";
    for (int i = 0; i < 3; i++)
        if (handle == &sampleTags[i])
            return "sample" + std::to_string(i);
    return "unknown";
}

int volumeFromLevel(int level)
{
    if (level <= 0)
        return 0;
    return level >= 11 ? 255 : level * 25;
}

signed char FSOUND_SetVolume(int channel, int volume)
{
    fakeCallLog.push_back("SetVolume " + std::to_string(channel) + " " + std::to_string(volume));
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    fakeCallLog.push_back("Stream_Close " + handleName(stream));
    return 1;
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample)
{
    fakeCallLog.push_back("Sample_Free " + handleName(sample));
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    fakeCallLog.push_back("PlaySound " + std::to_string(channel) + " " + handleName(sample));
    return 1;
}

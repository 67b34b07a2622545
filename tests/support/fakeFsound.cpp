// The FSOUND calls replaced for the unit tests: each call is logged; loaders
// hand out distinct dummy handles unless the file is marked missing, and
// FSOUND_SetVolume keeps a table of channel volumes the way the layer does.
#include "support/fakeFsound.h"

#include <algorithm>

#include "audio/fsound.h"
#include "audio/sound.h"
#include "support/fakeShell.h"

std::vector<FsoundCall> fakeFsoundCalls;
std::set<std::string> fakeFsoundMissing;
int fakeFsoundStreamChannel = 7;
int fakeFsoundVolumes[32];

namespace {

// Storage whose addresses serve as handles; never read through them.
char handleStore[64];
int nextHandle = 0;

const void* newHandle()
{
    return &handleStore[nextHandle++ % 64];
}

char streamTag;
char sampleTags[3];

std::string handleName(const void* handle)
{
    if (handle == nullptr)
        return "null";
    if (handle == &streamTag)
        return "stream";
    for (int i = 0; i < 3; i++)
        if (handle == &sampleTags[i])
            return "sample" + std::to_string(i);
    return "other";
}

} // namespace

void resetFakeAudio(int channel)
{
    musicStream = reinterpret_cast<FSOUND_STREAM*>(&streamTag);
    for (int i = 0; i < 3; i++)
        samples[i] = reinterpret_cast<FSOUND_SAMPLE*>(&sampleTags[i]);
    musicChannel = channel;
}

void resetFakeFsound()
{
    fakeFsoundCalls.clear();
    fakeFsoundMissing.clear();
    fakeFsoundStreamChannel = 7;
    std::fill(std::begin(fakeFsoundVolumes), std::end(fakeFsoundVolumes), 255);
}

std::vector<FsoundCall> fakeFsoundCallsNamed(const std::string& name)
{
    std::vector<FsoundCall> found;
    for (const FsoundCall& c : fakeFsoundCalls)
        if (c.name == name)
            found.push_back(c);
    return found;
}

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags)
{
    FsoundCall c;
    c.name = "FSOUND_Init";
    c.channel = mixrate;
    c.volume = maxsoftwarechannels;
    c.mode = flags;
    fakeFsoundCalls.push_back(c);
    return 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length)
{
    FsoundCall c;
    c.name = "FSOUND_Stream_Open";
    c.file = name ? name : "";
    c.mode = mode;
    c.offset = offset;
    c.length = length;
    if (!fakeFsoundMissing.count(c.file))
        c.handle = newHandle();
    fakeFsoundCalls.push_back(c);
    return static_cast<FSOUND_STREAM*>(const_cast<void*>(c.handle));
}

FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset, int length)
{
    FsoundCall c;
    c.name = "FSOUND_Sample_Load";
    c.channel = index;
    c.file = name ? name : "";
    c.mode = mode;
    c.offset = offset;
    c.length = length;
    if (!fakeFsoundMissing.count(c.file))
        c.handle = newHandle();
    fakeFsoundCalls.push_back(c);
    return static_cast<FSOUND_SAMPLE*>(const_cast<void*>(c.handle));
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream)
{
    FsoundCall c;
    c.name = "FSOUND_Stream_Play";
    c.channel = channel;
    c.handle = stream;
    fakeFsoundCalls.push_back(c);
    return stream ? fakeFsoundStreamChannel : -1;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    FsoundCall c;
    c.name = "FSOUND_PlaySound";
    c.channel = channel;
    c.handle = sample;
    fakeFsoundCalls.push_back(c);
    fakeCallLog.push_back("PlaySound " + std::to_string(channel) + " " + handleName(sample));
    return sample ? 0 : -1;
}

signed char FSOUND_SetVolume(int channel, int volume)
{
    FsoundCall c;
    c.name = "FSOUND_SetVolume";
    c.channel = channel;
    c.volume = volume;
    fakeFsoundCalls.push_back(c);
    fakeCallLog.push_back("SetVolume " + std::to_string(channel) + " " + std::to_string(volume));
    const int v = std::clamp(volume, 0, 255);
    if (channel == FSOUND_ALL) {
        std::fill(std::begin(fakeFsoundVolumes), std::end(fakeFsoundVolumes), v);
        return 1;
    }
    if (channel < 0 || channel >= 32)
        return 0;
    fakeFsoundVolumes[channel] = v;
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    FsoundCall c;
    c.name = "FSOUND_Stream_Close";
    c.handle = stream;
    fakeFsoundCalls.push_back(c);
    fakeCallLog.push_back("Stream_Close " + handleName(stream));
    return stream ? 1 : 0;
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample)
{
    FsoundCall c;
    c.name = "FSOUND_Sample_Free";
    c.handle = sample;
    fakeFsoundCalls.push_back(c);
    fakeCallLog.push_back("Sample_Free " + handleName(sample));
}

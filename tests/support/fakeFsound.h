// A recording stand-in for the sound layer's eight FSOUND calls, for the unit
// tests of the logic that plays music and samples.
#pragma once

#include <set>
#include <string>
#include <vector>

// One call as the logic made it.
struct FsoundCall {
    std::string name;             // "FSOUND_Init", "FSOUND_SetVolume", ...
    int channel = 0;              // channel or sample slot; the mix rate for FSOUND_Init
    int volume = 0;               // volume; the channel count for FSOUND_Init
    const void* handle = nullptr; // stream or sample passed in, or the one a loader returned
    std::string file;             // file name given to a loader
    unsigned int mode = 0;        // mode of a loader, flags of FSOUND_Init
    int offset = 0;               // loaders' offset
    int length = 0;               // loaders' length
};

extern std::vector<FsoundCall> fakeFsoundCalls;  // every call since the last reset, in order
extern std::set<std::string> fakeFsoundMissing;  // file names the loaders fail on (null handle)
extern int fakeFsoundStreamChannel;               // what FSOUND_Stream_Play returns for a non-null stream
extern int fakeFsoundVolumes[32];                 // channel volumes as FSOUND_SetVolume left them

// Gives musicStream and the three samples recognisable handles (named
// "stream", "sample0".."sample2" in fakeCallLog) and sets musicChannel.
void resetFakeAudio(int channel = 0);

// The volume, play and release calls are also written to the shell fakes'
// fakeCallLog ("SetVolume <channel> <volume>", "PlaySound <channel> <handle>",
// "Stream_Close <handle>", "Sample_Free <handle>"), so tests can check their
// order against the other platform calls (cleanup, exit).

// Clears the log and the missing files, sets every channel volume to 255 and
// the stream channel to 7.
void resetFakeFsound();
// The calls named name, in order.
std::vector<FsoundCall> fakeFsoundCallsNamed(const std::string& name);

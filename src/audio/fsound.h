// The game's own sound layer, offering the eight calls of the FSOUND
// interface the game was written against. It mixes in software over SDL2's
// audio device; with no device it runs silently.
#pragma once

struct FSOUND_STREAM; // an opened music stream (decoded incrementally)
struct FSOUND_SAMPLE; // a sample loaded whole into memory

constexpr int FSOUND_FREE = -1;              // "any free channel / slot"
constexpr int FSOUND_ALL = -3;               // every channel, for FSOUND_SetVolume
constexpr unsigned int FSOUND_LOOP_OFF = 1;  // play once, no loop

// Opens the audio device at mixrate Hz with maxsoftwarechannels mixing channels.
// Returns 1 when a device was opened, 0 for silent mode.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// Opens an OGG Vorbis stream; null when the file cannot be opened.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);
// Loads a WAV sample; null when the file cannot be loaded.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset, int length);
// Plays a stream on a channel; a stream already playing keeps its channel undisturbed.
// Returns the channel, or -1.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Plays a sample on a free channel; returns the channel, or -1.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
// Sets one channel's volume (0..255), or every channel's with FSOUND_ALL.
signed char FSOUND_SetVolume(int channel, int volume);
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);

// The game's own sound layer, offering the eight calls of the FSOUND
// interface the game was written against. It mixes up to 32 channels in
// software over SDL2's audio device (stereo 16-bit at the requested rate).
// Channels are one pool shared by samples and streams. With no device it runs
// silently: every call still works and nothing is printed.
//
// Threading: call everything from one thread (the GLUT thread); the mixer runs
// on SDL's audio thread and every change to the channels is made under the
// device lock.
#pragma once

#include <cstdint>
#include <vector>

struct FSOUND_STREAM; // an opened OGG Vorbis stream, decoded bit by bit while it plays
struct FSOUND_SAMPLE; // a WAV sample, converted whole to the mix format when loaded

constexpr int FSOUND_FREE = -1;              // "any free channel / slot"
constexpr int FSOUND_ALL = -3;               // every channel, for FSOUND_SetVolume
constexpr unsigned int FSOUND_LOOP_OFF = 1;  // play once, no loop

// Opens the audio device at mixrate Hz (clamped to 8000..192000) with
// maxsoftwarechannels channels (clamped to 1..32); flags are ignored.
// Returns 1 when a device was opened, 0 for silent mode (no audio driver or no
// device). A second call without fsoundShutdown keeps the running layer and
// returns its state. Called once by initSound at start-up.
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// Opens an OGG Vorbis file for streaming; mode, offset and length are
// ignored (streams play once). Null when the file cannot be opened or is not
// a usable Vorbis stream. Works in silent mode too.
FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length);
// Loads a WAV file with loadWav (audio/wavFile.h) and converts it to the mix
// format; index, mode, offset and length are ignored. Null when the file
// cannot be loaded.
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset, int length);
// Plays a stream from its start on channel (FSOUND_FREE: the lowest free
// channel; a channel number: that channel, stopping what plays there).
// A stream that is already playing keeps its channel undisturbed and that
// channel is returned. A stream that has played to its end starts again from
// the beginning. In silent mode a started stream holds its channel for good
// (no time passes for it). Returns the channel, or -1 (null stream, no free
// channel, bad channel number).
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// Plays a sample from its start on channel (FSOUND_FREE: the highest free
// channel, so that samples keep clear of the channels streams start on; a
// channel number: as above) at that channel's current volume; returns the
// channel, or -1.
// In silent mode the sound is over at once and its channel stays free.
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample);
// Sets one channel's volume, or every channel's with FSOUND_ALL; the volume is
// clamped to 0..255 and stays with the channel for later sounds. Returns 1,
// or 0 for a channel number that does not exist.
signed char FSOUND_SetVolume(int channel, int volume);
// Stops the stream if it plays and frees it. Returns 1, or 0 for null.
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
// Stops every channel playing the sample and frees it; null does nothing.
void FSOUND_Sample_Free(FSOUND_SAMPLE* sample);

// Closes the device, stops every channel and releases SDL's audio, so that
// FSOUND_Init can start afresh. The game never calls it (the library lives
// for the whole run); the device tests call it between cases. Streams and
// samples stay valid handles and are still freed by their own calls.
void fsoundShutdown();

// A loaded sample mixed alone at volume (0..255) as the audio callback
// mixes it: interleaved stereo 16-bit frames at the mix rate; empty for
// null. The test that compares the two builds' sound calls it.
std::vector<int16_t> fsoundMixSample(const FSOUND_SAMPLE* sample, int volume);

#ifdef __EMSCRIPTEN__
// Counts since start-up, read by the page: frames the audio callback has
// filled, frames of samples mixed into them, and samples started.
extern unsigned long fsoundMixedFrames;
extern unsigned long fsoundSampleFrames;
extern unsigned long fsoundSamplesStarted;
#endif

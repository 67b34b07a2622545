// The sound layer's software mixer: adding up playing voices into one stereo
// 16-bit buffer, and converting a decoded stream to the output rate. Pure
// arithmetic with no device, so the audio callback, the tests and the bench
// all run the same code. Nothing here allocates.
#pragma once

#include <cstdint>

// Longest pass the mixer works on; the audio callback splits a longer device
// buffer into passes of this many frames.
constexpr int mixPassFrames = 1024;
// Most voices mixed at once: one per software channel.
constexpr int mixMaxVoices = 32;

// Sources (streams and WAV samples) beyond these are refused as damaged or
// useless.
constexpr long minSourceRate = 1000;
constexpr long maxSourceRate = 384000;
constexpr int maxSourceChannels = 255;

// One playing voice for one pass: interleaved stereo frames at the output rate.
struct MixVoice {
    const int16_t* frames; // left, right, left, right...
    int frameCount;        // frames to mix; may be fewer than the pass when the sound ends
    int volume;            // 0..255; 255 plays the frames unchanged
};

// Mixes the voices into out (frameCount stereo frames, overwritten; silence
// where no voice plays), saturating at the 16-bit range. frameCount is at most
// mixPassFrames. Called by the audio callback once per pass, and by the bench.
void mixVoices(const MixVoice* voices, int voiceCount, int16_t* out, int frameCount);

// Gives the next stereo frame of a decoded source (-1..1 floats); false when
// the source has no more data.
using PullFrame = bool (*)(void* source, float frame[2]);

// Linear-interpolating rate converter from a decoded source to the output rate.
struct Resampler {
    uint64_t step = 1ull << 32; // source frames per output frame, 32.32 fixed point
    uint64_t frac = 0;          // position between prev and next, 32.32 fixed point
    float prev[2] = {0, 0};     // source frame at or before the position
    float next[2] = {0, 0};     // the source frame after it
    bool primed = false;        // prev and next hold source data
    bool ended = false;         // the source ran out; no more output
};

// Starts a converter from sourceRate to outputRate (both positive). Called
// when a stream is opened or rewound.
void resetResampler(Resampler* r, long sourceRate, int outputRate);
// Changes the source rate and keeps the position (a chained stream whose next
// part has another rate). Called by the stream decoder.
void setResamplerRate(Resampler* r, long sourceRate, int outputRate);
// Writes up to frameCount stereo 16-bit frames; returns how many, fewer once
// the source ends (then r->ended is set). Called by the audio callback.
int resample(Resampler* r, PullFrame pull, void* source, int16_t* out, int frameCount);

// The WAV reader both builds load their samples with: 8- and 16-bit PCM,
// any channel count and rate within the sources' bounds, converted to the
// mix format with the streams' resampler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Largest converted sample, in bytes (about six minutes of 44100 Hz stereo);
// larger files are refused before anything that size is allocated.
constexpr size_t maxWavBytes = 64u << 20;

// Reads the PCM WAV file name and converts it to interleaved stereo 16-bit
// frames at outputRate (more than 2 channels: the first two are kept; mono:
// both sides the same). Returns false, with frames empty, for a file that
// cannot be read, is not 8- or 16-bit PCM, has a rate or channel count
// outside the sources' bounds, or would convert to more than maxWavBytes.
// Called by FSOUND_Sample_Load; a hostile file is refused or converted,
// never read past its end (the fuzz target checks).
bool loadWav(const char* name, int outputRate, std::vector<int16_t>& frames);

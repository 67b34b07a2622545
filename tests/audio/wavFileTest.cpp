// The WAV reader both builds load their samples with: conversion to the mix
// format, and files whose headers lie.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/wavFile.h"
#include "support/testUtil.h"

namespace {

void put(std::string& s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        s += static_cast<char>((v >> (8 * i)) & 0xff);
}

// A PCM WAV file; data holds the raw sample bytes, dataSize overrides the
// data chunk's size field.
std::string wav(int channels, int rate, int bits, const std::string& data, int64_t dataSize = -1)
{
    std::string f = "RIFF";
    put(f, static_cast<uint32_t>(36 + data.size()), 4);
    f += "WAVEfmt ";
    put(f, 16, 4);
    put(f, 1, 2);
    put(f, static_cast<uint32_t>(channels), 2);
    put(f, static_cast<uint32_t>(rate), 4);
    put(f, static_cast<uint32_t>(rate * channels * bits / 8), 4);
    put(f, static_cast<uint32_t>(channels * bits / 8), 2);
    put(f, static_cast<uint32_t>(bits), 2);
    f += "data";
    put(f, dataSize >= 0 ? static_cast<uint32_t>(dataSize) : static_cast<uint32_t>(data.size()), 4);
    return f + data;
}

bool load(const std::string& bytes, int rate, std::vector<int16_t>& frames)
{
    writeFile("sample.wav", bytes);
    return loadWav("sample.wav", rate, frames);
}

TEST(LoadWav, ConvertsToStereoAtTheOutputRate)
{
    ScopedTempDir dir;
    std::vector<int16_t> frames;
    // 16-bit mono at the output rate: both sides carry the sample, within one
    // level (-1..1 floats scaled by 32767); the resampler drops the last frame.
    std::string mono;
    const int values[] = {0, 1000, -1000, 32767, -32768, 16384, 5};
    for (int v : values)
        put(mono, static_cast<uint32_t>(static_cast<uint16_t>(v)), 2);
    ASSERT_TRUE(load(wav(1, 44100, 16, mono), 44100, frames));
    ASSERT_EQ(frames.size(), 2u * 6);
    for (size_t i = 0; i < 6; i++) {
        EXPECT_EQ(frames[2 * i], frames[2 * i + 1]);
        EXPECT_NEAR(frames[2 * i], values[i], 1) << i;
    }
    // 8-bit stereo at half the rate: twice the frames, the sides kept apart.
    std::string stereo;
    for (int i = 0; i < 100; i++)
        stereo += std::string{static_cast<char>(128 + 64), static_cast<char>(128 - 64)};
    ASSERT_TRUE(load(wav(2, 22050, 8, stereo), 44100, frames));
    EXPECT_NEAR(static_cast<double>(frames.size()) / 2, 198, 2);
    EXPECT_EQ(frames[10], 16383);  // 64/128 of full scale
    EXPECT_EQ(frames[11], -16383);
}

TEST(LoadWav, HostileHeadersAreRefusedOrReadOnlyAsFarAsTheFileGoes)
{
    ScopedTempDir dir;
    std::vector<int16_t> frames(4, 1);
    const std::string data(100, '\xc8');
    // A chunk size that brings a 32-bit offset back to where it stood: the
    // walk ends instead of looping for ever.
    std::string wrap = "RIFF";
    put(wrap, 0, 4);
    wrap += "WAVEjunk";
    put(wrap, 0xFFFFFFF8u, 4);
    wrap += std::string(44, '\0');
    EXPECT_FALSE(load(wrap, 44100, frames));
    EXPECT_TRUE(frames.empty());
    // A data chunk claiming more than the file holds: what is there is read.
    ASSERT_TRUE(load(wav(1, 44100, 8, data, 0x7FFFFFFF), 44100, frames));
    EXPECT_EQ(frames.size(), 2u * 99);
    // Sample sizes other than 8 and 16 bits, no channels, rates out of bounds.
    for (int bits : {0, 4, 12, 24, 32})
        EXPECT_FALSE(load(wav(1, 44100, bits, data), 44100, frames)) << bits;
    EXPECT_FALSE(load(wav(0, 44100, 8, data), 44100, frames));
    EXPECT_FALSE(load(wav(1, 999, 8, data), 44100, frames));
    EXPECT_FALSE(load(wav(1, 384001, 8, data), 44100, frames));
    EXPECT_FALSE(load(std::string("RIFF\x04\0\0\0WAVE", 12), 44100, frames)); // no chunks
    EXPECT_FALSE(loadWav("missing.wav", 44100, frames));
    // A small file that would convert to more than the bound is refused
    // before anything that large is made.
    EXPECT_FALSE(load(wav(1, 1000, 8, std::string(100000, '\x80')), 192000, frames));
    EXPECT_TRUE(frames.empty());
}

} // namespace

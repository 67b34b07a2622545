// The software mixer and the stream rate converter.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/mixer.h"

namespace {

std::vector<int16_t> stereo(std::initializer_list<int> values)
{
    std::vector<int16_t> v;
    for (int x : values)
        v.push_back(static_cast<int16_t>(x));
    return v;
}

TEST(MixVoices, ScalesEachVoiceByItsVolumeAndAddsThem)
{
    auto a = stereo({1000, -1000, 2000, -2000});
    auto b = stereo({300, 300, 300, 300});
    std::vector<int16_t> out(4, 12345);

    MixVoice one[] = {{a.data(), 2, 255}};
    mixVoices(one, 1, out.data(), 2);
    EXPECT_EQ(out, a); // full volume is the voice unchanged

    MixVoice half[] = {{a.data(), 2, 128}};
    mixVoices(half, 1, out.data(), 2);
    EXPECT_EQ(out, stereo({501, -501, 1003, -1003}));

    MixVoice two[] = {{a.data(), 2, 255}, {b.data(), 2, 255}};
    mixVoices(two, 2, out.data(), 2);
    EXPECT_EQ(out, stereo({1300, -700, 2300, -1700}));

    MixVoice muted[] = {{a.data(), 2, 0}, {b.data(), 2, 255}};
    mixVoices(muted, 2, out.data(), 2);
    EXPECT_EQ(out, b);
}

TEST(MixVoices, SilenceWithoutVoicesAndAfterAVoiceEnds)
{
    auto a = stereo({100, 200});
    std::vector<int16_t> out(6, 777);
    mixVoices(nullptr, 0, out.data(), 3);
    EXPECT_EQ(out, std::vector<int16_t>(6, 0));

    MixVoice shortVoice[] = {{a.data(), 1, 255}};
    mixVoices(shortVoice, 1, out.data(), 3);
    EXPECT_EQ(out, stereo({100, 200, 0, 0, 0, 0}));
}

TEST(MixVoices, ThirtyTwoLoudVoicesSaturateInsteadOfWrapping)
{
    std::vector<int16_t> loud(mixPassFrames * 2);
    for (size_t i = 0; i < loud.size(); i++)
        loud[i] = (i % 2) ? -32768 : 32767;
    MixVoice voices[mixMaxVoices];
    for (MixVoice& v : voices)
        v = {loud.data(), mixPassFrames, 255};
    std::vector<int16_t> out(mixPassFrames * 2);
    mixVoices(voices, mixMaxVoices, out.data(), mixPassFrames);
    for (size_t i = 0; i < out.size(); i++)
        ASSERT_EQ(out[i], (i % 2) ? -32768 : 32767) << i;
}

// A decoded source for the converter: a list of mono values.
struct ListSource {
    std::vector<float> values;
    size_t next = 0;
};

bool pullList(void* source, float frame[2])
{
    ListSource* s = static_cast<ListSource*>(source);
    if (s->next >= s->values.size())
        return false;
    frame[0] = s->values[s->next];
    frame[1] = -s->values[s->next];
    s->next++;
    return true;
}

std::vector<int16_t> convertAll(ListSource src, long fromRate, int toRate, int passFrames)
{
    Resampler r;
    resetResampler(&r, fromRate, toRate);
    std::vector<int16_t> all;
    std::vector<int16_t> pass(passFrames * 2);
    for (int guard = 0; guard < 100000 && !r.ended; guard++) {
        int n = resample(&r, pullList, &src, pass.data(), passFrames);
        all.insert(all.end(), pass.begin(), pass.begin() + n * 2);
    }
    return all;
}

ListSource ramp(int frames)
{
    ListSource s;
    for (int i = 0; i < frames; i++)
        s.values.push_back(i / 1000.0f);
    return s;
}

TEST(Resampler, EqualRatesPassTheFramesThrough)
{
    auto out = convertAll(ramp(500), 44100, 44100, 64);
    // Every frame but the last comes out, left as given, right as given.
    ASSERT_EQ(out.size(), 499u * 2);
    for (int i = 0; i < 499; i++) {
        ASSERT_EQ(out[i * 2], static_cast<int16_t>(i / 1000.0f * 32767.0f)) << i;
        ASSERT_EQ(out[i * 2 + 1], static_cast<int16_t>(-(i / 1000.0f) * 32767.0f)) << i;
    }
}

TEST(Resampler, DoublingTheRateInterpolatesBetweenFrames)
{
    ListSource src;
    src.values = {0.0f, 0.5f, -0.5f, 0.25f};
    auto out = convertAll(src, 22050, 44100, 16);
    ASSERT_EQ(out.size(), 6u * 2);
    const int expected[] = {0, 8191, 16383, 0, -16383, -4095};
    for (int i = 0; i < 6; i++)
        EXPECT_NEAR(out[i * 2], expected[i], 1) << i;
}

TEST(Resampler, PassSizesDoNotChangeTheOutput)
{
    auto whole = convertAll(ramp(3000), 48000, 44100, 4000);
    auto small = convertAll(ramp(3000), 48000, 44100, 7);
    auto single = convertAll(ramp(3000), 48000, 44100, 1);
    EXPECT_EQ(whole, small);
    EXPECT_EQ(whole, single);
    // 3000 frames at 48000 Hz last 2756.25 frames at 44100 Hz.
    EXPECT_NEAR(static_cast<double>(whole.size()) / 2, 2756.0, 2.0);
}

TEST(Resampler, KeepsThePitchOfALowRateTone)
{
    // One second of 440 Hz at 22050 Hz must stay 440 Hz at 44100 Hz.
    ListSource tone;
    for (int i = 0; i < 22050; i++)
        tone.values.push_back(0.5f * std::sin(2 * M_PI * 440 * (i + 0.5) / 22050));
    auto out = convertAll(tone, 22050, 44100, 1024);
    ASSERT_NEAR(out.size() / 2.0, 44100.0, 2.0);
    int rising = 0;
    for (size_t i = 2; i < out.size(); i += 2)
        if (out[i - 2] < 0 && out[i] >= 0)
            rising++;
    EXPECT_NEAR(rising, 440, 1);
}

TEST(Resampler, EmptyAndOneFrameSources)
{
    EXPECT_TRUE(convertAll(ListSource{}, 44100, 44100, 8).empty());
    ListSource one;
    one.values = {0.5f};
    auto out = convertAll(one, 44100, 44100, 8);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 16383);
}

} // namespace

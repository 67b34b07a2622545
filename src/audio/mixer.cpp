// Software mixing and rate conversion for the sound layer.
#include "audio/mixer.h"

#include <algorithm>

namespace {

int16_t saturate(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767));
}

int16_t floatToSample(float v)
{
    // Decoders can overshoot -1..1 slightly; clamp before converting.
    float scaled = std::clamp(v, -1.0f, 1.0f) * 32767.0f;
    return static_cast<int16_t>(scaled);
}

} // namespace

void mixVoices(const MixVoice* voices, int voiceCount, int16_t* out, int frameCount)
{
    frameCount = std::clamp(frameCount, 0, mixPassFrames);
    // 32 voices x 32767 x 255 stays below 2^31, so a 32-bit sum cannot overflow.
    int32_t sum[mixPassFrames * 2];
    const int values = frameCount * 2;
    std::fill(sum, sum + values, 0);
    voiceCount = std::clamp(voiceCount, 0, mixMaxVoices);
    for (int v = 0; v < voiceCount; v++) {
        const MixVoice& voice = voices[v];
        const int volume = std::clamp(voice.volume, 0, 255);
        if (volume == 0 || !voice.frames)
            continue;
        const int n = std::clamp(voice.frameCount, 0, frameCount) * 2;
        for (int i = 0; i < n; i++)
            sum[i] += voice.frames[i] * volume;
    }
    for (int i = 0; i < values; i++)
        out[i] = saturate(sum[i] / 255);
}

void resetResampler(Resampler* r, long sourceRate, int outputRate)
{
    *r = Resampler{};
    setResamplerRate(r, sourceRate, outputRate);
}

void setResamplerRate(Resampler* r, long sourceRate, int outputRate)
{
    if (sourceRate <= 0 || outputRate <= 0)
        return;
    r->step = (static_cast<uint64_t>(sourceRate) << 32) / static_cast<uint64_t>(outputRate);
    if (r->step == 0)
        r->step = 1;
}

int resample(Resampler* r, PullFrame pull, void* source, int16_t* out, int frameCount)
{
    constexpr uint64_t one = 1ull << 32;
    if (r->ended)
        return 0;
    if (!r->primed) {
        if (!pull(source, r->prev)) {
            r->ended = true;
            return 0;
        }
        // A one-frame source still gives its frame once.
        if (!pull(source, r->next))
            std::copy_n(r->prev, 2, r->next);
        r->primed = true;
    }
    int n = 0;
    while (n < frameCount) {
        const float t = static_cast<float>(r->frac) / static_cast<float>(one);
        out[n * 2] = floatToSample(r->prev[0] + (r->next[0] - r->prev[0]) * t);
        out[n * 2 + 1] = floatToSample(r->prev[1] + (r->next[1] - r->prev[1]) * t);
        n++;
        r->frac += r->step;
        while (r->frac >= one) {
            r->frac -= one;
            std::copy_n(r->next, 2, r->prev);
            // The source's very last frame is dropped rather than held: a
            // 1/44100 s loss nobody hears, and no extrapolation past the end.
            if (!pull(source, r->next)) {
                r->ended = true;
                return n;
            }
        }
    }
    return n;
}

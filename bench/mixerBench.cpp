// Cost of the sound layer's mixing work for one 1024-frame device buffer
// (23 ms of sound at 44100 Hz).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/mixer.h"

namespace {

void mixThirtyTwoVoices(benchmark::State& state)
{
    std::vector<std::vector<int16_t>> sounds(mixMaxVoices, std::vector<int16_t>(mixPassFrames * 2));
    for (int v = 0; v < mixMaxVoices; v++)
        for (int i = 0; i < mixPassFrames * 2; i++)
            sounds[v][i] = static_cast<int16_t>(8000 * std::sin(0.01 * (v + 1) * i));
    MixVoice voices[mixMaxVoices];
    for (int v = 0; v < mixMaxVoices; v++)
        voices[v] = {sounds[v].data(), mixPassFrames, 100 + v};
    std::vector<int16_t> out(mixPassFrames * 2);
    for (auto _ : state) {
        mixVoices(voices, mixMaxVoices, out.data(), mixPassFrames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(mixThirtyTwoVoices);

struct Tone {
    long frame = 0;
};

bool pullTone(void* source, float frame[2])
{
    Tone* t = static_cast<Tone*>(source);
    frame[0] = frame[1] = 0.5f * static_cast<float>((t->frame++ % 100) - 50) / 50.0f;
    return true;
}

// The stream's share of a buffer once decoded: 22050 Hz converted to 44100 Hz.
void resampleOnePass(benchmark::State& state)
{
    Tone tone;
    Resampler r;
    resetResampler(&r, 22050, 44100);
    std::vector<int16_t> out(mixPassFrames * 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(resample(&r, pullTone, &tone, out.data(), mixPassFrames));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(resampleOnePass);

} // namespace

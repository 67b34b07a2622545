// Time to encode and write a 640 x 480 screenshot, for a game-like frame and
// for noise (the worst case for deflate).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/screenshot.h"

namespace {

// Sky gradient with photo-like grain (the JPEG background), tiled ground and
// a row of sprites.
std::vector<unsigned char> gameLikeFrame()
{
    std::mt19937 grain(3);
    std::vector<unsigned char> rgb(640 * 480 * 3);
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            unsigned char* p = &rgb[(static_cast<size_t>(y) * 640 + x) * 3];
            const int g = static_cast<int>(grain() % 12);
            p[0] = static_cast<unsigned char>(20 + y / 8 + g);
            p[1] = static_cast<unsigned char>(40 + y / 4 + g);
            p[2] = static_cast<unsigned char>(120 + y / 4 + g / 2);
            if (y >= 384) {
                const bool edge = (x % 32) == 0 || (y % 32) == 0;
                p[0] = edge ? 60 : static_cast<unsigned char>(120 + (x * 7 + y * 3) % 16);
                p[1] = edge ? 40 : 90;
                p[2] = edge ? 20 : 50;
            }
            if (((x / 24) % 7 == 3) && y > 340 && y < 384) {
                p[0] = 230;
                p[1] = static_cast<unsigned char>(x * 3);
                p[2] = 40;
            }
        }
    }
    return rgb;
}

std::vector<unsigned char> noiseFrame()
{
    std::mt19937 random(5);
    std::vector<unsigned char> rgb(640 * 480 * 3);
    for (unsigned char& b : rgb)
        b = static_cast<unsigned char>(random());
    return rgb;
}

void writeShot(benchmark::State& state, const std::vector<unsigned char>& frame)
{
    const std::string path = "/tmp/kvbench-shot-" + std::to_string(getpid()) + ".png";
    for (auto _ : state) {
        if (!writePngFile(path.c_str(), 640, 480, frame.data()))
            state.SkipWithError("writePngFile failed");
    }
    std::remove(path.c_str());
}

void BM_ShotGameLike(benchmark::State& state) { writeShot(state, gameLikeFrame()); }
void BM_ShotNoise(benchmark::State& state) { writeShot(state, noiseFrame()); }
void BM_ShotBlack(benchmark::State& state) { writeShot(state, std::vector<unsigned char>(640 * 480 * 3, 0)); }

} // namespace

BENCHMARK(BM_ShotBlack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShotGameLike)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShotNoise)->Unit(benchmark::kMillisecond);

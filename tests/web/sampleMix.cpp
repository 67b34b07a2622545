// Loads each WAV file named on the command line through the sound layer and
// writes it, mixed alone at full volume as the audio callback mixes it, to
// OUT/<n>.raw (interleaved stereo 16-bit at 44100 Hz); prints "refused" for
// a file that does not load. Built for the desktop and, with em++, for node
// by test_sound.py, which compares the two builds' output.
#include <cstdio>
#include <string>
#include <vector>

#include "audio/fsound.h"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: sampleMix OUT FILE.wav...\n");
        return 2;
    }
    for (int i = 2; i < argc; i++) {
        FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, argv[i], 0, 0, 0);
        if (!sample) {
            std::printf("%s refused\n", argv[i]);
            continue;
        }
        const std::vector<int16_t> mixed = fsoundMixSample(sample, 255);
        const std::string out = std::string(argv[1]) + "/" + std::to_string(i - 1) + ".raw";
        FILE* f = std::fopen(out.c_str(), "wb");
        if (!f || std::fwrite(mixed.data(), 2, mixed.size(), f) != mixed.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "%s could not be written\n", out.c_str());
            return 1;
        }
        std::printf("%s %zu frames\n", argv[i], mixed.size() / 2);
        FSOUND_Sample_Free(sample);
    }
    return 0;
}

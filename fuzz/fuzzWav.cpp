// WAV reader (both builds' samples): any file either converts to whole stereo
// frames within the size bound, or is refused with nothing kept. The first
// byte picks the output rate, so that conversions up and down are both run.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "audio/wavFile.h"
#include "fuzzFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int rates[] = {44100, 22050, 48000, 8000};
    const int rate = rates[size > 0 ? data[0] % 4 : 0];
    InScratchFolder scratch;
    writeScratchFile("input.wav", data, size);
    std::vector<int16_t> frames(3, 7);
    if (!loadWav("input.wav", rate, frames)) {
        if (!frames.empty())
            std::abort();
        return 0;
    }
    if (frames.size() % 2 != 0 || frames.size() * sizeof(int16_t) > maxWavBytes)
        std::abort();
    return 0;
}

// The browser build's own WAV reader (it has no SDL_LoadWAV) against a
// well-formed sample and hostile chunk sizes. Built with em++ and run under
// node by test_wavload.py; prints one line per file.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "audio/fsound.h"

namespace {

void put32(unsigned char* p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void save(const char* name, const unsigned char* bytes, size_t size)
{
    FILE* f = std::fopen(name, "wb");
    std::fwrite(bytes, 1, size, f);
    std::fclose(f);
}

void report(const char* name)
{
    FSOUND_SAMPLE* s = FSOUND_Sample_Load(0, name, 0, 0, 0);
    std::printf("%s %s\n", name, s ? "loaded" : "refused");
}

} // namespace

int main()
{
    // 100 frames of 8-bit mono at 11025 Hz.
    unsigned char good[44 + 100] = {};
    std::memcpy(good, "RIFF", 4);
    put32(good + 4, 36 + 100);
    std::memcpy(good + 8, "WAVE", 4);
    std::memcpy(good + 12, "fmt ", 4);
    put32(good + 16, 16);
    good[20] = 1; // PCM
    good[22] = 1; // mono
    put32(good + 24, 11025);
    put32(good + 28, 11025);
    good[32] = 1;
    good[34] = 8;
    std::memcpy(good + 36, "data", 4);
    put32(good + 40, 100);
    std::memset(good + 44, 200, 100);
    save("good.wav", good, sizeof good);
    report("good.wav");

    // A chunk whose size brings a 32-bit offset back to where it stood.
    unsigned char wrap[64] = {};
    std::memcpy(wrap, "RIFF", 4);
    std::memcpy(wrap + 8, "WAVE", 4);
    std::memcpy(wrap + 12, "junk", 4);
    put32(wrap + 16, 0xFFFFFFF8u);
    save("wrap.wav", wrap, sizeof wrap);
    report("wrap.wav");

    // A data chunk that claims more than the file holds (read as far as the
    // file goes), and a format with no bits per sample.
    unsigned char cut[sizeof good];
    std::memcpy(cut, good, sizeof good);
    put32(cut + 40, 0x7FFFFFFFu);
    save("cut.wav", cut, sizeof cut);
    report("cut.wav");
    cut[34] = 0;
    save("nobits.wav", cut, sizeof cut);
    report("nobits.wav");
    return 0;
}

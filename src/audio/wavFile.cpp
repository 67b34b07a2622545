// The samples' WAV reader, shared by both builds.
#include "audio/wavFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/mixer.h"

namespace {

// A WAV file's PCM frames as -1..1 floats, read one by one by the resampler.
struct WavSource {
    const unsigned char* data;
    long frames;
    long next;
    int channels;
    int bytesPerSample; // 1 (unsigned) or 2 (signed little-endian)
};

float wavValue(const WavSource& w, long frame, int channel)
{
    const unsigned char* p = w.data + (frame * w.channels + channel) * w.bytesPerSample;
    if (w.bytesPerSample == 1)
        return (static_cast<int>(p[0]) - 128) / 128.0f;
    return static_cast<int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
}

bool pullWavFrame(void* source, float frame[2])
{
    WavSource* w = static_cast<WavSource*>(source);
    if (w->next >= w->frames)
        return false;
    frame[0] = wavValue(*w, w->next, 0);
    frame[1] = wavValue(*w, w->next, w->channels > 1 ? 1 : 0);
    w->next++;
    return true;
}

uint32_t little32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace

bool loadWav(const char* name, int outputRate, std::vector<int16_t>& frames)
{
    frames.clear();
    if (outputRate <= 0)
        return false;
    FILE* f = std::fopen(name, "rb");
    if (!f)
        return false;
    std::vector<unsigned char> file;
    unsigned char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0 && file.size() <= maxWavBytes;)
        file.insert(file.end(), block, block + n);
    std::fclose(f);
    if (file.size() > maxWavBytes) // too large to be one of ours
        return false;
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 || std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return false;
    WavSource w{nullptr, 0, 0, 0, 0};
    long rate = 0;
    for (size_t at = 12; at + 8 <= file.size();) {
        const uint32_t size = little32(file.data() + at + 4);
        const unsigned char* body = file.data() + at + 8;
        const size_t room = file.size() - at - 8;
        if (std::memcmp(file.data() + at, "fmt ", 4) == 0 && size >= 16 && room >= 16) {
            if ((body[0] | (body[1] << 8)) != 1) // PCM only
                return false;
            w.channels = body[2] | (body[3] << 8);
            rate = static_cast<long>(little32(body + 4));
            const int bits = body[14] | (body[15] << 8);
            w.bytesPerSample = (bits == 8 || bits == 16) ? bits / 8 : 0; // 0: refused at the data
        } else if (std::memcmp(file.data() + at, "data", 4) == 0 && w.channels > 0) {
            if ((w.bytesPerSample != 1 && w.bytesPerSample != 2) || w.channels > maxSourceChannels ||
                rate < minSourceRate || rate > maxSourceRate)
                return false;
            w.data = body;
            w.frames = static_cast<long>(std::min<size_t>(size, room) / (w.channels * w.bytesPerSample));
            break;
        }
        // A chunk that claims more than the file holds ends the walk; this
        // also keeps the step below from wrapping a 32-bit size_t round.
        if (size > room)
            break;
        at += 8 + size + (size & 1);
    }
    if (!w.data)
        return false;
    // Checked before converting, so that nothing larger is ever allocated.
    if (static_cast<double>(w.frames) * outputRate / static_cast<double>(rate) * 4.0 > static_cast<double>(maxWavBytes))
        return false;
    Resampler r;
    resetResampler(&r, rate, outputRate);
    int16_t pass[mixPassFrames * 2];
    for (int got; (got = resample(&r, pullWavFrame, &w, pass, mixPassFrames)) > 0;)
        frames.insert(frames.end(), pass, pass + got * 2);
    return true;
}

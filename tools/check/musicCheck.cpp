// Decodes the generated music with libvorbisfile, the decoder the game's
// sound layer uses, and checks what a listener would notice: the format,
// the length, that it is neither silent nor clipped and that it does not
// stop with a jump.
//
// usage: kvmusiccheck FILE.ogg     exit code 0 when every check passes
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <vector>

#include <vorbis/vorbisfile.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvmusiccheck FILE.ogg\n");
        return 2;
    }
    OggVorbis_File vf;
    if (ov_fopen(argv[1], &vf) != 0) {
        std::printf("FAIL: %s does not open as Ogg Vorbis\n", argv[1]);
        return 1;
    }
    vorbis_info* info = ov_info(&vf, -1);
    int channels = info->channels;
    long rate = info->rate;
    std::vector<short> pcm;
    char buffer[8192];
    int section = 0;
    long got;
    while ((got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
        const short* s = reinterpret_cast<const short*>(buffer);
        pcm.insert(pcm.end(), s, s + got / 2);
    }
    ov_clear(&vf);
    if (got < 0) {
        std::printf("FAIL: decoding error %ld\n", got);
        return 1;
    }
    double seconds = static_cast<double>(pcm.size()) / channels / rate;
    int peak = 0;
    double energy = 0;
    for (short v : pcm) {
        peak = std::max(peak, std::abs(static_cast<int>(v)));
        energy += static_cast<double>(v) * v;
    }
    double rms = std::sqrt(energy / static_cast<double>(pcm.size()));
    int tail = 0;
    for (size_t i = pcm.size() - static_cast<size_t>(channels) * 100; i < pcm.size(); ++i)
        tail = std::max(tail, std::abs(static_cast<int>(pcm[i])));
    std::printf("%d channels, %ld Hz, %.2f s, peak %d, rms %.0f, last 100 frames peak %d\n", channels, rate, seconds,
                peak, rms, tail);
    bool ok = true;
    auto check = [&ok](bool pass, const char* what) {
        if (!pass) {
            std::printf("FAIL: %s\n", what);
            ok = false;
        }
    };
    check(rate == 44100, "sample rate is not 44100 Hz");
    check(channels == 1 || channels == 2, "not mono or stereo");
    check(seconds >= 60 && seconds <= 120, "length outside 60 to 120 seconds");
    check(peak > 8000, "nearly silent");
    check(peak < 32767, "clipped");
    check(rms > 1000, "too quiet on average");
    check(tail < 500, "ends abruptly");
    return ok ? 0 : 1;
}

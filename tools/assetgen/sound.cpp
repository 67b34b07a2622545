// The sounds: two short synthesized samples (16-bit mono WAV) and the music
// track, a half-minute tune with a ping-pong echo, encoded as Ogg Vorbis.
#include "assetgen.h"
#include "canvas.h"
#include "detMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <vorbis/vorbisenc.h>

namespace {

constexpr int sampleRate = 44100;
constexpr double twoPi = 6.283185307179586;

// Scales the samples so the loudest one reaches peak.
void normalise(std::vector<double>& s, double peak)
{
    double most = 0;
    for (double v : s)
        most = std::max(most, std::fabs(v));
    if (most > 0)
        for (double& v : s)
            v *= peak / most;
}

void put16(std::string& b, uint32_t v)
{
    b += static_cast<char>(v & 0xff);
    b += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& b, uint32_t v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

void writeWav(const std::string& relative, const std::vector<double>& samples)
{
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string b = "RIFF";
    put32(b, 36 + dataBytes);
    b += "WAVEfmt ";
    put32(b, 16);
    put16(b, 1);  // PCM
    put16(b, 1);  // mono
    put32(b, sampleRate);
    put32(b, sampleRate * 2);  // bytes per second
    put16(b, 2);               // bytes per frame
    put16(b, 16);              // bits per sample
    b += "data";
    put32(b, dataBytes);
    for (double v : samples) {
        long s = std::lround(std::clamp(v, -1.0, 1.0) * 32767.0);
        put16(b, static_cast<uint32_t>(static_cast<int16_t>(s)) & 0xffff);
    }
    writeText(outPath(relative), b);
}

// Attack, hold and release envelope over a sound of the given length.
double envelope(double t, double length, double attack, double release)
{
    if (t < attack)
        return t / attack;
    if (t > length - release)
        return std::max(0.0, (length - t) / release);
    return 1.0;
}

// A cat's meow: a voiced tone whose pitch rises and falls while its vowel
// opens from "ee" to "ah" and closes to "ow".
std::vector<double> meow()
{
    const double length = 0.40;
    std::vector<double> s(static_cast<size_t>(length * sampleRate));
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        double t = static_cast<double>(i) / sampleRate, u = t / length;
        double pitch = u < 0.4 ? 430 + 320 * (u / 0.4) : 750 - 360 * ((u - 0.4) / 0.6);
        pitch *= 1.0 + 0.012 * detSin(twoPi * 6 * t);
        double formant = u < 0.35 ? 900 + 1800 * (u / 0.35) : 2700 - 1900 * ((u - 0.35) / 0.65);
        phase += twoPi * pitch / sampleRate;
        double v = 0;
        for (int k = 1; k <= 12; ++k) {
            double f = k * pitch;
            double weight = detExp(-((f - formant) / 600.0) * ((f - formant) / 600.0)) + 0.35 / k;
            v += weight * detSin(k * phase);
        }
        s[i] = v * envelope(t, length, 0.03, 0.14);
    }
    normalise(s, 0.7);
    return s;
}

// Two dog barks: a falling voiced tone with a rough noisy onset.
std::vector<double> barkBark()
{
    const double length = 0.46, bark = 0.15;
    std::vector<double> s(static_cast<size_t>(length * sampleRate));
    Rng rng(0xBA4Bu);
    double noise = 0;
    for (double start : {0.0, 0.25}) {
        double phase = 0;
        for (size_t i = static_cast<size_t>(start * sampleRate); i < s.size(); ++i) {
            double t = static_cast<double>(i) / sampleRate - start;
            if (t > bark)
                break;
            double u = t / bark;
            double pitch = 360 - 150 * u;
            phase += twoPi * pitch / sampleRate;
            double v = 0;
            for (int k = 1; k <= 10; ++k) {
                double weight = detExp(-((k * pitch - 1000) / 700.0) * ((k * pitch - 1000) / 700.0)) + 0.3 / k;
                v += weight * detSin(k * phase);
            }
            noise = 0.6 * noise + 0.4 * (rng.unit() * 2 - 1);
            double rough = 1.0 + 0.5 * noise;
            double env = std::min(1.0, t / 0.006) * detExp(-u * 2.8);
            s[i] += (v * rough + 1.5 * noise * detExp(-t / 0.02)) * env;
        }
    }
    normalise(s, 0.75);
    return s;
}

// ---------------------------------------------------------------------------
// The music: 16 bars at 128 beats a minute in E Phrygian dominant, a plucked
// lead over a bass line, a drone and a hand-drum rhythm, with a dotted-eighth
// ping-pong echo on the lead. About 32 seconds with the echo's tail.

double midiHz(int note)
{
    return 440.0 * detExp((note - 69) / 12.0 * 0.6931471805599453);
}

struct Stereo {
    std::vector<double> left, right;
    explicit Stereo(size_t n) : left(n), right(n) {}
};

// A plucked string: harmonics that fade, the higher ones faster.
void pluck(std::vector<double>& out, size_t start, double hz, double seconds, double level, double bright)
{
    size_t n = static_cast<size_t>(seconds * sampleRate);
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double v = 0, brightness = 1;
        for (int k = 1; k <= 6; ++k) {
            v += brightness / k * detSin(twoPi * hz * k * t) * detExp(-t * (2.5 + k * 1.2));
            brightness *= bright;
        }
        double attack = std::min(1.0, t / 0.004);
        double tail = std::min(1.0, (seconds - t) / 0.02);
        out[start + i] += level * v * attack * tail;
    }
}

void drum(std::vector<double>& out, size_t start, bool low, Rng& rng)
{
    double seconds = low ? 0.22 : 0.06;
    size_t n = static_cast<size_t>(seconds * sampleRate);
    double phase = 0, prev = 0;
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double t = static_cast<double>(i) / sampleRate;
        if (low) {
            phase += twoPi * (70 + 90 * detExp(-t / 0.03)) / sampleRate;
            out[start + i] += 0.55 * detSin(phase) * detExp(-t / 0.07);
        } else {
            double white = rng.unit() * 2 - 1;
            double high = white - prev;  // a crude high-pass for the slap
            prev = white;
            out[start + i] += 0.16 * high * detExp(-t / 0.012);
        }
    }
}

Stereo composeTune()
{
    const double beat = 60.0 / 128.0, eighth = beat / 2;
    const int bars = 16;
    const double length = bars * 4 * beat + 2.0;
    const size_t n = static_cast<size_t>(length * sampleRate);
    std::vector<double> lead(n), bass(n), perc(n), drone(n);
    Rng rng(0xD31A2u);

    const int rest = -1;
    const int melody[8][8] = {
        {76, rest, 74, 72, 71, rest, 72, 71},    {68, rest, rest, 69, 71, rest, rest, rest},
        {69, 71, 72, rest, 71, 69, 68, rest},    {65, rest, 68, rest, 64, rest, rest, rest},
        {74, rest, 72, 71, 69, rest, 71, 72},    {71, rest, 69, 68, 69, rest, rest, rest},
        {65, 68, 69, 71, 72, 71, 69, 68},        {64, rest, rest, rest, rest, rest, rest, rest},
    };
    const int roots[8] = {40, 40, 41, 40, 38, 36, 41, 40};
    // Maqsum: dum tek . tek dum . tek .
    const int rhythm[8] = {2, 1, 0, 1, 2, 0, 1, 0};

    for (int bar = 0; bar < bars; ++bar) {
        const int* line = melody[bar % 8];
        bool secondPass = bar >= 8;
        for (int e = 0; e < 8; ++e) {
            size_t at = static_cast<size_t>((bar * 8 + e) * eighth * sampleRate);
            if (line[e] != rest) {
                int len = 1;
                while (e + len < 8 && line[e + len] == rest && len < 3)
                    ++len;
                int note = line[e] + (secondPass && bar % 8 < 4 ? 12 : 0);
                pluck(lead, at, midiHz(note), len * eighth + 0.25, 0.30, secondPass ? 0.75 : 0.6);
                if (secondPass && bar % 8 >= 4)
                    pluck(lead, at, midiHz(note - 5), len * eighth + 0.2, 0.12, 0.5);
            }
            if (bar > 0 && rhythm[e])
                drum(perc, at, rhythm[e] == 2, rng);
            int root = roots[bar % 8];
            if (e % 2 == 0)
                pluck(bass, at, midiHz(e == 4 ? root + 7 : root), beat * 0.95, 0.45, 0.35);
        }
    }
    // A soft drone on E and B with a slow swell.
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double swell = 0.6 + 0.4 * detSin(twoPi * t / 7.5);
        double fade = std::min(1.0, t / 2.0) * std::min(1.0, (length - t) / 2.5);
        drone[i] = 0.06 * swell * fade * (detSin(twoPi * midiHz(40) * t) + 0.6 * detSin(twoPi * midiHz(47) * t));
    }
    // Ping-pong echo of the lead: each repeat crosses to the other side.
    const size_t delay = static_cast<size_t>(beat * 0.75 * sampleRate);
    std::vector<double> echoL(n), echoR(n);
    for (size_t i = 0; i < n; ++i) {
        double inL = i >= delay ? echoR[i - delay] * 0.42 : 0;
        double inR = i >= delay ? (lead[i - delay] * 0.5 + echoL[i - delay] * 0.42) : 0;
        echoL[i] = inL;
        echoR[i] = inR;
    }
    Stereo out(n);
    for (size_t i = 0; i < n; ++i) {
        double common = bass[i] + drone[i] + perc[i] * 0.9;
        out.left[i] = common + lead[i] * 0.85 + echoL[i] + perc[i] * 0.1;
        out.right[i] = common + lead[i] * 0.75 + echoR[i];
    }
    double most = 0;
    for (size_t i = 0; i < n; ++i)
        most = std::max({most, std::fabs(out.left[i]), std::fabs(out.right[i])});
    for (size_t i = 0; i < n; ++i) {
        out.left[i] *= 0.85 / most;
        out.right[i] *= 0.85 / most;
    }
    return out;
}

// Encodes with libvorbisenc at low quality. The stream serial number is fixed
// and no tag carries a date, so the file is the same on every run.
void writeOgg(const std::string& relative, const Stereo& music)
{
    std::string bytes;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, 2, sampleRate, -0.1f) != 0) {
        std::fprintf(stderr, "kvassetgen: the Vorbis encoder refused its settings\n");
        std::exit(1);
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_comment_add_tag(&vc, "TITLE", "Sands of Delay");
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 0x4B560002);

    ogg_page og;
    ogg_packet op;
    auto appendPage = [&bytes](const ogg_page& page) {
        bytes.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
        bytes.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    while (ogg_stream_flush(&os, &og) != 0)
        appendPage(og);

    auto drain = [&]() {
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &op) != 0) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0)
                    appendPage(og);
            }
        }
    };
    const size_t chunk = 1024;
    for (size_t pos = 0; pos < music.left.size(); pos += chunk) {
        size_t count = std::min(chunk, music.left.size() - pos);
        float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(count));
        for (size_t i = 0; i < count; ++i) {
            buffer[0][i] = static_cast<float>(music.left[pos + i]);
            buffer[1][i] = static_cast<float>(music.right[pos + i]);
        }
        vorbis_analysis_wrote(&vd, static_cast<int>(count));
        drain();
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &og) != 0)
        appendPage(og);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    writeText(outPath(relative), bytes);
}

}  // namespace

void writeSounds()
{
    writeWav("data/meow.wav", meow());
    writeWav("data/barkbark.wav", barkBark());
    writeOgg("data/delay2.ogg", composeTune());
}

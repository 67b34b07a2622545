// The sounds: two short synthesized samples (16-bit mono WAV) and the music
// track, a minute and twelve seconds, encoded as Ogg Vorbis.
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
    const double length = 0.30;
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
    normalise(s, 0.8);
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
    normalise(s, 0.8);
    return s;
}

// ---------------------------------------------------------------------------
// The music, "Sands of Delay": 36 bars at 120 beats a minute (72 seconds) in
// E Hijaz, the scale of the desert (E F G# A B C D). An oud-like plucked
// lead and a plucked bass over a drone on E, a ney flute for the middle theme,
// and darbuka and riq playing the maqsum rhythm:
//
//   bars  1-4   intro: drone, frame drum, the bass joins
//   bars  5-12  theme A on the oud
//   bars 13-20  theme B on the ney, the oud picking under it
//   bars 21-28  theme A an octave up, ney doubling, echo
//   bars 29-32  the drums alone over the bass
//   bars 33-36  the last phrase of A and a turn back to the start
//
// The game starts the track again when it ends, so the last bar leads into
// the first: the drone and drum carry straight on.
//
// Every voice is built from + - * / and a sine table filled with detSin,
// so the samples are the same on every machine, and cheap enough that the
// whole track takes a fraction of a second.

double midiHz(int note)
{
    return 440.0 * detExp((note - 69) / 12.0 * 0.6931471805599453);
}

struct Stereo {
    std::vector<double> left, right;
    explicit Stereo(size_t n) : left(n), right(n) {}
};

// Where a voice's samples go: the two sides with their gains, and the send
// to the echo.
struct Target {
    Stereo* mix;
    std::vector<double>* echo;
    double left, right, send;

    size_t size() const { return mix->left.size(); }
    void add(size_t i, double v) const
    {
        mix->left[i] += v * left;
        mix->right[i] += v * right;
        if (send != 0)
            (*echo)[i] += v * send;
    }
};

// One period of a sine, read with linear interpolation.
class SineTable {
public:
    SineTable() : table(size + 1)
    {
        for (int i = 0; i <= size; ++i)
            table[i] = detSin(twoPi * i / size);
    }
    // phase in cycles, any value
    double operator()(double phase) const
    {
        double p = (phase - std::floor(phase)) * size;
        int i = static_cast<int>(p);
        return table[i] + (table[i + 1] - table[i]) * (p - i);
    }

private:
    static constexpr int size = 4096;
    std::vector<double> table;
};

const SineTable sine;

// A plucked string (Karplus-Strong): a burst of noise circulating in a
// delay line one period long, softened a little on every pass. An all-pass
// step tunes the fractional part of the period.
void pluck(const Target& out, size_t start, double hz, double seconds, double level, double brightness, Rng& rng)
{
    double period = sampleRate / hz - 0.5;  // the averaging filter adds half a sample
    int length = static_cast<int>(period);
    double frac = period - length;
    double c = (1 - frac) / (1 + frac);
    std::vector<double> line(static_cast<size_t>(length));
    double smooth = 0;
    for (double& v : line) {
        double noise = rng.unit() * 2 - 1;
        smooth += (noise - smooth) * brightness;  // a darker burst gives a rounder tone
        v = smooth;
    }
    double decay = 0.996 + 0.0035 * std::min(1.0, 200.0 / hz);  // low strings ring longer
    size_t n = static_cast<size_t>(seconds * sampleRate);
    double apIn = 0, apOut = 0, prev = 0;
    size_t at = 0;
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double v = line[at];
        double averaged = decay * 0.5 * (v + prev);
        prev = v;
        double tuned = c * averaged + apIn - c * apOut;  // fractional delay
        apIn = averaged;
        apOut = tuned;
        line[at] = tuned;
        at = at + 1 == line.size() ? 0 : at + 1;
        double fadeIn = std::min(1.0, i / 40.0);
        double fadeOut = std::min(1.0, (n - i) / 600.0);
        out.add(start + i, level * v * fadeIn * fadeOut);
    }
}

// The ney: a breathy flute, a sine with a little of its octave and twelfth,
// a slow vibrato and the sound of breath on the attack.
void ney(const Target& out, size_t start, double hz, double seconds, double level, Rng& rng)
{
    size_t n = static_cast<size_t>(seconds * sampleRate);
    double phase = 0, breath = 0, puff = 0.35;
    const double puffFade = detExp(-6.0 / sampleRate);
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double vibrato = 1 + 0.006 * sine(5.2 * t) * std::min(1.0, t / 0.4);
        phase += hz * vibrato / sampleRate;
        double tone = sine(phase) + 0.25 * sine(2 * phase) + 0.08 * sine(3 * phase);
        breath += ((rng.unit() * 2 - 1) - breath) * 0.2;
        double attack = std::min(1.0, t / 0.08), release = std::min(1.0, (seconds - t) / 0.15);
        puff *= puffFade;
        out.add(start + i, level * (tone + breath * (puff + 0.06)) * attack * release);
    }
}

// The darbuka: dum (deep, the drum's centre), tek (sharp, its rim) and ka
// (a softer rim stroke).
enum class Stroke { dum, tek, ka };

void darbuka(const Target& out, size_t start, Stroke stroke, Rng& rng)
{
    double seconds = stroke == Stroke::dum ? 0.32 : 0.09;
    size_t n = static_cast<size_t>(seconds * sampleRate);
    // Exponential decays as running products: one multiply a sample.
    auto fall = [](double tau) { return detExp(-1.0 / (tau * sampleRate)); };
    double body = 1, bend = 1, click = 1;
    const double bodyFall = fall(stroke == Stroke::dum ? 0.12 : 0.018), bendFall = fall(0.025),
                 clickFall = fall(stroke == Stroke::dum ? 0.004 : 0.012);
    double phase = 0, low = 0;
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double v;
        if (stroke == Stroke::dum) {
            phase += (62 + 70 * bend) / sampleRate;
            v = 0.55 * sine(phase) * body + 0.15 * (rng.unit() * 2 - 1) * click;
        } else {
            double white = rng.unit() * 2 - 1;
            low += (white - low) * 0.5;
            double high = white - low;  // the upper half of the noise
            phase += 1800.0 / sampleRate;
            double level = stroke == Stroke::tek ? 0.45 : 0.25;
            v = level * (0.7 * high * body + 0.5 * sine(phase) * click);
        }
        body *= bodyFall;
        bend *= bendFall;
        click *= clickFall;
        double fade = std::min(1.0, (n - i) / 200.0);
        out.add(start + i, v * fade);
    }
}

// The riq's jingles: bright noise with a quick shimmer.
void jingle(const Target& out, size_t start, double level, Rng& rng)
{
    size_t n = static_cast<size_t>(0.11 * sampleRate);
    double a = 0, b = 0, decay = 1;
    const double fall = detExp(-1.0 / (0.03 * sampleRate));
    for (size_t i = 0; i < n && start + i < out.size(); ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double white = rng.unit() * 2 - 1;
        a += (white - a) * 0.6;
        b += ((white - a) - b) * 0.7;
        double shimmer = 0.7 + 0.3 * sine(t * 90);
        out.add(start + i, level * b * shimmer * decay * std::min(1.0, (n - i) / 100.0));
        decay *= fall;
    }
}

Stereo composeTune()
{
    const double bpm = 120, beat = 60.0 / bpm, eighth = beat / 2;
    const int bars = 36;
    const double length = bars * 4 * beat;
    const size_t n = static_cast<size_t>(length * sampleRate);
    Stereo out(n);
    std::vector<double> echo(n);
    // Each voice's place: the oud a little right, the ney a little left,
    // the riq spread, bass, drone and drum in the middle.
    const Target oud{&out, &echo, 0.8, 1.0, 0.35}, flute{&out, &echo, 1.0, 0.75, 0.3}, bass{&out, &echo, 1, 1, 0},
        drums{&out, &echo, 1, 1, 0}, riq{&out, &echo, 0.7, 1.0, 0};
    Rng rng(0xD31A2u);
    auto at = [&](int bar, double eighths) { return static_cast<size_t>((bar * 8 + eighths) * eighth * sampleRate); };

    const int rest = -1, hold = 0;
    // Theme A, eighth notes; hold extends the note before.
    const int themeA[8][8] = {
        {76, hold, 74, 72, 71, hold, 72, 71}, {68, hold, hold, 69, 71, hold, hold, hold},
        {69, 71, 72, hold, 71, 69, 68, hold}, {65, hold, 68, hold, 64, hold, hold, hold},
        {76, hold, 77, 76, 74, hold, 72, 74}, {72, hold, 71, 69, 71, hold, hold, hold},
        {69, 68, 69, 71, 72, 71, 69, 68},     {65, hold, 64, hold, 64, hold, hold, rest},
    };
    // Theme B, quarter notes, for the ney.
    const int themeB[8][4] = {
        {71, hold, 72, 74}, {76, hold, hold, hold}, {77, 76, 74, hold}, {72, hold, 71, hold},
        {69, 71, 72, hold}, {71, 69, 68, hold},     {69, hold, 68, 65}, {64, hold, hold, hold},
    };
    const int rootsA[8] = {40, 40, 45, 40, 40, 45, 38, 40};
    const int rootsB[8] = {40, 40, 38, 45, 41, 40, 38, 40};
    // Maqsum: dum tek . tek dum . tek . ; the bridge doubles it up.
    const Stroke D = Stroke::dum, T = Stroke::tek, K = Stroke::ka;
    const int maqsum[8] = {1, 2, 0, 2, 1, 0, 2, 3};
    const int fill[8] = {1, 3, 2, 3, 1, 2, 2, 2};

    auto playLine = [&](const int* line, int steps, int bar, double stepEighths, auto&& voice) {
        for (int e = 0; e < steps; ++e) {
            if (line[e] == rest || line[e] == hold)
                continue;
            int len = 1;
            while (e + len < steps && line[e + len] == hold)
                ++len;
            voice(at(bar, e * stepEighths), line[e], len * stepEighths * eighth);
        }
    };

    for (int bar = 0; bar < bars; ++bar) {
        const int section = bar < 4 ? 0 : bar < 12 ? 1 : bar < 20 ? 2 : bar < 28 ? 3 : bar < 32 ? 4 : 5;
        const int phrase = (bar - 4) % 8;
        // Lead.
        if (section == 1 || section == 3 || section == 5) {
            int line = section == 5 ? 4 + (bar - 32) : phrase;
            int up = section == 3 ? 12 : 0;
            playLine(themeA[line], 8, bar, 1, [&](size_t when, int note, double secs) {
                pluck(oud, when, midiHz(note + up), secs + 0.35, 0.55, section == 3 ? 0.75 : 0.6, rng);
            });
            if (section == 3)
                playLine(themeA[line], 8, bar, 1, [&](size_t when, int note, double secs) {
                    ney(flute, when, midiHz(note), secs, 0.16, rng);
                });
        }
        if (section == 2) {
            playLine(themeB[phrase], 4, bar, 2, [&](size_t when, int note, double secs) {
                ney(flute, when, midiHz(note), secs, 0.3, rng);
            });
            // The oud picks the chord tones under the flute.
            // E and F take a major third, D and A a minor one: all in the scale.
            int root = rootsB[phrase] + 24;
            int third = root % 12 == 4 || root % 12 == 5 ? 4 : 3;
            const int picks[8] = {0, 7, 12, 7, -1, 7, 12, -2};
            for (int e = 0; e < 8; ++e) {
                int interval = picks[e] == -1 ? third : picks[e] == -2 ? 12 + third : picks[e];
                pluck(oud, at(bar, e), midiHz(root + interval), 0.5, 0.16, 0.45, rng);
            }
        }
        // Bass: from bar 3 on, root on the beat, the fifth on the third.
        if (bar >= 2) {
            int root = section == 2 ? rootsB[phrase] : rootsA[bar < 4 ? 0 : (section == 5 ? 4 + bar - 32 : phrase)];
            const double hits[4] = {0, 3, 4, 6};
            for (int k = 0; k < 4; ++k) {
                int note = k == 2 ? root + 7 : k == 3 ? root + 12 : root;
                pluck(bass, at(bar, hits[k]), midiHz(note), beat * 1.2, 0.55, 0.3, rng);
            }
        }
        // Drums: the frame drum only in the intro, maqsum after, rolls in
        // the bridge and a fill at the end of every eight bars.
        for (int e = 0; e < 8; ++e) {
            int stroke;
            if (section == 0)
                stroke = (e == 0 || e == 4) ? 1 : (bar >= 2 && e == 6) ? 3 : 0;
            else if (section == 4 || (bar % 8 == 3 && section != 2))
                stroke = fill[e];
            else
                stroke = maqsum[e];
            if (stroke)
                darbuka(drums, at(bar, e), stroke == 1 ? D : stroke == 2 ? T : K, rng);
            if (section == 4 && e % 2 == 1)
                darbuka(drums, at(bar, e + 0.5), K, rng);
            if (section != 0 && section != 4 && e % 2 == 1)
                jingle(riq, at(bar, e), 0.22, rng);
        }
    }
    // The drone on E and its octave, a touch apart so it beats slowly,
    // swelling, from the first sample to the last so the loop point does
    // not gap. The tonic alone sits under every chord of the tune.
    const double e2 = midiHz(40), e3 = midiHz(52) * 1.0007;
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / sampleRate;
        double swell = 0.75 + 0.25 * sine(t / 8.0);
        double v = 0;
        for (int k = 1; k <= 5; ++k)
            v += (sine(e2 * k * t) + 0.5 * sine(e3 * k * t)) / (k * k);
        out.left[i] += 0.085 * swell * v;
        out.right[i] += 0.085 * swell * v;
    }
    // Ping-pong echo of the lead and the flute, a dotted eighth apart: each
    // repeat crosses to the other side.
    const size_t delay = static_cast<size_t>(eighth * 1.5 * sampleRate);
    std::vector<double> echoL(n), echoR(n);
    for (size_t i = delay; i < n; ++i) {
        echoL[i] = echoR[i - delay] * 0.45;
        echoR[i] = echo[i - delay] + echoL[i - delay] * 0.45;
        out.left[i] += echoL[i];
        out.right[i] += echoR[i];
    }
    double most = 0;
    for (size_t i = 0; i < n; ++i)
        most = std::max({most, std::fabs(out.left[i]), std::fabs(out.right[i])});
    // Normalised, and the last 80 ms faded so the end is not a click (the
    // drone starts again from silence when the game replays the track).
    const size_t tail = sampleRate * 2 / 25;
    for (size_t i = 0; i < n; ++i) {
        double fade = i + tail > n ? static_cast<double>(n - i) / tail : 1.0;
        out.left[i] *= 0.88 / most * fade;
        out.right[i] *= 0.88 / most * fade;
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

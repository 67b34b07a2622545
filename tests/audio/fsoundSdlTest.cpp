// The sound layer over a real SDL audio device. The "disk" driver writes the
// mixed output to a raw file (stereo 16-bit at 44100 Hz), which the tests
// read back; sounds are generated in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>
#include <vorbis/vorbisenc.h>

#include "audio/fsound.h"
#include "audio/sound.h"
#include "core/settings.h"
#include "support/testUtil.h"

namespace {

constexpr int outRate = 44100;

using Signal = std::function<float(int frame)>;

Signal tone(double hz, double amplitude, int rate)
{
    return [=](int i) { return static_cast<float>(amplitude * std::sin(2 * M_PI * hz * i / rate)); };
}

void put16(std::string& s, unsigned v)
{
    s += static_cast<char>(v & 0xff);
    s += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& s, unsigned v)
{
    put16(s, v & 0xffff);
    put16(s, v >> 16);
}

// A 16-bit mono PCM WAV file; dataSizeField overrides the data chunk's size.
std::string wavBytes(int rate, int frames, const Signal& signal, long long dataSizeField = -1)
{
    std::string data;
    for (int i = 0; i < frames; i++)
        put16(data, static_cast<unsigned>(static_cast<int16_t>(std::lround(signal(i) * 32767))) & 0xffff);
    std::string f = "RIFF";
    put32(f, static_cast<unsigned>(36 + data.size()));
    f += "WAVEfmt ";
    put32(f, 16);
    put16(f, 1);        // PCM
    put16(f, 1);        // mono
    put32(f, rate);
    put32(f, rate * 2); // bytes per second
    put16(f, 2);        // bytes per frame
    put16(f, 16);       // bits
    f += "data";
    put32(f, dataSizeField >= 0 ? static_cast<unsigned>(dataSizeField) : static_cast<unsigned>(data.size()));
    return f + data;
}

// Encodes an OGG Vorbis file with libvorbisenc, one signal per channel.
void writeOggChannels(const std::string& path, int rate, int frames, const std::vector<Signal>& signals)
{
    const int channelCount = static_cast<int>(signals.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    vorbis_info vi;
    vorbis_info_init(&vi);
    ASSERT_EQ(vorbis_encode_init_vbr(&vi, channelCount, rate, 0.5f), 0);
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_page page;
    auto writePage = [&] {
        std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), out);
        std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), out);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    while (ogg_stream_flush(&os, &page))
        writePage();
    auto drain = [&] {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page))
                    writePage();
            }
        }
    };
    for (int done = 0; done < frames;) {
        const int n = std::min(1024, frames - done);
        float** buffer = vorbis_analysis_buffer(&vd, n);
        for (int c = 0; c < channelCount; c++)
            for (int i = 0; i < n; i++)
                buffer[c][i] = signals[static_cast<size_t>(c)](done + i);
        vorbis_analysis_wrote(&vd, n);
        drain();
        done += n;
    }
    vorbis_analysis_wrote(&vd, 0);
    drain();
    while (ogg_stream_flush(&os, &page))
        writePage();
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    std::fclose(out);
}

// Encodes a mono OGG Vorbis file.
void writeOgg(const std::string& path, int rate, int frames, const Signal& signal)
{
    writeOggChannels(path, rate, frames, {signal});
}

long long fileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : 0;
}

// Runs each case in a temporary folder with its own audio driver settings and
// shuts the sound layer down afterwards, so the cases do not see each other.
class SoundDevice : public testing::Test {
protected:
    void SetUp() override
    {
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        savedDriver = driver ? driver : "";
        hadDriver = driver != nullptr;
        output = dir.path() + "/out.raw";
    }

    void TearDown() override
    {
        fsoundShutdown();
        if (hadDriver)
            setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
    }

    // The disk driver, writing each 1024-frame buffer after delayMs
    // (5 ms is about 4.6 times faster than real time).
    void useDiskDriver(int delayMs = 5)
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", std::to_string(delayMs).c_str(), 1);
    }

    long long framesWritten() const { return fileSize(output) / 4; }

    // Waits until the device has written at least frames frames.
    bool waitForFrames(long long frames) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (framesWritten() < frames) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    // Closes the device and reads everything it wrote.
    std::vector<int16_t> finishOutput()
    {
        fsoundShutdown();
        std::string bytes = readFile(output);
        std::vector<int16_t> pcm(bytes.size() / 2);
        std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
        return pcm;
    }

    ScopedTempDir dir;
    std::string output;
    std::string savedDriver;
    bool hadDriver = false;
};

int peak(const std::vector<int16_t>& pcm, size_t from = 0, size_t to = SIZE_MAX)
{
    int p = 0;
    for (size_t i = from; i < std::min(to, pcm.size()); i++)
        p = std::max(p, std::abs(static_cast<int>(pcm[i])));
    return p;
}

// First and one past the last frame louder than threshold, or {0, 0}.
std::pair<long, long> soundingSpan(const std::vector<int16_t>& pcm, int threshold)
{
    long first = -1, last = -1;
    for (size_t i = 0; i < pcm.size(); i++) {
        if (std::abs(static_cast<int>(pcm[i])) > threshold) {
            if (first < 0)
                first = static_cast<long>(i / 2);
            last = static_cast<long>(i / 2);
        }
    }
    return first < 0 ? std::make_pair(0L, 0L) : std::make_pair(first, last + 1);
}

TEST_F(SoundDevice, SampleVolumeDecidesHowLoudItIsHeard)
{
    // A quarter second of 1 kHz at 22050 Hz, half of full scale: 11025 frames
    // at the output rate once converted.
    writeFile("beep.wav", wavBytes(22050, 5512, tone(1000, 0.5, 22050)));
    struct Case {
        int volume;
        int expectedPeak; // 0: silent
    } cases[] = {{250, 16383 * 250 / 255}, {1000, 16383}, {0, 0}, {-5, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        useDiskDriver();
        ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
        FSOUND_SAMPLE* beep = FSOUND_Sample_Load(FSOUND_FREE, "beep.wav", FSOUND_LOOP_OFF, 0, 0);
        ASSERT_NE(beep, nullptr);
        // Set the volume first too, so no buffer can be mixed between the
        // play and the volume change below at another level.
        FSOUND_SetVolume(FSOUND_ALL, c.volume);
        const int channel = FSOUND_PlaySound(FSOUND_FREE, beep);
        EXPECT_EQ(channel, 31); // samples take the highest free channel
        EXPECT_EQ(FSOUND_SetVolume(channel, c.volume), 1);
        const long long start = framesWritten();
        ASSERT_TRUE(waitForFrames(start + 11025 + 8192));
        std::vector<int16_t> pcm = finishOutput();
        FSOUND_Sample_Free(beep);

        if (c.expectedPeak == 0) {
            EXPECT_EQ(peak(pcm), 0);
            continue;
        }
        EXPECT_NEAR(peak(pcm), c.expectedPeak, c.expectedPeak * 0.03);
        auto span = soundingSpan(pcm, 200);
        EXPECT_NEAR(span.second - span.first, 11025, 60);
        for (size_t i = 0; i + 1 < pcm.size(); i += 2)
            ASSERT_EQ(pcm[i], pcm[i + 1]) << "mono plays the same on both sides, frame " << i / 2;
    }
}

// Amplitude of the hz component of the left side over frames [from, from + n).
double toneAmplitude(const std::vector<int16_t>& pcm, long from, long n, double hz)
{
    double re = 0, im = 0;
    for (long i = 0; i < n; i++) {
        const double x = pcm[static_cast<size_t>(from + i) * 2];
        re += x * std::cos(2 * M_PI * hz * i / outRate);
        im += x * std::sin(2 * M_PI * hz * i / outRate);
    }
    return 2 * std::sqrt(re * re + im * im) / static_cast<double>(n);
}

TEST_F(SoundDevice, EffectsVolumeForEveryChannelThenTheMusicGetsItsOwnLevel)
{
    // Five seconds of 440 Hz music at 22050 Hz, 0.3 of full scale, and a
    // long 1 kHz sample at 0.6; music level 4, effects level 10 and then 0.
    writeOgg("music.ogg", 22050, 5 * 22050, tone(440, 0.3, 22050));
    writeFile("loud.wav", wavBytes(22050, 5 * 22050, tone(1000, 0.6, 22050)));
    for (int effects : {250, 0}) {
        SCOPED_TRACE(effects);
        useDiskDriver();
        ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
        FSOUND_STREAM* music = FSOUND_Stream_Open("music.ogg", FSOUND_LOOP_OFF, 0, 0);
        FSOUND_SAMPLE* loud = FSOUND_Sample_Load(FSOUND_FREE, "loud.wav", FSOUND_LOOP_OFF, 0, 0);
        ASSERT_NE(music, nullptr);
        ASSERT_NE(loud, nullptr);

        const int musicChannel = FSOUND_Stream_Play(FSOUND_FREE, music);
        FSOUND_SetVolume(musicChannel, 100);
        const int sampleChannel = FSOUND_PlaySound(FSOUND_FREE, loud);
        EXPECT_NE(sampleChannel, musicChannel);
        EXPECT_GE(sampleChannel, 0);
        FSOUND_SetVolume(FSOUND_ALL, effects);
        FSOUND_SetVolume(musicChannel, 100);

        // Skip the buffers that may have been mixed before the last call,
        // then measure half a second (whole periods of both tones).
        const long from = static_cast<long>(framesWritten()) + 4096;
        ASSERT_TRUE(waitForFrames(from + 22050));
        std::vector<int16_t> pcm = finishOutput();
        ASSERT_GE(pcm.size(), static_cast<size_t>(from + 22050) * 2);
        const double musicLevel = 0.3 * 32767 * 100 / 255;
        const double sampleLevel = 0.6 * 32767 * effects / 255;
        EXPECT_NEAR(toneAmplitude(pcm, from, 22050, 440), musicLevel, musicLevel * 0.05);
        EXPECT_NEAR(toneAmplitude(pcm, from, 22050, 1000), sampleLevel, sampleLevel * 0.05 + 20);

        FSOUND_Stream_Close(music);
        FSOUND_Sample_Free(loud);
    }
}

// Peak of each 1024-frame block, left side only.
std::vector<int> blockPeaks(const std::vector<int16_t>& pcm, long firstFrame, long lastFrame)
{
    std::vector<int> peaks;
    for (long f = firstFrame; f + 1024 <= lastFrame; f += 1024)
        peaks.push_back(peak(pcm, static_cast<size_t>(f) * 2, static_cast<size_t>(f + 1024) * 2));
    return peaks;
}

TEST_F(SoundDevice, StreamAskedForEveryFramePlaysOnceThroughThenStartsAgain)
{
    // Two seconds of a tone that swells from 0.05 to 0.8 of full scale: a
    // restart would show as a drop in loudness.
    const int rate = 44100;
    const int frames = 2 * rate;
    writeOgg("swell.ogg", rate, frames, [&](int i) {
        double amplitude = 0.05 + 0.75 * i / frames;
        return static_cast<float>(amplitude * std::sin(2 * M_PI * 440 * i / rate));
    });
    writeFile("beep.wav", wavBytes(22050, 2205, tone(1000, 0.5, 22050)));
    useDiskDriver();
    ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
    FSOUND_STREAM* swell = FSOUND_Stream_Open("swell.ogg", FSOUND_LOOP_OFF, 0, 0);
    FSOUND_SAMPLE* beep = FSOUND_Sample_Load(FSOUND_FREE, "beep.wav", FSOUND_LOOP_OFF, 0, 0);
    ASSERT_NE(swell, nullptr);
    ASSERT_NE(beep, nullptr);
    FSOUND_SetVolume(FSOUND_ALL, 0); // the beep stays out of the measurement

    const int channel = FSOUND_Stream_Play(FSOUND_FREE, swell);
    ASSERT_GE(channel, 0);
    FSOUND_SetVolume(channel, 255);
    const long long start = framesWritten();
    // Ask again every millisecond through the first half of the track, and
    // play a sample now and then as the menus and the countdown do.
    int asks = 0;
    while (framesWritten() < start + frames / 2) {
        ASSERT_EQ(FSOUND_Stream_Play(FSOUND_FREE, swell), channel);
        if (++asks % 50 == 0) {
            EXPECT_NE(FSOUND_PlaySound(FSOUND_FREE, beep), channel);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(asks, 20);
    // Let it end, with a second of silence after it.
    ASSERT_TRUE(waitForFrames(start + frames + rate + 8192));

    // Played to its end, the track starts again on the next request.
    const int again = FSOUND_Stream_Play(FSOUND_FREE, swell);
    EXPECT_GE(again, 0);
    FSOUND_SetVolume(again, 255);
    const long long restart = framesWritten();
    ASSERT_TRUE(waitForFrames(restart + rate / 2));
    std::vector<int16_t> pcm = finishOutput();

    // First pass: one unbroken swell, as long as the track.
    std::vector<int16_t> firstPass(pcm.begin(), pcm.begin() + std::min<size_t>(pcm.size(), restart * 2));
    auto span = soundingSpan(firstPass, 300);
    EXPECT_NEAR(span.second - span.first, frames, 2048);
    std::vector<int> peaks = blockPeaks(firstPass, span.first, span.second);
    ASSERT_GT(peaks.size(), 60u);
    int highest = 0;
    for (size_t b = 0; b < peaks.size(); b++) {
        EXPECT_GT(peaks[b], highest * 0.9) << "loudness dropped at block " << b;
        highest = std::max(highest, peaks[b]);
    }
    EXPECT_NEAR(highest, 0.8 * 32767, 0.05 * 32767);
    // Second pass: quiet again, as at the start of the track.
    auto second = soundingSpan(std::vector<int16_t>(pcm.begin() + restart * 2, pcm.end()), 300);
    ASSERT_LT(second.first, second.second);
    const long secondStart = static_cast<long>(restart) + second.first;
    EXPECT_LT(peak(pcm, secondStart * 2, (secondStart + 4096) * 2), 0.12 * 32767);

    FSOUND_Stream_Close(swell);
    FSOUND_Sample_Free(beep);
}

TEST_F(SoundDevice, ChannelPoolIsSharedAndLimitedToItsSize)
{
    writeFile("long.wav", wavBytes(22050, 10 * 22050, tone(500, 0.1, 22050)));
    writeOgg("music.ogg", 22050, 22050, tone(440, 0.1, 22050));
    setenv("SDL_AUDIODRIVER", "dummy", 1); // real-time pace: the sounds stay busy
    ASSERT_EQ(FSOUND_Init(outRate, 4, 0), 1);
    FSOUND_SAMPLE* sound = FSOUND_Sample_Load(FSOUND_FREE, "long.wav", FSOUND_LOOP_OFF, 0, 0);
    FSOUND_STREAM* music = FSOUND_Stream_Open("music.ogg", FSOUND_LOOP_OFF, 0, 0);
    ASSERT_NE(sound, nullptr);
    ASSERT_NE(music, nullptr);

    // Samples fill the pool from the top, streams from the bottom.
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sound), 3);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sound), 2);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sound), 1);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sound), -1); // all four busy
    EXPECT_EQ(FSOUND_SetVolume(3, 10), 1);
    EXPECT_EQ(FSOUND_SetVolume(4, 10), 0); // only four channels exist
    EXPECT_EQ(FSOUND_PlaySound(4, sound), -1);
    // A sound asked onto a given channel replaces what plays there.
    EXPECT_EQ(FSOUND_PlaySound(0, sound), 0);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), -1);
    // Freeing the sample frees its channels.
    FSOUND_Sample_Free(sound);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), 0);
    EXPECT_EQ(FSOUND_Stream_Play(3, music), 0); // already playing: stays where it is
    EXPECT_EQ(FSOUND_Stream_Close(music), 1);

    fsoundShutdown();
    ASSERT_EQ(FSOUND_Init(outRate, 1000, 0), 1);
    sound = FSOUND_Sample_Load(FSOUND_FREE, "long.wav", FSOUND_LOOP_OFF, 0, 0);
    for (int c = 31; c >= 0; c--)
        EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sound), c);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, sound), -1);
    EXPECT_EQ(FSOUND_SetVolume(32, 10), 0);
    FSOUND_Sample_Free(sound);
}

TEST_F(SoundDevice, NullHandlesAndBadFilesDoNothing)
{
    useDiskDriver(0);
    ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_Stream_Close(nullptr), 0);
    FSOUND_Sample_Free(nullptr);
    EXPECT_EQ(FSOUND_SetVolume(-1, 100), 0);
    EXPECT_EQ(FSOUND_SetVolume(-2, 100), 0);
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open("missing.ogg", FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "missing.wav", FSOUND_LOOP_OFF, 0, 0), nullptr);

    // Files of the wrong kind or cut short. The ones that load play silently:
    // at full volume a moment of them could be mixed before they are freed,
    // and with the fast disk driver that moment lies seconds of output before
    // the stream measured at the end.
    FSOUND_SetVolume(FSOUND_ALL, 0);
    std::string wav = wavBytes(22050, 2000, tone(1000, 0.5, 22050));
    writeFile("sound.wav", wav);
    writeFile("junk.bin", std::string(5000, '\x5a'));
    EXPECT_EQ(FSOUND_Stream_Open("sound.wav", FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Stream_Open("junk.bin", FSOUND_LOOP_OFF, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "junk.bin", FSOUND_LOOP_OFF, 0, 0), nullptr);
    writeFile("short.wav", wav.substr(0, 30));
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, "short.wav", FSOUND_LOOP_OFF, 0, 0), nullptr);
    // A data chunk claiming nearly 4 GiB: SDL either refuses it or keeps
    // what the file holds; either way nothing is read past the file.
    writeFile("liar.wav", wavBytes(22050, 2000, tone(1000, 0.5, 22050), 0xfffffff0LL));
    if (FSOUND_SAMPLE* liar = FSOUND_Sample_Load(FSOUND_FREE, "liar.wav", FSOUND_LOOP_OFF, 0, 0)) {
        EXPECT_GE(FSOUND_PlaySound(FSOUND_FREE, liar), 0);
        FSOUND_Sample_Free(liar);
    }

    // Headers with odd numbers: each loads into something playable or is
    // refused, without reading or writing outside its buffers.
    struct Patch {
        size_t offset;
        unsigned value;
        int bytes;
    } patches[] = {{24, 1, 4}, {24, 0x7fffffff, 4}, {24, 0, 4}, {22, 0, 2}, {22, 255, 2}, {34, 7, 2}, {32, 0, 2}};
    for (const Patch& p : patches) {
        SCOPED_TRACE(p.offset);
        std::string odd = wav;
        for (int b = 0; b < p.bytes; b++)
            odd[p.offset + b] = static_cast<char>((p.value >> (8 * b)) & 0xff);
        writeFile("odd.wav", odd);
        if (FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, "odd.wav", FSOUND_LOOP_OFF, 0, 0)) {
            const int c = FSOUND_PlaySound(FSOUND_FREE, sample);
            EXPECT_GE(c, 0);
            FSOUND_SetVolume(c, 0);
            FSOUND_Sample_Free(sample);
        }
    }

    // A stream cut off inside its headers is refused; one cut off in the
    // middle of its audio plays what it has and ends.
    // Noise, so that the pages are short and the cut leaves whole audio pages.
    unsigned seed = 1;
    writeOgg("whole.ogg", 22050, 4 * 22050, [&](int) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 16) % 2001) / 1000.0f * 0.3f - 0.3f;
    });
    std::string ogg = readFile("whole.ogg");
    writeFile("headless.ogg", ogg.substr(0, 2000));
    EXPECT_EQ(FSOUND_Stream_Open("headless.ogg", FSOUND_LOOP_OFF, 0, 0), nullptr);
    writeFile("cut.ogg", ogg.substr(0, ogg.size() * 6 / 10));
    FSOUND_STREAM* cut = FSOUND_Stream_Open("cut.ogg", FSOUND_LOOP_OFF, 0, 0);
    ASSERT_NE(cut, nullptr);
    const int channel = FSOUND_Stream_Play(FSOUND_FREE, cut);
    ASSERT_GE(channel, 0);
    FSOUND_SetVolume(channel, 255);
    ASSERT_TRUE(waitForFrames(framesWritten() + 5 * outRate));
    // Ended: its channel is the lowest free one again, where the next stream starts.
    FSOUND_STREAM* quiet = FSOUND_Stream_Open("whole.ogg", FSOUND_LOOP_OFF, 0, 0);
    ASSERT_NE(quiet, nullptr);
    FSOUND_SetVolume(channel, 0);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, quiet), channel);
    std::vector<int16_t> pcm = finishOutput();
    auto span = soundingSpan(pcm, 300);
    EXPECT_GT(span.second - span.first, outRate / 2);
    EXPECT_LT(span.second - span.first, 7 * outRate / 2);
    EXPECT_EQ(FSOUND_Stream_Close(cut), 1);
    EXPECT_EQ(FSOUND_Stream_Close(quiet), 1);
}

// Chunks with sizes that lie, and headers mangled at random: each file loads
// into something playable or is refused, and nothing reads outside its buffer
// (the sanitizer build checks the reading).
TEST_F(SoundDevice, HostileWavHeadersAreRefusedOrPlayable)
{
    useDiskDriver(0);
    ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
    const std::string wav = wavBytes(22050, 2000, tone(1000, 0.5, 22050));
    auto patched = [&](size_t offset, unsigned value) {
        std::string f = wav;
        for (int b = 0; b < 4; b++)
            f[offset + b] = static_cast<char>((value >> (8 * b)) & 0xff);
        return f;
    };
    std::vector<std::string> files = {
        patched(16, 0xfffffff0u),     // fmt chunk claiming nearly 4 GiB
        patched(16, 0x7fffffffu),
        patched(4, 0xffffffffu),      // RIFF size
        patched(4, 0),
        wav.substr(0, 44),            // headers and no data
        wav.substr(0, 45),            // half a frame of data
    };
    // An unknown chunk before the data, claiming to run far past the end.
    std::string extra = wav.substr(0, 36) + "LIST";
    put32(extra, 0x7ffffff0u);
    files.push_back(extra + wav.substr(36));
    // Random damage to the header bytes, the same every run.
    unsigned seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (int i = 0; i < 300; i++) {
        std::string f = wav;
        const int changes = 1 + static_cast<int>(next() % 4);
        for (int c = 0; c < changes; c++)
            f[next() % 44] = static_cast<char>(next() & 0xff);
        files.push_back(f);
    }
    int loaded = 0;
    for (size_t i = 0; i < files.size(); i++) {
        SCOPED_TRACE(i);
        writeFile("hostile.wav", files[i]);
        FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, "hostile.wav", FSOUND_LOOP_OFF, 0, 0);
        if (!sample)
            continue;
        loaded++;
        const int c = FSOUND_PlaySound(FSOUND_FREE, sample);
        EXPECT_GE(c, 0);
        FSOUND_Sample_Free(sample);
    }
    // Both outcomes happen: the damage is not all fatal, nor all harmless.
    EXPECT_GT(loaded, 0);
    EXPECT_LT(loaded, static_cast<int>(files.size()));
}

// The game thread starting, re-starting, closing and freeing sounds as fast
// as it can while the mixer runs flat out on the audio thread.
TEST_F(SoundDevice, GameThreadCallsWhileTheMixerRuns)
{
    writeFile("beep.wav", wavBytes(22050, 300, tone(1000, 0.5, 22050)));
    writeOgg("music.ogg", 22050, 2000, tone(440, 0.3, 22050));
    useDiskDriver(0);
    ASSERT_EQ(FSOUND_Init(outRate, 8, 0), 1);
    // A fixed amount of work, not a time budget: the sanitizer builds are slow.
    for (int round = 0; round < 40; round++) {
        FSOUND_STREAM* music = FSOUND_Stream_Open("music.ogg", FSOUND_LOOP_OFF, 0, 0);
        FSOUND_SAMPLE* beep = FSOUND_Sample_Load(FSOUND_FREE, "beep.wav", FSOUND_LOOP_OFF, 0, 0);
        ASSERT_NE(music, nullptr);
        ASSERT_NE(beep, nullptr);
        for (int i = 0; i < 20; i++) {
            const int c = FSOUND_Stream_Play(FSOUND_FREE, music);
            FSOUND_PlaySound(FSOUND_FREE, beep);
            FSOUND_PlaySound(i % 8, beep); // may cut the music off its channel
            FSOUND_SetVolume(FSOUND_ALL, i * 13);
            FSOUND_SetVolume(c, 255 - i);
            std::this_thread::yield();
        }
        FSOUND_Stream_Close(music);
        FSOUND_Sample_Free(beep);
    }
    // Everything closed and freed: from here on the mixer plays silence.
    const long long quietFrom = framesWritten() + 4096;
    ASSERT_TRUE(waitForFrames(quietFrom + 8192));
    std::vector<int16_t> pcm = finishOutput();
    EXPECT_GT(peak(pcm, 0, static_cast<size_t>(quietFrom) * 2), 1000);
    EXPECT_EQ(peak(pcm, static_cast<size_t>(quietFrom) * 2), 0);
}

// Streams of more than two channels play their front left and front right
// (Vorbis orders them L, R for quad and L, C, R for three and five or more).
TEST_F(SoundDevice, ManyChannelStreamsPlayTheirFrontLeftAndRight)
{
    const Signal quiet = [](int) { return 0.0f; };
    const Signal left = tone(500, 0.3, 22050), right = tone(1500, 0.3, 22050), other = tone(2500, 0.3, 22050);
    struct Case {
        std::vector<Signal> signals;
    } cases[] = {
        {{left, right, other, other}},                 // quad: L R RL RR
        {{left, other, right}},                        // L C R
        {{left, other, right, other, other, quiet}},   // 5.1: L C R RL RR LFE
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signals.size());
        writeOggChannels("many.ogg", 22050, 22050, c.signals);
        useDiskDriver();
        ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
        FSOUND_STREAM* many = FSOUND_Stream_Open("many.ogg", FSOUND_LOOP_OFF, 0, 0);
        ASSERT_NE(many, nullptr);
        const int channel = FSOUND_Stream_Play(FSOUND_FREE, many);
        ASSERT_GE(channel, 0);
        ASSERT_TRUE(waitForFrames(outRate + 8192));
        std::vector<int16_t> pcm = finishOutput();
        const auto span = soundingSpan(pcm, 300);
        ASSERT_GT(span.second - span.first, outRate * 9 / 10);
        const long from = span.first + 2048, n = outRate / 2;
        // The right side is the odd values: measure it through a shifted copy.
        std::vector<int16_t> rightSide(pcm.begin() + 1, pcm.end());
        const double level = 0.3 * 32767;
        EXPECT_NEAR(toneAmplitude(pcm, from, n, 500), level, level * 0.1);
        EXPECT_LT(toneAmplitude(pcm, from, n, 1500), level * 0.05);
        EXPECT_LT(toneAmplitude(pcm, from, n, 2500), level * 0.05);
        EXPECT_NEAR(toneAmplitude(rightSide, from, n, 1500), level, level * 0.1);
        EXPECT_LT(toneAmplitude(rightSide, from, n, 500), level * 0.05);
        EXPECT_LT(toneAmplitude(rightSide, from, n, 2500), level * 0.05);
        FSOUND_Stream_Close(many);
    }
}

// Ogg page checksum: CRC-32 with polynomial 0x04c11db7, no reflection, over
// the page with its checksum field zeroed.
void fixOggPageCrc(std::string& file, size_t pageStart, size_t pageLength)
{
    for (int b = 0; b < 4; b++)
        file[pageStart + 22 + b] = 0;
    uint32_t crc = 0;
    for (size_t i = pageStart; i < pageStart + pageLength; i++) {
        crc ^= static_cast<uint32_t>(static_cast<unsigned char>(file[i])) << 24;
        for (int k = 0; k < 8; k++)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
    }
    for (int b = 0; b < 4; b++)
        file[pageStart + 22 + b] = static_cast<char>((crc >> (8 * b)) & 0xff);
}

// A stream whose identification header gives a rate or channel count that
// cannot be played is refused when it is opened, not when the mixer meets it.
TEST_F(SoundDevice, StreamsWithUnplayableRatesOrChannelCountsAreRefused)
{
    useDiskDriver(0);
    ASSERT_EQ(FSOUND_Init(outRate, 32, 0), 1);
    writeOgg("good.ogg", 22050, 4410, tone(440, 0.3, 22050));
    const std::string good = readFile("good.ogg");
    // The first page holds the 30-byte identification packet alone: 27 bytes
    // of page header, one lacing value, then the packet with its channel
    // count at 11 and its rate at 12.
    ASSERT_EQ(good.compare(0, 4, "OggS"), 0);
    ASSERT_EQ(static_cast<unsigned char>(good[26]), 1);
    ASSERT_EQ(static_cast<unsigned char>(good[27]), 30);
    ASSERT_EQ(good.compare(29, 6, "vorbis"), 0);
    struct Case {
        int channels;
        unsigned rate;
        bool playable;
    } cases[] = {{1, 22050, true}, {1, 999, false}, {1, 1000, true}, {1, 384000, true},
                 {1, 384001, false}, {1, 0x7fffffffu, false}, {1, 0, false}, {0, 22050, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        SCOPED_TRACE(c.channels);
        std::string f = good;
        f[28 + 11] = static_cast<char>(c.channels);
        for (int b = 0; b < 4; b++)
            f[28 + 12 + b] = static_cast<char>((c.rate >> (8 * b)) & 0xff);
        fixOggPageCrc(f, 0, 58);
        writeFile("odd.ogg", f);
        FSOUND_STREAM* stream = FSOUND_Stream_Open("odd.ogg", FSOUND_LOOP_OFF, 0, 0);
        EXPECT_EQ(stream != nullptr, c.playable);
        if (stream) {
            EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            EXPECT_EQ(FSOUND_Stream_Close(stream), 1);
        }
    }
}

TEST_F(SoundDevice, WithoutADeviceEveryCallStillWorksSilently)
{
    writeFile("beep.wav", wavBytes(22050, 2205, tone(1000, 0.5, 22050)));
    writeOgg("music.ogg", 22050, 22050, tone(440, 0.3, 22050));
    // First no usable driver at all, then a driver that starts but whose
    // device cannot open (the disk driver writing into a missing folder).
    for (int way = 0; way < 2; way++) {
        SCOPED_TRACE(way);
        if (way == 0) {
            setenv("SDL_AUDIODRIVER", "nosuchdriver", 1);
        } else {
            useDiskDriver();
            setenv("SDL_DISKAUDIOFILE", (dir.path() + "/missing/out.raw").c_str(), 1);
        }
        StdoutCapture cap;
        EXPECT_EQ(FSOUND_Init(outRate, 32, 0), 0);
        EXPECT_EQ(FSOUND_Init(outRate, 32, 0), 0);
        FSOUND_STREAM* music = FSOUND_Stream_Open("music.ogg", FSOUND_LOOP_OFF, 0, 0);
        FSOUND_SAMPLE* beep = FSOUND_Sample_Load(FSOUND_FREE, "beep.wav", FSOUND_LOOP_OFF, 0, 0);
        EXPECT_NE(music, nullptr);
        EXPECT_NE(beep, nullptr);
        const int channel = FSOUND_Stream_Play(FSOUND_FREE, music);
        EXPECT_EQ(channel, 0);
        for (int frame = 0; frame < 100; frame++) {
            EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, music), channel);
            EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, beep), 31); // over at once: channel 31 stays free
            EXPECT_EQ(FSOUND_SetVolume(FSOUND_ALL, 250), 1);
            EXPECT_EQ(FSOUND_SetVolume(channel, 100), 1);
        }
        EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
        EXPECT_EQ(FSOUND_Stream_Close(music), 1);
        FSOUND_Sample_Free(beep);
        EXPECT_EQ(cap.stop(), "");
        EXPECT_FALSE(fileExists(dir.path() + "/missing/out.raw"));
        fsoundShutdown();
    }
}

// The game's own calls over the real layer: music level 4, effects level 10.
TEST_F(SoundDevice, GameMusicKeepsItsChannelAndLevelWhileSamplesPlay)
{
    writeFile("data/meow.wav", wavBytes(22050, 4410, tone(1000, 0.5, 22050)));
    writeOgg("data/delay2.ogg", 44100, 3 * 44100, tone(440, 0.3, 44100));
    writeFile("data/barkbark.wav", wavBytes(22050, 4410, tone(700, 0.5, 22050)));
    const Settings saved = settings;
    settings.musicVolume = 4;
    settings.sfxVolume = 10;
    useDiskDriver();
    StdoutCapture cap;
    initSound();
    ASSERT_NE(musicStream, nullptr);
    for (FSOUND_SAMPLE* s : samples)
        ASSERT_NE(s, nullptr);
    playSample(0); // on the title screen: channel 0 gets the music volume
    startMusic();
    const int firstChannel = musicChannel;
    EXPECT_EQ(firstChannel, 0); // the meow plays on channel 31
    for (int frame = 0; frame < 40; frame++) {
        startMusic();
        if (frame % 10 == 0)
            playSample(frame / 10 % 3);
        ASSERT_EQ(musicChannel, firstChannel);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const long from = static_cast<long>(framesWritten()) + 8820 + 4096;
    ASSERT_TRUE(waitForFrames(from + 22050));
    std::vector<int16_t> pcm = finishOutput();
    EXPECT_EQ(cap.stop(), "");
    const double musicLevel = 0.3 * 32767 * 100 / 255;
    EXPECT_NEAR(toneAmplitude(pcm, from, 22050, 440), musicLevel, musicLevel * 0.05);
    // The samples were heard before that (overlapping ones add up, so only a
    // lower bound: one sample at the effects volume).
    EXPECT_GT(peak(pcm, 0, static_cast<size_t>(from) * 2), 0.9 * 0.5 * 32767 * 250 / 255);

    FSOUND_Stream_Close(musicStream);
    for (FSOUND_SAMPLE*& s : samples)
        FSOUND_Sample_Free(s);
    musicStream = nullptr;
    samples[0] = samples[1] = samples[2] = nullptr;
    settings = saved;
}

// The game names the music's channel in every playSample: channel 0 before the
// music has started, and the channel it had after it has ended. A menu sample
// must never be the one that gets the music level there.
TEST_F(SoundDevice, MenuSamplesKeepTheEffectsLevelBeforeAndAfterTheMusic)
{
    writeFile("data/meow.wav", wavBytes(22050, 2205, tone(1000, 0.5, 22050)));
    writeFile("data/barkbark.wav", wavBytes(22050, 2205, tone(700, 0.5, 22050)));
    writeOgg("data/delay2.ogg", 22050, 4410, tone(440, 0.3, 22050));
    const Settings saved = settings;
    struct Case {
        int music, effects;
        int expectedPeak;
    } cases[] = {{0, 10, static_cast<int>(0.5 * 32767 * 250 / 255)}, {10, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.music);
        settings.musicVolume = c.music;
        settings.sfxVolume = c.effects;
        musicChannel = 0;
        useDiskDriver();
        initSound();
        ASSERT_NE(musicStream, nullptr);
        // Every channel already at the effects level, as an earlier sample or
        // option change leaves them; the first sample of a run plays for a
        // moment at the channels' starting level before the game sets it.
        FSOUND_SetVolume(FSOUND_ALL, volumeFromLevel(c.effects));
        playSample(0); // title screen: the music has no channel yet
        ASSERT_TRUE(waitForFrames(4410 + 8192));
        const long long musicStart = framesWritten();
        startMusic();
        EXPECT_GE(musicChannel, 0);
        // A fifth of a second of music, then silence: it has ended.
        ASSERT_TRUE(waitForFrames(musicStart + 8820 + 8192));
        const long long afterMusic = framesWritten();
        playSample(0);
        ASSERT_TRUE(waitForFrames(afterMusic + 4410 + 8192));
        std::vector<int16_t> pcm = finishOutput();

        const int before = peak(pcm, 0, static_cast<size_t>(musicStart) * 2);
        const int after = peak(pcm, static_cast<size_t>(afterMusic) * 2);
        EXPECT_NEAR(before, c.expectedPeak, c.expectedPeak * 0.03);
        EXPECT_NEAR(after, c.expectedPeak, c.expectedPeak * 0.03);

        FSOUND_Stream_Close(musicStream);
        for (FSOUND_SAMPLE*& s : samples)
            FSOUND_Sample_Free(s);
        musicStream = nullptr;
        samples[0] = samples[1] = samples[2] = nullptr;
    }
    musicChannel = 0;
    settings = saved;
}

TEST_F(SoundDevice, GameRunsQuietlyWithoutItsSoundFiles)
{
    useDiskDriver(0);
    StdoutCapture cap;
    initSound();
    EXPECT_EQ(musicStream, nullptr);
    for (FSOUND_SAMPLE* s : samples)
        EXPECT_EQ(s, nullptr);
    for (int frame = 0; frame < 10; frame++) {
        startMusic();
        playSample(frame % 3);
    }
    EXPECT_EQ(musicChannel, -1);
    FSOUND_Stream_Close(musicStream);
    for (FSOUND_SAMPLE* s : samples)
        FSOUND_Sample_Free(s);
    ASSERT_TRUE(waitForFrames(4096));
    std::vector<int16_t> pcm = finishOutput();
    EXPECT_EQ(cap.stop(), "");
    EXPECT_EQ(peak(pcm), 0);
    musicChannel = 0;
}

} // namespace

// The sound layer over SDL2: a channel pool mixed in software in SDL's audio
// callback, WAV samples converted to the mix format at load time, and OGG
// Vorbis streams decoded a little at a time inside the callback.
#include "audio/fsound.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <vector>

// Only ov_fopen is used; this keeps vorbisfile.h's unused static callback
// tables out of this file.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "audio/mixer.h"
#include "audio/wavFile.h"

struct FSOUND_SAMPLE {
    std::vector<int16_t> frames; // interleaved stereo at the mix rate
    int frameCount = 0;
};

struct FSOUND_STREAM {
    OggVorbis_File vorbis;
    int sourceChannels = 0;      // channels of the part being decoded
    long sourceRate = 0;         // rate of the part being decoded
    float** pcm = nullptr;       // block from ov_read_float, one array per channel
    long pcmFrames = 0;          // frames in that block
    long pcmPos = 0;             // next frame of the block to hand out
    int section = 0;             // chained-stream part, written by ov_read_float
    Resampler resampler;
    int16_t pass[mixPassFrames * 2]; // this pass's converted frames, for the mixer
    int channel = -1;            // channel it plays on, -1 when not playing
    bool atStart = true;         // at its first frame: opened or rewound, not played since
};

#ifdef __EMSCRIPTEN__
// Emscripten's SDL has SDL 1's single audio device, fed from a browser audio
// context. Its headers declare SDL 2's device calls without defining them;
// here they are the single device, named 1 when open. Its SDL_zero names an
// SDL_memset it does not have.
#undef SDL_zero
#define SDL_zero(x) std::memset(&(x), 0, sizeof(x))
SDL_AudioDeviceID SDL_OpenAudioDevice(const char*, int, const SDL_AudioSpec* want, SDL_AudioSpec* have, int)
{
    SDL_AudioSpec asked = *want; // SDL 1 takes it unconst
    return SDL_OpenAudio(&asked, have) == 0 ? 1 : 0;
}
void SDL_PauseAudioDevice(SDL_AudioDeviceID, int pause)
{
    SDL_PauseAudio(pause);
}
void SDL_LockAudioDevice(SDL_AudioDeviceID)
{
    SDL_LockAudio();
}
void SDL_UnlockAudioDevice(SDL_AudioDeviceID)
{
    SDL_UnlockAudio();
}
void SDL_CloseAudioDevice(SDL_AudioDeviceID)
{
    SDL_CloseAudio();
}
#endif

namespace {

struct Channel {
    FSOUND_SAMPLE* sample = nullptr; // the sample playing here, or null
    int position = 0;                // next frame of the sample
    FSOUND_STREAM* stream = nullptr; // the stream playing here, or null
    int volume = 255;                // 0..255, kept between sounds
};

// Broken stretches tolerated in a row before a stream is taken as ended.
constexpr int maxHolesInRow = 16;

Channel channels[mixMaxVoices];
int channelCount = mixMaxVoices;       // channels in use by the pool, 1..32
int mixRate = 44100;                   // output rate; samples are converted to it
SDL_AudioDeviceID device = 0;          // 0 in silent mode
bool audioSubsystemStarted = false;    // SDL_InitSubSystem(SDL_INIT_AUDIO) succeeded
bool initialised = false;              // FSOUND_Init ran since the last shutdown

// Holds SDL's device lock for a scope, so the audio callback never sees a
// channel half changed. Nothing to lock in silent mode.
class AudioLock {
public:
    AudioLock()
    {
        if (device)
            SDL_LockAudioDevice(device);
    }
    ~AudioLock()
    {
        if (device)
            SDL_UnlockAudioDevice(device);
    }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;
};

void clearChannel(Channel& ch)
{
    if (ch.stream)
        ch.stream->channel = -1;
    ch.stream = nullptr;
    ch.sample = nullptr;
    ch.position = 0;
}

bool channelFree(const Channel& ch)
{
    return !ch.sample && !ch.stream;
}

// The channel a play request lands on, or -1. Called under the lock.
// A free pick gives streams the lowest free channel and samples the highest.
// The game sets the music's channel to the music level after every sample,
// also before the music has a channel (it then names channel 0) and after the
// music has ended (the channel it had); a sample picked from the bottom would
// land on that very channel and be heard at the music level instead of the
// effects level (silent with music off, loud with effects off).
int pickChannel(int channel, bool forStream)
{
    if (channel == FSOUND_FREE) {
        if (forStream) {
            for (int c = 0; c < channelCount; c++)
                if (channelFree(channels[c]))
                    return c;
        } else {
            for (int c = channelCount - 1; c >= 0; c--)
                if (channelFree(channels[c]))
                    return c;
        }
        return -1; // every channel busy: the new sound is dropped, nothing is cut off
    }
    if (channel >= 0 && channel < channelCount)
        return channel;
    return -1;
}

bool usableInfo(const vorbis_info* info)
{
    return info && info->channels >= 1 && info->channels <= maxSourceChannels &&
           info->rate >= minSourceRate && info->rate <= maxSourceRate;
}

// Hands the resampler the stream's next frame, decoding another block when
// the current one is used up. Runs in the audio callback.
bool pullStreamFrame(void* source, float frame[2])
{
    FSOUND_STREAM* s = static_cast<FSOUND_STREAM*>(source);
    int holes = 0;
    while (s->pcmPos >= s->pcmFrames) {
        float** pcm = nullptr;
        long got = ov_read_float(&s->vorbis, &pcm, mixPassFrames, &s->section);
        if (got == OV_HOLE && ++holes < maxHolesInRow)
            continue; // a damaged page: skip it and go on with the next
        if (got <= 0)
            return false; // end of file or an error that cannot be skipped
        const vorbis_info* info = ov_info(&s->vorbis, -1);
        if (!usableInfo(info))
            return false;
        if (info->rate != s->sourceRate) {
            s->sourceRate = info->rate;
            setResamplerRate(&s->resampler, s->sourceRate, mixRate);
        }
        s->sourceChannels = info->channels;
        s->pcm = pcm;
        s->pcmFrames = got;
        s->pcmPos = 0;
    }
    const long i = s->pcmPos++;
    frame[0] = s->pcm[0][i];
    if (s->sourceChannels == 1)
        frame[1] = frame[0];
    else if (s->sourceChannels == 3 || s->sourceChannels >= 5)
        frame[1] = s->pcm[2][i]; // Vorbis order L, C, R...: the centre is left out
    else
        frame[1] = s->pcm[1][i]; // stereo, and quad's front right
    return true;
}

// SDL's audio callback: mixes every busy channel into the device buffer.
void SDLCALL mixCallback(void*, Uint8* buffer, int len)
{
    int16_t* out = reinterpret_cast<int16_t*>(buffer);
    const int total = len / 4;
    MixVoice voices[mixMaxVoices];
    for (int done = 0; done < total;) {
        const int n = std::min(total - done, mixPassFrames);
        int count = 0;
        for (int c = 0; c < channelCount; c++) {
            Channel& ch = channels[c];
            if (ch.sample) {
                const int take = std::min(ch.sample->frameCount - ch.position, n);
                voices[count++] = {ch.sample->frames.data() + ch.position * 2, take, ch.volume};
#ifdef __EMSCRIPTEN__
                fsoundSampleFrames += static_cast<unsigned long>(take);
#endif
                ch.position += take;
                if (ch.position >= ch.sample->frameCount)
                    clearChannel(ch);
            } else if (ch.stream) {
                FSOUND_STREAM* s = ch.stream;
                const int got = resample(&s->resampler, pullStreamFrame, s, s->pass, n);
                voices[count++] = {s->pass, got, ch.volume};
                if (s->resampler.ended)
                    clearChannel(ch); // played to its end: the channel is free again
            }
        }
        mixVoices(voices, count, out + done * 2, n);
        done += n;
    }
    std::memset(buffer + total * 4, 0, static_cast<size_t>(len - total * 4));
#ifdef __EMSCRIPTEN__
    fsoundMixedFrames += static_cast<unsigned long>(total);
#endif
}

bool rewindStream(FSOUND_STREAM* s)
{
    if (!s->atStart && ov_pcm_seek(&s->vorbis, 0) != 0)
        return false;
    // A chained file may have ended in a part with another rate or layout.
    const vorbis_info* info = ov_info(&s->vorbis, -1);
    if (!usableInfo(info))
        return false;
    s->sourceRate = info->rate;
    s->sourceChannels = info->channels;
    s->pcm = nullptr;
    s->pcmFrames = 0;
    s->pcmPos = 0;
    resetResampler(&s->resampler, s->sourceRate, mixRate);
    s->atStart = true;
    return true;
}

} // namespace

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int)
{
    if (initialised)
        return device ? 1 : 0;
    initialised = true;
    mixRate = std::clamp(mixrate, 8000, 192000);
    channelCount = std::clamp(maxsoftwarechannels, 1, mixMaxVoices);
    for (Channel& ch : channels)
        ch = Channel{};

    // SDL's start-up would otherwise replace the default actions of SIGINT
    // and SIGTERM with handlers that only queue a quit event, which nothing
    // in a GLUT program reads: Ctrl+C and kill would leave the game running.
#ifndef __EMSCRIPTEN__
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
#endif
    // Either failure below means silent mode, reported by the result only:
    // SDL (and ALSA) already say why on stderr.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return 0;
    audioSubsystemStarted = true;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = mixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = mixCallback;
    // No changes allowed: SDL converts to the hardware's format, so the
    // callback always gets exactly this format.
    SDL_AudioSpec have;
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device)
        return 0;
    SDL_PauseAudioDevice(device, 0);
    return 1;
}

void fsoundShutdown()
{
    if (device)
        SDL_CloseAudioDevice(device); // waits for the callback to finish
    device = 0;
    if (audioSubsystemStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    audioSubsystemStarted = false;
    for (Channel& ch : channels) {
        clearChannel(ch);
        ch.volume = 255;
    }
    initialised = false;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int, int, int)
{
    if (!name)
        return nullptr;
    FSOUND_STREAM* s = new FSOUND_STREAM;
    if (ov_fopen(name, &s->vorbis) != 0) {
        delete s;
        return nullptr;
    }
    const vorbis_info* info = ov_info(&s->vorbis, -1);
    if (!usableInfo(info)) {
        ov_clear(&s->vorbis);
        delete s;
        return nullptr;
    }
    s->sourceRate = info->rate;
    s->sourceChannels = info->channels;
    // Decode one block and go back to the start, so that the decoder sets
    // itself up here (about 470 allocations) rather than in the audio
    // callback at the first play.
    float** pcm = nullptr;
    if (ov_read_float(&s->vorbis, &pcm, mixPassFrames, &s->section) > 0 && ov_pcm_seek(&s->vorbis, 0) != 0) {
        ov_clear(&s->vorbis);
        delete s;
        return nullptr;
    }
    resetResampler(&s->resampler, s->sourceRate, mixRate);
    return s;
}

#ifdef __EMSCRIPTEN__
unsigned long fsoundMixedFrames = 0;
unsigned long fsoundSampleFrames = 0;
unsigned long fsoundSamplesStarted = 0;
#endif

// Both builds read samples with the same reader (audio/wavFile.h).
FSOUND_SAMPLE* FSOUND_Sample_Load(int, const char* name, unsigned int, int, int)
{
    if (!name)
        return nullptr;
    FSOUND_SAMPLE* sample = new FSOUND_SAMPLE;
    if (!loadWav(name, mixRate, sample->frames)) {
        delete sample;
        return nullptr;
    }
    sample->frameCount = static_cast<int>(sample->frames.size() / 2);
    return sample;
}

std::vector<int16_t> fsoundMixSample(const FSOUND_SAMPLE* sample, int volume)
{
    std::vector<int16_t> out;
    if (!sample)
        return out;
    out.resize(sample->frames.size());
    for (int done = 0; done < sample->frameCount;) {
        const int n = std::min(sample->frameCount - done, mixPassFrames);
        const MixVoice voice{sample->frames.data() + done * 2, n, std::clamp(volume, 0, 255)};
        mixVoices(&voice, 1, out.data() + done * 2, n);
        done += n;
    }
    return out;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream)
{
    if (!stream)
        return -1;
    {
        AudioLock lock;
        if (stream->channel >= 0)
            return stream->channel; // already playing: left undisturbed
    }
    // Not playing, so the callback does not touch it: seek without the lock.
    // A stream that played to its end starts again from the beginning; the
    // game asks for it every playing frame, so the music carries on there.
    if (!rewindStream(stream))
        return -1;
    AudioLock lock;
    const int c = pickChannel(channel, true);
    if (c < 0)
        return -1;
    clearChannel(channels[c]);
    channels[c].stream = stream;
    stream->channel = c;
    stream->atStart = false;
    return c;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sample)
{
    if (!sample)
        return -1;
    AudioLock lock;
    const int c = pickChannel(channel, false);
    if (c < 0)
        return -1;
    clearChannel(channels[c]);
    // With no device nobody would ever play it to its end, so the sound is
    // over at once and the channel stays free.
    if (device)
        channels[c].sample = sample;
#ifdef __EMSCRIPTEN__
    if (device)
        fsoundSamplesStarted++;
#endif
    return c;
}

signed char FSOUND_SetVolume(int channel, int volume)
{
    const int v = std::clamp(volume, 0, 255);
    AudioLock lock;
    if (channel == FSOUND_ALL) {
        for (int c = 0; c < channelCount; c++)
            channels[c].volume = v;
        return 1;
    }
    if (channel < 0 || channel >= channelCount)
        return 0;
    channels[channel].volume = v;
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    if (!stream)
        return 0;
    {
        AudioLock lock;
        if (stream->channel >= 0)
            clearChannel(channels[stream->channel]);
    }
    ov_clear(&stream->vorbis);
    delete stream;
    return 1;
}

void FSOUND_Sample_Free(FSOUND_SAMPLE* sample)
{
    if (!sample)
        return;
    {
        AudioLock lock;
        for (Channel& ch : channels)
            if (ch.sample == sample)
                clearChannel(ch);
    }
    delete sample;
}

// The game's music and sample calls, checked against a recording sound layer.
#include <gtest/gtest.h>

#include <climits>

#include "audio/fsound.h"
#include "audio/sound.h"
#include "core/settings.h"
#include "support/fakeFsound.h"
#include "support/testUtil.h"

namespace {

class SoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        resetFakeFsound();
        musicStream = nullptr;
        for (FSOUND_SAMPLE*& s : samples)
            s = nullptr;
        musicChannel = 0;
    }
    void TearDown() override { settings = savedSettings; }

    Settings savedSettings = settings;
};

TEST_F(SoundTest, InitOpensTheLayerTheStreamAndThreeSamplesInOrder)
{
    StdoutCapture cap;
    initSound();
    EXPECT_EQ(cap.stop(), "");

    ASSERT_EQ(fakeFsoundCalls.size(), 5u);
    const FsoundCall& init = fakeFsoundCalls[0];
    EXPECT_EQ(init.name, "FSOUND_Init");
    EXPECT_EQ(init.channel, 44100);
    EXPECT_EQ(init.volume, 32);
    EXPECT_EQ(init.mode, 0u);

    const FsoundCall& open = fakeFsoundCalls[1];
    EXPECT_EQ(open.name, "FSOUND_Stream_Open");
    EXPECT_EQ(open.file, "data/delay2.ogg");
    EXPECT_EQ(open.mode, 1u);
    EXPECT_EQ(open.offset, 0);
    EXPECT_EQ(open.length, 0);
    EXPECT_EQ(static_cast<const void*>(musicStream), open.handle);

    const char* files[3] = {"data/meow.wav", "data/barkbark.wav", "data/meow.wav"};
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        const FsoundCall& load = fakeFsoundCalls[2 + i];
        EXPECT_EQ(load.name, "FSOUND_Sample_Load");
        EXPECT_EQ(load.channel, -1);
        EXPECT_EQ(load.file, files[i]);
        EXPECT_EQ(load.mode, 1u);
        EXPECT_EQ(load.offset, 0);
        EXPECT_EQ(load.length, 0);
        EXPECT_EQ(static_cast<const void*>(samples[i]), load.handle);
    }
    // The meow is loaded twice, into handles of its own.
    EXPECT_NE(samples[0], samples[2]);
    EXPECT_EQ(musicChannel, 0);
}

TEST_F(SoundTest, MissingFilesLeaveNullHandlesThatArePassedOnQuietly)
{
    fakeFsoundMissing = {"data/delay2.ogg", "data/barkbark.wav"};
    StdoutCapture cap;
    initSound();
    startMusic();
    playSample(1);
    EXPECT_EQ(cap.stop(), "");

    EXPECT_EQ(musicStream, nullptr);
    EXPECT_EQ(samples[1], nullptr);
    EXPECT_NE(samples[0], nullptr);
    auto plays = fakeFsoundCallsNamed("FSOUND_Stream_Play");
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].handle, nullptr);
    // The layer answers -1 for a null stream; that is what the game keeps.
    EXPECT_EQ(musicChannel, -1);
    auto sounds = fakeFsoundCallsNamed("FSOUND_PlaySound");
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].handle, nullptr);
}

TEST_F(SoundTest, PlayingASampleGivesEveryChannelTheEffectsVolumeAndTheMusicItsOwn)
{
    settings.musicVolume = 4;
    settings.sfxVolume = 10;
    initSound();
    startMusic();
    EXPECT_EQ(musicChannel, 7);
    fakeFsoundCalls.clear();

    playSample(1);

    ASSERT_EQ(fakeFsoundCalls.size(), 3u);
    EXPECT_EQ(fakeFsoundCalls[0].name, "FSOUND_PlaySound");
    EXPECT_EQ(fakeFsoundCalls[0].channel, FSOUND_FREE);
    EXPECT_EQ(fakeFsoundCalls[0].handle, static_cast<const void*>(samples[1]));
    EXPECT_EQ(fakeFsoundCalls[1].name, "FSOUND_SetVolume");
    EXPECT_EQ(fakeFsoundCalls[1].channel, FSOUND_ALL);
    EXPECT_EQ(fakeFsoundCalls[1].volume, 250);
    EXPECT_EQ(fakeFsoundCalls[2].name, "FSOUND_SetVolume");
    EXPECT_EQ(fakeFsoundCalls[2].channel, 7);
    EXPECT_EQ(fakeFsoundCalls[2].volume, 100);

    for (int c = 0; c < 32; c++)
        EXPECT_EQ(fakeFsoundVolumes[c], c == 7 ? 100 : 250) << "channel " << c;
}

TEST_F(SoundTest, BeforeTheFirstPlayingFrameTheMusicVolumeGoesToChannelZero)
{
    settings.musicVolume = 3;
    settings.sfxVolume = 0;
    initSound();
    playSample(0);
    playSample(2);

    auto sounds = fakeFsoundCallsNamed("FSOUND_PlaySound");
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[0].handle, static_cast<const void*>(samples[0]));
    EXPECT_EQ(sounds[1].handle, static_cast<const void*>(samples[2]));
    EXPECT_EQ(fakeFsoundVolumes[0], 75);
    EXPECT_EQ(fakeFsoundVolumes[1], 0);
    EXPECT_EQ(fakeFsoundVolumes[31], 0);
}

TEST_F(SoundTest, SampleIndexOutsideTheArrayDoesNothing)
{
    initSound();
    fakeFsoundCalls.clear();
    for (int index : {-1, 3, INT_MIN, INT_MAX})
        playSample(index);
    EXPECT_TRUE(fakeFsoundCalls.empty());
}

TEST_F(SoundTest, MusicIsAskedForEveryFrameAndTheLatestChannelIsKept)
{
    settings.musicVolume = 6;
    initSound();
    fakeFsoundCalls.clear();
    for (int frame = 0; frame < 100; frame++) {
        if (frame == 50)
            fakeFsoundStreamChannel = 3; // the layer moved it, e.g. after the track ended
        startMusic();
    }
    ASSERT_EQ(fakeFsoundCalls.size(), 200u);
    for (size_t i = 0; i < fakeFsoundCalls.size(); i += 2) {
        const FsoundCall& play = fakeFsoundCalls[i];
        const FsoundCall& volume = fakeFsoundCalls[i + 1];
        ASSERT_EQ(play.name, "FSOUND_Stream_Play");
        EXPECT_EQ(play.channel, FSOUND_FREE);
        EXPECT_EQ(play.handle, static_cast<const void*>(musicStream));
        ASSERT_EQ(volume.name, "FSOUND_SetVolume");
        EXPECT_EQ(volume.channel, i < 100 ? 7 : 3);
        EXPECT_EQ(volume.volume, 150);
    }
    EXPECT_EQ(musicChannel, 3);
}

TEST_F(SoundTest, StoredLevelsOfAnySizeClampToTheLibraryRange)
{
    EXPECT_EQ(volumeFromLevel(0), 0);
    EXPECT_EQ(volumeFromLevel(1), 25);
    EXPECT_EQ(volumeFromLevel(10), 250);
    EXPECT_EQ(volumeFromLevel(11), 255);
    EXPECT_EQ(volumeFromLevel(128), 255);
    EXPECT_EQ(volumeFromLevel(2000000000), 255);
    EXPECT_EQ(volumeFromLevel(INT_MAX), 255);
    EXPECT_EQ(volumeFromLevel(-1), 0);
    EXPECT_EQ(volumeFromLevel(INT_MIN), 0);

    // The same clamping reaches the layer from the settings.
    settings.musicVolume = 2000000000;
    settings.sfxVolume = -2000000000;
    initSound();
    startMusic();
    fakeFsoundCalls.clear();
    playSample(0);
    auto volumes = fakeFsoundCallsNamed("FSOUND_SetVolume");
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].volume, 0);
    EXPECT_EQ(volumes[1].volume, 255);
}

} // namespace

// Reading and writing "kv.cfg".
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/gameClock.h"
#include "core/settings.h"
#include "support/testUtil.h"

namespace {

struct Loaded {
    int fullscreen = 0;
    int music = 128;
    int sfx = 128;
    bool swap = false;
};

Loaded load(const std::string& file, std::string* printed = nullptr)
{
    writeFile("kv.cfg", file);
    Loaded l;
    StdoutCapture cap;
    loadSettings(&l.fullscreen, &l.music, &l.sfx, &l.swap);
    std::string out = cap.stop();
    if (printed)
        *printed = out;
    return l;
}

struct SettingsGuard {
    Settings saved = settings;
    ~SettingsGuard() { settings = saved; debugMode = false; }
};

TEST(SettingsLoad, ReadsTheFourLinesWithCrLfOrLf)
{
    ScopedTempDir dir;
    for (const char* file : {"FULLSCREEN=1\r\nMUSIC=5\r\nSFX=7\r\nSWAPP1=1",
                             "FULLSCREEN=1\nMUSIC=5\nSFX=7\nSWAPP1=1\n"}) {
        std::string out;
        Loaded l = load(file, &out);
        EXPECT_EQ(l.fullscreen, 1);
        EXPECT_EQ(l.music, 5);
        EXPECT_EQ(l.sfx, 7);
        EXPECT_TRUE(l.swap);
        EXPECT_EQ(out, "");
    }
}

TEST(SettingsLoad, MissingFileKeepsValuesAndSaysSo)
{
    ScopedTempDir dir;
    Loaded l;
    StdoutCapture cap;
    loadSettings(&l.fullscreen, &l.music, &l.sfx, &l.swap);
    EXPECT_EQ(cap.stop(), "ERROR opening file kv.cfg\n\n");
    EXPECT_EQ(l.fullscreen, 0);
    EXPECT_EQ(l.music, 128);
    EXPECT_EQ(l.sfx, 128);
    EXPECT_FALSE(l.swap);
}

TEST(SettingsLoad, LinesAreMatchedByPositionNotKey)
{
    ScopedTempDir dir;
    // The MUSIC line in first place changes nothing; the next line is then
    // parsed against MUSIC and fails, SFX and SWAPP1 are off by one too.
    Loaded l = load("MUSIC=5\r\nFULLSCREEN=1\r\nSFX=7\r\nSWAPP1=1");
    EXPECT_EQ(l.fullscreen, 0);
    EXPECT_EQ(l.music, 128);
    EXPECT_EQ(l.sfx, 7);
    EXPECT_TRUE(l.swap);
}

TEST(SettingsLoad, NumberParsingFollowsScanf)
{
    ScopedTempDir dir;
    EXPECT_EQ(load("FULLSCREEN=2\r\nMUSIC=12abc\r\n").fullscreen, 2);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=12abc\r\n").music, 12);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC= 7\r\n").music, 7);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC =7\r\n").music, 128);
    EXPECT_EQ(load("FULLSCREEN=0\r\nmusic=7\r\n").music, 128);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=-3\r\n").music, -3);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=+4\r\n").music, 4);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=\r\n").music, 128);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=-\r\n").music, 128);
    // Any size is accepted; beyond the int range it saturates.
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=2000000000\r\n").music, 2000000000);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=99999999999999999999999\r\n").music, 2147483647);
    EXPECT_EQ(load("FULLSCREEN=0\r\nMUSIC=-99999999999999999999999\r\n").music, -2147483647 - 1);
}

TEST(SettingsLoad, SwapIsTrueForAnyNonZeroAndKeptWhenMissing)
{
    ScopedTempDir dir;
    EXPECT_TRUE(load("FULLSCREEN=0\r\nMUSIC=1\r\nSFX=1\r\nSWAPP1=5").swap);
    EXPECT_TRUE(load("FULLSCREEN=0\r\nMUSIC=1\r\nSFX=1\r\nSWAPP1=-1").swap);
    EXPECT_FALSE(load("FULLSCREEN=0\r\nMUSIC=1\r\nSFX=1\r\nSWAPP1=0").swap);
    EXPECT_FALSE(load("FULLSCREEN=0\r\nMUSIC=1\r\nSFX=1\r\n").swap);
    EXPECT_FALSE(load("").swap);
}

TEST(SettingsLoad, OverlongLinesAndBinaryBytesAreHarmless)
{
    ScopedTempDir dir;
    std::string longLine = "FULLSCREEN=1" + std::string(5000, '9') + "\r\n";
    Loaded l = load(longLine + "MUSIC=3\r\n");
    EXPECT_EQ(l.fullscreen, 2147483647);
    const char raw[] = "FULLSCREEN=\0\xff\r\nMUSIC=3\r\n";
    std::string binary(raw, sizeof raw - 1);
    l = load(binary);
    EXPECT_EQ(l.fullscreen, 0);
    EXPECT_EQ(l.music, 3);
}

TEST(SettingsSave, WritesTheExactThirtyEightBytes)
{
    ScopedTempDir dir;
    SettingsGuard guard;
    settings.fullscreen = 0;
    settings.musicVolume = 5;
    settings.sfxVolume = 7;
    settings.swapP1 = true;
    StdoutCapture cap;
    saveSettings();
    EXPECT_EQ(cap.stop(), "");
    const std::string bytes = readFile("kv.cfg");
    EXPECT_EQ(bytes, "FULLSCREEN=0\r\nMUSIC=5\r\nSFX=7\r\nSWAPP1=1");
    EXPECT_EQ(bytes.size(), 38u);
    EXPECT_FALSE(fileExists("kv.cfg.tmp"));
}

TEST(SettingsSave, RoundTripReplacesTheOldFileAndNormalisesSwap)
{
    ScopedTempDir dir;
    SettingsGuard guard;
    writeFile("kv.cfg", "FULLSCREEN=2\r\nMUSIC=-4\r\nSFX=300\r\nSWAPP1=5 and a very long old tail");
    StdoutCapture cap;
    loadSettings(&settings.fullscreen, &settings.musicVolume, &settings.sfxVolume, &settings.swapP1);
    saveSettings();
    EXPECT_EQ(cap.stop(), "");
    EXPECT_EQ(readFile("kv.cfg"), "FULLSCREEN=2\r\nMUSIC=-4\r\nSFX=300\r\nSWAPP1=1");
}

TEST(SettingsSave, FailureIsReportedInEveryRunAndLeavesTheOldFile)
{
    ScopedTempDir dir;
    SettingsGuard guard;
    writeFile("kv.cfg", "FULLSCREEN=1\r\nMUSIC=2\r\nSFX=3\r\nSWAPP1=0");
    // A folder where the temporary file should go makes the save fail for
    // any user, root included.
    mkdir("kv.cfg.tmp", 0700);
    settings.musicVolume = 9;
    for (bool debug : {false, true}) {
        debugMode = debug;
        StdoutCapture cap;
        saveSettings();
        EXPECT_EQ(cap.stop(), "ERROR opening file kv.cfg\n\n");
    }
    EXPECT_EQ(readFile("kv.cfg"), "FULLSCREEN=1\r\nMUSIC=2\r\nSFX=3\r\nSWAPP1=0");
}

TEST(SettingsSave, UnwritableTargetIsReportedEvenAsRoot)
{
    ScopedTempDir dir;
    SettingsGuard guard;
    // A folder named kv.cfg cannot be replaced by the rename, for anyone.
    mkdir("kv.cfg", 0700);
    StdoutCapture cap;
    saveSettings();
    EXPECT_EQ(cap.stop(), "ERROR opening file kv.cfg\n\n");
    EXPECT_FALSE(fileExists("kv.cfg.tmp"));
}

} // namespace

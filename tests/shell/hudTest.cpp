// Readout arithmetic: the fps sampling rule, the time colour, the help texts.
#include <cstring>

#include "shell/stateTestSupport.h"

namespace {

using HudTest = GameStateTest;

TEST_F(HudTest, FpsSamplesOneFrameIn86AndRepeatsItInBetween)
{
    const float frameTime = clockStep;
    const double sample = 1000.0 / static_cast<double>(frameTime);
    for (int frame = 1; frame <= 85; frame++)
        ASSERT_EQ(sampleFps(frameTime, false), 0.0) << "frame " << frame;
    EXPECT_EQ(sampleFps(frameTime, false), sample); // frame 86, printed in double precision
    EXPECT_NEAR(sample, 85.0, 0.01);
    EXPECT_EQ(fpsShown, static_cast<float>(sample));
    // Frames 87..171 show the stored value; frame 172 samples again.
    for (int frame = 87; frame <= 171; frame++)
        ASSERT_EQ(sampleFps(20.0f, false), static_cast<double>(fpsShown)) << "frame " << frame;
    EXPECT_EQ(sampleFps(20.0f, false), 50.0);
    EXPECT_EQ(fpsFrames, 0);
}

TEST_F(HudTest, DebugRunsSample1501FramesApartKeepingTheLastNormalValue)
{
    for (int frame = 1; frame <= 86; frame++)
        sampleFps(10.0f, false);
    EXPECT_EQ(fpsShown, 100.0f);
    // Debug switched on: the counter keeps 100 until the 1501st frame.
    for (int frame = 1; frame <= 1500; frame++)
        ASSERT_EQ(sampleFps(1.0f, true), 100.0) << "debug frame " << frame;
    EXPECT_EQ(sampleFps(1.0f, true), 1000.0);
    // A frame count past the normal threshold samples at once when debug ends.
    for (int frame = 1; frame <= 90; frame++)
        sampleFps(1.0f, true);
    EXPECT_EQ(sampleFps(4.0f, false), 250.0);
}

TEST_F(HudTest, TimeReadoutTurnsRedAsTheTimeRunsOut)
{
    altTimeMax = 30;
    altTimeLeft = 30;
    EXPECT_EQ(altTimeRatio(), 1.0f);
    altTimeLeft = 15;
    EXPECT_EQ(altTimeRatio(), 0.5f);
    altTimeLeft = 0;
    EXPECT_EQ(altTimeRatio(), 0.0f);
    altTimeLeft = 45; // kills can push it past the full time
    EXPECT_EQ(altTimeRatio(), 1.5f);
}

TEST_F(HudTest, ControlsHelpHasSevenFixedLinesTenPixelsApart)
{
    const char* const texts[] = {
        "Game Controls:",
        "Move / Navigate Menus:  I, J, K, L or arrow keys",
        "Attack:  X",
        "Jump:  C",
        "Switch:  Z",
        "Save Screenshot:  F2",
        "Confirm / Exit:  Enter / Esc",
    };
    for (int i = 0; i < helpLineCount; i++) {
        EXPECT_EQ(controlsHelp[i].y, 40 + 10 * i);
        EXPECT_STREQ(controlsHelp[i].text, texts[i]);
    }
}

} // namespace

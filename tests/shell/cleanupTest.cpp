// Shutdown cleanup: what is released, and in which order.
#include "shell/cleanup.h"
#include "shell/stateTestSupport.h"

namespace {

using CleanupTest = GameStateTest;

TEST_F(CleanupTest, ClosesTheMusicFreesTheSamplesThenDeletesTheFont)
{
    cleanup();
    const std::vector<std::string> expected = {
        "Stream_Close stream", "Sample_Free sample0", "Sample_Free sample1",
        "Sample_Free sample2", "deleteFont"};
    EXPECT_EQ(fakeCallLog, expected);
    EXPECT_EQ(musicStream, nullptr);
}

TEST_F(CleanupTest, NullSoundHandlesArePassedOnUnchanged)
{
    musicStream = nullptr; // the music file was missing at start-up
    samples[1] = nullptr;
    cleanup();
    const std::vector<std::string> expected = {
        "Stream_Close null", "Sample_Free sample0", "Sample_Free null",
        "Sample_Free sample2", "deleteFont"};
    EXPECT_EQ(fakeCallLog, expected);
}

} // namespace

// Sprite animations over the fake graphics layer: info-file loading, hostile
// files, and the frame advance against the game clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/gameClock.h"
#include "graphics/anim.h"
#include "graphics/image.h"
#include "support/fakeGraphics.h"
#include "support/testUtil.h"

namespace {

// A temp working folder "anim" holding an info file and the pictures it may
// name, with the fakes and the clock reset around each test.
class AnimFiles : public ::testing::Test {
protected:
    ScopedTempDir dir;

    void SetUp() override
    {
        resetFakeGraphics();
        curTime = 0.0f;
        std::filesystem::create_directory("anim");
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"})
            writeFile(std::string("anim/") + name, "BM");
    }
    void TearDown() override
    {
        curTime = 0.0f;
        resetFakeGraphics();
    }
    static void info(const std::string& text) { writeFile("anim/test.kvs", text); }
};

// The texture each draw since the last reset used, as frame indices of anim.
std::vector<int> drawnFrames(const SpriteAnim& anim)
{
    std::vector<int> shown;
    for (const FakeDraw& d : fakeDraws) {
        int index = -1;
        for (int i = 0; i < anim.framesReady; i++) {
            if (anim.frames[i].texture == d.texture)
                index = i;
        }
        shown.push_back(index);
    }
    return shown;
}

TEST_F(AnimFiles, CommentAndBlankLinesDoNotCountAsFrames)
{
    info("FILES: 3\n# the walk cycle\n\n\r\na.bmp 100 0 0 0\nb.bmp 120 1 2 3\nc.bmp 80 0 0 0\nd.bmp 1 0 0 0\n");
    fakeBmpWidth = 31;
    fakeBmpHeight = 17;
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    EXPECT_EQ(anim.loaded, 1);
    EXPECT_EQ(anim.frameCount, 3);
    EXPECT_EQ(anim.framesReady, 3);
    EXPECT_EQ(anim.width, 31);
    EXPECT_EQ(anim.height, 17);
    EXPECT_EQ(fakeBmpLoads, (std::vector<std::string>{"anim/a.bmp", "anim/b.bmp", "anim/c.bmp"}));
    EXPECT_EQ(fakeQuadLists, 3);
    EXPECT_EQ(anim.frames[0].durationMs, 100);
    EXPECT_EQ(anim.frames[1].durationMs, 120);
    EXPECT_EQ(anim.frames[2].durationMs, 80);
    EXPECT_EQ(anim.frames[2].texture->width, 31);
    EXPECT_NE(anim.frames[2].texture->list, 0u);
}

TEST_F(AnimFiles, FrameLineWithOnlyANameCarriesTheDisplayTimeBefore)
{
    info("FILES: 3\na\n b.bmp 120 0 0 0\nc.bmp\n");
    writeFile("anim/a", "BM");
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    ASSERT_EQ(anim.frameCount, 3);
    EXPECT_EQ(anim.frames[0].durationMs, 0); // nothing before the first line
    EXPECT_EQ(anim.frames[1].durationMs, 120);
    EXPECT_EQ(anim.frames[2].durationMs, 120);
}

TEST_F(AnimFiles, MissingInfoFilePrintsTheMessageAndDrawsNothing)
{
    SpriteAnim anim;
    StdoutCapture out;
    EXPECT_EQ(anim.load("anim", "none.kvs"), -1);
    EXPECT_EQ(out.stop(), "ERROR opening file anim/none.kvs\n\n");
    AnimCursor cursor;
    cursor.set(&anim);
    cursor.draw();
    cursor.drawRotated(10);
    cursor.drawBlended(200);
    EXPECT_EQ(fakeDrawCalls, 0);
}

TEST_F(AnimFiles, FramePictureThatFailsEndsTheLoadAndLeavesNothingToDraw)
{
    info("FILES: 3\na.bmp 100 0 0 0\nmissing.bmp 100 0 0 0\nc.bmp 100 0 0 0\n");
    SpriteAnim anim;
    EXPECT_EQ(anim.load("anim", "test.kvs"), -1);
    EXPECT_EQ(fakeBmpLoads.size(), 2u); // stops at the failing picture
    EXPECT_EQ(anim.framesReady, 0);
    EXPECT_EQ(anim.width, 0);
    AnimCursor cursor;
    cursor.set(&anim);
    curTime = 1000.0f;
    cursor.draw();
    EXPECT_EQ(fakeDrawCalls, 0);
}

TEST_F(AnimFiles, HostileInfoFilesLoadOnlyWhatIsThereAndNeverDrawUnsetFrames)
{
    struct Case {
        const char* name;
        std::string text;
        int result;
        int frames;
    };
    // The rest of an overlong line is skipped, not read as frame lines.
    const std::string longLine = "a.bmp 50 0 0 0" + std::string(3000, ' ') + "b.bmp 7\n";
    static const char binaryBytes[] = "FILES: 2\n\x01\xff\x00\x7f zz\n\0\0\0b.bmp 10\n";
    const std::string binary(binaryBytes, sizeof(binaryBytes) - 1);
    const Case cases[] = {
        {"no FILES line", "a.bmp 100 0 0 0\nb.bmp 100 0 0 0\n", -1, 0},
        {"empty file", "", -1, 0},
        {"negative count", "FILES: -5\na.bmp 100 0 0 0\n", 0, 0},
        {"zero count", "FILES: 0\na.bmp 100 0 0 0\n", 0, 0},
        {"huge count", "FILES: 2000000000\na.bmp 100 0 0 0\nb.bmp 100 0 0 0\n", 0, 2},
        {"count past int", "FILES: 99999999999999999999\na.bmp 1 0 0 0\n", 0, 1},
        {"fewer lines than announced", "FILES: 5\na.bmp 100 0 0 0\n# only one\n", 0, 1},
        {"3000-character line", "FILES: 3\n" + longLine + "c.bmp 60 0 0 0\n", 0, 2},
        {"long line after a good frame", "FILES: 3\na.bmp 5\n" + std::string(3000, '#') + "\nb.bmp\n", 0, 2},
        {"binary bytes", binary, -1, 0},
        {"blank-only frame line first", "FILES: 2\n   \na.bmp 1\n", -1, 0},
        {"name too long for a picture", "FILES: 1\n" + std::string(254, 'q') + "\n", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetFakeGraphics();
        info(c.text);
        SpriteAnim anim;
        EXPECT_EQ(anim.load("anim", "test.kvs"), c.result);
        EXPECT_EQ(anim.frameCount, c.frames);
        EXPECT_EQ(anim.framesReady, c.frames);
        EXPECT_LE(fakeBmpLoads.size(), 3u);

        AnimCursor cursor;
        cursor.set(&anim);
        cursor.play();
        for (int i = 0; i < 8; i++) {
            curTime = 1000.0f * static_cast<float>(i + 1);
            cursor.draw();
            cursor.drawRotated(45);
            cursor.drawBlended(128);
        }
        for (const FakeDraw& d : fakeDraws)
            ASSERT_NE(d.texture, nullptr);
        const std::vector<int> shown = drawnFrames(anim);
        for (int f : shown)
            EXPECT_GE(f, 0); // every draw used a frame that loaded
        EXPECT_EQ(shown.size(), c.frames > 0 ? 24u : 0u);
    }
}

TEST_F(AnimFiles, RestOfAnOverlongLineIsNotReadAsFrameLines)
{
    info("FILES: 3\na.bmp 50 0 0 0" + std::string(3000, ' ') + "b.bmp 7\nc.bmp 60 0 0 0\n");
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    EXPECT_EQ(fakeBmpLoads, (std::vector<std::string>{"anim/a.bmp", "anim/c.bmp"}));
    EXPECT_EQ(anim.frames[0].durationMs, 50);
    EXPECT_EQ(anim.frames[1].durationMs, 60);
}

TEST_F(AnimFiles, LongLineIsCutAt254Characters)
{
    // A 254-character name fits the line; the display time after it is cut off.
    const std::string name(250, 'n');
    writeFile("anim/" + name + ".bmp", "BM");
    info("FILES: 1\n" + name + ".bmp 70 0 0 0\n");
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    ASSERT_EQ(anim.frameCount, 1);
    EXPECT_EQ(fakeBmpLoads[0], "anim/" + name + ".bmp");
    EXPECT_EQ(anim.frames[0].durationMs, 0);
}

TEST_F(AnimFiles, LoadSingleIsAStillOneEntryAnimation)
{
    fakeBmpWidth = 32;
    fakeBmpHeight = 24;
    SpriteAnim tile;
    ASSERT_EQ(tile.loadSingle("anim/a.bmp"), 0);
    EXPECT_EQ(tile.loaded, 1);
    EXPECT_EQ(tile.frameCount, 0);
    EXPECT_EQ(tile.width, 32);
    EXPECT_EQ(tile.height, 24);
    EXPECT_EQ(tile.frames[0].durationMs, 0);

    AnimCursor cursor;
    cursor.set(&tile);
    EXPECT_EQ(cursor.animating, 0);
    cursor.setPos(64, 96);
    curTime = 5000.0f;
    cursor.draw();
    cursor.play(); // playing a still picture wraps straight back to frame 0
    curTime = 9000.0f;
    cursor.draw();
    EXPECT_EQ(cursor.frame, 0);
    ASSERT_EQ(fakeDraws.size(), 2u);
    EXPECT_EQ(fakeDraws[1].texture, tile.frames[0].texture);
    EXPECT_EQ(fakeDraws[1].x, 64);
    EXPECT_EQ(fakeDraws[1].y, 96);

    SpriteAnim missing;
    EXPECT_EQ(missing.loadSingle("anim/none.bmp"), -1);
    EXPECT_EQ(missing.frames[0].texture, nullptr);
    EXPECT_EQ(missing.width, 0);
    resetFakeGraphics();
    cursor.set(&missing);
    cursor.draw();
    cursor.drawBlended(255);
    EXPECT_EQ(fakeDrawCalls, 0);
}

// A four-frame animation of 100 ms frames, loaded through the fakes.
class FourFrames : public AnimFiles {
protected:
    SpriteAnim anim;
    AnimCursor cursor;
    void SetUp() override
    {
        AnimFiles::SetUp();
        info("FILES: 4\na.bmp 100 0 0 0\nb.bmp\nc.bmp\nd.bmp\n");
        ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
        ASSERT_EQ(cursor.set(&anim), 0);
    }
    int drawAt(float time)
    {
        curTime = time;
        cursor.draw();
        return drawnFrames(anim).back();
    }
};

TEST_F(FourFrames, FirstDrawSkipsFrameZeroAndTheNextFrameIsDueStrictlyAfter)
{
    cursor.setPos(3, 4);
    EXPECT_EQ(cursor.animating, 1);
    EXPECT_EQ(drawAt(500.0f), 1);
    EXPECT_EQ(cursor.frameStart, 500);
    EXPECT_EQ(drawAt(600.0f), 1);
    EXPECT_EQ(drawAt(600.5f), 2);
    EXPECT_EQ(cursor.frameStart, 600); // truncated toward zero
    EXPECT_EQ(fakeDraws.back().x, 3);
    EXPECT_EQ(fakeDraws.back().y, 4);
}

TEST_F(FourFrames, AtMostOneFrameAdvancesPerDrawAndTheIndexWraps)
{
    EXPECT_EQ(drawAt(10000.0f), 1);
    EXPECT_EQ(drawAt(20000.0f), 2);
    EXPECT_EQ(drawAt(30000.0f), 3);
    EXPECT_EQ(drawAt(40000.0f), 0);
    EXPECT_EQ(drawAt(40050.0f), 0);
}

TEST_F(FourFrames, SpeedTwoDoublesEveryDisplayTime)
{
    drawAt(500.0f);
    cursor.setSpeed(2.0f);
    EXPECT_EQ(drawAt(700.0f), 1);
    EXPECT_EQ(drawAt(700.25f), 2);
}

TEST_F(FourFrames, StoppedCursorAndBlendedDrawsNeverAdvance)
{
    drawAt(500.0f);
    curTime = 5000.0f;
    cursor.drawBlended(26);
    cursor.drawBlended(26);
    EXPECT_EQ(cursor.frame, 1);
    EXPECT_EQ(cursor.frameStart, 500);
    EXPECT_EQ(fakeDraws.back().kind, FakeDrawKind::blended);
    EXPECT_EQ(fakeDraws.back().alpha, 26);
    EXPECT_EQ(drawnFrames(anim).back(), 1);

    cursor.stop();
    EXPECT_EQ(drawAt(9000.0f), 1);
    cursor.play();
    EXPECT_EQ(drawAt(9000.0f), 2);
}

TEST_F(FourFrames, RotatedDrawAdvancesAndPassesTheAngle)
{
    curTime = 500.0f;
    cursor.drawRotated(-90);
    EXPECT_EQ(cursor.frame, 1);
    ASSERT_EQ(fakeDraws.size(), 1u);
    EXPECT_EQ(fakeDraws[0].kind, FakeDrawKind::rotated);
    EXPECT_EQ(fakeDraws[0].angle, -90.0f);
    EXPECT_EQ(fakeDraws[0].texture, anim.frames[1].texture);
}

TEST_F(FourFrames, FrameSetBeyondTheAnimationDrawsTheLastFrame)
{
    cursor.stop();
    cursor.setFrame(52);
    EXPECT_EQ(drawAt(100.0f), 3);
    cursor.drawBlended(100);
    cursor.drawRotated(0);
    EXPECT_EQ(drawnFrames(anim), (std::vector<int>{3, 3, 3}));
    cursor.setFrame(-7);
    EXPECT_EQ(drawAt(100.0f), 0);
    cursor.setFrame(2147483647);
    cursor.play(); // the advance wraps it to 0 without overflowing
    EXPECT_EQ(drawAt(100000.0f), 0);
}

TEST_F(FourFrames, SetRestartsButKeepsThePosition)
{
    cursor.setPos(40, 50);
    cursor.setSpeed(3.0f);
    drawAt(500.0f);
    drawAt(2000.0f);
    EXPECT_EQ(cursor.set(&anim), 0);
    EXPECT_EQ(cursor.frame, 0);
    EXPECT_EQ(cursor.frameStart, 0);
    EXPECT_EQ(cursor.speed, 1.0f);
    EXPECT_EQ(cursor.x, 40);
    EXPECT_EQ(cursor.y, 50);
    EXPECT_EQ(cursor.getAnim(), &anim);
}

TEST_F(AnimFiles, OneFrameInfoFileAndUnsetCursorNeverAdvance)
{
    info("FILES: 1\na.bmp 10 0 0 0\n");
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    AnimCursor cursor;
    cursor.draw(); // never set: no animation, nothing drawn
    EXPECT_EQ(fakeDrawCalls, 0);
    cursor.set(&anim);
    EXPECT_EQ(cursor.animating, 0);
    cursor.play();
    for (float t : {100.0f, 200.0f, 300.0f}) {
        curTime = t;
        cursor.draw();
        EXPECT_EQ(cursor.frame, 0);
    }
    EXPECT_EQ(fakeDrawCalls, 3);
}

TEST_F(AnimFiles, HugeClockValuesDoNotOverflowTheFrameStart)
{
    info("FILES: 2\na.bmp 10\nb.bmp 10\n");
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    AnimCursor cursor;
    cursor.set(&anim);
    curTime = 3.0e10f;
    cursor.draw();
    EXPECT_EQ(cursor.frameStart, 2147483647);
    curTime = -3.0e10f;
    cursor.setFrame(0);
    cursor.frameStart = -2147483647 - 1;
    cursor.draw(); // -3e10 is not after -2147483648 + 10: no advance
    EXPECT_EQ(cursor.frame, 0);
}

TEST_F(AnimFiles, ReloadingReplacesTheFrames)
{
    info("FILES: 2\na.bmp 10\nb.bmp 10\n");
    SpriteAnim anim;
    ASSERT_EQ(anim.load("anim", "test.kvs"), 0);
    ASSERT_EQ(anim.loadSingle("anim/c.bmp"), 0);
    EXPECT_EQ(anim.frameCount, 0);
    EXPECT_EQ(anim.framesReady, 1);
    EXPECT_EQ(fakeBmpLoads.back(), "anim/c.bmp");
}

} // namespace

// The game-state machine driven tick by tick, with timer events fired by hand.
#include <cmath>

#include "shell/stateTestSupport.h"
#include "support/testUtil.h"

namespace {

using StatesTest = GameStateTest;

TEST_F(StatesTest, FirstPlayShowsTheStoryAndLaterPlaysSkipIt)
{
    curTime = 500.0f;
    debugMode = true;
    btnEnter = 1; // "Play" is selected at start
    tick();
    EXPECT_EQ(GameState, 1);
    EXPECT_EQ(storyStart, 500.0);
    EXPECT_FALSE(debugMode);
    EXPECT_TRUE(frameUpdated);

    // Back to the title and "Play" again: straight into the game.
    GameState = 0;
    curTime = 20000.0f;
    btnEnter = 1;
    tick();
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(storyStart, 500.0); // set only once
}

TEST_F(StatesTest, EnterInTheStoryStartsPlayAndLeavesTheFlagSet)
{
    GameState = 1;
    tick();
    EXPECT_EQ(GameState, 1);
    btnEnter = 1;
    tick();
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(btnEnter, 1);
    tick(); // the playing update clears it
    EXPECT_EQ(btnEnter, 0);
    EXPECT_EQ(GameState, 3);
}

TEST_F(StatesTest, EscStillHeldAfterSkippingTheStoryReturnsToTheTitle)
{
    GameState = 1;
    btnEscape = 1;
    tick();
    EXPECT_EQ(GameState, 3);
    tick(); // Esc was not released: the first playing update sees it
    EXPECT_EQ(GameState, 0);
    EXPECT_EQ(btnEscape, 0);
    tick(); // the title menu does not see it again
    EXPECT_EQ(GameState, 0);
}

TEST_F(StatesTest, StoryEndsAtTheFirstDrawAfterTenGameSeconds)
{
    GameState = 1;
    storyStart = 1000.0;
    curTime = 3000.0f; // exactly 2000 ms: still the plain picture
    StoryFrame f = stepStoryFrame();
    EXPECT_EQ(f.phase, StoryPhase::picture);
    EXPECT_EQ(storyFade, 1.0f);
    EXPECT_EQ(storyAngle, 0);

    curTime = 11000.0f; // exactly 10000 ms: still showing
    f = stepStoryFrame();
    EXPECT_EQ(f.phase, StoryPhase::fading);
    EXPECT_EQ(GameState, 1);

    curTime = 11000.001f;
    f = stepStoryFrame();
    EXPECT_EQ(f.phase, StoryPhase::ended);
    EXPECT_EQ(GameState, 3);
}

TEST_F(StatesTest, StoryEndsAfterAbout850NormalTicks)
{
    GameState = 1;
    storyStart = curTime;
    int frames = 0;
    while (GameState == 1 && frames < 2000) {
        advanceClock();
        stepStoryFrame();
        frames++;
    }
    EXPECT_EQ(GameState, 3);
    EXPECT_GE(frames, 850);
    EXPECT_LE(frames, 851);
}

TEST_F(StatesTest, StoryFadeReachesItsFloorAfter163FadingFrames)
{
    GameState = 1;
    curTime = 5000.0f; // fading phase
    float firstDrawn = 0.0f;
    for (int i = 1; i <= 162; i++) {
        const StoryFrame f = stepStoryFrame();
        if (i == 1)
            firstDrawn = f.fade;
    }
    EXPECT_EQ(firstDrawn, 1.0f); // the picture is drawn before the fade moves
    EXPECT_GT(storyFade, 0.35f);
    stepStoryFrame();
    EXPECT_EQ(storyFade, 0.35f);
    stepStoryFrame();
    EXPECT_EQ(storyFade, 0.35f);
}

TEST_F(StatesTest, StoryTextHasSixFixedLinesThirtyPixelsApart)
{
    const char* const texts[] = {
        "- - - > The Evil Force is upon us.",
        "... Thirty miles west of Cairo, the Evil Force",
        "is massing armies of robots using the great",
        "sphinx as a portal for his modern 'Nydus Canal.'",
        "It is up to you to stop him and his masses of",
        "robots before he takes total control of the world.",
    };
    for (int i = 0; i < storyLineCount; i++) {
        EXPECT_EQ(storyLines[i].y, 480 - 15 * (15 - 2 * i));
        EXPECT_STREQ(storyLines[i].text, texts[i]);
    }
}

TEST_F(StatesTest, StoryEmblemTurnsTwoDegreesAndWrapsAbove360)
{
    GameState = 1;
    curTime = 5000.0f;
    EXPECT_EQ(stepStoryFrame().angle, 2);
    for (int i = 2; i <= 180; i++)
        stepStoryFrame();
    EXPECT_EQ(storyAngle, 360); // 360 itself is kept
    EXPECT_EQ(stepStoryFrame().angle, 0);
}

TEST_F(StatesTest, PlayingEscGoesToTheTitleAndTheTickFinishes)
{
    GameState = 3;
    btnEscape = 1;
    btnEnter = 1;
    btnLeft = 1;
    tick();
    EXPECT_EQ(GameState, 0);
    EXPECT_EQ(btnEscape, 0);
    EXPECT_EQ(btnEnter, 0);
    EXPECT_EQ(btnLeft, 1); // directions are levels the characters read every tick
    EXPECT_TRUE(frameUpdated);
}

TEST_F(StatesTest, UnusedAndUnknownStatesDoNothingButFinishTheUpdate)
{
    for (int state : {2, 7, -1}) {
        GameState = state;
        btnEscape = 1;
        tick();
        EXPECT_EQ(GameState, state);
        EXPECT_EQ(btnEscape, 1);
        EXPECT_TRUE(frameUpdated);
    }
    EXPECT_TRUE(fakeExitCodes.empty());
}

TEST_F(StatesTest, ExitStateCleansUpThenEndsWithCodeZero)
{
    GameState = 6;
    tick();
    ASSERT_EQ(fakeExitCodes.size(), 1u);
    EXPECT_EQ(fakeExitCodes[0], 0);
    EXPECT_EQ(fakeCallLog.back(), "exit 0");
    EXPECT_EQ(fakeCallLog.front(), "Stream_Close stream"); // cleanup ran first
    EXPECT_FALSE(frameUpdated);
}

TEST_F(StatesTest, SceneBrightnessStaysWithinItsRange)
{
    altActive = true;
    for (int i = 0; i < 84; i++)
        stepSceneBrightness();
    EXPECT_GT(sceneBrightness, 0.15f);
    stepSceneBrightness(); // 85 steps of 0.01 in single precision land a hair above
    EXPECT_NEAR(sceneBrightness, 0.15f, 1e-5f);
    stepSceneBrightness();
    EXPECT_EQ(sceneBrightness, 0.15f);
    for (int i = 0; i < 10; i++)
        stepSceneBrightness();
    EXPECT_EQ(sceneBrightness, 0.15f);
    EXPECT_EQ(tileShade(sceneBrightness), 38);

    altActive = false;
    for (int i = 0; i < 200; i++) {
        stepSceneBrightness();
        ASSERT_GE(sceneBrightness, 0.15f);
        ASSERT_LE(sceneBrightness, 1.0f);
    }
    EXPECT_EQ(sceneBrightness, 1.0f);
    EXPECT_EQ(tileShade(sceneBrightness), 255);
}

TEST_F(StatesTest, TileShadeSnapsNearTheEnds)
{
    EXPECT_EQ(tileShade(0.0f), 0);
    EXPECT_EQ(tileShade(0.00009f), 0);
    EXPECT_EQ(tileShade(0.5f), 127);
    EXPECT_EQ(tileShade(0.9999f), 254);
    EXPECT_EQ(tileShade(0.99995f), 255);
}

// The second character in play, as the switch step leaves it.
static void startCountdown(int timeLeft)
{
    GameState = 3;
    altActive = true;
    altTimeLeft = timeLeft;
    armGameTimer(countdownDelay, timerCountdown);
}

TEST_F(StatesTest, CountdownFromElevenKillsAtZeroAndArmsTheRespawn)
{
    startCountdown(11);
    for (int expected = 10; expected >= 1; expected--) {
        ASSERT_EQ(fakeTimers.size(), 1u);
        EXPECT_EQ(fakeTimers[0].ms, 1000);
        EXPECT_EQ(fireTimer(), timerCountdown);
        EXPECT_EQ(altTimeLeft, expected);
        EXPECT_EQ(GameState, 3);
    }
    ASSERT_EQ(fakeTimers.size(), 1u);
    fireTimer();
    EXPECT_EQ(altTimeLeft, 0);
    EXPECT_EQ(GameState, 4);
    ASSERT_EQ(fakeTimers.size(), 1u); // the chain ends; only the respawn is pending
    EXPECT_EQ(fakeTimers[0].ms, 3820);
    EXPECT_EQ(fakeTimers[0].value, timerRespawn);
}

TEST_F(StatesTest, CountdownWarnsForTheLastTenSecondsOnly)
{
    if (!samplesObservable())
        GTEST_SKIP() << "playSample does not reach the sound layer in this tree yet";
    startCountdown(12);
    fireTimer(); // 11: no warning
    EXPECT_TRUE(playedSamples().empty());
    for (int i = 0; i < 10; i++)
        fireTimer(); // 10 .. 1
    EXPECT_EQ(playedSamples(), std::vector<int>(10, 2));
    fireTimer(); // 0: death, no sound
    EXPECT_EQ(playedSamples().size(), 10u);
    EXPECT_EQ(GameState, 4);
}

TEST_F(StatesTest, CountdownTickEndsItsChainWhenNotNeeded)
{
    startCountdown(30);
    altActive = false; // switched back to the first player
    fireTimer();
    EXPECT_EQ(altTimeLeft, 30);
    EXPECT_TRUE(fakeTimers.empty());

    for (int state : {4, 5}) { // the second character died: the respawn resets its time
        startCountdown(30);
        GameState = state;
        fireTimer();
        EXPECT_EQ(altTimeLeft, 30);
        EXPECT_TRUE(fakeTimers.empty()) << "state " << state;
    }

    for (int state : {0, 1}) { // a trip to the title or the story only pauses it
        startCountdown(30);
        GameState = state;
        EXPECT_EQ(fireTimer(), timerCountdown);
        EXPECT_EQ(altTimeLeft, 30);
        ASSERT_EQ(fakeTimers.size(), 1u) << "state " << state;
        EXPECT_EQ(fakeTimers[0].ms, 1000);
        EXPECT_EQ(fakeTimers[0].value, timerCountdown);
        altActive = false; // the first player took over: the paused chain ends
        fireTimer();
        EXPECT_TRUE(fakeTimers.empty());
    }
}

// The second character in play, Esc before its first countdown step, the title
// kept past several steps, then "Play": its time runs out as it would have,
// on the one chain its switch armed.
TEST_F(StatesTest, CountdownPausedOnTheTitleRunsOutAfterPlayResumes)
{
    GameState = 3;
    storyStart = 100.0;
    btnSwitch = 1;
    tick(); // the switch step arms the countdown
    ASSERT_TRUE(altActive);
    ASSERT_EQ(fakeTimers.size(), 1u);
    btnEscape = 1;
    tick();
    EXPECT_EQ(GameState, 0);

    for (int i = 0; i < 5; i++) { // five seconds on the title
        EXPECT_EQ(fireTimer(), timerCountdown);
        tick();
        EXPECT_EQ(altTimeLeft, 30);
        ASSERT_EQ(fakeTimers.size(), 1u);
    }
    menuItem = 0;
    btnEnter = 1;
    tick(); // "Play"
    ASSERT_EQ(GameState, 3);

    for (int left = 29; left >= 1; left--) {
        ASSERT_EQ(fakeTimers.size(), 1u);
        EXPECT_EQ(fireTimer(), timerCountdown);
        EXPECT_EQ(altTimeLeft, left);
        tick();
    }
    EXPECT_EQ(fireTimer(), timerCountdown);
    EXPECT_EQ(altTimeLeft, 0);
    EXPECT_EQ(GameState, 4);
    ASSERT_EQ(fakeTimers.size(), 1u);
    EXPECT_EQ(fakeTimers[0].value, timerRespawn);
}

TEST_F(StatesTest, TwoCountdownChainsCountTwiceAsFast)
{
    startCountdown(30);
    armGameTimer(countdownDelay, timerCountdown); // switched away and back within a second
    fireTimer();
    fireTimer();
    EXPECT_EQ(altTimeLeft, 28);
    EXPECT_EQ(fakeTimers.size(), 2u);
}

TEST_F(StatesTest, RespawnWithLivesLeftContinuesPlay)
{
    GameState = 4;
    stock = 2;
    altActive = true;
    altTimeLeft = 4;
    altTimeMax = 30;
    onGameTimer(timerRespawn);
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(stock, 1); // the readout now shows 0 spare lives
    EXPECT_FALSE(altActive);
    EXPECT_EQ(altTimeLeft, 30);
    EXPECT_TRUE(fakeTimers.empty());
}

TEST_F(StatesTest, RespawnWithTheLastLifeShowsGameOverThenTheTitle)
{
    GameState = 4;
    stock = 1;
    onGameTimer(timerRespawn);
    EXPECT_EQ(GameState, 5);
    EXPECT_EQ(stock, 0);
    ASSERT_EQ(fakeTimers.size(), 1u);
    EXPECT_EQ(fakeTimers[0].ms, 6000);
    EXPECT_EQ(fakeTimers[0].value, timerGameOverEnd);

    btnEnter = 1;
    tick(); // Enter does nothing on the game-over screen but is cleared
    EXPECT_EQ(GameState, 5);
    EXPECT_EQ(btnEnter, 0);

    fireTimer();
    EXPECT_EQ(GameState, 0);
    EXPECT_EQ(stock, 3);
}

// Fires the oldest pending timer with this value, as a shorter delay armed
// later would fire before a longer one armed earlier.
static void fireTimerValue(int value)
{
    for (size_t i = 0; i < fakeTimers.size(); i++) {
        if (fakeTimers[i].value == value) {
            fakeTimers.erase(fakeTimers.begin() + static_cast<long>(i));
            onGameTimer(value);
            return;
        }
    }
    ADD_FAILURE() << "no timer " << value << " is pending";
}

// The first player loses its last hit points in a playing update.
static void dieInPlay()
{
    ASSERT_EQ(GameState, 3);
    player.health = 0;
    GameStateTest::tick();
    ASSERT_EQ(GameState, 4);
}

// The last life lost, Esc on the game-over screen, "Play" within its 6 s and a
// death before its timer: the lives came back with Esc, never go below 0, and
// the late timer leaves the game under way alone.
TEST_F(StatesTest, EscOnGameOverRestoresTheLivesAtOnceAndTheLaterTimerDoesNothing)
{
    GameState = 3;
    storyStart = 100.0;
    stock = 1;
    dieInPlay();
    tick();
    EXPECT_EQ(fireTimer(), timerRespawn);
    ASSERT_EQ(GameState, 5);
    EXPECT_EQ(stock, 0);

    btnEscape = 1;
    tick();
    EXPECT_EQ(GameState, 0); // the title at once
    EXPECT_EQ(btnEscape, 0);
    EXPECT_EQ(stock, 3);

    menuItem = 0;
    btnEnter = 1;
    tick(); // "Play" again before the timer: play resumes with 3 lives
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(stock, 3);
    dieInPlay();
    tick();
    fireTimerValue(timerRespawn);
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(stock, 2);

    EXPECT_EQ(fireTimer(), timerGameOverEnd);
    EXPECT_EQ(stock, 2); // the lives of the game under way are its own
    EXPECT_EQ(GameState, 3); // not pulled back to the title
    EXPECT_TRUE(fakeTimers.empty());

    // The next game over is the player's full 6 s again, then the title.
    stock = 1;
    dieInPlay();
    fireTimer();
    ASSERT_EQ(GameState, 5);
    EXPECT_EQ(fireTimer(), timerGameOverEnd);
    EXPECT_EQ(GameState, 0);
    EXPECT_EQ(stock, 3);
}

TEST_F(StatesTest, EnterAndEscStaySetThroughTheDyingState)
{
    GameState = 4;
    stock = 3;
    btnEscape = 1;
    btnEnter = 1;
    for (int i = 0; i < 5; i++)
        tick();
    EXPECT_EQ(GameState, 4);
    EXPECT_EQ(btnEscape, 1);
    EXPECT_EQ(btnEnter, 1);
    onGameTimer(timerRespawn);
    EXPECT_EQ(GameState, 3);
    tick(); // Esc held through the respawn: the first playing update leaves
    EXPECT_EQ(GameState, 0);
}

TEST_F(StatesTest, GameOverFadesInOnceAndTheEmblemTurnsEightDegrees)
{
    for (int i = 0; i < 249; i++)
        stepGameOverFade();
    EXPECT_LT(gameOverFade, 1.0f);
    stepGameOverFade();
    stepGameOverFade();
    EXPECT_EQ(gameOverFade, 1.0f);

    for (int i = 0; i < 45; i++)
        stepGameOverAngle();
    EXPECT_EQ(gameOverAngle, 360);
    stepGameOverAngle();
    EXPECT_EQ(gameOverAngle, 0);

    EXPECT_EQ(gameOverPictureX(300), 170);
    EXPECT_EQ(gameOverPictureX(301), 170); // the half is truncated
}

TEST_F(StatesTest, UndrawnStateIsReportedOnlyInDebugRuns)
{
    GameState = 6;
    StdoutCapture quiet;
    reportUndrawnState();
    EXPECT_EQ(quiet.stop(), "");

    debugMode = true;
    StdoutCapture loud;
    reportUndrawnState();
    EXPECT_EQ(loud.stop(), "Error: GameState var=6");
}

// A whole game with the second character: its time runs out three times.
TEST_F(StatesTest, ReplayThreeTimeOutsEndInGameOverAndTheTitle)
{
    btnEnter = 1;
    tick(); // "Play": the story
    EXPECT_EQ(GameState, 1);
    btnEnter = 1;
    tick();
    EXPECT_EQ(GameState, 3);
    tick();

    for (int life = 3; life >= 1; life--) {
        EXPECT_EQ(stock, life);
        startCountdown(altTimeMax);
        while (GameState == 3)
            fireTimer();
        EXPECT_EQ(GameState, 4);
        tick();
        EXPECT_EQ(fireTimer(), timerRespawn);
        EXPECT_FALSE(altActive);
        EXPECT_EQ(altTimeLeft, 30);
        tick();
    }
    EXPECT_EQ(GameState, 5);
    EXPECT_EQ(stock, 0);
    EXPECT_EQ(fireTimer(), timerGameOverEnd);
    EXPECT_EQ(GameState, 0);
    EXPECT_EQ(stock, 3);
    EXPECT_TRUE(fakeTimers.empty());
    EXPECT_EQ(menuItem, 0); // the title shows the last selection
}

} // namespace

TEST(TileShade, BrightnessMapsToTheTileShade)
{
    EXPECT_EQ(tileShade(1.0f), 255);
    EXPECT_EQ(tileShade(0.99995f), 255);
    EXPECT_EQ(tileShade(0.9999f), 254);
    EXPECT_EQ(tileShade(0.5f), 127);
    EXPECT_EQ(tileShade(0.15f), 38);
    EXPECT_EQ(tileShade(0.0002f), 0);
    EXPECT_EQ(tileShade(0.00005f), 0);
    EXPECT_EQ(tileShade(0.0f), 0);
}

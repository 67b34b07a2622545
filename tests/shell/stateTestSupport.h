// Shared set-up for the tests that drive the game states tick by tick.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/sound.h"
#include "core/gameClock.h"
#include "core/settings.h"
#include "input/input.h"
#include "shell/hud.h"
#include "shell/mainLoop.h"
#include "shell/menus.h"
#include "shell/states.h"
#include "support/actorFixture.h"
#include "support/fakeActors.h"
#include "support/fakeFsound.h"
#include "support/fakeGraphics.h"
#include "support/fakeShell.h"

// Every global the states, menus and readouts touch, back at its start value.
struct GameStateTest : ::testing::Test {
    void SetUp() override { resetAll(); }
    void TearDown() override { resetAll(); }

    static void resetAll()
    {
        resetGameStates();
        resetActors();
        resetFakeActors();
        resetFakeGraphics();
        resetMenus();
        resetControls();
        resetHud();
        resetFakeShell();
        resetFakeAudio();
        settings = Settings();
        curTime = 0.0f;
        lastTime = 0.0f;
        frameUpdated = false;
        debugMode = false;
    }

    // One update as the idle callback runs it.
    static void tick()
    {
        frameUpdated = false;
        updateFrame();
    }

    // Fires the oldest pending game timer and returns its value.
    static int fireTimer()
    {
        const FakeTimer t = popFakeTimer();
        onGameTimer(t.value);
        return t.value;
    }

    // Samples played since the last reset, from the sound fakes' log.
    static std::vector<int> playedSamples()
    {
        std::vector<int> played;
        for (const std::string& call : fakeCallLog) {
            if (call.rfind("PlaySound -1 sample", 0) == 0)
                played.push_back(call.back() - '0');
        }
        return played;
    }

    // playSample only reaches the sound layer once that layer is in the tree;
    // until then the sample checks cannot observe anything and are skipped.
    static bool samplesObservable()
    {
        const size_t before = fakeCallLog.size();
        playSample(0);
        const bool seen = fakeCallLog.size() > before;
        fakeCallLog.resize(before);
        return seen;
    }
};

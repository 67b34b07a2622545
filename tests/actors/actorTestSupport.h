// Fixture of the actor tests: the game in its playing state on a small level
// drawn as text, every actor at its start-up state, the clock at 0.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actors/bullets.h"
#include "actors/combat.h"
#include "actors/enemies.h"
#include "actors/player.h"
#include "core/gameClock.h"
#include "graphics/anim.h"
#include "input/input.h"
#include "shell/states.h"
#include "support/actorFixture.h"
#include "support/fakeActors.h"
#include "support/fakeGraphics.h"
#include "support/fakeShell.h"
#include "world/map.h"

struct ActorTest : ::testing::Test {
    void SetUp() override
    {
        resetGameStates();
        resetActors();
        resetControls();
        resetFakeActors();
        resetFakeGraphics();
        resetFakeShell();
        curTime = 0.0f;
        lastTime = 0.0f;
        debugMode = false;
        GameState = 3;
        setTestMap(flatLevel(40));
    }
    void TearDown() override
    {
        resetGameStates();
        resetActors();
        setTestMap({});
    }

    // A level of the given width with solid ground in its bottom row (the top
    // of the ground is y = 448) and nothing else.
    static std::vector<std::string> flatLevel(int width)
    {
        std::vector<std::string> rows(15, std::string(static_cast<size_t>(width), '.'));
        rows[14] = std::string(static_cast<size_t>(width), '#');
        return rows;
    }

    // Puts the first player on the ground of flatLevel at x, standing.
    static void standAt(int x)
    {
        player.xpos = x;
        player.ypos = 448 - player.height - 1;
        player.vy = 1.0;
        player.inAir = false;
        player.jumpLatch = false;
        player.cursor->x = x - scrollX;
    }

    // One tick of the first player as the playing update runs it, with the
    // game clock advancing by a normal tick first.
    static void playerTick()
    {
        advanceClock();
        switchCharacter();
        if (!altActive)
            updatePlayer();
        else
            updateAlt();
    }

    // Advances the clock until at least ms of game time have passed.
    static void passTime(float ms)
    {
        const float end = curTime + ms;
        while (curTime < end)
            advanceClock();
    }
};

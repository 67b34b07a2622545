// Replays of recorded play on the shipped level: the keys held from each
// listed tick, played through the real input callbacks, updates and the
// state-changing half of the drawing, with the game timers firing when their
// real-time delay has passed. Checks positions, health, lives, the second
// character's time, enemy health and the state at the listed ticks.
//
// A replay file (tests/data/replays/*.txt) holds lines of
//   <tick>: <keys held from this tick on>   keys: left right up down jump
//                                           sword switch enter esc, or "-"
//   expect <tick>: <name>=<value> ...       names: see observe() below
// and "#" comments. Run with KV_REPLAY_PRINT=1 to print every observable at
// the expected ticks (how a recording is made; check the values by eye).
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "actors/actorTestSupport.h"
#include "shell/mainLoop.h"
#include "shell/menus.h"
#include "support/testUtil.h"
#include "tools/gameData.h"

namespace {

struct Expectation {
    int tick;
    int line;
    std::map<std::string, std::string> values;
};

struct Replay {
    std::map<int, std::vector<std::string>> keys; // tick -> keys held from then on
    std::vector<Expectation> expectations;
    int lastTick = 0;
};

Replay readReplay(const std::string& path)
{
    Replay replay;
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        lineNumber++;
        if (text.empty() || text[0] == '#')
            continue;
        const bool expect = text.rfind("expect ", 0) == 0;
        std::istringstream line(expect ? text.substr(7) : text);
        int tick = -1;
        char colon = 0;
        line >> tick >> colon;
        EXPECT_TRUE(tick >= 0 && colon == ':') << path << ":" << lineNumber;
        std::vector<std::string> words;
        for (std::string w; line >> w;)
            words.push_back(w);
        if (expect) {
            Expectation e{tick, lineNumber, {}};
            for (const std::string& w : words) {
                const size_t eq = w.find('=');
                EXPECT_NE(eq, std::string::npos) << path << ":" << lineNumber;
                if (eq != std::string::npos)
                    e.values[w.substr(0, eq)] = w.substr(eq + 1);
            }
            replay.expectations.push_back(e);
        } else {
            if (words.size() == 1 && words[0] == "-")
                words.clear();
            replay.keys[tick] = words;
        }
        replay.lastTick = std::max(replay.lastTick, tick);
    }
    return replay;
}

// The key code the input callbacks receive for a key name.
unsigned char keyCode(const std::string& name)
{
    static const std::map<std::string, unsigned char> codes = {
        {"left", 'j'},  {"right", 'l'}, {"up", 'i'},     {"down", 'k'},   {"jump", 'c'},
        {"sword", 'x'}, {"switch", 'z'}, {"enter", 13},  {"esc", 27}};
    const auto it = codes.find(name);
    EXPECT_NE(it, codes.end()) << "unknown key " << name;
    return it == codes.end() ? 0 : it->second;
}

int activeBullets()
{
    int n = 0;
    for (const Bullet& b : bullets)
        n += b.active ? 1 : 0;
    return n;
}

// Everything a replay can check, by name.
std::map<std::string, std::string> observe()
{
    std::map<std::string, std::string> v;
    v["state"] = std::to_string(GameState);
    v["x"] = std::to_string(player.xpos);
    v["y"] = std::to_string(player.ypos);
    v["health"] = std::to_string(player.health);
    v["stock"] = std::to_string(stock);
    v["alt"] = std::to_string(altActive ? 1 : 0);
    v["altx"] = std::to_string(altX);
    v["alty"] = std::to_string(altY);
    v["time"] = std::to_string(altTimeLeft);
    v["scroll"] = std::to_string(scrollX);
    v["bullets"] = std::to_string(activeBullets());
    for (int i = 0; i < enemySlots; i++) {
        if (enemies[i].x != -1)
            v["e" + std::to_string(i)] = std::to_string(enemies[i].health);
    }
    return v;
}

// The half of drawFrame that changes the game: fades, the popup's end, the
// animations the characters and enemies show, the bullets freed at the right
// edge. The pictures themselves go to the graphics fakes.
void drawSteps()
{
    switch (GameState) {
    case 1: stepStoryFrame(); break;
    case 3:
        stepSceneBrightness();
        if (timeBonusStart != 0)
            drawTimeBonus();
        selectPlayerAnimation();
        drawPlayers();
        drawEnemies();
        drawBullets();
        break;
    case 4:
        if (timeBonusStart != 0)
            drawTimeBonus();
        drawDyingPlayer();
        drawEnemies();
        drawBullets();
        break;
    case 5:
        stepGameOverAngle();
        stepGameOverFade();
        break;
    default: break;
    }
}

struct PendingTimer {
    long long due; // real ms
    int value;
};

class ReplayTest : public ActorTest {
public:
    void SetUp() override
    {
        ActorTest::SetUp();
        resetMenus();
        GameState = 0;
        const char* game = std::getenv("KV_GAME_DIR");
        ASSERT_NE(game, nullptr);
        ASSERT_EQ(getcwd(oldDir, sizeof oldDir), oldDir);
        ASSERT_EQ(chdir(game), 0) << game;
        // Start-up as the game runs it, with the sprite pictures faked.
        for (Enemy& e : enemies)
            e = Enemy();
        loadLevel();
        resetParticles();
        loadEnemies();
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(oldDir), 0);
        releaseLevel();
        resetMenus();
        ActorTest::TearDown();
    }

    // Holds exactly the named keys from now on, through the input callbacks.
    void holdKeys(const std::vector<std::string>& wanted)
    {
        for (const std::string& k : held)
            if (std::find(wanted.begin(), wanted.end(), k) == wanted.end())
                onKeyUp(keyCode(k), 0, 0);
        for (const std::string& k : wanted)
            if (std::find(held.begin(), held.end(), k) == held.end())
                onKeyDown(keyCode(k), 0, 0);
        held = wanted;
    }

    // One frame as GLUT runs it: the game timers due by now, the clock tick,
    // the draw of the last update, the next update. The very first call is
    // only the first update, which runs before any tick.
    void cycle()
    {
        if (started) {
            for (size_t i = 0; i < timers.size();) {
                if (timers[i].due <= realMs) {
                    const int value = timers[i].value;
                    timers.erase(timers.begin() + static_cast<long>(i));
                    onGameTimer(value);
                    collectTimers();
                } else {
                    i++;
                }
            }
            realMs += advanceClock();
            drawSteps();
            collectTimers();
        }
        started = true;
        frameUpdated = false;
        updateFrame();
        collectTimers();
    }

    // Plays the replay; every mismatch names the file line of its expectation.
    void play(const std::string& name)
    {
        const Replay replay = readReplay(sourcePath("tests/data/replays/" + name));
        const bool print = std::getenv("KV_REPLAY_PRINT") != nullptr;
        size_t nextExpect = 0;
        std::vector<std::string> mismatches;
        StdoutCapture debugLines; // one position line per tick in debug runs
        for (int tick = 0; tick <= replay.lastTick; tick++) {
            const auto change = replay.keys.find(tick);
            if (change != replay.keys.end())
                holdKeys(change->second);
            cycle();
            while (nextExpect < replay.expectations.size() && replay.expectations[nextExpect].tick == tick) {
                const Expectation& e = replay.expectations[nextExpect++];
                const std::map<std::string, std::string> seen = observe();
                std::string all;
                for (const auto& [key, value] : seen)
                    all += " " + key + "=" + value;
                if (print)
                    fprintf(stderr, "expect %d:%s\n", tick, all.c_str());
                for (const auto& [key, value] : e.values) {
                    const auto it = seen.find(key);
                    if (it == seen.end() || it->second != value)
                        mismatches.push_back(name + ":" + std::to_string(e.line) + " tick " + std::to_string(tick) +
                                             ": " + key + " expected " + value + ", got" + all);
                }
            }
        }
        debugLines.stop();
        // Reported once stdout is back: the test's own messages go there too.
        for (const std::string& m : mismatches)
            ADD_FAILURE() << m;
        EXPECT_EQ(nextExpect, replay.expectations.size()) << "expectations after the last tick";
    }

    static std::string sourcePath(const std::string& relative)
    {
        const char* source = std::getenv("KV_SOURCE_DIR");
        return std::string(source ? source : "") + "/" + relative;
    }

    std::vector<PendingTimer> timers;
    std::vector<std::string> held;
    long long realMs = 0;
    bool started = false;

private:
    // Timers armed since the last look start counting now.
    void collectTimers()
    {
        for (const FakeTimer& t : fakeTimers)
            timers.push_back({realMs + t.ms, t.value});
        fakeTimers.clear();
    }

public:
    char oldDir[4096] = "";
};

TEST_F(ReplayTest, ShippedLevel)
{
    play("level1.txt");
}

// The main route of docs/level.md played through the real game, robots and
// their bullets included: the first player must reach the end wall without
// dying, cutting down with the sword every robot the route names.
TEST_F(ReplayTest, DocumentedRouteIsPlayableWithTheRealGame)
{
    const std::vector<std::pair<std::string, int>> route = gamedata::documentedRoute();
    ASSERT_GT(route.size(), 10u) << "no route block in docs/level.md";
    GameState = 3; // "Play" after the story, in normal time
    std::string where;
    int ticks = 0;
    // Holds keys until done() is true; false when the player died or the
    // step took too long.
    auto holdUntil = [&](const std::vector<std::string>& keys, auto done) {
        holdKeys(keys);
        for (int t = 0; !done(); t++) {
            if (GameState != 3 || t > 5000) {
                ADD_FAILURE() << where << ": " << (GameState != 3 ? "died" : "stuck") << " at x " << player.xpos
                              << ", y " << player.ypos << ", health " << player.health;
                return false;
            }
            cycle();
            ticks++;
        }
        return true;
    };
    const std::vector<std::string> right = {"right"};
    for (const auto& [step, value] : route) {
        where = step + " " + std::to_string(value);
        bool ok = true;
        if (step == "run") {
            ok = holdUntil(right, [&] { return player.xpos >= value; });
        } else if (step == "jump") {
            int once = 0;
            ok = holdUntil(right, [&] { return once++ > 0; }) &&
                 holdUntil(right, [&] { return player.xpos >= value && !player.inAir; }) &&
                 holdUntil({"right", "jump"}, [&] { return player.inAir; }) &&
                 holdUntil({"right", "jump"}, [&] { return !player.inAir; });
        } else if (step == "cut") {
            int k = -1;
            for (int i = 0; i < enemySlots && k < 0; i++)
                if (enemies[i].x / 32 == value && enemies[i].x >= 0 && !enemies[i].dead)
                    k = i;
            ASSERT_GE(k, 0) << where << ": no standing robot in that column";
            const int stop = enemies[k].x - 44;
            ok = holdUntil(right, [&] { return player.xpos >= stop && !player.inAir; }) &&
                 holdUntil({}, [&] { return !player.hurt; });
            // Press and release the sword in turn until the robot is down.
            int t = 0;
            ok = ok && holdUntil({}, [&] {
                     holdKeys(t++ % 2 == 0 ? std::vector<std::string>{"sword"} : std::vector<std::string>{});
                     return enemies[k].dead;
                 });
        } else if (step == "end") {
            int last = -1, still = 0;
            ok = holdUntil(right, [&] {
                still = player.xpos == last ? still + 1 : 0;
                last = player.xpos;
                return still >= 10;
            });
            // The end wall: the solid block that runs to the level's right edge.
            int endWall = tileMap.getWidth() - 1;
            while (endWall > 0 && tileMap.isSolid(endWall - 1, 11))
                endWall--;
            EXPECT_EQ(player.xpos + player.width, endWall * 32 - 1) << "stopped at x " << player.xpos;
        } else {
            ADD_FAILURE() << "unknown route step " << where;
        }
        ASSERT_TRUE(ok) << where;
    }
    EXPECT_EQ(GameState, 3);
    EXPECT_EQ(stock, 3);
    std::printf("route: %d ticks, health %d, second character's time %d\n", ticks, player.health, altTimeLeft);
}

} // namespace

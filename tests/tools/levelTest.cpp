// The shipped level, read with the map loader's own row rule: its format,
// its tiles, and that it can be played: a safe start, robots standing on
// something, no pit or wall the physics cannot cross, the sentinel whose
// volleys fill the air out of the sword's reach, light somewhere in the
// dark, and the route described in docs/level.md walked tick by tick with
// the first player's movement rules from start to end wall.
#include "gameData.h"

#include "actors/player.h"
#include "input/input.h"
#include "shell/states.h"
#include "support/actorFixture.h"
#include "world/map.h"

#include <cmath>
#include <set>
#include <unordered_set>

using namespace gamedata;

namespace {

Level shippedLevel()
{
    std::vector<std::string> problems;
    Level lv = readLevel(&problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    return lv;
}

struct Marker {
    int col, row;
};

// Robot markers in reading order (rows top to bottom, columns left to
// right), the order in which the game numbers its enemies.
std::vector<Marker> markers(const Level& lv)
{
    std::vector<Marker> out;
    for (int r = 0; r < lv.height; ++r)
        for (int c = 0; c < lv.width; ++c)
            if (lv.rows[r][c].kind == 2)
                out.push_back({c, r});
    return out;
}

// Tile number to base and accent picture paths, as the tileset loader reads them.
std::map<int, std::pair<std::string, std::string>> readTileset(const std::string& name)
{
    std::string base = "gfx/tiles/", accent = "gfx/tiles/accent/", ext = "bmp";
    std::map<int, std::pair<std::string, std::string>> defined;
    for (const std::string& line : readLines(gamePath("data/tilesets/" + name + ".txt"))) {
        EXPECT_LE(line.size(), 999u);
        if (isCommentLine(line))
            continue;
        char key[256] = "", value[256] = "";
        if (std::sscanf(line.c_str(), "%255s %255s", key, value) != 2) {
            ADD_FAILURE() << line;
            continue;
        }
        if (std::strcmp(key, "base") == 0) {
            base = value;
            accent = base + "accent/";
        } else if (std::strcmp(key, "ext") == 0) {
            ext = value;
        } else {
            int n = std::atoi(key);
            EXPECT_TRUE(n >= 1 && n <= 100) << line;
            defined[n] = {base + value + "." + ext, accent + value + "." + ext};
        }
    }
    return defined;
}

TEST(AssetLevel, mapHeaderAndRowsFollowTheFormat)
{
    Level lv = shippedLevel();
    EXPECT_GE(lv.width, 150);
    EXPECT_LE(lv.width, 400);
    EXPECT_EQ(lv.height, 15);
    ASSERT_EQ(lv.rows.size(), 15u);
    bool twoDigitTile = false;
    for (const auto& row : lv.rows)
        for (const gamedata::MapCell& cell : row) {
            EXPECT_TRUE(cell.kind >= 0 && cell.kind <= 2);
            EXPECT_TRUE(cell.tile >= 0 && cell.tile <= 99);
            twoDigitTile |= cell.tile >= 10;
        }
    size_t count = markers(lv).size();
    EXPECT_GE(count, 10u);
    EXPECT_LE(count, 32u) << "markers past the 32nd are dropped by the loader";
    EXPECT_TRUE(twoDigitTile) << "the level should exercise the wider two-digit cells";
}

TEST(AssetLevel, everyTileTheMapUsesHasBaseAndAccentPictures)
{
    Level lv = shippedLevel();
    ASSERT_FALSE(lv.tileset.empty());
    ASSERT_TRUE(fileExists(gamePath("data/tilesets/" + lv.tileset + ".txt")));
    auto defined = readTileset(lv.tileset);
    std::set<int> used;
    for (const auto& row : lv.rows)
        for (const gamedata::MapCell& cell : row)
            if (cell.tile != 0)
                used.insert(cell.tile);
    EXPECT_GE(used.size(), 10u);
    for (int tile : used) {
        ASSERT_TRUE(defined.count(tile)) << "tile " << tile << " is not in the tileset";
        for (const std::string& path : {defined[tile].first, defined[tile].second}) {
            Picture p = readBmp(gamePath(path));
            EXPECT_EQ(p.error, "") << path;
            EXPECT_EQ(p.width, 32) << path;
            EXPECT_EQ(p.height, 32) << path;
        }
    }
}

TEST(AssetLevel, levelHoldsThePlayerAndStandsTheRobotsOnSomething)
{
    Level lv = shippedLevel();
    ASSERT_EQ(lv.rows.size(), 15u);
    // Nothing clamps the player's x: the end walls must be solid all the way.
    for (int r = 0; r < lv.height; ++r) {
        EXPECT_TRUE(lv.solid(0, r)) << "left wall open at row " << r;
        EXPECT_TRUE(lv.solid(lv.width - 1, r)) << "right wall open at row " << r;
    }
    // Start (64, 416) and respawn (150, 250), 30 by 36: free space, with
    // ground below each.
    auto boxFree = [&lv](int x, int y) {
        for (int row = y / 32; row <= (y + 35) / 32 && row < 14; ++row)
            for (int col = x / 32; col <= (x + 29) / 32; ++col)
                if (lv.solid(col, row))
                    return false;
        return true;
    };
    EXPECT_TRUE(boxFree(64, 411));
    EXPECT_TRUE(lv.solid(2, 14)) << "no ground under the start";
    EXPECT_TRUE(boxFree(150, 250));
    bool groundBelowRespawn = false;
    for (int r = 9; r < 15; ++r)
        groundBelowRespawn |= lv.solid(4, r) && lv.solid(5, r);
    EXPECT_TRUE(groundBelowRespawn);
    // Robots never move; each stands on a solid or drawn cell, and none
    // stands in the first screen, so play starts in peace.
    for (const Marker& m : markers(lv)) {
        const gamedata::MapCell& below = lv.rows[static_cast<size_t>(m.row + 1)][static_cast<size_t>(m.col)];
        EXPECT_TRUE(below.kind == 1 || below.tile != 0) << "robot at column " << m.col << " row " << m.row << " floats";
        EXPECT_GE(m.col, 20) << "robot in the first screen";
    }
    // A jump carries the player about 90 pixels: pits of at most two tiles.
    int open = 0;
    for (int c = 0; c < lv.width; ++c) {
        open = lv.solid(c, 14) ? 0 : open + 1;
        EXPECT_LE(open, 2) << "pit too wide at column " << c;
    }
}

// ---------------------------------------------------------------------------
// The first player's walking and jumping, tick by tick, against the solid
// tiles of the level: the movement rules of the game (jump speed -7, gravity
// 0.3, walking 2 pixels a tick, landing one pixel above the ground).

struct Body {
    int x, y;
    double vy;
    bool inAir, jumpLatch;
};

// Moves the first player through the level with the game's own update, one
// tick at a time (no robots and no bullets in the level it sees).
class Walker {
public:
    explicit Walker(const Level& lv)
    {
        resetActors();
        std::vector<std::string> rows;
        for (const auto& row : lv.rows) {
            std::string text;
            for (const gamedata::MapCell& cell : row)
                text += cell.kind == 1 ? '#' : '.';
            rows.push_back(text);
        }
        setTestMap(rows);
    }
    ~Walker()
    {
        setTestMap({});
        resetActors();
        resetControls();
        resetGameStates();
    }

    // One tick with the given inputs (walk right by 2 or stand; jump held or
    // not); false when the player falls out.
    bool step(Body& b, int dx, bool jump) const
    {
        player.xpos = b.x;
        player.ypos = b.y;
        player.vy = b.vy;
        player.inAir = b.inAir;
        player.jumpLatch = b.jumpLatch;
        btnRight = dx > 0 ? 1 : 0;
        btnJump = jump ? 1 : 0;
        GameState = 3;
        updatePlayer();
        b = Body{player.xpos, player.ypos, player.vy, player.inAir, player.jumpLatch};
        return b.y <= 480;
    }
};

// Boxes overlap with inclusive edges, as every hit test of the game counts them.
bool overlaps(int ax, int ay, int aw, int ah, int bx, int by, int bw, int bh)
{
    return ax <= bx + bw && ax + aw >= bx && ay <= by + bh && ay + ah >= by;
}

// The first column of the end wall: the solid block that runs from the
// floor of the last room to the level's right edge.
int endWallColumn(const Level& lv)
{
    int c = lv.width - 1;
    while (c > 0 && lv.solid(c - 1, 11))
        --c;
    return c;
}

// A search over the inputs (stand or walk right; jump held or not) finds
// every place the player can reach from the start without ever stepping
// back; robots are left out (the sword cuts them down). From none of those
// places may the sword reach the first robot in reading order: it fires
// every volley of the game and keeps firing when dead, so cutting it down
// would look like a fault.
TEST(AssetLevel, thePlayerReachesTheEndWallButNeverTheSentinel)
{
    Level lv = shippedLevel();
    ASSERT_EQ(lv.rows.size(), 15u);
    std::vector<Marker> robots = markers(lv);
    ASSERT_FALSE(robots.empty());
    const int sentinelX = robots[0].col * 32, sentinelY = robots[0].row == 0 ? 1 : robots[0].row * 32;
    EXPECT_GT(sentinelX + 16, 640) << "the sentinel's volleys would start at once";

    Walker walker(lv);
    auto keyOf = [](const Body& b) {
        return (static_cast<uint64_t>(b.x & 0xffff) << 40) | (static_cast<uint64_t>(b.y & 0xffff) << 24) |
               (static_cast<uint64_t>(std::lround(b.vy * 10) & 0xffff) << 8) | (b.inAir << 1) | b.jumpLatch;
    };
    std::vector<Body> frontier{{64, 416, 0.0, true, true}};
    std::unordered_set<uint64_t> seen{keyOf(frontier[0])};
    int farthest = 0;
    while (!frontier.empty()) {
        std::vector<Body> next;
        for (const Body& b : frontier) {
            for (int swordX : {b.x + 30, b.x - 25})
                ASSERT_FALSE(overlaps(swordX, b.y + 6, 25, 25, sentinelX, sentinelY, 32, 32))
                    << "the sword reaches the sentinel from (" << b.x << ", " << b.y << ")";
            for (int dx : {0, 2})
                for (bool jump : {false, true}) {
                    if (b.inAir && b.vy < 0 && !jump)
                        continue;  // only full jumps: enough to show the way through
                    Body n = b;
                    if (walker.step(n, dx, jump) && seen.insert(keyOf(n)).second) {
                        next.push_back(n);
                        farthest = std::max(farthest, n.x);
                    }
                }
        }
        frontier.swap(next);
    }
    EXPECT_GE(farthest + 30, endWallColumn(lv) * 32 - 1) << "the player gets no further than x " << farthest;
}

// ---------------------------------------------------------------------------
// The route of docs/level.md, one step a line in its "route" block:
//   run X    hold right until the player's left edge reaches x X
//   jump X   hold right (jump released); once standing at x X or beyond,
//            hold jump too until the jump has landed
//   cut C    walk right until the sword reaches the robot in column C (the
//            left edge 44 pixels short of it) and stand there cutting it
//            down; the body must still be clear of it
//   end      hold right until the end wall stops the player
// Walked tick by tick, the player must never fall out, never touch a robot
// still standing, and end against the end wall.

TEST(AssetLevel, theDocumentedRouteReachesTheEndWallWithoutTouchingARobot)
{
    Level lv = shippedLevel();
    ASSERT_EQ(lv.rows.size(), 15u);
    std::vector<std::pair<std::string, int>> route = documentedRoute();
    ASSERT_GT(route.size(), 10u) << "no route block in docs/level.md";

    struct Robot {
        int x, y;
        bool standing;
    };
    std::vector<Robot> robots;
    for (const Marker& m : markers(lv))
        robots.push_back({m.col * 32, m.row == 0 ? 1 : m.row * 32, true});
    Walker walker(lv);
    Body b{64, 416, 0.0, true, true};
    int ticks = 0;
    std::string where;
    auto tick = [&](int dx, bool jump) {
        ++ticks;
        if (!walker.step(b, dx, jump)) {
            ADD_FAILURE() << where << ": fell out of the level at x " << b.x;
            return false;
        }
        for (const Robot& r : robots)
            if (r.standing && overlaps(b.x, b.y, 30, 36, r.x, r.y, 32, 32)) {
                ADD_FAILURE() << where << ": touched the robot in column " << r.x / 32 << " at x " << b.x;
                return false;
            }
        return ticks < 100000;
    };
    for (const auto& [step, value] : route) {
        where = step + " " + std::to_string(value);
        bool ok = true;
        if (step == "run") {
            while (ok && b.x < value)
                ok = tick(2, false);
        } else if (step == "jump") {
            ok = tick(2, false);  // the jump button up, so the next press counts
            while (ok && (b.x < value || b.inAir))
                ok = tick(2, false);
            while (ok && !b.inAir)
                ok = tick(2, true);
            while (ok && b.inAir)
                ok = tick(2, true);
        } else if (step == "cut") {
            auto target = std::find_if(robots.begin(), robots.end(),
                                       [&](const Robot& r) { return r.standing && r.x / 32 == value; });
            ASSERT_NE(target, robots.end()) << where << ": no standing robot in that column";
            int stop = target->x - 44;
            ASSERT_LT(b.x + 30, target->x) << where << ": already past the place to stand";
            while (ok && (b.x < stop || b.inAir))
                ok = tick(b.x < stop ? 2 : 0, false);
            for (int t = 0; ok && t < 5; ++t)
                ok = tick(0, false);  // standing still: knock-back and bullets aside, nothing moves
            ASSERT_TRUE(ok);
            EXPECT_LT(b.x + 30, target->x) << where << ": the body touches it";
            EXPECT_TRUE(overlaps(b.x + 30, b.y + 6, 25, 25, target->x, target->y, 32, 32))
                << where << ": the sword does not reach it from x " << b.x;
            target->standing = false;
        } else if (step == "end") {
            int still = 0, last = b.x;
            while (ok && still < 10) {
                ok = tick(2, false);
                still = b.x == last ? still + 1 : 0;
                last = b.x;
            }
            EXPECT_GE(b.x + 30, endWallColumn(lv) * 32 - 1) << "stopped short of the end wall at x " << b.x;
        } else {
            ADD_FAILURE() << "unknown route step " << where;
        }
        ASSERT_TRUE(ok) << where;
    }
    EXPECT_EQ(route.back().first, "end");
}

// While the second character is in play the scene darkens and only the
// accent pictures give light: wherever the view is, something must glow.
TEST(AssetLevel, theDarkenedLevelAlwaysHasLightInView)
{
    Level lv = shippedLevel();
    ASSERT_EQ(lv.rows.size(), 15u);
    auto defined = readTileset(lv.tileset);
    std::map<int, int> glowing;  // tile number to lit accent pixels
    for (const auto& [number, paths] : defined) {
        Picture p = readBmp(gamePath(paths.second));
        int lit = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                lit += !p.isKey(x, y);
        glowing[number] = lit;
    }
    std::vector<int> perColumn(static_cast<size_t>(lv.width));
    for (int c = 0; c < lv.width; ++c)
        for (int r = 0; r < lv.height; ++r)
            perColumn[static_cast<size_t>(c)] += glowing[lv.rows[r][c].tile];
    for (int first = 0; first + 20 <= lv.width; first += 4) {
        int lit = 0;
        for (int c = first; c < first + 20; ++c)
            lit += perColumn[static_cast<size_t>(c)];
        EXPECT_GE(lit, 300) << "the view from column " << first << " is dark";
    }
}

}  // namespace

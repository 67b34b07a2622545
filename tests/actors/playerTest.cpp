// The first player's two looks: which sprite files each one loads, and the
// knock-back pose that follows the push.
#include <sys/stat.h>

#include <utility>

#include "actors/actorTestSupport.h"
#include "core/settings.h"
#include "support/testUtil.h"

namespace {

using PlayerTest = ActorTest;

struct LookFile {
    const char* folder;
    const char* first;  // the first look's file
    const char* second; // the second look's file
    SpriteAnim* Player::*anim;
};

const LookFile lookFiles[] = {
    {"walk", "p1leftinfo.kvs", "p2leftinfo.kvs", &Player::animLeft},
    {"walk", "p1rightinfo.kvs", "p2rightinfo.kvs", &Player::animRight},
    {"jump", "p1upleftinfo.kvs", "p2upleftinfo.kvs", &Player::animUpLeft},
    {"jump", "p1uprightinfo.kvs", "p2uprightinfo.kvs", &Player::animUpRight},
    {"jump", "p1downleftinfo.kvs", "p2downleftinfo.kvs", &Player::animDownLeft},
    {"jump", "p1downrightinfo.kvs", "p2downrightinfo.kvs", &Player::animDownRight},
    {"walk", "p1leftinfod.kvs", "p2leftinfod.kvs", &Player::animLeftD},
    {"walk", "p1rightinfod.kvs", "p2rightinfod.kvs", &Player::animRightD},
    {"explode", "p1death.kvs", "p2death.kvs", &Player::animDeath},
    {"sword", "esleftinfo.kvs", "fsleftinfo.kvs", &Player::swordLeft},
    {"sword", "esrightinfo.kvs", "fsrightinfo.kvs", &Player::swordRight},
};

// Every info file of both looks names one picture with a display time of its
// own (1, 2, ... for the first look, 101, 102, ... for the second, 500 for
// the second character), so the time an animation carries tells which file
// it was loaded from.
void writeBothLooks()
{
    for (const char* folder : {"gfx", "gfx/player", "gfx/player/walk", "gfx/player/jump", "gfx/player/explode",
                               "gfx/player/sword", "gfx/player/alt"}) {
        mkdir(folder, 0755);
        writeFile(std::string(folder) + "/frame.bmp", "");
    }
    int n = 1;
    for (const LookFile& f : lookFiles) {
        const std::string folder = std::string("gfx/player/") + f.folder + "/";
        writeFile(folder + f.first, "FILES: 1\nframe.bmp " + std::to_string(n) + "\n");
        writeFile(folder + f.second, "FILES: 1\nframe.bmp " + std::to_string(100 + n) + "\n");
        n++;
    }
    writeFile("gfx/player/alt/alt.kvs", "FILES: 1\nframe.bmp 500\n");
}

int loadedTime(const SpriteAnim* anim)
{
    return anim != nullptr && anim->framesReady > 0 ? anim->frames[0].durationMs : -1;
}

TEST_F(PlayerTest, EachLookLoadsItsOwnFilesAndTheKnockBackPoseFollowsThePush)
{
    for (const bool swap : {false, true}) {
        ScopedTempDir dir;
        writeBothLooks();
        releaseActorSprites();
        settings.swapP1 = swap;
        loadPlayers();
        int n = 1;
        for (const LookFile& f : lookFiles) {
            EXPECT_EQ(loadedTime(player.*f.anim), (swap ? 100 : 0) + n) << (swap ? f.second : f.first);
            n++;
        }
        EXPECT_EQ(loadedTime(altAnim), 500);

        // Pushed left (facing right): the pose of the left push, and the other way round.
        player.hurt = true;
        for (const auto& [facingRight, pose] : {std::pair{true, player.animLeftD}, std::pair{false, player.animRightD}}) {
            player.facingRight = facingRight;
            selectPlayerAnimation();
            EXPECT_EQ(player.cursor->getAnim(), pose) << "facing right " << facingRight;
        }
    }
    settings.swapP1 = false;
}

} // namespace

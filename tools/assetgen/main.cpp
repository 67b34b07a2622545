// kvassetgen: writes every picture, sprite list, level file and sound the
// game opens into one folder (gfx/ and data/). The output depends only on the
// generator itself and the DejaVu fonts: no clock, no random seed from the
// machine, so two runs give the same bytes.
//
// usage: kvassetgen OUTPUT_FOLDER [ICON_FOLDER]
#include "assetgen.h"
#include "canvas.h"
#include "icon.h"
#include "text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: kvassetgen OUTPUT_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    outputRoot = argv[1];
    auto start = std::chrono::steady_clock::now();
    // The generator owns gfx/ and data/ entirely: files an older version
    // wrote (frames since dropped, say) go, so the folder holds exactly this
    // set. The game's own kv.cfg and screenshot.png beside them stay.
    for (const char* folder : {"gfx", "data"})
        std::filesystem::remove_all(outputRoot + "/" + folder);

    writeFontPicture();
    writeSharedPictures();
    writePlayerSprites();
    writeEnemySprites();
    writeBulletPictures();
    writeLevel();
    writeSounds();
    if (argc == 3)
        writeIcons(argv[2]);

    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long total = 0;
    for (const WrittenFile& f : writtenFiles)
        total += f.size;
    std::printf("kvassetgen: %zu files, %ld bytes in %s (%.2f s)\n", writtenFiles.size(), total, outputRoot.c_str(),
                seconds);
    return 0;
}

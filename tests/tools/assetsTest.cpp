// Checks the generated game folder (KV_GAME_DIR) against what the game's
// loaders accept and what its drawing does with the pictures: BMP layout,
// sprite lists and frame counts, where the sprites sit on their hit boxes,
// font cells, sound formats and picture sizes. The level has its own tests
// in levelTest.cpp.
#include "gameData.h"

#include <cmath>
#include <set>

using namespace gamedata;

namespace {

bool isPowerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

// Bounding box and count of the drawn (not key-green) pixels of a picture.
struct Drawn {
    int count = 0, left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    double sumX = 0, sumY = 0;
};

Drawn drawnPixels(const Picture& p)
{
    Drawn d;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (!p.isKey(x, y)) {
                ++d.count;
                d.left = std::min(d.left, x);
                d.right = std::max(d.right, x);
                d.top = std::min(d.top, y);
                d.bottom = std::max(d.bottom, y);
                d.sumX += x + 0.5;
                d.sumY += y + 0.5;
            }
    return d;
}

Picture frame(const std::string& folder, const std::string& info, int index)
{
    Animation a = readAnimation(folder, info);
    if (index >= static_cast<int>(a.frames.size()))
        return Picture{0, 0, {}, "no frame " + std::to_string(index)};
    return readBmp(gamePath(folder + "/" + a.frames[static_cast<size_t>(index)].first));
}

// ---------------------------------------------------------------------------

TEST(AssetPictures, everyBmpHasTheLayoutTheReaderAccepts)
{
    std::vector<std::string> bmps = filesUnder("gfx", ".bmp");
    EXPECT_GT(bmps.size(), 100u);
    for (const std::string& path : bmps) {
        Picture p = readBmp(path);
        EXPECT_EQ(p.error, "") << path;
    }
}

TEST(AssetPictures, spritesShowSomethingAroundAKeyColourBackground)
{
    for (const char* folder : {"gfx/player", "gfx/enemy", "gfx/bullets"})
        for (const std::string& path : filesUnder(folder, ".bmp")) {
            Picture p = readBmp(path);
            ASSERT_EQ(p.error, "") << path;
            int key = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x)
                    key += p.isKey(x, y);
            EXPECT_GT(key, 0) << path << " has no transparent pixel";
            EXPECT_LT(key, p.width * p.height) << path << " is entirely transparent";
        }
}

// The texture upload rescales a picture whose sides are not powers of two,
// and the game then draws it back at its own size: pixel art comes out
// blurred. Only the story map must be 640 by 480 to fill the screen.
TEST(AssetPictures, picturesReachTheScreenWithoutRescaling)
{
    for (const std::string& path : filesUnder("gfx", ".bmp")) {
        Picture p = readBmp(path);
        EXPECT_TRUE(isPowerOfTwo(p.width) && isPowerOfTwo(p.height)) << path << " is " << p.width << "x" << p.height;
    }
    for (const char* name : {"gfx/bg.jpg", "gfx/gameover.jpg"}) {
        Jpeg j = decodeJpeg(gamePath(name));
        EXPECT_TRUE(isPowerOfTwo(j.width) && isPowerOfTwo(j.height)) << name << " is " << j.width << "x" << j.height;
    }
}

// One palette for every sprite and tile: a blend or a stray tint shows up
// as a flood of extra colours.
TEST(AssetPictures, spritesAndTilesShareOneSmallPalette)
{
    std::set<uint32_t> colours;
    for (const char* folder : {"gfx/player", "gfx/enemy", "gfx/bullets", "gfx/tiles"})
        for (const std::string& path : filesUnder(folder, ".bmp")) {
            Picture p = readBmp(path);
            for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
                colours.insert(static_cast<uint32_t>(p.rgb[i]) << 16 | p.rgb[i + 1] << 8 | p.rgb[i + 2]);
        }
    colours.erase(0x00ff00);
    EXPECT_GE(colours.size(), 16u);
    EXPECT_LE(colours.size(), 48u);
}

TEST(AssetPictures, sharedPicturesHaveUsableSizes)
{
    Picture emblem = readBmp(gamePath("gfx/yrere.bmp"));
    EXPECT_EQ(emblem.error, "");
    EXPECT_TRUE(emblem.width > 0 && emblem.width <= 128);
    Picture bonus = readBmp(gamePath("gfx/timebonus.bmp"));
    EXPECT_EQ(bonus.error, "");
    Picture pixel = readBmp(gamePath("gfx/pixel.bmp"));
    ASSERT_EQ(pixel.error, "");
    // The particle dot is tinted by its drawing colour, so it must be white.
    for (int y = 0; y < pixel.height; ++y)
        for (int x = 0; x < pixel.width; ++x)
            EXPECT_EQ(pixel.rgb[(y * pixel.width + x) * 3 + 1], 255);
}

// ---------------------------------------------------------------------------
// Sprite info files, read the way the animation loader reads them.

// Every sprite list the game loads, with the fewest frames the game's use
// of it calls for: walking cycles of at least four, the death started at
// frame 52, the robot's wreck frozen at frame 19.
const std::vector<std::tuple<std::string, std::string, int>>& spriteLists()
{
    static const std::vector<std::tuple<std::string, std::string, int>> lists = [] {
        std::vector<std::tuple<std::string, std::string, int>> l;
        for (std::string p : {"p1", "p2"}) {
            for (const char* s : {"leftinfo", "rightinfo"})
                l.emplace_back("gfx/player/walk", p + s + ".kvs", 4);
            for (const char* s : {"leftinfod", "rightinfod"})
                l.emplace_back("gfx/player/walk", p + s + ".kvs", 1);
            for (const char* s : {"upleftinfo", "uprightinfo", "downleftinfo", "downrightinfo"})
                l.emplace_back("gfx/player/jump", p + s + ".kvs", 1);
            l.emplace_back("gfx/player/explode", p + "death.kvs", 53);
        }
        for (const char* s : {"esleftinfo.kvs", "esrightinfo.kvs", "fsleftinfo.kvs", "fsrightinfo.kvs"})
            l.emplace_back("gfx/player/sword", s, 2);
        l.emplace_back("gfx/player/alt", "alt.kvs", 1);
        l.emplace_back("gfx/enemy", "nenemy.kvs", 2);
        l.emplace_back("gfx/enemy", "denemy.kvs", 1);
        l.emplace_back("gfx/enemy", "dieenemy.kvs", 20);
        return l;
    }();
    return lists;
}

TEST(AssetSprites, everyInfoFileListsAsManyExistingFramesAsItAnnouncesAndEnough)
{
    for (const auto& [folder, info, fewest] : spriteLists()) {
        Animation a = readAnimation(folder, info);
        ASSERT_GT(a.announced, 0) << folder << "/" << info;
        EXPECT_EQ(static_cast<int>(a.frames.size()), a.announced) << info;
        EXPECT_GE(a.announced, fewest) << info;
        std::set<std::string> distinct;
        int width = -1, height = -1;
        for (const auto& [name, duration] : a.frames) {
            EXPECT_GT(duration, 0) << info << " " << name;
            Picture p = readBmp(gamePath(folder + "/" + name));
            ASSERT_EQ(p.error, "") << folder << "/" << name;
            if (width < 0) {
                width = p.width;
                height = p.height;
            }
            EXPECT_EQ(p.width, width) << name << " differs in size from the first frame of " << info;
            EXPECT_EQ(p.height, height) << name;
            distinct.insert(std::string(p.rgb.begin(), p.rgb.end()));
        }
        if (a.frames.size() > 1) {
            EXPECT_GT(distinct.size(), 1u) << info << " never changes picture";
        }
    }
}

// The game draws a sprite with its top-left corner on the top-left of the
// hit box: the first player's body must fill its 30 by 36 box and stand on
// the ground (which begins 37 rows below the box's top), the dying body
// must not spill over the ground, the small second character must be
// centred on its 4-pixel box 30 pixels in, and a robot fills its frame.
TEST(AssetSprites, spritesSitOnTheirHitBoxes)
{
    for (std::string p : {"p1", "p2"})
        for (const char* info : {"rightinfo.kvs", "leftinfo.kvs"}) {
            Animation walk = readAnimation("gfx/player/walk", p + info);
            for (size_t i = 0; i < walk.frames.size(); ++i) {
                Drawn d = drawnPixels(frame("gfx/player/walk", p + info, static_cast<int>(i)));
                EXPECT_EQ(d.bottom, 36) << p << info << " frame " << i << " does not stand on the ground";
                EXPECT_LE(d.top, 4) << p << info << " frame " << i;
                double centre = d.sumX / d.count;
                EXPECT_NEAR(centre, 15.5, 3.0) << p << info << " frame " << i << " is off the hit box";
            }
            Picture death = frame("gfx/player/explode", p + "death.kvs", 52);
            Animation dying = readAnimation("gfx/player/explode", p + "death.kvs");
            for (size_t i = 0; i < dying.frames.size(); ++i)
                EXPECT_LE(drawnPixels(frame("gfx/player/explode", p + "death.kvs", static_cast<int>(i))).bottom, 36)
                    << p << " death frame " << i << " reaches below the ground line";
            EXPECT_GT(drawnPixels(death).count, 200) << "frame 52 should still show the body";
        }
    // Only the first frame of the second character ever shows.
    Drawn alt = drawnPixels(frame("gfx/player/alt", "alt.kvs", 0));
    EXPECT_NEAR(alt.sumX / alt.count, 32.0, 1.5);
    EXPECT_NEAR(alt.sumY / alt.count, 32.0, 2.5);
    EXPECT_LT(alt.right - alt.left, 32) << "the second character should be small";
    Drawn robot = drawnPixels(frame("gfx/enemy", "nenemy.kvs", 0));
    EXPECT_EQ(robot.bottom, 31) << "a robot stands on the cell below its own";
    EXPECT_GT(robot.count, 32 * 32 / 3);
}

// The sword box is 25 by 25, 30 pixels right of the body's corner and 6
// down; the sword picture is drawn from the same 30 pixels to the right. A
// cut should sweep through that box.
TEST(AssetSprites, theSwordSweepsThroughItsBox)
{
    for (const char* info : {"esrightinfo.kvs", "fsrightinfo.kvs"}) {
        Animation a = readAnimation("gfx/player/sword", info);
        std::set<int> rowsCovered;
        for (size_t i = 0; i < a.frames.size(); ++i) {
            Picture p = frame("gfx/player/sword", info, static_cast<int>(i));
            for (int y = 6; y < 31; ++y)
                for (int x = 0; x < 25; ++x)
                    if (!p.isKey(x, y))
                        rowsCovered.insert(y);
        }
        EXPECT_GE(rowsCovered.size(), 22u) << info;
    }
}

// Bullets are drawn turned about their centre, which also turns a BMP
// upside down, and an aimed shot's angle keeps within a half turn of
// pointing right whichever way it flies: a bullet must look the same
// mirrored either way.
TEST(AssetSprites, bulletsLookTheSameMirroredEitherWay)
{
    for (const char* kind : {"orb", "card", "spike", "oval"})
        for (const char* suffix : {"", "overlay"}) {
            std::string path = gamePath(std::string("gfx/bullets/") + kind + suffix + ".bmp");
            Picture p = readBmp(path);
            ASSERT_EQ(p.error, "") << path;
            int mismatched = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) {
                    size_t here = (static_cast<size_t>(y) * p.width + x) * 3;
                    size_t flipped = (static_cast<size_t>(p.height - 1 - y) * p.width + x) * 3;
                    size_t mirrored = (static_cast<size_t>(y) * p.width + (p.width - 1 - x)) * 3;
                    mismatched += p.rgb[here] != p.rgb[flipped] || p.rgb[here + 1] != p.rgb[flipped + 1];
                    mismatched += p.rgb[here] != p.rgb[mirrored] || p.rgb[here + 1] != p.rgb[mirrored + 1];
                }
            // A pixel or two of rounding at the centre line is invisible.
            EXPECT_LE(mismatched, p.width / 2) << path;
        }
}

// ---------------------------------------------------------------------------
// The font: glyph i in column i % 16, row i / 16 from the top.

struct Cell {
    int inked = 0;
    int inkTop = 99, inkBottom = -1;
    bool borderClear = true;
    bool grey = true;
    std::string pixels;
};

Cell fontCell(const Picture& font, int glyph)
{
    Cell c;
    int cx = (glyph % 16) * 16, cy = (glyph / 16) * 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            size_t i = (static_cast<size_t>(cy + y) * 256 + cx + x) * 3;
            c.pixels.append(reinterpret_cast<const char*>(&font.rgb[i]), 3);
            if (font.isBlack(cx + x, cy + y))
                continue;
            ++c.inked;
            c.inkTop = std::min(c.inkTop, y);
            c.inkBottom = std::max(c.inkBottom, y);
            if (x == 0 || y == 0 || x == 15 || y == 15)
                c.borderClear = false;
            if (font.rgb[i] != font.rgb[i + 1] || font.rgb[i] != font.rgb[i + 2])
                c.grey = false;
        }
    return c;
}

TEST(AssetFont, bothSetsDrawEveryPrintableCharacterInItsOwnCell)
{
    Picture font = readBmp(gamePath("gfx/fonts/glFont.bmp"));
    ASSERT_EQ(font.error, "");
    ASSERT_EQ(font.width, 256);
    ASSERT_EQ(font.height, 256);
    ASSERT_FALSE(font.rgb.empty()) << "the font must be a 24-bit picture";
    for (int set = 0; set < 2; ++set) {
        auto glyph = [set](char c) { return static_cast<unsigned char>(c) - 32 + 128 * set; };
        EXPECT_EQ(fontCell(font, glyph(' ')).inked, 0) << "space must be blank in set " << set;
        std::set<std::string> shapes;
        for (int code = 33; code <= 126; ++code) {
            Cell c = fontCell(font, code - 32 + 128 * set);
            EXPECT_GT(c.inked, 0) << "code " << code << " set " << set;
            // Linear magnification would bleed ink on a cell's edge into
            // the neighbouring glyph.
            EXPECT_TRUE(c.borderClear) << "code " << code << " set " << set;
            EXPECT_TRUE(c.grey) << "code " << code << " set " << set;
            shapes.insert(c.pixels);
        }
        EXPECT_EQ(shapes.size(), 94u) << "two characters share a shape in set " << set;
        // Upright, not flipped: the underscore sits low, the caret high.
        Cell underscore = fontCell(font, glyph('_')), caret = fontCell(font, glyph('^'));
        EXPECT_GE(underscore.inkTop, 10) << "set " << set;
        EXPECT_LE(caret.inkBottom, 8) << "set " << set;
        Cell a = fontCell(font, glyph('A'));
        EXPECT_GE(a.inked, 20) << "set " << set;
        EXPECT_GE(a.inkBottom - a.inkTop, 7) << "'A' should be a full capital in set " << set;
    }
    // The two sets are different faces.
    EXPECT_NE(fontCell(font, 'A' - 32).pixels, fontCell(font, 'A' - 32 + 128).pixels);
}

// ---------------------------------------------------------------------------
// Sounds.

TEST(AssetSounds, samplesAreShortMonoSixteenBitWavesWithoutClicks)
{
    for (const char* name : {"data/meow.wav", "data/barkbark.wav"}) {
        std::string b = readFile(gamePath(name));
        ASSERT_GE(b.size(), 44u) << name;
        EXPECT_EQ(b.substr(0, 4), "RIFF");
        EXPECT_EQ(le32(b, 4), b.size() - 8);
        EXPECT_EQ(b.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(le32(b, 16), 16u);
        EXPECT_EQ(le16(b, 20), 1u) << "PCM";
        EXPECT_EQ(le16(b, 22), 1u) << "mono";
        uint32_t rate = le32(b, 24);
        EXPECT_EQ(le32(b, 28), rate * 2);
        EXPECT_EQ(le16(b, 32), 2u);
        EXPECT_EQ(le16(b, 34), 16u);
        ASSERT_EQ(b.substr(36, 4), "data");
        uint32_t bytes = le32(b, 40);
        ASSERT_EQ(bytes, b.size() - 44);
        double seconds = bytes / 2.0 / rate;
        EXPECT_GT(seconds, 0.1) << name;
        EXPECT_LT(seconds, 1.5) << name;
        int peak = 0;
        auto sample = [&b](size_t i) { return static_cast<int16_t>(le16(b, 44 + 2 * i)); };
        size_t count = bytes / 2;
        for (size_t i = 0; i < count; ++i)
            peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
        EXPECT_GT(peak, 8000) << name << " is nearly silent";
        EXPECT_LT(peak, 32767) << name << " clips";
        EXPECT_LT(std::abs(sample(0)), 1000) << name << " starts with a click";
        EXPECT_LT(std::abs(sample(count - 1)), 1000) << name << " ends with a click";
    }
}

TEST(AssetSounds, musicIsOneVorbisStreamOfAtLeastAMinute)
{
    std::string b = readFile(gamePath("data/delay2.ogg"));
    ASSERT_GT(b.size(), 1000u);
    EXPECT_LT(b.size(), 700u * 1024) << "the music should stay small";
    size_t at = 0;
    uint32_t serial = 0, sequence = 0;
    int64_t lastGranule = -1;
    int lastFlags = 0;
    std::string firstPacket;
    while (at < b.size()) {
        ASSERT_LE(at + 27, b.size());
        ASSERT_EQ(b.substr(at, 4), "OggS") << "page at " << at;
        EXPECT_EQ(b[at + 4], 0);
        int flags = static_cast<uint8_t>(b[at + 5]);
        int64_t granule = static_cast<int64_t>(le32(b, at + 6)) | static_cast<int64_t>(le32(b, at + 10)) << 32;
        if (sequence == 0) {
            serial = le32(b, at + 14);
            EXPECT_TRUE(flags & 2) << "first page must begin the stream";
        }
        EXPECT_EQ(le32(b, at + 14), serial);
        EXPECT_EQ(le32(b, at + 18), sequence);
        int segments = static_cast<uint8_t>(b[at + 26]);
        size_t body = 0;
        for (int i = 0; i < segments; ++i)
            body += static_cast<uint8_t>(b[at + 27 + i]);
        size_t start = at + 27 + segments;
        if (sequence == 0)
            firstPacket = b.substr(start, body);
        at = start + body;
        ++sequence;
        lastFlags = flags;
        if (granule >= 0)
            lastGranule = granule;
    }
    EXPECT_EQ(at, b.size());
    EXPECT_TRUE(lastFlags & 4) << "last page must end the stream";
    ASSERT_GE(firstPacket.size(), 30u);
    EXPECT_EQ(firstPacket.substr(0, 7), std::string("\x01vorbis"));
    int channels = static_cast<uint8_t>(firstPacket[11]);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(le32(firstPacket, 12), 44100u);
    double seconds = lastGranule / 44100.0;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
}

// ---------------------------------------------------------------------------
// JPEG pictures, decoded with the same library the game uses.

TEST(AssetPictures, jpegPicturesFitTheirPlacesOnScreen)
{
    Jpeg story = decodeJpeg(gamePath("gfx/storymap.jpg"));
    EXPECT_EQ(story.width, 640);
    EXPECT_EQ(story.height, 480);
    EXPECT_EQ(story.components, 3);

    // Game over: top-left at (320 - width / 2, 200), inside the screen;
    // rows must be whole words for the texture upload.
    Jpeg over = decodeJpeg(gamePath("gfx/gameover.jpg"));
    EXPECT_EQ(over.components, 3);
    EXPECT_EQ(over.width * 3 % 4, 0);
    EXPECT_GE(320 - over.width / 2, 0);
    EXPECT_LE(200 + over.height, 480);

    // Background: stretched to the 640-pixel width, reaching from y 120 to
    // the bottom of the screen with its own height.
    Jpeg bg = decodeJpeg(gamePath("gfx/bg.jpg"));
    ASSERT_GE(bg.width, 256);
    EXPECT_EQ(bg.components, 3);
    EXPECT_GE(120 + bg.height, 480);
    // It scrolls with the texture wrapping round: the left and right edges
    // must meet without a visible seam.
    double edge = 0, inner = 0;
    const int w = bg.width;
    for (int y = 0; y < bg.height; ++y)
        for (int c = 0; c < 3; ++c) {
            auto at = [&bg, w, y, c](int x) { return static_cast<int>(bg.rgb[(static_cast<size_t>(y) * w + x) * 3 + c]); };
            edge += std::abs(at(0) - at(w - 1));
            inner += std::abs(at(w / 2 - 1) - at(w / 2));
        }
    edge /= bg.height * 3.0;
    inner /= bg.height * 3.0;
    EXPECT_LT(edge, inner + 6.0) << "seam between the strip's ends";
    // Its top meets the black of the cleared screen above the strip.
    double top = 0;
    for (int x = 0; x < w; ++x)
        for (int c = 0; c < 3; ++c)
            top += bg.rgb[static_cast<size_t>(x) * 3 + c];
    EXPECT_LT(top / (w * 3.0), 24.0) << "the strip's top edge shows against the black above it";
}

// Every file the game opens at start-up, by the names it uses.
TEST(AssetFolder, holdsEveryFileTheGameOpens)
{
    std::vector<std::string> files{"gfx/fonts/glFont.bmp", "gfx/bg.jpg",          "gfx/storymap.jpg",
                                   "gfx/gameover.jpg",     "gfx/yrere.bmp",       "gfx/timebonus.bmp",
                                   "gfx/pixel.bmp",        "data/maps/maplvl1.map", "data/tilesets/sands.txt",
                                   "data/delay2.ogg",      "data/meow.wav",       "data/barkbark.wav"};
    for (const char* kind : {"orb", "card", "spike", "oval"})
        for (const char* suffix : {"", "overlay"})
            files.push_back(std::string("gfx/bullets/") + kind + suffix + ".bmp");
    for (const auto& [folder, info, fewest] : spriteLists())
        files.push_back(folder + "/" + info);
    for (const std::string& f : files)
        EXPECT_TRUE(fileExists(gamePath(f))) << f;
}

TEST(AssetFolder, staysSmall)
{
    uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(gameDir()))
        if (entry.is_regular_file())
            total += entry.file_size();
    EXPECT_GT(total, 100u * 1024);
    EXPECT_LT(total, 4u * 1024 * 1024);
}

}  // namespace

// The BMP reader: result codes, pixel layout, colour keys, hostile files and
// agreement with independent encoders and decoders.
#include <gtest/gtest.h>

#include <dirent.h>
#include <random>
#include <string>
#include <vector>

#include "graphics/image.h"
#include "graphics/imageTestHelpers.h"
#include "support/testUtil.h"

namespace {

std::string pixelAt(const BmpImage& image, int x, int y)
{
    const unsigned char* p = image.pixels + (static_cast<size_t>(y) * image.width + x) * 3;
    return std::string(reinterpret_cast<const char*>(p), 3);
}

std::string rgb(int r, int g, int b)
{
    return std::string{static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
}

// A small 24-bit file: 4 x 2, bottom row red, top row blue.
std::string redBlueBmp()
{
    std::string data;
    for (int i = 0; i < 4; i++)
        data += std::string("\x00\x00\xff", 3); // blue, green, red: red
    for (int i = 0; i < 4; i++)
        data += std::string("\xff\x00\x00", 3); // blue
    return makeBmp(4, 2, 24, "", data);
}

// The repository's copy of the BMP Suite corpus: KV_BMPSUITE, or the copy
// next to this file when the variable did not reach the test.
std::string bmpSuitePath()
{
    if (const char* env = std::getenv("KV_BMPSUITE"))
        return env;
    std::string source = __FILE__;
    const size_t at = source.rfind("/graphics/");
    return at == std::string::npos ? "" : source.substr(0, at) + "/data/bmpsuite";
}

} // namespace

TEST(BmpCodes, EachFailureHasItsCodeAndText)
{
    ScopedTempDir dir;
    BmpImage image;
    EXPECT_EQ(loadBmp("missing.bmp", image), 'o');

    std::string notBm = redBlueBmp();
    notBm[1] = 'X';
    writeFile("bx.bmp", notBm);
    EXPECT_EQ(loadBmp("bx.bmp", image), 'b');
    writeFile("empty.bmp", "");
    EXPECT_EQ(loadBmp("empty.bmp", image), 'b');

    writeFile("rgb16.bmp", makeBmp(2, 2, 16, "", std::string(8, '\x11')));
    EXPECT_EQ(loadBmp("rgb16.bmp", image), 'u');
    writeFile("rgb32.bmp", makeBmp(2, 2, 32, "", std::string(16, '\x11')));
    EXPECT_EQ(loadBmp("rgb32.bmp", image), 'u');
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.width, 0);

    // A folder opens but cannot be read.
    EXPECT_EQ(loadBmp(".", image), 'f');

    EXPECT_STREQ(bmpErrorText(0), "No errors detected");
    EXPECT_STREQ(bmpErrorText('b'), "This file is not a bitmap, specifically it doesn't start 'BM'");
    EXPECT_STREQ(bmpErrorText('f'), "Some kind of error while physically reading the file");
    EXPECT_STREQ(bmpErrorText('o'), "Failed to open the file, suspect it doesn't exist");
    EXPECT_STREQ(bmpErrorText('u'), "Unknown bmp format, ie not 24bit, 256,16 or 2 colour");
    EXPECT_STREQ(bmpErrorText('x'), "Not a valid error code");
}

TEST(BmpDecode, RowZeroIsTheBottomOfThePicture)
{
    ScopedTempDir dir;
    writeFile("rb.bmp", redBlueBmp());
    BmpImage image;
    ASSERT_EQ(loadBmp("rb.bmp", image), 0);
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 2);
    for (int x = 0; x < 4; x++) {
        EXPECT_EQ(pixelAt(image, x, 0), rgb(255, 0, 0));
        EXPECT_EQ(pixelAt(image, x, 1), rgb(0, 0, 255));
    }

    // The same picture stored top-down (negative height) decodes the same.
    std::string data;
    for (int i = 0; i < 4; i++)
        data += std::string("\xff\x00\x00", 3);
    for (int i = 0; i < 4; i++)
        data += std::string("\x00\x00\xff", 3);
    writeFile("td.bmp", makeBmp(4, -2, 24, "", data));
    BmpImage topDown;
    ASSERT_EQ(loadBmp("td.bmp", topDown), 0);
    EXPECT_EQ(topDown.height, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(topDown.pixels), 24),
              std::string(reinterpret_cast<char*>(image.pixels), 24));
}

TEST(BmpDecode, PaletteDepthsAndBitOrder)
{
    ScopedTempDir dir;
    // 1 bit, 256 x 256: first byte 0x80, palette 0 black, 1 white.
    std::string pal1 = std::string("\0\0\0\0", 4) + std::string("\xff\xff\xff\0", 4);
    std::string data1(32 * 256, '\0');
    data1[0] = '\x80';
    writeFile("one.bmp", makeBmp(256, 256, 1, pal1, data1));
    BmpImage one;
    ASSERT_EQ(loadBmp("one.bmp", one), 0);
    EXPECT_EQ(pixelAt(one, 0, 0), rgb(255, 255, 255));
    for (int x = 1; x < 8; x++)
        EXPECT_EQ(pixelAt(one, x, 0), rgb(0, 0, 0)) << x;

    // 4 bit: byte 0x3A gives entries 3 then 10.
    std::string data4(128 * 256, '\0');
    data4[0] = '\x3a';
    writeFile("four.bmp", makeBmp(256, 256, 4, rampPalette(16), data4));
    BmpImage four;
    ASSERT_EQ(loadBmp("four.bmp", four), 0);
    EXPECT_EQ(pixelAt(four, 0, 0), rgb(3, 252, 21));
    EXPECT_EQ(pixelAt(four, 1, 0), rgb(10, 245, 70));
    EXPECT_EQ(pixelAt(four, 2, 0), rgb(0, 255, 0));

    // 8 bit, 4 x 1: one index per byte, red from byte 2 of the entry.
    writeFile("eight.bmp", makeBmp(4, 1, 8, rampPalette(256), std::string("\x01\x02\xfe\xff", 4)));
    BmpImage eight;
    ASSERT_EQ(loadBmp("eight.bmp", eight), 0);
    EXPECT_EQ(pixelAt(eight, 0, 0), rgb(1, 254, 7));
    EXPECT_EQ(pixelAt(eight, 3, 0), rgb(255, 0, (255 * 7) & 255));
}

TEST(BmpDecode, RowPaddingAndSmallLowDepthPicturesDecodeProperly)
{
    ScopedTempDir dir;
    // 3 x 2 at 24 bits: 9 bytes of pixels and 3 of padding per row.
    std::string data;
    data += std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9) + std::string("\xee\xee\xee", 3);
    data += std::string("\x11\x12\x13\x14\x15\x16\x17\x18\x19", 9) + std::string("\xee\xee\xee", 3);
    writeFile("pad.bmp", makeBmp(3, 2, 24, "", data));
    BmpImage image;
    ASSERT_EQ(loadBmp("pad.bmp", image), 0);
    EXPECT_EQ(pixelAt(image, 2, 0), rgb(9, 8, 7));
    EXPECT_EQ(pixelAt(image, 0, 1), rgb(0x13, 0x12, 0x11));

    // A 10 x 3 one-bit picture: rows of 2 bytes padded to 4.
    std::string pal1 = std::string("\0\0\0\0", 4) + std::string("\xff\xff\xff\0", 4);
    std::string bits = std::string("\x00\x40\xff\xff", 4) + std::string("\xff\xc0\x00\x00", 4) +
                       std::string("\x00\x00\x00\x00", 4);
    writeFile("small1.bmp", makeBmp(10, 3, 1, pal1, bits));
    BmpImage small;
    ASSERT_EQ(loadBmp("small1.bmp", small), 0);
    EXPECT_EQ(pixelAt(small, 9, 0), rgb(255, 255, 255));
    EXPECT_EQ(pixelAt(small, 8, 0), rgb(0, 0, 0));
    for (int x = 0; x < 10; x++)
        EXPECT_EQ(pixelAt(small, x, 1), rgb(255, 255, 255)) << x;
}

TEST(BmpDecode, TruncatedFileGivesZeroAndBlackForMissingPixels)
{
    ScopedTempDir dir;
    std::string data(4 * 4 * 3, '\x7f');
    const std::string full = makeBmp(4, 4, 24, "", data);
    // Cut in the middle of the second row.
    writeFile("cut.bmp", full.substr(0, 54 + 12 + 5));
    BmpImage image;
    ASSERT_EQ(loadBmp("cut.bmp", image), 0);
    EXPECT_EQ(pixelAt(image, 0, 1), rgb(0x7f, 0x7f, 0x7f));
    EXPECT_EQ(pixelAt(image, 1, 1), rgb(0, 0x7f, 0x7f)); // blue and green arrived, red did not
    EXPECT_EQ(pixelAt(image, 2, 1), rgb(0, 0, 0));
    EXPECT_EQ(pixelAt(image, 3, 3), rgb(0, 0, 0));

    // Every prefix of small files of each depth gives a code, never a crash;
    // the sanitizer build checks the memory accesses.
    const std::string files[] = {
        full,
        makeBmp(5, 3, 8, rampPalette(256), std::string(8 * 3, '\x05')),
        makeBmp(256, 2, 4, rampPalette(16), std::string(128 * 2, '\x5a')),
        makeBmp(9, -2, 1, std::string(8, '\x40'), std::string(8, '\xaa')),
    };
    for (const std::string& file : files) {
        for (size_t cut = 0; cut <= file.size(); cut++) {
            writeFile("prefix.bmp", file.substr(0, cut));
            BmpImage prefix;
            const char code = loadBmp("prefix.bmp", prefix);
            if (cut < 2)
                EXPECT_EQ(code, 'b');
            else if (cut < 54)
                EXPECT_EQ(code, 'u') << cut;
            else
                EXPECT_EQ(code, 0) << cut;
        }
    }
}

TEST(BmpDecode, HostileHeadersAreRefused)
{
    ScopedTempDir dir;
    struct Case {
        const char* what;
        size_t offset;
        int bytes;
        unsigned int value;
    };
    const Case cases[] = {
        {"OS/2 header", 14, 4, 12},
        {"header size 0", 14, 4, 0},
        {"header size 41", 14, 4, 41},
        {"RLE8", 30, 4, 1},
        {"RLE4", 30, 4, 2},
        {"bit fields", 30, 4, 3},
        {"JPEG inside", 30, 4, 4},
        {"2 bits", 28, 2, 2},
        {"280 bits (low byte 24)", 28, 2, 280},
        {"width 0", 18, 4, 0},
        {"width -1", 18, 4, 0xffffffffu},
        {"width huge", 18, 4, 0x7fffffffu},
        {"height 0", 22, 4, 0},
        {"height most negative", 22, 4, 0x80000000u},
        {"height huge", 22, 4, 0x7fffffffu},
        {"height -huge", 22, 4, 0x80000001u},
        {"more colours than the depth has", 46, 4, 257},
        {"pixels inside the palette", 10, 4, 54 + 1000},
        {"pixels inside the header", 10, 4, 0},
    };
    const std::string base = makeBmp(4, 4, 8, rampPalette(256), std::string(16, '\x01'));
    for (const Case& c : cases) {
        std::string file = base;
        if (c.bytes == 2)
            putLe16(file, c.offset, c.value);
        else
            putLe32(file, c.offset, c.value);
        writeFile("hostile.bmp", file);
        BmpImage image;
        EXPECT_EQ(loadBmp("hostile.bmp", image), 'u') << c.what;
        EXPECT_EQ(image.pixels, nullptr) << c.what;
    }

    // A bare 54-byte header at the size bound is still a picture (black, its
    // data missing); one pixel more on either side, a claim that used to cost
    // a gigabyte, and sides whose product overflows 32 bits are refused
    // before anything is allocated.
    std::string big = makeBmp(maxPictureSide, maxPictureSide, 24, "", "");
    writeFile("big.bmp", big);
    BmpImage image;
    ASSERT_EQ(loadBmp("big.bmp", image), 0);
    EXPECT_EQ(image.width, maxPictureSide);
    EXPECT_EQ(image.height, maxPictureSide);
    EXPECT_EQ(pixelAt(image, maxPictureSide - 1, maxPictureSide - 1), rgb(0, 0, 0));
    const struct {
        int width, height;
    } tooBig[] = {{maxPictureSide + 1, 1}, {1, maxPictureSide + 1}, {1, -(maxPictureSide + 1)},
                  {16384, 16384}, {65536, 65536}};
    for (const auto& size : tooBig) {
        putLe32(big, 18, static_cast<unsigned int>(size.width));
        putLe32(big, 22, static_cast<unsigned int>(size.height));
        writeFile("big.bmp", big);
        EXPECT_EQ(loadBmp("big.bmp", image), 'u') << size.width << " x " << size.height;
        EXPECT_EQ(image.pixels, nullptr);
    }

    // Pixel-data offset far past the end of the file: all black, code 0.
    std::string far = base;
    putLe32(far, 10, 0x7ffffff0u);
    writeFile("far.bmp", far);
    ASSERT_EQ(loadBmp("far.bmp", image), 0);
    EXPECT_EQ(pixelAt(image, 3, 3), rgb(0, 0, 0));
}

TEST(BmpDecode, RandomlyDamagedHeadersNeverMisbehave)
{
    // Seeded, so a failure repeats; the sanitizer build checks every access.
    ScopedTempDir dir;
    const std::string bases[] = {
        makeBmp(5, 3, 8, rampPalette(256), std::string(8 * 3, '\x05')),
        makeBmp(9, -2, 1, std::string(8, '\x40'), std::string(8, '\xaa')),
        makeBmp(3, 2, 24, "", std::string(24, '\x33')),
        makeBmp(7, 2, 4, rampPalette(16), std::string(8, '\x9c')),
    };
    std::mt19937 random(11);
    for (int round = 0; round < 2000; round++) {
        std::string file = bases[round % 4];
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; i++) {
            // Mostly the header fields, sometimes anywhere.
            const size_t at = random() % 3 ? 10 + random() % 44 : random() % file.size();
            file[at] = static_cast<char>(random() % 5 == 0 ? 0xff : random());
        }
        if (random() % 4 == 0)
            file.resize(random() % file.size());
        writeFile("damaged.bmp", file);
        BmpImage image;
        const char code = loadBmp("damaged.bmp", image);
        ASSERT_TRUE(code == 0 || code == 'u' || code == 'b') << round;
        if (code == 0) {
            ASSERT_GT(image.width, 0);
            ASSERT_GT(image.height, 0);
            ASSERT_LE(image.width, maxPictureSide);
            ASSERT_LE(image.height, maxPictureSide);
            ASSERT_NE(image.pixels, nullptr);
        } else {
            ASSERT_EQ(image.pixels, nullptr);
        }
    }
}

TEST(BmpDecode, ShortPaletteAndOutOfRangeIndexes)
{
    ScopedTempDir dir;
    // Two colours used in an 8-bit file; index 200 points past the table.
    std::string file = makeBmp(4, 1, 8, rampPalette(2), std::string("\x00\x01\xc8\x01", 4));
    putLe32(file, 46, 2);
    writeFile("short.bmp", file);
    BmpImage image;
    ASSERT_EQ(loadBmp("short.bmp", image), 0);
    EXPECT_EQ(pixelAt(image, 0, 0), rgb(0, 255, 0));
    EXPECT_EQ(pixelAt(image, 1, 0), rgb(1, 254, 7));
    EXPECT_EQ(pixelAt(image, 2, 0), rgb(0, 0, 0));
}

TEST(BmpKey, ExactKeyOnlyAndBlackForTheFontOnly)
{
    BmpImage image;
    image.width = 5;
    image.height = 1;
    const unsigned char px[] = {0, 255, 0, 0, 254, 0, 1, 255, 0, 0, 0, 0, 0, 255, 1};
    image.pixels = static_cast<unsigned char*>(std::malloc(sizeof px));
    std::copy(px, px + sizeof px, image.pixels);
    unsigned char rgba[20];

    bmpToRgba(image, bmpKeyColour("gfx/yrere.bmp"), rgba);
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[7], 255);
    EXPECT_EQ(rgba[11], 255);
    EXPECT_EQ(rgba[15], 255);
    EXPECT_EQ(rgba[19], 255);
    EXPECT_EQ(rgba[4], 0);
    EXPECT_EQ(rgba[5], 254);
    EXPECT_EQ(rgba[0], 0);
    EXPECT_EQ(rgba[1], 255);

    bmpToRgba(image, bmpKeyColour("gfx/fonts/glFont.bmp"), rgba);
    EXPECT_EQ(rgba[3], 255);
    EXPECT_EQ(rgba[15], 0);

    // Only that exact name gets the black key.
    bmpToRgba(image, bmpKeyColour("./gfx/fonts/glFont.bmp"), rgba);
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[15], 255);
}

TEST(BmpInterop, FilesFromPillowAndImageMagickDecodeToTheirPixels)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    // Odd sizes so that every depth needs row padding.
    const char* program =
        "from PIL import Image\n"
        "import random\n"
        "random.seed(7)\n"
        "w, h = 37, 11\n"
        "im = Image.new('RGB', (w, h))\n"
        "im.putdata([(random.randrange(256), random.randrange(256), random.randrange(256))"
        " for _ in range(w * h)])\n"
        "im.save('rgb24.bmp')\n"
        "im.convert('1').save('mono.bmp')\n"
        "im.convert('L').save('grey8.bmp')\n"
        "im.quantize(200).save('pal8.bmp')\n"
        "im.quantize(5).save('pal8short.bmp')\n"
        "im.quantize(16).save('pal16.png')\n";
    ASSERT_TRUE(runPython(program, ""));
    std::vector<std::string> names = {"rgb24.bmp", "mono.bmp", "grey8.bmp", "pal8.bmp", "pal8short.bmp"};
    // ImageMagick writes the 4-bit file.
    if (std::system("/usr/bin/convert pal16.png -type Palette BMP3:pal4.bmp >/dev/null 2>&1") == 0) {
        const std::string header = readFile("pal4.bmp");
        ASSERT_GT(header.size(), 29u);
        EXPECT_EQ(header[28], 4) << "expected ImageMagick to write 4 bits per pixel";
        names.push_back("pal4.bmp");
    }
    for (const std::string& name : names) {
        BmpImage image;
        ASSERT_EQ(loadBmp(name, image), 0) << name;
        const std::string reference = pillowDecodeBottomUp(name, name + ".rgb");
        ASSERT_FALSE(reference.empty()) << name;
        const std::string expectHeader = std::to_string(image.width) + " " + std::to_string(image.height) + "\n";
        ASSERT_EQ(reference.substr(0, expectHeader.size()), expectHeader) << name;
        const std::string pixels(reinterpret_cast<char*>(image.pixels),
                                 static_cast<size_t>(image.width) * image.height * 3);
        EXPECT_TRUE(reference.substr(expectHeader.size()) == pixels) << name;
    }
}

TEST(BmpInterop, BmpSuiteGivesCodesAndAcceptedGoodFilesMatchPillow)
{
    const std::string suite = bmpSuitePath();
    ASSERT_TRUE(fileExists(suite + "/g/rgb24.bmp")) << "BMP Suite corpus missing at " << suite;
    ScopedTempDir dir;
    const bool pillow = havePillow();
    int accepted = 0, compared = 0, files = 0;
    for (const char* folder : {"g", "q", "b", "x"}) {
        const std::string path = suite + "/" + folder;
        DIR* d = opendir(path.c_str());
        ASSERT_NE(d, nullptr) << path;
        std::vector<std::string> names;
        while (dirent* e = readdir(d))
            if (std::string(e->d_name).size() > 4 && std::string(e->d_name).find(".bmp") != std::string::npos)
                names.push_back(e->d_name);
        closedir(d);
        for (const std::string& name : names) {
            files++;
            BmpImage image;
            const char code = loadBmp(path + "/" + name, image);
            EXPECT_TRUE(code == 0 || code == 'u' || code == 'b') << folder << "/" << name << " " << int(code);
            if (code != 0)
                continue;
            accepted++;
            if (std::string(folder) != "g" || !pillow)
                continue;
            const std::string reference = pillowDecodeBottomUp(path + "/" + name, "ref.rgb");
            ASSERT_FALSE(reference.empty()) << name;
            const std::string header = std::to_string(image.width) + " " + std::to_string(image.height) + "\n";
            ASSERT_EQ(reference.substr(0, header.size()), header) << name;
            const std::string pixels(reinterpret_cast<char*>(image.pixels),
                                     static_cast<size_t>(image.width) * image.height * 3);
            EXPECT_TRUE(reference.substr(header.size()) == pixels) << "g/" << name;
            compared++;
        }
    }
    EXPECT_GT(files, 80);
    EXPECT_GT(compared, 10);
    RecordProperty("accepted", accepted);
    std::printf("BMP Suite: %d files, %d accepted, %d compared with Pillow\n", files, accepted, compared);
}

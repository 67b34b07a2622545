// The PNG encoder of the screenshots: CRC, deflate, the exact byte layout,
// decoding by independent readers, and the failure messages.
#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>
#include <zlib.h>

#include "graphics/imageTestHelpers.h"
#include "graphics/screenshot.h"
#include "support/testUtil.h"

namespace {

const unsigned char* bytesOf(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

unsigned int be32(const std::string& s, size_t at)
{
    return (static_cast<unsigned int>(static_cast<unsigned char>(s[at])) << 24) |
           (static_cast<unsigned int>(static_cast<unsigned char>(s[at + 1])) << 16) |
           (static_cast<unsigned int>(static_cast<unsigned char>(s[at + 2])) << 8) |
           static_cast<unsigned int>(static_cast<unsigned char>(s[at + 3]));
}

// A 640 x 480 picture that looks like a game screen: a sky gradient, flat
// ground tiles, a few sprites.
std::vector<unsigned char> gameLikePicture()
{
    std::vector<unsigned char> rgb(640 * 480 * 3);
    for (int y = 0; y < 480; y++) {
        for (int x = 0; x < 640; x++) {
            unsigned char* p = &rgb[(static_cast<size_t>(y) * 640 + x) * 3];
            p[0] = static_cast<unsigned char>(20 + y / 8);
            p[1] = static_cast<unsigned char>(40 + y / 4);
            p[2] = static_cast<unsigned char>(120 + y / 4);
            if (y >= 384) {
                const bool edge = (x % 32) == 0 || (y % 32) == 0;
                p[0] = edge ? 60 : 120;
                p[1] = edge ? 40 : 90;
                p[2] = edge ? 20 : 50;
            }
            if (((x / 24) % 7 == 3) && y > 340 && y < 384) {
                p[0] = 230;
                p[1] = static_cast<unsigned char>(x * 3);
                p[2] = 40;
            }
        }
    }
    return rgb;
}

std::vector<unsigned char> noisePicture(unsigned int seed)
{
    std::mt19937 random(seed);
    std::vector<unsigned char> rgb(640 * 480 * 3);
    for (unsigned char& b : rgb)
        b = static_cast<unsigned char>(random());
    return rgb;
}

// Checks every field of a PNG written for width x height RGB pixels with
// zlib's own crc32 and uncompress, and returns the raw block.
std::string checkLayout(const std::string& png, int width, int height)
{
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    EXPECT_EQ(png.substr(0, 8), std::string(signature, 8));
    EXPECT_EQ(be32(png, 8), 13u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(be32(png, 16), static_cast<unsigned int>(width));
    EXPECT_EQ(be32(png, 20), static_cast<unsigned int>(height));
    EXPECT_EQ(png.substr(24, 5), std::string("\x08\x02\x00\x00\x00", 5));
    EXPECT_EQ(be32(png, 29), crc32(0, bytesOf(png) + 12, 17));
    const unsigned int n = be32(png, 33);
    EXPECT_EQ(png.size(), 57u + n);
    if (png.size() != 57u + n)
        return "";
    EXPECT_EQ(png.substr(37, 4), "IDAT");
    EXPECT_EQ(be32(png, 41 + n), crc32(0, bytesOf(png) + 37, 4 + n));
    EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12));

    std::string raw(static_cast<size_t>(width * 3 + 1) * height, '\0');
    uLongf rawLength = raw.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&raw[0]), &rawLength, bytesOf(png) + 41, n), Z_OK);
    EXPECT_EQ(rawLength, raw.size());
    return raw;
}

} // namespace

TEST(PngCrc, KnownValuesAndTheLazyTable)
{
    EXPECT_EQ(pngCrc(reinterpret_cast<const unsigned char*>("abc"), 3), 0x352441c2u);
    EXPECT_TRUE(crcTableReady);
    EXPECT_EQ(pngCrc(nullptr, 0), 0u);
    EXPECT_EQ(crcTable[1], 0x77073096u);
    EXPECT_EQ(crcTable[255], 0x2d02ef8du);
    EXPECT_EQ(pngCrc(reinterpret_cast<const unsigned char*>("IEND"), 4), 0xae426082u);

    // Continuing a CRC over pieces gives the CRC of the whole, which is zlib's.
    std::vector<unsigned char> data(10000);
    std::mt19937 random(1);
    for (unsigned char& b : data)
        b = static_cast<unsigned char>(random());
    const unsigned int whole = pngCrc(data.data(), data.size());
    EXPECT_EQ(whole, crc32(0, data.data(), static_cast<uInt>(data.size())));
    unsigned int running = updateCrc(0xffffffffu, data.data(), 1234);
    running = updateCrc(running, data.data() + 1234, data.size() - 1234);
    EXPECT_EQ(running ^ 0xffffffffu, whole);
}

TEST(PngDeflate, StreamsRoundTripAndFailuresHaveTheirCodes)
{
    const std::vector<unsigned char> picture = gameLikePicture();
    std::vector<unsigned char> out(picture.size());
    int length = -1;
    ASSERT_EQ(deflateBuffer(picture.data(), out.data(), static_cast<int>(picture.size()), -1, &length), 0);
    ASSERT_GT(length, 2);
    EXPECT_LT(length, static_cast<int>(picture.size()) / 4);
    EXPECT_EQ(out[0] & 0x0f, 8); // zlib header: deflate method
    std::vector<unsigned char> back(picture.size());
    uLongf backLength = back.size();
    ASSERT_EQ(uncompress(back.data(), &backLength, out.data(), static_cast<uLong>(length)), Z_OK);
    EXPECT_EQ(backLength, back.size());
    EXPECT_TRUE(back == picture);

    // Noise does not fit in as many bytes as it has: -1 with the plain room,
    // success with zlib's bound as the room.
    const std::vector<unsigned char> noise = noisePicture(2);
    std::vector<unsigned char> small(noise.size());
    EXPECT_EQ(deflateBuffer(noise.data(), small.data(), static_cast<int>(noise.size()), -1, &length), -1);
    const unsigned long room = compressBound(static_cast<uLong>(noise.size()));
    std::vector<unsigned char> roomy(room);
    EXPECT_EQ(deflateBuffer(noise.data(), roomy.data(), static_cast<int>(noise.size()), -1, &length, room), 0);
    EXPECT_GT(length, static_cast<int>(noise.size()));

    // A level zlib does not know fails in initialisation with zlib's code.
    EXPECT_EQ(deflateBuffer(picture.data(), out.data(), 100, 12, &length), Z_STREAM_ERROR);
}

TEST(PngFile, ShotHasTheExactLayoutAndDecodesToItsPixels)
{
    ScopedTempDir dir;
    const std::vector<unsigned char> picture = gameLikePicture();
    ASSERT_TRUE(writePngFile("screenshot.png", 640, 480, picture.data()));
    const std::string png = readFile("screenshot.png");
    EXPECT_EQ(png.substr(16, 13), std::string("\x00\x00\x02\x80\x00\x00\x01\xe0\x08\x02\x00\x00\x00", 13));
    const std::string raw = checkLayout(png, 640, 480);
    ASSERT_EQ(raw.size(), 922080u);
    for (int y = 0; y < 480; y++) {
        ASSERT_EQ(raw[static_cast<size_t>(y) * 1921], '\0') << y;
        ASSERT_EQ(raw.compare(static_cast<size_t>(y) * 1921 + 1, 1920,
                              reinterpret_cast<const char*>(&picture[static_cast<size_t>(y) * 1920]), 1920),
                  0)
            << y;
    }
    EXPECT_FALSE(fileExists("screenshot.png.tmp"));

    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    const std::string decoded = pillowDecodeTopDown("screenshot.png", "decoded.rgb");
    ASSERT_EQ(decoded.substr(0, 8), "640 480\n");
    EXPECT_TRUE(decoded.compare(8, std::string::npos, reinterpret_cast<const char*>(picture.data()),
                                picture.size()) == 0);
}

TEST(PngFile, NoiseSavesAndASecondShotReplacesTheFirst)
{
    ScopedTempDir dir;
    const std::vector<unsigned char> noise = noisePicture(9);
    ASSERT_TRUE(writePngFile("screenshot.png", 640, 480, noise.data()));
    const std::string first = readFile("screenshot.png");
    EXPECT_GT(first.size(), 922080u); // longer than the raw block
    const std::string raw = checkLayout(first, 640, 480);
    ASSERT_EQ(raw.size(), 922080u);
    EXPECT_EQ(raw.compare(1, 1920, reinterpret_cast<const char*>(noise.data()), 1920), 0);

    std::vector<unsigned char> black(640 * 480 * 3, 0);
    ASSERT_TRUE(writePngFile("screenshot.png", 640, 480, black.data()));
    const std::string second = readFile("screenshot.png");
    EXPECT_LT(second.size(), 10000u);
    EXPECT_EQ(checkLayout(second, 640, 480), std::string(922080, '\0'));

    // Small and odd sizes too.
    const unsigned char one[3] = {1, 2, 3};
    ASSERT_TRUE(writePngFile("one.png", 1, 1, one));
    EXPECT_EQ(checkLayout(readFile("one.png"), 1, 1), std::string("\0\x01\x02\x03", 4));
}

TEST(PngFile, BadSizesAndUnwritablePlacesGiveTheirMessagesAndNoFile)
{
    ScopedTempDir dir;
    const unsigned char pixel[3] = {0, 0, 0};
    for (auto size : {std::pair<int, int>{0, 480}, {640, -1}, {-5, -5}, {100000, 1}}) {
        StdoutCapture out;
        EXPECT_FALSE(writePngFile("bad.png", size.first, size.second, pixel));
        EXPECT_EQ(out.stop(), "Invalid screenshot dimensions.");
        EXPECT_FALSE(fileExists("bad.png"));
    }

    std::vector<unsigned char> black(640 * 480 * 3, 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePngFile("no/such/folder/screenshot.png", 640, 480, black.data()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Failed to open 'no/such/folder/screenshot.png' for writing screendump.\n");

    // A folder in the way of the file: nothing is left behind.
    mkdir("screenshot.png", 0755);
    writeFile("screenshot.png/inside", "x");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(writePngFile("screenshot.png", 640, 480, black.data()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to open 'screenshot.png' for writing screendump.\n");
    EXPECT_FALSE(fileExists("screenshot.png.tmp"));
}

TEST(PngRequest, F2RecordsTheShotForTheNextFrame)
{
    pendingShot = ScreenshotRequest();
    EXPECT_TRUE(writePng("screenshot.png", 640, 480));
    EXPECT_TRUE(pendingShot.pending);
    EXPECT_EQ(pendingShot.fileName, "screenshot.png");
    EXPECT_EQ(pendingShot.width, 640);
    EXPECT_EQ(pendingShot.height, 480);

    pendingShot = ScreenshotRequest();
    {
        StdoutCapture out;
        EXPECT_FALSE(writePng("screenshot.png", 0, 480));
        EXPECT_FALSE(writePng("screenshot.png", 640, -1));
        EXPECT_EQ(out.stop(), "Invalid screenshot dimensions.Invalid screenshot dimensions.");
    }
    EXPECT_FALSE(pendingShot.pending);
}

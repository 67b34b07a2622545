// JPEG decoding through libjpeg: layout of the decoded rows, grey and CMYK
// pictures, and the ways a bad file ends the program.
#include <gtest/gtest.h>

#include <unistd.h>

#include "graphics/image.h"
#include "graphics/imageTestHelpers.h"
#include "support/testUtil.h"

namespace {

// Writes test pictures with Pillow: a 33 x 17 colour picture (red top half,
// blue bottom half), its grey version, a CMYK one and a 64 x 64 noise picture
// with Pillow's decoding of each beside it ("<name>.rgb", top row first).
void writePillowJpegs()
{
    const char* program =
        "from PIL import Image\n"
        "import random\n"
        "random.seed(3)\n"
        "im = Image.new('RGB', (33, 17), (0, 0, 255))\n"
        "im.paste((255, 0, 0), (0, 0, 33, 8))\n"
        "im.save('colour.jpg', quality=95)\n"
        "im.convert('L').save('grey.jpg', quality=95)\n"
        "im.convert('CMYK').save('cmyk.jpg', quality=95)\n"
        "noise = Image.new('RGB', (64, 64))\n"
        "noise.putdata([(random.randrange(256), random.randrange(256), random.randrange(256))"
        " for _ in range(64 * 64)])\n"
        "noise.save('noise.jpg', quality=80)\n"
        "for n in ('colour', 'grey', 'cmyk', 'noise'):\n"
        "    j = Image.open(n + '.jpg')\n"
        "    j.draft(None, None)\n"
        "    open(n + '.raw', 'wb').write(j.tobytes())\n";
    ASSERT_TRUE(runPython(program, ""));
}

std::string pixelsOf(const JpegImage& image)
{
    return std::string(reinterpret_cast<char*>(image.pixels),
                       static_cast<size_t>(image.rowBytes) * image.height);
}

} // namespace

TEST(JpegDecode, RowsAreTopFirstAndMatchAnotherDecoder)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    writePillowJpegs();

    JpegImage* colour = decodeJpegFile("colour.jpg");
    ASSERT_NE(colour, nullptr);
    EXPECT_EQ(colour->width, 33);
    EXPECT_EQ(colour->height, 17);
    EXPECT_EQ(colour->rowBytes, 99);
    // Top row red, bottom row blue, within JPEG's loss.
    EXPECT_GT(colour->pixels[0], 200);
    EXPECT_LT(colour->pixels[2], 60);
    const unsigned char* bottom = colour->pixels + 16 * 99;
    EXPECT_LT(bottom[0], 60);
    EXPECT_GT(bottom[2], 200);
    delete colour;

    // Same library underneath, so the samples must agree exactly.
    for (const char* name : {"colour", "grey", "cmyk", "noise"}) {
        JpegImage* image = decodeJpegFile((std::string(name) + ".jpg").c_str());
        ASSERT_NE(image, nullptr) << name;
        std::string expected = readFile(std::string(name) + ".raw");
        // Pillow hands out CMYK un-inverted; libjpeg gives Adobe's inverted samples.
        if (std::string(name) == "cmyk")
            for (char& c : expected)
                c = static_cast<char>(255 - static_cast<unsigned char>(c));
        EXPECT_TRUE(pixelsOf(*image) == expected) << name;
        delete image;
    }
}

TEST(JpegDecode, GreyAndCmykExpandToRgb)
{
    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    ScopedTempDir dir;
    writePillowJpegs();

    JpegImage* grey = decodeJpegFile("grey.jpg");
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(grey->rowBytes, 33);
    const std::vector<unsigned char> rgb = jpegToRgb(*grey);
    ASSERT_EQ(rgb.size(), 33u * 17 * 3);
    for (size_t i = 0; i < 33u * 17; i++) {
        ASSERT_EQ(rgb[i * 3], grey->pixels[i]) << i;
        ASSERT_EQ(rgb[i * 3 + 1], grey->pixels[i]) << i;
        ASSERT_EQ(rgb[i * 3 + 2], grey->pixels[i]) << i;
    }
    delete grey;

    JpegImage* cmyk = decodeJpegFile("cmyk.jpg");
    ASSERT_NE(cmyk, nullptr);
    EXPECT_EQ(cmyk->rowBytes, 33 * 4);
    const std::vector<unsigned char> fromCmyk = jpegToRgb(*cmyk);
    // Red on top, blue below, as in the colour picture.
    EXPECT_GT(fromCmyk[0], 200);
    EXPECT_LT(fromCmyk[2], 60);
    EXPECT_LT(fromCmyk[16 * 99], 60);
    EXPECT_GT(fromCmyk[16 * 99 + 2], 200);
    delete cmyk;
}

TEST(JpegDecode, MissingFileGivesNullAndTheLoaderExitsWithAMessage)
{
    ScopedTempDir dir;
    EXPECT_EQ(decodeJpegFile("nothere.jpg"), nullptr);
    // The message goes to stdout; send it to stderr in the child so the death
    // test can see it.
    EXPECT_EXIT(
        {
            dup2(2, 1);
            decodeJpegOrExit("gfx/nothere.jpg");
        },
        testing::ExitedWithCode(1), "^ERROR opening file gfx/nothere.jpg\n\n$");
}

TEST(JpegDecode, CorruptOrHugeFilesEndTheProgramThroughLibjpeg)
{
    ScopedTempDir dir;
    writeFile("text.jpg", "this is not a picture at all");
    EXPECT_EXIT(decodeJpegFile("text.jpg"), testing::ExitedWithCode(1), "Not a JPEG file");
    writeFile("empty.jpg", "");
    EXPECT_EXIT(decodeJpegFile("empty.jpg"), testing::ExitedWithCode(1), "");

    if (!havePillow())
        GTEST_SKIP() << "Pillow is not installed for /usr/bin/python3";
    writePillowJpegs();
    // Patch the frame header's height and width: past the size bound on
    // either side the file is refused through libjpeg's own message, before
    // a byte is allocated for the picture; at the bound a small file still
    // decodes (grey where its data is missing).
    const std::string noise = readFile("noise.jpg");
    const size_t sof = noise.find("\xff\xc0");
    ASSERT_NE(sof, std::string::npos);
    auto claiming = [&](int height, int width) {
        std::string data = noise;
        data[sof + 5] = static_cast<char>(height >> 8);
        data[sof + 6] = static_cast<char>(height & 255);
        data[sof + 7] = static_cast<char>(width >> 8);
        data[sof + 8] = static_cast<char>(width & 255);
        return data;
    };
    const int over = maxPictureSide + 1;
    const int tooBig[][2] = {{over, 64}, {64, over}, {40000, 40000}};
    for (const auto& size : tooBig) {
        writeFile("huge.jpg", claiming(size[0], size[1]));
        EXPECT_EXIT(decodeJpegFile("huge.jpg"), testing::ExitedWithCode(1),
                    "Maximum supported image dimension is 4096 pixels")
            << size[0] << " x " << size[1];
    }
    writeFile("edge.jpg", claiming(maxPictureSide, maxPictureSide));
    JpegImage* edge = decodeJpegFile("edge.jpg");
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(edge->width, maxPictureSide);
    EXPECT_EQ(edge->height, maxPictureSide);
    delete edge;

    // Cut inside the entropy-coded data: libjpeg warns, fills in grey and
    // still returns the whole picture.
    const std::string whole = readFile("noise.jpg");
    writeFile("cut.jpg", whole.substr(0, whole.size() * 2 / 3));
    JpegImage* cut = decodeJpegFile("cut.jpg");
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->height, 64);
    EXPECT_EQ(cut->rowBytes, 192);
    delete cut;
}

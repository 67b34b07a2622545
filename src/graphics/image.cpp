// Decoding of BMP and JPEG files into pixel arrays. No GL here: the uploads
// live in imageGl.cpp, so everything in this file runs in the unit tests.
#include "graphics/image.h"

// libjpeg's header needs FILE and size_t declared first.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <utility>
#include <jerror.h>
#include <jpeglib.h>

BmpImage::~BmpImage() { std::free(pixels); }
JpegImage::~JpegImage() { delete[] pixels; }

namespace {

unsigned int readLe16(const unsigned char* p) { return p[0] | (p[1] << 8); }

unsigned int readLe32(const unsigned char* p)
{
    return static_cast<unsigned int>(p[0]) | (static_cast<unsigned int>(p[1]) << 8) |
           (static_cast<unsigned int>(p[2]) << 16) | (static_cast<unsigned int>(p[3]) << 24);
}

// Closes the file on every way out of loadBmp.
struct FileCloser {
    FILE* file;
    ~FileCloser() { std::fclose(file); }
};

// What the headers say about the pixel data, once checked.
struct BmpLayout {
    int width;              // pixels, >= 1
    int rows;               // pixels, >= 1
    bool topDown;           // negative height in the file: first stored row is the top
    int bitsPerPixel;       // 1, 4, 8 or 24
    long paletteStart;      // file offset of the colour table
    int paletteEntries;     // 0 for 24 bits
    long pixelStart;        // file offset of the first row
    unsigned long rowBytes; // stored row length including padding to four bytes
};

// Checks the 54-byte header. False means a layout this reader does not decode.
bool parseBmpHeader(const unsigned char* h, BmpLayout& out)
{
    const unsigned int infoSize = readLe32(h + 14);
    // The 40-byte Windows header and its longer descendants share the first
    // 40 bytes; the 12-byte OS/2 header has 16-bit sizes and 3-byte palette
    // entries and is refused, as is anything else.
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
        infoSize != 108 && infoSize != 124)
        return false;
    const int width = static_cast<int>(readLe32(h + 18));
    const int height = static_cast<int>(readLe32(h + 22));
    const unsigned int bits = readLe16(h + 28);
    const unsigned int compression = readLe32(h + 30);
    const unsigned int coloursUsed = readLe32(h + 46);
    const unsigned int dataOffset = readLe32(h + 10);

    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return false;
    if (compression != 0) // run-length, bit fields, embedded JPEG/PNG
        return false;
    if (width < 1 || height == 0 || height == -2147483647 - 1)
        return false;
    const long long rows = height < 0 ? -static_cast<long long>(height) : height;
    if (width > maxPictureSide || rows > maxPictureSide)
        return false;

    int entries = 0;
    if (bits <= 8) {
        const unsigned int full = 1u << bits;
        if (coloursUsed > full)
            return false;
        entries = coloursUsed == 0 ? static_cast<int>(full) : static_cast<int>(coloursUsed);
    }
    const long paletteStart = 14 + static_cast<long>(infoSize);
    // Pixel data overlapping the headers or the palette is not a picture.
    if (dataOffset < static_cast<unsigned long>(paletteStart + 4L * entries))
        return false;

    out.width = width;
    out.rows = static_cast<int>(rows);
    out.topDown = height < 0;
    out.bitsPerPixel = static_cast<int>(bits);
    out.paletteStart = paletteStart;
    out.paletteEntries = entries;
    out.pixelStart = static_cast<long>(dataOffset);
    out.rowBytes = ((static_cast<unsigned long>(width) * bits + 31) / 32) * 4;
    return true;
}

void clearImage(BmpImage& image)
{
    std::free(image.pixels);
    image.pixels = nullptr;
    image.width = 0;
    image.height = 0;
}

// Reads one stored row of palette indices in small pieces and writes its
// pixels. False when the file ended inside the row.
bool readIndexedRow(FILE* file, const BmpLayout& layout, const unsigned char* palette,
                    unsigned char* dest)
{
    unsigned char chunk[4096];
    const unsigned long width = static_cast<unsigned long>(layout.width);
    const int bits = layout.bitsPerPixel;
    const int perByte = 8 / bits;
    const unsigned int mask = (1u << bits) - 1;
    unsigned long byteIndex = 0;
    while (byteIndex < layout.rowBytes) {
        const unsigned long want = std::min<unsigned long>(sizeof chunk, layout.rowBytes - byteIndex);
        const size_t got = std::fread(chunk, 1, want, file);
        for (size_t i = 0; i < got; i++, byteIndex++) {
            for (int k = 0; k < perByte; k++) {
                const unsigned long x = byteIndex * perByte + k;
                if (x >= width)
                    break;
                // Most significant bits hold the leftmost pixel.
                const unsigned int index = (chunk[i] >> (8 - bits * (k + 1))) & mask;
                const unsigned char* entry = palette + index * 4;
                dest[x * 3 + 0] = entry[2];
                dest[x * 3 + 1] = entry[1];
                dest[x * 3 + 2] = entry[0];
            }
        }
        if (got < want)
            return false;
    }
    return true;
}

// Reads one stored 24-bit row (blue, green, red) and its padding. False when
// the file ended inside the row.
bool readRgbRow(FILE* file, const BmpLayout& layout, unsigned char* dest)
{
    const size_t pixelBytes = static_cast<size_t>(layout.width) * 3;
    const size_t got = std::fread(dest, 1, pixelBytes, file);
    for (size_t i = 0; i < got; i += 3)
        std::swap(dest[i], dest[i + 2]);
    if (got < pixelBytes)
        return false;
    unsigned char padding[4];
    const size_t padBytes = layout.rowBytes - pixelBytes;
    return std::fread(padding, 1, padBytes, file) == padBytes;
}

} // namespace

char loadBmp(std::string name, BmpImage& image)
{
    clearImage(image);
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file)
        return 'o';
    FileCloser closer{file};

    unsigned char header[54] = {};
    const size_t got = std::fread(header, 1, sizeof header, file);
    if (std::ferror(file))
        return 'f';
    if (got < 2 || header[0] != 'B' || header[1] != 'M')
        return 'b';
    BmpLayout layout;
    if (got < sizeof header || !parseBmpHeader(header, layout))
        return 'u';

    // Entries the file does not have stay black, so any index is safe.
    unsigned char palette[256 * 4] = {};
    if (layout.paletteEntries > 0) {
        if (std::fseek(file, layout.paletteStart, SEEK_SET) != 0)
            return 'f';
        std::fread(palette, 4, static_cast<size_t>(layout.paletteEntries), file);
    }
    if (std::fseek(file, layout.pixelStart, SEEK_SET) != 0)
        return 'f';

    // Zero-filled so that a file cut short gives black where its data is
    // missing instead of whatever the memory held.
    const size_t rowSize = static_cast<size_t>(layout.width) * 3;
    image.pixels = static_cast<unsigned char*>(std::calloc(rowSize, static_cast<size_t>(layout.rows)));
    if (!image.pixels)
        return 'u';
    image.width = layout.width;
    image.height = layout.rows;

    for (int row = 0; row < layout.rows; row++) {
        // Row 0 of the image is always the bottom of the picture.
        const int target = layout.topDown ? layout.rows - 1 - row : row;
        unsigned char* dest = image.pixels + static_cast<size_t>(target) * rowSize;
        const bool whole = layout.bitsPerPixel == 24 ? readRgbRow(file, layout, dest)
                                                     : readIndexedRow(file, layout, palette, dest);
        if (!whole)
            break; // cut short: an end of file is not an error here
    }
    if (std::ferror(file)) {
        clearImage(image);
        return 'f';
    }
    return 0;
}

const char* bmpErrorText(char code)
{
    switch (code) {
    case 0:
        return "No errors detected";
    case 'b':
        return "This file is not a bitmap, specifically it doesn't start 'BM'";
    case 'f':
        return "Some kind of error while physically reading the file";
    case 'o':
        return "Failed to open the file, suspect it doesn't exist";
    case 'u':
        return "Unknown bmp format, ie not 24bit, 256,16 or 2 colour";
    default:
        return "Not a valid error code";
    }
}

KeyColour bmpKeyColour(const char* name)
{
    if (std::strcmp(name, "gfx/fonts/glFont.bmp") == 0)
        return KeyColour{0, 0, 0};
    return KeyColour{0, 255, 0};
}

void bmpToRgba(const BmpImage& image, KeyColour key, unsigned char* rgba)
{
    const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    const unsigned char* in = image.pixels;
    for (size_t i = 0; i < count; i++, in += 3, rgba += 4) {
        rgba[0] = in[0];
        rgba[1] = in[1];
        rgba[2] = in[2];
        const bool keyed = in[0] == key.r && in[1] == key.g && in[2] == key.b;
        rgba[3] = keyed ? 0 : 255;
    }
}

void decodeJpegInto(jpeg_decompress_struct& cinfo, JpegImage& image)
{
    jpeg_read_header(&cinfo, TRUE);
    // A header may claim up to 65500 x 65500: refuse huge pictures through
    // the error manager before libjpeg or we allocate for them.
    if (cinfo.image_width > static_cast<JDIMENSION>(maxPictureSide) ||
        cinfo.image_height > static_cast<JDIMENSION>(maxPictureSide))
        ERREXIT1(&cinfo, JERR_IMAGE_TOO_BIG, maxPictureSide);
    jpeg_start_decompress(&cinfo);

    delete[] image.pixels;
    image.pixels = nullptr;
    image.rowBytes = static_cast<int>(cinfo.output_width) * cinfo.output_components;
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    const size_t rowBytes = static_cast<size_t>(image.rowBytes);
    image.pixels = new unsigned char[rowBytes * cinfo.output_height];
    // The row pointers come from libjpeg's own pool, which
    // jpeg_destroy_decompress frees even after an error exit.
    JSAMPROW* rows = static_cast<JSAMPROW*>((*cinfo.mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_height * sizeof(JSAMPROW)));
    for (JDIMENSION i = 0; i < cinfo.output_height; i++)
        rows[i] = image.pixels + i * rowBytes;
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, rows + cinfo.output_scanline,
                            cinfo.output_height - cinfo.output_scanline);
    }
    jpeg_finish_decompress(&cinfo);
}

JpegImage* decodeJpegFile(const char* name)
{
    FILE* file = std::fopen(name, "rb");
    if (!file)
        return nullptr;

    // libjpeg's standard error manager prints and ends the program on corrupt
    // data; nothing below needs to clean up after a failure.
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    JpegImage* image = new JpegImage();
    decodeJpegInto(cinfo, *image);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return image;
}

JpegImage* decodeJpegOrExit(const char* name)
{
    JpegImage* image = decodeJpegFile(name);
    if (!image) {
        // A missing picture used to end the program silently with status 0,
        // which reads as success; say what failed and exit with 1.
        std::printf("ERROR opening file %s\n\n", name);
        std::exit(1);
    }
    return image;
}

std::vector<unsigned char> jpegToRgb(const JpegImage& image)
{
    const size_t pixelCount = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    std::vector<unsigned char> rgb(pixelCount * 3);
    if (image.width < 1 || image.height < 1)
        return rgb;
    const int components = image.rowBytes / image.width;
    const unsigned char* in = image.pixels;
    unsigned char* out = rgb.data();
    for (size_t i = 0; i < pixelCount; i++, in += components, out += 3) {
        if (components == 1) {
            out[0] = out[1] = out[2] = in[0];
        } else if (components == 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        } else if (components == 4) {
            // libjpeg hands out Adobe's inverted CMYK: 255 means no ink.
            out[0] = static_cast<unsigned char>(in[0] * in[3] / 255);
            out[1] = static_cast<unsigned char>(in[1] * in[3] / 255);
            out[2] = static_cast<unsigned char>(in[2] * in[3] / 255);
        } else {
            break; // libjpeg has no other output layout; leave black
        }
    }
    return rgb;
}

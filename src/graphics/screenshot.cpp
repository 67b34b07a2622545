// PNG encoding of screenshots and the F2 request. The pixel read-back is in
// screenshotGl.cpp; everything here runs in the unit tests.
#include "graphics/screenshot.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <zlib.h>

unsigned int crcTable[256];
bool crcTableReady = false;
ScreenshotRequest pendingShot;

namespace {

// Larger shots are refused: the raw block stays well inside an int and the
// buffers inside reason.
constexpr int maxShotSide = 16384;

void buildCrcTable()
{
    for (unsigned int n = 0; n < 256; n++) {
        unsigned int c = n;
        for (int k = 0; k < 8; k++)
            c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
        crcTable[n] = c;
    }
    crcTableReady = true;
}

void putBe32(unsigned char* p, unsigned int v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

bool validShotSize(int width, int height)
{
    if (width < 1 || height < 1 || width > maxShotSide || height > maxShotSide) {
        std::printf("Invalid screenshot dimensions.");
        return false;
    }
    return true;
}

// Writes the chunks around an already compressed image stream.
bool writeChunks(FILE* file, int width, int height, const unsigned char* stream, int streamLength)
{
    static const unsigned char signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

    unsigned char ihdr[4 + 4 + 13 + 4];
    putBe32(ihdr, 13);
    std::memcpy(ihdr + 4, "IHDR", 4);
    putBe32(ihdr + 8, static_cast<unsigned int>(width));
    putBe32(ihdr + 12, static_cast<unsigned int>(height));
    ihdr[16] = 8; // bit depth
    ihdr[17] = 2; // truecolour RGB
    ihdr[18] = 0; // deflate
    ihdr[19] = 0; // adaptive filtering, every row "None"
    ihdr[20] = 0; // not interlaced
    putBe32(ihdr + 21, pngCrc(ihdr + 4, 17));

    unsigned char idatHead[8];
    putBe32(idatHead, static_cast<unsigned int>(streamLength));
    std::memcpy(idatHead + 4, "IDAT", 4);
    // The chunk CRC runs over the type and the data, so continue it over the
    // stream in place instead of copying both into a buffer of their own.
    unsigned int idatCrc = updateCrc(0xffffffffu, idatHead + 4, 4);
    idatCrc = updateCrc(idatCrc, stream, static_cast<size_t>(streamLength)) ^ 0xffffffffu;
    unsigned char idatTail[4];
    putBe32(idatTail, idatCrc);

    unsigned char iend[12];
    putBe32(iend, 0);
    std::memcpy(iend + 4, "IEND", 4);
    putBe32(iend + 8, pngCrc(iend + 4, 4));

    const size_t length = static_cast<size_t>(streamLength);
    return std::fwrite(signature, 1, sizeof signature, file) == sizeof signature &&
           std::fwrite(ihdr, 1, sizeof ihdr, file) == sizeof ihdr &&
           std::fwrite(idatHead, 1, sizeof idatHead, file) == sizeof idatHead &&
           std::fwrite(stream, 1, length, file) == length &&
           std::fwrite(idatTail, 1, sizeof idatTail, file) == sizeof idatTail &&
           std::fwrite(iend, 1, sizeof iend, file) == sizeof iend;
}

} // namespace

unsigned int updateCrc(unsigned int crc, const unsigned char* bytes, size_t count)
{
    if (!crcTableReady)
        buildCrcTable();
    for (size_t i = 0; i < count; i++)
        crc = crcTable[(crc ^ bytes[i]) & 255] ^ (crc >> 8);
    return crc;
}

unsigned int pngCrc(const unsigned char* bytes, size_t count)
{
    return updateCrc(0xffffffffu, bytes, count) ^ 0xffffffffu;
}

int deflateBuffer(const unsigned char* source, unsigned char* dest, int length, int level,
                  int* outLength, unsigned long destRoom)
{
    if (length < 0)
        return -1;
    z_stream stream;
    std::memset(&stream, 0, sizeof stream); // default allocators
    const int init = deflateInit_(&stream, level, ZLIB_VERSION, static_cast<int>(sizeof(z_stream)));
    if (init != Z_OK)
        return init;

    stream.next_in = const_cast<Bytef*>(source);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = dest;
    stream.avail_out = static_cast<uInt>(destRoom != 0 ? destRoom : static_cast<unsigned long>(length));
    const int result = deflate(&stream, Z_FINISH);
    // The stream is released on every way out, not only on success.
    const bool complete = result == Z_STREAM_END && stream.avail_in == 0;
    deflateEnd(&stream);
    if (!complete)
        return -1;
    *outLength = static_cast<int>(stream.total_out);
    return 0;
}

bool writePng(const char* fileName, int width, int height)
{
    if (!validShotSize(width, height))
        return false;
    // Reading the front buffer after the swap gives an empty picture on
    // some drivers, so the shot is only recorded here and taken from the
    // back buffer of the next frame, just before its swap.
    pendingShot.pending = true;
    pendingShot.fileName = fileName;
    pendingShot.width = width;
    pendingShot.height = height;
    return true;
}

bool writePngFile(const char* fileName, int width, int height, const unsigned char* rgb)
{
    if (!validShotSize(width, height))
        return false;

    // Raw block: each row is a filter byte 0 followed by the row's RGB bytes.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t rawSize = (rowBytes + 1) * static_cast<size_t>(height);
    // Sized with zlib's bound instead of the raw size, so that even a
    // noise-like screen, which deflate cannot shrink, still saves.
    const unsigned long room = compressBound(static_cast<uLong>(rawSize));
    unsigned char* raw = new (std::nothrow) unsigned char[rawSize];
    unsigned char* compressed = new (std::nothrow) unsigned char[room];
    if (!raw || !compressed) {
        delete[] raw;
        delete[] compressed;
        return false;
    }
    for (int y = 0; y < height; y++) {
        unsigned char* row = raw + static_cast<size_t>(y) * (rowBytes + 1);
        row[0] = 0;
        std::memcpy(row + 1, rgb + static_cast<size_t>(y) * rowBytes, rowBytes);
    }
    int streamLength = 0;
    const int deflated = deflateBuffer(raw, compressed, static_cast<int>(rawSize), -1, &streamLength, room);
    delete[] raw;
    if (deflated != 0) {
        delete[] compressed;
        return false;
    }

    // Written under a temporary name and renamed at the end, so a failed
    // write never leaves a broken picture under the real name.
    const std::string tempName = std::string(fileName) + ".tmp";
    FILE* file = std::fopen(tempName.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "Failed to open '%s' for writing screendump.\n", fileName);
        delete[] compressed;
        return false;
    }
    const bool written = writeChunks(file, width, height, compressed, streamLength);
    delete[] compressed;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(tempName.c_str());
        std::fprintf(stderr, "Failed to write '%s' for screendump.\n", fileName);
        return false;
    }
    if (std::rename(tempName.c_str(), fileName) != 0) {
        std::remove(tempName.c_str());
        std::fprintf(stderr, "Failed to open '%s' for writing screendump.\n", fileName);
        return false;
    }
    return true;
}

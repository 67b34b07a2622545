// PNG screenshots: F2 asks for one, the next frame captures it just before
// the buffer swap, and a small PNG encoder (own CRC, zlib's deflate) writes it.
#pragma once

#include <cstddef>
#include <string>

// A shot asked for and not yet taken.
struct ScreenshotRequest {
    bool pending = false;  // set by writePng, cleared by takePendingScreenshot
    std::string fileName;  // where the shot goes, e.g. "screenshot.png"
    int width = 0;         // size of the written picture in pixels
    int height = 0;
};

extern unsigned int crcTable[256]; // PNG CRC-32 of each byte value; valid once crcTableReady
extern bool crcTableReady;         // false until the first CRC builds crcTable
extern ScreenshotRequest pendingShot; // written by writePng, read by takePendingScreenshot

// Continues a running PNG CRC over count bytes (no pre- or post-inversion).
// Builds the table on first use. Called by pngCrc.
unsigned int updateCrc(unsigned int crc, const unsigned char* bytes, size_t count);
// The CRC of the PNG format over count bytes. Called for each chunk.
unsigned int pngCrc(const unsigned char* bytes, size_t count);

// Compresses length bytes from source into dest as one zlib stream and stores
// its length in outLength. dest has room for destRoom bytes, or for length
// bytes when destRoom is 0. Returns 0, zlib's code when initialisation fails,
// or -1 on any other failure (including too little room). Called by
// writePngFile.
int deflateBuffer(const unsigned char* source, unsigned char* dest, int length, int level,
                  int* outLength, unsigned long destRoom = 0);

// Asks for a shot of the game picture at width x height in fileName, taken by
// the next takePendingScreenshot. Non-positive or absurd sizes print
// "Invalid screenshot dimensions." and give false. Called by the special-key
// handler on F2 with "screenshot.png", 640, 480; true means the request is
// recorded, the file itself is written with the next frame.
bool writePng(const char* fileName, int width, int height);

// Writes a PNG file from RGB pixels (rows top first, 3 * width bytes each, no
// padding). The file is written under a temporary name and renamed, so a
// failure never leaves a broken file behind. True when the file was written.
// Called by takePendingScreenshot and the tests.
bool writePngFile(const char* fileName, int width, int height, const unsigned char* rgb);

// Takes the pending shot, if any, from the back buffer: the current viewport
// is read and scaled to the requested size (a viewport of the requested width
// and at most one row short, as in a 640x480 window, is read unscaled at the
// requested size). drawFrame calls it once per frame after everything is
// drawn and right before glutSwapBuffers.
void takePendingScreenshot();

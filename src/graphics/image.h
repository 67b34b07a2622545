// Pictures from BMP and JPEG files, and the textures made from them.
#pragma once

#include <string>

// One loaded picture: its quad display list, its texture and its size.
struct Texture {
    unsigned int list = 0;  // display list of the picture's quad; 0 when none was built
    unsigned int texId = 0; // OpenGL texture name
    int width = 0;          // picture width in pixels
    int height = 0;         // picture height in pixels
};

// A decoded BMP: width x height RGB pixels, row 0 = first row stored in the file (the bottom).
struct BmpImage {
    int width;
    int height;
    unsigned char* pixels = nullptr; // owned, width * height * 3 bytes

    BmpImage() = default;
    ~BmpImage();
    BmpImage(const BmpImage&) = delete;
    BmpImage& operator=(const BmpImage&) = delete;
};

// A decoded JPEG: rows top first, rowBytes = width * components, no padding.
struct JpegImage {
    int rowBytes = 0;
    int width = 0;
    int height = 0;
    unsigned char* pixels = nullptr; // owned, rowBytes * height bytes

    JpegImage() = default;
    ~JpegImage();
    JpegImage(const JpegImage&) = delete;
    JpegImage& operator=(const JpegImage&) = delete;
};

// Reads a BMP file. Returns 0 on success, or 'o' (cannot open), 'b' (not "BM"),
// 'u' (unsupported layout) or 'f' (read error).
char loadBmp(std::string name, BmpImage& image);
// Message for a loadBmp result code.
const char* bmpErrorText(char code);
// Loads a BMP into a colour-keyed RGBA texture (key black for the font, green
// otherwise). True when the texture was made.
bool loadBmpTexture(const char* name, unsigned int* texId, int* width, int* height);
// Decodes a JPEG file; null when the file cannot be opened.
JpegImage* decodeJpegFile(const char* name);
// Loads a JPEG into an opaque texture (note: texture first, file name second).
void loadJpegTexture(unsigned int* texId, const char* name, int* width, int* height);

// Pictures from BMP and JPEG files, and the textures made from them.
#pragma once

#include <string>
#include <vector>

// One loaded picture: its quad display list, its texture and its size.
struct Texture {
    unsigned int list = 0;  // display list of the picture's quad; 0 when none was built
    unsigned int texId = 0; // OpenGL texture name
    int width = 0;          // picture width in pixels
    int height = 0;         // picture height in pixels
};

// A decoded BMP: width x height RGB pixels, row 0 = the bottom row of the picture.
struct BmpImage {
    int width;
    int height;
    unsigned char* pixels = nullptr; // owned (malloc family, zero-filled), width * height * 3 bytes

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

struct jpeg_decompress_struct; // libjpeg's decompressor

// A colour that becomes transparent when a BMP is turned into a texture.
struct KeyColour {
    unsigned char r, g, b;
};

// Longest side, in pixels, of a picture either reader accepts; a header that
// announces more is refused before anything is allocated. 4096 is smaller
// than GL_MAX_TEXTURE_SIZE on every driver the game runs on (16384 on Mesa's
// llvmpipe), so it is the bound that applies, and it is far above the largest
// picture the game shows (the 640 x 480 screens). A hostile header can then
// cost at most about 4096 x 4096 x 4 bytes (64 MB) per buffer instead of the
// gigabytes a 16384 x 16384 or larger claim would.
constexpr int maxPictureSide = 4096;

// Reads a BMP file. Returns 0 on success, or 'o' (cannot open), 'b' (not "BM"),
// 'u' (unsupported layout) or 'f' (read error). Uncompressed 1, 4, 8 and 24 bit
// pictures of any size are decoded, bottom-up or top-down, with row padding,
// short palettes and a pixel-data offset; everything else gives 'u'. Data cut
// short still gives 0, the missing pixels black. On a non-zero code the image
// is left 0 x 0 with no pixels. Called by loadBmpTexture and the tests.
char loadBmp(std::string name, BmpImage& image);
// Message for a loadBmp result code. Called by whoever reports a BMP failure.
const char* bmpErrorText(char code);
// Key colour of a BMP file: black for "gfx/fonts/glFont.bmp", pure green for
// every other name. Called by loadBmpTexture.
KeyColour bmpKeyColour(const char* name);
// Fills rgba (width * height * 4 bytes) from the image in storage order; alpha
// is 0 where red, green and blue equal the key exactly, 255 elsewhere.
// Called by loadBmpTexture.
void bmpToRgba(const BmpImage& image, KeyColour key, unsigned char* rgba);
// True for 1, 2, 4, 8, ...: the picture sides the GL takes without scaling.
// Called by the texture upload and the draw batches.
inline bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}
// Loads a BMP into a colour-keyed RGBA texture (key black for the font, green
// otherwise). True when the texture was made; on false nothing was uploaded
// and width and height are left as they were. Called at start-up and by the
// animation and font loaders, with a current GL context.
bool loadBmpTexture(const char* name, unsigned int* texId, int* width, int* height);

// Reads the header and the picture from a decompressor whose error manager
// and data source are set, into image (its old pixels are released). Errors,
// a side over maxPictureSide included, go to the error manager's error_exit;
// image then owns whatever it holds so far and the caller still destroys the
// decompressor. Called by decodeJpegFile and the JPEG fuzzer.
void decodeJpegInto(jpeg_decompress_struct& cinfo, JpegImage& image);
// Decodes a JPEG file through libjpeg; null when the file cannot be opened.
// Corrupt data or a side over maxPictureSide makes libjpeg's error manager
// print its message on stderr and end the program with status 1.
JpegImage* decodeJpegFile(const char* name);
// decodeJpegFile, but a file that cannot be opened prints
// "ERROR opening file <name>" and ends the program with status 1.
// Called by loadJpegTexture.
JpegImage* decodeJpegOrExit(const char* name);
// The image as tightly packed RGB rows (grey samples copied to all three
// channels, Adobe CMYK converted). Used by loadJpegTexture for pictures that
// are not already three components.
std::vector<unsigned char> jpegToRgb(const JpegImage& image);
// Loads a JPEG into an opaque texture (note: texture first, file name second).
// Does nothing for a null name. Called at start-up with a current GL context.
void loadJpegTexture(unsigned int* texId, const char* name, int* width, int* height);

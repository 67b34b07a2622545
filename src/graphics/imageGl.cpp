// Texture upload of BMP and JPEG pictures.
#include "graphics/image.h"

BmpImage::~BmpImage() { delete[] pixels; }
JpegImage::~JpegImage() { delete[] pixels; }

char loadBmp(std::string, BmpImage&) { return 'o'; }
const char* bmpErrorText(char) { return "Not a valid error code"; }
bool loadBmpTexture(const char*, unsigned int*, int*, int*) { return false; }
JpegImage* decodeJpegFile(const char*) { return nullptr; }
void loadJpegTexture(unsigned int*, const char*, int*, int*) {}

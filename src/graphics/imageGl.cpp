// Texture upload of BMP and JPEG pictures.
#include "graphics/image.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <new>

// gluBuild2DMipmaps (GLU 9.0.2) scales a picture whose sides are not powers
// of two and, for some sizes (64 x 20 is one), reads a few bytes past the last
// row while doing so (seen with valgrind). Every picture handed to it
// therefore has one spare row of zeros after its last one, so that read stays
// inside memory the picture owns.

// True when gluBuild2DMipmaps would upload the picture unscaled as its
// level 0: both sides powers of two and within the GL's largest texture.
static bool fitsAsItIs(int width, int height)
{
    static GLint largest = 0;
    if (largest == 0)
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    return isPowerOfTwo(width) && isPowerOfTwo(height) && width <= largest && height <= largest;
}

bool loadBmpTexture(const char* name, unsigned int* texId, int* width, int* height)
{
    glGenTextures(1, texId);

    BmpImage image;
    if (loadBmp(name, image) != 0)
        return false;
    *width = image.width;
    *height = image.height;

    // loadBmp caps the size, so this product fits in size_t.
    const size_t rowBytes = static_cast<size_t>(image.width) * 4;
    const size_t bytes = rowBytes * static_cast<size_t>(image.height);
    // One spare row for gluBuild2DMipmaps, see above.
    unsigned char* rgba = new (std::nothrow) unsigned char[bytes + rowBytes]();
    if (!rgba)
        return false;
    bmpToRgba(image, bmpKeyColour(name), rgba);

    // Stored bottom row first, so t = 0 is the bottom of the picture.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, *texId);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (fitsAsItIs(image.width, image.height)) {
        // The minifying filter is GL_NEAREST, so only level 0 is ever
        // sampled, and for a power-of-two picture that fits the GL it is the
        // picture itself: building the smaller levels would only cost
        // start-up time (most of the loading time of the sprites).
        glTexImage2D(GL_TEXTURE_2D, 0, 4, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    } else {
        // Other sizes are scaled to powers of two the way GLU does it.
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    }

    delete[] rgba;
    return true;
}

void loadJpegTexture(unsigned int* texId, const char* name, int* width, int* height)
{
    if (!name)
        return;
    JpegImage* image = decodeJpegOrExit(name);
    *width = image->width;
    *height = image->height;

    // Colour pictures come out as tight RGB rows; grey and CMYK ones are
    // expanded to RGB first so the upload below reads exactly width * 3
    // bytes a row.
    std::vector<unsigned char> expanded;
    if (image->rowBytes != image->width * 3) {
        expanded = jpegToRgb(*image);
    } else {
        const size_t bytes = static_cast<size_t>(image->rowBytes) * static_cast<size_t>(image->height);
        expanded.assign(image->pixels, image->pixels + bytes);
    }
    // One spare row for gluBuild2DMipmaps, see above.
    const int pictureWidth = image->width;
    const int pictureHeight = image->height;
    expanded.resize(expanded.size() + static_cast<size_t>(pictureWidth) * 3, 0);
    const unsigned char* rgb = expanded.data();
    delete image; // the copy above is all the upload needs

    glGenTextures(1, texId);
    glBindTexture(GL_TEXTURE_2D, *texId);
    // Rows of width * 3 bytes are not padded to four bytes; read them tight,
    // then give back the alignment that was in force before.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, pictureWidth, pictureHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
}

// Texture upload of BMP and JPEG pictures.
#include "graphics/image.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <new>
#ifdef __EMSCRIPTEN__
#include <algorithm>
#include <vector>
#endif

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

#ifdef __EMSCRIPTEN__
// The browser's GL has no GLU: pictures are scaled to powers of two here,
// with GLU's choice of size, and their smaller levels made by halving.
namespace {

// GLU's power of two for a side: the lower one, or the upper one when the
// two bits below the top are both set (3 * 2^k rounds up).
int gluPowerOfTwo(int side)
{
    int power = 1;
    for (unsigned int v = static_cast<unsigned int>(side); v > 1; v >>= 1) {
        if (v == 3)
            return power * 4;
        power *= 2;
    }
    return power;
}

// Scales tight rows of `channels` bytes a pixel to width x height, each
// target pixel the area-weighted mean of the source pixels it covers.
std::vector<unsigned char> scaleByArea(const unsigned char* from, int fromWidth, int fromHeight, int channels,
                                       int width, int height)
{
    std::vector<unsigned char> to(static_cast<size_t>(width) * height * channels);
    const double sx = static_cast<double>(fromWidth) / width;
    const double sy = static_cast<double>(fromHeight) / height;
    std::vector<double> sum(channels);
    for (int y = 0; y < height; y++) {
        const double y0 = y * sy, y1 = (y + 1) * sy;
        for (int x = 0; x < width; x++) {
            const double x0 = x * sx, x1 = (x + 1) * sx;
            std::fill(sum.begin(), sum.end(), 0.0);
            double area = 0.0;
            for (int j = static_cast<int>(y0); j < fromHeight && j < y1; j++) {
                const double wy = std::min<double>(j + 1, y1) - std::max<double>(j, y0);
                for (int i = static_cast<int>(x0); i < fromWidth && i < x1; i++) {
                    const double w = wy * (std::min<double>(i + 1, x1) - std::max<double>(i, x0));
                    const unsigned char* p = from + (static_cast<size_t>(j) * fromWidth + i) * channels;
                    for (int c = 0; c < channels; c++)
                        sum[c] += w * p[c];
                    area += w;
                }
            }
            unsigned char* q = to.data() + (static_cast<size_t>(y) * width + x) * channels;
            for (int c = 0; c < channels; c++)
                q[c] = static_cast<unsigned char>(area > 0.0 ? sum[c] / area + 0.5 : 0.0);
        }
    }
    return to;
}

// Uploads tight rows as level 0 at GLU's power-of-two size and every
// smaller level down to 1 x 1, as gluBuild2DMipmaps does.
void uploadMipmaps(GLenum format, int channels, int width, int height, const unsigned char* pixels)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    int w = std::min(gluPowerOfTwo(width), static_cast<int>(largest));
    int h = std::min(gluPowerOfTwo(height), static_cast<int>(largest));
    std::vector<unsigned char> level = scaleByArea(pixels, width, height, channels, w, h);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int n = 0;; n++) {
        glTexImage2D(GL_TEXTURE_2D, n, static_cast<GLint>(format), w, h, 0, format, GL_UNSIGNED_BYTE, level.data());
        if (w == 1 && h == 1)
            break;
        const int nw = std::max(w / 2, 1), nh = std::max(h / 2, 1);
        level = scaleByArea(level.data(), w, h, channels, nw, nh);
        w = nw;
        h = nh;
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

} // namespace
#endif

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
#ifdef __EMSCRIPTEN__
        // WebGL names the internal format; 4 components is GL_RGBA.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
#else
        glTexImage2D(GL_TEXTURE_2D, 0, 4, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
#endif
    } else {
        // Other sizes are scaled to powers of two the way GLU does it.
#ifdef __EMSCRIPTEN__
        uploadMipmaps(GL_RGBA, 4, image.width, image.height, rgba);
#else
        gluBuild2DMipmaps(GL_TEXTURE_2D, 4, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
#endif
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
#ifdef __EMSCRIPTEN__
    uploadMipmaps(GL_RGB, 3, pictureWidth, pictureHeight, rgb);
#else
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, pictureWidth, pictureHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb);
#endif
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
}

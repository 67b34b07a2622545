// Screenshot capture: reads the finished frame from the back buffer.
#include "graphics/screenshot.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <vector>

void takePendingScreenshot()
{
    if (!pendingShot.pending)
        return;
    pendingShot.pending = false;
    const int width = pendingShot.width;
    const int height = pendingShot.height;

    // The game draws into its viewport, which differs from the window when
    // the window is resized; capture that area and scale it to the asked
    // size, so the file always holds the game picture at that size.
    GLint view[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, view);
    if (view[2] < 1 || view[3] < 1)
        return;
    // A 640x480 window gets a 640x479 viewport (its height is truncated from
    // a hair under 480). Stretching 479 rows to 480 would blur every row of
    // the shot, so a viewport of the asked width and at most one row short
    // is read at the asked size, pixel for pixel, from its lower-left corner.
    if (view[2] == width && (view[3] == height || view[3] == height - 1))
        view[3] = height;
#ifdef __EMSCRIPTEN__
    // WebGL reads the drawing buffer (the frame not yet shown) as RGBA only;
    // the canvas is always 640x480, so the view is read at the asked size.
    std::vector<unsigned char> pixels(static_cast<size_t>(view[2]) * view[3] * 4);
    GLint packAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(view[0], view[1], view[2], view[3], GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            // Nearest pixel of the view (the same pixel when the sizes agree).
            const int vx = static_cast<int>(static_cast<long>(x) * view[2] / width);
            const int vy = static_cast<int>(static_cast<long>(y) * view[3] / height);
            const unsigned char* p = pixels.data() + (static_cast<size_t>(vy) * view[2] + vx) * 4;
            std::copy(p, p + 3, rgb.data() + (static_cast<size_t>(y) * width + x) * 3);
        }
    }
    pixels.swap(rgb);
#else
    std::vector<unsigned char> pixels(static_cast<size_t>(view[2]) * view[3] * 3);

    GLint packAlignment = 4, unpackAlignment = 4, readBuffer = GL_BACK;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // The back buffer, before the swap: the front buffer reads back empty
    // after a swap on Mesa under X.
    glReadBuffer(GL_BACK);
    glReadPixels(view[0], view[1], view[2], view[3], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    if (view[2] != width || view[3] != height) {
        std::vector<unsigned char> scaled(static_cast<size_t>(width) * height * 3);
        gluScaleImage(GL_RGB, view[2], view[3], GL_UNSIGNED_BYTE, pixels.data(), width, height,
                      GL_UNSIGNED_BYTE, scaled.data());
        pixels.swap(scaled);
    }
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glPixelStorei(GL_PACK_ALIGNMENT, packAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
#endif

    // GL rows start at the bottom; PNG rows at the top.
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height / 2; y++) {
        unsigned char* a = pixels.data() + static_cast<size_t>(y) * rowBytes;
        unsigned char* b = pixels.data() + static_cast<size_t>(height - 1 - y) * rowBytes;
        std::swap_ranges(a, a + rowBytes, b);
    }
    writePngFile(pendingShot.fileName.c_str(), width, height, pixels.data());
}

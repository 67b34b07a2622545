// JPEG loader path: libjpeg's decoding into a JpegImage and the expansion to
// RGB rows that the texture upload reads. The game's error manager ends the
// program; here an error jumps back instead, so one run covers many inputs.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "graphics/image.h"

namespace {

struct JumpingErrors {
    jpeg_error_mgr base;
    jmp_buf back;
};

void jumpBack(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JumpingErrors*>(cinfo->err)->back, 1);
}

void stayQuiet(j_common_ptr) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    jpeg_decompress_struct cinfo;
    JumpingErrors errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    errors.base.output_message = stayQuiet;
    // Declared before setjmp, so that its destructor releases whatever
    // pixels it holds on both ways out; like cinfo, it is only reached
    // through its address, which the jump leaves intact (libjpeg's own
    // example uses the same pattern).
    JpegImage image;
    jpeg_create_decompress(&cinfo);
    if (setjmp(errors.back) == 0) {
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
        decodeJpegInto(cinfo, image);
        if (image.width < 1 || image.height < 1 || image.width > maxPictureSide ||
            image.height > maxPictureSide)
            std::abort();
        if (image.rowBytes != image.width * 3) {
            const std::vector<unsigned char> rgb = jpegToRgb(image);
            if (rgb.size() != static_cast<size_t>(image.width) * image.height * 3)
                std::abort();
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

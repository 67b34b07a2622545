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

// Pictures of more than a million pixels are left out, as libjpeg-turbo's own
// fuzzers do: a few hundred bytes can announce 4096 x 4096, whose decoding
// takes long enough to slow a million runs down to days, and the fuzzer
// drifts towards them. The size bound itself is checked by the unit tests.
bool announcesHugePicture(const uint8_t* data, size_t size)
{
    jpeg_decompress_struct probe;
    JumpingErrors errors;
    probe.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    errors.base.output_message = stayQuiet;
    jpeg_create_decompress(&probe);
    bool huge = false;
    if (setjmp(errors.back) == 0) {
        jpeg_mem_src(&probe, data, static_cast<unsigned long>(size));
        jpeg_read_header(&probe, TRUE);
        huge = static_cast<unsigned long long>(probe.image_width) * probe.image_height > 1000000ULL;
    }
    jpeg_destroy_decompress(&probe);
    return huge;
}

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
        if (announcesHugePicture(data, size))
            longjmp(errors.back, 1);
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

// BMP reader: any file either decodes to a picture within the size bound,
// which then turns into RGBA as the texture loader does, or gives a code.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzzFiles.h"
#include "graphics/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InScratchFolder scratch;
    writeScratchFile("input.bmp", data, size);
    BmpImage image;
    const char code = loadBmp("input.bmp", image);
    if (code != 0) {
        if (image.pixels != nullptr || (code != 'u' && code != 'b' && code != 'f'))
            std::abort();
        return 0;
    }
    if (image.pixels == nullptr || image.width < 1 || image.height < 1 ||
        image.width > maxPictureSide || image.height > maxPictureSide)
        std::abort();
    std::vector<unsigned char> rgba(static_cast<size_t>(image.width) * image.height * 4);
    bmpToRgba(image, bmpKeyColour("input.bmp"), rgba.data());
    return 0;
}

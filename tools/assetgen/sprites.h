// Writing animations: frame pictures plus the sprite info file that lists them.
#pragma once

#include "canvas.h"

#include <string>
#include <vector>

struct Frame {
    Canvas picture;
    int durationMs;
};

// Writes folder/<stem><i>.bmp for every frame and folder/<infoFile> listing
// them: "FILES: N", a comment line, then one line per frame with the display
// time and three unused zeros.
void writeAnimation(const std::string& folder, const std::string& infoFile, const std::string& stem,
                    const std::vector<Frame>& frames);

// Every non-key pixel moved towards colour by t (0..1).
Canvas tinted(const Canvas& c, Rgb colour, double t);

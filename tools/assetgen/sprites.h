// Writing animations: frame pictures plus the sprite info file that lists them.
#pragma once

#include "canvas.h"

#include <map>
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

// Draws a small picture written as text: each character names a colour of
// the legend, any other character leaves the pixel alone. The rows are drawn
// from (x, y) down; mirrored draws each row right to left.
void stamp(Canvas& c, int x, int y, const std::vector<std::string>& rows, const std::map<char, Rgb>& legend,
           bool mirrored = false);

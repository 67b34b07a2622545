// The game's application icon for desktop menus and the web page's home
// screen icon.
#pragma once

#include <string>

// Writes FOLDER/NxN/kelvantis.png (RGBA, transparent outside the badge) for
// each size in iconSizes. Called once by the generator's main when it is
// given an icon folder.
void writeIcons(const std::string& folder);

// The square sizes written, in pixels: the desktop menus' (32 to 256) and the
// web app manifest's (192 and 512).
constexpr int iconSizes[] = {32, 48, 64, 128, 192, 256, 512};

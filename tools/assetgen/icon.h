// The game's application icon for desktop menus.
#pragma once

#include <string>

// Writes FOLDER/NxN/kelvantis.png (RGBA, transparent outside the badge) for
// each size in iconSizes. Called once by the generator's main when it is
// given an icon folder.
void writeIcons(const std::string& folder);

// The square sizes written, in pixels.
constexpr int iconSizes[] = {32, 48, 64, 128, 256};

// Fake of the tile drawing's colour call; the tests read what was set.
#pragma once

#include <vector>

struct FakeColour {
    float r, g, b, a;
};

extern std::vector<FakeColour> fakeTileColours; // setTileColour calls, in order

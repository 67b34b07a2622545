// The level's tile pictures: each tile number has a base picture and an
// accent picture (light added over the scene as it darkens).
#pragma once

#include "canvas.h"

#include <string>
#include <vector>

struct TilePicture {
    int number;        // as the map names it, 1 to 99
    std::string name;  // picture file name under gfx/tiles/ and gfx/tiles/accent/
    Canvas base{32, 32};
    Canvas accent{32, 32};  // key green where nothing glows
};

// Every tile the level may use, in tile-number order.
std::vector<TilePicture> drawTiles();

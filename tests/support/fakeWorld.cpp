// World platform function replaced for the unit tests: colours are recorded.
#include "support/fakeWorld.h"

#include "world/map.h"

std::vector<FakeColour> fakeTileColours;

void setTileColour(float r, float g, float b, float a)
{
    fakeTileColours.push_back({r, g, b, a});
}

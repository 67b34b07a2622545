// Fakes of the actors' OpenGL drawing; the tests read what would have been drawn.
#pragma once

#include <vector>

struct FakeDot {
    float x, y, red, life;
};
struct FakeOutline {
    int x, y, width, height;
};

extern std::vector<FakeDot> fakeDots;         // drawParticleDot calls, in order
extern std::vector<FakeOutline> fakeOutlines; // drawHitBoxOutline calls, in order

void resetFakeActors();

// The actors' OpenGL drawing replaced for the unit tests: calls are recorded.
#include "support/fakeActors.h"

#include "actors/bullets.h"
#include "actors/combat.h"

std::vector<FakeDot> fakeDots;
std::vector<FakeOutline> fakeOutlines;

void resetFakeActors()
{
    fakeDots.clear();
    fakeOutlines.clear();
}

void drawParticleDot(float x, float y, float red, float life)
{
    fakeDots.push_back(FakeDot{x, y, red, life});
}

void drawHitBoxOutline(int x, int y, int width, int height)
{
    fakeOutlines.push_back(FakeOutline{x, y, width, height});
}

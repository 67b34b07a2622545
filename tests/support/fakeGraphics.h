// Fakes of the graphics platform functions that logic calls; state the tests can set and read.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::string> fakeBmpLoads; // names passed to loadBmpTexture, in order
extern int fakeBmpWidth;                        // size reported for every loaded BMP
extern int fakeBmpHeight;
extern int fakeDrawCalls;                       // drawTexture/Rotated/Blended calls

// Clears the records and restores the default 32x32 size.
void resetFakeGraphics();

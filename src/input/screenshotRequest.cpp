// F2's link to the screenshot writer. The writer is not in the game yet, so a
// request is not acted on; the writer takes over both functions when it lands.
#include "input/input.h"

void requestScreenshot() {}
void captureRequestedScreenshot() {}

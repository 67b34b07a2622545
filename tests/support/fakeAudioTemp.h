// TEMPORARY recording fakes of the sound-layer calls the menus and the
// shutdown make, until the sound layer and its own fakes are in the tree.
#pragma once

// Gives musicStream and the three samples recognisable fake handles (logged as
// "stream", "sample0".."sample2") and sets musicChannel to channel.
void resetFakeAudio(int channel = 0);

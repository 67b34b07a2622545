// The shared pictures' pointers; the shell loads them.
#include "graphics/sharedTextures.h"

Texture* bgTexture = nullptr;
Texture* storyMapTexture = nullptr;
Texture* emblemTexture = nullptr;
Texture* timeBonusTexture = nullptr;
Texture* gameOverTexture = nullptr;
Texture* pixelTexture = nullptr;

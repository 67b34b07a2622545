// GL state the browser's GL cannot be asked for; answered from emscripten's
// GL emulation by web/glState.js. Browser build only.
#pragma once

extern "C" {
// Writes the current colour (r, g, b, a), as glGetFloatv(GL_CURRENT_COLOR) would.
void kvGlCurrentColour(float* colour);
// 1 when GL_TEXTURE_2D is enabled on texture unit 0, as glIsEnabled would say.
int kvGlTexturing();
}

// GL state the draw batches read when they start, answered in the browser
// build by web/glState.js: WebGL cannot be asked for some of it and is slow
// to answer the rest. Browser build only.
#pragma once

extern "C" {
// Writes the current colour (r, g, b, a), as glGetFloatv(GL_CURRENT_COLOR) would.
void kvGlCurrentColour(float* colour);
// 1 when GL_TEXTURE_2D is enabled on texture unit 0, as glIsEnabled would say.
int kvGlTexturing();
// Starts following the GL context's state; called once the window exists,
// before anything is drawn.
void kvGlWatchState();
// Writes the texture bound to GL_TEXTURE_2D, blending on (1) or off (0), the
// blend source and destination factors, and the line width.
void kvGlDrawState(int* state, float* lineWidth);
}

// The bitmap font: 256 glyph display lists made from "gfx/fonts/glFont.bmp".
#pragma once

extern unsigned int fontTexture; // texture of the font picture
extern unsigned int fontBase;    // first of the 256 glyph lists

// Loads the font picture; 1 on success, 0 on failure. Called by initWindow.
int loadFont();
// Makes the 256 glyph lists. Called by initWindow after loadFont succeeded.
void buildFont();
// Deletes the glyph lists. Called by cleanup.
void deleteFont();
// Prints formatted text in the current colour; set 0 big, set 1 small.
void printText(int x, int y, int set, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Prints formatted text in colour (r, g, b) at the given scale; leaves opaque white.
int printTextColor(int x, int y, int set, float r, float g, float b, float scaleX, float scaleY,
                   const char* format, ...) __attribute__((format(printf, 9, 10)));

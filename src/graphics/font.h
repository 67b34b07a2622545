// The bitmap font: 256 glyph display lists made from "gfx/fonts/glFont.bmp".
#pragma once

extern unsigned int fontTexture; // texture of the font picture; set by loadFont
extern unsigned int fontBase;    // first of the 256 glyph lists; set by buildFont, 0 when none

// Loads the font picture; 1 on success, 0 on failure. Called by initWindow.
int loadFont();
// Makes the 256 glyph lists. Called by initWindow after loadFont succeeded.
void buildFont();
// Deletes the glyph lists. Called by cleanup.
void deleteFont();
// Prints formatted text (at most 255 characters) with its top-left corner at
// (x, y) in the current colour; set 0 big (24x32 glyphs, 22.5 apart), set 1
// small (12.8x16, 12 apart), sets above 1 count as 1. Codes outside the set
// draw nothing. Leaves texturing off. Called by the screens and readouts.
void printText(int x, int y, int set, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Prints formatted text in colour (r, g, b), glyphs 16 * scale in size and
// 15 * scaleX apart; leaves the colour opaque white. Returns 0.
int printTextColor(int x, int y, int set, float r, float g, float b, float scaleX, float scaleY,
                   const char* format, ...) __attribute__((format(printf, 9, 10)));

// Glyph rendering through FreeType: the game's bitmap font and the lettering
// of the generated pictures.
#pragma once

#include "canvas.h"

#include <string>

// Path of a DejaVu font file that fonts-dejavu-core installs.
std::string fontFile(const char* name);

// Draws text with its baseline at y, starting at x, glyphs sizeW by sizeH
// pixels per em. With smooth false every pixel is either drawn or left alone
// (pictures with a colour key must not get half-green edges).
// Returns the pen position after the last glyph.
int drawText(Canvas& c, const std::string& font, const std::string& text, int x, int y, int sizeW, int sizeH,
             Rgb colour, bool smooth);
// Width in pixels the same call would advance.
int textWidth(const std::string& font, const std::string& text, int sizeW, int sizeH);

// Writes gfx/fonts/glFont.bmp: two sets of 128 glyphs, codes 32 to 159, on a
// 16 by 16 grid of 16-pixel cells, white on black.
void writeFontPicture();

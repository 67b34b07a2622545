#include "text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include <ft2build.h>
#include FT_FREETYPE_H

#ifndef KV_FONT_DIR
#define KV_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

std::string fontFile(const char* name)
{
    return std::string(KV_FONT_DIR) + "/" + name;
}

namespace {

FT_Library library()
{
    static FT_Library lib = nullptr;
    if (!lib && FT_Init_FreeType(&lib) != 0) {
        std::fprintf(stderr, "kvassetgen: FreeType failed to start\n");
        std::exit(1);
    }
    return lib;
}

FT_Face face(const std::string& path)
{
    static std::map<std::string, FT_Face> faces;
    auto it = faces.find(path);
    if (it != faces.end())
        return it->second;
    FT_Face f = nullptr;
    if (FT_New_Face(library(), path.c_str(), 0, &f) != 0) {
        std::fprintf(stderr, "kvassetgen: cannot open font %s\n", path.c_str());
        std::exit(1);
    }
    faces[path] = f;
    return f;
}

// Renders one character as an 8-bit coverage bitmap; the glyph slot is
// valid until the next call on the same face.
FT_GlyphSlot renderChar(const std::string& font, unsigned code, int sizeW, int sizeH)
{
    FT_Face f = face(font);
    FT_Set_Pixel_Sizes(f, static_cast<FT_UInt>(sizeW), static_cast<FT_UInt>(sizeH));
    if (FT_Load_Char(f, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
        std::fprintf(stderr, "kvassetgen: no glyph for code %u in %s\n", code, font.c_str());
        std::exit(1);
    }
    return f->glyph;
}

}  // namespace

int drawText(Canvas& c, const std::string& font, const std::string& text, int x, int y, int sizeW, int sizeH,
             Rgb colour, bool smooth)
{
    int pen = x;
    for (unsigned char ch : text) {
        FT_GlyphSlot g = renderChar(font, ch, sizeW, sizeH);
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned col = 0; col < bm.width; ++col) {
                int cover = bm.buffer[r * bm.pitch + col];
                int px = pen + g->bitmap_left + static_cast<int>(col);
                int py = y - g->bitmap_top + static_cast<int>(r);
                if (smooth)
                    c.blend(px, py, colour, cover / 255.0);
                else if (cover >= 128)
                    c.set(px, py, colour);
            }
        pen += static_cast<int>(g->advance.x >> 6);
    }
    return pen;
}

int textWidth(const std::string& font, const std::string& text, int sizeW, int sizeH)
{
    int pen = 0;
    for (unsigned char ch : text)
        pen += static_cast<int>(renderChar(font, ch, sizeW, sizeH)->advance.x >> 6);
    return pen;
}

// One glyph cell. The glyph keeps a one-pixel black margin inside its cell:
// the font is magnified with linear filtering, and ink on a cell's border
// would bleed into the neighbouring glyph.
static void drawGlyphCell(Canvas& c, int cellX, int cellY, const std::string& font, unsigned code, int sizeW,
                          int sizeH, int baseline)
{
    FT_GlyphSlot g = renderChar(font, code, sizeW, sizeH);
    int inkWidth = static_cast<int>(g->bitmap.width);
    if (inkWidth > 14) {
        // Too wide for the cell (W, M, @ in the bold face): squeeze it.
        g = renderChar(font, code, sizeW * 14 / inkWidth, sizeH);
        inkWidth = static_cast<int>(g->bitmap.width);
    }
    const FT_Bitmap& bm = g->bitmap;
    int left = (16 - inkWidth) / 2;
    // Lift glyphs that would hang below the last inner row (the underscore)
    // as far as the top margin allows.
    int top = baseline - g->bitmap_top;
    int overhang = top + static_cast<int>(bm.rows) - 1 - 14;
    if (overhang > 0)
        top -= std::min(overhang, top - 1);
    for (unsigned r = 0; r < bm.rows; ++r)
        for (unsigned col = 0; col < bm.width; ++col) {
            int cover = bm.buffer[r * bm.pitch + col];
            int x = left + static_cast<int>(col);
            int y = top + static_cast<int>(r);
            if (x < 1 || x > 14 || y < 1 || y > 14)
                continue;
            // Two levels of grey only: full white for the body of a stroke,
            // a mid grey for its soft edge. Everything fainter stays black,
            // the font's transparent key.
            if (cover >= 128)
                c.set(cellX + x, cellY + y, Rgb{255, 255, 255});
            else if (cover >= 64)
                c.set(cellX + x, cellY + y, Rgb{150, 150, 150});
        }
}

void writeFontPicture()
{
    Canvas c(256, 256, black);
    // Set 0 is shown 1.5 times wide and twice as high: a bold face drawn a
    // little wider than tall comes out with natural proportions on screen.
    // Set 1 is shown at 0.8 times the width: the regular face, drawn wider
    // than usual, keeps letters such as m and w open at that squeeze (a
    // monospaced face clogged them).
    struct SetStyle {
        const char* file;
        int sizeW, sizeH, baseline;
    };
    const SetStyle sets[2] = {{"DejaVuSans-Bold.ttf", 19, 14, 12}, {"DejaVuSans.ttf", 18, 14, 12}};
    for (int set = 0; set < 2; ++set) {
        std::string font = fontFile(sets[set].file);
        // Codes 32 to 126 are drawn; 127 to 159 stay blank.
        for (unsigned code = 33; code <= 126; ++code) {
            int glyph = static_cast<int>(code) - 32 + 128 * set;
            drawGlyphCell(c, (glyph % 16) * 16, (glyph / 16) * 16, font, code, sets[set].sizeW, sets[set].sizeH,
                          sets[set].baseline);
        }
    }
    writeBmp(outPath("gfx/fonts/glFont.bmp"), c);
}

// The game's palette: every sprite, tile and small picture is drawn with
// these colours only (the large JPEG pictures blend between them). Ramps run
// from dark to light; the names say what each is for.
#pragma once

#include "canvas.h"

#include <vector>

namespace pal {

// Night, shadow and the outline of every sprite.
constexpr Rgb ink{14, 10, 24};
constexpr Rgb night{28, 22, 52};
constexpr Rgb dusk{56, 40, 86};
constexpr Rgb violet{96, 70, 120};
// Sand and sandstone, warm.
constexpr Rgb umber{66, 40, 34};
constexpr Rgb clay{110, 66, 44};
constexpr Rgb ochre{160, 104, 60};
constexpr Rgb sand{206, 152, 90};
constexpr Rgb dune{234, 196, 128};
constexpr Rgb bone{250, 232, 184};
// Temple stone in shade, cool.
constexpr Rgb slate0{48, 42, 62};
constexpr Rgb slate1{80, 72, 94};
constexpr Rgb slate2{122, 112, 128};
// The robots' steel.
constexpr Rgb steel0{38, 44, 60};
constexpr Rgb steel1{74, 86, 108};
constexpr Rgb steel2{126, 140, 162};
constexpr Rgb steel3{188, 198, 214};
// The Evil Force's red.
constexpr Rgb blood{110, 14, 36};
constexpr Rgb red{206, 34, 56};
constexpr Rgb rose{255, 110, 128};
// Gold and bronze.
constexpr Rgb bronze{142, 90, 30};
constexpr Rgb gold{222, 164, 52};
constexpr Rgb butter{255, 226, 128};
// Skin.
constexpr Rgb skinDark{150, 92, 62};
constexpr Rgb skin{212, 146, 104};
constexpr Rgb skinLight{240, 192, 150};
// Mirrin Skell's teal and copper.
constexpr Rgb teal0{18, 72, 86};
constexpr Rgb teal1{34, 128, 140};
constexpr Rgb teal2{96, 198, 192};
constexpr Rgb copper{184, 78, 40};
// Gant Rellik's royal blue.
constexpr Rgb navy{26, 40, 96};
constexpr Rgb blue{50, 84, 168};
constexpr Rgb sky{110, 150, 220};
// The portal's light: the secret light of the accent layer.
constexpr Rgb glow0{16, 84, 132};
constexpr Rgb glow1{40, 178, 228};
constexpr Rgb glow2{160, 240, 255};
constexpr Rgb white{255, 255, 255};
// Fire.
constexpr Rgb ember{196, 58, 20};
constexpr Rgb flame{255, 138, 30};
constexpr Rgb spark{255, 220, 110};
// Oasis green.
constexpr Rgb moss{40, 92, 54};
constexpr Rgb leaf{82, 150, 70};

// All of the above, for snapping mixed colours back onto the palette.
const std::vector<Rgb>& all();

}  // namespace pal

// The palette colour nearest to c (never the key green).
Rgb snap(Rgb c);
// Every non-key pixel mixed towards colour by t and snapped to the palette:
// the hit flashes and fades of the sprites.
Canvas flashed(const Canvas& c, Rgb colour, double t);
// Every non-key pixel replaced by a colour of ramp (dark to light) chosen by
// its brightness: a red or fiery flash that keeps the picture's shading.
Canvas rampFlash(const Canvas& c, const std::vector<Rgb>& ramp);
// A one-pixel outline in colour around every shape on the key-green canvas
// (key pixels that touch a drawn pixel on a side).
void outline(Canvas& c, Rgb colour);

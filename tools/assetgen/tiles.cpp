// The tile pictures: sandstone, sand and earth under a night sky, the great
// sphinx and the portal at the end. Every base picture has an accent
// picture of the same name: the light that shows as the scene darkens while
// the second character is in play (glowing seams, glyphs, lamps and the
// portal's cyan fire). Key green in an accent adds nothing.
#include "tiles.h"

#include "assetgen.h"
#include "detMath.h"
#include "palette.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

bool isKey(Rgb c)
{
    return c.r == keyGreen.r && c.g == keyGreen.g && c.b == keyGreen.b;
}

// Darkens or lightens drawn pixels at random by one palette step along a
// ramp, so flat colours read as stone or sand.
void grain(Canvas& c, uint32_t seed, const std::vector<Rgb>& ramp, double amount)
{
    Rng rng(seed);
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            double roll = rng.unit();
            if (isKey(p) || roll > amount)
                continue;
            for (size_t i = 0; i < ramp.size(); ++i)
                if (ramp[i].r == p.r && ramp[i].g == p.g && ramp[i].b == p.b) {
                    size_t j = roll < amount / 2 ? (i > 0 ? i - 1 : i) : std::min(ramp.size() - 1, i + 1);
                    c.set(x, y, ramp[j]);
                    break;
                }
        }
}

const std::vector<Rgb> sandRamp{pal::umber, pal::clay, pal::ochre, pal::sand, pal::dune, pal::bone};

// Earth below the surface: bands of packed sand and clay with pebbles.
void earth(Canvas& c, int top, uint32_t seed)
{
    for (int y = top; y < 32; ++y) {
        int band = (y + static_cast<int>(2 * detSin(y * 0.7))) / 6;
        c.fillRect(0, y, 32, 1, band % 2 ? pal::ochre : pal::clay);
    }
    Rng rng(seed);
    for (int i = 0; i < 6; ++i) {
        int x = rng.range(1, 29), y = rng.range(top + 2, 29);
        c.fillRect(x, y, 2, 1, pal::sand);
        c.fillRect(x, y + 1, 2, 1, pal::umber);
    }
    grain(c, seed + 1, sandRamp, 0.12);
}

// The back wall of the temple: dark sandstone courses behind everything.
void backWall(Canvas& c, uint32_t seed)
{
    c.fillRect(0, 0, 32, 32, pal::clay);
    for (int course = 0; course < 2; ++course) {
        int y = course * 16;
        c.fillRect(0, y + 15, 32, 1, pal::umber);
        int joint = course ? 4 : 20;
        c.fillRect(joint, y, 1, 15, pal::umber);
    }
    grain(c, seed, {pal::umber, pal::clay, pal::ochre}, 0.1);
}

TilePicture sandTop()
{
    TilePicture t{1, "sand"};
    earth(t.base, 9, 0x5A1D);
    for (int x = 0; x < 32; ++x) {
        int lip = static_cast<int>(std::lround(1.2 + 1.2 * detSin(x * detPi / 8)));
        t.base.fillRect(x, 0, 1, 9, pal::sand);
        t.base.fillRect(x, 0, 1, 1 + (lip > 1), pal::bone);
        t.base.fillRect(x, 2 + lip, 1, 1, pal::dune);
        t.base.set(x, 8, pal::ochre);
        if ((x + 3) % 8 < 3)
            t.base.set(x, 5 + (x % 8 == 0), pal::ochre);  // wind ripples
    }
    grain(t.base, 0x5A1E, sandRamp, 0.06);
    // Accent: the walkable edge traced in the portal's light, and a shard
    // of it buried in the earth.
    for (int x = 0; x < 32; ++x)
        t.accent.set(x, 0, x % 2 ? pal::glow0 : pal::glow1);
    t.accent.fillRect(21, 19, 2, 2, pal::glow1);
    t.accent.set(22, 19, pal::glow2);
    return t;
}

TilePicture earthFill()
{
    TilePicture t{2, "earth"};
    earth(t.base, 0, 0xEA27);
    t.accent.set(7, 12, pal::glow1);
    t.accent.set(25, 26, pal::glow0);
    return t;
}

TilePicture brick()
{
    TilePicture t{3, "brick"};
    t.base.fillRect(0, 0, 32, 32, pal::sand);
    for (int course = 0; course < 2; ++course) {
        int y = course * 16;
        int joint = course ? 8 : 24;
        t.base.fillRect(0, y, 32, 1, pal::dune);        // lit top of each block
        t.base.fillRect(0, y + 14, 32, 1, pal::ochre);  // shaded bottom
        t.base.fillRect(0, y + 15, 32, 1, pal::clay);   // mortar
        t.base.fillRect(joint, y, 1, 15, pal::clay);
        t.base.fillRect(joint + 1, y + 1, 1, 13, pal::dune);
        t.base.fillRect(joint - 1, y + 1, 1, 13, pal::ochre);
        // Accent: the seams glow, brightest where they meet.
        t.accent.fillRect(0, y + 15, 32, 1, pal::glow0);
        t.accent.fillRect(joint, y, 1, 15, pal::glow0);
        t.accent.set(joint, y + 15, pal::glow2);
        t.accent.set(joint - 1, y + 15, pal::glow1);
        t.accent.set(joint + 1, y + 15, pal::glow1);
    }
    grain(t.base, 0xB41C, sandRamp, 0.14);
    return t;
}

TilePicture ledge()
{
    TilePicture t{4, "ledge"};
    t.base.fillRect(0, 0, 32, 32, pal::sand);
    t.base.fillRect(0, 0, 32, 2, pal::bone);
    t.base.fillRect(0, 2, 32, 2, pal::dune);
    t.base.fillRect(0, 26, 32, 4, pal::ochre);
    t.base.fillRect(0, 30, 32, 2, pal::clay);
    t.base.fillRect(0, 8, 32, 1, pal::ochre);
    t.base.fillRect(0, 21, 32, 1, pal::ochre);
    for (int x : {8, 24}) {
        t.base.fillCircle(x, 15, 4.5, pal::ochre);
        t.base.fillCircle(x, 15, 3.2, pal::gold);
        t.base.fillCircle(x, 15, 1.4, pal::bronze);
        t.accent.ring(x, 15, 2.2, 4, pal::gold);
        t.accent.fillCircle(x, 15, 1.2, pal::butter);
    }
    grain(t.base, 0x1ED6, sandRamp, 0.08);
    for (int x = 0; x < 32; ++x)
        t.accent.set(x, 0, x % 2 ? pal::glow0 : pal::glow1);
    return t;
}

// A fluted column, as wide as its cell so that what stops the player is
// what the player sees.
void shaft(Canvas& c, int top)
{
    const Rgb flutes[8] = {pal::ochre, pal::sand, pal::dune, pal::bone, pal::dune, pal::sand, pal::sand, pal::ochre};
    for (int x = 2; x < 30; ++x)
        c.fillRect(x, top, 1, 32 - top, flutes[(x - 2) * 8 / 28]);
    for (int x : {6, 12, 19, 25})
        c.fillRect(x, top, 1, 32 - top, pal::ochre);
    c.fillRect(1, top, 1, 32 - top, pal::clay);
    c.fillRect(30, top, 1, 32 - top, pal::clay);
}

TilePicture column()
{
    TilePicture t{5, "column"};
    shaft(t.base, 0);
    grain(t.base, 0xC011, sandRamp, 0.06);
    t.accent.fillRect(12, 0, 1, 32, pal::gold);
    t.accent.fillRect(19, 0, 1, 32, pal::gold);
    t.accent.fillRect(12, 14, 1, 4, pal::butter);
    return t;
}

// The top of a column: an open papyrus flower painted in teal and gold.
TilePicture capital()
{
    TilePicture t{6, "capital"};
    shaft(t.base, 22);
    t.base.polygon({0, 0, 32, 0, 32, 6, 27, 22, 5, 22, 0, 6}, pal::sand);
    t.base.fillRect(0, 0, 32, 2, pal::bone);
    t.base.fillRect(0, 2, 32, 3, pal::teal1);
    t.base.fillRect(0, 5, 32, 1, pal::gold);
    for (int x = 3; x < 32; x += 6) {
        t.base.line(x, 6, 16 + (x - 16) * 0.45, 21, 2, pal::teal0);
        t.accent.line(x, 6, 16 + (x - 16) * 0.45, 21, 1, pal::glow1);
    }
    t.base.fillRect(5, 19, 22, 3, pal::gold);
    t.base.fillRect(5, 21, 22, 1, pal::bronze);
    t.accent.fillRect(0, 5, 32, 1, pal::butter);
    t.accent.fillRect(5, 19, 22, 1, pal::gold);
    return t;
}

// The sphinx's weathered limestone, in two variants so the body does not
// repeat too plainly; the cracks of the second one leak the portal's light.
TilePicture sphinxStone(int number, const char* name, bool cracked)
{
    TilePicture t{number, name};
    t.base.fillRect(0, 0, 32, 32, pal::dune);
    t.base.fillRect(0, 31, 32, 1, pal::ochre);
    t.base.fillRect(31, 0, 1, 32, pal::ochre);
    t.base.fillRect(0, 0, 32, 1, pal::bone);
    t.base.fillRect(0, 0, 1, 31, pal::bone);
    grain(t.base, cracked ? 0x5F1 : 0x5F2, sandRamp, 0.18);
    if (cracked) {
        const double crack[] = {4, 3, 9, 10, 8, 16, 14, 22, 13, 28};
        for (int i = 0; i + 3 < 10; i += 2) {
            t.base.line(crack[i], crack[i + 1], crack[i + 2], crack[i + 3], 1.2, pal::clay);
            t.accent.line(crack[i], crack[i + 1], crack[i + 2], crack[i + 3], 1.2, pal::glow1);
        }
        t.base.line(14, 22, 22, 24, 1, pal::clay);
        t.accent.line(14, 22, 22, 24, 1, pal::glow0);
    } else {
        t.base.line(20, 6, 26, 9, 1, pal::sand);
        t.base.line(6, 20, 9, 26, 1, pal::sand);
    }
    return t;
}

// The front of a paw: the upper cell rounded over, the lower with its toes.
TilePicture pawFront(int number, const char* name, bool toes)
{
    TilePicture t{number, name};
    if (toes) {
        t.base.fillRect(0, 0, 32, 32, pal::dune);
        for (int y : {8, 16, 24})
            t.base.line(0, y, 10, y - 1, 1.4, pal::ochre);
        t.base.fillRect(0, 31, 32, 1, pal::ochre);
        t.base.fillRect(0, 0, 1, 32, pal::bone);
        t.accent.set(2, 8, pal::glow1);
        t.accent.set(2, 16, pal::glow1);
        t.accent.set(2, 24, pal::glow1);
    } else {
        t.base.fillCircle(32, 32, 30.5, pal::dune);
        t.base.fillRect(12, 20, 20, 12, pal::dune);
        t.base.ring(32, 32, 28.5, 30.5, pal::bone);
    }
    grain(t.base, toes ? 0x9A1 : 0x9A2, sandRamp, 0.12);
    return t;
}

TilePicture templeFloor()
{
    TilePicture t{9, "floor"};
    t.base.fillRect(0, 0, 32, 32, pal::slate1);
    t.base.fillRect(0, 0, 32, 2, pal::slate2);
    t.base.fillRect(0, 5, 32, 2, pal::gold);
    t.base.fillRect(0, 7, 32, 1, pal::bronze);
    t.base.fillRect(15, 8, 1, 24, pal::slate0);
    t.base.fillRect(0, 31, 32, 1, pal::slate0);
    grain(t.base, 0xF100, {pal::slate0, pal::slate1, pal::slate2}, 0.1);
    t.accent.fillRect(0, 5, 32, 1, pal::butter);
    t.accent.fillRect(0, 6, 32, 1, pal::gold);
    for (int x = 0; x < 32; ++x)
        t.accent.set(x, 0, x % 2 ? pal::glow0 : pal::glow1);
    return t;
}

TilePicture wall()
{
    TilePicture t{10, "wall"};
    backWall(t.base, 0xBA11);
    return t;
}

// A flame of the given height with its base at (cx, baseY).
void flame(Canvas& c, double cx, double baseY, double h)
{
    c.fillEllipse(cx, baseY - h * 0.45, h * 0.32, h * 0.5, pal::ember);
    c.fillEllipse(cx, baseY - h * 0.38, h * 0.22, h * 0.36, pal::flame);
    c.fillEllipse(cx, baseY - h * 0.3, h * 0.12, h * 0.2, pal::spark);
    c.polygon({cx - 1.5, baseY - h * 0.8, cx, baseY - h * 1.05, cx + 1.5, baseY - h * 0.8}, pal::flame);
}

// Warm light around a flame, dithered so it reads as a glow.
void halo(Canvas& accent, double cx, double cy, double r)
{
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            double d = detHypot(x + 0.5 - cx, y + 0.5 - cy);
            if (d < r * 0.35)
                accent.set(x, y, pal::spark);
            else if (d < r * 0.6)
                accent.set(x, y, pal::flame);
            else if (d < r && (x + y) % 2 == 0)
                accent.set(x, y, pal::ember);
        }
}

TilePicture wallTorch()
{
    TilePicture t{11, "torch"};
    backWall(t.base, 0x7012);
    t.base.fillRect(13, 18, 6, 3, pal::bronze);
    t.base.fillRect(14, 21, 4, 8, pal::umber);
    t.base.fillRect(12, 17, 8, 1, pal::gold);
    flame(t.base, 16, 17, 12);
    halo(t.accent, 16, 11, 14);
    return t;
}

TilePicture brazier()
{
    TilePicture t{12, "brazier"};
    t.base.line(10, 31, 15, 20, 2, pal::bronze);
    t.base.line(22, 31, 17, 20, 2, pal::bronze);
    t.base.line(16, 31, 16, 20, 2, pal::umber);
    t.base.polygon({7, 15, 25, 15, 22, 21, 10, 21}, pal::bronze);
    t.base.fillRect(7, 15, 18, 1, pal::gold);
    flame(t.base, 16, 16, 14);
    outline(t.base, pal::ink);
    halo(t.accent, 16, 10, 15);
    return t;
}

// Carved panels on the back wall; their strokes are the brightest part of
// the accent layer, the temple's own glyphs awakening in the dark.
TilePicture glyphs(int number, const char* name, int design)
{
    TilePicture t{number, name};
    backWall(t.base, 0x6170 + design);
    t.base.fillRect(0, 3, 32, 26, pal::clay);
    t.base.fillRect(0, 1, 32, 1, pal::ochre);  // the registers above and below run on into the next panel
    t.base.fillRect(0, 2, 32, 1, pal::umber);
    t.base.fillRect(0, 29, 32, 1, pal::umber);
    t.base.fillRect(0, 30, 32, 1, pal::ochre);
    std::function<void(Canvas&, Rgb)> carve;
    if (design == 0) {
        carve = [](Canvas& c, Rgb ink) {  // an ankh and the eye
            c.ring(10, 9, 2, 3.6, ink);
            c.fillRect(9, 12, 2, 13, ink);
            c.fillRect(6, 15, 8, 2, ink);
            c.fillEllipse(22, 12, 5, 2.6, ink);
            c.fillCircle(22, 12, 1.2, keyGreen);
            c.line(19, 15, 18, 21, 1.2, ink);
            c.line(22, 15, 26, 20, 1.2, ink);
        };
    } else if (design == 1) {
        carve = [](Canvas& c, Rgb ink) {  // an ibis and a reed
            c.fillEllipse(11, 15, 4, 3, ink);
            c.line(8, 13, 5, 8, 1.4, ink);
            c.line(5, 8, 3, 12, 1.2, ink);
            c.line(11, 18, 11, 24, 1.2, ink);
            c.line(13, 18, 14, 24, 1.2, ink);
            c.line(22, 24, 22, 6, 1.4, ink);
            c.fillEllipse(23, 8, 2, 3, ink);
            c.line(18, 26, 28, 26, 1.2, ink);
        };
    } else {
        carve = [](Canvas& c, Rgb ink) {  // the winged sun over the water
            c.fillCircle(16, 10, 3.5, ink);
            c.line(5, 9, 12, 11, 1.6, ink);
            c.line(20, 11, 27, 9, 1.6, ink);
            c.line(5, 11, 11, 13, 1, ink);
            c.line(21, 13, 27, 11, 1, ink);
            for (int x = 5; x < 28; ++x) {
                c.set(x, 20 + static_cast<int>(std::lround(1.4 * detSin(x * 0.9))), ink);
                c.set(x, 25 + static_cast<int>(std::lround(1.4 * detSin(x * 0.9 + 1))), ink);
            }
        };
    }
    Canvas carved = t.base;
    carve(carved, pal::umber);
    // A lit lower edge on every carved stroke makes it read as cut in.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (carved.get(x, y).r == pal::umber.r && t.base.get(x, y).r != pal::umber.r) {
                t.base.set(x, y, pal::umber);
                if (t.base.get(x, y + 1).r == pal::clay.r)
                    t.base.set(x, y + 1, pal::sand);
            }
    carve(t.accent, pal::glow1);
    return t;
}

TilePicture stars(int number, const char* name, uint32_t seed)
{
    TilePicture t{number, name};
    Rng rng(seed);
    for (int i = 0; i < 3; ++i) {
        int x = rng.range(2, 29), y = rng.range(2, 29);
        bool big = i == 0 && seed % 2;
        Rgb colour = i == 2 ? pal::violet : pal::bone;
        t.base.set(x, y, big ? pal::white : colour);
        t.accent.set(x, y, pal::glow1);
        if (big)
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                t.base.set(x + dx, y + dy, pal::violet);
                t.accent.set(x + dx, y + dy, pal::glow0);
            }
    }
    return t;
}

TilePicture palmTrunk()
{
    TilePicture t{19, "palm"};
    for (int y = 0; y < 32; ++y) {
        int sway = static_cast<int>(std::lround(1.5 * detSin(y * detPi / 16)));
        t.base.fillRect(12 + sway, y, 8, 1, y % 6 < 2 ? pal::clay : pal::ochre);
        t.base.set(12 + sway, y, pal::umber);
        t.base.set(18 + sway, y, pal::sand);
    }
    outline(t.base, pal::ink);
    return t;
}

// The crown over a trunk is 64 pixels wide, two cells: fronds blown towards
// the right by the desert wind, the trunk's top in the left cell.
std::pair<TilePicture, TilePicture> palmCrown()
{
    Canvas crown(64, 32);
    const double cx = 16, cy = 22;
    const double ends[7][2] = {{-14, 26}, {-12, 6}, {2, 2}, {22, 6}, {40, 16}, {44, 28}, {30, 30}};
    for (int i = 0; i < 7; ++i) {
        double ex = cx + ends[i][0], ey = ends[i][1];
        double mx = (cx + ex) / 2, my = std::min(cy, ey) - 5;
        crown.line(cx, cy, mx, my, 3.4, i % 2 ? pal::moss : pal::leaf);
        crown.line(mx, my, ex, ey, 2.4, i % 2 ? pal::moss : pal::leaf);
    }
    crown.fillCircle(cx, cy + 3, 3, pal::bronze);
    crown.fillCircle(cx + 3, cy + 5, 2, pal::clay);
    crown.fillRect(12, 26, 8, 6, pal::ochre);
    outline(crown, pal::ink);
    TilePicture left{20, "palmleft"}, right{21, "palmright"};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            left.base.set(x, y, crown.get(x, y));
            right.base.set(x, y, crown.get(x + 32, y));
        }
    return {left, right};
}

// The Evil Force's banner hangs over several cells: a rod and the eye at
// the top, plain cloth, and a swallowtail end.
TilePicture banner(int number, const char* name, int part)
{
    TilePicture t{number, name};
    backWall(t.base, 0xBA22 + part);
    if (part == 2) {
        t.base.polygon({8, 0, 24, 0, 24, 26, 16, 18, 8, 26}, pal::blood);
        t.base.polygon({10, 0, 22, 0, 22, 21, 16, 15, 10, 21}, pal::red);
    } else {
        t.base.fillRect(8, 0, 16, 32, pal::blood);
        t.base.fillRect(10, 0, 12, 32, pal::red);
    }
    if (part == 0) {
        t.base.fillRect(5, 0, 22, 3, pal::bronze);
        t.base.fillRect(5, 0, 22, 1, pal::gold);
        t.base.fillEllipse(16, 16, 5, 3, pal::ink);
        t.base.fillEllipse(16, 16, 3.5, 2, pal::rose);
        t.base.fillCircle(16, 16, 1.2, pal::ink);
        t.accent.fillEllipse(16, 16, 4, 2.4, pal::red);
        t.accent.fillCircle(16, 16, 1.2, pal::rose);
    } else if (part == 1) {
        t.base.fillRect(10, 14, 12, 2, pal::gold);
        t.accent.fillRect(10, 14, 12, 1, pal::blood);
    }
    return t;
}

// A standing stone carved with the eye, for the open desert: the rounded
// top and the base below it.
TilePicture stele(int number, const char* name, bool top)
{
    TilePicture t{number, name};
    if (top) {
        t.base.fillEllipse(16, 14, 10, 12, pal::slate2);
        t.base.fillRect(6, 14, 20, 18, pal::slate2);
        t.base.fillEllipse(16, 17, 5, 2.6, pal::slate0);
        t.base.fillCircle(16, 17, 1.3, pal::slate1);
        t.base.fillRect(9, 25, 14, 1, pal::slate0);
        t.accent.fillEllipse(16, 17, 5, 2.6, pal::glow1);
        t.accent.fillCircle(16, 17, 1.3, pal::glow2);
    } else {
        t.base.fillRect(6, 0, 20, 28, pal::slate2);
        t.base.fillRect(3, 28, 26, 4, pal::slate1);
        for (int y = 4; y < 24; y += 6) {
            t.base.fillRect(9, y, 14, 1, pal::slate0);
            t.accent.fillRect(11, y, 10, 1, pal::glow0);
        }
    }
    t.base.fillRect(22, top ? 14 : 0, 4, top ? 18 : 28, pal::slate1);  // the shaded side
    outline(t.base, pal::ink);
    return t;
}

// The top of the sphinx's back, lit by the moon, and the rounded rump.
TilePicture sphinxBack(int number, const char* name, bool rump)
{
    TilePicture t = sphinxStone(number, name, false);
    Canvas shape(32, 32);
    if (rump)
        shape.fillCircle(0, 32, 31.5, pal::dune);
    else
        shape.fillRect(0, 0, 32, 32, pal::dune);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (shape.get(x, y).r != pal::dune.r)
                t.base.set(x, y, keyGreen);
    for (int x = 0; x < 32; ++x)
        for (int y = 0; y < 32; ++y)
            if (!isKey(t.base.get(x, y))) {
                t.base.set(x, y, pal::bone);
                if (!rump)
                    t.base.set(x, y + 1, pal::bone);
                t.accent.set(x, y, x % 2 ? pal::glow0 : pal::glow1);
                break;
            }
    return t;
}

// A ruined column far behind the path, in the muted colours of distance.
TilePicture ruin(int number, const char* name, bool brokenTop)
{
    TilePicture t{number, name};
    int top = brokenTop ? 10 : 0;
    t.base.fillRect(9, top, 14, 32 - top, pal::violet);
    t.base.fillRect(9, top, 3, 32 - top, pal::slate2);
    t.base.fillRect(19, top, 4, 32 - top, pal::slate1);
    if (brokenTop) {
        t.base.polygon({9, 10, 13, 5, 16, 9, 19, 3, 23, 8, 23, 10}, pal::violet);
        t.base.polygon({9, 10, 13, 5, 14, 10}, pal::slate2);
    }
    return t;
}

TilePicture interiorColumn()
{
    TilePicture t{24, "pillar"};
    backWall(t.base, 0x9111);
    t.base.fillRect(6, 0, 20, 32, pal::ochre);
    t.base.fillRect(6, 0, 3, 32, pal::sand);
    t.base.fillRect(22, 0, 4, 32, pal::clay);
    t.base.fillRect(13, 0, 1, 32, pal::clay);
    t.base.fillRect(17, 0, 1, 32, pal::clay);
    grain(t.base, 0x9112, sandRamp, 0.06);
    t.accent.fillRect(13, 0, 1, 32, pal::glow0);
    return t;
}

TilePicture abyss()
{
    TilePicture t{25, "abyss"};
    for (int y = 0; y < 32; ++y)
        t.base.fillRect(0, y, 32, 1, y < 12 ? pal::umber : y < 22 ? pal::night : pal::ink);
    for (int y = 18; y < 32; ++y)
        for (int x = (y % 2); x < 32; x += 2)
            if ((x * 7 + y * 3) % 5 == 0) {
                t.base.set(x, y, pal::glow0);
                t.accent.set(x, y, pal::glow1);
            }
    return t;
}

// A picture of several cells cut into tiles, numbered left to right, then
// top to bottom, from first.
std::vector<TilePicture> cut(const Canvas& big, int first, const std::string& stem)
{
    std::vector<TilePicture> out;
    int columns = big.width() / 32, rows = big.height() / 32;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            TilePicture t{first + r * columns + c, stem + std::to_string(r * columns + c)};
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    t.base.set(x, y, big.get(c * 32 + x, r * 32 + y));
            out.push_back(t);
        }
    return out;
}

void addAccents(std::vector<TilePicture>& tiles, const Canvas& accent)
{
    int columns = accent.width() / 32;
    for (size_t i = 0; i < tiles.size(); ++i) {
        int c = static_cast<int>(i) % columns, r = static_cast<int>(i) / columns;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                tiles[i].accent.set(x, y, accent.get(c * 32 + x, r * 32 + y));
    }
}

// The great sphinx's head, four cells by four, facing left over its paws:
// the striped headdress with the cobra on the brow, the worn face, and the
// eyes that burn with the portal's light in the dark.
std::vector<TilePicture> sphinxHead()
{
    Canvas head(128, 128), light(128, 128);
    // Headdress: a broad hood flaring behind the face down to the shoulders.
    Canvas hood(128, 128);
    hood.polygon({36, 2, 100, 2, 118, 40, 126, 127, 70, 127, 58, 60, 30, 40}, pal::gold);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            if (hood.get(x, y).r == pal::gold.r && (y - 6) % 9 >= 5)
                hood.set(x, y, pal::blue);
    head.paste(hood, 0, 0);
    head.fillRect(36, 0, 64, 4, pal::butter);
    // The face in profile, looking left.
    head.polygon({40, 22, 64, 22, 66, 92, 50, 102, 30, 100, 24, 78, 14, 70, 18, 60, 22, 44, 30, 34}, pal::dune);
    head.polygon({56, 22, 64, 22, 66, 92, 58, 98}, pal::sand);                     // shade under the hood
    head.polygon({14, 70, 18, 60, 24, 64, 22, 72}, pal::sand);                     // the worn nose
    head.fillRect(18, 60, 6, 2, pal::bone);
    head.fillEllipse(34, 50, 6, 3, pal::ochre);                                    // the eye socket
    head.fillEllipse(32, 50, 3.2, 1.8, pal::ink);
    head.line(26, 44, 40, 43, 2, pal::ochre);                                      // brow
    head.line(22, 84, 34, 86, 2, pal::ochre);                                      // mouth
    head.polygon({30, 100, 50, 102, 48, 127, 34, 127}, pal::sand);                 // the beard stump and neck
    head.line(40, 106, 40, 127, 1, pal::ochre);
    // The cobra on the brow.
    head.fillEllipse(34, 20, 4, 6, pal::gold);
    head.fillCircle(33, 14, 2.5, pal::butter);
    head.set(32, 14, pal::ink);
    grain(head, 0x5F1A, sandRamp, 0.1);
    outline(head, pal::ink);
    // Accent: the eyes burn, the cobra's crown and the headdress edge glint.
    light.fillEllipse(32, 50, 6, 3.5, pal::glow1);
    light.fillEllipse(32, 50, 3.2, 1.8, pal::glow2);
    light.line(14, 50, 30, 50, 1, pal::glow0);
    light.fillCircle(33, 14, 2.5, pal::glow2);
    light.fillRect(36, 0, 64, 1, pal::glow0);
    std::vector<TilePicture> tiles = cut(head, 30, "sphinxhead");
    addAccents(tiles, light);
    return tiles;
}

// The portal at the end of the temple: a stone door frame two cells wide
// and four high, holding a dark vortex; in the dark it blazes cyan.
std::vector<TilePicture> gate()
{
    Canvas door(64, 128), light(64, 128);
    door.fillRect(0, 0, 64, 128, pal::slate1);
    door.fillRect(0, 0, 64, 10, pal::slate2);
    door.fillRect(0, 0, 64, 2, pal::gold);
    door.fillRect(0, 8, 64, 2, pal::gold);
    // The vortex: rings turning inwards.
    for (int y = 14; y < 128; ++y)
        for (int x = 10; x < 54; ++x) {
            double dx = x + 0.5 - 32, dy = (y + 0.5 - 72) * 0.55;
            double r = detHypot(dx, dy), a = detAtan2(dy, dx);
            double swirl = detSin(a * 2 + r * 0.35);
            Rgb c = r < 4 ? pal::white : swirl > 0.5 ? pal::violet : swirl > -0.2 ? pal::dusk : pal::night;
            door.set(x, y, c);
            Rgb glow = r < 5 ? pal::white : swirl > 0.5 ? pal::glow2 : swirl > -0.2 ? pal::glow1 : pal::glow0;
            if (swirl > -0.2 || (x + y) % 2 == 0)
                light.set(x, y, glow);
        }
    // Jambs carved with a column of eyes.
    for (int side : {0, 54}) {
        door.fillRect(side, 10, 10, 118, pal::slate2);
        door.fillRect(side + (side ? 0 : 8), 10, 2, 118, pal::slate0);
        for (int y = 22; y < 120; y += 22) {
            door.fillEllipse(side + 5, y, 3, 1.8, pal::gold);
            door.set(side + 5, y, pal::ink);
            light.fillEllipse(side + 5, y, 3, 1.8, pal::butter);
        }
    }
    door.fillEllipse(32, 5, 6, 3, pal::red);  // the Evil Force's seal over the door
    door.fillCircle(32, 5, 1.5, pal::ink);
    light.fillEllipse(32, 5, 6, 3, pal::rose);
    std::vector<TilePicture> tiles = cut(door, 50, "gate");
    addAccents(tiles, light);
    return tiles;
}

}  // namespace

std::vector<TilePicture> drawTiles()
{
    std::vector<TilePicture> tiles{sandTop(),
                                   earthFill(),
                                   brick(),
                                   ledge(),
                                   column(),
                                   capital(),
                                   sphinxStone(7, "sphinx", false),
                                   pawFront(8, "pawtop", false),
                                   templeFloor(),
                                   wall(),
                                   wallTorch(),
                                   brazier(),
                                   glyphs(13, "glyphs1", 0),
                                   glyphs(14, "glyphs2", 1),
                                   glyphs(15, "glyphs3", 2),
                                   stars(16, "stars1", 0x57A1),
                                   stars(17, "stars2", 0x57A2),
                                   stars(18, "stars3", 0x57A3),
                                   palmTrunk()};
    auto [crownLeft, crownRight] = palmCrown();
    tiles.push_back(crownLeft);
    tiles.push_back(crownRight);
    tiles.push_back(banner(22, "banner", 0));
    tiles.push_back(ruin(23, "ruin", false));
    tiles.push_back(interiorColumn());
    tiles.push_back(abyss());
    tiles.push_back(sphinxStone(26, "sphinxcracked", true));
    tiles.push_back(pawFront(27, "pawtoes", true));
    tiles.push_back(ruin(28, "ruintop", true));
    tiles.push_back(banner(29, "bannercloth", 1));
    for (TilePicture& t : sphinxHead())
        tiles.push_back(t);
    tiles.push_back(stele(46, "steletop", true));
    tiles.push_back(stele(47, "stelebase", false));
    tiles.push_back(sphinxBack(48, "sphinxback", false));
    tiles.push_back(sphinxBack(49, "sphinxrump", true));
    for (TilePicture& t : gate())
        tiles.push_back(t);
    tiles.push_back(banner(58, "bannerend", 2));
    return tiles;
}

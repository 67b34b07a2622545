#include "palette.h"

#include <algorithm>

namespace pal {

const std::vector<Rgb>& all()
{
    static const std::vector<Rgb> colours{
        ink,    night,  dusk,     violet, umber,     clay,  ochre, sand,  dune,  bone,  slate0, slate1,
        slate2, steel0, steel1,   steel2, steel3,    blood, red,   rose,  bronze, gold, butter, skinDark,
        skin,   skinLight, teal0, teal1,  teal2,     copper, navy, blue,  sky,   glow0, glow1,  glow2,
        white,  ember,  flame,    spark,  moss,      leaf,
    };
    return colours;
}

}  // namespace pal

static bool isKeyColour(Rgb c)
{
    return c.r == keyGreen.r && c.g == keyGreen.g && c.b == keyGreen.b;
}

Rgb snap(Rgb c)
{
    // Weighted as the eye weighs the channels, so a darkened colour keeps
    // its brightness rather than its hue.
    Rgb best = pal::ink;
    long bestDistance = -1;
    for (Rgb p : pal::all()) {
        long dr = c.r - p.r, dg = c.g - p.g, db = c.b - p.b;
        long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = p;
        }
    }
    return best;
}

Canvas flashed(const Canvas& c, Rgb colour, double t)
{
    Canvas out = c;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            if (!isKeyColour(p))
                out.set(x, y, snap(mix(p, colour, t)));
        }
    return out;
}

Canvas rampFlash(const Canvas& c, const std::vector<Rgb>& ramp)
{
    Canvas out = c;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            if (isKeyColour(p))
                continue;
            int light = (p.r * 3 + p.g * 4 + p.b * 2) / 9;  // 0..255
            size_t step = std::min(ramp.size() - 1, static_cast<size_t>(light * ramp.size() / 200));
            out.set(x, y, ramp[step]);
        }
    return out;
}

void outline(Canvas& c, Rgb colour)
{
    Canvas before = c;
    auto drawn = [&before](int x, int y) { return before.inside(x, y) && !isKeyColour(before.get(x, y)); };
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (!drawn(x, y) && (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1)))
                c.set(x, y, colour);
}

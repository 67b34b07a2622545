// The six pictures shared by the game's screens.
#include "assetgen.h"
#include "canvas.h"
#include "detMath.h"
#include "palette.h"
#include "sprites.h"
#include "text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;

// A smooth blend through a list of colours, t from 0 to 1.
Rgb ramp(const std::vector<Rgb>& stops, double t)
{
    t = std::clamp(t, 0.0, 1.0) * static_cast<double>(stops.size() - 1);
    size_t i = std::min(stops.size() - 2, static_cast<size_t>(t));
    return mix(stops[i], stops[i + 1], t - static_cast<double>(i));
}

// ---------------------------------------------------------------------------
// The background, 512 by 512. The game stretches it to the 640-pixel width
// and shows its top 360 rows as the strip behind the level (from screen y
// 120 down), scrolling it round and round; the blue overlay stretches the
// whole picture over the screen and adds it at half strength. So: both
// sides meet (everything is drawn wrapping round), the top is night sky
// that fades into the black above the strip, and the lower part, seen only
// in the overlay, is dark dunes that add little. Powers of two on both
// sides keep the texture as drawn (other sizes are rescaled on upload).
constexpr int bgSize = 512;

// A wave that repeats exactly across the picture's width.
double wrapWave(double x, int cycles, double phase)
{
    return detSin(twoPi * cycles * x / bgSize + phase);
}

// Sets a pixel with the column wrapped round the picture's width.
void setWrapped(Canvas& c, int x, int y, Rgb colour)
{
    c.set(((x % bgSize) + bgSize) % bgSize, y, colour);
}

void pyramid(Canvas& c, double cx, double baseY, double halfWidth, double height, Rgb lit, Rgb dark)
{
    for (double shift : {-double(bgSize), 0.0, double(bgSize)}) {
        double x = cx + shift;
        c.polygon({x - halfWidth, baseY, x, baseY - height, x + halfWidth * 0.2, baseY}, lit);
        c.polygon({x, baseY - height, x + halfWidth, baseY, x + halfWidth * 0.2, baseY}, dark);
    }
}

void writeBackground()
{
    Canvas c(bgSize, bgSize, pal::ink);
    // Sky: black at the top, where the strip meets the empty screen above
    // it, through night blue and violet to a dim glow on the horizon.
    const std::vector<Rgb> sky{Rgb{6, 4, 12}, pal::night, pal::dusk, pal::violet, Rgb{150, 86, 96}};
    for (int y = 0; y < 240; ++y) {
        double t = y / 240.0;
        c.fillRect(0, y, bgSize, 1, ramp(sky, t * std::sqrt(std::sqrt(t))));  // t to the 1.25: slow at first
    }
    Rng rng(0x5EEDB6u);
    for (int i = 0; i < 170; ++i) {
        int x = rng.range(0, bgSize - 1), y = rng.range(2, 170);
        Rgb star = i % 9 == 0 ? pal::white : i % 3 == 0 ? pal::glow2 : pal::bone;
        c.set(x, y, mix(c.get(x, y), star, 1.0 - y / 260.0));
        if (i % 23 == 0)
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                setWrapped(c, x + dx, y + dy, mix(c.get(x, y + dy), pal::violet, 0.8));
    }
    // The moon with a soft halo; drawn narrower than it is high, since the
    // game stretches the picture a quarter wider.
    for (int y = 20; y < 120; ++y)
        for (int x = 300; x < 420; ++x) {
            double d = detHypot((x + 0.5 - 360.0) * 1.25, y + 0.5 - 70.0);
            if (d < 19)
                c.set(x, y, d < 17 ? pal::bone : pal::dune);
            else if (d < 48)
                c.set(x, y, mix(c.get(x, y), pal::violet, 0.35 * (1 - (d - 19) / 29)));
        }
    c.fillEllipse(355, 64, 2.4, 3, mix(pal::bone, pal::dune, 0.5));
    c.fillEllipse(365, 76, 1.6, 2, mix(pal::bone, pal::dune, 0.5));
    // The portal's beam far away over the sphinx, a thin cyan column.
    for (int y = 60; y < 232; ++y)
        for (int dx = -3; dx <= 3; ++dx) {
            double s = (1 - std::abs(dx) / 4.0) * (0.25 + 0.5 * (y - 60) / 172.0);
            c.set(120 + dx, y, mix(c.get(120 + dx, y), pal::glow1, s));
        }
    // Far dunes, the pyramids of Giza, the army on the ridge, near dunes.
    for (int x = 0; x < bgSize; ++x) {
        double ridge = 228 + 8 * wrapWave(x, 3, 0.4) + 5 * wrapWave(x, 7, 1.9);
        for (int y = static_cast<int>(ridge); y < bgSize; ++y)
            c.set(x, y, ramp({Rgb{92, 58, 80}, pal::dusk, pal::night}, (y - ridge) / 90.0));
    }
    pyramid(c, 60, 240, 96, 92, Rgb{150, 96, 92}, Rgb{84, 54, 78});
    pyramid(c, 200, 236, 58, 56, Rgb{140, 90, 90}, Rgb{80, 52, 76});
    pyramid(c, 420, 242, 76, 72, Rgb{146, 94, 92}, Rgb{82, 54, 78});
    // The robot army: jackal-eared heads along a far ridge, each with a red eye.
    for (int i = 0; i < 26; ++i) {
        int x = 240 + i * 6 + (i % 3) * 2;
        int y = static_cast<int>(250 + 6 * wrapWave(x, 2, 2.2));
        for (int dy = 0; dy < 5; ++dy)
            for (int dx = 0; dx < 3; ++dx)
                setWrapped(c, x + dx, y + dy, pal::night);
        setWrapped(c, x, y - 1, pal::night);
        setWrapped(c, x + 2, y - 1, pal::night);
        setWrapped(c, x, y + 1, pal::red);
    }
    // Two rows of near dunes, each lit along its crest by the moon and
    // falling into shadow below it.
    for (int layer = 0; layer < 2; ++layer)
        for (int x = 0; x < bgSize; ++x) {
            double ridge = layer == 0 ? 262 + 10 * wrapWave(x, 2, 2.2) + 4 * wrapWave(x, 5, 0.7)
                                      : 306 + 12 * wrapWave(x, 3, 4.0) + 5 * wrapWave(x, 7, 1.2);
            Rgb crest = layer == 0 ? Rgb{124, 84, 82} : Rgb{146, 98, 86};
            double fall = layer == 0 ? 70.0 : 200.0;
            for (int y = static_cast<int>(ridge); y < bgSize; ++y)
                c.set(x, y, ramp({crest, Rgb{92, 60, 72}, pal::night, Rgb{14, 10, 24}}, (y - ridge) / fall));
            c.set(x, static_cast<int>(ridge), mix(crest, pal::dune, 0.3));
        }
    writeJpeg(outPath("gfx/bg.jpg"), c, 88);
}

// ---------------------------------------------------------------------------
// The story screen, 640 by 480: a map of the land west of Cairo on old
// parchment. The story's six lines are printed over its lower half after
// two seconds, while the picture darkens to a third; the turning emblem is
// drawn centred at (160, 120), where the map has a seal ring waiting for it.
void writeStoryMap()
{
    const int w = 640, h = 480;
    Canvas c(w, h, pal::dune);
    Rng rng(0x57041u);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double stain = 0.5 + 0.25 * detSin(x * 0.013 + y * 0.007) + 0.25 * detSin(y * 0.021 - x * 0.005);
            double edge = std::min({x, y, w - 1 - x, h - 1 - y}) / 40.0;
            double t = 0.35 * stain + 0.15 * rng.unit() + 0.5 * (1 - std::min(1.0, edge));
            c.set(x, y, ramp({pal::bone, pal::dune, pal::sand, pal::ochre}, t * 0.8));
        }
    const Rgb inkLine = pal::umber;
    // The sea along the top, its coast wavy, with hatching along the shore.
    for (int x = 0; x < w; ++x) {
        int coast = static_cast<int>(64 + 9 * detSin(x * 0.02) + 5 * detSin(x * 0.061 + 1.0));
        for (int y = 0; y < coast; ++y)
            c.set(x, y, ramp({pal::glow0, pal::teal1, pal::teal2}, y / static_cast<double>(coast)));
        c.fillRect(x, coast, 1, 2, inkLine);
        if (x % 6 == 0)
            c.fillRect(x, coast - 6, 3, 1, pal::teal0);
    }
    // The Nile from the south, fanning into its delta.
    // Banks first, then the water over them, so the joins do not show.
    for (int pass = 0; pass < 2; ++pass) {
        double px = 470, py = 480;
        for (int i = 0; i < 300; ++i) {
            double t = i / 300.0;
            double nx = 470 - 60 * t + 14 * detSin(t * 9.0), ny = 480 - 300 * t;
            c.line(px, py, nx, ny, pass ? 5 : 8, pass ? pal::teal1 : inkLine);
            px = nx;
            py = ny;
        }
        for (double endX : {330.0, 380.0, 440.0, 500.0})
            c.line(px, py, endX, 66, pass ? 3 : 5, pass ? pal::teal1 : inkLine);
    }
    // Cairo, the sphinx thirty miles west, and the robot armies pouring out
    // of the portal towards the city.
    const double cairoX = 414, cairoY = 196, sphinxX = 290, sphinxY = 214;
    c.fillCircle(cairoX, cairoY, 8, inkLine);
    c.fillCircle(cairoX, cairoY, 5, pal::gold);
    for (int i = 0; i < 5; ++i)
        c.fillRect(static_cast<int>(cairoX) - 6 + i * 3, static_cast<int>(cairoY) - 14 - (i % 2) * 3, 2, 6, inkLine);
    c.ring(sphinxX, sphinxY, 13, 16, pal::glow0);
    c.ring(sphinxX, sphinxY, 9, 12, pal::glow1);
    c.fillCircle(sphinxX, sphinxY, 6, pal::glow2);
    // A little sphinx on the spot.
    c.polygon({sphinxX - 10, sphinxY + 4, sphinxX - 10, sphinxY - 2, sphinxX - 6, sphinxY - 8, sphinxX - 3,
               sphinxY - 2, sphinxX + 10, sphinxY - 1, sphinxX + 10, sphinxY + 4},
              inkLine);
    for (int i = 0; i < 14; ++i) {
        double t = i / 14.0;
        double x = sphinxX + 24 + (cairoX - 40 - sphinxX) * t + 6 * detSin(i * 1.7);
        double y = sphinxY + 14 + 10 * detSin(i * 0.9) - 8 * t;
        c.polygon({x - 3, y + 3, x - 3, y - 1, x - 2, y - 4, x - 1, y - 1, x + 1, y - 1, x + 2, y - 4, x + 3, y - 1,
                   x + 3, y + 3},
                  inkLine);
        c.set(static_cast<int>(x) - 1, static_cast<int>(y), pal::red);
    }
    for (int i = 0; i < 3; ++i) {
        double y = 232 + i * 6.0;
        c.line(cairoX - 62 + i * 4, y, cairoX - 30, y - 16, 2, pal::red);
    }
    // The legend panel: the story's six white lines are printed over the
    // lower half (y 255 to 421, from x 21), so that part is a dark inlay
    // that keeps them legible before the picture has darkened.
    for (int y = 240; y < 446; ++y)
        for (int x = 14; x < 626; ++x) {
            double edge = std::min({x - 14, 625 - x, y - 240, 445 - y}) / 6.0;
            Rgb inlay = ramp({pal::umber, Rgb{46, 28, 30}}, std::min(1.0, edge));
            c.set(x, y, (x + y) % 7 == 0 ? mix(inlay, pal::clay, 0.3) : inlay);
        }
    for (int x = 14; x < 626; ++x) {
        c.set(x, 240, pal::bronze);
        c.set(x, 445, pal::bronze);
    }
    for (int y = 240; y < 446; ++y) {
        c.set(14, y, pal::bronze);
        c.set(625, y, pal::bronze);
    }
    // The seal ring for the turning emblem.
    c.ring(160, 120, 35, 37, inkLine);
    c.ring(160, 120, 39, 40, inkLine);
    for (int i = 0; i < 24; ++i) {
        double a = i * twoPi / 24;
        c.fillCircle(160 + 38 * detCos(a), 120 + 38 * detSin(a), 0.9, pal::bronze);
    }
    const std::string serif = fontFile("DejaVuSerif-Bold.ttf");
    drawText(c, serif, "CAIRO", static_cast<int>(cairoX) + 14, static_cast<int>(cairoY) + 6, 18, 18, inkLine, true);
    drawText(c, serif, "THE SPHINX", static_cast<int>(sphinxX) - 56, static_cast<int>(sphinxY) - 24, 15, 15,
             pal::blood, true);
    drawText(c, serif, "30 miles", 322, 190, 13, 13, inkLine, true);
    drawText(c, serif, "MEDITERRANEAN SEA", 300, 36, 18, 18, pal::bone, true);
    drawText(c, serif, "THE WESTERN DESERT", 30, 218, 16, 16, pal::clay, true);
    // A double frame.
    for (int i = 0; i < 8; ++i) {
        Rgb edge = i < 3 ? pal::umber : i < 5 ? pal::bronze : pal::umber;
        c.fillRect(i, i, w - 2 * i, 1, edge);
        c.fillRect(i, h - 1 - i, w - 2 * i, 1, edge);
        c.fillRect(i, i, 1, h - 2 * i, edge);
        c.fillRect(w - 1 - i, i, 1, h - 2 * i, edge);
    }
    writeJpeg(outPath("gfx/storymap.jpg"), c, 84);
}

// ---------------------------------------------------------------------------
// "GAME OVER", 512 by 256 (drawn at x 64, y 200, below the turning emblem):
// the robot army marching under a red sky, fading to the black of the empty
// screen at every edge.
void writeGameOver()
{
    const int w = 512, h = 256;
    Canvas c(w, h, pal::ink);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (x - w / 2.0) / (w / 2.0), dy = (y - 150.0) / 150.0;
            double glow = std::max(0.0, 1.0 - std::sqrt(dx * dx * 0.8 + dy * dy * 1.6));
            c.set(x, y, ramp({Rgb{0, 0, 0}, pal::night, pal::blood, pal::red}, glow * 0.8));
        }
    // The army: rows of jackal heads, smaller and dimmer further back.
    for (int row = 0; row < 3; ++row) {
        double scale = 1.0 + row * 0.5;
        int baseY = 176 + row * 26;
        Rgb body = row == 2 ? Rgb{0, 0, 0} : pal::ink;
        for (double x = -10 + row * 9; x < w + 10; x += 22 * scale) {
            double s = scale;
            c.polygon({x - 6 * s, baseY + 0.0, x - 6 * s, baseY - 8 * s, x - 4 * s, baseY - 15 * s, x - 2 * s,
                       baseY - 9 * s, x + 2 * s, baseY - 9 * s, x + 4 * s, baseY - 15 * s, x + 6 * s, baseY - 8 * s,
                       x + 6 * s, baseY + 0.0},
                      body);
            c.fillRect(static_cast<int>(x - 4 * s), static_cast<int>(baseY - 6 * s), static_cast<int>(3 * s) + 1,
                       static_cast<int>(s) + 1, row == 2 ? pal::rose : pal::red);
        }
    }
    for (int y = 228; y < h; ++y)
        c.fillRect(0, y, w, 1, Rgb{0, 0, 0});
    // Fade every edge to black.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double edge = std::min({x, w - 1 - x, y, h - 1 - y}) / 36.0;
            if (edge < 1)
                c.set(x, y, shade(c.get(x, y), edge));
        }
    const std::string serif = fontFile("DejaVuSerif-Bold.ttf");
    const std::string title = "GAME OVER";
    int tw = textWidth(serif, title, 64, 60);
    int x = (w - tw) / 2;
    drawText(c, serif, title, x + 3, 97, 64, 60, Rgb{0, 0, 0}, true);
    drawText(c, serif, title, x, 94, 64, 60, pal::gold, true);
    drawText(c, serif, title, x, 92, 64, 60, pal::butter, true);
    const std::string sub = "The Evil Force prevails";
    int sw = textWidth(serif, sub, 20, 20);
    drawText(c, serif, sub, (w - sw) / 2, 134, 20, 20, pal::rose, true);
    writeJpeg(outPath("gfx/gameover.jpg"), c, 88);
}

// The turning emblem of the story and game-over screens: the winged eye in
// a gold ring. The game draws it turned about its centre, which also turns
// a BMP upside down, so it is stored upside down and shows upright.
void writeEmblem()
{
    Canvas c(64, 64);
    c.fillCircle(32, 32, 30, pal::bronze);
    c.fillCircle(32, 32, 28, pal::gold);
    c.fillCircle(32, 32, 25, pal::navy);
    c.ring(32, 32, 21, 22, pal::blue);
    // Wings either side of the eye.
    for (int side : {-1, 1})
        for (int f = 0; f < 4; ++f) {
            double y = 27 + f * 3.0;
            c.line(32 + side * 8, 30, 32 + side * (22 - f * 3), y, 2, f % 2 ? pal::butter : pal::gold);
        }
    c.fillEllipse(32, 31, 9, 5, pal::bone);
    c.fillCircle(32, 31, 3.6, pal::teal1);
    c.fillCircle(32, 31, 1.8, pal::ink);
    c.set(33, 30, pal::bone);
    c.line(27, 36, 25, 44, 1.4, pal::gold);  // the falcon's tear mark
    c.polygon({24, 50, 32, 40, 40, 50}, pal::gold);
    c.polygon({32, 40, 40, 50, 34, 50}, pal::bronze);
    for (int i = 0; i < 12; ++i) {
        double a = i * twoPi / 12;
        c.fillCircle(32 + 29 * detCos(a), 32 + 29 * detSin(a), 1.1, pal::butter);
    }
    outline(c, pal::ink);
    Canvas stored(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            stored.set(x, 63 - y, c.get(x, y));
    writeBmp(outPath("gfx/yrere.bmp"), stored);
}

// The "+3 SEC" popup over a killed robot, 64 by 16. It is added onto the
// scene, so only bright pixels show; the key green adds nothing.
void writeTimeBonus()
{
    Canvas c(64, 16);
    const std::string bold = fontFile("DejaVuSans-Bold.ttf");
    int pen = drawText(c, bold, "+3", 1, 13, 15, 15, pal::flame, false);
    drawText(c, bold, "+3", 0, 12, 15, 15, pal::butter, false);
    drawText(c, bold, "SEC", pen + 3, 13, 9, 10, pal::glow2, false);
    writeBmp(outPath("gfx/timebonus.bmp"), c);
}

// The particle dot: plain white, tinted by the colour it is drawn in.
void writePixel()
{
    writeBmp(outPath("gfx/pixel.bmp"), Canvas(4, 4, Rgb{255, 255, 255}));
}

}  // namespace

void writeSharedPictures()
{
    writeBackground();
    writeStoryMap();
    writeGameOver();
    writeEmblem();
    writeTimeBonus();
    writePixel();
}

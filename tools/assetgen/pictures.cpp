// The six pictures shared by the game's screens.
#include "assetgen.h"
#include "canvas.h"
#include "detMath.h"
#include "text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;

// A wave that repeats exactly every 640 pixels, so the scrolling strip has
// no seam where the texture wraps.
double periodicWave(double x, int cycles, double phase)
{
    return detSin(twoPi * cycles * x / 640.0 + phase);
}

// A pyramid with a lit left face and a shaded right face, drawn three times
// so that one crossing the strip's edge reappears on the other side.
void pyramid(Canvas& c, double cx, double baseY, double halfWidth, double height, Rgb lit, Rgb dark)
{
    for (double shift : {-640.0, 0.0, 640.0}) {
        double x = cx + shift;
        c.polygon({x - halfWidth, baseY, x, baseY - height, x + halfWidth * 0.15, baseY}, lit);
        c.polygon({x, baseY - height, x + halfWidth, baseY, x + halfWidth * 0.15, baseY}, dark);
    }
}

// The scrolling background strip: dusk over the desert with pyramids. It is
// drawn with its top at screen y 120, below the black of the cleared screen,
// so the sky starts almost black.
void writeBackground()
{
    const int w = 640, h = 360;
    Canvas c(w, h, black);
    const Rgb top{6, 6, 24}, mid{70, 36, 86}, horizon{214, 112, 64};
    for (int y = 0; y < h; ++y) {
        Rgb row = y < 170 ? mix(top, mid, y / 170.0) : mix(mid, horizon, std::min(1.0, (y - 170) / 80.0));
        c.fillRect(0, y, w, 1, row);
    }
    Rng rng(0x5EEDB6u);
    for (int i = 0; i < 140; ++i) {
        int x = rng.range(0, w - 1), y = rng.range(0, 150);
        int v = 110 + rng.range(0, 145) - y / 2;
        c.set(x, y, rgb(v, v, v + 20));
    }
    c.fillCircle(470, 120, 26, Rgb{250, 226, 170});
    c.fillCircle(480, 114, 24, mix(mid, Rgb{250, 226, 170}, 0.15));

    // Far dunes, then the pyramids, then the near dunes.
    for (int x = 0; x < w; ++x) {
        double ridge = 236 + 9 * periodicWave(x, 3, 0.4) + 6 * periodicWave(x, 7, 1.9);
        for (int y = static_cast<int>(ridge); y < h; ++y)
            c.set(x, y, mix(Rgb{120, 62, 56}, Rgb{70, 34, 40}, (y - ridge) / 120.0));
    }
    pyramid(c, 120, 262, 120, 110, Rgb{196, 122, 72}, Rgb{110, 58, 52});
    pyramid(c, 300, 258, 70, 66, Rgb{182, 112, 70}, Rgb{100, 54, 50});
    pyramid(c, 560, 266, 95, 88, Rgb{190, 118, 70}, Rgb{106, 56, 50});
    for (int x = 0; x < w; ++x) {
        double ridge = 282 + 10 * periodicWave(x, 2, 2.2) + 5 * periodicWave(x, 5, 0.7);
        for (int y = static_cast<int>(ridge); y < h; ++y)
            c.set(x, y, mix(Rgb{176, 120, 70}, Rgb{96, 60, 40}, (y - ridge) / 70.0));
    }
    writeJpeg(outPath("gfx/bg.jpg"), c, 85);
}

// The story screen: a map of the Nile with Cairo and the sphinx to its west.
// The lower half carries the story text, printed over a darkened copy.
void writeStoryMap()
{
    const int w = 640, h = 480;
    Canvas c(w, h, black);
    Rng rng(0x57041u);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double grain = rng.unit() * 14 + 6 * detSin(x * 0.05 + y * 0.021) + 4 * detSin(y * 0.09);
            c.set(x, y, rgb(196 + static_cast<int>(grain), 160 + static_cast<int>(grain), 104 + static_cast<int>(grain / 2)));
        }
    // The sea along the top, with a wavy coast.
    for (int x = 0; x < w; ++x) {
        int coast = static_cast<int>(70 + 10 * detSin(x * 0.021) + 6 * detSin(x * 0.057 + 1.0));
        for (int y = 0; y < coast; ++y)
            c.set(x, y, mix(Rgb{40, 80, 140}, Rgb{70, 120, 170}, y / static_cast<double>(coast)));
        c.fillRect(x, coast, 1, 2, Rgb{120, 96, 60});
    }
    // The Nile from the south, splitting into its delta below the coast.
    double px = 470, py = 480;
    for (int i = 0; i < 300; ++i) {
        double t = i / 300.0;
        double nx = 470 - 60 * t + 14 * detSin(t * 9.0);
        double ny = 480 - 300 * t;
        c.line(px, py, nx, ny, 7, Rgb{46, 96, 150});
        px = nx;
        py = ny;
    }
    for (double endX : {330.0, 380.0, 440.0, 500.0})
        c.line(px, py, endX, 72, 4, Rgb{46, 96, 150});
    // Cairo, and the sphinx thirty miles west of it.
    const double cairoX = 414, cairoY = 196, sphinxX = 300, sphinxY = 214;
    c.fillCircle(cairoX, cairoY, 7, Rgb{60, 30, 20});
    c.fillCircle(cairoX, cairoY, 4, Rgb{230, 200, 120});
    for (int i = 0; i < 12; i += 2) {
        double a = i / 12.0, b = (i + 1) / 12.0;
        c.line(cairoX + (sphinxX - cairoX) * a, cairoY + (sphinxY - cairoY) * a, cairoX + (sphinxX - cairoX) * b,
               cairoY + (sphinxY - cairoY) * b, 3, Rgb{170, 30, 20});
    }
    c.line(sphinxX - 9, sphinxY - 9, sphinxX + 9, sphinxY + 9, 4, Rgb{190, 20, 10});
    c.line(sphinxX - 9, sphinxY + 9, sphinxX + 9, sphinxY - 9, 4, Rgb{190, 20, 10});
    // Robot armies massing around the portal.
    for (int i = 0; i < 18; ++i) {
        double a = i * 0.35, r = 26 + (i % 4) * 9;
        double x = sphinxX + r * detCos(a), y = sphinxY + 0.6 * r * detSin(a);
        c.polygon({x - 4, y + 4, x, y - 4, x + 4, y + 4}, Rgb{50, 40, 40});
    }
    const std::string serif = fontFile("DejaVuSerif-Bold.ttf");
    drawText(c, serif, "CAIRO", static_cast<int>(cairoX) + 12, static_cast<int>(cairoY) + 5, 16, 16,
             Rgb{60, 30, 20}, true);
    drawText(c, serif, "SPHINX", static_cast<int>(sphinxX) - 30, static_cast<int>(sphinxY) - 36, 14, 14,
             Rgb{150, 20, 10}, true);
    drawText(c, serif, "30 mi", 340, 226, 12, 12, Rgb{120, 40, 20}, true);
    drawText(c, serif, "MEDITERRANEAN SEA", 330, 36, 16, 16, Rgb{210, 230, 250}, true);
    // A frame around the map.
    for (int i = 0; i < 6; ++i) {
        Rgb edge = shade(Rgb{90, 60, 30}, 0.6 + i * 0.08);
        c.fillRect(i, i, w - 2 * i, 1, edge);
        c.fillRect(i, h - 1 - i, w - 2 * i, 1, edge);
        c.fillRect(i, i, 1, h - 2 * i, edge);
        c.fillRect(w - 1 - i, i, 1, h - 2 * i, edge);
    }
    writeJpeg(outPath("gfx/storymap.jpg"), c, 80);
}

// "GAME OVER", drawn below the turning emblem; the edges fade to the black
// of the empty screen around it.
void writeGameOver()
{
    const int w = 384, h = 160;
    Canvas c(w, h, black);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
            double glow = std::max(0.0, 1.0 - std::sqrt(dx * dx + dy * dy));
            c.set(x, y, shade(Rgb{110, 20, 16}, glow));
        }
    const std::string serif = fontFile("DejaVuSerif-Bold.ttf");
    const std::string title = "GAME OVER";
    int tw = textWidth(serif, title, 52, 52);
    int x = (w - tw) / 2;
    drawText(c, serif, title, x + 3, 93, 52, 52, Rgb{20, 0, 0}, true);
    drawText(c, serif, title, x, 90, 52, 52, Rgb{250, 200, 80}, true);
    const std::string sub = "The Evil Force prevails";
    int sw = textWidth(serif, sub, 16, 16);
    drawText(c, serif, sub, (w - sw) / 2, 128, 16, 16, Rgb{230, 170, 140}, true);
    writeJpeg(outPath("gfx/gameover.jpg"), c, 85);
}

// The turning emblem of the story and game-over screens: an eye over a
// pyramid inside a gold ring.
void writeEmblem()
{
    Canvas c(64, 64);
    const Rgb gold{236, 190, 60}, deepBlue{24, 34, 90};
    c.fillCircle(32, 32, 31, Rgb{150, 110, 30});
    c.fillCircle(32, 32, 28, gold);
    c.fillCircle(32, 32, 25, deepBlue);
    c.polygon({12, 46, 32, 16, 52, 46}, Rgb{200, 150, 50});
    c.polygon({32, 16, 52, 46, 36, 46}, Rgb{150, 100, 36});
    c.fillEllipse(32, 32, 9, 5, Rgb{250, 246, 226});
    c.fillCircle(32, 32, 3.5, deepBlue);
    c.fillCircle(33, 31, 1, Rgb{250, 246, 226});
    for (int i = 0; i < 12; ++i) {
        double a = i * twoPi / 12;
        c.fillCircle(32 + 29.5 * detCos(a), 32 + 29.5 * detSin(a), 1.2, Rgb{255, 240, 180});
    }
    writeBmp(outPath("gfx/yrere.bmp"), c);
}

// The "+3 SEC" popup over a killed enemy; added onto the scene, so the key
// green around the letters adds nothing.
void writeTimeBonus()
{
    Canvas c(64, 20);
    const std::string bold = fontFile("DejaVuSans-Bold.ttf");
    const std::string label = "+3 SEC";
    int tw = textWidth(bold, label, 13, 14);
    int x = (64 - tw) / 2;
    drawText(c, bold, label, x + 1, 16, 13, 14, Rgb{160, 60, 0}, false);
    drawText(c, bold, label, x, 15, 13, 14, Rgb{255, 230, 60}, false);
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

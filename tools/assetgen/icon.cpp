// The application icon: a rounded badge with the dusk desert of the level's
// background and the first player's sword across it. It is drawn four times
// larger on a key-green canvas and scaled down, each output pixel taking the
// share of its 16 samples that are not key green as its alpha, so the edges
// are smooth and blend with any menu background.
#include "icon.h"
#include "canvas.h"
#include "detMath.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <zlib.h>

namespace {

constexpr int supersample = 4;

// The drawing is laid out on a 64-unit square; u() turns units into pixels
// of the supersampled canvas.
struct Layout {
    double scale;
    double u(double units) const { return units * scale; }
};

bool insideBadge(double x, double y)
{
    const double lo = 2, hi = 62, radius = 10;
    if (x < lo || y < lo || x > hi || y > hi)
        return false;
    double cx = x < lo + radius ? lo + radius : x > hi - radius ? hi - radius : x;
    double cy = y < lo + radius ? lo + radius : y > hi - radius ? hi - radius : y;
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

void drawBadge(Canvas& c, const Layout& l)
{
    const Rgb border{24, 14, 34};
    const Rgb top{14, 12, 44}, mid{84, 42, 102}, horizon{226, 122, 66};
    const Rgb sand{184, 126, 72}, deepSand{104, 64, 42};
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            double ux = (x + 0.5) / l.scale, uy = (y + 0.5) / l.scale;
            if (!insideBadge(ux, uy))
                continue;
            Rgb sky = uy < 26 ? mix(top, mid, uy / 26.0) : mix(mid, horizon, std::fmin(1.0, (uy - 26) / 18.0));
            c.set(x, y, sky);
            // A frame of 2 units in a darker shade keeps the badge apart
            // from light backgrounds.
            bool inner = insideBadge(ux - 2, uy) && insideBadge(ux + 2, uy) && insideBadge(ux, uy - 2) &&
                         insideBadge(ux, uy + 2);
            if (!inner)
                c.set(x, y, border);
        }
    c.fillCircle(l.u(20), l.u(19), l.u(6), Rgb{250, 226, 170});
    // A pyramid with a lit and a shaded face, then the dunes in front.
    c.polygon({l.u(24), l.u(48), l.u(40), l.u(25), l.u(42), l.u(48)}, Rgb{240, 176, 104});
    c.polygon({l.u(40), l.u(25), l.u(58), l.u(48), l.u(42), l.u(48)}, Rgb{116, 60, 52});
    for (int y = static_cast<int>(l.u(45)); y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            double ux = (x + 0.5) / l.scale, uy = (y + 0.5) / l.scale;
            double ridge = 47 - 2.5 * detCos((ux - 10) / 9.0);
            if (uy >= ridge && insideBadge(ux - 2, uy) && insideBadge(ux + 2, uy) && insideBadge(ux, uy + 2))
                c.set(x, y, mix(sand, deepSand, (uy - ridge) / 14.0));
        }
}

// The sword runs from its pommel at the lower left to its tip at the upper
// right, with a steel blade whose lit half faces the sky.
void drawSword(Canvas& c, const Layout& l)
{
    const double px = 13, py = 53, tx = 53, ty = 11;
    double len = std::sqrt((tx - px) * (tx - px) + (ty - py) * (ty - py));
    double dx = (tx - px) / len, dy = (ty - py) / len;  // along the blade
    double nx = -dy, ny = dx;                           // across it
    auto at = [&](double along, double across, std::vector<double>& xy) {
        xy.push_back(l.u(px + dx * along + nx * across));
        xy.push_back(l.u(py + dy * along + ny * across));
    };
    const double guardAt = 11, bladeHalf = 3.2, tipLength = 7;
    std::vector<double> outline, lit, dark;
    for (auto [along, across] : {std::pair{guardAt, -bladeHalf - 1}, {len - tipLength, -bladeHalf - 1}, {len + 1.4, 0.0},
                                 {len - tipLength, bladeHalf + 1}, {guardAt, bladeHalf + 1}})
        at(along, across, outline);
    for (auto [along, across] : {std::pair{guardAt, -bladeHalf}, {len - tipLength, -bladeHalf}, {len, 0.0}, {guardAt, 0.0}})
        at(along, across, lit);
    for (auto [along, across] : {std::pair{guardAt, 0.0}, {len, 0.0}, {len - tipLength, bladeHalf}, {guardAt, bladeHalf}})
        at(along, across, dark);
    const Rgb ink{20, 12, 26};
    c.polygon(outline, ink);
    c.polygon(lit, Rgb{236, 240, 248});
    c.polygon(dark, Rgb{150, 162, 186});

    // Grip, cross-guard and pommel, each with a dark edge.
    auto bar = [&](double a0, double c0, double a1, double c1, double thick, Rgb colour) {
        double x0 = l.u(px + dx * a0 + nx * c0), y0 = l.u(py + dy * a0 + ny * c0);
        double x1 = l.u(px + dx * a1 + nx * c1), y1 = l.u(py + dy * a1 + ny * c1);
        c.line(x0, y0, x1, y1, l.u(thick + 2), ink);
        c.line(x0, y0, x1, y1, l.u(thick), colour);
    };
    bar(1, 0, guardAt, 0, 3.6, Rgb{112, 62, 36});
    bar(guardAt, -8, guardAt, 8, 3.4, Rgb{236, 184, 62});
    c.fillCircle(l.u(px), l.u(py), l.u(4.2), ink);
    c.fillCircle(l.u(px), l.u(py), l.u(3.2), Rgb{236, 184, 62});
}

// RGBA pixels of one icon, top row first.
std::vector<uint8_t> drawIcon(int size)
{
    Canvas c(size * supersample, size * supersample, keyGreen);
    Layout l{size * supersample / 64.0};
    drawBadge(c, l);
    drawSword(c, l);

    std::vector<uint8_t> rgba;
    rgba.reserve(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int j = 0; j < supersample; ++j)
                for (int i = 0; i < supersample; ++i) {
                    Rgb p = c.get(x * supersample + i, y * supersample + j);
                    if (p.r == keyGreen.r && p.g == keyGreen.g && p.b == keyGreen.b)
                        continue;
                    r += p.r;
                    g += p.g;
                    b += p.b;
                    ++n;
                }
            const int samples = supersample * supersample;
            rgba.push_back(static_cast<uint8_t>(n ? (r + n / 2) / n : 0));
            rgba.push_back(static_cast<uint8_t>(n ? (g + n / 2) / n : 0));
            rgba.push_back(static_cast<uint8_t>(n ? (b + n / 2) / n : 0));
            rgba.push_back(static_cast<uint8_t>((n * 255 + samples / 2) / samples));
        }
    return rgba;
}

void putBe32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<uint8_t>(v >> shift));
}

void putChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data)
{
    putBe32(png, static_cast<uint32_t>(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, &png[start], static_cast<uInt>(png.size() - start));
    putBe32(png, static_cast<uint32_t>(crc));
}

// An 8-bit RGBA PNG with no filtering and no ancillary chunks (so no time
// stamp that would change the bytes between runs).
std::vector<uint8_t> encodePng(int size, const std::vector<uint8_t>& rgba)
{
    std::vector<uint8_t> raw;
    size_t rowBytes = static_cast<size_t>(size) * 4;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);  // filter type None
        raw.insert(raw.end(), rgba.begin() + y * rowBytes, rgba.begin() + (y + 1) * rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) {
        std::fprintf(stderr, "kvassetgen: cannot compress a %dx%d icon\n", size, size);
        std::exit(1);
    }
    packed.resize(packedSize);

    std::vector<uint8_t> header;
    putBe32(header, static_cast<uint32_t>(size));
    putBe32(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, no interlace
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", packed);
    putChunk(png, "IEND", {});
    return png;
}

}  // namespace

void writeIcons(const std::string& folder)
{
    for (int size : iconSizes) {
        std::string dir = folder + "/" + std::to_string(size) + "x" + std::to_string(size);
        std::string path = dir + "/kelvantis.png";
        std::vector<uint8_t> png = encodePng(size, drawIcon(size));
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(png.data(), 1, png.size(), f) != png.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "kvassetgen: cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
}

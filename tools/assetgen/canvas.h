// A small RGB drawing surface for the asset generator, with the BMP and JPEG
// writers that turn it into the files the game reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

constexpr Rgb keyGreen{0, 255, 0};  // transparent key of every BMP but the font
constexpr Rgb black{0, 0, 0};       // transparent key of the font

inline Rgb rgb(int r, int g, int b)
{
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return Rgb{clamp(r), clamp(g), clamp(b)};
}

// Linear mix of two colours, t = 0 gives a, t = 1 gives b.
Rgb mix(Rgb a, Rgb b, double t);
// Multiplies each channel by f (clamped).
Rgb shade(Rgb c, double f);

// Pixels are stored top row first; (0, 0) is the top-left corner.
class Canvas {
public:
    Canvas(int width, int height, Rgb fill = keyGreen);

    int width() const { return w; }
    int height() const { return h; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Rgb get(int x, int y) const;
    void set(int x, int y, Rgb c);
    // Mixes c over the pixel with coverage a (0..1).
    void blend(int x, int y, Rgb c, double a);

    void fillRect(int x, int y, int rw, int rh, Rgb c);
    void fillCircle(double cx, double cy, double r, Rgb c);
    void fillEllipse(double cx, double cy, double rx, double ry, Rgb c);
    void ring(double cx, double cy, double r0, double r1, Rgb c);
    // A line of the given thickness with round ends.
    void line(double x0, double y0, double x1, double y1, double thick, Rgb c);
    // Filled polygon, even-odd rule, sampled at pixel centres.
    void polygon(const std::vector<double>& xy, Rgb c);
    // Left-right mirror image.
    Canvas mirrored() const;
    // Replaces every pixel of colour from by to.
    void replace(Rgb from, Rgb to);
    // Copies src onto this canvas at (x, y), skipping its key-green pixels.
    void paste(const Canvas& src, int x, int y);

    const std::vector<uint8_t>& pixels() const { return px; }

private:
    int w, h;
    std::vector<uint8_t> px;  // r, g, b per pixel
};

// Writes an uncompressed 24-bit BMP with a 40-byte information header.
// The game's reader does not skip row padding, so the width must be a
// multiple of 4; anything else is a generator bug and aborts.
void writeBmp(const std::string& path, const Canvas& c);

// Writes a baseline RGB JPEG at the given quality.
void writeJpeg(const std::string& path, const Canvas& c, int quality);

// Writes a text or binary file, creating its folder.
void writeText(const std::string& path, const std::string& text);
void makeDirs(const std::string& path);

// A tiny deterministic generator (xorshift) so the output is the same on
// every run and every machine.
class Rng {
public:
    explicit Rng(uint32_t seed) : s(seed ? seed : 1) {}
    uint32_t next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    // Uniform in [0, 1).
    double unit() { return (next() >> 8) * (1.0 / 16777216.0); }
    int range(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint32_t s;
};

// Every file the generator writes, with its size, for the closing summary.
struct WrittenFile {
    std::string path;
    long size;
};
extern std::vector<WrittenFile> writtenFiles;
extern std::string outputRoot;

// Full path of a file inside the output folder.
std::string outPath(const std::string& relative);

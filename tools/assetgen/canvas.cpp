#include "canvas.h"
#include "detMath.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>

std::vector<WrittenFile> writtenFiles;
std::string outputRoot = ".";

std::string outPath(const std::string& relative)
{
    return outputRoot + "/" + relative;
}

Rgb mix(Rgb a, Rgb b, double t)
{
    return rgb(static_cast<int>(std::lround(a.r + (b.r - a.r) * t)),
               static_cast<int>(std::lround(a.g + (b.g - a.g) * t)),
               static_cast<int>(std::lround(a.b + (b.b - a.b) * t)));
}

Rgb shade(Rgb c, double f)
{
    return rgb(static_cast<int>(c.r * f), static_cast<int>(c.g * f), static_cast<int>(c.b * f));
}

Canvas::Canvas(int width, int height, Rgb fill) : w(width), h(height), px(static_cast<size_t>(width) * height * 3)
{
    for (size_t i = 0; i < px.size(); i += 3) {
        px[i] = fill.r;
        px[i + 1] = fill.g;
        px[i + 2] = fill.b;
    }
}

Rgb Canvas::get(int x, int y) const
{
    if (!inside(x, y))
        return keyGreen;
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return Rgb{px[i], px[i + 1], px[i + 2]};
}

void Canvas::set(int x, int y, Rgb c)
{
    if (!inside(x, y))
        return;
    size_t i = (static_cast<size_t>(y) * w + x) * 3;
    px[i] = c.r;
    px[i + 1] = c.g;
    px[i + 2] = c.b;
}

void Canvas::blend(int x, int y, Rgb c, double a)
{
    if (!inside(x, y) || a <= 0.0)
        return;
    set(x, y, a >= 1.0 ? c : mix(get(x, y), c, a));
}

void Canvas::fillRect(int x, int y, int rw, int rh, Rgb c)
{
    for (int j = y; j < y + rh; ++j)
        for (int i = x; i < x + rw; ++i)
            set(i, j, c);
}

void Canvas::fillCircle(double cx, double cy, double r, Rgb c)
{
    fillEllipse(cx, cy, r, r, c);
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Rgb c)
{
    if (rx <= 0 || ry <= 0)
        return;
    for (int y = static_cast<int>(cy - ry) - 1; y <= static_cast<int>(cy + ry) + 1; ++y)
        for (int x = static_cast<int>(cx - rx) - 1; x <= static_cast<int>(cx + rx) + 1; ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                set(x, y, c);
        }
}

void Canvas::ring(double cx, double cy, double r0, double r1, Rgb c)
{
    for (int y = static_cast<int>(cy - r1) - 1; y <= static_cast<int>(cy + r1) + 1; ++y)
        for (int x = static_cast<int>(cx - r1) - 1; x <= static_cast<int>(cx + r1) + 1; ++x) {
            double d = detHypot(x + 0.5 - cx, y + 0.5 - cy);
            if (d >= r0 && d <= r1)
                set(x, y, c);
        }
}

void Canvas::line(double x0, double y0, double x1, double y1, double thick, Rgb c)
{
    double r = thick / 2.0;
    double vx = x1 - x0, vy = y1 - y0;
    double len2 = vx * vx + vy * vy;
    int minX = static_cast<int>(std::floor(std::min(x0, x1) - r)) - 1;
    int maxX = static_cast<int>(std::ceil(std::max(x0, x1) + r)) + 1;
    int minY = static_cast<int>(std::floor(std::min(y0, y1) - r)) - 1;
    int maxY = static_cast<int>(std::ceil(std::max(y0, y1) + r)) + 1;
    for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x) {
            double px0 = x + 0.5 - x0, py0 = y + 0.5 - y0;
            double t = len2 > 0 ? (px0 * vx + py0 * vy) / len2 : 0.0;
            t = t < 0 ? 0 : t > 1 ? 1 : t;
            double dx = px0 - t * vx, dy = py0 - t * vy;
            if (dx * dx + dy * dy <= r * r)
                set(x, y, c);
        }
}

void Canvas::polygon(const std::vector<double>& xy, Rgb c)
{
    size_t n = xy.size() / 2;
    if (n < 3)
        return;
    for (int y = 0; y < h; ++y) {
        double sy = y + 0.5;
        std::vector<double> xs;
        for (size_t i = 0; i < n; ++i) {
            double ax = xy[2 * i], ay = xy[2 * i + 1];
            double bx = xy[2 * ((i + 1) % n)], by = xy[2 * ((i + 1) % n) + 1];
            if ((ay <= sy && by > sy) || (by <= sy && ay > sy))
                xs.push_back(ax + (sy - ay) * (bx - ax) / (by - ay));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = static_cast<int>(std::ceil(xs[k] - 0.5)); x + 0.5 <= xs[k + 1]; ++x)
                set(x, y, c);
    }
}

Canvas Canvas::mirrored() const
{
    Canvas out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            out.set(w - 1 - x, y, get(x, y));
    return out;
}

void Canvas::replace(Rgb from, Rgb to)
{
    for (size_t i = 0; i < px.size(); i += 3)
        if (px[i] == from.r && px[i + 1] == from.g && px[i + 2] == from.b) {
            px[i] = to.r;
            px[i + 1] = to.g;
            px[i + 2] = to.b;
        }
}

void Canvas::paste(const Canvas& src, int x, int y)
{
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i) {
            Rgb c = src.get(i, j);
            if (!(c.r == 0 && c.g == 255 && c.b == 0))
                set(x + i, y + j, c);
        }
}

void makeDirs(const std::string& path)
{
    std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
}

static void recordFile(const std::string& path)
{
    std::string rel = path.substr(outputRoot.size() + 1);
    writtenFiles.push_back({rel, static_cast<long>(std::filesystem::file_size(path))});
}

static FILE* openOut(const std::string& path)
{
    makeDirs(path);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "kvassetgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return f;
}

static void put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(v & 0xff);
    b.push_back((v >> 8) & 0xff);
}

static void put32(std::vector<uint8_t>& b, uint32_t v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

void writeBmp(const std::string& path, const Canvas& c)
{
    if (c.width() % 4 != 0 || c.width() <= 0 || c.height() <= 0) {
        std::fprintf(stderr, "kvassetgen: %s is %dx%d; BMP widths must be a multiple of 4\n", path.c_str(),
                     c.width(), c.height());
        std::exit(1);
    }
    uint32_t rowBytes = static_cast<uint32_t>(c.width()) * 3;
    uint32_t dataBytes = rowBytes * static_cast<uint32_t>(c.height());
    std::vector<uint8_t> b;
    b.reserve(54 + dataBytes);
    b.push_back('B');
    b.push_back('M');
    put32(b, 54 + dataBytes);  // file size
    put32(b, 0);               // reserved
    put32(b, 54);              // pixel data offset
    put32(b, 40);              // information header size
    put32(b, static_cast<uint32_t>(c.width()));
    put32(b, static_cast<uint32_t>(c.height()));
    put16(b, 1);   // planes
    put16(b, 24);  // bits per pixel
    put32(b, 0);   // no compression
    put32(b, dataBytes);
    put32(b, 2835);  // 72 dpi
    put32(b, 2835);
    put32(b, 0);  // colours used
    put32(b, 0);  // important colours
    // BMP rows run bottom-up, each pixel blue, green, red.
    for (int y = c.height() - 1; y >= 0; --y)
        for (int x = 0; x < c.width(); ++x) {
            Rgb p = c.get(x, y);
            b.push_back(p.b);
            b.push_back(p.g);
            b.push_back(p.r);
        }
    FILE* f = openOut(path);
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    recordFile(path);
}

void writeJpeg(const std::string& path, const Canvas& c, int quality)
{
    FILE* f = openOut(path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(c.width());
    cinfo.image_height = static_cast<JDIMENSION>(c.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // No JFIF density or comment that could vary between runs.
    cinfo.write_JFIF_header = TRUE;
    cinfo.density_unit = 0;
    cinfo.X_density = 1;
    cinfo.Y_density = 1;
    jpeg_start_compress(&cinfo, TRUE);
    const std::vector<uint8_t>& px = c.pixels();
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&px[static_cast<size_t>(cinfo.next_scanline) * c.width() * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
    recordFile(path);
}

void writeText(const std::string& path, const std::string& text)
{
    FILE* f = openOut(path);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    recordFile(path);
}

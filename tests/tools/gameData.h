// Readers for the generated game folder, shared by the asset tests: they
// accept and decode exactly what the game's own loaders do.
#pragma once

#include "support/testUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace gamedata {

namespace fs = std::filesystem;

// The folder comes from KV_GAME_DIR; without it, the build's game/ folder
// next to the tests' working directory (build/tests) is used.
inline std::string gameDir()
{
    static const std::string dir = [] {
        if (const char* env = std::getenv("KV_GAME_DIR"))
            return std::string(env);
        if (const char* build = std::getenv("KV_BUILD_DIR"))
            return std::string(build) + "/game";
        return fs::absolute("../game").lexically_normal().string();
    }();
    return dir;
}

inline std::string gamePath(const std::string& relative)
{
    return gameDir() + "/" + relative;
}

inline uint32_t le16(const std::string& b, size_t at)
{
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8;
}

inline uint32_t le32(const std::string& b, size_t at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}

// A 24-bit picture decoded top row first, or the reason it is not one the
// game's reader decodes correctly.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    std::string error;

    bool isKey(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return rgb[i] == 0 && rgb[i + 1] == 255 && rgb[i + 2] == 0;
    }
    bool isBlack(int x, int y) const
    {
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
    }
};

// Validates the layout the reader accepts (54-byte header with a 40-byte
// information header, no compression, full palette, rows a multiple of four
// bytes, 1- and 4-bit pictures 256 by 256) and decodes 24-bit pixels.
inline Picture readBmp(const std::string& path)
{
    Picture p;
    std::string b = readFile(path);
    auto fail = [&p](const std::string& why) {
        p.error = why;
        return p;
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return fail("no BM header");
    if (le32(b, 2) != b.size())
        return fail("size field " + std::to_string(le32(b, 2)) + " but file has " + std::to_string(b.size()));
    if (le32(b, 14) != 40)
        return fail("information header is not 40 bytes");
    int32_t width = static_cast<int32_t>(le32(b, 18)), height = static_cast<int32_t>(le32(b, 22));
    uint32_t bpp = le16(b, 28);
    if (width <= 0 || height <= 0)
        return fail("width or height not positive");
    if (le16(b, 26) != 1 || le32(b, 30) != 0)
        return fail("planes not 1 or compressed");
    std::map<uint32_t, uint32_t> paletteBytes{{1, 8}, {4, 64}, {8, 1024}, {24, 0}};
    if (!paletteBytes.count(bpp))
        return fail("bits per pixel " + std::to_string(bpp));
    if ((bpp == 1 || bpp == 4) && (width != 256 || height != 256))
        return fail("1- and 4-bit pictures must be 256 by 256");
    uint32_t offset = 54 + paletteBytes[bpp];
    if (le32(b, 10) != offset)
        return fail("pixel data does not follow the header and palette");
    uint64_t rowBits = static_cast<uint64_t>(width) * bpp;
    if (rowBits % 32 != 0)
        return fail("rows are not a multiple of 4 bytes");
    uint64_t rowBytes = rowBits / 8;
    if (b.size() != offset + rowBytes * height)
        return fail("file length does not match the pixel rows");
    p.width = width;
    p.height = height;
    if (bpp == 24) {
        p.rgb.resize(static_cast<size_t>(width) * height * 3);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                size_t src = offset + static_cast<size_t>(height - 1 - y) * rowBytes + static_cast<size_t>(x) * 3;
                size_t dst = (static_cast<size_t>(y) * width + x) * 3;
                p.rgb[dst] = static_cast<uint8_t>(b[src + 2]);
                p.rgb[dst + 1] = static_cast<uint8_t>(b[src + 1]);
                p.rgb[dst + 2] = static_cast<uint8_t>(b[src]);
            }
    }
    return p;
}

inline std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Comment and blank lines as every text loader of the game skips them.
inline bool isCommentLine(const std::string& line)
{
    return line.empty() || line[0] == '#' || line[0] == '\r' || line[0] == '\n';
}

inline std::vector<std::string> filesUnder(const std::string& relative, const std::string& extension)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(gamePath(relative)))
        if (entry.is_regular_file() && entry.path().extension() == extension)
            out.push_back(entry.path().string());
    std::sort(out.begin(), out.end());
    return out;
}


struct Animation {
    int announced = -1;
    std::vector<std::pair<std::string, int>> frames;  // picture, display time
};

inline Animation readAnimation(const std::string& folder, const std::string& info)
{
    Animation a;
    std::vector<std::string> lines = readLines(gamePath(folder + "/" + info));
    if (lines.empty() || std::sscanf(lines[0].c_str(), "FILES: %d", &a.announced) != 1)
        return a;
    char name[256] = "";
    int duration = 0, unused1 = 0, unused2 = 0, unused3 = 0;
    for (size_t i = 1; i < lines.size() && static_cast<int>(a.frames.size()) < a.announced; ++i) {
        EXPECT_LE(lines[i].size(), 254u) << info;
        if (isCommentLine(lines[i]))
            continue;
        std::sscanf(lines[i].c_str(), "%255s %d %d %d %d", name, &duration, &unused1, &unused2, &unused3);
        a.frames.push_back({name, duration});
    }
    return a;
}

struct MapCell {
    int kind = 0, tile = 0;
};

struct Level {
    int width = -1, height = -1;
    std::string tileset;
    std::vector<std::vector<MapCell>> rows;
    bool solid(int col, int row) const
    {
        return col >= 0 && row >= 0 && col < width && row < height && rows[row][col].kind == 1;
    }
};

inline Level readLevel(std::vector<std::string>* problems)
{
    Level lv;
    std::vector<std::string> lines = readLines(gamePath("data/maps/maplvl1.map"));
    if (lines.size() < 3) {
        problems->push_back("fewer than three lines");
        return lv;
    }
    char name[256] = "";
    if (std::sscanf(lines[0].c_str(), "WIDTH: %d", &lv.width) != 1)
        problems->push_back("line 1 is not WIDTH");
    if (std::sscanf(lines[1].c_str(), "HEIGHT: %d", &lv.height) != 1)
        problems->push_back("line 2 is not HEIGHT");
    if (std::sscanf(lines[2].c_str(), "TILESET: %255s", name) != 1)
        problems->push_back("line 3 is not TILESET");
    lv.tileset = name;
    for (size_t i = 3; i < lines.size() && static_cast<int>(lv.rows.size()) < lv.height; ++i) {
        const std::string& line = lines[i];
        if (line.size() > 2047)
            problems->push_back("row line longer than 2047 characters");
        if (isCommentLine(line))
            continue;
        std::vector<MapCell> row(static_cast<size_t>(std::max(lv.width, 0)));
        int kindValue = 0, tileNumber = 0, shift = 0;
        for (int c = 0; c < lv.width; ++c) {
            size_t pos = static_cast<size_t>(shift + 4 * c);
            if (pos < line.size() && line[pos] == ' ') {
                ++shift;
                ++pos;
            }
            if (pos < line.size())
                std::sscanf(line.c_str() + pos, "%d %d", &kindValue, &tileNumber);
            row[c] = MapCell{kindValue, tileNumber};
        }
        std::istringstream numbers(line);
        std::vector<int> plain;
        int v;
        while (numbers >> v)
            plain.push_back(v);
        if (plain.size() != static_cast<size_t>(2 * lv.width))
            problems->push_back("row " + std::to_string(lv.rows.size()) + " holds " + std::to_string(plain.size()) +
                                " numbers");
        for (int c = 0; c < lv.width && 2 * c + 1 < static_cast<int>(plain.size()); ++c)
            if (plain[2 * c] != row[c].kind || plain[2 * c + 1] != row[c].tile)
                problems->push_back("row " + std::to_string(lv.rows.size()) + " column " + std::to_string(c) +
                                    " reads differently under the row rule");
        lv.rows.push_back(row);
    }
    return lv;
}

struct Jpeg {
    int width = 0, height = 0, components = 0;
    std::vector<uint8_t> rgb;
};

inline Jpeg decodeJpeg(const std::string& path)
{
    Jpeg j;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return j;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    j.width = static_cast<int>(cinfo.output_width);
    j.height = static_cast<int>(cinfo.output_height);
    j.components = cinfo.output_components;
    j.rgb.resize(static_cast<size_t>(j.width) * j.height * j.components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &j.rgb[static_cast<size_t>(cinfo.output_scanline) * j.width * j.components];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return j;
}

// The steps of the main route in the "route" block of docs/level.md, as
// (step, value) pairs; empty without KV_SOURCE_DIR.
inline std::vector<std::pair<std::string, int>> documentedRoute()
{
    const char* source = std::getenv("KV_SOURCE_DIR");
    std::vector<std::pair<std::string, int>> steps;
    if (!source)
        return steps;
    std::istringstream doc(readFile(std::string(source) + "/docs/level.md"));
    std::string line;
    bool inRoute = false;
    while (std::getline(doc, line)) {
        if (line.rfind("```", 0) == 0) {
            inRoute = line == "```route";
            continue;
        }
        if (!inRoute || line.empty() || line[0] == '#')
            continue;
        std::istringstream words(line);
        std::string step;
        int value = 0;
        words >> step >> value;
        steps.emplace_back(step, value);
    }
    return steps;
}

}  // namespace gamedata

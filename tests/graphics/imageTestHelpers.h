// Helpers shared by the picture tests: a BMP builder and a bridge to Pillow
// (Debian's /usr/bin/python3) as an independent decoder and encoder.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/testUtil.h"

inline void putLe16(std::string& s, size_t at, unsigned int v)
{
    s[at] = static_cast<char>(v & 255);
    s[at + 1] = static_cast<char>((v >> 8) & 255);
}

inline void putLe32(std::string& s, size_t at, unsigned int v)
{
    for (int i = 0; i < 4; i++)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 255);
}

// A BMP with a 40-byte information header, the given palette (BGRX entries)
// and the given pixel data, stored exactly as passed (rows bottom-up, with
// whatever padding the caller included).
inline std::string makeBmp(int width, int height, int bits, const std::string& palette,
                           const std::string& data)
{
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    putLe32(s, 2, static_cast<unsigned int>(54 + palette.size() + data.size()));
    putLe32(s, 10, static_cast<unsigned int>(54 + palette.size()));
    putLe32(s, 14, 40);
    putLe32(s, 18, static_cast<unsigned int>(width));
    putLe32(s, 22, static_cast<unsigned int>(height));
    putLe16(s, 26, 1);
    putLe16(s, 28, static_cast<unsigned int>(bits));
    putLe32(s, 34, static_cast<unsigned int>(data.size()));
    return s + palette + data;
}

// A palette of n BGRX entries where entry i is (red i, green 255 - i, blue i * 7).
inline std::string rampPalette(int n)
{
    std::string p;
    for (int i = 0; i < n; i++) {
        p += static_cast<char>((i * 7) & 255);
        p += static_cast<char>(255 - i);
        p += static_cast<char>(i);
        p += '\0';
    }
    return p;
}

inline bool havePillow()
{
    return std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
}

// Runs a Python program (written to a file in the current directory) with
// the given arguments; true when it exits with 0.
inline bool runPython(const std::string& program, const std::string& args)
{
    writeFile("helper.py", program);
    const std::string command = "/usr/bin/python3 helper.py " + args;
    return std::system(command.c_str()) == 0;
}

// Decodes a picture with Pillow into "<out>": "width height\n" then RGB rows,
// bottom row first (the BMP reader's order). Empty string when Pillow fails.
inline std::string pillowDecodeBottomUp(const std::string& path, const std::string& out)
{
    const char* program =
        "import sys\n"
        "from PIL import Image\n"
        "im = Image.open(sys.argv[1]).convert('RGB').transpose(Image.FLIP_TOP_BOTTOM)\n"
        "open(sys.argv[2], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";
    if (!runPython(program, "'" + path + "' '" + out + "' 2>/dev/null"))
        return "";
    return readFile(out);
}

// Decodes a picture with Pillow into "<out>": "width height\n" then RGB rows,
// top row first. Empty string when Pillow fails.
inline std::string pillowDecodeTopDown(const std::string& path, const std::string& out)
{
    const char* program =
        "import sys\n"
        "from PIL import Image\n"
        "im = Image.open(sys.argv[1])\n"
        "im.load()\n"
        "im = im.convert('RGB')\n"
        "open(sys.argv[2], 'wb').write(b'%d %d\\n' % im.size + im.tobytes())\n";
    if (!runPython(program, "'" + path + "' '" + out + "' 2>/dev/null"))
        return "";
    return readFile(out);
}

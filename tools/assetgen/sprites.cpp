#include "sprites.h"

#include "assetgen.h"

void writeAnimation(const std::string& folder, const std::string& infoFile, const std::string& stem,
                    const std::vector<Frame>& frames)
{
    std::string info = "FILES: " + std::to_string(frames.size()) + "\n";
    info += "# picture, display time in ms, three unused numbers\n";
    for (size_t i = 0; i < frames.size(); ++i) {
        std::string name = stem + std::to_string(i) + ".bmp";
        writeBmp(outPath(folder + "/" + name), frames[i].picture);
        info += name + " " + std::to_string(frames[i].durationMs) + " 0 0 0\n";
    }
    writeText(outPath(folder + "/" + infoFile), info);
}

void stamp(Canvas& c, int x, int y, const std::vector<std::string>& rows, const std::map<char, Rgb>& legend,
           bool mirrored)
{
    for (size_t j = 0; j < rows.size(); ++j) {
        const std::string& row = rows[j];
        for (size_t i = 0; i < row.size(); ++i) {
            auto it = legend.find(row[i]);
            if (it == legend.end())
                continue;
            int px = mirrored ? x + static_cast<int>(row.size() - 1 - i) : x + static_cast<int>(i);
            c.set(px, y + static_cast<int>(j), it->second);
        }
    }
}

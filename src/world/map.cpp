// Level map file: the header, the rows of cells, the enemy markers, and the
// level load that start-up runs once.
#include "world/map.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/textScan.h"
#include "graphics/anim.h"

TileMap tileMap;
int scrollX = 0;

namespace {

constexpr int headerLineBytes = 255; // header lines: 254 characters and the terminator
constexpr int rowLineBytes = 2048;   // row lines: 2047 characters and the terminator
constexpr int nameBytes = 256;       // tileset name, longer than any header line can hold

// The kind and tile number of the cell before carry over to a cell whose
// text does not yield a number; they start at 0 for the first cell of a file.
struct CellValues {
    int kindValue = 0;
    int tileNumber = 0;
};

// True when nothing but white space is left from text on.
bool onlySpace(const char* text)
{
    return text[std::strspn(text, " \t\r\n\v\f")] == '\0';
}

// Splits one row line into the cells of grid row `row`. Cells sit 4
// characters apart; every blank found where a cell should start (a two-digit
// tile number before it, or a leading blank) moves the later cells one
// character right.
void parseRow(TileMap& map, const char* line, int row, CellValues& carry)
{
    const int length = static_cast<int>(std::strlen(line));
    const int width = std::min(map.mapWidth, maxMapWidth);
    int shift = 0;
    for (int c = 0; c < width; c++) {
        MapCell& cell = map.cells[c][row];
        int pos = shift + 4 * c;
        if (pos < length && line[pos] == ' ') {
            shift++;
            pos++;
        }
        // A line that ends before its last cell: the missing cells stay empty
        // rather than repeating the numbers of the cell before.
        if (pos >= length || onlySpace(line + pos))
            continue;
        const char* rest = line + pos;
        if (scanInt(rest, &carry.kindValue, &rest))
            scanInt(rest, &carry.tileNumber, nullptr);

        if (carry.kindValue == 1) {
            cell.kind = 1;
        } else if (carry.kindValue == 2 && map.markerCount < maxMarkers) {
            cell.kind = 2;
            map.markerCount++;
        } else {
            cell.kind = 0;
        }

        const int n = carry.tileNumber;
        if (n == 0)
            continue;
        // A tile number with no table entry, or one the tileset never
        // defined, leaves the cell without a picture; its kind still counts.
        if (n < 1 || n > tileNumbers || map.baseTiles[n - 1] == nullptr)
            continue;
        cell.baseCursor = new AnimCursor;
        cell.baseCursor->set(map.baseTiles[n - 1]);
        cell.accentCursor = new AnimCursor;
        cell.accentCursor->set(map.accentTiles[n - 1]);
    }
}

} // namespace

bool TileMap::loadMap(const char* folder)
{
    const std::string path = std::string(folder) + "/maplvl1.map";
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        std::printf("ERROR opening file %s\n\n", path.c_str());
        return false;
    }

    char line[rowLineBytes];
    char tilesetName[nameBytes] = "";
    const char* rest;
    if (readLine(line, headerLineBytes, file) && matchPrefix(line, "WIDTH:", &rest))
        scanInt(rest, &mapWidth, nullptr);
    if (readLine(line, headerLineBytes, file) && matchPrefix(line, "HEIGHT:", &rest))
        scanInt(rest, &mapHeight, nullptr);
    if (readLine(line, headerLineBytes, file) && matchPrefix(line, "TILESET:", &rest))
        scanWord(rest, tilesetName, sizeof tilesetName, nullptr);

    const std::string tilesetPath = std::string("data/tilesets/") + tilesetName + ".txt";
    if (!loadTileset(tilesetPath.c_str())) {
        std::fclose(file);
        return false;
    }
    if (mapWidth > maxMapWidth || mapHeight > mapRows) {
        std::printf("Error: Map dimensions exceed maximum (400x15)\n");
        std::fclose(file);
        return false;
    }
    if (mapWidth < minMapWidth || mapHeight < mapRows) {
        std::printf("Error: Map dimensions preceed minimum (20x15)\n");
        std::fclose(file);
        return false;
    }

    CellValues carry;
    int row = 0;
    while (row < mapHeight) {
        if (!readLine(line, rowLineBytes, file))
            break;
        if (isCommentLine(line))
            continue;
        parseRow(*this, line, row, carry);
        row++;
    }
    std::fclose(file);
    return true;
}

void TileMap::findMarker(int index, int* column, int* row) const
{
    const int rows = std::clamp(mapHeight, 0, mapRows);
    const int columns = std::clamp(mapWidth, 0, maxMapWidth);
    int count = 0;
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < columns; c++) {
            if (cells[c][r].kind != 2)
                continue;
            if (count == index) {
                *column = c;
                *row = r;
                return;
            }
            count++;
        }
    }
}

void loadLevel()
{
    if (!tileMap.loadMap("data/maps")) {
        std::printf("Map load failure; exiting.\n");
        std::exit(1);
    }
    scrollX = 0;
}

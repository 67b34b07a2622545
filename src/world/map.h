// The level: one grid of 32-pixel tiles, its map and tileset loaders, the
// horizontal scroll and tile drawing.
#pragma once

class AnimCursor;
class SpriteAnim;

constexpr int tileSize = 32;       // tile pitch in pixels, both axes
constexpr int maxMapWidth = 400;   // widest level, in columns
constexpr int minMapWidth = 20;    // narrowest level: exactly one screen
constexpr int mapRows = 15;        // every level is 15 rows (480 pixels) high
constexpr int tileNumbers = 100;   // tile numbers 1..100 have picture entries
constexpr int maxMarkers = 32;     // enemy markers accepted per level
constexpr int visibleColumns = 21; // columns visited per frame (20 + the partial one)

// One cell of the grid. The picture and the kind are independent: an empty
// cell may show scenery, a solid cell may show nothing.
struct MapCell {
    int kind = 0;                        // 0 empty, 1 solid, 2 enemy marker (passable)
    AnimCursor* baseCursor = nullptr;    // owned; the cell's tile picture, or null
    AnimCursor* accentCursor = nullptr;  // owned; the light layer picture, or null
};

// The level grid and the tile picture tables the tileset fills.
class TileMap {
public:
    int mapWidth = 20;    // columns, 20..400 after a successful load
    int mapHeight = 15;   // rows, 15 after a successful load
    int markerCount = 0;  // cells accepted as enemy markers, 0..32
    MapCell cells[maxMapWidth][mapRows];         // column first; row 0 is the top
    SpriteAnim* baseTiles[tileNumbers] = {};     // entry n-1: base picture of tile n
    SpriteAnim* accentTiles[tileNumbers] = {};   // entry n-1: accent picture of tile n

    // Reads "<folder>/maplvl1.map" and the tileset it names. False (with a
    // message on stdout) when a file is missing or the size is out of range.
    // Called by loadLevel.
    bool loadMap(const char* folder);
    // Reads a tileset file and fills both tables. False when the file cannot
    // be opened. Called by loadMap before the rows are parsed.
    bool loadTileset(const char* path);
    // Store a picture at entry index (0..99); other indices are ignored. Called by loadTileset.
    void setBaseTile(SpriteAnim* anim, int index);
    void setAccentTile(SpriteAnim* anim, int index);
    // Entry i (0..99) of a table, null outside that range. Called by the shutdown cleanup.
    SpriteAnim* getBaseTile(int i) const;
    SpriteAnim* getAccentTile(int i) const;

    // Level width in columns; the player update derives the scroll limit from it.
    int getWidth() const { return mapWidth; }
    // Number of enemy markers. Called by the enemy loader.
    int getMarkerCount() const { return markerCount; }
    // Column and row of marker number index (0-based, rows top to bottom,
    // columns left to right within a row). Leaves both unchanged when there
    // is no such marker. Called by the enemy loader.
    void findMarker(int index, int* column, int* row) const;

    // True when (column, row) lies inside the grid and its kind is 1.
    // Called by the span probes and by the bullets (twice per bullet each
    // tick, hence defined here, where the callers can inline it).
    bool isSolid(int column, int row) const
    {
        // The grid arrays bound the test as well, in case a failed load left a
        // width or height outside them.
        if (column < 0 || column >= mapWidth || column >= maxMapWidth)
            return false;
        if (row < 0 || row >= mapHeight || row >= mapRows)
            return false;
        return cells[column][row].kind == 1;
    }

    // Draws the 21 columns under the view: base pictures darkened by shade
    // (0..255), accent pictures added as light below full shade. Called once
    // per frame by the playing and dying screens, after the background, with
    // the colour (1, 1, 1, 0.5) in force. Leaves that colour in force.
    void drawTileMap(int scrollX, int shade);
};

// ---- Globals ----------------------------------------------------------------
extern TileMap tileMap; // the one level, loaded once by loadLevel
extern int scrollX;     // world x at the left edge of the view, 0..mapWidth*32-640; set by loadLevel, respawn and scrollCamera

// Loads "data/maps/maplvl1.map" and its tileset into tileMap and sets scrollX
// to 0. On failure prints "Map load failure; exiting." and ends the process
// with code 1. Called once by main, after the players and before the enemies.
void loadLevel();

// ---- Platform side -------------------------------------------------------------
// Sets the current drawing colour (glColor4f). Called by drawTileMap.
void setTileColour(float r, float g, float b, float a);

// Drawing the visible part of the level: the base tiles under a shade and
// their accent pictures added as light when the scene darkens.
#include <algorithm>

#include "graphics/anim.h"
#include "graphics/drawBatch.h"
#include "graphics/image.h"
#include "world/map.h"

namespace {

// A cursor whose picture loaded: a failed picture has width 0 and a frame
// without a texture, which must never reach the draw.
bool hasPicture(AnimCursor* cursor)
{
    SpriteAnim* anim = cursor->getAnim();
    return anim != nullptr && anim->width > 0;
}

// No frame of the picture reaches beyond its 32-pixel cell.
bool fitsCell(const SpriteAnim* anim)
{
    if (anim == nullptr || anim->frames == nullptr)
        return true;
    for (int i = 0; i < anim->framesReady; i++) {
        const Texture* t = anim->frames[i].texture;
        if (t != nullptr && (t->width > tileSize || t->height > tileSize))
            return false;
    }
    return true;
}

bool cursorFitsCell(AnimCursor* cursor)
{
    return cursor == nullptr || fitsCell(cursor->getAnim());
}

} // namespace

void TileMap::drawTileMap(int scrollX, int shade)
{
    // Out-of-range shades are pulled into 0..255 so the blend strength below
    // stays a valid alpha.
    shade = std::clamp(shade, 0, 255);
    const int first = scrollX / tileSize;
    const int offset = scrollX % tileSize;
    const int columns = std::min(mapWidth, maxMapWidth);
    const int rows = std::clamp(mapHeight, 0, mapRows);
    const float level = shade / 255.0f;

    // Pictures that stay inside their cells never overlap another cell's,
    // so the tiles can go by picture: every base, then every accent (which
    // keeps each accent above its own base). A bigger picture keeps the order.
    bool fit = true;
    for (int c = std::max(first, 0); c <= first + visibleColumns - 1 && c < columns; c++) {
        for (int r = 0; r < rows; r++)
            fit = fit && cursorFitsCell(cells[c][r].baseCursor) && cursorFitsCell(cells[c][r].accentCursor);
    }
    beginDrawBatch(fit ? DrawOrder::byState : DrawOrder::asCalled);
    for (int c = first; c <= first + visibleColumns - 1; c++) {
        // Columns beyond the map (the 21st at the right end) hold nothing;
        // a negative scroll would put some before it.
        if (c < 0 || c >= columns)
            continue;
        const int x = (c - first) * tileSize - offset;
        for (int r = 0; r < rows; r++) {
            const MapCell& cell = cells[c][r];
            const int y = r * tileSize;

            if (cell.baseCursor && shade >= 1) {
                // A base picture that failed to load is not drawn, but its
                // cell still sets and restores the colour, so the colour left
                // behind does not depend on which pictures loaded.
                const bool drawable = hasPicture(cell.baseCursor);
                cell.baseCursor->setPos(x, y);
                if (shade != 255)
                    setTileColour(level, level, level, 0.5f);
                if (drawable)
                    cell.baseCursor->draw();
                setTileColour(1.0f, 1.0f, 1.0f, 0.5f);
            }

            if (cell.accentCursor && shade < 255 && hasPicture(cell.accentCursor)) {
                cell.accentCursor->setPos(x, y);
                if (shade == 0)
                    cell.accentCursor->draw();
                else
                    cell.accentCursor->drawBlended(255 - shade);
            }
        }
    }
    endDrawBatch();
}

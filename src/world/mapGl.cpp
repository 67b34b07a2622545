// The one OpenGL call of the tile drawing (recorded inside a draw batch).
#include <GL/gl.h>

#include "graphics/drawBatchRecord.h"
#include "world/map.h"

void setTileColour(float r, float g, float b, float a)
{
    if (batchGathering())
        recordColour(r, g, b, a);
    else
        glColor4f(r, g, b, a);
}

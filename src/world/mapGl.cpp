// The one OpenGL call of the tile drawing.
#include <GL/gl.h>

#include "world/map.h"

void setTileColour(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
}

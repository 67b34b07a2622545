// Title menu screens, drawing side: the laid-out lines through the font.
#include "graphics/font.h"
#include "shell/menus.h"

void drawTitleMenu()
{
    MenuLine lines[maxMenuLines];
    const int count = layoutTitleMenu(lines);
    for (int i = 0; i < count; i++)
        printText(lines[i].x, lines[i].y, lines[i].set, "%s", lines[i].text);
}

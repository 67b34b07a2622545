// Swap interval 0 through GLX, so that buffer swaps never wait for the
// display's refresh.
#include "shell/swapControl.h"

#include <GL/glx.h>
#include <cstdio>
#include <cstring>

// True when name is one of the space-separated words of list. A plain
// substring search would take "GLX_EXT_swap_control_tear" for
// "GLX_EXT_swap_control".
static bool hasWord(const char* list, const char* name)
{
    const size_t length = strlen(name);
    const char* p = list;
    while (p != nullptr && *p != '\0') {
        while (*p == ' ')
            ++p;
        const char* end = strchr(p, ' ');
        const size_t wordLength = end != nullptr ? size_t(end - p) : strlen(p);
        if (wordLength == length && strncmp(p, name, length) == 0)
            return true;
        p = end;
    }
    return false;
}

// The driver's function of that name. Asked only for an extension the
// extension string lists: glvnd hands out a pointer for any glX name, so a
// pointer alone says nothing about what the driver can do.
static void (*glxFunction(const char* name))()
{
    return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

void turnOffSwapSync()
{
    Display* display = glXGetCurrentDisplay();
    GLXContext context = glXGetCurrentContext();
    GLXDrawable drawable = glXGetCurrentDrawable();
    if (display != nullptr && context != nullptr && drawable != 0) {
        int screen = DefaultScreen(display);
        glXQueryContext(display, context, GLX_SCREEN, &screen);
        const char* extensions = glXQueryExtensionsString(display, screen);
        if (extensions == nullptr)
            extensions = "";
        if (hasWord(extensions, "GLX_EXT_swap_control")) {
            auto setInterval = reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(glxFunction("glXSwapIntervalEXT"));
            if (setInterval != nullptr) {
                setInterval(display, drawable, 0);
                return;
            }
        }
        if (hasWord(extensions, "GLX_MESA_swap_control")) {
            auto setInterval = reinterpret_cast<PFNGLXSWAPINTERVALMESAPROC>(glxFunction("glXSwapIntervalMESA"));
            if (setInterval != nullptr && setInterval(0) == 0)
                return;
        }
    }
    fprintf(stderr, "kelvantis: no GLX_EXT_swap_control or GLX_MESA_swap_control: buffer swaps may wait "
                    "for the display's refresh and slow the game down\n");
}

/* A display that syncs every buffer swap to its refresh, as most desktop
 * drivers do by default, for a game run under Xvfb (whose llvmpipe never
 * waits). Preloaded into the game (LD_PRELOAD) by the frame-rate test.
 *
 *   KV_SYNC_HZ          refresh rate; each glXSwapBuffers returns at the
 *                       next refresh boundary (or the interval-th one) unless
 *                       the program asked for swap interval 0. 0 or unset:
 *                       swaps never wait.
 *   KV_SYNC_EXTENSIONS  words added to glXQueryExtensionsString (default
 *                       "GLX_EXT_swap_control GLX_MESA_swap_control").
 *   KV_SYNC_IGNORE_INTERVAL  1: a requested interval is counted but not
 *                       applied, so swaps wait as they did for the game
 *                       before it asked for interval 0 (for the bench's
 *                       "before" figure).
 *   KV_SYNC_REPORT      a file that the library maps and keeps up to date,
 *                       nine 64-bit counters (see enum below), so a test
 *                       reads the frames drawn, when the last one was shown
 *                       and the interval calls while the game runs.
 *
 * glXSwapIntervalEXT, glXSwapIntervalMESA, glXGetSwapIntervalMESA and
 * glXSwapIntervalSGI are served through glXGetProcAddress(ARB) whatever the
 * extension string says, as glvnd does: only the string tells a program what
 * the driver can do. As with real drivers the interval starts at 1 and
 * glXSwapIntervalSGI refuses 0. */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

enum {
    reportSwaps,       /* glXSwapBuffers calls */
    reportExtCalls,    /* glXSwapIntervalEXT calls */
    reportExtLast,     /* the interval last passed to it */
    reportMesaCalls,   /* glXSwapIntervalMESA calls */
    reportMesaLast,
    reportSgiCalls,    /* glXSwapIntervalSGI calls */
    reportSgiLast,
    reportInterval,    /* the interval in force */
    reportLastSwapNs,  /* CLOCK_MONOTONIC when the latest swap returned */
    reportCount
};

static int64_t fallbackReport[reportCount];
static int64_t* report = fallbackReport;
static int64_t periodNs;      /* 0: swaps never wait */
static int64_t epochNs;       /* refresh boundaries are epochNs + k * periodNs */
static int swapInterval = 1;  /* the drivers' default */
static int ignoreInterval;    /* KV_SYNC_IGNORE_INTERVAL */

static int64_t nowNs(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static void put(int slot, int64_t value)
{
    __atomic_store_n(&report[slot], value, __ATOMIC_RELAXED);
}

__attribute__((constructor)) static void startDisplay(void)
{
    const char* hz = getenv("KV_SYNC_HZ");
    double rate = hz != NULL ? atof(hz) : 0.0;
    if (rate > 0.0)
        periodNs = (int64_t)(1e9 / rate + 0.5);
    epochNs = nowNs();
    const char* ignore = getenv("KV_SYNC_IGNORE_INTERVAL");
    ignoreInterval = ignore != NULL && strcmp(ignore, "1") == 0;
    const char* path = getenv("KV_SYNC_REPORT");
    if (path != NULL && *path != '\0') {
        int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0 && ftruncate(fd, sizeof fallbackReport) == 0) {
            void* mapped = mmap(NULL, sizeof fallbackReport, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (mapped != MAP_FAILED)
                report = mapped;
        }
        if (fd >= 0)
            close(fd);
        if (report == fallbackReport)
            fprintf(stderr, "syncedDisplay: cannot map %s\n", path);
    }
    put(reportInterval, swapInterval);
}

static void* next(const char* name)
{
    void* f = dlsym(RTLD_NEXT, name);
    if (f == NULL) {
        fprintf(stderr, "syncedDisplay: no %s to wrap\n", name);
        abort();
    }
    return f;
}

static void setInterval(int interval)
{
    if (ignoreInterval)
        return;
    swapInterval = interval;
    put(reportInterval, interval);
}

static void swapIntervalEXT(Display* display, GLXDrawable drawable, int interval)
{
    (void)display;
    (void)drawable;
    put(reportExtCalls, report[reportExtCalls] + 1);
    put(reportExtLast, interval);
    if (interval >= 0)
        setInterval(interval);
}

static int swapIntervalMESA(unsigned int interval)
{
    put(reportMesaCalls, report[reportMesaCalls] + 1);
    put(reportMesaLast, interval);
    setInterval((int)interval);
    return 0;
}

static int getSwapIntervalMESA(void)
{
    return swapInterval;
}

static int swapIntervalSGI(int interval)
{
    put(reportSgiCalls, report[reportSgiCalls] + 1);
    put(reportSgiLast, interval);
    if (interval <= 0)
        return GLX_BAD_VALUE;
    setInterval(interval);
    return 0;
}

static __GLXextFuncPtr served(const GLubyte* name)
{
    const char* n = (const char*)name;
    if (strcmp(n, "glXSwapIntervalEXT") == 0)
        return (__GLXextFuncPtr)swapIntervalEXT;
    if (strcmp(n, "glXSwapIntervalMESA") == 0)
        return (__GLXextFuncPtr)swapIntervalMESA;
    if (strcmp(n, "glXGetSwapIntervalMESA") == 0)
        return (__GLXextFuncPtr)getSwapIntervalMESA;
    if (strcmp(n, "glXSwapIntervalSGI") == 0)
        return (__GLXextFuncPtr)swapIntervalSGI;
    return NULL;
}

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name)
{
    static __GLXextFuncPtr (*real)(const GLubyte*);
    __GLXextFuncPtr f = served(name);
    if (f != NULL)
        return f;
    if (real == NULL)
        real = (__GLXextFuncPtr(*)(const GLubyte*))next("glXGetProcAddressARB");
    return real(name);
}

__GLXextFuncPtr glXGetProcAddress(const GLubyte* name)
{
    static __GLXextFuncPtr (*real)(const GLubyte*);
    __GLXextFuncPtr f = served(name);
    if (f != NULL)
        return f;
    if (real == NULL)
        real = (__GLXextFuncPtr(*)(const GLubyte*))next("glXGetProcAddress");
    return real(name);
}

const char* glXQueryExtensionsString(Display* display, int screen)
{
    static const char* (*real)(Display*, int);
    /* The driver's string is fixed per screen: one joined copy each. */
    static struct {
        const char* from;
        char* joined;
    } cache[8];
    if (real == NULL)
        real = (const char* (*)(Display*, int))next("glXQueryExtensionsString");
    const char* base = real(display, screen);
    if (base == NULL)
        return NULL;
    const char* extra = getenv("KV_SYNC_EXTENSIONS");
    if (extra == NULL)
        extra = "GLX_EXT_swap_control GLX_MESA_swap_control";
    for (size_t i = 0; i < sizeof cache / sizeof cache[0]; ++i) {
        if (cache[i].from == base)
            return cache[i].joined;
        if (cache[i].from == NULL) {
            size_t size = strlen(base) + strlen(extra) + 3;
            char* joined = malloc(size);
            if (joined == NULL)
                return base;
            snprintf(joined, size, "%s%s%s ", base, *base != '\0' && base[strlen(base) - 1] != ' ' ? " " : "",
                     extra);
            cache[i].from = base;
            cache[i].joined = joined;
            return joined;
        }
    }
    return base;
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static void (*real)(Display*, GLXDrawable);
    if (real == NULL)
        real = (void (*)(Display*, GLXDrawable))next("glXSwapBuffers");
    real(display, drawable);
    if (periodNs > 0 && swapInterval > 0) {
        /* Back at the interval-th refresh boundary after now. */
        int64_t boundary = epochNs + ((nowNs() - epochNs) / periodNs + swapInterval) * periodNs;
        struct timespec until = {(time_t)(boundary / 1000000000), (long)(boundary % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) == EINTR) {
        }
    }
    put(reportLastSwapNs, nowNs());
    put(reportSwaps, report[reportSwaps] + 1);
}

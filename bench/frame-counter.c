/* Preloaded into the saver by scripts/measure-host.sh: counts the frames it presents (glXSwapBuffers on a
 * double-buffered X11 window, eglSwapBuffers on Wayland; glFlush calls, two a frame, otherwise) and prints the
 * counts on stderr at SIGUSR1 and at exit. A measuring tool, not part of the saver. */
#define _GNU_SOURCE
#include <EGL/egl.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

static long gSwaps, gFlushes;

static void Report(void) { fprintf(stderr, "frame-counter: %ld swaps, %ld flushes\n", gSwaps, gFlushes); }

static void OnSignal(int signal)
{
    (void)signal;
    Report();
}

__attribute__((constructor)) static void Install(void)
{
    atexit(Report);
    signal(SIGUSR1, OnSignal);
}

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static void (*real)(Display*, GLXDrawable);
    if (real == NULL)
        real = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    ++gSwaps;
    real(display, drawable);
}

void glFlush(void)
{
    static void (*real)(void);
    if (real == NULL)
        real = (void (*)(void))dlsym(RTLD_NEXT, "glFlush");
    ++gFlushes;
    real();
}

EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface)
{
    static EGLBoolean (*real)(EGLDisplay, EGLSurface);
    if (real == NULL)
        real = (EGLBoolean(*)(EGLDisplay, EGLSurface))dlsym(RTLD_NEXT, "eglSwapBuffers");
    ++gSwaps;
    return real(display, surface);
}

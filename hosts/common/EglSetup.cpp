#include "hosts/common/EglSetup.h"

#include <EGL/eglext.h>

#include <cstring>

EGLDisplay EglPlatformDisplay(EGLenum platform, void* native, const char* extension, const char* name,
                              std::string* error)
{
    const char* extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (extensions == nullptr || std::strstr(extensions, extension) == nullptr) {
        *error = std::string("EGL has no ") + name + " platform (Mesa's EGL is needed)";
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display = eglGetPlatformDisplay(platform, native, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        *error = std::string("cannot initialise EGL on the ") + name + " display";
        return EGL_NO_DISPLAY;
    }
    return display;
}

EGLContext EglSaverContext(EGLDisplay display, EGLConfig config, std::string* error)
{
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = "EGL offers no desktop OpenGL";
        return EGL_NO_CONTEXT;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_CONTEXT_MINOR_VERSION, 1,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
        *error = "cannot create an OpenGL compatibility-profile context";
    return context;
}

bool EglMakeCurrent(EGLDisplay display, EGLSurface surface, EGLContext context)
{
    if (eglGetCurrentContext() == context && eglGetCurrentSurface(EGL_DRAW) == surface)
        return true;
    return surface != EGL_NO_SURFACE && eglMakeCurrent(display, surface, surface, context) == EGL_TRUE;
}

void EglDestroy(EGLDisplay display, EGLSurface surface, EGLContext context)
{
    if (context != EGL_NO_CONTEXT && eglGetCurrentContext() == context)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (surface != EGL_NO_SURFACE)
        eglDestroySurface(display, surface);
    if (context != EGL_NO_CONTEXT)
        eglDestroyContext(display, context);
}

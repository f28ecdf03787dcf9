// What the headless and the Wayland hosts' EGL contexts share: the display of one EGL platform, the OpenGL context
// the saver draws with (desktop OpenGL 2.1, compatibility profile: it draws in fixed function), making it current and
// letting it go. Every failure is one line saying what is missing.
#pragma once

#include <EGL/egl.h>

#include <string>

// The initialised display of `platform` (EGL_PLATFORM_SURFACELESS_MESA, EGL_PLATFORM_WAYLAND_KHR) on `native`, which
// needs the client extension `extension`; `name` says the platform in a reason ("surfaceless", "Wayland").
EGLDisplay EglPlatformDisplay(EGLenum platform, void* native, const char* extension, const char* name,
                              std::string* error);

// The saver's OpenGL context for `config`, or EGL_NO_CONTEXT with the reason.
EGLContext EglSaverContext(EGLDisplay display, EGLConfig config, std::string* error);

// Makes `context` current on `surface`, unless it is already; false when it cannot be (no surface, or EGL refuses).
bool EglMakeCurrent(EGLDisplay display, EGLSurface surface, EGLContext context);

// Destroys `surface` and `context` (either may be none), after releasing them if they are current.
void EglDestroy(EGLDisplay display, EGLSurface surface, EGLContext context);

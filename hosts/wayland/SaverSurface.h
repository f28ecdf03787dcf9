// One surface the saver draws on, with a view of its own: a layer surface covering one output (the screen saver on
// the overlay layer, the live wallpaper on the background layer), a fullscreen window on one output where the
// compositor has no layer shell, or the saver's own resizable window.
//
// Nothing is drawn until the compositor has configured the surface; then the OpenGL context and the view are made
// at the configured size times the buffer scale (the output's real pixels), and each frame is drawn when the view's
// schedule says it is due and the compositor has asked for one (its frame callback): an output that shows nothing
// asks for none, so its surface costs no processor time. All on the host's main thread; destroy it before the
// connection.
#pragma once

#include "hosts/wayland/WaylandEglContext.h"
#include "platform/FrameRateOverlay.h"
#include "platform/HostDriver.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_callback;
struct wl_compositor;
struct wl_output;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
class InkspinView;

enum class SurfaceRole {
    OwnWindow,  // an xdg_toplevel: app id "inkspin", resizable
    Overlay,    // the layer shell's overlay layer: over everything, panels included
    Background, // the layer shell's background layer: under every window, takes no keyboard
    Fullscreen, // an xdg_toplevel made fullscreen on one output, where there is no layer shell
};

// What the host has bound, and how every surface draws.
struct SurfaceSetup {
    wl_compositor* compositor = nullptr;
    xdg_wm_base* windows = nullptr;       // null when the compositor has no xdg-shell
    zwlr_layer_shell_v1* layers = nullptr; // null when it has no layer shell
    EGLDisplay egl = EGL_NO_DISPLAY;
    double minimumInterval = 0.0;          // --delay, seconds
    bool showFrameRate = false;            // --fps
    bool takeKeyboard = true;              // Overlay only: keys go to the saver, not to the programs beneath
    int windowWidth = 1280, windowHeight = 720; // OwnWindow, until the user resizes it
    std::function<int(wl_output*)> scaleOf;     // an output's buffer scale, as it last told it
};

class SaverSurface {
public:
    // `output` is where a layer or fullscreen surface goes (null: the compositor chooses). The surface is committed
    // empty, for the compositor to configure.
    SaverSurface(const SurfaceSetup& setup, SurfaceRole role, wl_output* output);
    ~SaverSurface();
    SaverSurface(const SaverSurface&) = delete;
    SaverSurface& operator=(const SaverSurface&) = delete;

    wl_output* output() const { return output_; }
    wl_surface* surface() const { return surface_; }
    // An output's buffer scale may have changed: the surface takes its output's, or the own window the largest of
    // the outputs it shows on, and draws at the new size from the next frame.
    void rescale();

    // The compositor closed a layer surface (its output went away): destroy it.
    bool closed() const { return closed_; }
    // The user asked the window to close (its close button, or the compositor's key for it).
    bool closeAsked() const { return closeAsked_; }
    // Why the surface cannot be drawn (too large for OpenGL, no context); empty while it can.
    const std::string& failure() const { return failure_; }

    // Whether a frame may be drawn now or later: configured, started, and the compositor asked for one.
    bool waitingForCompositor() const { return !started_ || frameCallback_ != nullptr; }
    double secondsUntilNextFrame() const { return driver_->secondsUntilNextFrame(); }
    // Draws the frame that is due and shows it; false when it could not be shown.
    bool drawFrame();
    // Restarts the animation after the process was stopped and continued.
    void restart();

    // The callbacks of the compositor's events.
    void configure(int width, int height); // surface coordinates; 0: the saver chooses
    void acknowledge(unsigned serial);
    void close(bool layerClosed) { (layerClosed ? closed_ : closeAsked_) = true; }
    void frameDone();
    void entered(wl_output* output, bool entered);

private:
    void apply();

    SurfaceSetup setup_;
    SurfaceRole role_;
    wl_output* output_;
    int scale_ = 1;
    std::vector<wl_output*> shownOn_; // the outputs the surface entered
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layer_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    wl_callback* frameCallback_ = nullptr;
    int width_ = 0, height_ = 0;                  // surface coordinates, as configured
    int pendingWidth_ = 0, pendingHeight_ = 0;    // from xdg_toplevel.configure, until its xdg_surface.configure
    bool started_ = false, closed_ = false, closeAsked_ = false;
    std::string failure_;

    // Made at the first configure; destroyed in this order: driver and view, then the context.
    std::unique_ptr<WaylandEglContext> context_;
    std::unique_ptr<InkspinView> view_;
    std::unique_ptr<HostDriver> driver_;
    std::unique_ptr<FrameRateOverlay> overlay_;
};

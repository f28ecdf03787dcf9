#include "hosts/wayland/SaverSurface.h"

#include "hosts/common/OpenGLRoom.h"
#include "saver/InkspinView.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <climits>

namespace {

SaverSurface* SurfaceOf(void* data) { return static_cast<SaverSurface*>(data); }

const wl_surface_listener kSurfaceListener = {
    [](void* data, wl_surface*, wl_output* output) { SurfaceOf(data)->entered(output, true); },
    [](void* data, wl_surface*, wl_output* output) { SurfaceOf(data)->entered(output, false); },
};

const zwlr_layer_surface_v1_listener kLayerListener = {
    [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t width, uint32_t height) {
        SurfaceOf(data)->configure(static_cast<int>(std::min<uint32_t>(width, INT_MAX)),
                            static_cast<int>(std::min<uint32_t>(height, INT_MAX)));
        SurfaceOf(data)->acknowledge(serial);
    },
    [](void* data, zwlr_layer_surface_v1*) { SurfaceOf(data)->close(true); },
};

const xdg_surface_listener kXdgSurfaceListener = {
    [](void* data, xdg_surface*, uint32_t serial) { SurfaceOf(data)->acknowledge(serial); },
};

const xdg_toplevel_listener kToplevelListener = {
    [](void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
        SurfaceOf(data)->configure(std::max(width, 0), std::max(height, 0));
    },
    [](void* data, xdg_toplevel*) { SurfaceOf(data)->close(false); },
    [](void*, xdg_toplevel*, int32_t, int32_t) {}, // configure_bounds (version 4)
    [](void*, xdg_toplevel*, wl_array*) {},        // wm_capabilities (version 5)
};

const wl_callback_listener kFrameListener = {
    [](void* data, wl_callback*, uint32_t) { SurfaceOf(data)->frameDone(); },
};

} // namespace

SaverSurface::SaverSurface(const SurfaceSetup& setup, SurfaceRole role, wl_output* output)
    : setup_(setup), role_(role), output_(output)
{
    surface_ = wl_compositor_create_surface(setup_.compositor);
    wl_surface_add_listener(surface_, &kSurfaceListener, this);
    if (role_ == SurfaceRole::Overlay || role_ == SurfaceRole::Background) {
        const bool overlay = role_ == SurfaceRole::Overlay;
        layer_ = zwlr_layer_shell_v1_get_layer_surface(
            setup_.layers, surface_, output_,
            overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
            overlay ? "screensaver" : "wallpaper");
        zwlr_layer_surface_v1_add_listener(layer_, &kLayerListener, this);
        zwlr_layer_surface_v1_set_anchor(layer_, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                                                     | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT
                                                     | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1); // over (or under) panels, not beside them
        zwlr_layer_surface_v1_set_keyboard_interactivity(
            layer_, overlay && setup_.takeKeyboard ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE
                                                   : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    } else {
        xdgSurface_ = xdg_wm_base_get_xdg_surface(setup_.windows, surface_);
        xdg_surface_add_listener(xdgSurface_, &kXdgSurfaceListener, this);
        toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
        xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
        xdg_toplevel_set_title(toplevel_, "Inkspin");
        xdg_toplevel_set_app_id(toplevel_, "inkspin");
        if (role_ == SurfaceRole::Fullscreen)
            xdg_toplevel_set_fullscreen(toplevel_, output_);
    }
    // Every pixel is drawn: the compositor need not draw what lies beneath.
    wl_region* opaque = wl_compositor_create_region(setup_.compositor);
    wl_region_add(opaque, 0, 0, INT_MAX, INT_MAX);
    wl_surface_set_opaque_region(surface_, opaque);
    wl_region_destroy(opaque);
    rescale();
    wl_surface_commit(surface_);
}

SaverSurface::~SaverSurface()
{
    if (context_)
        context_->makeCurrentContext(); // the view releases its textures in its own context
    if (driver_)
        driver_->stop();
    driver_.reset();
    view_.reset();
    overlay_.reset();
    context_.reset();
    if (frameCallback_ != nullptr)
        wl_callback_destroy(frameCallback_);
    if (layer_ != nullptr)
        zwlr_layer_surface_v1_destroy(layer_);
    if (toplevel_ != nullptr)
        xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_ != nullptr)
        xdg_surface_destroy(xdgSurface_);
    wl_surface_destroy(surface_);
}

void SaverSurface::rescale()
{
    int scale = 1;
    if (output_ != nullptr)
        scale = setup_.scaleOf(output_);
    else
        for (wl_output* output : shownOn_)
            scale = std::max(scale, setup_.scaleOf(output));
    scale = std::clamp(scale, 1, 16);
    if (scale == scale_)
        return;
    scale_ = scale;
    wl_surface_set_buffer_scale(surface_, scale_); // takes effect with the next buffer, drawn at the new size
    if (started_)
        apply();
}

void SaverSurface::entered(wl_output* output, bool entered)
{
    std::erase(shownOn_, output);
    if (entered)
        shownOn_.push_back(output);
    rescale();
}

void SaverSurface::configure(int width, int height)
{
    if (toplevel_ != nullptr) {
        pendingWidth_ = width; // applied with the xdg_surface.configure that ends this configure sequence
        pendingHeight_ = height;
        return;
    }
    width_ = width;
    height_ = height;
}

void SaverSurface::acknowledge(unsigned serial)
{
    if (toplevel_ != nullptr) {
        width_ = pendingWidth_;
        height_ = pendingHeight_;
        xdg_surface_ack_configure(xdgSurface_, serial);
    } else {
        zwlr_layer_surface_v1_ack_configure(layer_, serial);
    }
    apply();
}

// Makes or resizes the drawing at the configured size. A size of 0 is the saver's to choose: the own window's
// default; a layer surface anchored to every edge is never given 0 by a compositor that follows the protocol.
void SaverSurface::apply()
{
    if (!failure_.empty())
        return;
    const int width = (width_ > 0 ? width_ : setup_.windowWidth) * scale_;
    const int height = (height_ > 0 ? height_ : setup_.windowHeight) * scale_;
    if (!context_) {
        // Under a limit on the address space, a context made without room for it crashes inside the driver.
        const std::string what = "a picture of " + std::to_string(width) + "x" + std::to_string(height);
        if (!RoomForAnotherContext(long(width) * height, what, &failure_))
            return;
        context_ = WaylandEglContext::create(setup_.egl, surface_, width, height, &failure_);
        if (!context_)
            return;
    }
    if (width > context_->maxWidth() || height > context_->maxHeight()) {
        failure_ = "the surface is " + std::to_string(width) + "x" + std::to_string(height)
            + " pixels, larger than this OpenGL can draw (" + std::to_string(context_->maxWidth()) + "x"
            + std::to_string(context_->maxHeight()) + ")";
        return;
    }
    if (started_) {
        driver_->resize({static_cast<float>(width), static_cast<float>(height)});
        return;
    }
    view_ = std::make_unique<InkspinView>();
    driver_ = std::make_unique<HostDriver>(*view_);
    OpenGLContext* context = context_.get();
    OpenGLSetContextProvider([context](const OpenGLPixelFormat&) { return context; }); // for this view only
    const bool ok = driver_->start({0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)}, false);
    OpenGLSetContextProvider({});
    if (!ok) {
        failure_ = "the saver view could not be made";
        return;
    }
    driver_->setMinimumInterval(setup_.minimumInterval);
    if (setup_.showFrameRate)
        overlay_ = std::make_unique<FrameRateOverlay>();
    started_ = true;
    // The background colour shows at once; the first frame of the lattice follows when the compositor asks.
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &kFrameListener, this);
    context_->present();
}

bool SaverSurface::drawFrame()
{
    if (!driver_->frame())
        return true; // nothing drawn, nothing to show: the next one is scheduled
    if (overlay_) {
        const Rect frame = view_->frame();
        overlay_->drawOver(static_cast<int>(frame.width), static_cast<int>(frame.height));
    }
    frameCallback_ = wl_surface_frame(surface_); // committed with the frame: the compositor answers when it wants
    wl_callback_add_listener(frameCallback_, &kFrameListener, this);
    return context_->present();
}

void SaverSurface::frameDone()
{
    wl_callback_destroy(frameCallback_);
    frameCallback_ = nullptr;
}

void SaverSurface::restart()
{
    if (started_)
        driver_->restart();
}

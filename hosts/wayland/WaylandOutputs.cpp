#include "hosts/wayland/WaylandOutputs.h"

#include <wayland-client.h>

#include <algorithm>

namespace {

void Forget(WaylandSession& h, std::vector<std::unique_ptr<Output>>::iterator o)
{
    (*o)->surface.reset();
    if (wl_output_get_version((*o)->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release((*o)->output);
    else
        wl_output_destroy((*o)->output);
    h.outputs.erase(o);
}

const wl_output_listener kOutputListener = {
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
    [](void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t) {
        if (Output* o = FindOutput(*SessionOf(data), output); o != nullptr && (flags & WL_OUTPUT_MODE_CURRENT) != 0) {
            o->width = width;
            o->height = height;
        }
    },
    [](void* data, wl_output* output) {
        WaylandSession& h = *SessionOf(data);
        if (Output* o = FindOutput(h, output))
            o->done = true;
        ForEachSurface(h, [](SaverSurface& s) { s.rescale(); });
        CoverOutputs(h);
    },
    [](void* data, wl_output* output, int32_t scale) {
        if (Output* o = FindOutput(*SessionOf(data), output))
            o->scale = scale; // applied at the done that follows
    },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

} // namespace

void WatchOutput(WaylandSession& h, uint32_t name, wl_output* output)
{
    auto o = std::make_unique<Output>();
    o->name = name;
    o->output = output;
    wl_output_add_listener(o->output, &kOutputListener, &h);
    h.outputs.push_back(std::move(o));
}

Output* FindOutput(WaylandSession& h, wl_output* output)
{
    for (auto& o : h.outputs)
        if (o->output == output)
            return o.get();
    return nullptr;
}


// Every output that has told its state has a surface, in the modes that cover outputs.
void CoverOutputs(WaylandSession& h)
{
    if (!h.drawing || h.role == SurfaceRole::OwnWindow)
        return;
    for (auto& o : h.outputs)
        if (o->done && !o->surface)
            o->surface = std::make_unique<SaverSurface>(h.setup, h.role, o->output);
}

void ForgetOutput(WaylandSession& h, uint32_t name)
{
    const auto o = std::find_if(h.outputs.begin(), h.outputs.end(), [name](auto& o) { return o->name == name; });
    if (o != h.outputs.end())
        Forget(h, o);
}

void ForgetOutputs(WaylandSession& h)
{
    while (!h.outputs.empty())
        Forget(h, h.outputs.begin());
}

std::string DescribeOutputs(const WaylandSession& h, long* pixels)
{
    std::string what;
    *pixels = 0;
    for (std::size_t i = 0; i < h.outputs.size(); ++i) {
        what += (i == 0 ? "" : i + 1 == h.outputs.size() ? " and " : ", ") + std::to_string(h.outputs[i]->width)
            + "x" + std::to_string(h.outputs[i]->height);
        *pixels += h.outputs[i]->width * h.outputs[i]->height;
    }
    return h.outputs.empty() ? std::string("a screen saver with no output yet")
        : h.outputs.size() == 1 ? "a " + what + " output"
        : h.outputs.size() <= 3 ? "outputs of " + what
                                : std::to_string(h.outputs.size()) + " outputs of "
                                      + std::to_string(*pixels / 1000000) + " million pixels in all";
}

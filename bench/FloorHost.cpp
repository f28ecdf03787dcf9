// inkspin-floor: the floor of the X11 host. It opens the root window (or $XSCREENSAVER_WINDOW) as `inkspin -root`
// does and presents FloorFrame's minimal frame on the same 1/67 s schedule, for SECONDS (default 15), then prints
// the frames it presented per second and its processor time per frame (every thread, llvmpipe's included).
// scripts/measure-host.sh runs it beside the real saver.
#include "bench/FloorFrame.h"
#include "hosts/x11/GlxContext.h"
#include "hosts/x11/SaverWindow.h"
#include "hosts/x11/XErrorTrap.h"
#include "platform/HostDriver.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

double ProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 15.0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("inkspin-floor: cannot open the display\n", stderr);
        return 1;
    }
    XErrorTrapInstall();
    DisplayRequest request;
    request.target = DisplayTarget::Root;
    SaverWindow target;
    std::string error;
    std::unique_ptr<GlxContext> context;
    if (!OpenSaverWindow(display, request, &target, &error)
        || !(context = GlxContext::create(display, target.window, target.visual, &error))) {
        std::fprintf(stderr, "inkspin-floor: %s\n", error.c_str());
        return 1;
    }
    OpenGLSetContextProvider([&context](const OpenGLPixelFormat&) -> OpenGLContext* { return context.get(); });
    InkspinView view; // for its arrays, textures and a modelview past the intro
    HostDriver driver(view);
    driver.start({0.0f, 0.0f, float(target.width), float(target.height)}, false);
    // Where the saver's camera stands 25 s after its start, when scripts/measure-host.sh starts measuring it.
    view.gPerAngle = 1.5707964f + 25.0f * 67.0f * 0.002f;
    view.gRotAngle = 25.0f * 67.0f * 0.3f;
    view.gFadeIsReady = 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    view.animateOneFrame();
    FloorFrame floor(view);

    using Clock = std::chrono::steady_clock;
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(InkspinView::kAnimationInterval));
    const auto start = Clock::now(), end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const double processorAtStart = ProcessorSeconds();
    long frames = 0;
    for (auto next = start, last = start; Clock::now() < end;) {
        std::this_thread::sleep_until(next);
        // The camera moves as the saver's does: 0.3 degrees of spin and 0.002 of phase per tick of 1/67 s.
        const auto now = Clock::now();
        const float ticks = float(std::chrono::duration<double>(now - last).count() * 67.0);
        last = now;
        view.gRotAngle += 0.3f * ticks;
        view.gPerAngle += 0.002f * ticks;
        floor.draw();
        context->present();
        ++frames;
        next += interval;
        if (next < Clock::now())
            next = Clock::now(); // as the host: no burst of catch-up frames
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("floor: %.1f frames/s, %.1f ms of processor time per frame\n", frames / elapsed,
                1000.0 * (ProcessorSeconds() - processorAtStart) / frames);
    driver.stop();
    OpenGLSetContextProvider({});
    context.reset();
    XCloseDisplay(display);
    return 0;
}

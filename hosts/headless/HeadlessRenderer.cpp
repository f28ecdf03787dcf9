#include "hosts/headless/HeadlessRenderer.h"

#include "hosts/headless/EglContext.h"
#include "hosts/headless/PngWriter.h"
#include "platform/FrameRateOverlay.h"
#include "platform/HostDriver.h"
#include "platform/WallClock.h"
#include "saver/InkspinView.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// A fixed start keeps runs reproducible; small enough that a double resolves it to far below a microsecond.
constexpr std::int64_t kSimulatedStartSeconds = 1000000;

bool PrepareDirectory(const std::string& directory, std::string* error)
{
    std::error_code code;
    std::filesystem::create_directories(directory, code);
    if (code) {
        *error = "cannot create " + directory + ": " + code.message();
        return false;
    }
    if (!std::filesystem::is_directory(directory, code)) {
        *error = directory + " is not a directory";
        return false;
    }
    if (access(directory.c_str(), W_OK | X_OK) != 0) {
        *error = "cannot write into " + directory + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Whether the address space holds what frames of this many pixels need: Mesa's driver and LLVM, which take
// about 600 MB of address space whatever the size (measured with `ulimit -v`: at 590 MB and below a 64x64 render
// crashed inside them, with SIGSEGV or an uncaught std::bad_alloc from LLVM's threads), plus the pbuffer's colour
// and depth (which Mesa allocates without telling anyone when it cannot) and the readback. Asked before Mesa is
// loaded, so a limit too low for it gives one line instead of a crash. The probe is never touched, so it costs no
// memory; without a limit on the address space it always succeeds.
bool RoomForFrames(long pixels)
{
    constexpr std::size_t kDriverBytes = std::size_t(640) << 20; // with room: 590 MB still crashed once
    constexpr long kBytesPerPixel = 20; // 4 colour + 4 depth + 4 RGBA readback + 3 RGB + a quarter to spare
    const std::unique_ptr<char[]> probe(
        new (std::nothrow) char[kDriverBytes + static_cast<std::size_t>(pixels) * kBytesPerPixel]);
    return probe != nullptr;
}

std::string FramePath(const std::string& directory, long index)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04ld.png", index);
    return (std::filesystem::path(directory) / name).string();
}

} // namespace

int RenderFrames(const RenderOptions& options, std::string* error)
{
    if (!PrepareDirectory(options.directory, error))
        return 1;
    PngWriterRemoveTemporaryOnSignals(); // an interrupted render leaves whole frames only
    const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    if (!RoomForFrames(long(options.width) * options.height)) {
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        *error = "out of memory for frames of " + size + ": OpenGL's driver alone needs about 640 MB of address space"
            + (limit.rlim_cur == RLIM_INFINITY ? std::string()
                                               : ", and ulimit -v allows " + std::to_string(limit.rlim_cur >> 20) + " MB");
        return 1;
    }

    // The view asks for its context through the provider; this host owns it.
    std::unique_ptr<EglContext> context;
    std::string contextError;
    OpenGLSetContextProvider([&](const OpenGLPixelFormat& format) -> OpenGLContext* {
        if (!context)
            context = EglContext::create(format.depthSize(), &contextError);
        return context.get();
    });
    SimulatedClock clock(kSimulatedStartSeconds, 1.0 / options.rate);
    WallClockSetSource([&clock] { return clock.now(); });

    int status = 0;
    try {
        InkspinView view;
        HostDriver driver(view);
        FrameRateOverlay overlay;
        const Rect frame = {0.0f, 0.0f, static_cast<float>(options.width), static_cast<float>(options.height)};
        if (!driver.start(frame, false) || !context) {
            *error = "no OpenGL context: " + (contextError.empty() ? std::string("the view could not be made") : contextError);
            status = 1;
        } else if (context->width() != options.width || context->height() != options.height) {
            // The drawable keeps its old size when a new one cannot be had: say why rather than draw the wrong size.
            const EglContext::Limits limits = context->drawableLimits();
            *error = "cannot draw frames of " + size + ": this OpenGL allows at most " + std::to_string(limits.width)
                + "x" + std::to_string(limits.height) + " and " + std::to_string(limits.pixels) + " pixels";
            status = 1;
        }
        for (long i = 0; status == 0 && i < options.frames; ++i) {
            clock.advance();
            if (driver.frame() && options.showFrameRate)
                overlay.drawOver(context->width(), context->height());
            const std::vector<std::uint8_t> pixels = context->readPixelsRGB();
            if (!WritePng(FramePath(options.directory, i), context->width(), context->height(), pixels, error))
                status = 1;
        }
        driver.stop();
    } catch (const std::bad_alloc&) {
        *error = "out of memory for frames of " + size;
        status = 1;
    }
    WallClockSetSource({});
    OpenGLSetContextProvider({});
    return status;
}

#include "hosts/headless/HeadlessRenderer.h"

#include "hosts/common/OpenGLRoom.h"
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
#include <vector>

#include <unistd.h>

namespace {

// A fixed start keeps runs reproducible; small enough that a double resolves it to far below a microsecond.
constexpr std::int64_t kSimulatedStartSeconds = 1000000;

bool PrepareDirectory(const std::string& directory, std::string* error)
{
    // The folder itself is made, as mkdir makes it, never the folders above it: a mistyped path makes nothing.
    std::error_code code;
    std::filesystem::create_directory(directory, code);
    if (code) {
        *error = "cannot create " + directory + ": " + code.message()
            + (code == std::errc::no_such_file_or_directory ? " (the folder it goes in does not exist)" : "");
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
    if (!RoomForOpenGL(long(options.width) * options.height, "frames of " + size, error))
        return 1;

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

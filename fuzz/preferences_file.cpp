// Fuzzes the preferences file as the saver reads it: the input is the whole file, a view loads it, and what it
// loaded goes through the arithmetic that takes settings as they stand (zoom geometry, the shade texture's step).
#include "saver/InkspinView.h"
#include "saver/ZoomGeometry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string PreferencesFile()
{
    static const std::string path = [] {
        char pattern[] = "/tmp/inkspin-fuzz-XXXXXX";
        const std::string home = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        std::filesystem::create_directories(home + "/inkspin");
        return home + "/inkspin/org.inkspin.saver.conf";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = PreferencesFile();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    InkspinView view;
    view.loadPrefs();
    if (view.gPrefsLoaded != 1)
        std::abort();
    const ZoomGeometry geometry = ComputeZoomGeometry(1920, 1080, view.gBufferScale);
    // The corners may be anything from INT32_MIN to INT32_MAX: their span is taken in 64 bits.
    volatile std::int64_t sink = static_cast<std::int64_t>(geometry.x1) - geometry.x0;
    (void)sink;
    return 0;
}

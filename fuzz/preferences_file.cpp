// Fuzzes the preferences file as the saver reads it: the input is the whole file, a view loads it, and what it
// loaded goes through the arithmetic that takes settings as they stand (zoom geometry, the shade texture's step).
// Then as a save edits it: with two keys set in its text, the text reads back with those values, and every other
// top-level value it held is still there.
#include "platform/IniText.h"
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

    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::map<std::string, std::string> sets = {{"InkspinShadeLevels", "7"}, {"K", "-1.5e+10"}};
    std::map<std::string, std::string> expected = IniTopLevelValues(text);
    for (const auto& [key, value] : sets)
        expected[key] = value;
    if (IniTopLevelValues(IniWithTopLevelValues(text, sets)) != expected)
        std::abort();
    return 0;
}

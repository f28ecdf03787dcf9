// Golden frames: `inkspin --render` with a preferences file or settings as options, against stored renders. One frame
// at 160x90 (not square, so an inverted aspect shows) catches a wrong constant, axis, order or colour anywhere from
// the preferences file to the PNG. A pixel differs when a channel is off by more than kTolerance; a frame fails
// when more than kMaxDiffering of its pixels differ. A failure leaves NAME-actual.png and NAME-diff.png (the
// difference, amplified) in golden-failures/ next to the test binary.
//
// To regenerate on purpose, after checking the new frames by eye:
//     INKSPIN_UPDATE_GOLDEN=1 build/tests/host_tests --gtest_filter='GoldenFrames*'
#include "hosts/headless/PngWriter.h"
#include "tests/common/PngReader.h"
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr int kTolerance = 3;
constexpr double kMaxDiffering = 0.005;

struct Golden {
    const char* name;      // the test's name
    const char* reference; // frames/REFERENCE.png
    const char* settings;  // rendered with the preferences file frames/SETTINGS.conf if there is one
    int frames;            // at 0.5 Hz, each frame is 134 ticks: the intro (1,571 ticks) is over after 12
    std::vector<std::string> arguments = {}; // given after the render's own
};

void PrintTo(const Golden& golden, std::ostream* out) { *out << golden.name; }

// Command-line settings hold over the file: the custom settings given as options draw the custom frame over an
// empty file, and the defaults given as options draw the default frame over the custom file.
const std::vector<std::string> kCustomOptions = {
    "--zoom-factor", "0.75", "--background-colour", "0.2,0.25,0.4", "--ink-colour", "0.95,0.9,0.5",
    "--outline-width", "4.5", "--shade-colour", "0.5,0.8,1", "--dark-band-end", "6", "--bright-band-start", "14",
    "--dark-brightness", "0.3", "--bright-brightness", "0.95", "--levels", "3"};
const std::vector<std::string> kDefaultOptions = {
    "--zoom", "--zoom-factor", "2", "--background-colour", "0.6,0.52,0.45", "--outlines", "--ink-colour",
    "0.33,0.28,0.23", "--outline-width", "2.75", "--shade-colour", "1,0.85,0.71", "--dark-band-end", "4",
    "--bright-band-start", "20", "--dark-brightness", "0.6", "--bright-brightness", "1", "--levels", "1"};

const Golden kGoldens[] = {
    {"intro", "intro", "", 6},
    {"defaults", "defaults", "", 14},
    {"zoomoff", "zoom-off", "zoom-off", 14},
    {"outlinesoff", "outlines-off", "outlines-off", 14},
    {"custom", "custom", "custom", 14},
    {"customOptions", "custom", "", 14, kCustomOptions},
    {"defaultOptionsOverCustomFile", "defaults", "custom", 14, kDefaultOptions},
    {"outlinesOffOption", "outlines-off", "", 14, {"-no-outlines"}},
    // The frame rate shows in the lower left corner (its box excluded from the comparison) and nowhere else.
    {"frameRate", "defaults", "", 14, {"--fps"}},
    // On a flat background, where any OpenGL state the overlay left behind would change the next frames; and the
    // switch that turns the zoom off.
    {"frameRateZoomOff", "zoom-off", "", 14, {"--no-zoom", "--fps"}},
};

// The lower left corner that the frame rate's box may cover in a 160x90 frame ("FPS: 0.5", 1-pixel font).
bool InFrameRateBox(int x, int y) { return x < 52 && y >= 90 - 12; }

class GoldenFrames : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenFrames, MatchTheReference)
{
    const Golden& golden = GetParam();
    const fs::path directory = fs::path(INKSPIN_GOLDEN_DIR) / "frames";
    TemporaryConfigHome config;
    const fs::path preferences = directory / (std::string(golden.settings) + ".conf");
    config.writePreferences("");
    if (fs::exists(preferences))
        fs::copy_file(preferences, config.preferencesFile(), fs::copy_options::overwrite_existing);
    const std::string before = ReadFile(config.preferencesFile());
    const fs::path frames = config.path() / "frames";
    std::vector<std::string> command = {INKSPIN_BINARY, "--render", frames.string(), "--frames",
                                        std::to_string(golden.frames), "--size", "160x90", "--rate", "0.5"};
    command.insert(command.end(), golden.arguments.begin(), golden.arguments.end());
    const ProcessResult r = RunProcess(command);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadFile(config.preferencesFile()), before) << "a run never writes its settings";
    EXPECT_EQ(std::distance(fs::directory_iterator(frames), fs::directory_iterator()), golden.frames);
    char last[32];
    std::snprintf(last, sizeof last, "frame-%04d.png", golden.frames - 1);
    const RgbImage actual = ReadPng((frames / last).string());
    ASSERT_EQ(actual.width, 160);

    const fs::path reference = directory / (std::string(golden.reference) + ".png");
    std::string error;
    if (std::getenv("INKSPIN_UPDATE_GOLDEN") != nullptr && golden.arguments.empty()) {
        ASSERT_TRUE(WritePng(reference.string(), actual.width, actual.height, actual.rgb, &error)) << error;
        GTEST_SKIP() << "regenerated " << reference;
    }
    const RgbImage expected = ReadPng(reference.string());
    ASSERT_EQ(expected.rgb.size(), actual.rgb.size()) << "no reference " << reference;

    const bool frameRate = std::ranges::find(golden.arguments, "--fps") != golden.arguments.end();
    std::vector<std::uint8_t> diff(actual.rgb.size());
    int differing = 0, white = 0;
    for (std::size_t i = 0; i < actual.rgb.size(); i += 3) {
        const int x = static_cast<int>(i / 3 % 160), y = static_cast<int>(i / 3 / 160);
        if (frameRate && InFrameRateBox(x, y)) {
            white += actual.rgb[i] == 255 && actual.rgb[i + 1] == 255 && actual.rgb[i + 2] == 255;
            continue;
        }
        bool off = false;
        for (std::size_t c = i; c < i + 3; ++c) {
            const int d = std::abs(int(actual.rgb[c]) - int(expected.rgb[c]));
            diff[c] = static_cast<std::uint8_t>(std::min(255, d * 4));
            off = off || d > kTolerance;
        }
        differing += off;
    }
    if (frameRate) {
        EXPECT_GT(white, 40) << "no text in the corner";
    }
    const double share = differing / (actual.rgb.size() / 3.0);
    if (share > kMaxDiffering) {
        const fs::path out = fs::path(INKSPIN_FAILURE_DIR) / "golden-failures";
        fs::create_directories(out);
        WritePng((out / (std::string(golden.name) + "-actual.png")).string(), 160, 90, actual.rgb, &error);
        WritePng((out / (std::string(golden.name) + "-diff.png")).string(), 160, 90, diff, &error);
        ADD_FAILURE() << golden.name << ": " << differing << " pixels differ; see " << out;
    }
}

INSTANTIATE_TEST_SUITE_P(Renders, GoldenFrames, ::testing::ValuesIn(kGoldens),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

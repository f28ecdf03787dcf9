// Golden frames: `inkspin --render` with a preferences file, compared with committed reference renders. One frame
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

#include <cstdlib>
#include <filesystem>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr int kTolerance = 3;
constexpr double kMaxDiffering = 0.005;

struct Golden {
    const char* name; // frames/NAME.png, rendered with the preferences file frames/NAME.conf if there is one
    int frames;       // at 0.5 Hz, each frame is 134 ticks: the intro (1,571 ticks) is over after 12
};

const Golden kGoldens[] = {{"intro", 6}, {"defaults", 14}, {"zoom-off", 14}, {"outlines-off", 14}, {"custom", 14}};

class GoldenFrames : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenFrames, MatchTheReference)
{
    const Golden& golden = GetParam();
    const fs::path directory = fs::path(INKSPIN_GOLDEN_DIR) / "frames";
    TemporaryConfigHome config;
    const fs::path preferences = directory / (std::string(golden.name) + ".conf");
    config.writePreferences("");
    if (fs::exists(preferences))
        fs::copy_file(preferences, config.preferencesFile(), fs::copy_options::overwrite_existing);
    const fs::path frames = config.path() / "frames";
    const ProcessResult r = RunProcess({INKSPIN_BINARY, "--render", frames.string(), "--frames",
                                        std::to_string(golden.frames), "--size", "160x90", "--rate", "0.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(frames), fs::directory_iterator()), golden.frames);
    char last[32];
    std::snprintf(last, sizeof last, "frame-%04d.png", golden.frames - 1);
    const RgbImage actual = ReadPng((frames / last).string());
    ASSERT_EQ(actual.width, 160);

    const fs::path reference = directory / (std::string(golden.name) + ".png");
    std::string error;
    if (std::getenv("INKSPIN_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(WritePng(reference.string(), actual.width, actual.height, actual.rgb, &error)) << error;
        GTEST_SKIP() << "regenerated " << reference;
    }
    const RgbImage expected = ReadPng(reference.string());
    ASSERT_EQ(expected.rgb.size(), actual.rgb.size()) << "no reference " << reference;

    std::vector<std::uint8_t> diff(actual.rgb.size());
    int differing = 0;
    for (std::size_t i = 0; i < actual.rgb.size(); i += 3) {
        bool off = false;
        for (std::size_t c = i; c < i + 3; ++c) {
            const int d = std::abs(int(actual.rgb[c]) - int(expected.rgb[c]));
            diff[c] = static_cast<std::uint8_t>(std::min(255, d * 4));
            off = off || d > kTolerance;
        }
        differing += off;
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

INSTANTIATE_TEST_SUITE_P(Renders, GoldenFrames, ::testing::ValuesIn(kGoldens), [](const auto& info) {
    std::string name = info.param.name;
    std::erase(name, '-'); // test names are alphanumeric
    return name;
});

} // namespace

// What the saver's tests share: a temporary preferences location, a clock the test sets, and a started view with
// a real headless OpenGL context whose pixels can be read back.
#pragma once

#include "hosts/headless/EglContext.h"
#include "platform/WallClock.h"
#include "saver/InkspinView.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The whole of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

// A fresh, empty XDG_CONFIG_HOME for the life of the object; the old value comes back afterwards.
class TemporaryConfigHome {
public:
    TemporaryConfigHome();
    ~TemporaryConfigHome();
    const std::filesystem::path& path() const { return path_; }
    // The saver's preferences file in it (not created).
    std::filesystem::path preferencesFile() const { return path_ / "inkspin" / "org.inkspin.saver.conf"; }
    // Writes the preferences file with these lines under [General].
    void writePreferences(const std::string& generalSection) const;

private:
    std::filesystem::path path_;
    std::optional<std::string> previous_;
};

// A wall clock that stands still until the test moves it: seconds since the epoch (as a view's gTime counts), read
// in whole microseconds. It starts at 1,000,000 s.
class ManualClock {
public:
    ManualClock();
    ~ManualClock();
    void set(double seconds) { now_ = seconds; }
    double now() const { return now_; }

private:
    double now_ = 1000000.0;
};

struct Pixel {
    int r, g, b;
    bool operator==(const Pixel&) const = default;
};

// The default background colour as a pixel (inline: initialised before any test file's constants).
inline const Pixel kDefaultBackground = {153, 133, 115};
inline constexpr RGBColour kDefaultShade = {1.0f, 0.85f, 0.71f};

// What a pixel of a frame with the default flat background and ink shows: a shade band is the shade colour times
// 0.6, 0.9 or 1.0 (the default bands, through the 8-bit texel), within rounding.
enum class PixelKind { Background, Outline, Shade, Other };
PixelKind Classify(const Pixel& p, const RGBColour& shade = kDefaultShade);
// The share (0 to 1) of the image's pixels of one kind.
double Share(const std::vector<Pixel>& image, PixelKind kind, const RGBColour& shade = kDefaultShade);

// Every test of the view: a temporary config home, a manual clock, a headless context provider.
class ViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new view, created (its preferences loaded) but not sized or started.
    std::unique_ptr<InkspinView> makeView(Rect frame = {0, 0, 160, 120});
    // A new view, sized and started. Settings can be changed with `configure` before the start.
    std::unique_ptr<InkspinView> startView(int width, int height, void (*configure)(InkspinView&) = nullptr);

    // Draws one frame `ticks` ticks after the view's clock (0 ticks: one full 256-tick wrap).
    void frame(InkspinView& view, int ticks = 1);
    std::vector<Pixel> pixels(); // the current drawable, top row first

    std::unique_ptr<TemporaryConfigHome> config_;
    std::unique_ptr<ManualClock> clock_;
    std::unique_ptr<EglContext> context_;
};

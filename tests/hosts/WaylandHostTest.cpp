// The saver on real Wayland compositors. Sway, headless, with the pixman renderer and two outputs (the second at
// scale 2), run as an unprivileged user when the test runs as root (sway refuses root): its outputs are read back
// with grim; a mouse is plugged in by tests/hosts/wayland/VirtualPointer.cpp, keys are typed by wtype. Weston,
// headless, for a compositor without the layer shell.
#include "tests/hosts/wayland/SwayFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class WaylandHostTest : public SwayFixture {};

// The 2x2 blocks (from even rows and columns) of a picture `width` pixels wide whose pixels differ. A surface drawn
// at its output's scale has thousands; one drawn at half size and doubled by the compositor has none.
long MixedBlocks(const Image& image, int width)
{
    long mixed = 0;
    for (std::size_t i = 0; i + width + 1 < image.size(); i += 2)
        mixed += (i / width) % 2 == 0 && (image[i] != image[i + 1] || image[i] != image[i + width]);
    return mixed;
}

TEST_F(WaylandHostTest, CoversEveryOutputAtItsScaleUntilThePointerMoves)
{
    auto saver = inkspin({"--root"});
    expectLattice("HEADLESS-1");
    expectLattice("HEADLESS-2");
    // At scale 2 the surface draws the output's real pixels, and so after an output's scale changes.
    int width = 0;
    const Image scaled = output("HEADLESS-2", &width);
    EXPECT_GT(MixedBlocks(scaled, width), 1000);
    ASSERT_EQ(tool({"/usr/bin/swaymsg", "output", "HEADLESS-1", "scale", "2"}).status, 0);
    EXPECT_GT(MixedBlocks(waitFor("HEADLESS-1", [](const Image& i) { return MixedBlocks(i, 1280) > 1000; }), 1280),
              1000);

    ASSERT_EQ(tool({"/usr/bin/swaymsg", "create_output"}).status, 0); // an output that comes while it runs
    expectLattice("HEADLESS-3");
    pointer({"move", "2", "2"}); // a drift of under 8 pixels is not the user
    EXPECT_TRUE(saver->running());
    inputUntilItEnds(*saver, [&] { pointer({"move", "30", "30"}); });
    ExpectQuietEnd(*saver, 0);
}

TEST_F(WaylandHostTest, KeysAndClicksEndTheScreenSaverButNotTheWallpaper)
{
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        bool ends;
    } rows[] = {
        {{"--root"}, "key", true},
        {{"--root"}, "click", true},
        {{"--root"}, "scroll", true},
        {{"--background"}, "click", false},
        {{"-root", "--background"}, "click", false}, // a wallpaper never becomes a saver that input ends
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.back() + " " + row.input);
        auto saver = inkspin(row.arguments);
        expectLattice("HEADLESS-1");
        const auto input = [&] {
            if (row.input == "key")
                ASSERT_EQ(tool({"/usr/bin/wtype", "-s", "300", "x"}).status, 0);
            else
                pointer({row.input == "click" ? "press" : "scroll"});
        };
        if (row.ends) {
            inputUntilItEnds(*saver, input);
        } else {
            input();
            usleep(500000); // time enough for the input to end it, were it to
        }
        ExpectQuietEnd(*saver, row.ends ? 0 : KilledBy(SIGTERM), row.ends ? 0 : SIGTERM);
    }

    // A key already down when the saver comes (the shortcut that started it) is not input when it goes up.
    std::vector<std::string> environment = session();
    environment.push_back("LD_PRELOAD=");
    BackgroundProcess held({"/usr/bin/wtype", "-P", "x", "-s", "4000", "-p", "x"}, environment);
    usleep(300000);
    auto saver = inkspin({"--root"});
    expectLattice("HEADLESS-1");
    EXPECT_EQ(held.wait(10.0).status, 0);
    usleep(500000);
    EXPECT_TRUE(saver->running()) << "ended by the release of a key held before it came";
    ExpectQuietEnd(*saver, KilledBy(SIGTERM), SIGTERM);

    // With --ignore-input, as lockers draw it under their prompt, the keyboard stays with others: a window that
    // opens over it gets its q.
    auto shown = inkspin({"--root", "--ignore-input"});
    expectLattice("HEADLESS-1");
    auto window = inkspin({});
    inputUntilItEnds(*window, [&] { ASSERT_EQ(tool({"/usr/bin/wtype", "-s", "300", "q"}).status, 0); });
    ExpectQuietEnd(*window, 0);
    ExpectQuietEnd(*shown, KilledBy(SIGTERM), SIGTERM);
}

TEST_F(WaylandHostTest, TheWallpaperDrawsBeneathTheOwnWindowWhichQEnds)
{
    auto wallpaper = inkspin({"--background", "--shade-colour", "#00ff00"});
    const auto green = [](const Image& i) { // the wallpaper's share of the picture
        return std::count_if(i.begin(), i.end(), [](const Pixel& p) { return p.r < 30 && p.b < 30 && p.g > 100; })
            / (double(i.size()) + 1e-9);
    };
    EXPECT_GT(green(waitFor("HEADLESS-2", [&](const Image& i) { return green(i) > 0.3; })), 0.3);
    auto window = inkspin({});
    // sway tiles the window over the whole of HEADLESS-1, the focused output, above the wallpaper.
    const auto covered = [&](const Image& i) { return green(i) == 0.0 && Share(i, PixelKind::Shade) > 0.5; };
    EXPECT_TRUE(covered(waitFor("HEADLESS-1", covered)));
    EXPECT_NE(tool({"/usr/bin/swaymsg", "-t", "get_tree"}).out.find("\"app_id\": \"inkspin\""), std::string::npos);
    inputUntilItEnds(*window, [&] { ASSERT_EQ(tool({"/usr/bin/wtype", "-s", "300", "q"}).status, 0); });
    ExpectQuietEnd(*window, 0);
    ExpectQuietEnd(*wallpaper, KilledBy(SIGINT), SIGINT);
}

// --delay reaches every surface's frame schedule (counted as the frame callbacks the saver asks for, in libwayland's
// own trace), and --fps draws the rate in white in the lower left corner.
TEST_F(WaylandHostTest, TheDelaySpacesTheFramesOfEveryOutputAndTheRateShows)
{
    std::vector<std::string> environment = session();
    environment.push_back("WAYLAND_DEBUG=1");
    BackgroundProcess saver({INKSPIN_BINARY, "--root", "--delay", "100000", "--fps"}, environment);
    const auto white = [](const Image& i) {
        return std::any_of(i.end() - std::min<std::size_t>(i.size(), 1280 * 60), i.end(),
                           [](const Pixel& p) { return p == Pixel{255, 255, 255}; });
    };
    EXPECT_TRUE(white(waitFor("HEADLESS-1", white)));
    const auto frames = [&] {
        const std::string trace = saver.wait(0).err, request = ".frame(new id";
        std::size_t n = 0;
        for (std::size_t at = trace.find(request); at != std::string::npos; at = trace.find(request, at + 1))
            ++n;
        return n;
    };
    const std::size_t before = frames();
    usleep(2000000);
    EXPECT_LE(frames() - before, 2u * 2 * 10 + 2) << "two outputs, two seconds, ten frames a second";
    EXPECT_GT(frames(), before) << "it draws";
    saver.signal(SIGTERM);
    EXPECT_EQ(saver.wait(5.0).status, KilledBy(SIGTERM)); // its stderr is the trace
}

TEST_F(WaylandHostTest, ACompositorThatGoesAwayEndsItWithOneLine)
{
#ifndef __SANITIZE_ADDRESS__ // which cannot run under a limit on the address space
    // Too little address space for OpenGL's driver: said before the driver loads, not a crash inside it.
    const std::string limited = std::string("ulimit -v 256000; exec '") + INKSPIN_BINARY + "' -root";
    ExpectOneLineError(RunProcess({"/bin/sh", "-c", limited}, session()), 1,
                       "out of memory for outputs of 1280x720 and 1280x1024");
#endif
    auto saver = inkspin({"--root"});
    expectLattice("HEADLESS-1");
    const std::string name = socket.filename(); // sway-ipc.UID.PID.sock
    const int pid = std::stoi(name.substr(name.find('.', 9) + 1));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    ExpectOneLineError(saver->wait(5.0), 1, "Wayland compositor");
}

// Outputs plugged in while it runs under a limit on the address space: each new context is weighed first, and the
// first that does not fit ends it with one line, never a crash inside the driver.
TEST_F(WaylandHostTest, OutputsPluggedInUnderAMemoryLimitEndItWithOneLine)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer cannot run under a limit on the address space";
#endif
    BackgroundProcess plugged({"/bin/sh", "-c", std::string("ulimit -v 1000000; exec '") + INKSPIN_BINARY
                                                    + "' -root --delay 100000"}, session());
    expectLattice("HEADLESS-1");
    for (int i = 0; i < 12 && plugged.running(); ++i)
        tool({"/usr/bin/swaymsg", "create_output"});
    ExpectOneLineError(plugged.wait(5.0), 1, "out of memory for a picture of 1920x1080");
}

// Weston has no layer shell: the screen saver takes a fullscreen window instead, and the wallpaper says it cannot be.
TEST(WaylandWithoutLayerShellTest, TheScreenSaverGoesFullscreenAndTheWallpaperSaysWhyNot)
{
    ASSERT_EQ(access("/usr/bin/weston", X_OK), 0) << "weston is not installed (make deps installs it)";
    char pattern[] = "/tmp/inkspin-weston-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path runtime = pattern;
    const std::vector<std::string> session = {"XDG_RUNTIME_DIR=" + runtime.string(), "WAYLAND_DISPLAY=weston-test",
                                              "XSCREENSAVER_WINDOW=", "DISPLAY="};
    BackgroundProcess weston({"/usr/bin/weston", "--backend=headless-backend.so", "--use-pixman", "--width=640",
                              "--height=480", "--socket=weston-test", "--idle-time=0"},
                             {"XDG_RUNTIME_DIR=" + runtime.string(), "LD_PRELOAD="});
    for (int i = 0; i < 100 && !fs::exists(runtime / "weston-test"); ++i)
        usleep(100000);
    ASSERT_TRUE(fs::exists(runtime / "weston-test")) << weston.wait(0).err;
    TemporaryConfigHome config;

    ExpectOneLineError(RunProcess({INKSPIN_BINARY, "--background"}, session), 1, "layer shell");
    std::vector<std::string> traced = session;
    traced.push_back("WAYLAND_DEBUG=1");
    BackgroundProcess saver({INKSPIN_BINARY, "--root"}, traced);
    // Frames the compositor presented: the done events of the frame callbacks the saver asked for, in libwayland's
    // trace. However slowly a loaded machine draws, a few come within ten seconds.
    const auto presented = [&] {
        std::set<std::string> asked;
        std::size_t done = 0;
        std::istringstream trace(saver.errorSoFar());
        for (std::string line; std::getline(trace, line);) {
            const std::size_t callback = line.find("wl_callback@"), end = line.find_first_of(").", callback);
            if (callback == std::string::npos || end == std::string::npos)
                continue;
            if (line.find(".frame(new id ") != std::string::npos)
                asked.insert(line.substr(callback, end - callback));
            else if (line.compare(end, 6, ".done(") == 0)
                done += asked.erase(line.substr(callback, end - callback));
        }
        return done;
    };
    for (int i = 0; i < 100 && presented() < 5; ++i)
        usleep(100000);
    EXPECT_GE(presented(), 5u) << saver.errorSoFar().substr(0, 2000);
    saver.signal(SIGTERM);
    EXPECT_EQ(saver.wait(5.0).status, KilledBy(SIGTERM)); // its stderr is the trace
    fs::remove_all(runtime); // weston ends with its process object
}

} // namespace

// `inkspin --render` end to end: what it says and returns for bad input and failures, and what it does to files in
// its way. The frames it writes are the golden frames' business (GoldenFrameTest.cpp).
#include "tests/common/PngReader.h"
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class RenderCommandTest : public ::testing::Test {
protected:
    TemporaryConfigHome config; // an empty preferences store: the defaults
    fs::path directory = config.path() / "frames";

    ProcessResult inkspin(std::vector<std::string> arguments, const std::vector<std::string>& environment = {})
    {
        arguments.insert(arguments.begin(), INKSPIN_BINARY);
        return RunProcess(arguments, environment);
    }
};

TEST_F(RenderCommandTest, BadArgumentsNameTheArgumentAndWriteNothing)
{
    const std::string dir = directory.string();
    struct Case {
        std::vector<std::string> arguments;
        std::string named;
    };
    const Case cases[] = {
        {{"--render", dir, "--size", "0x10"}, "--size"},
        {{"--render", dir, "--size", "-5x10"}, "--size"},
        {{"--render", dir, "--size", "16385x10"}, "--size"},
        {{"--render", dir, "--size", "wide"}, "--size"},
        {{"--render", dir, "--frames", "-1"}, "--frames"},
        {{"--render", dir, "--frames", "99999999999999999999"}, "--frames"},
        {{"--render", dir, "--rate", "nan"}, "--rate"},
        {{"--render", dir, "--rate", "1e-13"}, "--rate"},
        {{"--render", dir, "--rate", "1001"}, "--rate"},
        {{"--render", dir, "-root"}, "-root"},
        {{"-window-id", "5", "-window-id", "6"}, "-window-id"},
        {{"-window-id", "0x100200001"}, "-window-id"},
        {{"--render", dir, "--frames"}, "--frames"},
        {{"--render", dir, "--sparkle"}, "--sparkle"},
        {{"--frames", "3"}, "--frames"},
        {{"-fullscreen"}, "-fullscreen"},
        {{"--render", dir, "--sparkle\nx"}, "--sparkle\\nx"}, // a newline in an argument stays on one line
        // The settings: out of range, malformed, contradicting each other.
        {{"--render", dir, "--zoom-factor", "4.01"}, "--zoom-factor"},
        {{"--render", dir, "--outline-width", "nan"}, "--outline-width"},
        {{"--render", dir, "--levels", "0"}, "--levels"},
        {{"--render", dir, "--levels", "33"}, "--levels"},
        {{"--render", dir, "--delay", "100001"}, "--delay"},
        {{"--render", dir, "--dark-band-end", "3.5"}, "--dark-band-end"},
        {{"--render", dir, "--background-colour", "#12345"}, "--background-colour"},
        {{"--render", dir, "--ink-colour", "1,0"}, "--ink-colour"},
        {{"--render", dir, "--shade-colour", "0,0,1.5"}, "--shade-colour"},
        {{"--render", dir, "--zoom", "--no-zoom"}, "--no-zoom"},
        {{"--render", dir, "--levels", "2", "-levels", "3"}, "-levels"},
        {{"--render", dir, "--ink-colour", "#-0-0-0"}, "--ink-colour"},
        {{"--render", dir, "--fps", "-fps"}, "-fps: given twice"},
        {{""}, "'' is not an option (see inkspin --help)"},
        {{"--render", dir, "--zoom-factor", std::string(100000, '9')}, "... (100000 bytes)"},
    };
    for (const Case& c : cases) {
        const ProcessResult result = inkspin(c.arguments, {"DISPLAY="});
        ExpectOneLineError(result, 2, c.named);
        EXPECT_LT(result.err.size(), 400u) << "a message, not the value";
        EXPECT_EQ(result.err.find("help", result.err.find("help") + 1), std::string::npos) << "--help once";
        EXPECT_FALSE(fs::exists(directory)) << c.named;
    }
}

TEST_F(RenderCommandTest, FailuresAreOneLineAndExitOne)
{
    std::ofstream(config.path() / "plain-file") << "x";
    ExpectOneLineError(inkspin({"--render", (config.path() / "plain-file" / "frames").string()}), 1, "plain-file");
    ExpectOneLineError(inkspin({"--render", (config.path() / "typo" / "frames").string()}), 1, "does not exist");
    EXPECT_FALSE(fs::exists(config.path() / "typo")) << "as mkdir, not mkdir -p";

    // With no EGL vendor library to load, there is no OpenGL at all.
    ExpectOneLineError(inkspin({"--render", directory.string(), "--frames", "1"},
                               {"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json", "__EGL_VENDOR_LIBRARY_DIRS=/nonexistent"}),
                       1, "OpenGL");
}

TEST_F(RenderCommandTest, FramesReplaceWhateverStandsUnderTheirNames)
{
    fs::create_directories(directory);
    std::ofstream(config.path() / "precious") << "keep";
    fs::create_symlink(config.path() / "precious", directory / "frame-0000.png");
    ASSERT_EQ(mkfifo((directory / "frame-0001.png").c_str(), 0600), 0);
    BackgroundProcess render({INKSPIN_BINARY, "--render", directory.string(), "--frames", "2", "--size", "32x18"});
    const ProcessResult r = render.wait(30.0);
    ASSERT_EQ(r.status, 0) << "a FIFO named like a frame must not block the render: " << r.err;
    EXPECT_EQ(ReadFile(config.path() / "precious"), "keep") << "a link is replaced, never followed";
    const mode_t umaskNow = umask(0);
    umask(umaskNow);
    for (const char* name : {"frame-0000.png", "frame-0001.png"}) {
        EXPECT_EQ(ReadPng((directory / name).string()).width, 32) << name;
        EXPECT_EQ(fs::status(directory / name).permissions(), fs::perms(0666 & ~umaskNow)) << "as any new file";
    }
}

// SIGTERM or SIGINT in the middle of a render: it ends by the signal, as before, and leaves whole frames only.
TEST_F(RenderCommandTest, AnInterruptedRenderLeavesNoPartFrame)
{
    for (int attempt = 0; attempt < 12; ++attempt) {
        const int signal = attempt % 2 ? SIGINT : SIGTERM;
        BackgroundProcess render({INKSPIN_BINARY, "--render", directory.string(), "--frames", "100000", "--size",
                                  "640x360"});
        usleep(400000 + attempt * 23000); // a frame is written about every 10 ms: land anywhere in one
        fs::create_directories(directory);   // made by the render too, unless the signal comes first
        render.signal(signal);
        EXPECT_EQ(render.wait(10.0).status, KilledBy(signal)) << "ends by the signal";
        for (const auto& entry : fs::directory_iterator(directory, fs::directory_options::skip_permission_denied))
            EXPECT_EQ(entry.path().filename().string().rfind("frame-", 0), 0u) << "left behind: " << entry.path();
        fs::remove_all(directory);
    }
}

// A full disk and a size the memory cannot hold: one line with the reason, no core, and no partial frame anywhere.
TEST_F(RenderCommandTest, FullDiskAndHugeSizesFailCleanly)
{
    const fs::path kept = config.path() / "kept";
    // A 48 KiB disk of its own, in a mount namespace of its own; what it holds is copied out before it goes.
    const std::string script = "mount -t tmpfs -o size=48k tmpfs '" + directory.string() + "' || exit 77; '"
        + INKSPIN_BINARY + "' --render '" + directory.string() + "' --frames 50 --size 96x54 --rate 4; s=$?; cp -a '"
        + directory.string() + "/.' '" + kept.string() + "'; exit $s";
    fs::create_directories(directory);
    fs::create_directories(kept);
    const ProcessResult full = RunProcess({"/usr/bin/unshare", "-Urm", "/bin/sh", "-c", script});
    if (full.status == 77 || full.status == -1 || full.err.find("unshare") != std::string::npos)
        GTEST_SKIP() << "no mount namespace here: " << full.err;
    ExpectOneLineError(full, 1, "No space left on device");
    int frames = 0;
    for (const auto& entry : fs::directory_iterator(kept)) {
        EXPECT_EQ(entry.path().filename().string().rfind("frame-", 0), 0u) << "left behind: " << entry.path();
        EXPECT_EQ(ReadPng(entry.path().string()).width, 96) << "incomplete: " << entry.path();
        ++frames;
    }
    EXPECT_GT(frames, 0);

#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer cannot run under a limit on the address space";
#endif
    // Limits on the address space below what Mesa's driver and LLVM need, or what the frames need on top: one line
    // saying so, never a crash inside the driver (each of these crashed before, with SIGSEGV or SIGABRT).
    const std::pair<int, const char*> limits[] = {
        {1500000, "16384x16384"}, {600000, "4096x4096"}, {500000, "2048x2048"}, {450000, "1280x720"},
        {400000, "64x64"}, {250000, "1280x720"}, {660000, "64x64"}}; // the last: the driver alone would fit
    for (const auto& [kilobytes, size] : limits) {
        const ProcessResult r = RunProcess({"/bin/sh", "-c", "ulimit -v " + std::to_string(kilobytes) + "; exec '"
                                                               + INKSPIN_BINARY + "' --render '" + directory.string()
                                                               + "' --size " + size + " --frames 1"});
        ExpectOneLineError(r, 1, "out of memory");
        unsigned need = 0, used = 0, allowed = 0; // what it names must not fit the limit it names
        const std::string said = r.err.substr(std::min(r.err.find(": OpenGL"), r.err.size()));
        ASSERT_EQ(std::sscanf(said.c_str(), ": OpenGL's driver and the pictures need about %u MB of address space "
                              "beside the %u MB in use, and ulimit -v allows %u MB", &need, &used, &allowed), 3) << r.err;
        EXPECT_GT(need + used, allowed) << r.err;
    }
}

} // namespace

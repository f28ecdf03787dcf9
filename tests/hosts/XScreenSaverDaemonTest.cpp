// The saver under the real XScreenSaver daemon, as a new user runs it: an Xvfb of the test's own, a home with no
// ~/.xscreensaver until `inkspin-settings --use-in-xscreensaver --only` makes one (the system's list with inkspin
// after it, shown alone), the daemon's defaults otherwise (fading included), blanking and unblanking on
// xscreensaver-command. Each blank must show the lattice within 10 s; each unblank must end inkspin within 5 s, and
// the daemon's `--verbose` log must say of every inkspin that it "exited normally with SIGTERM", as stock hacks end,
// and nothing else of it. The daemon refuses to launch hacks as root, so a root test runs it as `nobody` with copies
// of the binaries in a directory that user can read, first on its PATH.
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"
#include "tests/common/WindowPixels.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class XScreenSaverDaemonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(access("/usr/bin/xscreensaver", X_OK), 0) << "xscreensaver is not installed (make deps installs it)";
        char pattern[] = "/tmp/inkspin-daemon-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "home");
        fs::create_directories(root / "bin");
        fs::permissions(root, fs::perms(0755));
        fs::copy_file(INKSPIN_BINARY, root / "bin" / "inkspin");
        fs::copy_file(INKSPIN_SETTINGS_BINARY, root / "bin" / "inkspin-settings");
        if (getuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            ASSERT_NE(nobody, nullptr) << "no user nobody to run the daemon as";
            ASSERT_EQ(chown((root / "home").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
            asUser = {"/usr/sbin/runuser", "-u", "nobody", "--"};
        }
        const ProcessResult listed = RunProcess(command({"inkspin-settings", "--use-in-xscreensaver", "--only"}));
        ASSERT_EQ(listed.status, 0) << listed.err;
        server = std::make_unique<OwnXServer>(
            std::vector<std::string>{"-screen", "0", "640x480x24", "-nolisten", "tcp", "-ac"});
        ASSERT_NE(server->display, "") << "Xvfb did not start";
        display = server->display;
        dpy = XOpenDisplay(display.c_str());
        ASSERT_NE(dpy, nullptr) << "cannot open " << display;
        daemon = std::make_unique<BackgroundProcess>(
            command({"xscreensaver", "--no-splash", "--verbose", "--log", (root / "home" / "log").string()}));
    }

    void TearDown() override
    {
        if (daemon) {
            daemon->signal(SIGTERM); // runuser passes it on to the daemon
            daemon->wait(3.0);
        }
        daemon.reset();
        if (dpy != nullptr)
            XCloseDisplay(dpy);
        if (server) {
            server->process->signal(SIGTERM);
            server->process->wait(3.0);
        }
        server.reset();
        fs::remove_all(root);
    }

    // argv run as the daemon's user, with only the environment the daemon needs.
    std::vector<std::string> command(std::vector<std::string> argv) const
    {
        std::vector<std::string> full = asUser;
        full.insert(full.end(), {"/usr/bin/env", "-i", "HOME=" + (root / "home").string(), "DISPLAY=" + display,
                                 "PATH=" + (root / "bin").string() + ":/usr/bin:/bin"});
        // The sanitized build's settings reach its inkspin through the daemon, as in every other test.
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "LD_PRELOAD"})
            if (const char* value = std::getenv(name))
                full.push_back(std::string(name) + "=" + value);
        full.insert(full.end(), argv.begin(), argv.end());
        return full;
    }

    // What the daemon's log says of the inkspins it ran, a line each ("exited normally with SIGTERM", ...).
    std::vector<std::string> ends() const
    {
        std::vector<std::string> lines;
        std::istringstream log(ReadFile(root / "home" / "log"));
        for (std::string line; std::getline(log, line);)
            if (const std::size_t at = line.find("inkspin) "); at != std::string::npos && line.find("child pid") < at)
                lines.push_back(line.substr(at + 9));
        return lines;
    }

    // How many lines of the daemon's log hold `text`.
    std::size_t logLines(const std::string& text) const
    {
        std::istringstream log(ReadFile(root / "home" / "log"));
        std::size_t count = 0;
        for (std::string line; std::getline(log, line);)
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }

    bool xscreensaverDoes(const char* verb) { return RunProcess(command({"xscreensaver-command", verb})).status == 0; }

    fs::path root;
    std::vector<std::string> asUser;
    std::string display;
    std::unique_ptr<OwnXServer> server;
    std::unique_ptr<BackgroundProcess> daemon;
    Display* dpy = nullptr;
};

TEST_F(XScreenSaverDaemonTest, TenBlanksShowTheLatticeAndTenUnblanksEndItCleanly)
{
    // INKSPIN_DAEMON_CYCLES=100 for a longer run by hand.
    const int cycles = std::getenv("INKSPIN_DAEMON_CYCLES") ? std::atoi(std::getenv("INKSPIN_DAEMON_CYCLES")) : 10;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE(::testing::Message() << "cycle " << cycle);
        bool activated = false; // the daemon takes a moment to answer after its start
        for (int i = 0; i < 50 && !(activated = xscreensaverDoes("-activate")); ++i)
            usleep(200000);
        ASSERT_TRUE(activated) << "the daemon does not answer: " << ReadFile(root / "home" / "log");
        // The lattice, moving: the daemon may put up a still picture of the screen before the hack draws.
        bool drawn = false;
        std::vector<Pixel> last;
        for (int i = 0; i < 100 && !drawn; ++i) { // a sanitized start on a busy machine takes seconds
            usleep(100000);
            std::vector<Pixel> now = WindowPixels(dpy, DefaultRootWindow(dpy));
            // This blank's inkspin: the last one's picture may still be on the screen while the daemon fades.
            drawn = logLines("forked \"inkspin") > std::size_t(cycle) && Share(now, PixelKind::Shade) >= 0.02
                && !last.empty() && now != last;
            last = std::move(now);
        }
        EXPECT_TRUE(drawn) << "no lattice on the screen 10 s after the blank";
        ASSERT_TRUE(xscreensaverDoes("-deactivate"));
        // Within 5 s of the unblank's fade: the whole chain (command, daemon, its gfx process, a sanitized inkspin)
        // took 0.25 to 0.4 s on a busy machine and once over 1 s on an overloaded one.
        for (int i = 0; i < 200 && ends().size() < std::size_t(cycle + 1); ++i)
            usleep(50000);
        ASSERT_EQ(ends().size(), std::size_t(cycle + 1)) << "inkspin did not end:\n" << ReadFile(root / "home" / "log");
        // As a user would, the next blank comes after the screen is back (the daemon fades it in for 3 s).
        for (int i = 0; i < 200 && logLines("unfading done") <= std::size_t(cycle); ++i)
            usleep(50000);
    }
    for (const std::string& end : ends())
        EXPECT_EQ(end, "exited normally with SIGTERM") << ReadFile(root / "home" / "log");
    const std::string log = ReadFile(root / "home" / "log");
    EXPECT_EQ(log.find("inkspin:"), std::string::npos) << "inkspin said something:\n" << log;
}

} // namespace

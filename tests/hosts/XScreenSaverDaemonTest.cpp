// The saver under the real XScreenSaver daemon, as a user runs it: an Xvfb of the test's own, a home whose
// ~/.xscreensaver lists the built inkspin (mode: one), the daemon blanking and unblanking on xscreensaver-command.
// Each blank must show the lattice within 3 s; each unblank must end inkspin within 1 s with status 0, and the
// daemon's log must hold no line from it. The daemon refuses to launch hacks as root, so a root test runs it as
// `nobody` with a copy of the binary in a directory that user can read.
//
// The daemon's helper that runs the hacks is itself killed at an unblank, so nobody would be left to see inkspin's
// status: a small wrapper in front of it forwards the daemon's signal and writes the status to a file.
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"
#include "tests/common/WindowPixels.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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
        writeWrapper();
        std::ofstream(root / "home" / ".xscreensaver")
            << "mode: one\nselected: 0\ntimeout: 0:30:00\nlock: False\nfade: False\nunfade: False\nsplash: False\n"
               "programs: GL: "
            << (root / "bin" / "inkspin-run").string() << " --root \\n\n";
        if (getuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            ASSERT_NE(nobody, nullptr) << "no user nobody to run the daemon as";
            for (const fs::path& p : {root / "home", root / "home" / ".xscreensaver"})
                ASSERT_EQ(chown(p.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
            asUser = {"/usr/sbin/runuser", "-u", "nobody", "--"};
        }
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
        for (const std::string& word : {std::string("/usr/bin/env"), std::string("-i"), "HOME=" + (root / "home").string(),
                                        "DISPLAY=" + display, std::string("PATH=/usr/bin:/bin")})
            full.push_back(word);
        full.insert(full.end(), argv.begin(), argv.end());
        return full;
    }

    // The wrapper the daemon runs: inkspin in the background, the daemon's signal passed on, the status recorded.
    // The sanitized build's settings are passed on too, so that its inkspin runs as it does in every other test.
    void writeWrapper() const
    {
        const fs::path wrapper = root / "bin" / "inkspin-run";
        std::ofstream out(wrapper);
        out << "#!/bin/sh\n";
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "LD_PRELOAD"})
            if (const char* value = std::getenv(name))
                out << "export " << name << "='" << value << "'\n";
        out << "\"$(dirname \"$0\")/inkspin\" \"$@\" & child=$!\n"
               "trap 'kill -TERM $child 2>/dev/null' TERM INT HUP\n"
               "wait $child; status=$?\n"
               "while kill -0 $child 2>/dev/null; do wait $child; status=$?; done\n"
               "echo $status >> \"$(dirname \"$0\")/status/ended\"\n";
        out.close();
        fs::permissions(wrapper, fs::perms(0755));
        fs::create_directories(root / "bin" / "status");
        fs::permissions(root / "bin" / "status", fs::perms(0777));
    }

    std::string ended() const { return ReadFile(root / "bin" / "status" / "ended"); } // a status a line

    bool xscreensaverCommand(const std::string& verb)
    {
        return RunProcess(command({"xscreensaver-command", verb})).status == 0;
    }

    fs::path root;
    std::vector<std::string> asUser;
    std::string display;
    std::unique_ptr<OwnXServer> server;
    std::unique_ptr<BackgroundProcess> daemon;
    Display* dpy = nullptr;
};

TEST_F(XScreenSaverDaemonTest, TenBlanksShowTheLatticeAndTenUnblanksEndItCleanly)
{
    bool activated = false;
    for (int i = 0; i < 50 && !activated; ++i) { // the daemon takes a moment to answer
        usleep(200000);
        activated = xscreensaverCommand("-activate");
    }
    ASSERT_TRUE(activated) << "the daemon does not answer: " << ReadFile(root / "home" / "log");
    // INKSPIN_DAEMON_CYCLES=100 for a longer run by hand.
    const int cycles = std::getenv("INKSPIN_DAEMON_CYCLES") ? std::atoi(std::getenv("INKSPIN_DAEMON_CYCLES")) : 10;
    std::string expected; // a status line for each inkspin so far
    for (int cycle = 0; cycle < cycles; ++cycle) {
        SCOPED_TRACE(::testing::Message() << "cycle " << cycle);
        if (cycle > 0) {
            ASSERT_TRUE(xscreensaverCommand("-activate"));
        }
        // The lattice, moving: the daemon may put up a still picture of the screen before the hack draws.
        bool drawn = false;
        std::vector<Pixel> last;
        for (int i = 0; i < 100 && !drawn; ++i) { // a sanitized start on a busy machine takes seconds
            usleep(100000);
            std::vector<Pixel> now = WindowPixels(dpy, DefaultRootWindow(dpy));
            drawn = Share(now, PixelKind::Shade) >= 0.02 && !last.empty() && now != last;
            last = std::move(now);
        }
        EXPECT_TRUE(drawn) << "no lattice on the screen 10 s after the blank";
        ASSERT_TRUE(xscreensaverCommand("-deactivate"));
        expected += "0\n";
        // Within 5 s: a hang shows, while the whole chain (command, daemon, its gfx process, the wrapper, a sanitized
        // inkspin) took 0.25 to 0.4 s on a busy machine and once over 1 s on an overloaded one.
        for (int i = 0; i < 100 && ended().size() < expected.size(); ++i)
            usleep(50000);
        ASSERT_EQ(ended(), expected) << "every inkspin ends within 5 s of its unblank, with status 0";
    }
    const std::string log = ReadFile(root / "home" / "log");
    EXPECT_NE(log.find("inkspin"), std::string::npos) << "the daemon never ran inkspin:\n" << log;
    for (const char* sign : {"inkspin:", "abnormally", "terminated with"})
        EXPECT_EQ(log.find(sign), std::string::npos) << sign << " in the daemon's log:\n" << log;
}

} // namespace

// inkspin-idle under the real compositors, each headless and on a private session bus of the test's own: sway 1.7
// (org_kde_kwin_idle) with two outputs read back by grim, KWin 5.27 (ext-idle-notify-v1, a copy of kwin_wayland
// without its file capability, which an unprivileged container refuses to run) and Mutter 43 (its idle monitor on
// the bus). tests/hosts/idle/IdleTestBus.cpp is the other side of the bus: an inhibiting player, gnome-session,
// KDE's power management, logind, Mutter's remote-desktop keyboard; weston-flower is a window that holds an idle
// inhibitor.
#include "tests/hosts/wayland/SwayFixture.h"

#include "hosts/common/OnePerSession.h"
#include "hosts/idle/IdleSettings.h"
#include "platform/PreferencesStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A dbus-daemon of the test's own, at DIR/bus.
struct PrivateBus {
    explicit PrivateBus(const fs::path& folder) : address("unix:path=" + (folder / "bus").string())
    {
        daemon = std::make_unique<BackgroundProcess>(std::vector<std::string>{
            "/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address});
        for (int i = 0; i < 100 && !fs::exists(folder / "bus"); ++i)
            usleep(50000);
    }
    std::string address;
    std::unique_ptr<BackgroundProcess> daemon;
};

// True while an inkspin --root covers the session named by this process's XDG_RUNTIME_DIR and WAYLAND_DISPLAY.
bool SaverRuns() { return OnePerSessionHolder("inkspin-root") > 0; }

// Waits up to `seconds` for `done`.
bool Within(double seconds, const std::function<bool()>& done)
{
    for (int i = 0; i < seconds * 10; ++i, usleep(100000))
        if (done())
            return true;
    return done();
}

// Ends the watcher with SIGTERM; expects it to die by that signal, as it was sent, and returns its log.
std::string EndByTerm(BackgroundProcess& watcher)
{
    watcher.signal(SIGTERM);
    const ProcessResult result = watcher.wait(5.0);
    EXPECT_EQ(result.status, KilledBy(SIGTERM));
    return result.err;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class IdleOnSwayTest : public SwayFixture {
protected:
    void SetUp() override
    {
        SwayFixture::SetUp();
        bus = std::make_unique<PrivateBus>(runtime);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1); // the session SaverRuns looks at
        setenv("WAYLAND_DISPLAY", display.c_str(), 1);
    }
    void TearDown() override
    {
        bus.reset();
        SwayFixture::TearDown();
    }
    std::vector<std::string> environment() const
    {
        std::vector<std::string> environment = session();
        // logind's stand-in serves on the same private bus.
        environment.insert(environment.end(), {"DBUS_SESSION_BUS_ADDRESS=" + bus->address,
                                               "DBUS_SYSTEM_BUS_ADDRESS=" + bus->address});
        return environment;
    }
    std::unique_ptr<BackgroundProcess> watcher(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {INKSPIN_IDLE_BINARY, "--verbose"});
        return std::make_unique<BackgroundProcess>(arguments, environment());
    }

    std::unique_ptr<PrivateBus> bus;
};

TEST_F(IdleOnSwayTest, StartsOnEveryOutputAfterTheTimeoutEndsOnAKeyAndStartsAgain)
{
    auto idle = watcher({"--timeout", "2"});
    expectLattice("HEADLESS-1");
    expectLattice("HEADLESS-2");
    // One saver per session, one watcher per session: a second of either ends at once and says so.
    ExpectOneLineError(RunProcess({INKSPIN_BINARY, "--root"}, session()), 0, "already covers this session");
    ExpectOneLineError(RunProcess({INKSPIN_IDLE_BINARY}, environment()), 3, "already running");

    ASSERT_EQ(tool({"/usr/bin/wtype", "-s", "300", "x"}).status, 0);
    EXPECT_TRUE(Within(3, [&] { return !SaverRuns(); })) << idle->errorSoFar();
    EXPECT_LT(Share(output("HEADLESS-1"), PixelKind::Shade), 0.1);
    // Not the instant after a dismissal: a whole timeout first, and then it comes back.
    usleep(1000000);
    EXPECT_FALSE(SaverRuns());
    expectLattice("HEADLESS-1");

    // Ending the watcher ends its saver; the watcher dies by the signal, as it was sent.
    EndByTerm(*idle);
    EXPECT_FALSE(SaverRuns());
}

TEST_F(IdleOnSwayTest, InhibitorsKeepItAwayUntilTheyEnd)
{
    const struct {
        std::string name;
        std::vector<std::string> argv;
    } rows[] = {
        // A visible window with an idle inhibitor (sway's own, set below): the compositor tells no idle meanwhile.
        {"a Wayland idle inhibitor", {"/usr/bin/timeout", "4", "/usr/bin/weston-flower"}},
        // A player that asks over D-Bus, then leaves the bus, or says UnInhibit and stays.
        {"D-Bus, the caller leaves", {INKSPIN_IDLE_TEST_BUS, "inhibit", "4"}},
        {"D-Bus, UnInhibit", {INKSPIN_IDLE_TEST_BUS, "inhibit", "4", "uninhibit"}},
    };
    ASSERT_EQ(tool({"/usr/bin/swaymsg", "for_window [title=\".\"] inhibit_idle visible"}).status, 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> environment = this->environment();
        environment.push_back("LD_PRELOAD="); // weston-flower without the sanitized build's preloads
        BackgroundProcess inhibitor(row.argv, environment);
        auto idle = watcher({"--timeout", "1"}); // a player's Inhibit waits for it
        usleep(3500000); // well past the timeout
        EXPECT_FALSE(SaverRuns()) << idle->errorSoFar() << inhibitor.errorSoFar();
        // Once the inhibition has gone, a whole timeout more and the saver comes.
        expectLattice("HEADLESS-1");
        const std::string log = EndByTerm(*idle);
        EXPECT_EQ(log.find("held off by idle-test-bus: a video plays") != std::string::npos,
                  row.argv[0] == INKSPIN_IDLE_TEST_BUS);
    }
}

TEST_F(IdleOnSwayTest, TheLockIsAskedForOnceAfterTheDelayAndTheUserIsThenLetIn)
{
    const fs::path locks = runtime / "locks";
    for (const bool logind : {true, false}) {
        SCOPED_TRACE(logind ? "logind" : "lock command");
        fs::remove(locks);
        auto standIn = logind ? std::make_unique<BackgroundProcess>(
                                    std::vector<std::string>{INKSPIN_IDLE_TEST_BUS, "logind", locks.string()},
                                    environment())
                              : nullptr;
        auto idle = logind ? watcher({"--timeout", "1", "--lock-after", "1"})
                           : watcher({"--timeout", "1", "--lock-after", "1", "--lock-command",
                                      "echo lock >>" + locks.string()});
        expectLattice("HEADLESS-1");
        usleep(2500000);
        EXPECT_EQ(Count(ReadFile(locks), "lock"), 1u) << idle->errorSoFar();
        // The user types at the locker: the saver beneath, which sees no input there, is ended for them.
        ASSERT_EQ(tool({"/usr/bin/wtype", "-s", "300", "x"}).status, 0);
        EXPECT_TRUE(Within(3, [&] { return !SaverRuns(); })) << idle->errorSoFar();
        EndByTerm(*idle);
    }
}

TEST_F(IdleOnSwayTest, FollowsTheSavedTimesWithoutARestart)
{
    auto idle = watcher({});
    const auto says = [&](const std::string& line) { return idle->errorSoFar().find(line) != std::string::npos; };
    ASSERT_TRUE(Within(5, [&] { return says("after 300 s idle; never locks"); })) << idle->errorSoFar();
    // Saved as the settings window saves: a new file renamed over the old.
    PreferencesSetInt(IdleKeys::kStartMinutes, 2, IdleKeys::kDomain);
    PreferencesSetInt(IdleKeys::kLockMinutes, 3, IdleKeys::kDomain);
    ASSERT_TRUE(PreferencesAppSynchronize(IdleKeys::kDomain));
    EXPECT_TRUE(Within(5, [&] { return says("after 120 s idle; locks 180 s later"); })) << idle->errorSoFar();
    EndByTerm(*idle);
}

TEST_F(IdleOnSwayTest, ASaverThatCannotRunIsToldOnce)
{
    fs::create_directory(runtime / "alone"); // no inkspin beside this watcher
    fs::copy_file(INKSPIN_IDLE_BINARY, runtime / "alone" / "inkspin-idle");
    BackgroundProcess idle({(runtime / "alone" / "inkspin-idle").string(), "--timeout", "1"}, environment());
    for (int i = 0; i < 2; ++i) { // two idle times
        usleep(2000000);
        ASSERT_EQ(tool({"/usr/bin/wtype", "-s", "100", "x"}).status, 0);
    }
    const std::string log = EndByTerm(idle);
    EXPECT_EQ(Count(log, "\n"), 1u) << log;
    EXPECT_NE(log.find("cannot run " + (runtime / "alone" / "inkspin").string()), std::string::npos) << log;
}

// KWin and Mutter, headless: the compositor, its session bus and a runtime folder of the test's own.
class IdleOnDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/inkspin-desktop-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtime = pattern;
        bus = std::make_unique<PrivateBus>(runtime);
    }
    void TearDown() override
    {
        desktop.reset();
        bus.reset();
        fs::remove_all(runtime);
    }
    void launch(const std::vector<std::string>& compositor, const std::string& socket)
    {
        display = socket;
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1); // the session SaverRuns looks at
        setenv("WAYLAND_DISPLAY", display.c_str(), 1);
        desktop = std::make_unique<BackgroundProcess>(compositor, environment());
        ASSERT_TRUE(Within(15, [&] { return fs::exists(runtime / display); })) << desktop->errorSoFar();
    }
    std::vector<std::string> environment() const
    {
        return {"XDG_RUNTIME_DIR=" + runtime.string(), "WAYLAND_DISPLAY=" + display,
                "DBUS_SESSION_BUS_ADDRESS=" + bus->address, "DISPLAY=", "XSCREENSAVER_WINDOW="};
    }
    std::unique_ptr<BackgroundProcess> watcher(std::vector<std::string> extra = {})
    {
        std::vector<std::string> environment = this->environment();
        environment.insert(environment.end(), extra.begin(), extra.end());
        return std::make_unique<BackgroundProcess>(
            std::vector<std::string>{INKSPIN_IDLE_BINARY, "--verbose", "--timeout", "2"}, environment);
    }

    fs::path runtime;
    std::string display;
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<BackgroundProcess> desktop;
    TemporaryConfigHome config;
};

TEST_F(IdleOnDesktopTest, KWinStartsItThroughExtIdleNotifyOnTheLayerShellUntilThePointerMoves)
{
    ASSERT_EQ(access("/usr/bin/kwin_wayland", X_OK), 0) << "KWin is not installed (make deps installs it)";
    // A copy without the file capability, still called kwin_wayland: KWin's Qt platform plugin refuses any other name.
    fs::create_directory(runtime / "kwin");
    fs::copy_file("/usr/bin/kwin_wayland", runtime / "kwin" / "kwin_wayland");
    // Without permission checks, KWin lets the test's mouse in through its fake input.
    launch({"/usr/bin/env", "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1", (runtime / "kwin" / "kwin_wayland").string(),
            "--virtual", "--no-lockscreen", "--socket", "kwin-test", "--width", "640", "--height", "360"},
           "kwin-test");

    // KDE's power management says something holds the screen for 4 s (where Plasma owns the screen saver's name,
    // the browsers' inhibitions go there).
    BackgroundProcess power({INKSPIN_IDLE_TEST_BUS, "powerdevil", "4"}, environment());
    ASSERT_TRUE(Within(5, [&] { return power.errorSoFar() == "ready\n"; })) << power.errorSoFar();
    auto idle = watcher({"WAYLAND_DEBUG=1"}); // the protocol, the saver's too, in the watcher's log
    usleep(3500000); // past the timeout, while the flag is set
    EXPECT_FALSE(SaverRuns());
    ASSERT_TRUE(Within(8, [&] { return SaverRuns(); })) << idle->errorSoFar();
    // Mapped on the layer shell and drawing: the compositor tells it a size, then presents frame after frame.
    EXPECT_TRUE(Within(10, [&] { return Count(idle->errorSoFar(), "wl_callback@") > 20; }));
    // The pointer moves: the saver ends, and KWin tells the watcher the user is back.
    EXPECT_EQ(RunProcess({INKSPIN_TEST_POINTER, "300", "move", "30", "30"}, environment()).status, 0);
    EXPECT_TRUE(Within(5, [&] { return !SaverRuns(); }));
    const std::string log = EndByTerm(*idle);
    EXPECT_NE(log.find("ext_idle_notification_v1@"), std::string::npos);
    EXPECT_NE(log.find(".resumed()"), std::string::npos);
    EXPECT_NE(log.find("idle time from ext-idle-notify-v1"), std::string::npos);
    EXPECT_NE(log.find("held off by KDE's power management"), std::string::npos);
    EXPECT_NE(log.find("zwlr_layer_surface_v1@"), std::string::npos);
    EXPECT_NE(log.find(".configure("), std::string::npos);
    EXPECT_FALSE(SaverRuns());
}

TEST_F(IdleOnDesktopTest, MutterStartsItThroughItsIdleMonitorAfterGnomeSessionsInhibitor)
{
    ASSERT_EQ(access("/usr/bin/mutter", X_OK), 0) << "Mutter is not installed (make deps installs it)";
    launch({"/usr/bin/mutter", "--headless", "--wayland", "--no-x11", "--virtual-monitor", "640x360",
            "--wayland-display", "mutter-test"},
           "mutter-test");
    BackgroundProcess session({INKSPIN_IDLE_TEST_BUS, "gnome-session", "4"}, environment());
    ASSERT_TRUE(Within(5, [&] { return session.errorSoFar() == "ready\n"; })) << session.errorSoFar();

    auto idle = watcher({"WAYLAND_DEBUG=1"});
    usleep(3500000); // past the timeout, while gnome-session's idle flag is set
    EXPECT_FALSE(SaverRuns());
    // The flag cleared at 4 s: a whole timeout later the saver comes.
    EXPECT_TRUE(Within(8, [&] { return SaverRuns(); })) << idle->errorSoFar();
    ASSERT_TRUE(Within(10, [&] { return Count(idle->errorSoFar(), "wl_callback@") > 20; })); // on screen
    // A key through Mutter's remote desktop ends it, and Mutter's user-active watch says the user is back.
    const ProcessResult key = RunProcess({INKSPIN_IDLE_TEST_BUS, "mutter-key"}, environment());
    EXPECT_EQ(key.status, 0) << key.err;
    EXPECT_TRUE(Within(5, [&] { return !SaverRuns(); })) << idle->errorSoFar();
    const std::string log = EndByTerm(*idle);
    EXPECT_NE(log.find("idle time from org.gnome.Mutter.IdleMonitor"), std::string::npos);
    EXPECT_NE(log.find("held off by gnome-session"), std::string::npos);
    EXPECT_NE(log.find("the user is back"), std::string::npos);
}

} // namespace

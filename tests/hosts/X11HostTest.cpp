// The saver on a real X server (an Xvfb of its own, started by tests/common/with-xvfb.sh): its own window, foreign
// windows of every kind of visual, resizes, hiding, pauses, signals and windows that are not there.
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"
#include "tests/common/WindowPixels.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Image = std::vector<Pixel>;

// Whether the process catches `signal` (its handler is installed), as /proc says.
bool Catches(int pid, int signal)
{
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const std::size_t at = status.find("SigCgt:");
    return at != std::string::npos && (std::stoull(status.substr(at + 7), nullptr, 16) >> (signal - 1) & 1) != 0;
}

class X11HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dpy = XOpenDisplay(nullptr);
        ASSERT_NE(dpy, nullptr) << "run under tests/common/with-xvfb.sh";
        config.writePreferences("InkspinBackgroundEnabled=false\n"); // every pixel is background, ink or shade
    }
    void TearDown() override
    {
        if (dpy != nullptr) // null when SetUp found no display
            XCloseDisplay(dpy);
    }

    std::unique_ptr<BackgroundProcess> inkspin(std::vector<std::string> arguments, std::string screenSaverWindow = "",
                                               std::string display = "")
    {
        // A window named by its caller means X11 even in a Wayland session (XWayland's clients run it so).
        const bool named = !screenSaverWindow.empty() || std::ranges::any_of(arguments, [](const std::string& a) {
            return a == "-window-id" || a == "--window-id";
        });
        arguments.insert(arguments.begin(), INKSPIN_BINARY);
        return std::make_unique<BackgroundProcess>(
            arguments, std::vector<std::string>{"XSCREENSAVER_WINDOW=" + screenSaverWindow,
                                                named ? "WAYLAND_DISPLAY=no-such-compositor" : "WAYLAND_DISPLAY=",
                                                display.empty() ? "UNUSED=" : "DISPLAY=" + display});
    }
    // Hacks end by the ending signal itself, and silently.
    static void endWith(BackgroundProcess& saver, int signal) { ExpectQuietEnd(saver, KilledBy(signal), signal); }

    // A mapped window with black background, of the first 24-bit TrueColor GL visual with (at least 16 bits) or
    // without a depth buffer, single- (0) or double-buffered (1) or either (-1); 0 when the server has none.
    Window makeWindow(int width, int height, bool withDepth = true, int doubleBuffered = -1)
    {
        XVisualInfo templ{};
        templ.screen = DefaultScreen(dpy);
        int count = 0;
        XVisualInfo* list = XGetVisualInfo(dpy, VisualScreenMask, &templ, &count);
        Window w = 0;
        for (int i = 0; i < count && w == 0; ++i) {
            int gl = 0, buffers = 0, depth = 0;
            glXGetConfig(dpy, &list[i], GLX_USE_GL, &gl);
            glXGetConfig(dpy, &list[i], GLX_DOUBLEBUFFER, &buffers);
            glXGetConfig(dpy, &list[i], GLX_DEPTH_SIZE, &depth);
            if (!gl || list[i].depth != 24 || list[i].c_class != TrueColor || (withDepth ? depth < 16 : depth != 0)
                || (doubleBuffered >= 0 && buffers != doubleBuffered))
                continue;
            XSetWindowAttributes a{};
            a.colormap = XCreateColormap(dpy, DefaultRootWindow(dpy), list[i].visual, AllocNone);
            w = XCreateWindow(dpy, DefaultRootWindow(dpy), 0, 0, width, height, 0, 24, InputOutput, list[i].visual,
                              CWColormap | CWBackPixel | CWBorderPixel, &a);
            XMapWindow(dpy, w);
            XSync(dpy, False);
        }
        XFree(list);
        return w;
    }

    // Polls the window until `done` holds for its pixels (up to 10 s; by default until the lattice covers half of
    // it, about a second into the intro); returns the last picture.
    Image waitFor(Window w, std::function<bool(const Image&)> done = [](const Image& i) {
        return Share(i, PixelKind::Shade) > 0.5;
    })
    {
        Image pixels;
        for (int i = 0; i < 100 && (pixels.empty() || !done(pixels)); ++i) {
            usleep(100000);
            pixels = WindowPixels(dpy, w);
        }
        return pixels;
    }

    // The top-level window titled "Inkspin", or 0.
    Window findOwnWindow()
    {
        Window root, parent, *children = nullptr, found = 0;
        unsigned count = 0;
        XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && !found; ++i) {
            char* name = nullptr;
            if (XFetchName(dpy, children[i], &name) && name != nullptr) {
                found = std::string(name) == "Inkspin" ? children[i] : 0;
                XFree(name);
            }
        }
        XFree(children);
        return found;
    }

    Display* dpy = nullptr;
    TemporaryConfigHome config;
};

TEST_F(X11HostTest, OwnWindowShowsTheLatticeAndEndsOnSigterm)
{
    auto saver = inkspin({});
    Window w = 0;
    for (int i = 0; i < 50 && !(w = findOwnWindow()); ++i)
        usleep(100000);
    ASSERT_NE(w, 0u) << saver->wait(0).err;
    XWindowAttributes a{};
    XGetWindowAttributes(dpy, w, &a);
    EXPECT_EQ(a.width, WidthOfScreen(DefaultScreenOfDisplay(dpy)) * 2 / 3);
    const Image image = waitFor(w);
    EXPECT_EQ(Share(image, PixelKind::Other), 0.0);
    EXPECT_GT(Share(image, PixelKind::Outline) * Share(image, PixelKind::Background), 0.0);
    endWith(*saver, SIGTERM);
}

TEST_F(X11HostTest, DrawsIntoForeignWindowsOfEveryKind)
{
    int tried = 0;
    for (const auto& [withDepth, doubleBuffered] : {std::pair{true, 0}, {true, 1}, {false, 1}, {false, 0}}) {
        const Window w = makeWindow(240, 180, withDepth, doubleBuffered);
        if (w == 0)
            continue;
        ++tried;
        SCOPED_TRACE(::testing::Message() << "depth buffer " << withDepth << ", double-buffered " << doubleBuffered);
        auto saver = inkspin({"-window-id", std::to_string(w)});
        const Image image = waitFor(w);
        EXPECT_EQ(Share(image, PixelKind::Other), 0.0);
        // Without a depth test the outline pass inks every back edge: more ink than shade (measured: 1.7 times),
        // where a drawing with depth inks only the silhouette (0.1 to 0.2 times the shade).
        EXPECT_LT(Share(image, PixelKind::Outline), Share(image, PixelKind::Shade) / 2);
        endWith(*saver, SIGTERM);
        XDestroyWindow(dpy, w);
    }
    EXPECT_GE(tried, 2) << "the server offers too few kinds of visual";
}

TEST_F(X11HostTest, ResizedHiddenAndPausedTheScreenSaverWindowKeepsUp)
{
    const Window w = makeWindow(160, 120);
    auto saver = inkspin({"--root"}, std::to_string(w)); // -root draws into $XSCREENSAVER_WINDOW
    waitFor(w);
    XResizeWindow(dpy, w, 320, 200);
    XSync(dpy, False);
    // The new area gets drawn: no pixel of the window's own black background stays in the far corner.
    Image image = waitFor(w, [](const Image& i) { return !(i.back() == Pixel{0, 0, 0}); });
    EXPECT_EQ(image.size(), 320u * 200u);
    EXPECT_EQ(Share(image, PixelKind::Other), 0.0);

    XUnmapWindow(dpy, w);
    XSync(dpy, False);
    usleep(300000);
    const long before = CpuTicks(saver->pid());
    usleep(1000000);
    EXPECT_LE(CpuTicks(saver->pid()) - before, 2) << "drawing goes on while nobody can see it";
    XMapWindow(dpy, w);
    XSync(dpy, False);
    waitFor(w);

    saver->signal(SIGSTOP);
    usleep(1500000);
    saver->signal(SIGCONT);
    // The intro starts over: the lattice is a point again instead of jumping ahead by the time of the pause.
    image = waitFor(w, [](const Image& i) { return Share(i, PixelKind::Background) > 0.5; });
    EXPECT_GT(Share(image, PixelKind::Background), 0.5);
    endWith(*saver, SIGINT);
    XDestroyWindow(dpy, w);
}

// --delay reaches the frame loop: with a tenth of a second between frames, two seconds show at most about twenty
// pictures (without it, sixty a second here). Load only lowers the count, so the bound cannot fail by it.
TEST_F(X11HostTest, TheDelayOptionSpacesTheFrames)
{
    const Window w = makeWindow(64, 48);
    auto saver = inkspin({"-window-id", std::to_string(w), "--delay", "100000"});
    Image last = waitFor(w);
    int pictures = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < end) {
        Image now = WindowPixels(dpy, w);
        pictures += now != last;
        last = std::move(now);
    }
    EXPECT_LE(pictures, 30);
    EXPECT_GE(pictures, 2) << "it draws";
    endWith(*saver, SIGTERM);
    XDestroyWindow(dpy, w);
}

// Window options as XScreenSaver's programs combine them: xscreensaver-settings runs `--root --window-id ID` for its
// preview pane with $XSCREENSAVER_WINDOW naming another window, lockers add -root to -window. -window-id wins over
// -root, -root over -window. The daemon ends a hack with SIGTERM and destroys its window at once, in either order:
// a clean end by that signal and not a word.
TEST_F(X11HostTest, WindowOptionsCombineAndSigtermWinsOverTheWindowsEnd)
{
    for (const bool idWins : {true, false}) {
        const Window pane = makeWindow(160, 120), other = makeWindow(160, 120);
        XMoveWindow(dpy, other, 200, 0); // side by side: a covered window is not drawn
        XSync(dpy, False);
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", pane);
        // XScreenSaver's hacks take toolkit options too: -display over $DISPLAY, the rest ignored.
        auto saver = idWins ? inkspin({"--root", "--window-id", id}, std::to_string(other))
                            : inkspin({"-window", "-root", "-visual", "default", "-install", "-mono", "-geometry",
                                       "1x1+0+0", "-display", DisplayString(dpy), "-window"},
                                      std::to_string(pane), ":98");
        EXPECT_GT(Share(waitFor(pane), PixelKind::Shade), 0.5);
        EXPECT_EQ(Share(waitFor(other, [](const Image&) { return true; }), PixelKind::Shade), 0.0);
        if (!idWins) // the window's end before the signal here, after it with -window-id
            XDestroyWindow(dpy, pane), XSync(dpy, False), usleep(50000);
        saver->signal(SIGTERM);
        if (idWins)
            XDestroyWindow(dpy, pane);
        XSync(dpy, False);
        ExpectQuietEnd(*saver, KilledBy(SIGTERM), 0, 10.0); // under load the clean-up takes seconds
        XDestroyWindow(dpy, other);
    }
}

// An X server that dies at any moment of the saver's start (servers of the test's own, killed 10 to 70 ms after the
// saver starts): one line and status 1 every time, never a crash inside GLX.
TEST_F(X11HostTest, AServerThatDiesDuringTheStartEndsItWithOneLine)
{
    for (int attempt = 0; attempt < 60; ++attempt) { // a crash came in about one start of thirty
        OwnXServer server({"-screen", "0", "320x240x24", "-nolisten", "tcp"});
        ASSERT_NE(server.display, "") << "Xvfb did not start";
        BackgroundProcess saver({INKSPIN_BINARY, "-root"}, {"DISPLAY=" + server.display});
        usleep(10000 + attempt % 30 * 2000);
        server.process->signal(SIGKILL);
        server.process->wait(5.0);
        SCOPED_TRACE(::testing::Message() << "server killed " << 10 + attempt % 30 * 2 << " ms after the start");
        ExpectOneLineError(saver.wait(10.0), 1, "inkspin: ");
    }
}

TEST_F(X11HostTest, EveryEndingSignalEndsCleanlyEvenAtOnce)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        auto saver = inkspin({"-root"});
        // The moment the handlers are in, before the display, the window and the lattice are ready.
        for (int i = 0; i < 5000 && !Catches(saver->pid(), signal); ++i)
            usleep(1000);
        endWith(*saver, signal);
    }
}

TEST_F(X11HostTest, MissingOrVanishingWindowsEndWithOneLine)
{
    ExpectOneLineError(inkspin({"-window-id", "0x7ffffff"})->wait(5.0), 1, "0x7ffffff");
    const Window w = makeWindow(120, 90);
    auto saver = inkspin({"-window-id", std::to_string(w)});
    usleep(700000);
    ASSERT_TRUE(saver->running());
    XDestroyWindow(dpy, w);
    XSync(dpy, False);
    ExpectOneLineError(saver->wait(5.0), 1, "window");
    // Grown past what OpenGL can draw (32767x32767 crashed inside llvmpipe), while the saver starts (the moment it
    // watches the window) and while it draws: one line.
    for (const bool drawing : {false, true}) {
        const Window huge = makeWindow(120, 90);
        saver = inkspin({"-window-id", std::to_string(huge)});
        XWindowAttributes watched{};
        for (int i = 0; i < 5000 && saver->running() && XGetWindowAttributes(dpy, huge, &watched)
                        && !(watched.all_event_masks & StructureNotifyMask);
             ++i)
            usleep(1000);
        if (drawing)
            waitFor(huge);
        XResizeWindow(dpy, huge, 32767, 32767);
        XSync(dpy, False);
        ExpectOneLineError(saver->wait(5.0), 1, "larger than this OpenGL can draw");
        XDestroyWindow(dpy, huge);
    }
    // Another program resizing the child the saver draws into (any client may resize any window): never granted.
    // The saver was given a colour it cannot use, as XScreenSaver's dialog passes what was typed: it warns and runs.
    const Window outer = makeWindow(120, 90);
    saver = inkspin({"-window-id", std::to_string(outer), "--ink-colour", "red"});
    waitFor(outer);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(dpy, outer, &root, &parent, &children, &count) && count == 1);
    const Window child = children[0];
    XFree(children);
    XSelectInput(dpy, child, StructureNotifyMask); // to see whether the resize was ever granted, even for a moment
    XResizeWindow(dpy, child, 32767, 32767);
    XSync(dpy, False);
    usleep(500000);
    for (XEvent event; XCheckTypedWindowEvent(dpy, child, ConfigureNotify, &event);)
        EXPECT_NE(event.xconfigure.width, 32767) << "the server resized the child";
    ASSERT_TRUE(saver->running()) << "status " << saver->wait(0).status;
    XWindowAttributes drawn{};
    ASSERT_TRUE(XGetWindowAttributes(dpy, child, &drawn));
    EXPECT_EQ(drawn.width, 120);
    saver->signal(SIGTERM);
    ExpectOneLineError(saver->wait(3.0), KilledBy(SIGTERM), "--ink-colour: 'red' is not a colour");
    XDestroyWindow(dpy, outer);
#ifndef __SANITIZE_ADDRESS__ // which cannot run under a limit on the address space
    // Below what OpenGL's driver needs (GLX crashed at 250 MB, LLVM aborted at 400 and 600 MB): one line.
    for (const char* kilobytes : {"256000", "600000"}) {
        BackgroundProcess limited({"/bin/sh", "-c", std::string("ulimit -v ") + kilobytes + "; exec '" + INKSPIN_BINARY
                                                        + "' -root"});
        ExpectOneLineError(limited.wait(10.0), 1, "out of memory"); // a saver that starts anyway is ended here
    }
#endif
    for (const char* bad : {"garbage", "-5", "0x100200001"})
        ExpectOneLineError(inkspin({"-root"}, bad)->wait(5.0), 1, "XSCREENSAVER_WINDOW");
    // No display, an empty one, one that does not answer, one with a newline: one line each, for both programs
    // (Qt alone would abort with a core dump).
    ExpectOneLineError(RunProcess({INKSPIN_BINARY}, {"DISPLAY="}), 1, "use --render DIR");
    for (const char* name : {"", ":987", ":9\n87"}) {
        const std::string display = std::string("DISPLAY=") + name;
        ExpectOneLineError(RunProcess({INKSPIN_BINARY, "-root"}, {display}), 1, "display");
        ExpectOneLineError(RunProcess({INKSPIN_SETTINGS_BINARY}, {display, "QT_QPA_PLATFORM=", "WAYLAND_DISPLAY="}), 1,
                           "display");
    }
    // A Wayland display that is not there names the way to X, a socket handed over is named as such, and no display
    // at all says so.
    const std::pair<std::vector<std::string>, const char*> displays[] = {
        {{"WAYLAND_DISPLAY=nowhere", "DISPLAY=:5"}, "; WAYLAND_DISPLAY= inkspin draws on the X display :5 instead"},
        {{"WAYLAND_SOCKET=garbage"}, "through the socket WAYLAND_SOCKET names (\"garbage\")"},
        {{"WAYLAND_DISPLAY=", "DISPLAY="}, "DISPLAY is not set, and neither is WAYLAND_DISPLAY"}};
    for (auto [environment, named] : displays) {
        ExpectOneLineError(RunProcess({INKSPIN_BINARY, "-root"}, environment), 1, named); // no runtime folder
        environment.push_back("XDG_RUNTIME_DIR=" + config.path().string());
        ExpectOneLineError(RunProcess({INKSPIN_BINARY, "-root"}, environment), 1, named);
    }
    // Qt's own options are Qt's; anything else is refused before a window opens.
    ExpectOneLineError(RunProcess({INKSPIN_SETTINGS_BINARY, "-style", "fusion", "--bogus"},
                                  {"XDG_RUNTIME_DIR=" + config.path().string()}), 2, "'--bogus'");
    // An ~/.xscreensaver it cannot read is refused and left byte for byte (a root test reads as nobody, in a copy).
    const std::string home = config.path().string(), copy = home + "/inkspin-settings", list = home + "/.xscreensaver";
    std::filesystem::copy_file(INKSPIN_SETTINGS_BINARY, copy);
    std::ofstream(list) << "programs: a\n";
    chmod(list.c_str(), 0);
    std::vector<std::string> use = {copy, "--use-in-xscreensaver"};
    if (const passwd* nobody = getpwnam("nobody"); getuid() == 0 && nobody != nullptr) {
        ASSERT_EQ(chown(home.c_str(), nobody->pw_uid, nobody->pw_gid), 0); // a folder the user can write in
        use.insert(use.begin(), {"/usr/sbin/runuser", "-u", "nobody", "--", "/usr/bin/env", "HOME=" + home});
    }
    ExpectOneLineError(RunProcess(use, {"HOME=" + home}), 1, "cannot be read (Permission denied); it is left");
    EXPECT_EQ(ReadFile(list), "programs: a\n");
}

} // namespace

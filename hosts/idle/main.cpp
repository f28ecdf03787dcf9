// inkspin-idle: runs for the whole Wayland session and starts the saver when the user is idle (IdleWatcher.h). It
// waits in poll() on the compositor's connection, the session bus, its signals, the saver's end and the settings
// folder; nothing of OpenGL or Qt is loaded.
#include "hosts/common/OnePerSession.h"
#include "hosts/common/SignalPipe.h"
#include "hosts/idle/IdleCommandLine.h"
#include "hosts/idle/IdleSettings.h"
#include "hosts/idle/IdleWatcher.h"
#include "hosts/idle/Inhibitors.h"
#include "hosts/idle/MutterIdle.h"
#include "hosts/idle/WaylandIdle.h"

#include <systemd/sd-bus.h>

#include <limits.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#ifndef INKSPIN_VERSION
#define INKSPIN_VERSION "unknown"
#endif

namespace {

// Where there are no pidfds, how often a running saver is looked at.
constexpr int kReapMilliseconds = 250;

bool gVerbose = false;

// One line on standard error, as XScreenSaver's -verbose writes them: the program, the time, what happened.
void Say(bool verboseOnly, const std::string& line)
{
    if (verboseOnly && !gVerbose)
        return;
    const std::time_t now = std::time(nullptr);
    char clock[16] = "";
    std::strftime(clock, sizeof clock, "%H:%M:%S", std::localtime(&now));
    std::fprintf(stderr, "inkspin-idle: %s: %s\n", clock, line.c_str());
}

// The sooner of a poll timeout (-1: none) and `wait` milliseconds (0 when already due).
int Earliest(int timeout, int64_t wait)
{
    const int due = static_cast<int>(std::clamp<int64_t>(wait, 0, INT_MAX));
    return timeout < 0 ? due : std::min(timeout, due);
}

int64_t NowMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The inkspin installed beside this program (/usr/bin, or the build's folder).
std::string SaverBeside()
{
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : "";
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "inkspin" : path.substr(0, slash + 1) + "inkspin";
}

IdleTimes TimesFor(const IdleRequest& request)
{
    const IdleSettings saved = ReadIdleSettings();
    return {request.timeoutSeconds.value_or(saved.startMinutes * 60),
            request.lockAfterSeconds.value_or(saved.lockMinutes * 60)};
}

struct BusCloser {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};

// The session's idle source: the compositor's protocols first, then GNOME's idle monitor. Null with *why saying
// what to use instead.
std::unique_ptr<IdleSource> ChooseSource(sd_bus* bus, WaylandIdle** wayland, std::string* why)
{
    *wayland = nullptr;
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        *why = "this is not a Wayland session: on X11, XScreenSaver starts Inkspin (inkspin-settings "
               "--use-in-xscreensaver)";
        return nullptr;
    }
    std::string failure;
    if (auto idle = WaylandIdle::Connect(&failure)) {
        *wayland = idle.get();
        return idle;
    }
    if (!failure.empty()) {
        *why = failure;
        return nullptr;
    }
    if (auto idle = MutterIdle::Connect(bus))
        return idle;
    *why = "this compositor tells no idle time (neither ext-idle-notify-v1 nor org_kde_kwin_idle, and no GNOME idle "
           "monitor on the session bus): use its own idle tool to run inkspin --root";
    return nullptr;
}

// Watches the settings folder for a new file (the store writes a new one and renames it over the old); -1 where
// it cannot. The folder is made if missing, so that the first save is seen too.
int WatchSettings()
{
    const std::string folder = IdleSettingsFolder();
    if (folder.empty())
        return -1;
    const std::string parent = folder.substr(0, folder.rfind('/'));
    mkdir(parent.c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    const int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor >= 0 && inotify_add_watch(descriptor, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

// True when an event of the settings folder names the settings file.
bool SettingsFileChanged(int descriptor)
{
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    ssize_t length = 0;
    const std::string name = std::string(IdleKeys::kDomain) + ".conf";
    while ((length = read(descriptor, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            changed = changed || (event->len > 0 && name == event->name);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

int Watch(const IdleRequest& request)
{
    if (!SignalPipeInstall()) {
        Say(false, "cannot set up its signals");
        return 1;
    }
    sd_bus* rawBus = nullptr;
    if (sd_bus_open_user(&rawBus) < 0)
        rawBus = nullptr; // GNOME's idle time and the D-Bus inhibitors need it; the compositor's protocols do not
    const std::unique_ptr<sd_bus, BusCloser> bus(rawBus);
    WaylandIdle* wayland = nullptr;
    std::string why;
    std::unique_ptr<IdleSource> source = ChooseSource(bus.get(), &wayland, &why);
    if (request.check) {
        std::printf("%s\n", source ? ("idle time from " + source->name()).c_str() : why.c_str());
        return source ? 0 : 1;
    }
    if (!source) {
        Say(false, why);
        return 1;
    }
    if (int holder = 0; !ClaimOnePerSession("inkspin-idle", &holder)) {
        Say(false, "already running in this session (pid " + std::to_string(holder) + "); this one ends");
        return 3;
    }
    Inhibitors inhibitors(bus.get());
    IdleWatcher watcher(*source, [&] { return inhibitors.holder(); }, SaverBeside(), request.lockCommand, Say);
    source->changed = [&](bool idle) { watcher.idleChanged(idle, NowMilliseconds()); };
    inhibitors.changed = [&] { watcher.holdChanged(NowMilliseconds()); };
    Say(true, "idle time from " + source->name()
            + (inhibitors.servesScreenSaver() ? "; serving org.freedesktop.ScreenSaver" : ""));
    if (!watcher.setTimes(TimesFor(request), NowMilliseconds())) {
        Say(false, "the idle source refused the timeout");
        return 1;
    }
    const int settings = WatchSettings();
    SignalPipeRunning();

    int status = 0;
    for (;;) {
        const int64_t now = NowMilliseconds();
        watcher.tick(now);
        inhibitors.setActive(watcher.saver().running());
        std::vector<pollfd> waits = {{SignalPipeDescriptor(), POLLIN, 0}};
        if (wayland != nullptr)
            waits.push_back({wayland->descriptor(), POLLIN, 0}); // second, where the dispatch below looks
        if (wayland != nullptr && !wayland->flush()) {
            Say(false, "the compositor closed the connection: the session has ended");
            status = 1;
            break;
        }
        int timeout = watcher.untilNextTimer(now);
        if (bus) {
            while (sd_bus_process(bus.get(), nullptr) > 0) {
            }
            waits.push_back({sd_bus_get_fd(bus.get()), static_cast<short>(sd_bus_get_events(bus.get())), 0});
            uint64_t until = 0;
            if (sd_bus_get_timeout(bus.get(), &until) >= 0 && until != UINT64_MAX)
                timeout = Earliest(timeout, static_cast<int64_t>(until / 1000) - now);
        }
        if (watcher.saver().running()) {
            if (watcher.saver().descriptor() >= 0)
                waits.push_back({watcher.saver().descriptor(), POLLIN, 0});
            else
                timeout = Earliest(timeout, kReapMilliseconds);
        }
        if (settings >= 0)
            waits.push_back({settings, POLLIN, 0});
        if (poll(waits.data(), waits.size(), timeout) < 0 && errno != EINTR)
            break;
        if (SignalPipeTake() == HostSignal::Terminate)
            break;
        watcher.checkSaver();
        if (wayland != nullptr && waits[1].revents != 0 && !wayland->dispatch()) {
            Say(false, "the compositor closed the connection: the session has ended");
            status = 1;
            break;
        }
        if (settings >= 0 && SettingsFileChanged(settings))
            watcher.setTimes(TimesFor(request), NowMilliseconds());
        if (bus && sd_bus_process(bus.get(), nullptr) < 0) {
            Say(false, "the session bus is gone: the session has ended");
            status = 1;
            break;
        }
    }
    watcher.saver().stop();
    if (settings >= 0)
        close(settings);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto request = ParseIdleCommandLine(std::vector<std::string>(argv + 1, argv + argc), &error);
    if (!request) {
        std::fprintf(stderr, "inkspin-idle: %s (see inkspin-idle --help)\n", error.c_str());
        return 2;
    }
    if (request->help) {
        std::fputs(IdleUsageText().c_str(), stdout);
        return 0;
    }
    if (request->version) {
        std::printf("inkspin-idle %s\n", INKSPIN_VERSION);
        return 0;
    }
    gVerbose = request->verbose;
    const int status = Watch(*request);
    SignalPipeEndAsAsked();
    return status;
}

#include "hosts/settings-app/IdleAutostart.h"

#include "hosts/common/OnePerSession.h"
#include "hosts/idle/IdleSettings.h"
#include "support/files/ReplaceFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>

std::string IdleAutostartPath()
{
    const std::string config = UserConfigHome();
    return config.empty() ? "" : config + "/autostart/inkspin-idle.desktop";
}

bool IdleAutostartOn()
{
    std::ifstream file(IdleAutostartPath());
    if (!file)
        return false;
    const std::string text(std::istreambuf_iterator<char>(file), {});
    return text.find("\nHidden=true") == std::string::npos;
}

namespace {

// The program as an Exec key's one argument: quoted, with the characters the desktop entry format reserves inside
// quotes escaped by a backslash, itself escaped once more as every backslash in a value is.
std::string ExecArgument(const std::string& program)
{
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += "\\\\";
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

bool SetIdleAutostart(bool on, const std::string& program, std::string* why)
{
    const std::string path = IdleAutostartPath();
    if (path.empty()) {
        *why = "neither XDG_CONFIG_HOME nor HOME is set to a folder";
        return false;
    }
    if (!on) {
        if (unlink(path.c_str()) != 0 && errno != ENOENT) {
            *why = path + ": " + std::strerror(errno);
            return false;
        }
        if (const int running = OnePerSessionHolder("inkspin-idle"); running > 0)
            kill(running, SIGTERM);
        return true;
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Inkspin idle watcher\n"
                              "Comment=Starts the Inkspin screen saver when the computer is idle\n"
                              "Exec=" + ExecArgument(program) + "\n"
                              "Icon=inkspin\n"
                              "NoDisplay=true\n"
                              "X-GNOME-Autostart-Phase=Applications\n";
    *why = ReplaceFile(folder, "inkspin-idle.desktop", entry, DefaultFileMode());
    return why->empty();
}

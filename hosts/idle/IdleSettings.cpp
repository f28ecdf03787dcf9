#include "hosts/idle/IdleSettings.h"

#include "platform/IniText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <map>

namespace {

// Files of a megabyte and more are not settings anyone wrote: the store refuses them too.
constexpr off_t kLargestFile = 1 << 20;

// The file's text; "" for anything but a regular file under kLargestFile (a FIFO is never waited for).
std::string ReadSmallFile(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return "";
    std::string text;
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size < kLargestFile) {
        text.resize(static_cast<std::size_t>(status.st_size));
        const ssize_t length = read(descriptor, text.data(), text.size());
        text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    }
    close(descriptor);
    return text;
}

int WholeOr(const std::map<std::string, std::string>& values, const char* key, int low, int fallback)
{
    const auto found = values.find(key);
    if (found == values.end())
        return fallback;
    const std::string& text = found->second;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > kIdleMinutesHigh)
        return fallback;
    return value;
}

} // namespace

std::string UserConfigHome()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.config" : "";
}

std::string IdleSettingsFolder()
{
    const std::string config = UserConfigHome();
    return config.empty() ? "" : config + "/inkspin";
}

std::string IdleSettingsPath()
{
    const std::string folder = IdleSettingsFolder();
    return folder.empty() ? "" : folder + "/" + IdleKeys::kDomain + ".conf";
}

IdleSettings ReadIdleSettings()
{
    const auto values = IniTopLevelValues(ReadSmallFile(IdleSettingsPath()));
    IdleSettings settings;
    settings.startMinutes = WholeOr(values, IdleKeys::kStartMinutes, 1, kDefaultStartMinutes);
    settings.lockMinutes = WholeOr(values, IdleKeys::kLockMinutes, 0, kDefaultLockMinutes);
    return settings;
}

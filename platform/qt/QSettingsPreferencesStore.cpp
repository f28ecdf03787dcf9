// The preferences store on QtCore's QSettings, INI format. QSettings brings the atomic replace (it writes a
// temporary file and renames it over the old one) and the cross-process lock (a lock file beside the settings
// file, taken while it rereads, merges and writes), so concurrent saves end as one complete set.
#include "platform/PreferencesStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <system_error>

namespace {

std::string ConfigDirectory()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') // the XDG rules ignore a relative value
        return std::string(xdg) + "/inkspin";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/inkspin";
    return {};
}

// One QSettings per file, made on first use, so that sets wait in memory until the next synchronise, which drops it
// again: the next copy reads the file as it is then, whatever other processes did to it meanwhile (QSettings alone
// would notice a change only by the file's size and modification time).
struct OpenFile {
    std::unique_ptr<QSettings> settings;
    bool pending = false; // a set waits to be written
};

std::map<std::string, OpenFile>& OpenFiles()
{
    static std::map<std::string, OpenFile> files;
    return files;
}

// Only a regular file of a sane size is ever read: opening a FIFO would block for ever, and a huge file would cost
// its size in memory and seconds before the first frame. Missing files and directories are QSettings' business.
constexpr off_t kMaxFileSize = 1 << 20;

bool Unreadable(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)
        && (!S_ISREG(status.st_mode) || status.st_size > kMaxFileSize);
}

// The file's QSettings, for reading (null when it has no location or must not be read) or for writing (a file
// that must not be read is removed first: the save replaces it, as the atomic rename would).
OpenFile* Open(const char* domain, bool forWriting)
{
    const std::string path = PreferencesFilePath(domain);
    if (path.empty())
        return nullptr;
    if (OpenFiles().count(path) == 0 && Unreadable(path)) {
        if (!forWriting)
            return nullptr;
        unlink(path.c_str());
    }
    OpenFile& file = OpenFiles()[path];
    if (!file.settings)
        file.settings = std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
    return &file;
}

// Overrides by domain and key.
std::map<std::pair<std::string, std::string>, std::string>& Overrides()
{
    static std::map<std::pair<std::string, std::string>, std::string> overrides;
    return overrides;
}

std::optional<std::string> CopyText(const char* key, const char* domain)
{
    const auto overridden = Overrides().find({domain, key});
    if (overridden != Overrides().end())
        return QString::fromStdString(overridden->second).trimmed().toStdString();
    OpenFile* file = Open(domain, false);
    if (file == nullptr)
        return std::nullopt;
    const QVariant value = file->settings->value(QString::fromUtf8(key));
    // Values that QSettings parsed as lists (text with commas) are not numbers of any kind.
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString().trimmed().toStdString();
}

template <typename T>
std::optional<T> ParseWhole(const std::string& text)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty())
        return std::nullopt;
    return value;
}

template <typename T>
QString Format(T value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, error == std::errc() ? static_cast<int>(end - buffer) : 0);
}

void SetText(const char* key, const QString& text, const char* domain)
{
    OpenFile* file = Open(domain, true);
    if (file == nullptr)
        return;
    // The directory is made only when there is something to write: reading never creates anything.
    QDir().mkpath(QFileInfo(file->settings->fileName()).absolutePath());
    file->settings->setValue(QString::fromUtf8(key), text);
    file->pending = true;
}

} // namespace

std::string PreferencesFilePath(const char* domain)
{
    const std::string directory = ConfigDirectory();
    return directory.empty() ? std::string() : directory + "/" + domain + ".conf";
}

void PreferencesSetOverride(const char* key, const std::string& text, const char* domain)
{
    Overrides()[{domain, key}] = text;
}

std::optional<bool> PreferencesCopyBool(const char* key, const char* domain)
{
    const std::optional<std::string> text = CopyText(key, domain);
    if (!text)
        return std::nullopt;
    const QString word = QString::fromStdString(*text).toLower();
    if (word == QLatin1String("true"))
        return true;
    if (word == QLatin1String("false"))
        return false;
    return std::nullopt;
}

std::optional<float> PreferencesCopyFloat(const char* key, const char* domain)
{
    const std::optional<std::string> text = CopyText(key, domain);
    if (!text)
        return std::nullopt;
    // from_chars reads a leading '+' as junk; QSettings never writes one, but a hand-edited file might.
    const std::string& t = *text;
    const std::optional<float> value = ParseWhole<float>(!t.empty() && t[0] == '+' ? t.substr(1) : t);
    // "nan" and "inf" parse, but no setting means anything by them: NaN intensities paint faces black and an
    // infinite width covers the screen in ink.
    return value && std::isfinite(*value) ? value : std::nullopt;
}

std::optional<std::int32_t> PreferencesCopyInt(const char* key, const char* domain)
{
    const std::optional<std::string> text = CopyText(key, domain);
    if (!text)
        return std::nullopt;
    const std::string& t = *text;
    return ParseWhole<std::int32_t>(!t.empty() && t[0] == '+' ? t.substr(1) : t);
}

void PreferencesSetBool(const char* key, bool value, const char* domain)
{
    SetText(key, value ? QStringLiteral("true") : QStringLiteral("false"), domain);
}

void PreferencesSetFloat(const char* key, float value, const char* domain) { SetText(key, Format(value), domain); }

void PreferencesSetInt(const char* key, std::int32_t value, const char* domain) { SetText(key, Format(value), domain); }

bool PreferencesAppSynchronize(const char* domain)
{
    const std::string path = PreferencesFilePath(domain);
    if (path.empty())
        return false;
    const auto found = OpenFiles().find(path);
    if (found == OpenFiles().end())
        return true; // nothing read, nothing to write: the next copy opens the file afresh anyway
    bool written = true;
    if (found->second.pending) {
        found->second.settings->sync();
        written = found->second.settings->status() == QSettings::NoError;
    }
    OpenFiles().erase(found);
    return written;
}

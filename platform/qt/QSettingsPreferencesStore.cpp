// The preferences store on QtCore's QSettings, INI format. QSettings brings the atomic replace (it writes a
// temporary file and renames it over the old one) and the cross-process lock (a lock file beside the settings
// file, taken while it rereads, merges and writes), so concurrent saves end as one complete set.
#include "platform/PreferencesStore.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
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
    std::unique_ptr<QSettings> settings; // null when the file must not be read (see Unreadable)
    // Sets waiting for the next synchronise, by key. QSettings gets them only once the save may go ahead: it writes
    // whatever it holds when it is destroyed, so it must never hold what a refused save leaves unwritten.
    std::map<std::string, QString> sets;
    std::string refusal; // why a save must not touch the file, when it must not
};

std::map<std::string, OpenFile>& OpenFiles()
{
    static std::map<std::string, OpenFile> files;
    return files;
}

// Only a regular file of a sane size is ever read: opening a FIFO would block for ever, and a huge file would cost
// its size in memory and seconds before the first frame. A missing file is QSettings' business.
constexpr off_t kMaxFileSize = 1 << 20;
// What a save can add to a file at most: the eighteen keys with values of a float's longest text, and then some.
constexpr off_t kMaxGrowth = 4096;

// Why the file must not be read (and so must not be replaced by a save, which would lose what it holds), or "".
std::string Unreadable(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return {};
    // A directory too: QSettings would read it as empty, but its save would fail only after QSettings had cached
    // the unwritten values for that path, where a later load of this process would find them.
    if (!S_ISREG(status.st_mode))
        return path + " is not a regular file";
    if (status.st_size > kMaxFileSize)
        return path + " is over 1 MiB and was not read";
    if (access(path.c_str(), R_OK) != 0)
        return path + " cannot be read: " + std::strerror(errno);
    return {};
}

// The file's entry: its QSettings when it may be read, made on first use.
OpenFile* Open(const char* domain)
{
    const std::string path = PreferencesFilePath(domain);
    if (path.empty())
        return nullptr;
    OpenFile& file = OpenFiles()[path];
    if (!file.settings && file.refusal.empty()) {
        file.refusal = Unreadable(path);
        if (file.refusal.empty())
            file.settings = std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat);
    }
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
    OpenFile* file = Open(domain);
    if (file == nullptr)
        return std::nullopt;
    const auto set = file->sets.find(key);
    if (set != file->sets.end())
        return set->second.trimmed().toStdString();
    if (!file->settings)
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
    OpenFile* file = Open(domain);
    if (file != nullptr)
        file->sets[key] = text;
}

// Why a save of `path` cannot go ahead now, or "". QSettings takes its lock file (PATH.lock) and waits for it as
// long as it takes: for ever on a lock path that is a FIFO or a directory, half a minute on a lock it cannot read or
// that another host holds, as long as a busy writer needs. So the lock is tried here first, for a second at most;
// a lock left by a dead process of this host is broken at once, as QSettings would.
std::string LockProblem(const std::string& path)
{
    const std::string lockPath = path + ".lock";
    struct stat status {};
    if (lstat(lockPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return lockPath + " is in the way of the lock file (not a regular file)";
    QLockFile lock(QString::fromStdString(lockPath));
    if (lock.tryLock(1000)) {
        lock.unlock(); // QSettings takes it again at once
        return {};
    }
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return "another program holds " + lockPath;
    case QLockFile::PermissionError:
        return "cannot make the lock file " + lockPath + ": permission denied";
    default:
        return "cannot take the lock file " + lockPath;
    }
}

// Why the file's folder cannot take a new file, or "".
std::string FolderProblem(const std::string& path)
{
    const std::string directory = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString();
    struct stat status {};
    if (stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return "cannot make the folder " + directory;
    if (access(directory.c_str(), W_OK) != 0)
        return "cannot write in " + directory + ": " + std::strerror(errno);
    return {};
}

// Why writing the file failed, as far as the file system tells.
std::string WriteProblem(const std::string& path)
{
    if (std::string problem = FolderProblem(path); !problem.empty())
        return problem;
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0)
        return "cannot write " + path + ": " + std::strerror(errno);
    return "cannot write " + path;
}

// Writes the pending sets; why not, or "". A file the load did not read, or that a save could push past what the
// next load reads, is left alone: replacing it would lose what the user has in it.
std::string Save(const std::string& path, OpenFile& file)
{
    if (!file.refusal.empty())
        return file.refusal + "; it is left as it is";
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > kMaxFileSize - kMaxGrowth)
        return path + " is too close to 1 MiB: saved, it might be too large to be read again";
    // The directory is made only when there is something to write: reading never creates anything.
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    if (std::string problem = FolderProblem(path); !problem.empty())
        return problem;
    if (std::string problem = LockProblem(path); !problem.empty())
        return problem;
    for (const auto& [key, text] : file.sets)
        file.settings->setValue(QString::fromStdString(key), text);
    file.settings->sync(); // QSettings writes a temporary file and renames it: at no moment is there no file
    // FormatError is about what was read (junk, kept as far as it made sense); only AccessError is about the write.
    return file.settings->status() != QSettings::AccessError ? std::string() : WriteProblem(path);
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

bool PreferencesAppSynchronize(const char* domain, std::string* reason)
{
    std::string problem;
    const std::string path = PreferencesFilePath(domain);
    const auto found = path.empty() ? OpenFiles().end() : OpenFiles().find(path);
    if (path.empty())
        problem = "neither XDG_CONFIG_HOME nor HOME is set: there is no place for the settings";
    else if (found != OpenFiles().end() && !found->second.sets.empty())
        problem = Save(path, found->second);
    if (found != OpenFiles().end())
        OpenFiles().erase(found);
    if (reason != nullptr)
        *reason = problem;
    return problem.empty();
}

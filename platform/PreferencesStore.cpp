// The preferences store: INI files read and written here, byte for byte (platform/IniText.h), with the lock beside
// the file that QSettings takes (support/files/LockFile.h), so saves of earlier Inkspins and of other QSettings
// programs still exclude ours. No Qt: the store must check every byte it writes and keep nothing once a save is over,
// and the saver, which never saves, must not load a toolkit (docs/RELIABILITY.md tells what QSettings did instead).
#include "platform/PreferencesStore.h"

#include "platform/IniText.h"
#include "support/files/LockFile.h"
#include "support/files/ReplaceFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>

namespace {

std::string ConfigDirectory()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') // the XDG rules ignore a relative value
        return std::string(xdg) + "/inkspin";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') // a relative one would mean a folder below wherever the saver started
        return std::string(home) + "/.config/inkspin";
    return {};
}

// Only a regular file of a sane size is ever read: opening a FIFO would block for ever, and a huge file would cost
// its size in memory and seconds before the first frame. No save writes a larger one.
constexpr off_t kMaxFileSize = 1 << 20;

// A file as read: its text, or why it could not be read ("" when it does not exist, which reads as empty).
struct FileText {
    std::string text;
    std::string problem;
    bool exists = false;
    mode_t mode = 0;
};

std::string ErrorText(int error) { return std::strerror(error); }

// Reads `path` without blocking on a FIFO or a device: opened non-blocking, and read only once fstat shows a regular
// file within the limit. A save also refuses a symbolic link (`followLinks` false): it would either rewrite the file
// the link points to or replace the link itself with a file.
FileText ReadText(const std::string& path, bool followLinks)
{
    FileText file;
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    const int fd = open(path.c_str(), flags);
    if (fd < 0) {
        if (errno == ELOOP && !followLinks)
            file.problem = path + " is a symbolic link";
        else if (errno != ENOENT)
            file.problem = path + " cannot be read: " + ErrorText(errno);
        return file;
    }
    file.exists = true;
    struct stat status {};
    if (fstat(fd, &status) != 0) {
        file.problem = path + " cannot be read: " + ErrorText(errno);
    } else if (!S_ISREG(status.st_mode)) {
        file.problem = path + " is not a regular file";
    } else {
        file.mode = status.st_mode & 07777;
        char buffer[65536];
        while (file.problem.empty()) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                file.problem = path + " cannot be read: " + ErrorText(errno);
            if (got <= 0)
                break;
            file.text.append(buffer, static_cast<std::size_t>(got));
            if (file.text.size() > static_cast<std::size_t>(kMaxFileSize))
                file.problem = path + " is over 1\u00a0MiB and was not read";
        }
    }
    close(fd);
    if (!file.problem.empty())
        file.text.clear();
    return file;
}

// What this process knows of one file between two synchronises: its top-level values as read at the first copy, and
// the sets waiting for the next synchronise. Both go at every synchronise, whether the save worked or not, so the next
// copy reads the file as other processes left it and no unwritten value outlives a failed save.
struct OpenFile {
    std::map<std::string, std::string> values;
    std::map<std::string, std::string> sets;
};

std::map<std::string, OpenFile>& OpenFiles()
{
    static std::map<std::string, OpenFile> files;
    return files;
}

OpenFile* Open(const char* domain)
{
    const std::string path = PreferencesFilePath(domain);
    if (path.empty())
        return nullptr;
    const auto [entry, added] = OpenFiles().try_emplace(path);
    if (added)
        entry->second.values = IniTopLevelValues(ReadText(path, true).text);
    return &entry->second;
}

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::optional<std::string> CopyText(const char* key, const char* domain)
{
    OpenFile* file = Open(domain);
    if (file == nullptr)
        return std::nullopt;
    for (const auto* values : {&file->sets, &file->values})
        if (const auto found = values->find(key); found != values->end())
            return found->second;
    return std::nullopt;
}

template <typename T>
std::optional<T> ParseWhole(const std::string& text)
{
    // from_chars reads a leading '+' as junk; no save writes one, but a hand-edited file might.
    const std::size_t skip = !text.empty() && text[0] == '+' ? 1 : 0;
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + skip, end, value);
    if (error != std::errc() || stop != end || text.size() == skip)
        return std::nullopt;
    return value;
}

template <typename T>
std::string Format(T value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, error == std::errc() ? end : buffer);
}

void SetText(const char* key, std::string text, const char* domain)
{
    if (OpenFile* file = Open(domain))
        file->sets[key] = std::move(text);
}

// "the disk holding DIR is full", when it is (no block or no inode left for this user), or "".
std::string FullDisk(const std::string& directory)
{
    struct statvfs disk {};
    if (statvfs(directory.c_str(), &disk) == 0 && (disk.f_bavail == 0 || disk.f_favail == 0))
        return "the disk holding " + directory + " is full";
    return {};
}

// The owner a lock file names, as QLockFile writes it: a process id, the program's name and the host, a line each
// (and two more lines, the machine's and the boot's ids, not read here).
// Nothing when it names none (empty, garbage, or a file that cannot be read).
struct LockOwner {
    long pid = 0;
    std::string host;
};

std::optional<LockOwner> ReadLockOwner(const std::string& lockPath)
{
    const FileText file = ReadText(lockPath, false);
    LockOwner owner;
    const std::string& text = file.text;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), owner.pid);
    const std::size_t name = end - text.data(), host = text.find('\n', name + 1);
    if (!file.problem.empty() || error != std::errc() || owner.pid <= 0 || name >= text.size() || text[name] != '\n'
        || host == std::string::npos)
        return std::nullopt;
    owner.host = text.substr(host + 1, text.find('\n', host + 1) - host - 1);
    return owner;
}

// Whether the lock file is stale: it names no owner and has been so for a second (its owner writes itself at once
// after making it), or names a process of this host that has ended.
bool StaleLock(const std::string& lockPath, const std::optional<LockOwner>& owner)
{
    if (!owner) {
        struct stat status {};
        return lstat(lockPath.c_str(), &status) == 0 && std::labs(time(nullptr) - status.st_mtime) >= 1;
    }
    char host[256] = "";
    gethostname(host, sizeof host - 1);
    return owner->host == host && kill(static_cast<pid_t>(owner->pid), 0) != 0 && errno == ESRCH;
}

// Takes the lock beside `path`, waiting a second at most; why not, or "". Nothing waits on a lock path that is a FIFO
// or a directory, or longer than that second on a lock that names no owner or that another host holds. A stale lock
// is broken at once (and one that names no owner once it is a second old); one that cannot be removed is named with
// the way out.
std::string TakeLock(LockFile& lock, const std::string& path, const std::string& directory)
{
    const std::string lockPath = path + ".lock";
    struct stat status {};
    if (lstat(lockPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return lockPath + " is in the way of the lock file (not a regular file)";
    LockFile::Result result = lock.tryLock(0);
    std::optional<LockOwner> owner;
    for (int attempt = 0; attempt < 2 && result == LockFile::Result::Held; ++attempt) {
        owner = ReadLockOwner(lockPath);
        if (StaleLock(lockPath, owner) && unlink(lockPath.c_str()) != 0 && errno != ENOENT)
            return lockPath + " is left over from a program that has ended and cannot be removed ("
                + ErrorText(errno) + "): remove it by hand";
        result = lock.tryLock(attempt == 0 ? 1000 : 0);
    }
    switch (result) {
    case LockFile::Result::Locked:
        return {};
    case LockFile::Result::Held:
        return "another program holds " + lockPath
            + (owner ? " (process " + std::to_string(owner->pid) + " on " + owner->host + ")" : "");
    case LockFile::Result::Denied:
        return "cannot make the lock file " + lockPath + ": permission denied";
    case LockFile::Result::Failed:
        break;
    }
    if (std::string full = FullDisk(directory); !full.empty())
        return full + ": cannot make the lock file " + lockPath;
    return "cannot take the lock file " + lockPath;
}

// Removes the temporary files of saves that were killed half-way. Called with the lock held, when no other save is
// writing one.
void RemoveLeftovers(const std::string& directory, const std::string& name)
{
    DIR* folder = opendir(directory.c_str());
    if (folder == nullptr)
        return;
    const std::string prefix = TemporaryFilePrefix(name);
    while (const dirent* entry = readdir(folder)) {
        const std::string_view other = entry->d_name;
        if (other.size() == prefix.size() + 6 && other.substr(0, prefix.size()) == prefix)
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

// Writes the pending sets into the file as it is now; why not, or "". The file is read again under the lock, so
// what other programs saved meanwhile is kept; a file that cannot be read is never replaced, and no file is written
// that the next load would not read.
std::string Save(const std::string& path, const std::map<std::string, std::string>& sets)
{
    const std::filesystem::path file(path);
    const std::string directory = file.parent_path().string(), name = file.filename().string();
    // The folder is made only when there is something to write: reading never creates anything.
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    struct stat status {};
    if (stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return "cannot make the folder " + directory;
    if (access(directory.c_str(), W_OK) != 0)
        return "cannot write in " + directory + ": " + ErrorText(errno);
    LockFile lock(path + ".lock");
    if (std::string problem = TakeLock(lock, path, directory); !problem.empty())
        return problem;
    RemoveLeftovers(directory, name);
    const FileText old = ReadText(path, false);
    if (!old.problem.empty())
        return old.problem + "; it is left as it is";
    // A file its owner made read-only is theirs to keep, whoever saves (QSettings refuses it too).
    if (old.exists && ((old.mode & S_IWUSR) == 0 || access(path.c_str(), W_OK) != 0))
        return path + " is read-only; it is left as it is (chmod u+w makes it writable)";
    const std::string text = IniWithTopLevelValues(old.text, sets);
    if (text.size() > static_cast<std::size_t>(kMaxFileSize))
        return "with these settings " + path
            + " would be over 1\u00a0MiB, too large to be read again; it is left as it is";
    return ReplaceFile(directory, name, text, old.exists ? old.mode : DefaultFileMode());
}

} // namespace

std::string PreferencesFilePath(const char* domain)
{
    const std::string directory = ConfigDirectory();
    return directory.empty() ? std::string() : directory + "/" + domain + ".conf";
}

std::string PreferencesReadProblem(const char* domain)
{
    const std::string path = PreferencesFilePath(domain);
    return path.empty() ? std::string() : ReadText(path, true).problem;
}

std::optional<bool> PreferencesParseBool(const std::string& stored)
{
    std::string text = Trimmed(stored);
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    if (text == "true" || text == "1") // QSettings reads a hand-written 1 and 0 so too
        return true;
    if (text == "false" || text == "0")
        return false;
    return std::nullopt;
}

std::optional<float> PreferencesParseFloat(const std::string& text)
{
    const std::optional<float> value = ParseWhole<float>(Trimmed(text));
    // "nan" and "inf" parse, but no setting means anything by them: NaN intensities paint faces black and an
    // infinite width covers the screen in ink.
    return value && std::isfinite(*value) ? value : std::nullopt;
}

std::optional<std::int32_t> PreferencesParseInt(const std::string& text)
{
    return ParseWhole<std::int32_t>(Trimmed(text));
}

std::optional<bool> PreferencesCopyBool(const char* key, const char* domain)
{
    const std::optional<std::string> text = CopyText(key, domain);
    return text ? PreferencesParseBool(*text) : std::nullopt;
}

std::optional<float> PreferencesCopyFloat(const char* key, const char* domain)
{
    const std::optional<std::string> text = CopyText(key, domain);
    return text ? PreferencesParseFloat(*text) : std::nullopt;
}

std::optional<std::int32_t> PreferencesCopyInt(const char* key, const char* domain)
{
    const std::optional<std::string> text = CopyText(key, domain);
    return text ? PreferencesParseInt(*text) : std::nullopt;
}

std::string PreferencesBoolText(bool value) { return value ? "true" : "false"; }

std::string PreferencesFloatText(float value) { return Format(value); }

void PreferencesSetBool(const char* key, bool value, const char* domain)
{
    SetText(key, PreferencesBoolText(value), domain);
}

void PreferencesSetFloat(const char* key, float value, const char* domain)
{
    SetText(key, PreferencesFloatText(value), domain);
}

void PreferencesSetInt(const char* key, std::int32_t value, const char* domain) { SetText(key, Format(value), domain); }

bool PreferencesAppSynchronize(const char* domain, std::string* reason)
{
    std::string problem;
    const std::string path = PreferencesFilePath(domain);
    const auto found = path.empty() ? OpenFiles().end() : OpenFiles().find(path);
    if (path.empty())
        problem = "neither XDG_CONFIG_HOME nor HOME is an absolute path: there is no place for the settings";
    else if (found != OpenFiles().end() && !found->second.sets.empty())
        problem = Save(path, found->second.sets);
    if (found != OpenFiles().end())
        OpenFiles().erase(found);
    if (reason != nullptr)
        *reason = problem;
    return problem.empty();
}

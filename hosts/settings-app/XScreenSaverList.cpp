#include "hosts/settings-app/XScreenSaverList.h"

#include "hosts/settings-app/XScreenSaverFile.h"
#include "support/files/ReplaceFile.h"
#include "support/text/Printable.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

const char* const kHandLine = "  GL: inkspin --root \\n\\";

namespace {

// What XScreenSaver runs it as: its GL hacks are marked so, and `--root` makes a hack draw on the screen it is given.
// The padding lines it up with the entries XScreenSaver writes itself.
constexpr const char* kEntry = "  GL: \t\t\t\tinkspin --root\t\t\t\t    ";

// Past this a file is no ~/.xscreensaver (XScreenSaver's own is about 10 KB).
constexpr std::size_t kMaxFileSize = 1 << 20;

bool RunsInkspin(const XScreenSaverEntry& entry)
{
    const std::size_t slash = entry.command.rfind('/');
    return entry.command.substr(slash == std::string::npos ? 0 : slash + 1) == "inkspin";
}

bool Same(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Where the character `i` of a line's reading ends in the text: after its escape's two characters, or its one.
std::size_t RawEnd(const std::string& text, const XResourceLine& line, std::size_t i)
{
    const std::size_t at = line.offsetOf[i];
    return text[at] == '\\' ? at + 2 : at + 1;
}

// The text ended so that a line added after it stands on its own (not joined to a line that continues).
std::string Closed(std::string text)
{
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    const std::vector<XResourceLine> lines = ReadXResources(text);
    if (!lines.empty() && lines.back().endedByText)
        text += '\n';
    return text;
}

std::string Value(const std::vector<XResourceLine>& lines, const std::string& key, const std::string& otherwise)
{
    const int at = FindXResource(lines, key);
    return at < 0 ? otherwise : lines[static_cast<std::size_t>(at)].value;
}

// `key` set to `value` where the daemon reads it (its last line), or added at the end.
std::string WithResource(const std::string& text, const std::string& key, const std::string& value)
{
    const std::vector<XResourceLine> lines = ReadXResources(text);
    const int at = FindXResource(lines, key);
    const std::string line = key + ":\t\t" + value + "\n";
    if (at < 0)
        return Closed(text) + line;
    const XResourceLine& old = lines[static_cast<std::size_t>(at)];
    if (old.value == value)
        return text;
    return text.substr(0, old.begin) + line + text.substr(old.end);
}

// The value the daemon keeps for every key but those named.
std::map<std::string, std::string> Others(const std::vector<XResourceLine>& lines)
{
    std::map<std::string, std::string> values;
    for (const XResourceLine& line : lines) {
        std::string key = line.key;
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!key.empty() && key != "programs" && key != "mode" && key != "selected")
            values[key] = line.value;
    }
    return values;
}

std::string EntryText(const std::string& value, const XScreenSaverEntry& entry)
{
    return value.substr(entry.at, entry.size);
}

} // namespace

bool WithInkspinListed(const std::string& text, const std::string& systemList, const ListRequest& request,
                       const std::function<bool(const std::string&)>& installed, std::string* result,
                       ListChange* change, std::string* error)
{
    *change = ListChange{};
    const std::string byHand = std::string(": add the line  ") + kHandLine + "  to its programs: list by hand";
    const bool windowsLines = text.find("\r\n") != std::string::npos;
    if (windowsLines) {
        *error = "it has Windows line ends (CR LF), with which XScreenSaver reads no list over several lines; convert "
                 "it (dos2unix ~/.xscreensaver), or" + byHand.substr(1);
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        *error = "it holds a NUL byte, where XScreenSaver stops reading a line" + byHand;
        return false;
    }
    std::string work = text;
    std::vector<XResourceLine> lines = ReadXResources(work);
    int at = FindXResource(lines, "programs");
    if (at < 0) {
        const std::vector<XResourceLine> system = ReadXResources(systemList);
        const int from = FindXResource(system, "*programs");
        if (from < 0) {
            *error = "there is no list of screen savers to add to (is XScreenSaver installed?)";
            return false;
        }
        const XResourceLine& list = system[static_cast<std::size_t>(from)];
        std::string block = systemList.substr(list.begin, list.end - list.begin);
        block.erase(block.find('*'), 1);
        work = Closed(work) + block;
        lines = ReadXResources(work);
        at = FindXResource(lines, "programs");
    }
    const XResourceLine& list = lines[static_cast<std::size_t>(at)];
    const std::string oldValue = list.value;
    const std::vector<XScreenSaverEntry> old = XScreenSaverEntries(oldValue);
    std::size_t number = 0;
    while (number < old.size() && !RunsInkspin(old[number]))
        ++number;
    if (number == old.size()) {
        change->added = true;
        const bool empty = list.value.empty();
        const std::size_t end = RawEnd(work, list, empty ? list.valueAt - 1 : list.valueAt + list.value.size() - 1);
        work.insert(end, std::string(empty ? "\\\n" : "\\n\\\n") + kEntry);
    } else {
        const XScreenSaverEntry& entry = old[number];
        if (!installed(entry.command)) {
            if (request.useInstalled) {
                const std::size_t first = list.offsetOf[list.valueAt + entry.commandAt];
                const std::size_t end = RawEnd(work, list, list.valueAt + entry.commandAt + entry.command.size() - 1);
                work.replace(first, end - first, "inkspin");
                change->repointed = true;
            } else {
                change->elsewhere = entry.command;
            }
        }
        if (!entry.enabled) { // the "-" before the rest, put out of the way by a space
            const std::size_t dash = list.offsetOf[list.valueAt + oldValue.find('-', entry.at)];
            work.replace(dash, work[dash] == '\\' ? 2 : 1, " ");
            change->enabled = true;
        }
    }
    const std::string index = std::to_string(number);
    const std::string mode = Value(ReadXResources(work), "mode", "random");
    if (request.mode == ListMode::Alone) {
        work = WithResource(WithResource(work, "mode", "one"), "selected", index);
    } else if (request.mode == ListMode::AmongOthers && Same(mode, "one")) {
        work = WithResource(work, "mode", "random");
    }

    // Read back as the daemon will: the same savers with Inkspin's as meant, every other setting as it was.
    const std::vector<XResourceLine> after = ReadXResources(work);
    const std::string newValue = Value(after, "programs", "");
    const std::vector<XScreenSaverEntry> now = XScreenSaverEntries(newValue);
    bool right = now.size() == old.size() + (change->added ? 1 : 0) && Others(after) == Others(ReadXResources(text));
    for (std::size_t i = 0; right && i < old.size(); ++i)
        right = i == number || EntryText(oldValue, old[i]) == EntryText(newValue, now[i]);
    if (right) {
        const XScreenSaverEntry& inkspin = now[number];
        right = inkspin.enabled && RunsInkspin(inkspin)
            && (change->added || change->repointed ? inkspin.command == "inkspin"
                                                   : inkspin.command == old[number].command);
    }
    change->mode = Value(after, "mode", "random");
    change->modeChanged = !Same(change->mode, mode);
    if (request.mode == ListMode::Alone)
        right = right && change->mode == "one" && Value(after, "selected", "") == index;
    if (request.mode == ListMode::AmongOthers)
        right = right && !Same(change->mode, "one");
    if (!right) {
        *error = "it is too unusual to change safely" + byHand;
        return false;
    }
    *result = work;
    return true;
}

namespace {

// The file's whole text, or why it cannot be read; through a symbolic link only when asked (Debian's app-defaults
// file is one, to the GL or the non-GL list).
bool ReadWhole(const std::string& path, std::string* text, std::string* error, bool followLinks = false)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || text->size() > kMaxFileSize) {
            *error = got < 0 ? std::strerror(errno) : "larger than 1 MiB: no XScreenSaver file";
            close(fd);
            return false;
        }
        if (got == 0)
            break;
        text->append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return true;
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// The saver installed with this program: beside it (the build tree, /usr/bin), else where the package puts it.
std::string InstalledSaver()
{
    char self[4096];
    const ssize_t size = readlink("/proc/self/exe", self, sizeof self - 1);
    if (size > 0) {
        std::string beside(self, static_cast<std::size_t>(size));
        beside = beside.substr(0, beside.rfind('/') + 1) + "inkspin";
        if (access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return "/usr/libexec/xscreensaver/inkspin";
}

std::string ModeSaid(const ListChange& change, ListMode mode)
{
    if (mode == ListMode::Alone)
        return ", and the only screen saver XScreenSaver shows";
    if (change.modeChanged)
        return "; XScreenSaver now picks one of its screen savers at random (it showed one alone)";
    if (Same(change.mode, "one"))
        return "; XScreenSaver is set to show one screen saver alone (mode: one)";
    if (Same(change.mode, "blank") || Same(change.mode, "off"))
        return "; XScreenSaver is set to "
            + std::string(Same(change.mode, "off") ? "stay off" : "blank the screen only") + " (mode: " + change.mode + ")";
    return "";
}

} // namespace

bool UseInXScreenSaver(const ListRequest& request, std::string* message, ListChange* change)
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        *message = "HOME is not set: there is no ~/.xscreensaver to add Inkspin to";
        return false;
    }
    if (*home != '/') {
        *message = "HOME (\"" + inkspin::Printable(home) + "\") is not an absolute path: there is no ~/.xscreensaver "
                   "to add Inkspin to";
        return false;
    }
    const std::string name = ".xscreensaver", path = std::string(home) + "/" + name;
    const std::string shown = inkspin::Printable(path);
    struct stat status {};
    const bool exists = lstat(path.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) {
        *message = shown + " cannot be read (" + std::strerror(errno) + "); it is left as it is";
        return false;
    }
    if (exists && !S_ISREG(status.st_mode)) {
        *message = shown + " is not a regular file (a link?); add the line  " + kHandLine
            + "  to its programs: list yourself";
        return false;
    }
    std::string old, problem;
    if (exists && !ReadWhole(path, &old, &problem)) {
        *message = shown + " cannot be read (" + problem + "); it is left as it is";
        return false;
    }
    std::string system, unused;
    ReadWhole("/etc/X11/app-defaults/XScreenSaver", &system, &unused, true);
    const std::string saver = InstalledSaver();
    const auto installed = [&](const std::string& command) {
        return command.find('/') == std::string::npos || SameFile(command, saver);
    };
    std::string text;
    if (!WithInkspinListed(old, system, request, installed, &text, change, &problem)) {
        *message = shown + " is left as it is: " + problem;
        return false;
    }
    if (text != old) {
        if (problem = ReplaceFile(home, name, text, exists ? status.st_mode & 07777 : DefaultFileMode());
            !problem.empty()) {
            *message = problem;
            return false;
        }
    }
    *message = change->added ? "Inkspin was added to XScreenSaver's list"
        : change->enabled    ? "Inkspin was in XScreenSaver's list but turned off; it is turned on now"
        : change->repointed  ? "XScreenSaver's list now runs the installed Inkspin (" + inkspin::Printable(saver) + ")"
                             : "Inkspin is in XScreenSaver's list already";
    if (!change->elsewhere.empty())
        *message += ", running " + inkspin::Printable(change->elsewhere) + ", not the installed "
            + inkspin::Printable(saver);
    *message += ModeSaid(*change, request.mode) + " (" + shown + "); XScreenSaver reads it again at its next blank";
    return true;
}

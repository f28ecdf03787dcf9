#include "hosts/settings-app/XScreenSaverList.h"

#include "support/files/ReplaceFile.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

// What XScreenSaver runs it as: its GL hacks are marked so, and `--root` makes a hack draw on the screen it is given.
constexpr const char* kEntryLine = "  GL: \t\t\t\tinkspin --root\t\t\t\t    \\n";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Continues(const std::string& line) { return !line.empty() && line.back() == '\\'; }

bool StartsResource(const std::string& line, const std::string& name)
{
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line.compare(first, name.size() + 1, name + ":") == 0;
}

// The lines [first, last] of the resource `name`'s value (a backslash at a line's end continues it); false if none.
bool FindResource(const std::vector<std::string>& lines, const std::string& name, std::size_t* first,
                  std::size_t* last)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (StartsResource(lines[i], name)) {
            *first = *last = i;
            while (Continues(lines[*last]) && *last + 1 < lines.size())
                ++*last;
            return true;
        }
    }
    return false;
}

// The entries of a `programs:` value, as XScreenSaver splits it: at each "\n", blank ones skipped.
std::vector<std::string> Entries(const std::vector<std::string>& lines, std::size_t first, std::size_t last)
{
    std::string value;
    for (std::size_t i = first; i <= last; ++i) {
        std::string line = i == first ? lines[i].substr(lines[i].find(':') + 1) : lines[i];
        if (Continues(line))
            line.pop_back();
        value += line;
    }
    std::vector<std::string> entries;
    for (std::size_t start = 0; start <= value.size();) {
        std::size_t end = value.find("\\n", start);
        if (end == std::string::npos)
            end = value.size();
        const std::string entry = value.substr(start, end - start);
        if (entry.find_first_not_of(" \t") != std::string::npos)
            entries.push_back(entry);
        start = end + 2;
    }
    return entries;
}

// Whether an entry runs inkspin: "[-] [visual:] ["name"] command args", the command's name being inkspin.
bool RunsInkspin(const std::string& entry)
{
    std::istringstream words(entry);
    std::string word;
    while (words >> word) {
        if (word == "-" || word.back() == ':')
            continue;
        if (word.front() == '"') { // a pretty name, up to its closing quote
            while (word.size() < 2 || word.back() != '"') {
                if (!(words >> word))
                    return false;
            }
            continue;
        }
        if (word.front() == '-' && word.size() > 1 && word[1] != '-' && word.find(':') != std::string::npos)
            word = word.substr(1); // "-GL:" written together
        const std::size_t slash = word.rfind('/');
        return word.substr(slash == std::string::npos ? 0 : slash + 1) == "inkspin";
    }
    return false;
}

void SetResource(std::vector<std::string>& lines, const std::string& name, const std::string& value)
{
    std::size_t first = 0, last = 0;
    const std::string line = name + ":\t\t" + value;
    if (!FindResource(lines, name, &first, &last)) {
        lines.push_back(line);
        return;
    }
    lines.erase(lines.begin() + static_cast<long>(first) + 1, lines.begin() + static_cast<long>(last) + 1);
    lines[first] = line;
}

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

bool WithInkspinListed(const std::string& text, const std::string& systemList, bool select, std::string* result,
                       int* number, std::string* error)
{
    std::vector<std::string> lines = Lines(text);
    std::size_t first = 0, last = 0;
    if (!FindResource(lines, "programs", &first, &last)) {
        const std::vector<std::string> system = Lines(systemList);
        std::size_t from = 0, to = 0;
        if (!FindResource(system, "*programs", &from, &to)) {
            *error = "there is no list of screen savers to add to (is XScreenSaver installed?)";
            return false;
        }
        first = lines.size();
        for (std::size_t i = from; i <= to; ++i)
            lines.push_back(i == from ? system[i].substr(system[i].find('*') + 1) : system[i]);
        last = lines.size() - 1;
    }
    const std::vector<std::string> entries = Entries(lines, first, last);
    *number = -1;
    for (std::size_t i = 0; i < entries.size() && *number < 0; ++i)
        if (RunsInkspin(entries[i]))
            *number = static_cast<int>(i);
    if (*number < 0) {
        *number = static_cast<int>(entries.size());
        std::string& end = lines[last];
        if (end.find_first_not_of(" \t") == std::string::npos && last > first) {
            lines.insert(lines.begin() + static_cast<long>(last), std::string(kEntryLine) + "\\");
        } else {
            while (!end.empty() && (end.back() == ' ' || end.back() == '\t'))
                end.pop_back();
            if (end.size() < 2 || end.compare(end.size() - 2, 2, "\\n") != 0)
                end += "\\n";
            end += "\\";
            lines.insert(lines.begin() + static_cast<long>(last) + 1, kEntryLine);
        }
    }
    if (select) {
        SetResource(lines, "mode", "one");
        SetResource(lines, "selected", std::to_string(*number));
    }
    result->clear();
    for (const std::string& line : lines)
        *result += line + "\n";
    return true;
}

bool UseInXScreenSaver(bool select, std::string* message)
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') {
        *message = "HOME is not set: there is no ~/.xscreensaver to add Inkspin to";
        return false;
    }
    const std::string name = ".xscreensaver", path = std::string(home) + "/" + name;
    struct stat status {};
    const bool exists = lstat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        *message = path + " is not a regular file (a link?): add the line  GL: inkspin --root \\n\\  to its programs "
                          "yourself";
        return false;
    }
    std::string text;
    int number = 0;
    const std::string old = exists ? ReadWhole(path) : std::string();
    if (!WithInkspinListed(old, ReadWhole("/etc/X11/app-defaults/XScreenSaver"), select, &text, &number, message))
        return false;
    if (text != old) {
        if (std::string problem = ReplaceFile(home, name, text, exists ? status.st_mode & 07777 : DefaultFileMode());
            !problem.empty()) {
            *message = problem;
            return false;
        }
    }
    *message = "Inkspin is number " + std::to_string(number) + " in XScreenSaver's list (" + path + ")"
        + (select ? ", and the only screen saver XScreenSaver shows" : "")
        + "; XScreenSaver reads it again at its next blank";
    return true;
}

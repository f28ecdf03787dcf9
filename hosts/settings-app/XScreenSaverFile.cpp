#include "hosts/settings-app/XScreenSaverFile.h"

#include <cctype>
#include <strings.h>

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool Space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// One line as the daemon's reader takes it: physical lines joined while the last two characters are a backslash and
// a line end (any two characters whose first is a backslash, in fact, at the text's end), then its escapes.
XResourceLine ReadLine(const std::string& text, std::size_t* pos)
{
    XResourceLine line;
    line.begin = *pos;
    std::string joined;
    std::vector<std::size_t> offsets;
    const auto readPhysical = [&] {
        const std::size_t newline = text.find('\n', *pos);
        const std::size_t stop = newline == std::string::npos ? text.size() : newline + 1;
        for (std::size_t i = *pos; i < stop; ++i) {
            joined += text[i];
            offsets.push_back(i);
        }
        *pos = stop;
    };
    readPhysical();
    while (joined.size() > 2 && (joined.back() != '\n' || joined[joined.size() - 2] == '\\')) {
        const bool continued = joined[joined.size() - 2] == '\\';
        if (continued) {
            joined.resize(joined.size() - 2);
            offsets.resize(offsets.size() - 2);
        }
        if (*pos >= text.size()) {
            line.endedByText = continued;
            break;
        }
        readPhysical();
    }
    line.end = *pos;
    for (std::size_t i = 0; i < joined.size(); ++i) {
        char c = joined[i];
        if (c == '\\') {
            if (i + 1 == joined.size())
                break; // a backslash at the very end ends the line
            c = joined[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
            line.read += c;
            line.offsetOf.push_back(offsets[i - 1]);
            continue;
        }
        line.read += c;
        line.offsetOf.push_back(offsets[i]);
    }
    std::size_t first = 0, last = line.read.size();
    while (first < last && Blank(line.read[first]))
        ++first;
    while (last > first && Blank(line.read[last - 1]))
        --last;
    if (first == last || line.read[first] == '#' || line.read[first] == '!' || line.read[first] == ';')
        return line;
    const std::size_t colon = line.read.find(':', first);
    if (colon == std::string::npos || colon >= last)
        return line;
    line.key = line.read.substr(first, colon - first);
    line.valueAt = colon + 1;
    while (line.valueAt < last && Blank(line.read[line.valueAt]))
        ++line.valueAt;
    line.value = line.read.substr(line.valueAt, last - line.valueAt);
    return line;
}

} // namespace

std::vector<XResourceLine> ReadXResources(const std::string& text)
{
    std::vector<XResourceLine> lines;
    for (std::size_t pos = 0; pos < text.size();)
        lines.push_back(ReadLine(text, &pos));
    return lines;
}

int FindXResource(const std::vector<XResourceLine>& lines, const std::string& key)
{
    for (std::size_t i = lines.size(); i-- > 0;)
        if (!lines[i].key.empty() && strcasecmp(lines[i].key.c_str(), key.c_str()) == 0)
            return static_cast<int>(i);
    return -1;
}

std::vector<XScreenSaverEntry> XScreenSaverEntries(const std::string& value)
{
    std::vector<XScreenSaverEntry> entries;
    for (std::size_t start = 0; start < value.size();) {
        while (start < value.size() && (value[start] == ' ' || value[start] == '\t' || value[start] == '\n'))
            ++start;
        if (start == value.size())
            break;
        std::size_t end = value.find('\n', start);
        if (end == std::string::npos)
            end = value.size();
        XScreenSaverEntry entry;
        entry.at = start;
        entry.size = end - start;
        std::size_t i = start;
        const auto skipSpace = [&] {
            while (i < end && Space(value[i]))
                ++i;
        };
        if (value[i] == '-') {
            entry.enabled = false;
            ++i;
            skipSpace();
        }
        const std::size_t visual = i;
        while (i < end && value[i] != ':' && value[i] != '"' && !Space(value[i]))
            ++i;
        if (i < end && value[i] == ':') {
            ++i;
            skipSpace();
        } else {
            i = visual;
        }
        if (i < end && value[i] == '"') {
            i = value.find('"', i + 1);
            i = i == std::string::npos || i >= end ? end : i + 1;
            skipSpace();
        }
        entry.commandAt = i;
        while (i < end && !Space(value[i]))
            ++i;
        entry.command = value.substr(entry.commandAt, i - entry.commandAt);
        entries.push_back(entry);
        start = end + 1;
    }
    return entries;
}

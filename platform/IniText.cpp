// Reading and editing INI text the way QSettings' IniFormat reads it (qsettings.cpp: readIniLine, readIniFile,
// iniUnescapedKey, iniUnescapedStringList, stringToVariant), so that a file written by QSettings, by an earlier
// Inkspin or by hand means the same here as there.
#include "platform/IniText.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// One logical line: where it starts (after leading blanks) and ends (before its line break or comment), and where
// its first unquoted '=' is, if any.
struct Line {
    std::size_t start = 0, end = 0;
    std::optional<std::size_t> equals;
};

// Every logical line of `text` in order, as QSettings' readIniLine cuts them. Comment lines and blank lines are
// skipped; a comment after a line is not part of it.
std::vector<Line> LogicalLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t pos = text.substr(0, 3) == "\xef\xbb\xbf" ? 3 : 0;
    const std::size_t size = text.size();
    while (true) {
        Line line;
        line.start = pos;
        while (line.start < size && IsBlank(text[line.start]))
            ++line.start;
        std::size_t i = line.start;
        bool quoted = false;
        while (i < size) {
            const char c = text[i++];
            if (c == '=') {
                if (!quoted && !line.equals)
                    line.equals = i - 1;
            } else if (c == '\n' || c == '\r') {
                if (i == line.start + 1) {
                    ++line.start;
                } else if (!quoted) {
                    --i;
                    break;
                }
            } else if (c == '\\') {
                if (i < size) {
                    const char escaped = text[i++];
                    if (i < size) {
                        const char next = text[i];
                        if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                            ++i;
                    }
                }
            } else if (c == '"') {
                quoted = !quoted;
            } else if (c == ';') {
                if (i == line.start + 1) { // a comment line: skip it and the blanks after it
                    while (i < size && text[i] != '\n' && text[i] != '\r')
                        ++i;
                    while (i < size && IsBlank(text[i]))
                        ++i;
                    line.start = i;
                } else if (!quoted) {
                    --i;
                    break;
                }
            }
        }
        pos = i;
        line.end = i;
        if (line.end <= line.start)
            return lines;
        lines.push_back(line);
    }
}

// Section names and keys lose every kind of white space at both ends, \v and \f too (QByteArray::trimmed).
bool IsSpace(char c) { return IsBlank(c) || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

// Whether a section header names the top level: [General] in any case, as QSettings reads it ([%General] is a group
// of that name).
bool IsTopLevelSection(std::string_view line)
{
    std::string_view name = line.substr(1);
    if (const std::size_t close = name.find(']'); close != std::string_view::npos)
        name = name.substr(0, close);
    return EqualsNoCase(Trim(name), "general");
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

// A character code decoded from an escape: ASCII as itself; anything else as a byte that no plain word or number
// holds, since only those are ever looked up.
void AppendCode(std::string& out, unsigned code) { out += code < 0x80 ? static_cast<char>(code) : '\x80'; }

// The digits of a key escape as QByteArray::toUShort(&ok, 16) reads them: white space, a '+' and a "0x" may lead.
std::optional<unsigned> HexShort(std::string_view digits)
{
    while (!digits.empty() && IsSpace(digits[0]))
        digits.remove_prefix(1);
    if (!digits.empty() && digits[0] == '+')
        digits.remove_prefix(1);
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x')
        digits.remove_prefix(2);
    unsigned code = 0;
    for (const char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        code = code * 16 + static_cast<unsigned>(digit);
    }
    return digits.empty() ? std::nullopt : std::optional<unsigned>(code);
}

std::string UnescapedKey(std::string_view key)
{
    std::string out;
    for (std::size_t i = 0; i < key.size();) {
        const char c = key[i];
        if (c == '\\') {
            out += '/';
            ++i;
            continue;
        }
        const std::size_t digits = i + 1 < key.size() && key[i + 1] == 'U' ? 4 : 2;
        const std::size_t first = i + 1 + (digits == 4 ? 1 : 0);
        const std::optional<unsigned> code =
            c == '%' && first + digits <= key.size() ? HexShort(key.substr(first, digits)) : std::nullopt;
        if (!code) {
            out += c;
            ++i;
            continue;
        }
        AppendCode(out, *code);
        i = first + digits;
    }
    return out;
}

// The value of a key line as one plain string, or nothing when QSettings would read a list or a typed value.
std::optional<std::string> PlainValue(std::string_view raw)
{
    static constexpr char kEscapes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'},
                                           {'t', '\t'}, {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''},
                                           {'\\', '\\'}};
    std::string out;
    std::size_t i = 0, keep = 0; // unquoted blanks after `keep` are chopped at the end
    bool inQuotes = false, quoted = false;
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
        ++i;
    while (i < raw.size()) {
        const char c = raw[i++];
        if (c == '\\') {
            if (i >= raw.size())
                break;
            const char e = raw[i++];
            bool simple = false;
            for (const auto& escape : kEscapes)
                if (e == escape[0]) {
                    out += escape[1];
                    simple = true;
                }
            if (simple) {
                keep = out.size();
                continue;
            }
            if (e == 'x' || (e >= '0' && e <= '7')) {
                const int base = e == 'x' ? 16 : 8;
                unsigned code = e == 'x' ? 0 : static_cast<unsigned>(e - '0');
                const std::size_t from = i;
                for (int digit; i < raw.size() && (digit = HexDigit(raw[i])) >= 0 && digit < base; ++i)
                    code = (code * static_cast<unsigned>(base) + static_cast<unsigned>(digit)) & 0xffff;
                if (e != 'x' || i > from) // "\\x" without a digit stands for nothing
                    AppendCode(out, code);
            } else if ((e == '\n' || e == '\r') && i < raw.size() && (raw[i] == '\n' || raw[i] == '\r')
                       && raw[i] != e) {
                ++i; // a continued line
            }
            keep = out.size();
        } else if (c == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'))
                    ++i;
            keep = out.size();
        } else if (c == ',' && !inQuotes) {
            return std::nullopt; // a list
        } else {
            out += c;
            if (inQuotes || (c != ' ' && c != '\t'))
                keep = out.size();
        }
    }
    if (!quoted)
        out.resize(keep);
    if (out.empty() || out[0] != '@')
        return out;
    // A typed value: @String(…) and @ByteArray(…) hold text, @@ stands for one @; other types are no text, and an
    // @ that starts none of these is itself.
    const std::string_view typed = out;
    if (typed.back() == ')') {
        for (const std::string_view text : {"@String(", "@ByteArray("})
            if (typed.substr(0, text.size()) == text)
                return std::string(typed.substr(text.size(), typed.size() - text.size() - 1));
        for (const std::string_view type : {"@Variant(", "@DateTime(", "@Rect(", "@Size(", "@Point(", "@Invalid()"})
            if (typed.substr(0, type.size()) == type)
                return std::nullopt;
    }
    return typed.substr(0, 2) == "@@" ? out.substr(1) : out;
}

// A key line of the top level: its unescaped key and where it stands.
struct TopLevelKey {
    std::string key;
    Line line;
};

// The top-level key lines of `text`, and the end of the last top-level line (a key line or a [General] header).
std::vector<TopLevelKey> TopLevelKeys(std::string_view text, std::optional<std::size_t>* lastEnd = nullptr)
{
    std::vector<TopLevelKey> keys;
    bool topLevel = true; // before any section
    for (const Line& line : LogicalLines(text)) {
        const std::string_view content = text.substr(line.start, line.end - line.start);
        if (content.front() == '[') {
            topLevel = IsTopLevelSection(content);
            if (topLevel && lastEnd != nullptr)
                *lastEnd = line.end;
            continue;
        }
        if (!topLevel || !line.equals)
            continue;
        keys.push_back({UnescapedKey(Trim(text.substr(line.start, *line.equals - line.start))), line});
        if (lastEnd != nullptr)
            *lastEnd = line.end;
    }
    return keys;
}

} // namespace

std::map<std::string, std::string> IniTopLevelValues(std::string_view text)
{
    std::map<std::string, std::string> values;
    for (const TopLevelKey& entry : TopLevelKeys(text)) {
        const std::size_t valueStart = *entry.line.equals + 1;
        std::optional<std::string> value = PlainValue(text.substr(valueStart, entry.line.end - valueStart));
        if (value)
            values[entry.key] = std::move(*value);
        else
            values.erase(entry.key); // the later line wins, and it is no plain value
    }
    return values;
}

std::string IniWithTopLevelValues(std::string_view text, const std::map<std::string, std::string>& values)
{
    std::optional<std::size_t> lastEnd;
    const std::vector<TopLevelKey> keys = TopLevelKeys(text, &lastEnd);
    std::string out;
    out.reserve(text.size() + 64 * values.size());
    std::map<std::string, std::string> missing = values;
    std::size_t copied = 0;
    for (const TopLevelKey& entry : keys) {
        const auto value = values.find(entry.key);
        if (value == values.end())
            continue;
        // Every line of the key gets the value (the last is the one read), so nothing of an earlier one is lost.
        out.append(text.substr(copied, entry.line.start - copied));
        out.append(value->first).append("=").append(value->second);
        copied = entry.line.end;
        while (copied > *entry.line.equals && (text[copied - 1] == ' ' || text[copied - 1] == '\t'))
            --copied; // the blanks before a comment stay with it
        missing.erase(value->first);
    }
    std::string added;
    for (const auto& [key, value] : missing)
        added.append(key).append("=").append(value).append("\n");
    if (added.empty())
        return out.append(text.substr(copied));
    if (lastEnd) {
        // After the line break that ends the last top-level line (a comment after it stays on its line).
        std::size_t at = *lastEnd;
        while (at < text.size() && text[at] != '\n' && text[at] != '\r')
            ++at;
        if (at < text.size())
            at += text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
        std::string after = out + std::string(text.substr(copied, at - copied));
        if (!after.empty() && after.back() != '\n' && after.back() != '\r')
            after += '\n';
        after.append(added).append(text.substr(at));
        // A text that ends inside quotes or after a backslash would take the added lines into its last value.
        std::map<std::string, std::string> expected = IniTopLevelValues(text);
        for (const auto& [key, value] : values)
            expected[key] = value;
        if (IniTopLevelValues(after) == expected)
            return after;
    }
    // A [General] section at the start, before whatever the text holds: the parser starts afresh after it.
    const std::string edited = out.append(text.substr(copied));
    const std::size_t bom = edited.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
    std::string result = edited.substr(0, bom) + "[General]\n" + added;
    if (edited.size() > bom)
        result.append("\n");
    return result.append(edited.substr(bom));
}

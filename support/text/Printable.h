// Text from outside (arguments, environment variables, file names) made safe to echo in a one-line message:
// control characters and backslashes escaped (\n, \x1b, \\), so that a message stays one line and a terminal shows
// exactly what was given; past `limit` bytes it is cut, and says how long it was (a 131 KB value is no message).
#pragma once

#include <cstdio>
#include <string>

namespace inkspin {

inline std::string Printable(const std::string& text, std::size_t limit = 200)
{
    std::string out;
    for (const unsigned char c : text.substr(0, limit)) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (text.size() > limit)
        out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}

} // namespace inkspin

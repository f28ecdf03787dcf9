// The two columns of a program's --help (inkspin's, inkspin-idle's): each option's name and value two spaces in, its
// words from column 26 (on a line of their own below a name that reaches it), broken at spaces to stay within 110
// columns. A word longer than the column stands whole on its line, past the edge: text is never cut or lost.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace inkspin {

inline constexpr std::size_t kHelpColumn = 26, kHelpWidth = 110;

inline std::string HelpColumns(const std::vector<std::pair<std::string, std::string>>& rows)
{
    const std::string indent(kHelpColumn, ' ');
    constexpr std::size_t room = kHelpWidth - kHelpColumn;
    std::string text;
    for (const auto& [name, help] : rows) {
        text += name.size() < kHelpColumn ? name + std::string(kHelpColumn - name.size(), ' ') : name + "\n" + indent;
        std::string_view rest = help;
        while (rest.size() > room) {
            std::size_t space = rest.rfind(' ', room);
            if (space == std::string_view::npos)
                space = rest.find(' ', room); // the first word is longer than the column: it goes whole
            if (space == std::string_view::npos)
                break;
            text.append(rest.substr(0, space)).append("\n").append(indent);
            rest = rest.substr(space + 1);
        }
        text.append(rest).append("\n");
    }
    return text;
}

} // namespace inkspin

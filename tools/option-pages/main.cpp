// option-pages: writes the saver's options into XScreenSaver's description, the man page and the README's table,
// from the one table the command line parses with (hosts/inkspin/CommandOptions.h), so none can name an option, a
// range or a default that the program does not have, and all spell them alike (WordsOf, FactsOf). The build runs it
// for the first two; the results are installed from the build tree. A test checks the README's tables against it.
//
// Usage: option-pages xml|man TEMPLATE OUTPUT [VERSION]
//        option-pages readme          (prints the README's table of the settings' options)
//        option-pages keys            (prints the README's table of the preferences file's keys)
// In a template, "@OPTIONS@" becomes the settings (man: also "@WINDOW_OPTIONS@" and "@RENDER_OPTIONS@", the host
// options of those groups); "@VERSION@" becomes VERSION.
#include "hosts/inkspin/CommandOptions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <initializer_list>
#include <string>

namespace {

// A decimal as XScreenSaver's dialog reads it as one: always with a point ("2.0", "0.5", "2.75").
std::string Decimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    std::string result = text;
    return result.find('.') == std::string::npos ? result + ".0" : result;
}

std::string Whole(double value) { return std::to_string(static_cast<long>(value)); }

bool IsShading(const OptionSpec& option)
{
    return option.keys[0] != nullptr && std::string(option.keys[0]).rfind("InkspinShade", 0) == 0;
}

// What XScreenSaver's dialog offers: the settings, and the frame rate's options.
bool InDialog(const CommandOption& option)
{
    return option.group == OptionGroup::Setting || option.group == OptionGroup::Display;
}

void XmlOption(std::ostream& out, const CommandOption& option)
{
    const OptionSpec& o = *option.row;
    const std::string name = o.name, label = PlainLabel(o);
    switch (o.kind) {
    case OptionKind::Toggle:
        out << "    <boolean id=\"" << name << "\" _label=\"" << label << "\" "
            << (o.defaultValue != 0.0 ? "arg-unset=\"--no-" : "arg-set=\"--") << name << "\"/>\n";
        break;
    case OptionKind::Switch:
        out << "    <boolean id=\"" << name << "\" _label=\"" << label << "\" arg-set=\"--" << name << "\"/>\n";
        break;
    case OptionKind::Decimal:
        out << "    <number id=\"" << name << "\" type=\"slider\" arg=\"--" << name << " %\"\n"
            << "            _label=\"" << label << "\" _low-label=\"" << Decimal(o.low) << "\" _high-label=\""
            << Decimal(o.high) << "\"\n"
            << "            low=\"" << Decimal(o.low) << "\" high=\"" << Decimal(o.high) << "\" default=\""
            << Decimal(std::stod(DefaultText(o))) << "\"/>\n";
        break;
    case OptionKind::Whole:
        if (option.host == HostOption::Delay) { // the frame rate: XScreenSaver's inverted delay slider
            out << "    <number id=\"" << name << "\" type=\"slider\" arg=\"--" << name << " %\"\n"
                << "            _label=\"" << label << "\" _low-label=\"Low\" _high-label=\"High\"\n"
                << "            low=\"" << Whole(o.low) << "\" high=\"" << Whole(o.high) << "\" default=\""
                << DefaultText(o) << "\"\n"
                << "            convert=\"invert\"/>\n";
        } else {
            out << "    <number id=\"" << name << "\" type=\"spinbutton\" arg=\"--" << name << " %\"\n"
                << "            _label=\"" << label << "\" low=\"" << Whole(o.low) << "\" high=\"" << Whole(o.high)
                << "\" default=\"" << DefaultText(o) << "\"/>\n";
        }
        break;
    case OptionKind::Colour:
        // XScreenSaver's dialog shows a text field empty unless the command line holds its option (it takes no
        // default for one): the label says what empty means, the value inkspin-settings saved. `default` is for our
        // own check of the arguments.
        out << "    <string id=\"" << name << "\" _label=\"" << label << " (r,g,b; empty: as saved)\" arg=\"--" << name
            << " %\" default=\"" << DefaultText(o) << "\"/>\n";
        break;
    default:
        break;
    }
}

// Two columns: background, outlines and the frame rate on the left, shading on the right.
std::string XmlOptions()
{
    std::ostringstream out;
    out << "  <hgroup>\n";
    for (const bool shading : {false, true}) {
        out << "   <vgroup>\n";
        for (const CommandOption& option : CommandOptions())
            if (InDialog(option) && IsShading(*option.row) == shading)
                XmlOption(out, option);
        out << "   </vgroup>\n";
    }
    out << "  </hgroup>";
    return out.str();
}

// roff text: a backslash and a leading dot or quote would be read as requests; every minus is a hyphen otherwise.
std::string Roff(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

// A line of roff: the text with a capital and a full stop.
std::string Sentence(const std::string& text)
{
    std::string line = Roff(text);
    line[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[0])));
    return line + ".\n";
}

std::string ManOptions(std::initializer_list<OptionGroup> groups)
{
    std::ostringstream out;
    for (const CommandOption& option : CommandOptions()) {
        if (std::find(groups.begin(), groups.end(), option.group) == groups.end())
            continue;
        const auto [name, negated, value] = WordsOf(*option.row);
        out << ".TP\n";
        if (!negated.empty())
            out << ".BR " << Roff(name) << " \", \" " << Roff(negated) << "\n";
        else if (value.empty())
            out << ".B " << Roff(name) << "\n";
        else
            out << ".BI " << Roff(name) << " \" " << value << "\"\n";
        out << Sentence(option.row->help);
        if (const std::string facts = FactsOf(option); !facts.empty())
            out << Sentence(facts);
    }
    return out.str();
}

// The README's table of settings: option, what it sets, range and default.
std::string ReadmeTable()
{
    std::ostringstream out;
    out << "| option | sets | range and default |\n|---|---|---|\n";
    for (const CommandOption& option : CommandOptions()) {
        if (!InDialog(option))
            continue;
        const auto [name, negated, value] = WordsOf(*option.row);
        out << "| `" << name << (!negated.empty() ? "`, `" + negated : !value.empty() ? " " + value : "") << "` | "
            << option.row->help << " | " << FactsOf(option) << " |\n";
    }
    return out.str();
}

// The README's table of the preferences file's keys: key (a colour's three), kind, default, what it sets.
std::string KeysTable()
{
    std::ostringstream out;
    out << "| key | kind | default | what it sets |\n|---|---|---|---|\n";
    for (const OptionSpec& o : SettingOptions()) {
        std::string fallback = DefaultText(o);
        switch (o.kind) {
        case OptionKind::Toggle:
            out << "| `" << o.keys[0] << "` | boolean | " << (o.defaultValue != 0.0 ? "true" : "false");
            break;
        case OptionKind::Colour:
            for (std::size_t at = fallback.find(','); at != std::string::npos; at = fallback.find(',', at + 2))
                fallback.insert(at + 1, " ");
            out << "| `" << o.keys[0] << "`, `...Green`, `...Blue` | float 0..1 | " << fallback;
            break;
        default:
            out << "| `" << o.keys[0] << "` | " << (o.kind == OptionKind::Whole ? "integer" : "float") << " | "
                << fallback;
            break;
        }
        out << " | " << o.help << " |\n";
    }
    return out.str();
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "readme" || mode == "keys") && argc == 2) {
        std::fputs((mode == "readme" ? ReadmeTable() : KeysTable()).c_str(), stdout);
        return 0;
    }
    if (argc < 4 || (mode != "xml" && mode != "man")) {
        std::fputs("usage: option-pages xml|man TEMPLATE OUTPUT [VERSION] | option-pages readme|keys\n", stderr);
        return 2;
    }
    std::ifstream in(argv[2]);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "option-pages: cannot read %s\n", argv[2]);
        return 1;
    }
    std::string page = text.str();
    const std::pair<std::string, std::string> markers[] = {
        {"@OPTIONS@", mode == "xml" ? XmlOptions() : ManOptions({OptionGroup::Setting, OptionGroup::Display})},
        {"@WINDOW_OPTIONS@", ManOptions({OptionGroup::Window})},
        {"@RENDER_OPTIONS@", ManOptions({OptionGroup::Render})},
        {"@VERSION@", argc > 4 ? argv[4] : ""}};
    for (const auto& [marker, value] : markers) {
        for (std::size_t at; (at = page.find(marker)) != std::string::npos;)
            page.replace(at, marker.size(), value);
    }
    std::ofstream out(argv[3], std::ios::trunc);
    out << page;
    out.close();
    if (!out) {
        std::fprintf(stderr, "option-pages: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}

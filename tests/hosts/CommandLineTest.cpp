// The command line in process: every row of the options table is taken, and the --help columns break where they
// can and lose nothing where they cannot. What the program says and does with its arguments is
// RenderCommandTest.cpp's business.
#include "hosts/inkspin/CommandLine.h"
#include "support/text/HelpColumns.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Each option with its default value, or a plain one where it has none, where the program takes it: a row that
// neither a field nor a preference key takes would be refused or warned about here.
TEST(CommandLineTest, EveryOptionOfTheTableIsTakenAtItsDefault)
{
    for (const auto& [row, group, host] : CommandOptions()) {
        const OptionSpec& option = *row;
        if (host == HostOption::Help || host == HostOption::Version)
            continue;
        std::vector<std::string> arguments;
        if (group == OptionGroup::Render && host != HostOption::Render)
            arguments = {"--render", "frames"};
        arguments.push_back(std::string("--") + option.name);
        if (option.kind == OptionKind::WindowId)
            arguments.push_back("1");
        else if (option.kind == OptionKind::Text)
            arguments.push_back("frames");
        else if (option.kind != OptionKind::Toggle && option.kind != OptionKind::Switch)
            arguments.push_back(DefaultText(option));
        CommandLine line;
        std::string error;
        EXPECT_TRUE(ParseCommandLine(arguments, &line, &error)) << option.name << ": " << error;
        EXPECT_TRUE(line.warnings.empty()) << option.name << ": " << line.warnings.front();
    }
}

TEST(CommandLineTest, HelpColumnsBreakAtSpacesAndKeepWordsLongerThanTheColumn)
{
    const std::string word(100, 'w'), name = "  --" + std::string(24, 'n'), indent(26, ' ');
    EXPECT_EQ(inkspin::HelpColumns({{"  --a", word + " tail"}, {name, "short"}}),
              "  --a" + std::string(21, ' ') + word + "\n" + indent + "tail\n" + name + "\n" + indent + "short\n");
    std::istringstream help(UsageText());
    for (std::string line; std::getline(help, line);)
        EXPECT_LE(line.size(), 110u) << line;
}

} // namespace

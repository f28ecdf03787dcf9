#include "hosts/idle/IdleCommandLine.h"

#include "hosts/idle/IdleSettings.h"
#include "support/text/HelpColumns.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace {

constexpr long kHighestSeconds = 60L * kIdleMinutesHigh;

const IdleOptionSpec kOptions[] = {
    {"timeout", "SECONDS", 1, kHighestSeconds,
     "start the saver after this much idle time (default: the settings window's choice, 5 minutes)"},
    {"lock-after", "SECONDS", 0, kHighestSeconds,
     "ask the desktop to lock this long after the saver started; 0: never (default: the settings window's choice)"},
    {"lock-command", "COMMAND", 0, 0, "lock by running COMMAND with /bin/sh -c, instead of asking logind"},
    {"check", "", 0, 0, "say where this session tells idle time from, and end (status 1 when it does not)"},
    {"verbose", "", 0, 0, "write a line for everything that happens, on standard error"},
    {"help", "", 0, 0, "show this help and end"},
    {"version", "", 0, 0, "show the version and end"},
};

const IdleOptionSpec* Find(std::string_view name)
{
    for (const IdleOptionSpec& option : kOptions)
        if (name == option.name)
            return &option;
    return nullptr;
}

} // namespace

std::span<const IdleOptionSpec> IdleOptions() { return kOptions; }

std::optional<IdleRequest> ParseIdleCommandLine(const std::vector<std::string>& arguments, std::string* error)
{
    IdleRequest request;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        std::string_view name = word;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else {
            *error = "unexpected argument \"" + word + "\"";
            return std::nullopt;
        }
        std::optional<std::string> value;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = std::string(name.substr(equals + 1));
            name = name.substr(0, equals);
        }
        const IdleOptionSpec* option = Find(name);
        if (option == nullptr) {
            *error = "unknown option " + word;
            return std::nullopt;
        }
        const std::string dashed = "--" + std::string(name);
        if (option->valueName[0] == '\0') {
            if (value) {
                *error = dashed + " takes no value";
                return std::nullopt;
            }
        } else if (!value) {
            if (i + 1 == arguments.size()) {
                *error = dashed + " needs a value (" + option->valueName + ")";
                return std::nullopt;
            }
            value = arguments[++i];
        }
        if (option->high > 0) {
            long number = 0;
            const auto [end, failure] = std::from_chars(value->data(), value->data() + value->size(), number);
            if (failure != std::errc() || end != value->data() + value->size() || number < option->low
                || number > option->high) {
                *error = dashed + " takes a whole number of seconds from " + std::to_string(option->low) + " to "
                    + std::to_string(option->high) + ", not \"" + *value + "\"";
                return std::nullopt;
            }
            (name == "timeout" ? request.timeoutSeconds : request.lockAfterSeconds) = static_cast<int>(number);
        } else if (name == "lock-command") {
            if (value->empty()) {
                *error = "--lock-command needs a command";
                return std::nullopt;
            }
            request.lockCommand = *value;
        } else {
            (name == "check" ? request.check : name == "verbose" ? request.verbose : name == "help" ? request.help
                                                                                                     : request.version)
                = true;
        }
    }
    return request;
}

std::string IdleUsageText()
{
    std::string text = "Usage: inkspin-idle [OPTION]...\n"
                       "Starts the Inkspin screen saver (inkspin --root) when the Wayland session has been idle, ends\n"
                       "it when the user is back, stays away while something inhibits idle, and asks the desktop to\n"
                       "lock after the chosen delay.\n\n";
    std::vector<std::pair<std::string, std::string>> rows;
    for (const IdleOptionSpec& option : kOptions) {
        std::string name = std::string("  --") + option.name;
        if (option.valueName[0] != '\0')
            name += std::string(" ") + option.valueName;
        rows.emplace_back(name, option.help);
    }
    return text + inkspin::HelpColumns(rows);
}

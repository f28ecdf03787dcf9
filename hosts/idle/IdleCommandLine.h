// inkspin-idle's command line, from one table of its options that the parser and --help both read (and the man
// page's test checks). Options may be spelled with one dash or two, and a value given as the next word or after '='.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

struct IdleOptionSpec {
    const char* name;      // without dashes
    const char* valueName; // what --help calls the value; empty for a switch
    long low, high;        // the range of a number; both 0 for text and switches
    const char* help;      // one line
};

// Every option, as --help lists them.
std::span<const IdleOptionSpec> IdleOptions();

// One run's choices. The times hold over the saved settings (IdleSettings.h) for this run only; unset, the saved
// ones apply and follow the file as it changes.
struct IdleRequest {
    std::optional<int> timeoutSeconds;   // start the saver after this much idle time
    std::optional<int> lockAfterSeconds; // ask for the lock this long after the saver started; 0: never
    std::string lockCommand;             // run with /bin/sh -c to lock, instead of asking logind
    bool check = false;                  // say which idle source the session offers, and end
    bool verbose = false;                // a line for everything that happens
    bool help = false, version = false;
};

// The request `arguments` (without the program's name) make; nullopt with *error set to one line naming the word
// that is wrong.
std::optional<IdleRequest> ParseIdleCommandLine(const std::vector<std::string>& arguments, std::string* error);

// The text of --help.
std::string IdleUsageText();

// ~/.xscreensaver read as XScreenSaver's daemon reads it, so that what Inkspin edits is what the daemon will use.
//
// The daemon reads the file line by line: a backslash just before a line's end joins the next line to it (not a
// backslash before "\r\n": a file with Windows line ends has no continued lines), then \n, \r and \t stand for their
// characters and a backslash before any other character for that character; what is left is trimmed of spaces,
// tabs, CRs and LFs. Lines that then start with #, ! or ; are comments; the rest is `key: value`, the key taken up to
// the first colon as it stands (not trimmed on the right) and matched without regard to case; a key given twice
// keeps its last value. The `programs:` value holds one saver a line:
// "[-] [visual:] ["Pretty name"] command args", a leading "-" turning it off.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One line of the file as the daemon sees it: physical lines [begin, end) of the text (`end` past the last one's
// "\n", or the text's end), and the line after its escapes, with the text's offset of each of its characters.
struct XResourceLine {
    std::size_t begin = 0, end = 0;
    std::string key, value;            // both empty for a comment, a blank line or a line without a colon
    std::string read;                  // the line after joining and escapes, before trimming
    std::vector<std::size_t> offsetOf; // offsetOf[i]: where read[i] came from in the text
    std::size_t valueAt = 0;           // where `value` starts in `read`
    bool endedByText = false;          // the last physical line continued into the end of the text
};

// Every line of `text`, in order.
std::vector<XResourceLine> ReadXResources(const std::string& text);

// The index of the line whose value the daemon keeps for `key` (the last one, any case), or -1.
int FindXResource(const std::vector<XResourceLine>& lines, const std::string& key);

// One saver of a `programs:` value: where it lies in the value, and its parts.
struct XScreenSaverEntry {
    std::size_t at = 0, size = 0; // in the value
    bool enabled = true;
    std::size_t commandAt = 0;    // the command's first word, in the value
    std::string command;          // that word ("inkspin", "/usr/libexec/xscreensaver/inkspin")
};

// The savers of a `programs:` value as the daemon splits it: one a line, blank lines skipped.
std::vector<XScreenSaverEntry> XScreenSaverEntries(const std::string& value);

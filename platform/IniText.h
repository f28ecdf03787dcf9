// The INI text of a preferences file, as QtCore's QSettings reads and writes it, for the top-level keys only
// (those before any section and those under [General], in any letter case): reading their plain values, and setting
// some of them in a text whose every other byte stays as it was.
//
// Read as QSettings reads: a logical line may go on past a line break inside double quotes or after a backslash; ';'
// outside quotes starts a comment; section names and keys lose white space at both ends (\v and \f too); a key is
// unescaped ('%XX', '%UXXXX' with the hex digits toUShort takes, '\' for '/'); a value loses its unquoted leading and
// trailing blanks and its quotes, and its escapes (\n, \t, \", \\, \xHH, octal, ...) are decoded ("\x" without a
// digit stands for nothing). A later line with the same key wins. @String(…) and @ByteArray(…) stand for their text
// and @@ for one @; a value that QSettings would read as a list (an unquoted comma) or as another type (@Variant(…),
// @Invalid(), ...) is not plain and is left out.
//
// No Qt here: this is text in, text out, so the store can check every byte it writes and never leave a value in a
// cache it does not own.
#pragma once

#include <map>
#include <string>
#include <string_view>

// The plain values of the top-level keys of `text`, by unescaped key.
std::map<std::string, std::string> IniTopLevelValues(std::string_view text);

// `text` with each key of `values` set to its value at the top level: every line that holds such a key is replaced
// by `key=value` (a comment after it on that line stays), and keys the text did not hold are added, in key order,
// after the last top-level line, or under a new [General] at the start (after a UTF-8 byte-order mark) where there is
// none or the text ends inside quotes or a continued line. Every other byte of `text` is kept, so the result reads
// back with these values and every other value as it was. Keys and values must need no escaping: letters, digits
// and "+-._" only.
std::string IniWithTopLevelValues(std::string_view text, const std::map<std::string, std::string>& values);

// Replacing a file's contents so that a reader sees the old file or the whole new one, never a part: the new text is
// written to a temporary file in the same folder (every write checked), flushed to the disk, given the mode and
// renamed over the path; the folder is flushed too. Whatever fails removes the temporary file and leaves the path as
// it was. The caller keeps other writers out (a lock) and decides what may be replaced (a link, a FIFO).
#pragma once

#include <sys/types.h>

#include <string>

// Puts `text` in place of `directory`/`name`, with permission bits `mode`; the temporary file is
// `directory`/.`name`.saving-XXXXXX (TemporaryFilePrefix below, and six characters). "" on success, otherwise one
// line naming the file and the reason ("the disk is full (No space left on device): PATH cannot be written").
std::string ReplaceFile(const std::string& directory, const std::string& name, const std::string& text, mode_t mode);

// What the temporary files of `name` start with: a save killed half-way leaves one, and whoever holds the file's
// lock may remove them.
std::string TemporaryFilePrefix(const std::string& name);

// The mode a new file gets by default: 0666 less the process's umask, read without changing it (safe beside other
// threads that make files).
mode_t DefaultFileMode();

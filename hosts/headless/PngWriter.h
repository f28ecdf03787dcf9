// Writes RGB images (8 bits a channel, top row first) as PNG files with libpng.
//
// The image goes to a new temporary file beside `path`, which is renamed over `path` only once it is complete: a
// reader never sees half a frame, a failed write (a full disk) leaves nothing behind under any name, and whatever
// stood at `path` before (a symbolic link, a FIFO) is replaced, never followed or opened. The file gets the usual
// mode for new files (0666 less the umask).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False, with a one-line reason and nothing written, when the file cannot be written completely.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, std::string* error);

// From now on SIGTERM, SIGINT and SIGHUP first remove the temporary file a write has open, then end the process by
// the same signal, as it would have ended anyway (a shell sees 143, 130, 129). For a host that writes frames until
// it is told to stop.
void PngWriterRemoveTemporaryOnSignals();

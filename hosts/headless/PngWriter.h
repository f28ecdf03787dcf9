// Writes RGB images (8 bits a channel, top row first) as PNG files with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// False, with a one-line reason, when the file cannot be written completely.
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, std::string* error);

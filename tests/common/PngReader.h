// Reads an 8-bit RGB PNG (as the headless renderer writes them) for tests; empty on any failure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // top row first
};

RgbImage ReadPng(const std::string& path);

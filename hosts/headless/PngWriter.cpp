#include "hosts/headless/PngWriter.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        *error = "out of memory writing " + path;
        return false;
    }
    // libpng reports failures by longjmp; nothing with a destructor lives between here and the calls below.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        *error = "cannot write " + path;
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3); // frames are many; favour speed over the last few percent of size
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

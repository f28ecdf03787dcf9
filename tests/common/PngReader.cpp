#include "tests/common/PngReader.h"

#include <png.h>

RgbImage ReadPng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    RgbImage result;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return result;
    image.format = PNG_FORMAT_RGB;
    result.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return {};
    }
    result.width = static_cast<int>(image.width);
    result.height = static_cast<int>(image.height);
    return result;
}

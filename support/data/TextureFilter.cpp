#include "support/data/TextureFilter.h"

#include <GL/gl.h>

namespace {

struct TextureFilterState {
    std::uint32_t minFilter = GL_LINEAR;
    std::uint32_t magFilter = GL_LINEAR;
    std::uint32_t previousMinFilter = GL_LINEAR;
    std::uint32_t previousMagFilter = GL_LINEAR;
};

TextureFilterState gFilter;

} // namespace

void TextureSetFilterMode(std::int32_t mode)
{
    gFilter.previousMinFilter = gFilter.minFilter;
    gFilter.previousMagFilter = gFilter.magFilter;
    const std::uint32_t filter = mode == 0 ? GL_NEAREST : mode == 1 ? GL_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
    gFilter.minFilter = filter;
    gFilter.magFilter = filter;
}

void TextureRestoreFilterMode()
{
    gFilter.minFilter = gFilter.previousMinFilter;
    gFilter.magFilter = gFilter.previousMagFilter;
}

std::uint32_t TextureGetMinFilter() { return gFilter.minFilter; }
std::uint32_t TextureGetMagFilter() { return gFilter.magFilter; }

// The texture filter pair that the support library would give textures it creates itself.
//
// Process-wide; starts at GL_LINEAR for both. The saver selects mode 1 at every start; its own textures set their
// filters themselves and never consult this pair. Values are OpenGL enumerants.
#pragma once

#include <cstdint>

// Mode 0: GL_NEAREST; mode 1: GL_LINEAR; any other value (negative ones too): GL_LINEAR_MIPMAP_LINEAR for both
// (OpenGL accepts that only for minification; a caller that creates a texture with it builds mipmaps).
// The pair as it was before is kept for one TextureRestoreFilterMode; a second set loses the older pair.
void TextureSetFilterMode(std::int32_t mode);
void TextureRestoreFilterMode();
std::uint32_t TextureGetMinFilter();
std::uint32_t TextureGetMagFilter();

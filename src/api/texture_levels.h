// What glGetTexLevelParameter answers about a texture level: the bound texture's image as the
// texture table holds it, or the proxy level the last proxy glTexImage2D left. A proxy upload
// asks whether an image would fit; it records nothing and allocates nothing, it only sets the
// proxy's answer (all zeros when the image would not fit), as GL defines.
#pragma once

#include <cstdint>

namespace mora::api {

// The largest width and height of a level-0 image; level n allows this shifted right by n.
inline constexpr int32_t kMaxTextureSize = 1024;
inline constexpr uint32_t kProxyTexture2D = 0x8064;  // GL_PROXY_TEXTURE_2D

// GL's proxy targets a glTexImage2D may name: GL_PROXY_TEXTURE_2D and the rectangle, cube-map,
// 1D-array and multisample ones of later versions, which this driver holds no image for.
constexpr bool IsProxyTarget(uint32_t target) {
    return target == kProxyTexture2D || target == 0x84F7 || target == 0x851B || target == 0x8C19 || target == 0x9101;
}

// A proxy glTexImage2D: the proxy's level `level` takes the image's size and internal format
// when the driver could hold it (level 0 to 10, 1 <= width, height <= kMaxTextureSize >> level,
// border 0, a GL 1.1 internal format), and all zeros otherwise.
void SetProxyLevel(int32_t level, int32_t internalformat, int32_t width, int32_t height, int32_t border);

// Remembers the internal format a glTexImage2D asked for texture `name` (the table keeps only
// 8-bit RGBA texels, so the request is kept aside for the queries).
void NoteInternalFormat(uint32_t name, int32_t internalformat);

// The answer to glGetTexLevelParameteriv(target, level, pname) for GL_TEXTURE_2D and
// GL_PROXY_TEXTURE_2D: false (nothing to write) for another target or an unknown pname; a level
// the texture does not have answers 0.
bool TexLevelParameter(uint32_t target, int32_t level, uint32_t pname, int32_t& value);

// Forgets the proxy levels and the remembered internal formats (tests).
void ResetTextureLevels();

}  // namespace mora::api

// How each texture format of the device reaches OpenGL: the upload format and type, the
// swizzle that gives Direct3D's channel values, or the CPU conversion for formats OpenGL 3.3
// has no equivalent of.
#pragma once

#include "device/D3D8.h"

#include <epoxy/gl.h>

#include <cstdint>

enum class UploadPath : std::uint8_t {
    Direct,         // glTexImage2D with pixelFormat / pixelType
    Compressed,     // glCompressedTexImage2D (S3TC), or decoded on the CPU without S3TC
    ExpandA8R3G3B2, // widened to 0xAARRGGBB on the CPU
};

struct GlFormat {
    D3DFORMAT format;
    UploadPath path;
    GLenum internalFormat;
    GLenum pixelFormat;
    GLenum pixelType;
    // GL_TEXTURE_SWIZZLE_R, _G, _B, _A: formats without alpha read alpha as 1, luminance
    // spreads to red, green and blue, A8 reads black.
    GLint swizzle[4];
    // Bytes a texel (Direct, ExpandA8R3G3B2) or a 4×4 block (Compressed) take in the source.
    std::uint8_t bytes;
};

// The entry for `format`; null for a format textures cannot have.
const GlFormat* FindGlFormat(D3DFORMAT format);

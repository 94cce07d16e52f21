// The texture format table.
#include "device/gl/GlFormat.h"

#include <array>

namespace {

constexpr GLint kIdentity[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};

constexpr GlFormat Entry(D3DFORMAT format, UploadPath path, GLenum internalFormat,
                         GLenum pixelFormat, GLenum pixelType, const GLint (&swizzle)[4],
                         std::uint8_t bytes) {
    return {format,      path,      internalFormat,
            pixelFormat, pixelType, {swizzle[0], swizzle[1], swizzle[2], swizzle[3]},
            bytes};
}

constexpr GLint kOpaque[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE};
constexpr GLint kLuminance[4] = {GL_RED, GL_RED, GL_RED, GL_ONE};
constexpr GLint kLuminanceAlpha[4] = {GL_RED, GL_RED, GL_RED, GL_GREEN};
constexpr GLint kAlphaOnly[4] = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED};

// Memory layouts are little-endian: A8R8G8B8 is the bytes B, G, R, A (GL_BGRA, unsigned bytes);
// the 16-bit formats keep blue in their low bits, which the _REV packed types read the same
// way; A8L8 is the bytes L, A.
constexpr std::array<GlFormat, 15> kFormats = {
    Entry(D3DFMT_A8R8G8B8, UploadPath::Direct, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, kIdentity, 4),
    Entry(D3DFMT_X8R8G8B8, UploadPath::Direct, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, kOpaque, 4),
    Entry(D3DFMT_R5G6B5, UploadPath::Direct, GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, kIdentity,
          2),
    Entry(D3DFMT_X1R5G5B5, UploadPath::Direct, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
          kOpaque, 2),
    Entry(D3DFMT_A1R5G5B5, UploadPath::Direct, GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV,
          kIdentity, 2),
    Entry(D3DFMT_A4R4G4B4, UploadPath::Direct, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV,
          kIdentity, 2),
    Entry(D3DFMT_A8R3G3B2, UploadPath::ExpandA8R3G3B2, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE,
          kIdentity, 2),
    Entry(D3DFMT_A8, UploadPath::Direct, GL_R8, GL_RED, GL_UNSIGNED_BYTE, kAlphaOnly, 1),
    Entry(D3DFMT_L8, UploadPath::Direct, GL_R8, GL_RED, GL_UNSIGNED_BYTE, kLuminance, 1),
    Entry(D3DFMT_A8L8, UploadPath::Direct, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, kLuminanceAlpha, 2),
    Entry(D3DFMT_DXT1, UploadPath::Compressed, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, GL_BGRA,
          GL_UNSIGNED_BYTE, kIdentity, 8),
    // Premultiplied DXT2 and DXT4 are stored and sampled as DXT3 and DXT5: the texture unit
    // returns what is stored either way.
    Entry(D3DFMT_DXT2, UploadPath::Compressed, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, GL_BGRA,
          GL_UNSIGNED_BYTE, kIdentity, 16),
    Entry(D3DFMT_DXT3, UploadPath::Compressed, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, GL_BGRA,
          GL_UNSIGNED_BYTE, kIdentity, 16),
    Entry(D3DFMT_DXT4, UploadPath::Compressed, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, GL_BGRA,
          GL_UNSIGNED_BYTE, kIdentity, 16),
    Entry(D3DFMT_DXT5, UploadPath::Compressed, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, GL_BGRA,
          GL_UNSIGNED_BYTE, kIdentity, 16),
};

constexpr bool EveryEntryFilled() {
    for (const GlFormat& entry : kFormats) {
        if (entry.format == D3DFMT_UNKNOWN || entry.bytes == 0) {
            return false;
        }
    }
    return true;
}
static_assert(EveryEntryFilled(), "one entry for each of the fifteen texture formats");

} // namespace

const GlFormat* FindGlFormat(D3DFORMAT format) {
    for (const GlFormat& entry : kFormats) {
        if (entry.format == format) {
            return &entry;
        }
    }
    return nullptr;
}

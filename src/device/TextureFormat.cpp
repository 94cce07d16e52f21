// Memory layout of the pixel formats that textures and image surfaces can have.
#include "device/TextureFormat.h"

#include <array>

namespace {

constexpr std::array<TextureFormat, 15> kFormats = {{
    {D3DFMT_A8R8G8B8, 4, 0, true},
    {D3DFMT_X8R8G8B8, 4, 0, false},
    {D3DFMT_R5G6B5, 2, 0, false},
    {D3DFMT_X1R5G5B5, 2, 0, false},
    {D3DFMT_A1R5G5B5, 2, 0, true},
    {D3DFMT_A4R4G4B4, 2, 0, true},
    {D3DFMT_A8R3G3B2, 2, 0, true},
    {D3DFMT_A8, 1, 0, true},
    {D3DFMT_L8, 1, 0, false},
    {D3DFMT_A8L8, 2, 0, true},
    {D3DFMT_DXT1, 0, 8, true},
    {D3DFMT_DXT2, 0, 16, true},
    {D3DFMT_DXT3, 0, 16, true},
    {D3DFMT_DXT4, 0, 16, true},
    {D3DFMT_DXT5, 0, 16, true},
}};

} // namespace

UINT TextureFormat::Pitch(UINT width) const {
    if (IsCompressed()) {
        return (width + 3) / 4 * blockBytes;
    }
    return (width * bytesPerPixel + 3) / 4 * 4;
}

UINT TextureFormat::RowBytes(UINT width) const {
    return IsCompressed() ? (width + 3) / 4 * blockBytes : width * bytesPerPixel;
}

UINT TextureFormat::RowCount(UINT height) const {
    return IsCompressed() ? (height + 3) / 4 : height;
}

UINT TextureFormat::SurfaceBytes(UINT width, UINT height) const {
    return Pitch(width) * RowCount(height);
}

UINT TextureFormat::Offset(UINT x, UINT y, UINT pitch) const {
    if (IsCompressed()) {
        return y / 4 * pitch + x / 4 * blockBytes;
    }
    return y * pitch + x * bytesPerPixel;
}

const TextureFormat* FindTextureFormat(D3DFORMAT format) {
    for (const TextureFormat& f : kFormats) {
        if (f.format == format) {
            return &f;
        }
    }
    return nullptr;
}

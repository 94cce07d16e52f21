// Memory layout of the pixel formats that textures and image surfaces can have.
#pragma once

#include "device/D3D8.h"

// One texture format: uncompressed formats have bytesPerPixel > 0 and blockBytes = 0; block-
// compressed formats (DXT1..DXT5) store 4x4 texel blocks of blockBytes each.
struct TextureFormat {
    D3DFORMAT format;
    UINT bytesPerPixel;
    UINT blockBytes;
    bool hasAlpha;

    bool IsCompressed() const { return blockBytes != 0; }
    // Bytes from one row (of texels, or of 4x4 blocks) to the next for a surface width texels
    // wide: width · bytesPerPixel rounded up to a multiple of 4, or ceil(width / 4) · blockBytes.
    UINT Pitch(UINT width) const;
    // Bytes that width texels of one row (or one row of blocks) take, without padding.
    UINT RowBytes(UINT width) const;
    // Rows of the layout: height, or ceil(height / 4) rows of blocks.
    UINT RowCount(UINT height) const;
    // Pitch(width) · RowCount(height).
    UINT SurfaceBytes(UINT width, UINT height) const;
    // Byte offset of texel (x, y) within a surface of the given pitch; for block formats (x, y)
    // must be multiples of 4.
    UINT Offset(UINT x, UINT y, UINT pitch) const;
};

// The format's layout, or null when textures cannot have that format. Supported: A8R8G8B8,
// X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4, A8R3G3B2, A8, L8, A8L8, DXT1..DXT5.
const TextureFormat* FindTextureFormat(D3DFORMAT format);

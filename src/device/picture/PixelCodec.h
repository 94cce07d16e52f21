// Pixel formats of pictures and surfaces as the utility layer sees them: their memory layout,
// and conversion of their pixels to 0xAARRGGBB.
#pragma once

#include <cstddef>
#include <vector>

#include "device/D3D8.h"

namespace picture {

struct Picture;

// How one format stores a pixel. Uncompressed formats hold bitsPerPixel bits per pixel as one
// little-endian value whose channels are picked by the masks; luminance formats keep their
// luminance under redMask; palette formats keep their index under redMask. Block formats
// (DXT1..DXT5) store 4x4 pixels in blockBytes bytes.
struct PixelLayout {
    enum Kind { Rgb, Luminance, Palette, Block };

    D3DFORMAT format;
    Kind kind;
    UINT bitsPerPixel;
    UINT blockBytes;
    DWORD alphaMask;
    DWORD redMask;
    DWORD greenMask;
    DWORD blueMask;

    bool IsBlock() const { return kind == Block; }
    // Whether the format stores alpha of its own: an alpha mask, or DXT2..DXT5. DXT1's
    // one-bit transparency and palettes' alpha do not count.
    bool HasAlpha() const;
    // Bytes of one row of `width` pixels without padding, or of one row of 4x4 blocks.
    std::size_t RowBytes(std::size_t width) const;
    // Rows of the layout for `height` pixels: height, or rows of blocks.
    std::size_t RowCount(std::size_t height) const;
};

// The layout of `format`, or null for a format the utility layer does not read.
const PixelLayout* FindPixelLayout(D3DFORMAT format);

// Expands an n-bit channel value (n = 1..8) to 8 bits by repeating its bits, so that 0 stays 0
// and the largest value becomes 255: 5 bits v give (v << 3) | (v >> 2). Values wider than 8
// bits keep their top 8 bits.
DWORD ExpandChannel(DWORD value, int bits);

// The channel under `mask` (one run of set bits) of `pixel`, scaled to 0..255 as
// round(v · 255 / max); `missing` when the mask is empty. For files whose channels have no
// device format, whatever their width.
DWORD ScaleChannel(DWORD pixel, DWORD mask, DWORD missing);

// Converts width × height pixels of `format` starting at `bits`, rows `pitch` bytes apart
// (rows of blocks for block formats, whose region starts on a block), to 0xAARRGGBB in `out`,
// rows top-down without padding. A format without alpha gives alpha 255; luminance is copied to
// red, green and blue; palette formats look up `palette` (256 entries). DXT colours interpolate
// with the 5-6-5 end points expanded first, as floor((2a + b) / 3), floor((a + b) / 2) and
// floor(((7 − i)·a + i·b) / 7) for alpha. False for a format without a layout.
bool DecodeToArgb(D3DFORMAT format, const BYTE* bits, std::size_t pitch, UINT width, UINT height,
                  const D3DCOLOR* palette, D3DCOLOR* out);

// Converts width × height pixels given as R, G, B, A floats (0..255, rows top-down without
// padding) to `format` at `bits`, rows `pitch` bytes apart (rows of 4x4 blocks for block
// formats; where the picture ends inside a block, its edge pixels are repeated). An n-bit channel
// stores round(v · (2^n − 1) / 255). With `dither`, colour channels narrower than 8 bits first get
// an offset from a 4x4 ordered pattern, less than half a level either way, so that a flat area
// between two levels mixes them in proportion; alpha is never dithered. Bits a format leaves
// unused are set; luminance is 0.2126 R + 0.7152 G + 0.0722 B. DXT blocks take the extremes of
// their colours (and alphas) as end points. False for palette formats and formats without a
// layout.
bool EncodeFromRgba(D3DFORMAT format, const float* rgba, UINT width, UINT height, bool dither,
                    BYTE* bits, std::size_t pitch);

// One level of a picture as 0xAARRGGBB, rows top-down; empty when the level does not exist.
std::vector<D3DCOLOR> LevelToArgb(const Picture& picture, std::size_t level);

} // namespace picture

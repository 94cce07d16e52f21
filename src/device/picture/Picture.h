// A picture decoded from a file in memory by one of the utility layer's readers, and the chain
// that tries the readers in turn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/D3DX.h"

namespace picture {

// The largest picture any reader accepts: sides up to kMaxPictureSide texels and at most
// kMaxPicturePixels texels in all. Compressed formats can claim far more than their bytes hold;
// this keeps a few bytes of header from asking for gigabytes.
constexpr std::uint32_t kMaxPictureSide = 16384;
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 25;

// Whether a picture of width × height is within the limits above (and not empty).
constexpr bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

// One level of a picture: rows top-down, `pitch` bytes apart (for DXT formats, rows of 4x4
// blocks), pixels laid out as the device lays out `Picture::format`.
struct PictureLevel {
    UINT width = 0;
    UINT height = 0;
    UINT pitch = 0;
    std::vector<BYTE> bits;
};

// A decoded picture. Its pixels keep the file's own format where the device has one for it
// (R5G6B5, A1R5G5B5, R8G8B8, L8, P8, DXT1..DXT5, ...); other layouts are widened to A8R8G8B8,
// or X8R8G8B8 when the file has no alpha. In memory A8R8G8B8 is B, G, R, A bytes, R8G8B8 is B,
// G, R, and 16-bit formats are little-endian words. P8 pictures carry 256 0xAARRGGBB palette
// entries; others carry none.
struct Picture {
    D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    // Level 0 is the picture itself; DDS files may carry smaller levels after it.
    std::vector<PictureLevel> levels;
    std::vector<D3DCOLOR> palette;

    UINT Width() const { return levels.empty() ? 0 : levels[0].width; }
    UINT Height() const { return levels.empty() ? 0 : levels[0].height; }
};

struct ReadOptions {
    // PNG files that state their gamma (gAMA, sRGB) are corrected for a display gamma of 2.2;
    // off, their samples are kept as stored.
    bool applyGamma = true;
};

// A reader: true and `out` filled when it accepts the bytes, false with `out` untouched when
// not. Readers never read outside [data, data + size).
using PictureReader = bool (*)(const std::uint8_t* data, std::size_t size, const ReadOptions&,
                               Picture& out);

// Tries the readers in the order BMP, PPM, DDS, JPEG, PNG, TGA, device-independent bitmap and
// keeps the first that accepts; false when none does.
bool DecodePicture(const void* data, std::size_t size, Picture& out,
                   const ReadOptions& options = {});

} // namespace picture

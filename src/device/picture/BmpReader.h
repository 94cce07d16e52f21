// The utility layer's BMP reader: Windows bitmaps with any of the info headers (40, 52, 56, 108
// or 124 bytes) and OS/2 bitmaps (12-byte header, or 16 to 64 bytes), 1, 2, 4 and 8 bits per
// pixel through a palette, RLE8 and RLE4, 16 and 32 bits with or without bit fields, 24 bits,
// OS/2 RLE24, and the first bitmap of an OS/2 bitmap array.
#pragma once

#include "device/picture/Picture.h"

namespace picture {

bool ReadBmp(const std::uint8_t* data, std::size_t size, const ReadOptions& options, Picture& out);

// The part shared with the device-independent bitmap reader: the info header at offset `info`,
// then bit-field masks and palette, then the pixels. `pixelOffset` is where the file header puts
// the pixels, or 0 to take them right after the palette. Palette pictures come out as P8; 16- and
// 32-bit pictures whose masks are those of a device format keep it, others become A8R8G8B8
// (X8R8G8B8 without an alpha mask) with channels scaled as round(v · 255 / max); 24 bits are
// R8G8B8. RLE8 and RLE4 pictures are P8 too, pixels that the run codes skip being index 0;
// OS/2 RLE24 pictures are R8G8B8 with skipped pixels black.
bool ReadBitmapBody(const std::uint8_t* data, std::size_t size, std::size_t info,
                    std::uint32_t pixelOffset, D3DXIMAGE_FILEFORMAT fileFormat, Picture& out);

} // namespace picture

// The utility layer's reader for device-independent bitmaps: the info header, masks, palette and
// pixels of a bitmap without the file header in front, read as the BMP reader reads them.
#pragma once

#include "device/picture/Picture.h"

namespace picture {

bool ReadDib(const std::uint8_t* data, std::size_t size, const ReadOptions& options, Picture& out);

} // namespace picture

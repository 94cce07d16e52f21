// The utility layer's TGA reader.
#pragma once

#include "device/picture/Picture.h"

namespace picture {

bool ReadTga(const std::uint8_t* data, std::size_t size, const ReadOptions& options, Picture& out);

} // namespace picture

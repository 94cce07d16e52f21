// The utility layer's PPM (and PGM, PBM) reader.
#pragma once

#include "device/picture/Picture.h"

namespace picture {

bool ReadPpm(const std::uint8_t* data, std::size_t size, const ReadOptions& options, Picture& out);

} // namespace picture

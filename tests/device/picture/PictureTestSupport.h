// Helpers for the picture reader tests: running one reader on bytes, and reading the result back
// as 0xAARRGGBB.
#pragma once

#include "device/picture/Picture.h"
#include "device/picture/PixelCodec.h"

#include <cstdint>
#include <optional>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The picture `read` makes of `bytes`, or nothing when it refuses them.
inline std::optional<picture::Picture> ReadWith(picture::PictureReader read, const Bytes& bytes,
                                                picture::ReadOptions options = {}) {
    picture::Picture picture;
    if (!read(bytes.data(), bytes.size(), options, picture)) {
        return std::nullopt;
    }
    return picture;
}

// Level `level` of the picture as 0xAARRGGBB, rows top-down.
inline std::vector<D3DCOLOR> Argb(const picture::Picture& picture, std::size_t level = 0) {
    return picture::LevelToArgb(picture, level);
}

// Appends a little-endian 16- or 32-bit field.
inline void PutLe16(Bytes& bytes, std::uint32_t v) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutLe32(Bytes& bytes, std::uint32_t v) {
    PutLe16(bytes, v & 0xFFFF);
    PutLe16(bytes, v >> 16);
}

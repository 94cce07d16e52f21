// A decoded picture: a colour picture of 0xAARRGGBB pixels or an alpha mask of one byte a pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Owns its pixel array. Which of the two kinds a buffer holds is fixed by the reader that made
// it; nothing in the record tells them apart.
// - colour picture: width × height pixels of 4 bytes lying blue, green, red, alpha in memory
//   (the value 0xAARRGGBB read little-endian: the layout of D3DFMT_A8R8G8B8);
// - alpha mask: width × height bytes, 0 transparent to 255 opaque.
// Rows are row-major, row 0 is the top row of the picture, with no padding.
struct ImageBuffer {
    std::unique_ptr<std::uint8_t[]> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;

    // Colour pictures: pixel k (row × width + column) as 0xAARRGGBB, and storing it.
    std::uint32_t ColorAt(std::size_t k) const;
    void SetColorAt(std::size_t k, std::uint32_t argb);
};

// The number of bytes of a width × height pixel array of `bytesPerPixel` bytes a pixel; false
// when it does not fit in std::size_t.
bool PixelArrayBytes(std::uint64_t width, std::uint64_t height, std::uint32_t bytesPerPixel,
                     std::size_t& bytes);

// A colour picture of width × height pixels, all 0; null when its pixel array cannot be
// allocated.
std::unique_ptr<ImageBuffer> NewColorImage(std::uint32_t width, std::uint32_t height);

// An alpha mask of width × height bytes, all 0; null when its pixel array cannot be allocated.
std::unique_ptr<ImageBuffer> NewAlphaMask(std::uint32_t width, std::uint32_t height);

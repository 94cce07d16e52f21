// Decoded pictures and their allocation.
#include "image/ImageBuffer.h"

#include <limits>
#include <new>

namespace {

std::unique_ptr<ImageBuffer> NewImage(std::uint32_t width, std::uint32_t height,
                                      std::uint32_t bytesPerPixel) {
    std::size_t bytes = 0;
    if (!PixelArrayBytes(width, height, bytesPerPixel, bytes)) {
        return nullptr;
    }
    std::unique_ptr<ImageBuffer> image(new (std::nothrow) ImageBuffer);
    if (!image) {
        return nullptr;
    }
    // At least one byte, so that an empty picture still has a pixel array.
    image->pixels.reset(new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes]());
    if (!image->pixels) {
        return nullptr;
    }
    image->width = width;
    image->height = height;
    return image;
}

} // namespace

std::uint32_t ImageBuffer::ColorAt(std::size_t k) const {
    const std::uint8_t* p = pixels.get() + k * 4;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void ImageBuffer::SetColorAt(std::size_t k, std::uint32_t argb) {
    std::uint8_t* p = pixels.get() + k * 4;
    p[0] = static_cast<std::uint8_t>(argb);
    p[1] = static_cast<std::uint8_t>(argb >> 8);
    p[2] = static_cast<std::uint8_t>(argb >> 16);
    p[3] = static_cast<std::uint8_t>(argb >> 24);
}

bool PixelArrayBytes(std::uint64_t width, std::uint64_t height, std::uint32_t bytesPerPixel,
                     std::size_t& bytes) {
    constexpr std::uint64_t kMax = std::numeric_limits<std::size_t>::max();
    if (width != 0 && height > kMax / width) {
        return false;
    }
    const std::uint64_t count = width * height;
    if (bytesPerPixel != 0 && count > kMax / bytesPerPixel) {
        return false;
    }
    bytes = static_cast<std::size_t>(count * bytesPerPixel);
    return true;
}

std::unique_ptr<ImageBuffer> NewColorImage(std::uint32_t width, std::uint32_t height) {
    return NewImage(width, height, 4);
}

std::unique_ptr<ImageBuffer> NewAlphaMask(std::uint32_t width, std::uint32_t height) {
    return NewImage(width, height, 1);
}

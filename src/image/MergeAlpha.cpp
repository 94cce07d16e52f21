// Alpha mask merging with nearest-sample resampling.
#include "image/MergeAlpha.h"

#include "image/ImageBuffer.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

// The mask (not empty) resampled to the non-empty size width × height (`bytes` in all), or null
// when it cannot be allocated.
std::unique_ptr<std::uint8_t[]> Resample(const ImageBuffer& mask, std::uint32_t width,
                                         std::uint32_t height, std::size_t bytes) {
    std::unique_ptr<std::uint8_t[]> resampled(new (std::nothrow) std::uint8_t[bytes]);
    if (!resampled) {
        return nullptr;
    }
    const auto xStep = static_cast<float>(static_cast<double>(mask.width) / width);
    const auto yStep = static_cast<float>(static_cast<double>(mask.height) / height);
    const double lastColumn = mask.width - 1;
    const double lastRow = mask.height - 1;
    double y = 0.0;
    for (std::uint32_t i = 0; i < height; ++i) {
        const auto row = static_cast<std::uint32_t>(std::min(y, lastRow));
        double x = 0.0;
        for (std::uint32_t j = 0; j < width; ++j) {
            const auto column = static_cast<std::uint32_t>(std::min(x, lastColumn));
            resampled[std::size_t{i} * width + j] =
                mask.pixels[std::size_t{row} * mask.width + column];
            x += xStep;
        }
        y += yStep;
    }
    return resampled;
}

} // namespace

void MergeAlpha(ImageBuffer* image, ImageBuffer* mask) {
    if (image == nullptr || mask == nullptr || !image->pixels || !mask->pixels) {
        return;
    }
    std::size_t count = 0;
    if (!PixelArrayBytes(image->width, image->height, 1, count)) {
        return;
    }
    if (mask->width != image->width || mask->height != image->height) {
        if (count != 0 && (mask->width == 0 || mask->height == 0)) {
            return;
        }
        std::unique_ptr<std::uint8_t[]> resampled =
            count == 0 ? std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[1]())
                       : Resample(*mask, image->width, image->height, count);
        if (!resampled) {
            return;
        }
        mask->pixels = std::move(resampled);
        mask->width = image->width;
        mask->height = image->height;
    }
    for (std::size_t k = 0; k < count; ++k) {
        image->SetColorAt(k,
                          std::uint32_t{mask->pixels[k]} << 24 | (image->ColorAt(k) & 0x00FFFFFF));
    }
}

// JPEG pictures.
#include "image/JpegReader.h"

#include "image/JpegLibrary.h"

#include <new>

std::unique_ptr<ImageBuffer> LoadJpg(const char* fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    JpegProperties properties{};
    if (JpegInit(&properties) != kJpegOk) {
        return nullptr;
    }
    properties.fileName = fileName;
    if (JpegRead(&properties, kJpegReadParameters) != kJpegOk || properties.channels != 3 ||
        properties.width <= 0 || properties.height <= 0) {
        JpegRelease(&properties);
        return nullptr;
    }
    const auto width = static_cast<std::uint32_t>(properties.width);
    const auto height = static_cast<std::uint32_t>(properties.height);
    std::size_t workBytes = 0;
    if (std::uint64_t{width} * height > kMaxJpegPixels ||
        !PixelArrayBytes(width, height, 3, workBytes)) {
        JpegRelease(&properties);
        return nullptr;
    }
    std::unique_ptr<ImageBuffer> image = NewColorImage(width, height);
    const std::unique_ptr<std::uint8_t[]> work(new (std::nothrow) std::uint8_t[workBytes]);
    if (!image || !work) {
        JpegRelease(&properties);
        return nullptr;
    }

    properties.outputPixels = work.get();
    properties.outputWidth = properties.width;
    properties.outputHeight = properties.height;
    properties.outputPadding = 0;
    properties.outputChannels = 3;
    properties.outputColor = kJpegColorRgb;
    properties.color = kJpegColorYcbcr;
    const int status = JpegRead(&properties, kJpegReadImage);
    JpegRelease(&properties);
    if (status != kJpegOk) {
        return nullptr;
    }

    const std::size_t count = std::size_t{width} * height;
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* p = work.get() + k * 3;
        image->SetColorAt(k, std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2]);
    }
    return image;
}

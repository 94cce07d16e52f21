// Fuzz target: the JPEG reader and its decoding layer.
#include "FuzzInput.h"

#include "image/JpegReader.h"

int FuzzLoadJpg(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    if (path == nullptr) {
        return 0;
    }
    const std::unique_ptr<ImageBuffer> image = LoadJpg(path);
    TouchPixels(image.get(), 4);
    FuzzCheck(!image || std::uint64_t{image->width} * image->height <= kMaxJpegPixels);
    return 0;
}

// Fuzz target: the BMP picture reader.
#include "FuzzInput.h"

#include "image/BmpReader.h"

int FuzzLoadBmp(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    if (path == nullptr) {
        return 0;
    }
    const std::unique_ptr<ImageBuffer> image = LoadBmp(path);
    TouchPixels(image.get(), 4);
    // The smallest pixels a file can describe are 1 bit each.
    FuzzCheck(!image || std::uint64_t{image->width} * image->height <= std::uint64_t{size} * 8);
    return 0;
}

// Fuzz target: the TGA reader.
#include "FuzzInput.h"

#include "image/TgaReader.h"

int FuzzLoadTga(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    if (path == nullptr) {
        return 0;
    }
    const std::unique_ptr<ImageBuffer> image = LoadTga(path);
    TouchPixels(image.get(), 4);
    // Every pixel takes at least 2 bytes of the file after its 18-byte header.
    FuzzCheck(!image || std::uint64_t{image->width} * image->height * 2 + 18 <= size);
    return 0;
}

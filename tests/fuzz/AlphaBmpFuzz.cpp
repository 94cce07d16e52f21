// Fuzz target: the alpha-mask reader, and merging what it reads into pictures of other sizes.
#include "FuzzInput.h"

#include "image/BmpReader.h"
#include "image/MergeAlpha.h"

#include <algorithm>
#include <memory>

int FuzzLoadAlphaBmp(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    if (path == nullptr) {
        return 0;
    }
    const std::unique_ptr<ImageBuffer> mask = LoadAlphaBmp(path);
    TouchPixels(mask.get(), 1);
    if (!mask) {
        return 0;
    }
    FuzzCheck(std::uint64_t{mask->width} * mask->height <= std::uint64_t{size});
    // Larger, smaller and equal sizes take the resampling path and the direct one.
    const std::uint32_t sizes[][2] = {{7, 3}, {1, 1}, {mask->width, mask->height}};
    for (const auto& pictureSize : sizes) {
        if (std::uint64_t{pictureSize[0]} * pictureSize[1] > 4096) {
            continue;
        }
        const std::unique_ptr<ImageBuffer> picture = NewColorImage(pictureSize[0], pictureSize[1]);
        ImageBuffer copy;
        const std::size_t bytes = std::size_t{mask->width} * mask->height;
        copy.pixels.reset(new std::uint8_t[bytes == 0 ? 1 : bytes]());
        std::copy(mask->pixels.get(), mask->pixels.get() + bytes, copy.pixels.get());
        copy.width = mask->width;
        copy.height = mask->height;
        MergeAlpha(picture.get(), &copy);
        TouchPixels(picture.get(), 4);
        const bool emptyMask = bytes == 0 && pictureSize[0] * pictureSize[1] != 0;
        FuzzCheck(emptyMask || (copy.width == pictureSize[0] && copy.height == pictureSize[1]));
        TouchPixels(&copy, 1);
    }
    return 0;
}

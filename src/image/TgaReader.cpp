// TGA pictures.
#include "image/TgaReader.h"

#include "image/ByteReader.h"
#include "platform/FileSystem.h"

#include <optional>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::uint8_t kUncompressedTrueColor = 2;

// 0RRRRRGGGGGBBBBB to 0x00RRGGBB with each 5-bit field in the top bits of its byte.
std::uint32_t Expand555(std::uint16_t value) {
    return (((((value & 0x7C00u) << 3) | (value & 0x3E0u)) << 3) | (value & 0x1Fu)) << 3;
}

} // namespace

std::unique_ptr<ImageBuffer> LoadTga(const char* fileName) {
    if (fileName == nullptr) {
        return nullptr;
    }
    const std::optional<std::vector<std::uint8_t>> file = ReadWholeFile(fileName);
    if (!file || file->size() < kHeaderSize) {
        return nullptr;
    }
    ByteReader reader(*file);
    reader.Skip(2); // identification length, colour-map type
    const std::uint8_t imageType = reader.U8();
    reader.Skip(5 + 4); // colour-map fields, x and y origin
    const std::uint16_t width = reader.U16();
    const std::uint16_t height = reader.U16();
    const std::uint8_t depth = reader.U8();
    reader.Skip(1); // descriptor
    if (imageType != kUncompressedTrueColor) {
        return nullptr;
    }
    std::uint32_t bytesPerPixel = 0;
    if (depth == 15 || depth == 16) {
        bytesPerPixel = 2;
    } else if (depth == 32) {
        bytesPerPixel = 4;
    } else {
        return nullptr;
    }
    std::size_t dataBytes = 0;
    if (!PixelArrayBytes(width, height, bytesPerPixel, dataBytes) ||
        dataBytes > reader.Remaining()) {
        return nullptr;
    }
    std::unique_ptr<ImageBuffer> image = NewColorImage(width, height);
    if (!image) {
        return nullptr;
    }
    for (std::uint32_t r = height; r-- > 0;) {
        const std::size_t rowStart = std::size_t{r} * width;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = bytesPerPixel == 2 ? Expand555(reader.U16()) : reader.U32();
            image->SetColorAt(rowStart + x, pixel);
        }
    }
    return image;
}

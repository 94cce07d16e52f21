// BMP pictures and alpha masks.
#include "image/BmpReader.h"

#include "image/ByteReader.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 54;
constexpr std::uint16_t kSignature = 0x4D42; // "BM"

// The fields of the file and information headers that the readers use.
struct BmpHeader {
    std::uint32_t dataOffset = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitsPerPixel = 0;
};

// The header at the start of the file, or nothing when the file is shorter than the header, the
// signature is not "BM", the pixels are compressed, there is more than one plane, or the width or
// height is negative.
std::optional<BmpHeader> ReadHeader(ByteReader& reader) {
    if (reader.Remaining() < kHeaderSize) {
        return std::nullopt;
    }
    BmpHeader header;
    const std::uint16_t signature = reader.U16();
    reader.Skip(4 + 4); // file size, reserved
    header.dataOffset = reader.U32();
    reader.Skip(4); // information header size: the palette is always at offset 54
    header.width = reader.I32();
    header.height = reader.I32();
    const std::uint16_t planes = reader.U16();
    header.bitsPerPixel = reader.U16();
    const std::uint32_t compression = reader.U32();
    reader.Skip(20); // image size, resolutions, colours used and important
    if (signature != kSignature || compression != 0 || planes > 1 || header.width < 0 ||
        header.height < 0) {
        return std::nullopt;
    }
    return header;
}

// Bytes of one stored row: bitsPerPixel × width bits padded to a multiple of 4 bytes.
std::uint64_t RowBytes(std::uint32_t bitsPerPixel, std::uint32_t width) {
    return (std::uint64_t{bitsPerPixel} * width + 31) / 32 * 4;
}

// Whether the file holds `height` rows of `rowBytes` from the pixel data offset on.
bool HoldsRows(const ByteReader& reader, const BmpHeader& header, std::uint64_t rowBytes) {
    if (header.dataOffset > reader.Size()) {
        return false;
    }
    // rowBytes < 2^33 and height < 2^31, so the product cannot overflow.
    return rowBytes * static_cast<std::uint32_t>(header.height) <=
           reader.Size() - header.dataOffset;
}

std::optional<std::vector<std::uint8_t>> ReadFile(const char* fileName) {
    if (fileName == nullptr) {
        return std::nullopt;
    }
    return ReadWholeFile(fileName);
}

void DecodeRow(std::span<const std::uint8_t> row, std::uint32_t bitsPerPixel,
               const std::array<std::uint32_t, 256>& palette, ImageBuffer& image,
               std::size_t firstPixel) {
    const std::uint32_t width = image.width;
    for (std::uint32_t x = 0; x < width; ++x) {
        std::uint32_t pixel = 0;
        switch (bitsPerPixel) {
        case 1:
            pixel = palette[(row[x / 8] >> (7 - x % 8)) & 1];
            break;
        case 4:
            pixel = palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0F];
            break;
        case 8:
            pixel = palette[row[x]];
            break;
        default: { // 24
            const std::uint8_t* p = &row[std::size_t{x} * 3];
            pixel = std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
            break;
        }
        }
        image.SetColorAt(firstPixel + x, pixel);
    }
}

} // namespace

std::unique_ptr<ImageBuffer> LoadBmp(const char* fileName) {
    const std::optional<std::vector<std::uint8_t>> file = ReadFile(fileName);
    if (!file) {
        return nullptr;
    }
    ByteReader reader(*file);
    const std::optional<BmpHeader> header = ReadHeader(reader);
    if (!header) {
        return nullptr;
    }
    const std::uint32_t bits = header->bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) {
        return nullptr;
    }
    const auto width = static_cast<std::uint32_t>(header->width);
    const auto height = static_cast<std::uint32_t>(header->height);
    const std::uint64_t rowBytes = RowBytes(bits, width);
    if (!HoldsRows(reader, *header, rowBytes)) {
        return nullptr;
    }
    std::unique_ptr<ImageBuffer> image = NewColorImage(width, height);
    if (!image) {
        return nullptr;
    }
    std::array<std::uint32_t, 256> palette{};
    if (bits != 24) {
        reader.Seek(kHeaderSize);
        for (std::uint32_t i = 0; i < (1u << bits); ++i) {
            palette[i] = reader.U32();
        }
    }
    if (rowBytes == 0) {
        return image;
    }
    reader.Seek(header->dataOffset);
    for (std::uint32_t r = height; r-- > 0;) {
        std::span<const std::uint8_t> row;
        if (!reader.Take(static_cast<std::size_t>(rowBytes), row)) {
            return nullptr;
        }
        DecodeRow(row, bits, palette, *image, std::size_t{r} * width);
    }
    return image;
}

std::unique_ptr<ImageBuffer> LoadAlphaBmp(const char* fileName) {
    const std::optional<std::vector<std::uint8_t>> file = ReadFile(fileName);
    if (!file) {
        return nullptr;
    }
    ByteReader reader(*file);
    const std::optional<BmpHeader> header = ReadHeader(reader);
    if (!header || header->bitsPerPixel != 8) {
        return nullptr;
    }
    const auto width = static_cast<std::uint32_t>(header->width);
    const auto height = static_cast<std::uint32_t>(header->height);
    const std::uint64_t rowBytes = RowBytes(8, width);
    if (!HoldsRows(reader, *header, rowBytes)) {
        return nullptr;
    }
    std::unique_ptr<ImageBuffer> mask = NewAlphaMask(width, height);
    if (!mask) {
        return nullptr;
    }
    if (rowBytes == 0) {
        return mask;
    }
    reader.Seek(header->dataOffset);
    for (std::uint32_t r = height; r-- > 0;) {
        std::span<const std::uint8_t> row;
        if (!reader.Take(static_cast<std::size_t>(rowBytes), row)) {
            return nullptr;
        }
        std::copy(row.begin(), row.begin() + width, mask->pixels.get() + std::size_t{r} * width);
    }
    return mask;
}

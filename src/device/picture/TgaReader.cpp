// The utility layer's TGA reader.
#include "device/picture/TgaReader.h"

#include <algorithm>

#include "device/picture/ByteReader.h"
#include "device/picture/PixelCodec.h"

namespace picture {

namespace {

constexpr std::uint8_t kColourMapped = 1;
constexpr std::uint8_t kTrueColour = 2;
constexpr std::uint8_t kGrey = 3;
constexpr std::uint8_t kRunLength = 8; // added to the three types above

constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopDown = 0x20;

// A colour-map entry of 15, 16, 24 or 32 bits as 0xAARRGGBB; 32-bit entries keep their alpha
// when the descriptor counts alpha bits, the others are opaque.
D3DCOLOR MapEntry(const std::uint8_t* e, std::uint32_t bits, bool alpha) {
    if (bits <= 16) {
        const DWORD v = e[0] | (e[1] << 8);
        return 0xFF000000u | (ExpandChannel((v >> 10) & 31, 5) << 16) |
               (ExpandChannel((v >> 5) & 31, 5) << 8) | ExpandChannel(v & 31, 5);
    }
    const DWORD a = bits == 32 && alpha ? e[3] : 255;
    return (a << 24) | (static_cast<DWORD>(e[2]) << 16) | (e[1] << 8) | e[0];
}

} // namespace

bool ReadTga(const std::uint8_t* data, std::size_t size, const ReadOptions&, Picture& out) {
    ByteReader r(data, size);
    const std::uint8_t idLength = r.U8();
    const std::uint8_t mapType = r.U8();
    const std::uint8_t imageType = r.U8();
    const std::uint16_t mapFirst = r.U16le();
    const std::uint16_t mapLength = r.U16le();
    const std::uint8_t mapEntryBits = r.U8();
    r.Skip(4); // origin on the screen
    const std::uint16_t width = r.U16le();
    const std::uint16_t height = r.U16le();
    const std::uint8_t depth = r.U8();
    const std::uint8_t descriptor = r.U8();
    if (!r.Ok()) {
        return false;
    }
    const bool rle = (imageType & kRunLength) != 0;
    const std::uint8_t base = imageType & ~kRunLength;
    const std::uint32_t alphaBits = descriptor & 0x0F;
    if (mapType > 1 || (imageType & ~(kRunLength | 3)) != 0 || base == 0 ||
        (descriptor & 0xC0) != 0 || !PictureSizeAllowed(width, height)) {
        return false;
    }
    const bool mapped = base == kColourMapped;
    if (mapped && (mapType != 1 || depth != 8)) {
        return false;
    }
    if (base == kTrueColour && depth != 15 && depth != 16 && depth != 24 && depth != 32) {
        return false;
    }
    if (base == kGrey && depth != 8 && depth != 16) {
        return false;
    }
    if (mapType == 1 && mapEntryBits != 15 && mapEntryBits != 16 && mapEntryBits != 24 &&
        mapEntryBits != 32) {
        return false;
    }

    r.Skip(idLength);
    Picture picture;
    picture.fileFormat = D3DXIFF_TGA;
    if (mapType == 1) {
        const std::uint32_t entryBytes = (mapEntryBits + 7) / 8;
        const std::uint8_t* map = r.Bytes(std::uint64_t{mapLength} * entryBytes);
        if (!map) {
            return false;
        }
        if (mapped) {
            picture.palette.assign(256, 0xFF000000u);
            for (std::uint32_t i = 0; i < mapLength && mapFirst + i < 256; ++i) {
                picture.palette[mapFirst + i] =
                    MapEntry(map + i * entryBytes, mapEntryBits, alphaBits > 0);
            }
        }
    }
    if (!r.Ok()) {
        return false;
    }

    const std::uint32_t pixelBytes = (depth + 7) / 8;
    switch (base) {
    case kColourMapped:
        picture.format = D3DFMT_P8;
        break;
    case kGrey:
        picture.format = depth == 8 ? D3DFMT_L8 : D3DFMT_A8L8;
        break;
    default:
        picture.format = depth == 24   ? D3DFMT_R8G8B8
                         : depth == 32 ? (alphaBits ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8)
                         : (depth == 16 && alphaBits) ? D3DFMT_A1R5G5B5
                                                      : D3DFMT_X1R5G5B5;
        break;
    }

    // The pixels as stored, one stream: run-length packets may run across row ends. A packet
    // of at most 128 pixels needs at least 1 + pixelBytes bytes, so a file too short to hold
    // the picture is refused before anything is allocated.
    const std::size_t count = std::size_t{width} * height;
    const std::uint64_t needed =
        rle ? (count + 127) / 128 * (1 + std::uint64_t{pixelBytes}) : count * pixelBytes;
    if (needed > r.Remaining()) {
        return false;
    }
    std::vector<BYTE> stored(count * pixelBytes);
    if (!rle) {
        const std::uint8_t* p = r.Bytes(stored.size());
        std::copy(p, p + stored.size(), stored.begin());
    } else {
        std::size_t done = 0;
        while (done < count) {
            const std::uint8_t header = r.U8();
            const std::size_t n = std::min<std::size_t>((header & 0x7F) + 1, count - done);
            if (header & 0x80) {
                const std::uint8_t* p = r.Bytes(pixelBytes);
                if (!p) {
                    return false;
                }
                for (std::size_t i = 0; i < n; ++i) {
                    std::copy(p, p + pixelBytes, stored.begin() + (done + i) * pixelBytes);
                }
            } else {
                const std::uint8_t* p = r.Bytes(((header & 0x7F) + 1) * pixelBytes);
                if (!p) {
                    return false;
                }
                std::copy(p, p + n * pixelBytes, stored.begin() + done * pixelBytes);
            }
            done += n;
        }
    }

    // Rows top-down and left to right, whatever the file's origin.
    PictureLevel level;
    level.width = width;
    level.height = height;
    level.pitch = width * pixelBytes;
    level.bits.resize(stored.size());
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t sourceRow = (descriptor & kTopDown) ? y : height - 1 - y;
        const BYTE* src = stored.data() + std::size_t{sourceRow} * level.pitch;
        BYTE* dst = level.bits.data() + std::size_t{y} * level.pitch;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t sourceX = (descriptor & kRightToLeft) ? width - 1 - x : x;
            std::copy(src + sourceX * pixelBytes, src + (sourceX + 1) * pixelBytes,
                      dst + x * pixelBytes);
        }
    }
    picture.levels.push_back(std::move(level));
    out = std::move(picture);
    return true;
}

} // namespace picture

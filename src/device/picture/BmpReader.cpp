// The utility layer's BMP reader.
#include "device/picture/BmpReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "device/picture/ByteReader.h"
#include "device/picture/PixelCodec.h"

namespace picture {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kOs2Rle24 = 4;
constexpr std::uint32_t kAlphaBitFields = 6;

struct Masks {
    DWORD red = 0;
    DWORD green = 0;
    DWORD blue = 0;
    DWORD alpha = 0;
};

// What the info header says, checked for sense.
struct BitmapInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t coloursUsed = 0;
    std::uint32_t paletteEntryBytes = 4;
    Masks masks;
    // Offset of the palette: after the header and any masks that follow it.
    std::size_t paletteStart = 0;
};

bool IsWindowsHeaderSize(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// A mask must be one run of set bits (or empty).
bool IsContiguous(DWORD mask) {
    if (mask == 0) {
        return true;
    }
    const DWORD shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

bool ReadInfo(const std::uint8_t* data, std::size_t size, std::size_t info, BitmapInfo& out) {
    ByteReader r(data, size);
    if (!r.Seek(info)) {
        return false;
    }
    const std::uint32_t headerSize = r.U32le();
    const bool windows = IsWindowsHeaderSize(headerSize);
    const bool os2v1 = headerSize == 12;
    const bool os2v2 = !windows && headerSize >= 16 && headerSize <= 64;
    if (!windows && !os2v1 && !os2v2) {
        return false;
    }
    const std::uint8_t* header = r.Bytes(headerSize - 4);
    if (!header) {
        return false;
    }
    // Fields past the end of a short OS/2 header read as zero.
    auto field = [&](std::size_t offset, std::size_t bytes) -> std::uint32_t {
        if (offset + bytes > headerSize) {
            return 0;
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            v |= static_cast<std::uint32_t>(header[offset - 4 + i]) << (8 * i);
        }
        return v;
    };

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    if (os2v1) {
        width = field(4, 2);
        height = field(6, 2);
        planes = field(8, 2);
        out.bitsPerPixel = field(10, 2);
        out.paletteEntryBytes = 3;
    } else {
        width = static_cast<std::int32_t>(field(4, 4));
        height = static_cast<std::int32_t>(field(8, 4));
        planes = field(12, 2);
        out.bitsPerPixel = field(14, 2);
        out.compression = field(16, 4);
        out.coloursUsed = field(32, 4);
    }
    if (planes != 1 || width <= 0 || height == 0) {
        return false;
    }
    out.topDown = height < 0;
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
    if (!PictureSizeAllowed(out.width, out.height)) {
        return false;
    }

    const std::uint32_t bpp = out.bitsPerPixel;
    std::size_t maskBytes = 0;
    switch (out.compression) {
    case kRgb:
        if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) {
            return false;
        }
        if (bpp == 16) {
            out.masks = {0x7C00, 0x03E0, 0x001F, 0};
        } else if (bpp == 32) {
            out.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
        }
        break;
    case kRle8:
    case kRle4:
        if (bpp != (out.compression == kRle8 ? 8u : 4u) || out.topDown) {
            return false;
        }
        break;
    case kBitFields:
    case kAlphaBitFields:
        // For OS/2 headers code 3 is fax Huffman coding, which is not read.
        if (!windows || (bpp != 16 && bpp != 32)) {
            return false;
        }
        if (headerSize >= 52) {
            out.masks = {field(40, 4), field(44, 4), field(48, 4), 0};
            if (headerSize >= 56) {
                out.masks.alpha = field(52, 4);
            }
        } else {
            maskBytes = out.compression == kBitFields ? 12 : 16;
            ByteReader m(data, size);
            m.Seek(info + headerSize);
            out.masks.red = m.U32le();
            out.masks.green = m.U32le();
            out.masks.blue = m.U32le();
            if (maskBytes == 16) {
                out.masks.alpha = m.U32le();
            }
            if (!m.Ok()) {
                return false;
            }
        }
        break;
    case kOs2Rle24:
        if (!os2v2 || bpp != 24 || out.topDown) {
            return false;
        }
        break;
    default:
        return false;
    }
    const Masks& mk = out.masks;
    if (bpp == 16 || bpp == 32) {
        const DWORD limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (DWORD mask : {mk.red, mk.green, mk.blue, mk.alpha}) {
            if (!IsContiguous(mask) || (mask & ~limit) != 0) {
                return false;
            }
        }
        if ((mk.red & mk.green) || (mk.red & mk.blue) || (mk.green & mk.blue) ||
            ((mk.red | mk.green | mk.blue) & mk.alpha)) {
            return false;
        }
    }
    out.paletteStart = info + headerSize + maskBytes;
    return true;
}

struct NativeMasks {
    D3DFORMAT format;
    std::uint32_t bitsPerPixel;
    Masks masks;
};

constexpr std::array<NativeMasks, 7> kNative = {{
    {D3DFMT_X1R5G5B5, 16, {0x7C00, 0x03E0, 0x001F, 0}},
    {D3DFMT_A1R5G5B5, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}},
    {D3DFMT_R5G6B5, 16, {0xF800, 0x07E0, 0x001F, 0}},
    {D3DFMT_A4R4G4B4, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}},
    {D3DFMT_X4R4G4B4, 16, {0x0F00, 0x00F0, 0x000F, 0}},
    {D3DFMT_X8R8G8B8, 32, {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0}},
    {D3DFMT_A8R8G8B8, 32, {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}},
}};

void PutArgb(BYTE* p, DWORD argb) {
    p[0] = static_cast<BYTE>(argb);
    p[1] = static_cast<BYTE>(argb >> 8);
    p[2] = static_cast<BYTE>(argb >> 16);
    p[3] = static_cast<BYTE>(argb >> 24);
}

// Decodes run-length coded pixels onto a level that starts zeroed: RLE8 and RLE4 write palette
// indices (one byte per pixel), OS/2 RLE24 writes B, G, R bytes. Pixels the codes skip stay
// index 0 (black for RLE24). Codes that would write outside the picture reject it, as does data
// that ends before the last row is complete.
bool DecodeRle(ByteReader& r, const BitmapInfo& bi, PictureLevel& level) {
    const std::uint32_t w = bi.width;
    const std::uint32_t h = bi.height;
    const bool rgb = bi.compression == kOs2Rle24;
    const std::uint32_t pixelBytes = rgb ? 3 : 1;
    std::uint32_t x = 0;
    std::uint32_t row = 0; // counted from the bottom
    auto at = [&]() {
        return level.bits.data() + std::size_t{h - 1 - row} * level.pitch +
               std::size_t{x} * pixelBytes;
    };
    for (;;) {
        if (!r.Has(2)) {
            return row >= h || (row == h - 1 && x == w);
        }
        const std::uint32_t count = r.U8();
        const std::uint32_t value = r.U8();
        if (count > 0) {
            if (row >= h || x + count > w) {
                return false;
            }
            if (rgb) {
                const BYTE b = static_cast<BYTE>(value);
                const BYTE g = r.U8();
                const BYTE red = r.U8();
                if (!r.Ok()) {
                    return false;
                }
                for (std::uint32_t i = 0; i < count; ++i, ++x) {
                    BYTE* p = at();
                    p[0] = b;
                    p[1] = g;
                    p[2] = red;
                }
            } else {
                for (std::uint32_t i = 0; i < count; ++i, ++x) {
                    const std::uint32_t index =
                        bi.compression == kRle4 ? (i % 2 == 0 ? value >> 4 : value & 15) : value;
                    *at() = static_cast<BYTE>(index);
                }
            }
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            x += r.U8();
            row += r.U8();
            if (!r.Ok() || x > w || row > h) {
                return false;
            }
        } else {
            const std::uint32_t n = value;
            if (row >= h || x + n > w) {
                return false;
            }
            const std::size_t bytes = bi.compression == kRle4 ? (n + 1) / 2 : n * pixelBytes;
            const std::uint8_t* p = r.Bytes(bytes + bytes % 2);
            if (!p) {
                return false;
            }
            for (std::uint32_t i = 0; i < n; ++i, ++x) {
                if (rgb) {
                    std::memcpy(at(), p + 3 * i, 3);
                } else if (bi.compression == kRle4) {
                    *at() = static_cast<BYTE>(i % 2 == 0 ? p[i / 2] >> 4 : p[i / 2] & 15);
                } else {
                    *at() = p[i];
                }
            }
        }
    }
}

} // namespace

bool ReadBitmapBody(const std::uint8_t* data, std::size_t size, std::size_t info,
                    std::uint32_t pixelOffset, D3DXIMAGE_FILEFORMAT fileFormat, Picture& out) {
    BitmapInfo bi;
    if (!ReadInfo(data, size, info, bi)) {
        return false;
    }
    const std::uint32_t bpp = bi.bitsPerPixel;
    const bool paletted = bpp <= 8;

    // Palette: the header's count (all 2^bpp entries when it says 0), shortened to what fits
    // before the pixels when the file header places them; a count the file cannot hold rejects.
    std::uint64_t entries = bi.coloursUsed != 0 ? bi.coloursUsed : paletted ? 1u << bpp : 0;
    if (entries * bi.paletteEntryBytes > size) {
        return false;
    }
    if (pixelOffset != 0 && paletted && pixelOffset >= bi.paletteStart) {
        entries = std::min<std::uint64_t>(entries,
                                          (pixelOffset - bi.paletteStart) / bi.paletteEntryBytes);
    }
    std::vector<D3DCOLOR> palette(256, 0xFF000000u);
    ByteReader r(data, size);
    if (!r.Seek(bi.paletteStart)) {
        return false;
    }
    for (std::uint64_t i = 0; i < entries; ++i) {
        const std::uint8_t* e = r.Bytes(bi.paletteEntryBytes);
        if (!e) {
            return false;
        }
        if (i < 256) {
            palette[i] = 0xFF000000u | (static_cast<D3DCOLOR>(e[2]) << 16) | (e[1] << 8) | e[0];
        }
    }
    if (pixelOffset != 0 && !r.Seek(pixelOffset)) {
        return false;
    }

    Picture picture;
    picture.fileFormat = fileFormat;
    PictureLevel level;
    level.width = bi.width;
    level.height = bi.height;

    if (bi.compression == kRle8 || bi.compression == kRle4 || bi.compression == kOs2Rle24) {
        const bool rgb = bi.compression == kOs2Rle24;
        picture.format = rgb ? D3DFMT_R8G8B8 : D3DFMT_P8;
        if (!rgb) {
            picture.palette = std::move(palette);
        }
        level.pitch = bi.width * (rgb ? 3 : 1);
        level.bits.assign(std::size_t{level.pitch} * bi.height, 0);
        if (!DecodeRle(r, bi, level)) {
            return false;
        }
        picture.levels.push_back(std::move(level));
        out = std::move(picture);
        return true;
    }

    const std::uint64_t stride = (std::uint64_t{bi.width} * bpp + 31) / 32 * 4;
    const std::uint64_t lastRow = (std::uint64_t{bi.width} * bpp + 7) / 8;
    if ((bi.height - 1) * stride + lastRow > r.Remaining()) {
        return false;
    }
    const std::uint8_t* pixels = r.Bytes(0);
    auto sourceRow = [&](std::uint32_t y) {
        const std::uint32_t stored = bi.topDown ? y : bi.height - 1 - y;
        return pixels + stored * stride;
    };

    if (paletted) {
        picture.format = D3DFMT_P8;
        picture.palette = std::move(palette);
        level.pitch = bi.width;
        level.bits.resize(std::size_t{level.pitch} * bi.height);
        const std::uint32_t mask = (1u << bpp) - 1;
        for (std::uint32_t y = 0; y < bi.height; ++y) {
            const std::uint8_t* src = sourceRow(y);
            BYTE* dst = level.bits.data() + std::size_t{y} * level.pitch;
            for (std::uint32_t x = 0; x < bi.width; ++x) {
                const std::uint64_t bit = std::uint64_t{x} * bpp;
                const std::uint32_t shift = 8 - bpp - static_cast<std::uint32_t>(bit % 8);
                dst[x] = static_cast<BYTE>((src[bit / 8] >> shift) & mask);
            }
        }
    } else if (bpp == 24) {
        picture.format = D3DFMT_R8G8B8;
        level.pitch = bi.width * 3;
        level.bits.resize(std::size_t{level.pitch} * bi.height);
        for (std::uint32_t y = 0; y < bi.height; ++y) {
            std::memcpy(level.bits.data() + std::size_t{y} * level.pitch, sourceRow(y),
                        level.pitch);
        }
    } else {
        const Masks& m = bi.masks;
        const NativeMasks* native = nullptr;
        for (const NativeMasks& n : kNative) {
            if (n.bitsPerPixel == bpp && n.masks.red == m.red && n.masks.green == m.green &&
                n.masks.blue == m.blue && n.masks.alpha == m.alpha) {
                native = &n;
            }
        }
        const std::uint32_t bytes = bpp / 8;
        if (native) {
            picture.format = native->format;
            level.pitch = bi.width * bytes;
            level.bits.resize(std::size_t{level.pitch} * bi.height);
            for (std::uint32_t y = 0; y < bi.height; ++y) {
                std::memcpy(level.bits.data() + std::size_t{y} * level.pitch, sourceRow(y),
                            level.pitch);
            }
        } else {
            picture.format = m.alpha != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
            level.pitch = bi.width * 4;
            level.bits.resize(std::size_t{level.pitch} * bi.height);
            for (std::uint32_t y = 0; y < bi.height; ++y) {
                const std::uint8_t* src = sourceRow(y);
                BYTE* dst = level.bits.data() + std::size_t{y} * level.pitch;
                for (std::uint32_t x = 0; x < bi.width; ++x, src += bytes) {
                    DWORD v = 0;
                    for (std::uint32_t i = 0; i < bytes; ++i) {
                        v |= static_cast<DWORD>(src[i]) << (8 * i);
                    }
                    PutArgb(dst + std::size_t{x} * 4, (ScaleChannel(v, m.alpha, 255) << 24) |
                                                          (ScaleChannel(v, m.red, 0) << 16) |
                                                          (ScaleChannel(v, m.green, 0) << 8) |
                                                          ScaleChannel(v, m.blue, 0));
                }
            }
        }
    }
    picture.levels.push_back(std::move(level));
    out = std::move(picture);
    return true;
}

bool ReadBmp(const std::uint8_t* data, std::size_t size, const ReadOptions&, Picture& out) {
    ByteReader r(data, size);
    const std::uint8_t* magic = r.Bytes(2);
    if (!magic) {
        return false;
    }
    std::size_t fileHeader = 0;
    if (magic[0] == 'B' && magic[1] == 'A') {
        // An OS/2 bitmap array: its 14-byte entry header, then the first bitmap's file header,
        // whose offsets count from the start of the whole file.
        fileHeader = 14;
        r.Seek(fileHeader);
        magic = r.Bytes(2);
        if (!magic) {
            return false;
        }
    }
    if (magic[0] != 'B' || magic[1] != 'M') {
        return false;
    }
    r.Skip(8); // file size and two reserved words, which writers fill unreliably
    const std::uint32_t pixelOffset = r.U32le();
    if (!r.Ok()) {
        return false;
    }
    return ReadBitmapBody(data, size, fileHeader + 14, pixelOffset, D3DXIFF_BMP, out);
}

} // namespace picture

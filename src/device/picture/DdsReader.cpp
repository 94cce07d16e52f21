// The utility layer's DDS reader.
#include "device/picture/DdsReader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "device/picture/ByteReader.h"
#include "device/picture/PixelCodec.h"

namespace picture {

namespace {

constexpr DWORD kMipMapCountFlag = 0x00020000;
constexpr DWORD kDepthFlag = 0x00800000;
constexpr DWORD kCubeMap = 0x00000200;
constexpr DWORD kVolume = 0x00200000;

constexpr DWORD kAlphaPixels = 0x00000001;
constexpr DWORD kAlphaOnly = 0x00000002;
constexpr DWORD kFourCc = 0x00000004;
constexpr DWORD kRgbFlag = 0x00000040;
constexpr DWORD kLuminance = 0x00020000;

struct PixelFormat {
    DWORD flags;
    DWORD fourCc;
    DWORD bitCount;
    DWORD red;
    DWORD green;
    DWORD blue;
    DWORD alpha;
};

bool ValidMask(DWORD mask, DWORD bitCount) {
    if (mask == 0) {
        return true;
    }
    const DWORD shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0 && (bitCount >= 32 || (mask >> bitCount) == 0);
}

// The device format whose layout the file's pixel format describes, or D3DFMT_UNKNOWN.
D3DFORMAT NativeFormat(const PixelFormat& pf) {
    if (pf.flags & kFourCc) {
        for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}) {
            if (pf.fourCc == static_cast<DWORD>(f)) {
                return f;
            }
        }
        return D3DFMT_UNKNOWN;
    }
    const DWORD alpha = (pf.flags & (kAlphaPixels | kAlphaOnly)) ? pf.alpha : 0;
    PixelLayout::Kind kind = PixelLayout::Rgb;
    DWORD red = pf.red, green = pf.green, blue = pf.blue;
    if (pf.flags & kLuminance) {
        kind = PixelLayout::Luminance;
        green = blue = 0;
    } else if (pf.flags & kAlphaOnly && !(pf.flags & kRgbFlag)) {
        red = green = blue = 0;
    } else if (!(pf.flags & kRgbFlag)) {
        return D3DFMT_UNKNOWN;
    }
    for (D3DFORMAT f :
         {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
          D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8R3G3B2,
          D3DFMT_A8, D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A4L4, D3DFMT_A2B10G10R10}) {
        const PixelLayout* l = FindPixelLayout(f);
        if (l->kind == kind && l->bitsPerPixel == pf.bitCount && l->redMask == red &&
            l->greenMask == green && l->blueMask == blue && l->alphaMask == alpha) {
            return f;
        }
    }
    return D3DFMT_UNKNOWN;
}

} // namespace

bool ReadDds(const std::uint8_t* data, std::size_t size, const ReadOptions&, Picture& out) {
    ByteReader r(data, size);
    const std::uint8_t* magic = r.Bytes(4);
    if (!magic || std::memcmp(magic, "DDS ", 4) != 0) {
        return false;
    }
    const DWORD headerSize = r.U32le();
    const DWORD flags = r.U32le();
    const DWORD height = r.U32le();
    const DWORD width = r.U32le();
    r.Skip(8); // pitch or linear size (recomputed from the format), depth
    const DWORD mipMapCount = r.U32le();
    r.Skip(44 + 4); // reserved, then the pixel format's own size field
    PixelFormat pf;
    pf.flags = r.U32le();
    pf.fourCc = r.U32le();
    pf.bitCount = r.U32le();
    pf.red = r.U32le();
    pf.green = r.U32le();
    pf.blue = r.U32le();
    pf.alpha = r.U32le();
    r.Skip(4); // caps
    const DWORD caps2 = r.U32le();
    r.Skip(12);
    if (!r.Ok() || headerSize != 124 || (flags & kDepthFlag) || (caps2 & (kCubeMap | kVolume)) ||
        !PictureSizeAllowed(width, height)) {
        return false;
    }

    D3DFORMAT stored = NativeFormat(pf);
    // Uncompressed layouts without a device format are widened to A8R8G8B8 or X8R8G8B8.
    const bool widen = stored == D3DFMT_UNKNOWN;
    if (widen) {
        if (!(pf.flags & kRgbFlag) || (pf.bitCount != 16 && pf.bitCount != 32)) {
            return false;
        }
        const DWORD alpha = (pf.flags & kAlphaPixels) ? pf.alpha : 0;
        for (DWORD mask : {pf.red, pf.green, pf.blue, alpha}) {
            if (!ValidMask(mask, pf.bitCount)) {
                return false;
            }
        }
        pf.alpha = alpha;
    }
    const PixelLayout* source = widen ? nullptr : FindPixelLayout(stored);

    // Levels the file claims, no more than the full chain down to 1x1.
    const DWORD fullChain = 1 + static_cast<DWORD>(std::bit_width(std::max(width, height)) - 1);
    const DWORD claimed = (flags & kMipMapCountFlag) && mipMapCount > 0 ? mipMapCount : 1;
    const DWORD levelCount = std::min(claimed, fullChain);

    Picture picture;
    picture.fileFormat = D3DXIFF_DDS;
    picture.format = widen ? (pf.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8) : stored;
    for (DWORD i = 0; i < levelCount; ++i) {
        const DWORD w = std::max<DWORD>(1, width >> i);
        const DWORD h = std::max<DWORD>(1, height >> i);
        const std::size_t rowBytes =
            source ? source->RowBytes(w) : std::size_t{w} * pf.bitCount / 8;
        const std::size_t rows = source ? source->RowCount(h) : h;
        const std::uint8_t* bits = r.Bytes(std::uint64_t{rowBytes} * rows);
        if (!bits) {
            // A level cut short ends the chain; without the first there is no picture.
            if (i == 0) {
                return false;
            }
            break;
        }
        PictureLevel level;
        level.width = w;
        level.height = h;
        if (!widen) {
            level.pitch = static_cast<UINT>(rowBytes);
            level.bits.assign(bits, bits + rowBytes * rows);
        } else {
            const DWORD bytes = pf.bitCount / 8;
            level.pitch = w * 4;
            level.bits.resize(std::size_t{level.pitch} * h);
            for (std::size_t p = 0; p < std::size_t{w} * h; ++p) {
                DWORD v = 0;
                for (DWORD b = 0; b < bytes; ++b) {
                    v |= static_cast<DWORD>(bits[p * bytes + b]) << (8 * b);
                }
                const DWORD argb =
                    (ScaleChannel(v, pf.alpha, 255) << 24) | (ScaleChannel(v, pf.red, 0) << 16) |
                    (ScaleChannel(v, pf.green, 0) << 8) | ScaleChannel(v, pf.blue, 0);
                for (int b = 0; b < 4; ++b) {
                    level.bits[p * 4 + b] = static_cast<BYTE>(argb >> (8 * b));
                }
            }
        }
        picture.levels.push_back(std::move(level));
    }
    out = std::move(picture);
    return true;
}

} // namespace picture

// A8R3G3B2 expansion and DXT block decoding.
#include "device/gl/PixelConversion.h"

#include <algorithm>

namespace {

std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Rgba {
    unsigned r, g, b, a;
};

Rgba FromR5G6B5(unsigned c) {
    const unsigned r = (c >> 11) & 31;
    const unsigned g = (c >> 5) & 63;
    const unsigned b = c & 31;
    return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2), 255};
}

// The four colours of a colour block.
void ColourPalette(const std::uint8_t* block, bool oneBitAlpha, Rgba palette[4]) {
    const unsigned c0 = ReadU16(block);
    const unsigned c1 = ReadU16(block + 2);
    palette[0] = FromR5G6B5(c0);
    palette[1] = FromR5G6B5(c1);
    const Rgba& p = palette[0];
    const Rgba& q = palette[1];
    if (c0 > c1 || !oneBitAlpha) {
        palette[2] = {(2 * p.r + q.r + 1) / 3, (2 * p.g + q.g + 1) / 3, (2 * p.b + q.b + 1) / 3,
                      255};
        palette[3] = {(p.r + 2 * q.r + 1) / 3, (p.g + 2 * q.g + 1) / 3, (p.b + 2 * q.b + 1) / 3,
                      255};
    } else {
        palette[2] = {(p.r + q.r) / 2, (p.g + q.g) / 2, (p.b + q.b) / 2, 255};
        palette[3] = {0, 0, 0, 0};
    }
}

void Dxt5AlphaPalette(const std::uint8_t* block, unsigned alphas[8]) {
    const unsigned a0 = block[0];
    const unsigned a1 = block[1];
    alphas[0] = a0;
    alphas[1] = a1;
    if (a0 > a1) {
        for (unsigned i = 2; i < 8; ++i) {
            alphas[i] = ((8 - i) * a0 + (i - 1) * a1 + 3) / 7;
        }
    } else {
        for (unsigned i = 2; i < 6; ++i) {
            alphas[i] = ((6 - i) * a0 + (i - 1) * a1 + 2) / 5;
        }
        alphas[6] = 0;
        alphas[7] = 255;
    }
}

void DecodeBlock(DxtKind kind, const std::uint8_t* block, Rgba texels[16]) {
    const std::uint8_t* colourBlock = kind == DxtKind::Dxt1 ? block : block + 8;
    Rgba palette[4];
    ColourPalette(colourBlock, kind == DxtKind::Dxt1, palette);
    const std::uint32_t indices = ReadU32(colourBlock + 4);
    for (int i = 0; i < 16; ++i) {
        texels[i] = palette[(indices >> (2 * i)) & 3];
    }
    if (kind == DxtKind::Dxt3) {
        for (int i = 0; i < 16; ++i) {
            const unsigned nibble = (block[i / 2] >> (4 * (i % 2))) & 15;
            texels[i].a = nibble * 17;
        }
    } else if (kind == DxtKind::Dxt5) {
        unsigned alphas[8];
        Dxt5AlphaPalette(block, alphas);
        std::uint64_t bits = 0;
        for (int i = 0; i < 6; ++i) {
            bits |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
        }
        for (int i = 0; i < 16; ++i) {
            texels[i].a = alphas[(bits >> (3 * i)) & 7];
        }
    }
}

} // namespace

std::uint8_t Widen3To8(unsigned v) {
    v &= 7;
    return static_cast<std::uint8_t>((v << 5) | (v << 2) | (v >> 1));
}

std::uint8_t Widen2To8(unsigned v) {
    return static_cast<std::uint8_t>((v & 3) * 85);
}

void ExpandA8R3G3B2Row(const std::uint8_t* source, std::uint8_t* destination, int width) {
    for (int x = 0; x < width; ++x) {
        const unsigned texel = ReadU16(source + 2 * x);
        std::uint8_t* out = destination + 4 * x;
        out[0] = Widen2To8(texel);
        out[1] = Widen3To8(texel >> 2);
        out[2] = Widen3To8(texel >> 5);
        out[3] = static_cast<std::uint8_t>(texel >> 8);
    }
}

void DecodeDxt(DxtKind kind, const std::uint8_t* source, int sourcePitch, int width, int height,
               std::uint8_t* destination, int destinationPitch) {
    const int blockBytes = kind == DxtKind::Dxt1 ? 8 : 16;
    for (int by = 0; by * 4 < height; ++by) {
        const std::uint8_t* row = source + static_cast<std::ptrdiff_t>(by) * sourcePitch;
        for (int bx = 0; bx * 4 < width; ++bx) {
            Rgba texels[16];
            DecodeBlock(kind, row + bx * blockBytes, texels);
            const int rows = std::min(4, height - by * 4);
            const int columns = std::min(4, width - bx * 4);
            for (int y = 0; y < rows; ++y) {
                std::uint8_t* out = destination +
                                    static_cast<std::ptrdiff_t>(by * 4 + y) * destinationPitch +
                                    bx * 16;
                for (int x = 0; x < columns; ++x) {
                    const Rgba& t = texels[4 * y + x];
                    out[4 * x + 0] = static_cast<std::uint8_t>(t.b);
                    out[4 * x + 1] = static_cast<std::uint8_t>(t.g);
                    out[4 * x + 2] = static_cast<std::uint8_t>(t.r);
                    out[4 * x + 3] = static_cast<std::uint8_t>(t.a);
                }
            }
        }
    }
}

// Pixel formats of pictures and surfaces: layouts and conversion to 0xAARRGGBB.
#include "device/picture/PixelCodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "device/picture/Picture.h"

namespace picture {

namespace {

using K = PixelLayout::Kind;

constexpr std::array<PixelLayout, 22> kLayouts = {{
    {D3DFMT_A8R8G8B8, K::Rgb, 32, 0, 0xFF000000u, 0x00FF0000u, 0x0000FF00u, 0x000000FFu},
    {D3DFMT_X8R8G8B8, K::Rgb, 32, 0, 0, 0x00FF0000u, 0x0000FF00u, 0x000000FFu},
    {D3DFMT_R8G8B8, K::Rgb, 24, 0, 0, 0x00FF0000u, 0x0000FF00u, 0x000000FFu},
    {D3DFMT_R5G6B5, K::Rgb, 16, 0, 0, 0xF800, 0x07E0, 0x001F},
    {D3DFMT_X1R5G5B5, K::Rgb, 16, 0, 0, 0x7C00, 0x03E0, 0x001F},
    {D3DFMT_A1R5G5B5, K::Rgb, 16, 0, 0x8000, 0x7C00, 0x03E0, 0x001F},
    {D3DFMT_A4R4G4B4, K::Rgb, 16, 0, 0xF000, 0x0F00, 0x00F0, 0x000F},
    {D3DFMT_X4R4G4B4, K::Rgb, 16, 0, 0, 0x0F00, 0x00F0, 0x000F},
    {D3DFMT_R3G3B2, K::Rgb, 8, 0, 0, 0xE0, 0x1C, 0x03},
    {D3DFMT_A8R3G3B2, K::Rgb, 16, 0, 0xFF00, 0x00E0, 0x001C, 0x0003},
    {D3DFMT_A8, K::Rgb, 8, 0, 0xFF, 0, 0, 0},
    {D3DFMT_L8, K::Luminance, 8, 0, 0, 0xFF, 0, 0},
    {D3DFMT_A8L8, K::Luminance, 16, 0, 0xFF00, 0x00FF, 0, 0},
    {D3DFMT_A4L4, K::Luminance, 8, 0, 0xF0, 0x0F, 0, 0},
    {D3DFMT_P8, K::Palette, 8, 0, 0, 0xFF, 0, 0},
    {D3DFMT_A8P8, K::Palette, 16, 0, 0xFF00, 0x00FF, 0, 0},
    {D3DFMT_DXT1, K::Block, 0, 8, 0, 0, 0, 0},
    {D3DFMT_DXT2, K::Block, 0, 16, 0, 0, 0, 0},
    {D3DFMT_DXT3, K::Block, 0, 16, 0, 0, 0, 0},
    {D3DFMT_DXT4, K::Block, 0, 16, 0, 0, 0, 0},
    {D3DFMT_DXT5, K::Block, 0, 16, 0, 0, 0, 0},
    {D3DFMT_A2B10G10R10, K::Rgb, 32, 0, 0xC0000000u, 0x000003FFu, 0x000FFC00u, 0x3FF00000u},
}};

// The channel under `mask` of `pixel`, expanded to 8 bits; `missing` when the mask is empty.
DWORD Channel(DWORD pixel, DWORD mask, DWORD missing) {
    if (mask == 0) {
        return missing;
    }
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    return ExpandChannel((pixel & mask) >> shift, bits);
}

D3DCOLOR Argb(DWORD a, DWORD r, DWORD g, DWORD b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

DWORD ReadLe(const BYTE* p, UINT bytes) {
    DWORD v = 0;
    for (UINT i = 0; i < bytes; ++i) {
        v |= static_cast<DWORD>(p[i]) << (8 * i);
    }
    return v;
}

// The four colours of a DXT colour block; `threeColour` allows the mode where c0 <= c1 gives
// a mid colour and transparent black (DXT1 only).
void BlockColours(const BYTE* block, bool threeColour, D3DCOLOR colours[4]) {
    const DWORD c0 = block[0] | (block[1] << 8);
    const DWORD c1 = block[2] | (block[3] << 8);
    const DWORD r0 = ExpandChannel(c0 >> 11, 5), g0 = ExpandChannel((c0 >> 5) & 63, 6),
                b0 = ExpandChannel(c0 & 31, 5);
    const DWORD r1 = ExpandChannel(c1 >> 11, 5), g1 = ExpandChannel((c1 >> 5) & 63, 6),
                b1 = ExpandChannel(c1 & 31, 5);
    colours[0] = Argb(255, r0, g0, b0);
    colours[1] = Argb(255, r1, g1, b1);
    if (c0 > c1 || !threeColour) {
        colours[2] = Argb(255, (2 * r0 + r1) / 3, (2 * g0 + g1) / 3, (2 * b0 + b1) / 3);
        colours[3] = Argb(255, (r0 + 2 * r1) / 3, (g0 + 2 * g1) / 3, (b0 + 2 * b1) / 3);
    } else {
        colours[2] = Argb(255, (r0 + r1) / 2, (g0 + g1) / 2, (b0 + b1) / 2);
        colours[3] = 0;
    }
}

// Decodes one 4x4 block into texels[16] (row-major).
void DecodeBlock(D3DFORMAT format, const BYTE* block, D3DCOLOR texels[16]) {
    const bool dxt1 = format == D3DFMT_DXT1;
    const BYTE* colourBlock = dxt1 ? block : block + 8;
    D3DCOLOR colours[4];
    BlockColours(colourBlock, dxt1, colours);
    const DWORD indices = ReadLe(colourBlock + 4, 4);
    for (int i = 0; i < 16; ++i) {
        texels[i] = colours[(indices >> (2 * i)) & 3];
    }
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
        for (int i = 0; i < 16; ++i) {
            const DWORD a = (block[i / 2] >> (4 * (i % 2))) & 15;
            texels[i] = (texels[i] & 0x00FFFFFFu) | (ExpandChannel(a, 4) << 24);
        }
    } else if (format == D3DFMT_DXT4 || format == D3DFMT_DXT5) {
        const DWORD a0 = block[0], a1 = block[1];
        DWORD alphas[8] = {a0, a1};
        if (a0 > a1) {
            for (DWORD k = 2; k < 8; ++k) {
                alphas[k] = ((8 - k) * a0 + (k - 1) * a1) / 7;
            }
        } else {
            for (DWORD k = 2; k < 6; ++k) {
                alphas[k] = ((6 - k) * a0 + (k - 1) * a1) / 5;
            }
            alphas[6] = 0;
            alphas[7] = 255;
        }
        std::uint64_t bitsOfIndices = 0;
        for (int i = 0; i < 6; ++i) {
            bitsOfIndices |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
        }
        for (int i = 0; i < 16; ++i) {
            const DWORD a = alphas[(bitsOfIndices >> (3 * i)) & 7];
            texels[i] = (texels[i] & 0x00FFFFFFu) | (a << 24);
        }
    }
}

// 4x4 ordered-dither pattern; a cell's offset is (b + 0.5) / 16 − 0.5 of a level.
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

float DitherOffset(UINT x, UINT y) {
    return (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
}

// v (0..255) as a `bits`-bit level: round(v · max / 255 + offset), clamped.
DWORD Quantize(float v, int bits, float offset) {
    const float max = static_cast<float>((DWORD{1} << bits) - 1);
    const float scaled = std::clamp(v, 0.0f, 255.0f) * max / 255.0f + offset;
    return static_cast<DWORD>(std::clamp(std::floor(scaled + 0.5f), 0.0f, max));
}

DWORD QuantizeInto(float v, DWORD mask, float offset) {
    if (mask == 0) {
        return 0;
    }
    const int bits = std::popcount(mask);
    return (Quantize(v, bits, bits < 8 ? offset : 0.0f) << std::countr_zero(mask)) & mask;
}

float Luminance(const float* p) {
    return 0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2];
}

void WriteLe(BYTE* p, DWORD v, UINT bytes) {
    for (UINT i = 0; i < bytes; ++i) {
        p[i] = static_cast<BYTE>(v >> (8 * i));
    }
}

// The colours a DXT colour block with end points c0 and c1 decodes to, as the decoder makes
// them, so that the encoder picks indices against exactly what will be shown.
void Palette(WORD c0, WORD c1, bool threeColour, D3DCOLOR colours[4]) {
    const BYTE block[4] = {static_cast<BYTE>(c0), static_cast<BYTE>(c0 >> 8), static_cast<BYTE>(c1),
                           static_cast<BYTE>(c1 >> 8)};
    BlockColours(block, threeColour, colours);
}

WORD To565(const float* p) {
    return static_cast<WORD>((Quantize(p[0], 5, 0) << 11) | (Quantize(p[1], 6, 0) << 5) |
                             Quantize(p[2], 5, 0));
}

float Distance(const float* p, D3DCOLOR c) {
    const float dr = p[0] - static_cast<float>((c >> 16) & 0xFF);
    const float dg = p[1] - static_cast<float>((c >> 8) & 0xFF);
    const float db = p[2] - static_cast<float>(c & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// One DXT colour block for 16 texels (R, G, B, A each). DXT1 blocks with texels of alpha below
// 128 use the three-colour mode, whose fourth index is transparent black. The end points are the
// two texels farthest apart.
void EncodeColourBlock(const float texels[16][4], bool dxt1, BYTE out[8]) {
    bool opaque[16];
    bool anyTransparent = false;
    int first = -1;
    for (int i = 0; i < 16; ++i) {
        opaque[i] = !dxt1 || texels[i][3] >= 128.0f;
        anyTransparent = anyTransparent || !opaque[i];
        if (opaque[i] && first < 0) {
            first = i;
        }
    }
    if (first < 0) {
        // Every texel transparent: equal end points select the three-colour mode; index 3.
        std::memset(out, 0, 4);
        std::memset(out + 4, 0xFF, 4);
        return;
    }
    int a = first;
    int b = first;
    float farthest = -1.0f;
    for (int i = 0; i < 16; ++i) {
        for (int j = i; j < 16; ++j) {
            if (!opaque[i] || !opaque[j]) {
                continue;
            }
            const float dr = texels[i][0] - texels[j][0];
            const float dg = texels[i][1] - texels[j][1];
            const float db = texels[i][2] - texels[j][2];
            const float d = dr * dr + dg * dg + db * db;
            if (d > farthest) {
                farthest = d;
                a = i;
                b = j;
            }
        }
    }
    WORD c0 = To565(texels[a]);
    WORD c1 = To565(texels[b]);
    // Four colours need c0 > c1, three colours c0 <= c1.
    if (anyTransparent ? c0 > c1 : c0 < c1) {
        std::swap(c0, c1);
    }
    D3DCOLOR colours[4];
    Palette(c0, c1, true, colours);
    // Equal end points in the four-colour case decode as three colours: only index 0 is safe.
    const int choices = anyTransparent ? 3 : (c0 == c1 ? 1 : 4);
    DWORD indices = 0;
    for (int i = 0; i < 16; ++i) {
        DWORD index = 3;
        if (opaque[i]) {
            index = 0;
            float best = Distance(texels[i], colours[0]);
            for (int k = 1; k < choices; ++k) {
                const float d = Distance(texels[i], colours[k]);
                if (d < best) {
                    best = d;
                    index = static_cast<DWORD>(k);
                }
            }
        }
        indices |= index << (2 * i);
    }
    WriteLe(out, c0, 2);
    WriteLe(out + 2, c1, 2);
    WriteLe(out + 4, indices, 4);
}

// DXT2/DXT3 alpha: 4 bits per texel, rounded.
void EncodeExplicitAlpha(const float texels[16][4], BYTE out[8]) {
    std::memset(out, 0, 8);
    for (int i = 0; i < 16; ++i) {
        out[i / 2] |= static_cast<BYTE>(Quantize(texels[i][3], 4, 0) << (4 * (i % 2)));
    }
}

// DXT4/DXT5 alpha: the extremes as end points in the eight-step mode, nearest step per texel.
void EncodeInterpolatedAlpha(const float texels[16][4], BYTE out[8]) {
    DWORD low = 255;
    DWORD high = 0;
    DWORD alpha[16];
    for (int i = 0; i < 16; ++i) {
        alpha[i] = Quantize(texels[i][3], 8, 0);
        low = std::min(low, alpha[i]);
        high = std::max(high, alpha[i]);
    }
    std::memset(out, 0, 8);
    out[0] = static_cast<BYTE>(high);
    out[1] = static_cast<BYTE>(low);
    if (high == low) {
        return;
    }
    DWORD steps[8] = {high, low};
    for (DWORD k = 2; k < 8; ++k) {
        steps[k] = ((8 - k) * high + (k - 1) * low) / 7;
    }
    std::uint64_t codes = 0;
    for (int i = 0; i < 16; ++i) {
        DWORD best = 0;
        for (DWORD k = 1; k < 8; ++k) {
            const auto gap = [&](DWORD s) { return s > alpha[i] ? s - alpha[i] : alpha[i] - s; };
            if (gap(steps[k]) < gap(steps[best])) {
                best = k;
            }
        }
        codes |= static_cast<std::uint64_t>(best) << (3 * i);
    }
    for (int i = 0; i < 6; ++i) {
        out[2 + i] = static_cast<BYTE>(codes >> (8 * i));
    }
}

void EncodeBlocks(D3DFORMAT format, const PixelLayout& layout, const float* rgba, UINT width,
                  UINT height, BYTE* bits, std::size_t pitch) {
    float texels[16][4];
    for (UINT by = 0; by < height; by += 4) {
        for (UINT bx = 0; bx < width; bx += 4) {
            for (UINT i = 0; i < 16; ++i) {
                const UINT x = std::min(bx + i % 4, width - 1);
                const UINT y = std::min(by + i / 4, height - 1);
                std::memcpy(texels[i], rgba + (std::size_t{y} * width + x) * 4, sizeof texels[i]);
            }
            BYTE* out = bits + by / 4 * pitch + bx / 4 * layout.blockBytes;
            if (format == D3DFMT_DXT1) {
                EncodeColourBlock(texels, true, out);
            } else {
                if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3) {
                    EncodeExplicitAlpha(texels, out);
                } else {
                    EncodeInterpolatedAlpha(texels, out);
                }
                EncodeColourBlock(texels, false, out + 8);
            }
        }
    }
}

} // namespace

bool PixelLayout::HasAlpha() const {
    return alphaMask != 0 || (kind == Block && format != D3DFMT_DXT1);
}

std::size_t PixelLayout::RowBytes(std::size_t width) const {
    if (kind == Block) {
        return (width + 3) / 4 * blockBytes;
    }
    return (width * bitsPerPixel + 7) / 8;
}

std::size_t PixelLayout::RowCount(std::size_t height) const {
    return kind == Block ? (height + 3) / 4 : height;
}

const PixelLayout* FindPixelLayout(D3DFORMAT format) {
    for (const PixelLayout& layout : kLayouts) {
        if (layout.format == format) {
            return &layout;
        }
    }
    return nullptr;
}

DWORD ExpandChannel(DWORD value, int bits) {
    if (bits >= 8) {
        return (value >> (bits - 8)) & 0xFF;
    }
    DWORD result = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits) {
        result |= shift >= 0 ? value << shift : value >> -shift;
    }
    return result & 0xFF;
}

DWORD ScaleChannel(DWORD pixel, DWORD mask, DWORD missing) {
    if (mask == 0) {
        return missing;
    }
    const std::uint64_t max = mask >> std::countr_zero(mask);
    const std::uint64_t v = (pixel & mask) >> std::countr_zero(mask);
    return static_cast<DWORD>((v * 510 + max) / (2 * max));
}

bool DecodeToArgb(D3DFORMAT format, const BYTE* bits, std::size_t pitch, UINT width, UINT height,
                  const D3DCOLOR* palette, D3DCOLOR* out) {
    const PixelLayout* layout = FindPixelLayout(format);
    if (!layout) {
        return false;
    }
    if (layout->kind == K::Block) {
        D3DCOLOR texels[16];
        for (UINT by = 0; by < height; by += 4) {
            const BYTE* row = bits + by / 4 * pitch;
            for (UINT bx = 0; bx < width; bx += 4) {
                DecodeBlock(format, row + bx / 4 * layout->blockBytes, texels);
                for (UINT y = by; y < by + 4 && y < height; ++y) {
                    for (UINT x = bx; x < bx + 4 && x < width; ++x) {
                        out[std::size_t{y} * width + x] = texels[(y - by) * 4 + (x - bx)];
                    }
                }
            }
        }
        return true;
    }
    const UINT bytes = layout->bitsPerPixel / 8;
    for (UINT y = 0; y < height; ++y) {
        const BYTE* p = bits + y * pitch;
        D3DCOLOR* o = out + std::size_t{y} * width;
        for (UINT x = 0; x < width; ++x, p += bytes) {
            const DWORD v = ReadLe(p, bytes);
            const DWORD a = Channel(v, layout->alphaMask, 255);
            switch (layout->kind) {
            case K::Rgb:
                o[x] = Argb(a, Channel(v, layout->redMask, 0), Channel(v, layout->greenMask, 0),
                            Channel(v, layout->blueMask, 0));
                break;
            case K::Luminance: {
                const DWORD l = Channel(v, layout->redMask, 0);
                o[x] = Argb(a, l, l, l);
                break;
            }
            case K::Palette: {
                const D3DCOLOR entry = palette ? palette[v & 0xFF] : 0xFF000000u;
                o[x] = layout->alphaMask ? (entry & 0x00FFFFFFu) | (a << 24) : entry;
                break;
            }
            case K::Block:
                break;
            }
        }
    }
    return true;
}

bool EncodeFromRgba(D3DFORMAT format, const float* rgba, UINT width, UINT height, bool dither,
                    BYTE* bits, std::size_t pitch) {
    const PixelLayout* layout = FindPixelLayout(format);
    if (!layout || layout->kind == K::Palette) {
        return false;
    }
    if (layout->kind == K::Block) {
        EncodeBlocks(format, *layout, rgba, width, height, bits, pitch);
        return true;
    }
    const UINT bytes = layout->bitsPerPixel / 8;
    const DWORD all = bytes == 4 ? 0xFFFFFFFFu : (DWORD{1} << layout->bitsPerPixel) - 1;
    const DWORD unused =
        all & ~(layout->alphaMask | layout->redMask | layout->greenMask | layout->blueMask);
    for (UINT y = 0; y < height; ++y) {
        BYTE* row = bits + y * pitch;
        for (UINT x = 0; x < width; ++x) {
            const float* p = rgba + (std::size_t{y} * width + x) * 4;
            const float offset = dither ? DitherOffset(x, y) : 0.0f;
            DWORD v = unused | QuantizeInto(p[3], layout->alphaMask, 0.0f);
            if (layout->kind == K::Luminance) {
                v |= QuantizeInto(Luminance(p), layout->redMask, offset);
            } else {
                v |= QuantizeInto(p[0], layout->redMask, offset) |
                     QuantizeInto(p[1], layout->greenMask, offset) |
                     QuantizeInto(p[2], layout->blueMask, offset);
            }
            WriteLe(row + std::size_t{x} * bytes, v, bytes);
        }
    }
    return true;
}

std::vector<D3DCOLOR> LevelToArgb(const Picture& picture, std::size_t level) {
    if (level >= picture.levels.size()) {
        return {};
    }
    const PictureLevel& l = picture.levels[level];
    std::vector<D3DCOLOR> pixels(std::size_t{l.width} * l.height);
    const D3DCOLOR* palette = picture.palette.size() >= 256 ? picture.palette.data() : nullptr;
    if (!DecodeToArgb(picture.format, l.bits.data(), l.pitch, l.width, l.height, palette,
                      pixels.data())) {
        return {};
    }
    return pixels;
}

} // namespace picture

// CPU conversions of the texture formats OpenGL cannot take directly.
#include "device/gl/PixelConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Texel {
    unsigned r, g, b, a;
    friend bool operator==(const Texel&, const Texel&) = default;
};

std::ostream& operator<<(std::ostream& out, const Texel& t) {
    return out << "(" << t.r << ", " << t.g << ", " << t.b << ", " << t.a << ")";
}

Texel ReadTexel(const std::vector<std::uint8_t>& pixels, int pitch, int x, int y) {
    const std::uint8_t* p = pixels.data() + y * pitch + 4 * x;
    return {p[2], p[1], p[0], p[3]};
}

// R5G6B5 to 8 bits a channel, by the rounding formula round(v · 255 / max).
Texel From565(unsigned c) {
    const auto widen = [](unsigned v, unsigned max) { return (v * 255 + max / 2) / max; };
    return {widen((c >> 11) & 31, 31), widen((c >> 5) & 63, 63), widen(c & 31, 31), 255};
}

void PutU16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

// A colour block whose texel (x, y) takes index `indexOf(x, y)`.
template <typename F>
void PutColourBlock(std::uint8_t* block, unsigned c0, unsigned c1, F indexOf) {
    PutU16(block, c0);
    PutU16(block + 2, c1);
    std::uint32_t bits = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            bits |= static_cast<std::uint32_t>(indexOf(x, y)) << (2 * (4 * y + x));
        }
    }
    for (int i = 0; i < 4; ++i) {
        block[4 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
}

} // namespace

TEST(PixelConversion, BitRepetitionWideningMatchesRoundedScale) {
    for (unsigned v = 0; v < 8; ++v) {
        EXPECT_EQ(Widen3To8(v), (v * 255 * 2 + 7) / 14) << v;
    }
    for (unsigned v = 0; v < 4; ++v) {
        EXPECT_EQ(Widen2To8(v), v * 255 / 3) << v;
    }
}

TEST(PixelConversion, A8R3G3B2ExpandsEachChannel) {
    struct Case {
        unsigned a, r, g, b;
    } cases[] = {{0x00, 0, 0, 0}, {0xFF, 7, 7, 3}, {0x80, 5, 2, 1}, {0x3C, 1, 6, 2}};
    std::vector<std::uint8_t> source;
    for (const Case& c : cases) {
        const unsigned texel = (c.a << 8) | (c.r << 5) | (c.g << 2) | c.b;
        source.push_back(static_cast<std::uint8_t>(texel));
        source.push_back(static_cast<std::uint8_t>(texel >> 8));
    }
    std::vector<std::uint8_t> out(4 * std::size(cases));
    ExpandA8R3G3B2Row(source.data(), out.data(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const Texel expected{(c.r * 255 * 2 + 7) / 14, (c.g * 255 * 2 + 7) / 14, c.b * 85, c.a};
        EXPECT_EQ(ReadTexel(out, 0, static_cast<int>(i), 0), expected) << i;
    }
}

TEST(PixelConversion, Dxt1FourColourBlockInterpolatesThirds) {
    const unsigned c0 = 0xF800; // red
    const unsigned c1 = 0x041F; // a little green, full blue
    std::uint8_t block[8];
    PutColourBlock(block, c0, c1, [](int x, int) { return x; });
    std::vector<std::uint8_t> out(4 * 4 * 4);
    DecodeDxt(DxtKind::Dxt1, block, 8, 4, 4, out.data(), 16);

    const Texel p = From565(c0);
    const Texel q = From565(c1);
    const Texel expected[4] = {
        p,
        q,
        {(2 * p.r + q.r + 1) / 3, (2 * p.g + q.g + 1) / 3, (2 * p.b + q.b + 1) / 3, 255},
        {(p.r + 2 * q.r + 1) / 3, (p.g + 2 * q.g + 1) / 3, (p.b + 2 * q.b + 1) / 3, 255},
    };
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(ReadTexel(out, 16, x, y), expected[x]) << x << "," << y;
        }
    }
}

TEST(PixelConversion, Dxt1ThreeColourBlockHasTransparentBlack) {
    const unsigned c0 = 0x001F; // c0 <= c1 selects the three-colour mode
    const unsigned c1 = 0xF800;
    std::uint8_t block[8];
    PutColourBlock(block, c0, c1, [](int, int y) { return y; });
    std::vector<std::uint8_t> out(4 * 4 * 4);
    DecodeDxt(DxtKind::Dxt1, block, 8, 4, 4, out.data(), 16);

    const Texel p = From565(c0);
    const Texel q = From565(c1);
    const Texel expected[4] = {
        p, q, {(p.r + q.r) / 2, (p.g + q.g) / 2, (p.b + q.b) / 2, 255}, {0, 0, 0, 0}};
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(ReadTexel(out, 16, 2, y), expected[y]) << y;
    }
}

TEST(PixelConversion, Dxt3ColourBlockIgnoresOrderAndTakesExplicitAlpha) {
    std::uint8_t block[16];
    // Texel i has alpha nibble 15 − i.
    for (int i = 0; i < 8; ++i) {
        const unsigned low = 15 - 2 * i;
        const unsigned high = 15 - (2 * i + 1);
        block[i] = static_cast<std::uint8_t>(low | (high << 4));
    }
    const unsigned c0 = 0x001F; // would be the three-colour mode in DXT1
    const unsigned c1 = 0xF800;
    PutColourBlock(block + 8, c0, c1, [](int, int) { return 3; });
    std::vector<std::uint8_t> out(4 * 4 * 4);
    DecodeDxt(DxtKind::Dxt3, block, 16, 4, 4, out.data(), 16);

    const Texel p = From565(c0);
    const Texel q = From565(c1);
    for (int i = 0; i < 16; ++i) {
        const Texel expected{(p.r + 2 * q.r + 1) / 3, (p.g + 2 * q.g + 1) / 3,
                             (p.b + 2 * q.b + 1) / 3, static_cast<unsigned>(15 - i) * 17};
        EXPECT_EQ(ReadTexel(out, 16, i % 4, i / 4), expected) << i;
    }
}

TEST(PixelConversion, Dxt5AlphaFollowsBothInterpolationModes) {
    struct Case {
        unsigned a0, a1;
    } cases[] = {{200, 10}, {10, 200}};
    for (const Case& c : cases) {
        unsigned alphas[8] = {c.a0, c.a1};
        for (unsigned i = 2; i < 8; ++i) {
            if (c.a0 > c.a1) {
                alphas[i] = ((8 - i) * c.a0 + (i - 1) * c.a1 + 3) / 7;
            } else if (i < 6) {
                alphas[i] = ((6 - i) * c.a0 + (i - 1) * c.a1 + 2) / 5;
            } else {
                alphas[i] = i == 6 ? 0 : 255;
            }
        }
        std::uint8_t block[16] = {static_cast<std::uint8_t>(c.a0), static_cast<std::uint8_t>(c.a1)};
        // Texel i takes alpha index i mod 8.
        std::uint64_t bits = 0;
        for (int i = 0; i < 16; ++i) {
            bits |= static_cast<std::uint64_t>(i % 8) << (3 * i);
        }
        for (int i = 0; i < 6; ++i) {
            block[2 + i] = static_cast<std::uint8_t>(bits >> (8 * i));
        }
        PutColourBlock(block + 8, 0xFFFF, 0x0000, [](int, int) { return 0; });
        std::vector<std::uint8_t> out(4 * 4 * 4);
        DecodeDxt(DxtKind::Dxt5, block, 16, 4, 4, out.data(), 16);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(ReadTexel(out, 16, i % 4, i / 4), (Texel{255, 255, 255, alphas[i % 8]}))
                << "a0 " << c.a0 << " texel " << i;
        }
    }
}

TEST(PixelConversion, PartialEdgeBlocksWriteOnlyTexelsInsideTheLevel) {
    // A 6 × 5 level: 2 × 2 blocks, the right and bottom ones partly outside.
    const int width = 6;
    const int height = 5;
    const unsigned colours[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    std::uint8_t blocks[4][8];
    for (int i = 0; i < 4; ++i) {
        PutColourBlock(blocks[i], colours[i], 0x0000, [](int, int) { return 0; });
    }
    const int destinationPitch = 4 * 8; // room for 8 texels a row, to see what is not written
    std::vector<std::uint8_t> out(destinationPitch * 8, 0xAB);
    DecodeDxt(DxtKind::Dxt1, &blocks[0][0], 16, width, height, out.data(), destinationPitch);

    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const Texel got = ReadTexel(out, destinationPitch, x, y);
            if (x < width && y < height) {
                EXPECT_EQ(got, From565(colours[(y / 4) * 2 + x / 4])) << x << "," << y;
            } else {
                EXPECT_EQ(got, (Texel{0xAB, 0xAB, 0xAB, 0xAB})) << x << "," << y;
            }
        }
    }
}

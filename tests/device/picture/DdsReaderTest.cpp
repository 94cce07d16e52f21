// The DDS reader on hand-written files.
#include "device/picture/DdsReader.h"
#include "PictureTestSupport.h"

#include <gtest/gtest.h>

namespace {

using picture::ReadDds;

constexpr DWORD kCaps = 0x1000;         // DDSCAPS_TEXTURE
constexpr DWORD kFlags = 0x1007;        // caps, height, width, pixel format
constexpr DWORD kMipMapCount = 0x20000; // DDSD_MIPMAPCOUNT
constexpr DWORD kAlphaPixels = 0x1;
constexpr DWORD kAlpha = 0x2;
constexpr DWORD kFourCc = 0x4;
constexpr DWORD kPaletteIndexed8 = 0x20;
constexpr DWORD kRgb = 0x40;
constexpr DWORD kLuminance = 0x20000;

struct DdsHeader {
    DWORD width = 4;
    DWORD height = 4;
    DWORD pfFlags = kFourCc;
    DWORD fourCc = 0;
    DWORD bitCount = 0;
    DWORD red = 0, green = 0, blue = 0, alpha = 0;
    DWORD flags = kFlags;
    DWORD mipMapCount = 0;
    DWORD caps2 = 0;
    DWORD headerSize = 124;
};

Bytes Dds(const DdsHeader& h, const Bytes& pixels) {
    Bytes b = {'D', 'D', 'S', ' '};
    PutLe32(b, h.headerSize);
    PutLe32(b, h.flags);
    PutLe32(b, h.height);
    PutLe32(b, h.width);
    PutLe32(b, 0); // pitch or linear size
    PutLe32(b, 0); // depth
    PutLe32(b, h.mipMapCount);
    for (int i = 0; i < 11; ++i) {
        PutLe32(b, 0); // reserved
    }
    PutLe32(b, 32); // pixel format size
    PutLe32(b, h.pfFlags);
    PutLe32(b, h.fourCc);
    PutLe32(b, h.bitCount);
    PutLe32(b, h.red);
    PutLe32(b, h.green);
    PutLe32(b, h.blue);
    PutLe32(b, h.alpha);
    PutLe32(b, kCaps);
    PutLe32(b, h.caps2);
    PutLe32(b, 0); // caps3
    PutLe32(b, 0); // caps4
    PutLe32(b, 0); // reserved
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

DdsHeader Dxt(D3DFORMAT format) {
    DdsHeader h;
    h.fourCc = format;
    return h;
}

TEST(DdsReaderTest, Dxt1EndPointOrderChoosesFourColoursOrThreeAndTransparent) {
    struct Case {
        const char* what;
        Bytes block;
        std::vector<D3DCOLOR> firstRow;
    } cases[] = {
        // c0 = red 0xF800 > c1 = blue 0x001F: 2/3 and 1/3 mixes, floor((2a + b) / 3).
        {"c0 > c1",
         {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0},
         {0xFFFF0000, 0xFF0000FF, 0xFFAA0055, 0xFF5500AA}},
        // c0 = blue <= c1 = red: the mean, floor((a + b) / 2), and transparent black.
        {"c0 <= c1",
         {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0},
         {0xFF0000FF, 0xFFFF0000, 0xFF7F007F, 0x00000000}},
    };
    for (const Case& c : cases) {
        // Indices of the first row are 0, 1, 2, 3 (0xE4); the other rows use index 0.
        const auto p = ReadWith(ReadDds, Dds(Dxt(D3DFMT_DXT1), c.block));
        ASSERT_TRUE(p) << c.what;
        EXPECT_EQ(p->format, D3DFMT_DXT1);
        const std::vector<D3DCOLOR> argb = Argb(*p);
        ASSERT_EQ(argb.size(), 16u);
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(argb[x], c.firstRow[x]) << c.what << " texel " << x;
        }
        for (int i = 4; i < 16; ++i) {
            EXPECT_EQ(argb[i], c.firstRow[0]) << c.what << " texel " << i;
        }
    }
}

TEST(DdsReaderTest, Dxt3HasFourBitAlphaAndAlwaysFourColours) {
    const Bytes block = {
        0xF0, 0x87, 0,    0,    0, 0, 0, 0, // alpha nibbles, low first: 0, 15, 7, 8, then 0
        0x00, 0x00, 0xFF, 0xFF,             // c0 black <= c1 white, still the four-colour mode
        0xAA, 0xAA, 0xAA, 0xAA,             // every index 2: floor((2·0 + 255) / 3) = 85
    };
    const auto p = ReadWith(ReadDds, Dds(Dxt(D3DFMT_DXT3), block));
    ASSERT_TRUE(p);
    const std::vector<D3DCOLOR> argb = Argb(*p);
    const DWORD alphas[4] = {0x00, 0xFF, 0x77, 0x88};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(argb[i], ((i < 4 ? alphas[i] : 0) << 24) | 0x555555u) << i;
    }
}

TEST(DdsReaderTest, Dxt5InterpolatesAlphaInEightOrSixSteps) {
    struct Case {
        BYTE a0, a1;
        DWORD expected[8]; // alphas of codes 0..7
    } cases[] = {
        // a0 > a1: floor(((8 − k)·a0 + (k − 1)·a1) / 7) for codes k = 2..7.
        {200, 60, {200, 60, 180, 160, 140, 120, 100, 80}},
        // a0 <= a1: floor(((6 − k)·a0 + (k − 1)·a1) / 5) for k = 2..5, then 0 and 255.
        {0, 100, {0, 100, 20, 40, 60, 80, 0, 255}},
    };
    for (const Case& c : cases) {
        const Bytes block = {
            c.a0, c.a1, 0x88, 0xC6,
            0xFA, 0,    0,    0,    // 3-bit codes: texels 0..7 use codes 0..7, the rest 0
            0xFF, 0xFF, 0xFF, 0xFF, // white end points
            0,    0,    0,    0,
        };
        const auto p = ReadWith(ReadDds, Dds(Dxt(D3DFMT_DXT5), block));
        ASSERT_TRUE(p);
        const std::vector<D3DCOLOR> argb = Argb(*p);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(argb[i] >> 24, i < 8 ? c.expected[i] : c.expected[0])
                << int{c.a0} << " texel " << i;
        }
    }
}

TEST(DdsReaderTest, UncompressedLayoutsKeepDeviceFormatsOrAreWidened) {
    struct Case {
        const char* what;
        DWORD pfFlags, bitCount, red, green, blue, alpha;
        Bytes pixel;
        D3DFORMAT format;
        D3DCOLOR argb;
    } cases[] = {
        {"L8", kLuminance, 8, 0xFF, 0, 0, 0, {0x40}, D3DFMT_L8, 0xFF404040},
        {"A8L8",
         kLuminance | kAlphaPixels,
         16,
         0xFF,
         0,
         0,
         0xFF00,
         {0x40, 0x80},
         D3DFMT_A8L8,
         0x80404040},
        {"A8", kAlpha, 8, 0, 0, 0, 0xFF, {0x80}, D3DFMT_A8, 0x80000000},
        {"R5G6B5", kRgb, 16, 0xF800, 0x07E0, 0x001F, 0, {0x00, 0xF8}, D3DFMT_R5G6B5, 0xFFFF0000},
        {"A4R4G4B4",
         kRgb | kAlphaPixels,
         16,
         0x0F00,
         0x00F0,
         0x000F,
         0xF000,
         {0x0F, 0x80},
         D3DFMT_A4R4G4B4,
         0x880000FF},
        {"R8G8B8",
         kRgb,
         24,
         0xFF0000,
         0xFF00,
         0xFF,
         0,
         {0x10, 0x20, 0x30},
         D3DFMT_R8G8B8,
         0xFF302010},
        {"A8B8G8R8, widened",
         kRgb | kAlphaPixels,
         32,
         0xFF,
         0xFF00,
         0xFF0000,
         0xFF000000u,
         {0x10, 0x20, 0x30, 0x40},
         D3DFMT_A8R8G8B8,
         0x40102030},
        {"X8B8G8R8, widened",
         kRgb,
         32,
         0xFF,
         0xFF00,
         0xFF0000,
         0,
         {0x10, 0x20, 0x30, 0x40},
         D3DFMT_X8R8G8B8,
         0xFF102030},
    };
    for (const Case& c : cases) {
        DdsHeader h;
        h.width = h.height = 1;
        h.pfFlags = c.pfFlags;
        h.bitCount = c.bitCount;
        h.red = c.red;
        h.green = c.green;
        h.blue = c.blue;
        h.alpha = c.alpha;
        const auto p = ReadWith(ReadDds, Dds(h, c.pixel));
        ASSERT_TRUE(p) << c.what;
        EXPECT_EQ(p->format, c.format) << c.what;
        EXPECT_EQ(Argb(*p), std::vector<D3DCOLOR>{c.argb}) << c.what;
    }
}

DdsHeader L8(DWORD width, DWORD height) {
    DdsHeader h;
    h.width = width;
    h.height = height;
    h.pfFlags = kLuminance;
    h.bitCount = 8;
    h.red = 0xFF;
    return h;
}

TEST(DdsReaderTest, MipLevelsAreReadDownToOneTexelAndNoFurther) {
    DdsHeader h = L8(4, 2);
    h.flags |= kMipMapCount;
    h.mipMapCount = 5; // more than the three levels 4x2, 2x1, 1x1
    const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    const auto p = ReadWith(ReadDds, Dds(h, pixels));
    ASSERT_TRUE(p);
    ASSERT_EQ(p->levels.size(), 3u);
    EXPECT_EQ(p->levels[1].width, 2u);
    EXPECT_EQ(p->levels[1].height, 1u);
    EXPECT_EQ(p->levels[1].bits, (std::vector<BYTE>{9, 10}));
    EXPECT_EQ(p->levels[2].bits, (std::vector<BYTE>{11}));

    // A level cut short ends the chain.
    const auto cut = ReadWith(ReadDds, Dds(h, Bytes(pixels.begin(), pixels.begin() + 9)));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->levels.size(), 1u);

    // Without the mip-map-count flag the count is not used.
    h.flags = kFlags;
    const auto one = ReadWith(ReadDds, Dds(h, pixels));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->levels.size(), 1u);
}

TEST(DdsReaderTest, UnreadableFilesAreRefused) {
    struct Case {
        const char* what;
        DdsHeader header;
        std::size_t pixelBytes;
    } cases[] = {
        {"cube map",
         [] {
             DdsHeader h = L8(2, 2);
             h.caps2 = 0x200;
             return h;
         }(),
         4},
        {"volume",
         [] {
             DdsHeader h = L8(2, 2);
             h.caps2 = 0x200000;
             return h;
         }(),
         4},
        {"depth",
         [] {
             DdsHeader h = L8(2, 2);
             h.flags |= 0x800000;
             return h;
         }(),
         4},
        {"header size 100",
         [] {
             DdsHeader h = L8(2, 2);
             h.headerSize = 100;
             return h;
         }(),
         4},
        {"extended header",
         [] {
             DdsHeader h;
             h.fourCc = MAKEFOURCC('D', 'X', '1', '0');
             return h;
         }(),
         64},
        {"palette",
         [] {
             DdsHeader h = L8(2, 2);
             h.pfFlags = kPaletteIndexed8;
             return h;
         }(),
         4 + 1024},
        {"24-bit layout without device format",
         [] {
             DdsHeader h = L8(2, 2);
             h.pfFlags = kRgb;
             h.bitCount = 24;
             h.red = 0xFF;
             h.green = 0xFF00;
             h.blue = 0xFF0000;
             return h;
         }(),
         12},
        {"top level one byte short", L8(2, 2), 3},
        {"width 0", L8(0, 2), 4},
        {"DXT1 block missing", Dxt(D3DFMT_DXT1), 7},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ReadWith(ReadDds, Dds(c.header, Bytes(c.pixelBytes, 0x55)))) << c.what;
    }
}

} // namespace

// Pixel layouts of the utility layer and their conversion to 0xAARRGGBB.
#include "device/picture/PixelCodec.h"
#include "PictureTestSupport.h"

#include <gtest/gtest.h>

namespace {

using picture::DecodeToArgb;
using picture::ExpandChannel;
using picture::FindPixelLayout;

TEST(PixelCodecTest, ChannelsWidenByRepeatingTheirBits) {
    struct Case {
        DWORD value;
        int bits;
        DWORD expected;
    } cases[] = {
        {0, 5, 0},        {31, 5, 255},     {1, 5, 8},       {3, 5, 24},   // (v << 3) | (v >> 2)
        {16, 5, 132},     {63, 6, 255},     {2, 6, 8},       {33, 6, 134}, // (v << 2) | (v >> 4)
        {1, 1, 255},      {2, 2, 170},      {5, 3, 182},     {9, 4, 153},  // 101 -> 10110110
        {0x3FF, 10, 255}, {0x200, 10, 128}, {0xAB, 8, 0xAB},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandChannel(c.value, c.bits), c.expected) << c.value << "/" << c.bits;
    }
}

TEST(PixelCodecTest, EveryLayoutConvertsOnePixel) {
    struct Case {
        D3DFORMAT format;
        Bytes pixel;
        D3DCOLOR argb;
    } cases[] = {
        {D3DFMT_A8R8G8B8, {0x10, 0x20, 0x30, 0x40}, 0x40302010},
        {D3DFMT_X8R8G8B8, {0x10, 0x20, 0x30, 0x40}, 0xFF302010},
        {D3DFMT_R8G8B8, {0x10, 0x20, 0x30}, 0xFF302010},
        {D3DFMT_R5G6B5, {0x1F, 0xF8}, 0xFFFF00FF},   // 0xF81F: red and blue full
        {D3DFMT_X1R5G5B5, {0x00, 0xFC}, 0xFFFF0000}, // top bit ignored
        {D3DFMT_A1R5G5B5, {0x1F, 0x00}, 0x000000FF},
        {D3DFMT_A4R4G4B4, {0x21, 0x43}, 0x44332211},
        {D3DFMT_X4R4G4B4, {0x21, 0x43}, 0xFF332211},
        {D3DFMT_R3G3B2, {0xE3}, 0xFFFF00FF},
        {D3DFMT_A8R3G3B2, {0x1C, 0x80}, 0x8000FF00},
        {D3DFMT_A8, {0x7F}, 0x7F000000},
        {D3DFMT_L8, {0x7F}, 0xFF7F7F7F},
        {D3DFMT_A8L8, {0x7F, 0x10}, 0x107F7F7F},
        {D3DFMT_A4L4, {0x3C}, 0x33CCCCCC},
    };
    for (const Case& c : cases) {
        const picture::PixelLayout* layout = FindPixelLayout(c.format);
        ASSERT_NE(layout, nullptr) << c.format;
        EXPECT_EQ(layout->RowBytes(1), c.pixel.size()) << c.format;
        D3DCOLOR out = 0;
        ASSERT_TRUE(DecodeToArgb(c.format, c.pixel.data(), c.pixel.size(), 1, 1, nullptr, &out));
        EXPECT_EQ(out, c.argb) << c.format;
    }
}

TEST(PixelCodecTest, PaletteFormatsLookUpTheirEntries) {
    std::vector<D3DCOLOR> palette(256, 0xFF000000u);
    palette[3] = 0x80123456;
    D3DCOLOR out[2] = {};
    const Bytes p8 = {3, 0};
    ASSERT_TRUE(DecodeToArgb(D3DFMT_P8, p8.data(), 2, 2, 1, palette.data(), out));
    EXPECT_EQ(out[0], 0x80123456u);
    EXPECT_EQ(out[1], 0xFF000000u);
    // A8P8 takes its alpha from the pixel, not from the entry.
    const Bytes a8p8 = {3, 0xC0};
    ASSERT_TRUE(DecodeToArgb(D3DFMT_A8P8, a8p8.data(), 2, 1, 1, palette.data(), out));
    EXPECT_EQ(out[0], 0xC0123456u);
}

TEST(PixelCodecTest, RowsArePitchApartAndBlockPicturesCanBeSmallerThanABlock) {
    // 2 x 2 L8 with a pitch of 4: the bytes between rows are never read.
    const Bytes l8 = {1, 2, 99, 99, 3, 4};
    D3DCOLOR out[4] = {};
    ASSERT_TRUE(DecodeToArgb(D3DFMT_L8, l8.data(), 4, 2, 2, nullptr, out));
    EXPECT_EQ(out[2], 0xFF030303u);
    EXPECT_EQ(out[3], 0xFF040404u);
    // A 2 x 1 DXT1 picture is the top-left corner of one block.
    const Bytes block = {0xFF, 0xFF, 0x00, 0x00, 0x04, 0, 0, 0}; // white, black; texel 1 index 1
    ASSERT_TRUE(DecodeToArgb(D3DFMT_DXT1, block.data(), 8, 2, 1, nullptr, out));
    EXPECT_EQ(out[0], 0xFFFFFFFFu);
    EXPECT_EQ(out[1], 0xFF000000u);
}

TEST(PixelCodecTest, UnknownFormatIsRefused) {
    const Bytes pixel = {0, 0, 0, 0};
    D3DCOLOR out = 0;
    EXPECT_EQ(FindPixelLayout(D3DFMT_UYVY), nullptr);
    EXPECT_FALSE(DecodeToArgb(D3DFMT_UYVY, pixel.data(), 4, 1, 1, nullptr, &out));
}

} // namespace

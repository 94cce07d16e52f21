// Tests of the BMP picture and alpha-mask readers on hand-written files.
#include "image/BmpReader.h"

#include "ImageTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// 2 × 2, 24 bits, pixel data at 54.
const std::vector<std::uint8_t> kBmp24 = {
    'B', 'M',               // signature
    70, 0, 0, 0,            // file size
    0, 0, 0, 0,             // reserved
    54, 0, 0, 0,            // pixel data offset
    40, 0, 0, 0,            // information header size
    2, 0, 0, 0,             // width
    2, 0, 0, 0,             // height
    1, 0,                   // planes
    24, 0,                  // bits per pixel
    0, 0, 0, 0,             // compression
    16, 0, 0, 0,            // image size
    0, 0, 0, 0, 0, 0, 0, 0, // resolutions
    0, 0, 0, 0, 0, 0, 0, 0, // colours used, colours important
    // first stored row = bottom row: blue, green, red per pixel, 2 bytes of padding
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xEE, 0xEE,
    // top row
    0x10, 0x20, 0x30, 0xFF, 0x00, 0x80, 0xEE, 0xEE, //
};
const std::vector<std::uint32_t> kBmp24Pixels = {0x00302010, 0x008000FF,  // top row
                                                 0x00030201, 0x00060504}; // bottom row

// 33 × 2, 1 bit: 33 pixels take 5 bytes, padded to 8.
const std::vector<std::uint8_t> kBmp1 = {
    'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, //
    62, 0, 0, 0,                       // pixel data offset: after 2 palette entries
    40, 0, 0, 0,                       // information header size
    33, 0, 0, 0,                       // width
    2, 0, 0, 0,                        // height
    1, 0, 1, 0,                        // planes, bits per pixel
    0, 0, 0, 0, 16, 0, 0, 0,           // compression, image size
    0, 0, 0, 0, 0, 0, 0, 0,            // resolutions
    2, 0, 0, 0, 0, 0, 0, 0,            // colours used, important
    0x10, 0x20, 0x30, 0x40,            // palette 0: blue, green, red, fourth byte
    0xA0, 0xB0, 0xC0, 0xD0,            // palette 1
    // bottom row: pixel 0 set; byte 4 = 1011 1111: only its top bit (pixel 32, set) is used
    0x80, 0x00, 0x00, 0x00, 0xBF, 0xFF, 0xFF, 0xFF,
    // top row: pixel 7 set; byte 4 = 0111 1111: pixel 32 clear
    0x01, 0x00, 0x00, 0x00, 0x7F, 0xFF, 0xFF, 0xFF, //
};

// 3 × 2, 4 bits, 16 palette entries: entry i is blue i, green 0x10 + i, red 0x20 + i, 0x30 + i.
const std::vector<std::uint8_t> kBmp4 = {
    'B',  'M',  126,  0,    0, 0, 0, 0, 0,  0,                   //
    118,  0,    0,    0,                                         // pixel data offset: 54 + 16 × 4
    40,   0,    0,    0,    3, 0, 0, 0, 2,  0, 0, 0,             // header size, width 3, height 2
    1,    0,    4,    0,                                         // planes, bits per pixel
    0,    0,    0,    0,    8, 0, 0, 0,                          // compression, image size
    0,    0,    0,    0,    0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, //
    0x00, 0x10, 0x20, 0x30,                                      // palette 0
    0x01, 0x11, 0x21, 0x31,                                      // 1
    0x02, 0x12, 0x22, 0x32,                                      // 2
    0x03, 0x13, 0x23, 0x33,                                      // 3
    0x04, 0x14, 0x24, 0x34,                                      // 4
    0x05, 0x15, 0x25, 0x35,                                      // 5
    0x06, 0x16, 0x26, 0x36,                                      // 6
    0x07, 0x17, 0x27, 0x37,                                      // 7
    0x08, 0x18, 0x28, 0x38,                                      // 8
    0x09, 0x19, 0x29, 0x39,                                      // 9
    0x0A, 0x1A, 0x2A, 0x3A,                                      // 10
    0x0B, 0x1B, 0x2B, 0x3B,                                      // 11
    0x0C, 0x1C, 0x2C, 0x3C,                                      // 12
    0x0D, 0x1D, 0x2D, 0x3D,                                      // 13
    0x0E, 0x1E, 0x2E, 0x3E,                                      // 14
    0x0F, 0x1F, 0x2F, 0x3F,                                      // 15
    0x12, 0x30, 0xEE, 0xEE, // bottom row: pixels 1, 2, 3 (high half-byte first), padding
    0xF0, 0xA5, 0xEE, 0xEE, // top row: pixels 15, 0, 10; the 5 lies beyond the width
};

// 3 × 2, 8 bits, with only 4 palette entries before the pixels at 70. The palette is still read
// as 256 entries from offset 54: entries 4 and 5 are the two pixel rows, and entries past the end
// of the file are 0.
const std::vector<std::uint8_t> kBmp8 = {
    'B',  'M',  78,   0,    0, 0, 0, 0, 0, 0,                   //
    70,   0,    0,    0,                                        // pixel data offset
    40,   0,    0,    0,    3, 0, 0, 0, 2, 0, 0, 0,             // header size, width 3, height 2
    1,    0,    8,    0,                                        // planes, bits per pixel
    0,    0,    0,    0,    8, 0, 0, 0,                         // compression, image size
    0,    0,    0,    0,    0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, // colours used: 4
    0x00, 0x00, 0x00, 0x00,                                     // palette 0
    0xFF, 0x00, 0x00, 0x7F,                                     // 1: blue, fourth byte 0x7F
    0x00, 0xFF, 0x00, 0x00,                                     // 2: green
    0x00, 0x00, 0xFF, 0xFF,                                     // 3: red, fourth byte 0xFF
    0x00, 0x01, 0x04, 0xEE,                                     // bottom row: 0, 1, 4, padding
    0x03, 0x02, 0xC8, 0xEE,                                     // top row: 3, 2, 200, padding
};

// 3 × 2 alpha mask, 8 bits, no palette, pixel data at 54.
const std::vector<std::uint8_t> kMask = {
    'B',  'M',  62,   0,    0, 0, 0, 0, 0, 0,                   //
    54,   0,    0,    0,                                        // pixel data offset
    40,   0,    0,    0,    3, 0, 0, 0, 2, 0, 0, 0,             // header size, width 3, height 2
    1,    0,    8,    0,                                        // planes, bits per pixel
    0,    0,    0,    0,    8, 0, 0, 0,                         // compression, image size
    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, //
    0x00, 0x80, 0xFF, 0xAA,                                     // bottom row, padding
    0x10, 0x20, 0x30, 0xAA,                                     // top row, padding
};

std::vector<std::uint32_t> Pixels(const ImageBuffer& image) {
    std::vector<std::uint32_t> pixels;
    for (std::size_t k = 0; k < std::size_t{image.width} * image.height; ++k) {
        pixels.push_back(image.ColorAt(k));
    }
    return pixels;
}

std::vector<std::uint8_t> MaskBytes(const ImageBuffer& mask) {
    return {mask.pixels.get(), mask.pixels.get() + std::size_t{mask.width} * mask.height};
}

TEST(LoadBmpTest, TwentyFourBitRowsAreStoredBottomUpAndGiveZeroAlpha) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image = LoadBmp(folder.Write("a.bmp", kBmp24).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->height, 2u);
    EXPECT_EQ(Pixels(*image), kBmp24Pixels);
    // Memory order of a pixel is blue, green, red, alpha.
    const std::uint8_t firstPixel[] = {0x10, 0x20, 0x30, 0x00};
    EXPECT_TRUE(std::equal(firstPixel, firstPixel + 4, image->pixels.get()));
}

TEST(LoadBmpTest, OneBitPixelsComeMostSignificantBitFirstAndIgnoreBitsBeyondTheWidth) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image = LoadBmp(folder.Write("a.bmp", kBmp1).c_str());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, 33u);
    ASSERT_EQ(image->height, 2u);
    const std::uint32_t zero = 0x40302010, one = 0xD0C0B0A0;
    for (std::uint32_t x = 0; x < 33; ++x) {
        EXPECT_EQ(image->ColorAt(x), x == 7 ? one : zero) << "top row, x " << x;
        EXPECT_EQ(image->ColorAt(33 + x), x == 0 || x == 32 ? one : zero) << "bottom row, x " << x;
    }
}

TEST(LoadBmpTest, FourBitPixelsTakeTheHighHalfByteFirst) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image = LoadBmp(folder.Write("a.bmp", kBmp4).c_str());
    ASSERT_NE(image, nullptr);
    auto entry = [](std::uint32_t i) {
        return (0x30 + i) << 24 | (0x20 + i) << 16 | (0x10 + i) << 8 | i;
    };
    EXPECT_EQ(Pixels(*image), (std::vector<std::uint32_t>{entry(15), entry(0), entry(10), //
                                                          entry(1), entry(2), entry(3)}));
}

TEST(LoadBmpTest, EightBitPaletteIsTwoHundredFiftySixEntriesFromOffsetFiftyFour) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image = LoadBmp(folder.Write("a.bmp", kBmp8).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<std::uint32_t>{
                                  0xFFFF0000, 0x0000FF00, 0x00000000, // top: 3, 2, 200
                                  0x00000000, 0x7F0000FF, 0xEE040100, // bottom: 0, 1, 4
                              }));
}

TEST(LoadBmpTest, HeaderVariantsThatStillDecode) {
    std::vector<std::uint8_t> gap = kBmp24;
    gap[10] = 58; // pixel data offset, after 4 bytes that are not read
    gap.insert(gap.begin() + 54, {0xDE, 0xAD, 0xBE, 0xEF});
    std::vector<std::uint8_t> trailing = kBmp24;
    trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"planes 0", Patched(kBmp24, 26, {0})},
        {"gap before the pixel data", gap},
        {"bytes after the last row", trailing},
        {"information header size 108 is ignored", Patched(kBmp24, 14, {108})},
        {"file size and image size fields are ignored",
         Patched(Patched(kBmp24, 2, {0xFF, 0xFF, 0xFF, 0xFF}), 34, {0xFF, 0xFF, 0xFF, 0xFF})},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::unique_ptr<ImageBuffer> image = LoadBmp(folder.Write("a.bmp", c.file).c_str());
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(Pixels(*image), kBmp24Pixels) << c.what;
    }
}

TEST(LoadBmpTest, UnusableFilesGiveNull) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"signature BN", Patched(kBmp24, 1, {'N'})},
        {"compression 1", Patched(kBmp24, 30, {1})},
        {"compression 3", Patched(kBmp24, 30, {3})},
        {"two planes", Patched(kBmp24, 26, {2})},
        {"16 bits", Patched(kBmp24, 28, {16})},
        {"32 bits", Patched(kBmp24, 28, {32})},
        {"2 bits", Patched(kBmp1, 28, {2})},
        {"0 bits", Patched(kBmp24, 28, {0})},
        {"bits 0x7530", Patched(kBmp24, 28, {0x30, 0x75})},
        {"negative width", Patched(kBmp24, 18, {0xFE, 0xFF, 0xFF, 0xFF})},
        {"negative height (top-down rows)", Patched(kBmp24, 22, {0xFE, 0xFF, 0xFF, 0xFF})},
        {"empty file", {}},
        {"header cut at 53 bytes", Truncated(kBmp24, 53)},
        {"last row one byte short", Truncated(kBmp24, kBmp24.size() - 1)},
        {"1-bit last row one byte short", Truncated(kBmp1, kBmp1.size() - 1)},
        {"pixel data offset past the end", Patched(kBmp24, 10, {71})},
        {"pixel data offset 4 GiB", Patched(kBmp24, 10, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"width 2^31 - 1", Patched(kBmp24, 18, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"height 2^31 - 1", Patched(kBmp24, 22, {0xFF, 0xFF, 0xFF, 0x7F})},
        {"65536 × 65536 (16 GiB of pixels)",
         Patched(Patched(kBmp1, 18, {0, 0, 1, 0}), 22, {0, 0, 1, 0})},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        EXPECT_EQ(LoadBmp(folder.Write("a.bmp", c.file).c_str()), nullptr) << c.what;
    }
    EXPECT_EQ(LoadBmp((folder.Path() + "/missing.bmp").c_str()), nullptr);
    EXPECT_EQ(LoadBmp(nullptr), nullptr);
}

TEST(LoadBmpTest, ZeroWidthGivesAnEmptyPicture) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image =
        LoadBmp(folder.Write("a.bmp", Patched(kBmp24, 18, {0})).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 0u);
    EXPECT_EQ(image->height, 2u);
}

TEST(LoadBmpTest, FilesAreOpenedWhateverTheCaseAndSeparatorsOfTheName) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path() + "/Textures");
    folder.Write("Textures/Wood.BMP", kBmp24);
    const std::unique_ptr<ImageBuffer> image =
        LoadBmp((folder.Path() + "/textures\\wood.bmp").c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), kBmp24Pixels);
}

TEST(LoadAlphaBmpTest, PixelBytesAreTheAlphaValuesWithRowsBottomUp) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> mask = LoadAlphaBmp(folder.Write("a.a", kMask).c_str());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->width, 3u);
    EXPECT_EQ(mask->height, 2u);
    EXPECT_EQ(MaskBytes(*mask), (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x00, 0x80, 0xFF}));
}

TEST(LoadAlphaBmpTest, PaletteIsSkippedAndIgnored) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> mask = LoadAlphaBmp(folder.Write("a.a", kBmp8).c_str());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(MaskBytes(*mask), (std::vector<std::uint8_t>{0x03, 0x02, 0xC8, 0x00, 0x01, 0x04}));
}

TEST(LoadAlphaBmpTest, UnusableFilesGiveNull) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"24 bits", kBmp24},
        {"4 bits", kBmp4},
        {"1 bit", kBmp1},
        {"signature", Patched(kMask, 0, {'b'})},
        {"compression 1", Patched(kMask, 30, {1})},
        {"two planes", Patched(kMask, 26, {2})},
        {"negative height", Patched(kMask, 22, {0xFE, 0xFF, 0xFF, 0xFF})},
        {"header cut", Truncated(kMask, 40)},
        {"last row short", Truncated(kMask, kMask.size() - 1)},
        {"height 2^31 - 1", Patched(kMask, 22, {0xFF, 0xFF, 0xFF, 0x7F})},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        EXPECT_EQ(LoadAlphaBmp(folder.Write("a.a", c.file).c_str()), nullptr) << c.what;
    }
    EXPECT_EQ(LoadAlphaBmp((folder.Path() + "/missing.a").c_str()), nullptr);
    EXPECT_EQ(LoadAlphaBmp(nullptr), nullptr);
}

} // namespace

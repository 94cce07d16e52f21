// Tests of the TGA reader on hand-written files.
#include "image/TgaReader.h"

#include "ImageTestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// 4 × 2, 16 bits, bottom-left origin.
const std::vector<std::uint8_t> kTga16 = {
    0,             // identification length
    0,             // colour-map type
    2,             // image type: uncompressed true colour
    0, 0, 0, 0, 0, // colour-map fields
    0, 0, 0, 0,    // x and y origin
    4, 0,          // width
    2, 0,          // height
    16,            // pixel depth
    0x00,          // descriptor
    // first stored row = bottom row, little-endian 16-bit values
    0xFF, 0x7F, // 0x7FFF: all three fields 31
    0x00, 0x7C, // 0x7C00: red 31
    0xE0, 0x03, // 0x03E0: green 31
    0x34, 0x12, // 0x1234: red 4, green 17, blue 20
    // top row
    0xFF, 0xFF, // 0xFFFF: bit 15 is dropped
    0x00, 0x80, // 0x8000: bit 15 alone
    0x1F, 0x00, // 0x001F: blue 31
    0x00, 0x00, //
};
const std::vector<std::uint32_t> kTga16Pixels = {
    0x00F8F8F8, 0x00000000, 0x000000F8, 0x00000000, // top
    0x00F8F8F8, 0x00F80000, 0x0000F800, 0x002088A0, // bottom: 4 << 3, 17 << 3, 20 << 3
};

// 2 × 2, 32 bits, descriptor: top-left origin with 8 alpha bits.
const std::vector<std::uint8_t> kTga32 = {
    0,    0,    2,    0,    0, 0, 0, 0, 0, 0, 0, 0, // identification length, colour map, type 2
    2,    0,    2,    0,                            // width, height
    32,                                             // pixel depth
    0x28,                                           // descriptor: top-left origin, 8 alpha bits
    0x01, 0x02, 0x03, 0x04,                         // first stored row: blue, green, red, alpha
    0x05, 0x06, 0x07, 0x08,                         //
    0x10, 0x20, 0x30, 0x40,                         // second stored row
    0xFF, 0xEE, 0xDD, 0xCC,                         //
};
// Read bottom-up whatever the descriptor says: the first stored row is the bottom row.
const std::vector<std::uint32_t> kTga32Pixels = {0x40302010, 0xCCDDEEFF, 0x04030201, 0x08070605};

std::vector<std::uint32_t> Pixels(const ImageBuffer& image) {
    std::vector<std::uint32_t> pixels;
    for (std::size_t k = 0; k < std::size_t{image.width} * image.height; ++k) {
        pixels.push_back(image.ColorAt(k));
    }
    return pixels;
}

TEST(LoadTgaTest, PixelsOfEachDepthAndOrigin) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        std::uint32_t width, height;
        std::vector<std::uint32_t> pixels;
    } cases[] = {
        {"16 bits", kTga16, 4, 2, kTga16Pixels},
        {"15 bits reads as 16", Patched(kTga16, 16, {15}), 4, 2, kTga16Pixels},
        {"16 bits, top-left origin still bottom-up", Patched(kTga16, 17, {0x20}), 4, 2,
         kTga16Pixels},
        {"32 bits keeps alpha, top-left origin still bottom-up", kTga32, 2, 2, kTga32Pixels},
        {"32 bits, bottom-left origin", Patched(kTga32, 17, {0x08}), 2, 2, kTga32Pixels},
        {"colour-map type and origin are ignored",
         Patched(Patched(kTga32, 1, {1}), 8, {5, 0, 7, 0}), 2, 2, kTga32Pixels},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::unique_ptr<ImageBuffer> image = LoadTga(folder.Write("a.tga", c.file).c_str());
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(image->width, c.width) << c.what;
        EXPECT_EQ(image->height, c.height) << c.what;
        EXPECT_EQ(Pixels(*image), c.pixels) << c.what;
    }
}

TEST(LoadTgaTest, IdentificationFieldIsNotSkipped) {
    const std::vector<std::uint8_t> file = {
        4,    0,    2,    0,    0,  0,    0, 0, 0, 0, 0, 0, // identification length 4
        1,    0,    1,    0,    32, 0x08,                   // 1 × 1, 32 bits
        'a',  'b',  'c',  'd',  // identification field, read as the pixel
        0x11, 0x22, 0x33, 0x44, // the pixel the writer meant
    };
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image = LoadTga(folder.Write("a.tga", file).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->ColorAt(0), 0x64636261u);
}

TEST(LoadTgaTest, UnusableFilesGiveNull) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"image type 10 (run-length)", Patched(kTga32, 2, {10})},
        {"image type 1 (colour-mapped)", Patched(kTga32, 2, {1})},
        {"image type 3 (grey)", Patched(kTga32, 2, {3})},
        {"image type 0", Patched(kTga32, 2, {0})},
        {"depth 24", Patched(kTga32, 16, {24})},
        {"depth 8", Patched(kTga32, 16, {8})},
        {"depth 0", Patched(kTga32, 16, {0})},
        {"depth 17", Patched(kTga16, 16, {17})},
        {"depth 31", Patched(kTga32, 16, {31})},
        {"empty file", {}},
        {"header cut at 17 bytes", Truncated(kTga32, 17)},
        {"pixels one byte short", Truncated(kTga32, kTga32.size() - 1)},
        {"16-bit pixels one byte short", Truncated(kTga16, kTga16.size() - 1)},
        {"65535 × 65535", Patched(kTga32, 12, {0xFF, 0xFF, 0xFF, 0xFF})},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        EXPECT_EQ(LoadTga(folder.Write("a.tga", c.file).c_str()), nullptr) << c.what;
    }
    EXPECT_EQ(LoadTga((folder.Path() + "/missing.tga").c_str()), nullptr);
    EXPECT_EQ(LoadTga(nullptr), nullptr);
}

TEST(LoadTgaTest, ZeroHeightGivesAnEmptyPicture) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image =
        LoadTga(folder.Write("a.tga", Patched(kTga32, 14, {0})).c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->height, 0u);
}

} // namespace

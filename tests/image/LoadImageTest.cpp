// Tests of the file extension and of choosing a reader by it.
#include "image/LoadImage.h"

#include "ImageTestFiles.h"
#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// 1 × 1, 24 bits: blue 1, green 2, red 3.
const std::vector<std::uint8_t> kBmp = {
    'B',  'M',  58,   0,    0, 0, 0, 0, 0, 0, 54, 0, 0, 0, // signature, size, reserved, data offset
    40,   0,    0,    0,    1, 0, 0, 0, 1, 0, 0,  0,       // header size, width 1, height 1
    1,    0,    24,   0,    0, 0, 0, 0, 4, 0, 0,  0,       // planes, bits, compression, image size
    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, //
    0x01, 0x02, 0x03, 0x00,                                      // the row, padded to 4 bytes
};

// 1 × 1, 32 bits: blue 4, green 5, red 6, alpha 7.
const std::vector<std::uint8_t> kTga = {
    0,    0,    2,    0,    0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0, // type 2, 1 × 1, 32 bits
    0x04, 0x05, 0x06, 0x07,                                            //
};

TEST(GetFileExtensionTest, TextAfterTheLastDot) {
    struct Case {
        const char* name;
        std::size_t offset; // of the extension within the name
    } cases[] = {
        {"wood.jpg", 5},      {"WOOD.JPG", 5}, {"a.b.tga", 4}, {"data\\stone.bmp", 11},
        {"noext", 5},         // the terminating character
        {"name.", 5},         // empty, after the dot
        {"old.set\\wood", 4}, // the scan does not stop at folder separators
        {"dir.d/file", 4},    {".hidden", 1},  {"", 0},
    };
    for (const Case& c : cases) {
        const char* extension = GetFileExtension(c.name);
        EXPECT_EQ(extension, c.name + c.offset) << c.name;
        EXPECT_EQ(std::strlen(extension), std::strlen(c.name) - c.offset) << c.name;
    }
    EXPECT_STREQ(GetFileExtension(nullptr), "");
}

TEST(LoadImageTest, ReaderIsChosenByExtensionIgnoringCase) {
    struct Case {
        const char* name;
        const std::vector<std::uint8_t>* file;
        std::uint32_t width;      // 0: null
        std::uint32_t firstPixel; // tells the BMP and TGA fixtures apart; 0: not checked
    } cases[] = {
        {"a.bmp", &kBmp, 1, 0x00030201},
        {"b.BMP", &kBmp, 1, 0x00030201},
        {"c.Bmp", &kBmp, 1, 0x00030201},
        {"d.tga", &kTga, 1, 0x07060504},
        {"e.TGA", &kTga, 1, 0x07060504},
        {"f.bmp.tga", &kTga, 1, 0x07060504},
        {"g.jpg", &kJpeg, 16, 0},
        {"h.JPG", &kJpeg, 16, 0},
        {"i.Jpg", &kJpeg, 16, 0},
        // The extension decides, whatever the content.
        {"j.tga", &kBmp, 0, 0},
        {"k.bmp", &kTga, 0, 0},
        {"l.jpg", &kBmp, 0, 0},
        {"m.bmp", &kJpeg, 0, 0},
        // Extensions no reader takes.
        {"n.jpeg", &kJpeg, 0, 0},
        {"o.png", &kBmp, 0, 0},
        {"p.bmpx", &kBmp, 0, 0},
        {"q.bm", &kBmp, 0, 0},
        {"noext", &kBmp, 0, 0},
        {"dot.", &kBmp, 0, 0},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::unique_ptr<ImageBuffer> image = LoadImage(folder.Write(c.name, *c.file).c_str());
        if (c.width == 0) {
            EXPECT_EQ(image, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(image, nullptr) << c.name;
        EXPECT_EQ(image->width, c.width) << c.name;
        if (c.firstPixel != 0) {
            EXPECT_EQ(image->ColorAt(0), c.firstPixel) << c.name;
        }
    }
    EXPECT_EQ(LoadImage(nullptr), nullptr);
}

TEST(LoadImageTest, DotOnlyInAFolderNameGivesNull) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path() + "/old.set");
    folder.Write("old.set/wood", kBmp);
    EXPECT_EQ(LoadImage((folder.Path() + "/old.set\\wood").c_str()), nullptr);
}

} // namespace

// Tests of the JPEG decoding layer and the JPEG reader on hand-written files.
#include "image/JpegReader.h"
#include "image/JpegLibrary.h"

#include "ImageTestFiles.h"
#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kHeightOffset = 2 + 69 + 5; // of the frame's height field in kJpeg

struct Rgb {
    int r, g, b;
};

// JFIF conversion of a level 128 + dy, 128 + dcb, 128 + dcr pixel, rounded.
Rgb FromYcbcr(double dy, double dcb, double dcr) {
    const double y = 128 + dy;
    return {static_cast<int>(std::lround(y + 1.402 * dcr)),
            static_cast<int>(std::lround(y - 0.344136 * dcb - 0.714136 * dcr)),
            static_cast<int>(std::lround(y + 1.772 * dcb))};
}

// The colour the fixture kJpeg has at (x, y).
Rgb FixtureColor(int x, int y) {
    if (x < 8 && y < 8) {
        return FromYcbcr(0, 0, 64);
    }
    if (x >= 8 && y >= 8) {
        return FromYcbcr(0, 64, 0);
    }
    return FromYcbcr(0, 0, 0);
}

bool Near(int a, int b) {
    return std::abs(a - b) <= 1;
}

TEST(JpegLibraryTest, ParametersComeFromTheHeader) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        int width, height, channels;
    } cases[] = {
        {"colour", kJpeg, 16, 16, 3},
        {"grey", kGreyJpeg, 8, 8, 1},
        {"header only", Truncated(kJpeg, kJpeg.size() - 10), 16, 16, 3},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string file = folder.Write("a.jpg", c.file);
        JpegProperties properties{};
        ASSERT_EQ(JpegInit(&properties), kJpegOk);
        properties.fileName = file.c_str();
        EXPECT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegOk) << c.what;
        EXPECT_EQ(properties.width, c.width) << c.what;
        EXPECT_EQ(properties.height, c.height) << c.what;
        EXPECT_EQ(properties.channels, c.channels) << c.what;
        EXPECT_EQ(JpegRelease(&properties), kJpegOk);
    }
}

TEST(JpegLibraryTest, ImageRowsFollowTheOutputDescriptionWithPadding) {
    TempFolder folder;
    const std::string file = folder.Write("a.jpg", kJpeg);
    JpegProperties properties{};
    ASSERT_EQ(JpegInit(&properties), kJpegOk);
    properties.fileName = file.c_str();
    ASSERT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegOk);
    constexpr int kPadding = 5;
    constexpr int kStride = 16 * 3 + kPadding;
    std::vector<std::uint8_t> output(kStride * 16, 0xEE);
    properties.outputPixels = output.data();
    properties.outputWidth = 16;
    properties.outputHeight = 16;
    properties.outputPadding = kPadding;
    properties.outputChannels = 3;
    properties.outputColor = kJpegColorRgb;
    properties.color = kJpegColorYcbcr;
    ASSERT_EQ(JpegRead(&properties, kJpegReadImage), kJpegOk);
    EXPECT_EQ(JpegRelease(&properties), kJpegOk);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint8_t* p = &output[y * kStride + x * 3];
            const Rgb want = FixtureColor(x, y);
            EXPECT_TRUE(Near(p[0], want.r) && Near(p[1], want.g) && Near(p[2], want.b))
                << x << "," << y << ": " << int{p[0]} << " " << int{p[1]} << " " << int{p[2]};
        }
        for (int i = 16 * 3; i < kStride; ++i) {
            EXPECT_EQ(output[y * kStride + i], 0xEE) << "padding of row " << y;
        }
    }
}

TEST(JpegLibraryTest, OutputDescriptionsThatDoNotFitAreRefused) {
    TempFolder folder;
    const std::string colour = folder.Write("colour.jpg", kJpeg);
    const std::string grey = folder.Write("grey.jpg", kGreyJpeg);
    std::vector<std::uint8_t> output(16 * 16 * 4);
    struct Case {
        const char* what;
        const std::string* file;
        int width, height, padding, channels, outputColor, color;
        bool pixels;
    } cases[] = {
        {"4 output channels", &colour, 16, 16, 0, 4, kJpegColorRgb, kJpegColorYcbcr, true},
        {"output colour 3", &colour, 16, 16, 0, 3, kJpegColorYcbcr, kJpegColorYcbcr, true},
        {"picture colour 1", &colour, 16, 16, 0, 3, kJpegColorRgb, kJpegColorRgb, true},
        {"width 15", &colour, 15, 16, 0, 3, kJpegColorRgb, kJpegColorYcbcr, true},
        {"height 17", &colour, 16, 17, 0, 3, kJpegColorRgb, kJpegColorYcbcr, true},
        {"padding -1", &colour, 16, 16, -1, 3, kJpegColorRgb, kJpegColorYcbcr, true},
        {"no buffer", &colour, 16, 16, 0, 3, kJpegColorRgb, kJpegColorYcbcr, false},
        {"one-channel picture", &grey, 8, 8, 0, 3, kJpegColorRgb, kJpegColorYcbcr, true},
    };
    for (const Case& c : cases) {
        JpegProperties properties{};
        ASSERT_EQ(JpegInit(&properties), kJpegOk);
        properties.fileName = c.file->c_str();
        properties.outputPixels = c.pixels ? output.data() : nullptr;
        properties.outputWidth = c.width;
        properties.outputHeight = c.height;
        properties.outputPadding = c.padding;
        properties.outputChannels = c.channels;
        properties.outputColor = c.outputColor;
        properties.color = c.color;
        EXPECT_EQ(JpegRead(&properties, kJpegReadImage), kJpegBadOutput) << c.what;
        JpegRelease(&properties);
    }
}

TEST(JpegLibraryTest, CallsOutOfOrderAndMissingFilesAnswerWithFailures) {
    TempFolder folder;
    const std::string missing = folder.Path() + "/missing.jpg";
    const std::string junk =
        folder.Write("junk.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'g'});

    JpegProperties properties{};
    EXPECT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegNotInitialised);
    EXPECT_EQ(JpegRelease(&properties), kJpegNotInitialised);
    ASSERT_EQ(JpegInit(&properties), kJpegOk);
    EXPECT_EQ(JpegInit(&properties), kJpegNotInitialised);
    EXPECT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegCannotOpen); // no name
    properties.fileName = missing.c_str();
    EXPECT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegCannotOpen);
    properties.fileName = junk.c_str();
    EXPECT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegBadData);
    EXPECT_EQ(JpegRead(&properties, 1), kJpegBadMode);
    EXPECT_EQ(JpegRelease(&properties), kJpegOk);
    EXPECT_EQ(JpegRead(&properties, kJpegReadParameters), kJpegNotInitialised);
    EXPECT_EQ(JpegInit(&properties), kJpegOk); // a released record can be used again
    EXPECT_EQ(JpegRelease(&properties), kJpegOk);
}

TEST(LoadJpgTest, ThreeChannelPictureDecodesTopDownWithZeroAlpha) {
    TempFolder folder;
    const std::unique_ptr<ImageBuffer> image = LoadJpg(folder.Write("a.jpg", kJpeg).c_str());
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, 16u);
    ASSERT_EQ(image->height, 16u);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t pixel = image->ColorAt(static_cast<std::size_t>(y * 16 + x));
            const Rgb want = FixtureColor(x, y);
            EXPECT_EQ(pixel >> 24, 0u);
            EXPECT_TRUE(Near(static_cast<int>(pixel >> 16 & 0xFF), want.r) &&
                        Near(static_cast<int>(pixel >> 8 & 0xFF), want.g) &&
                        Near(static_cast<int>(pixel & 0xFF), want.b))
                << x << "," << y << ": " << std::hex << pixel;
        }
    }
}

TEST(LoadJpgTest, UnusableFilesGiveNull) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"one channel", kGreyJpeg},
        {"data cut in the third unit", Truncated(kJpeg, kJpeg.size() - 4)},
        {"no end-of-image marker", Truncated(kJpeg, kJpeg.size() - 2)},
        {"header only", Truncated(kJpeg, kJpeg.size() - 10)},
        {"cut in the frame header", Truncated(kJpeg, kHeightOffset + 2)},
        {"65500 × 65500, more pixels than the reader takes",
         Patched(kJpeg, kHeightOffset, {0xFF, 0xDC, 0xFF, 0xDC})},
        {"8192 × 8193, one row over the limit",
         Patched(kJpeg, kHeightOffset, {0x20, 0x01, 0x20, 0x00})},
        {"height 0", Patched(kJpeg, kHeightOffset, {0x00, 0x00})},
        {"not a JPEG file", {'B', 'M', 0, 0, 0, 0}},
        {"empty file", {}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        EXPECT_EQ(LoadJpg(folder.Write("a.jpg", c.file).c_str()), nullptr) << c.what;
    }
    EXPECT_EQ(LoadJpg((folder.Path() + "/missing.jpg").c_str()), nullptr);
    EXPECT_EQ(LoadJpg(nullptr), nullptr);
}

} // namespace

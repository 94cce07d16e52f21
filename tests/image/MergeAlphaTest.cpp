// Tests of merging an alpha mask into a colour picture.
#include "image/MergeAlpha.h"

#include "image/ImageBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A colour picture whose pixel k is 0xAA000000 | k × 0x010203 (so alpha is visibly replaced).
std::unique_ptr<ImageBuffer> Picture(std::uint32_t width, std::uint32_t height) {
    std::unique_ptr<ImageBuffer> image = NewColorImage(width, height);
    for (std::uint32_t k = 0; k < width * height; ++k) {
        image->SetColorAt(k, 0xAA000000u | k * 0x010203u);
    }
    return image;
}

// A mask whose byte at (row, column) is row × 16 + column + 1.
std::unique_ptr<ImageBuffer> Mask(std::uint32_t width, std::uint32_t height) {
    std::unique_ptr<ImageBuffer> mask = NewAlphaMask(width, height);
    for (std::uint32_t i = 0; i < height; ++i) {
        for (std::uint32_t j = 0; j < width; ++j) {
            mask->pixels[i * width + j] = static_cast<std::uint8_t>(i * 16 + j + 1);
        }
    }
    return mask;
}

TEST(MergeAlphaTest, MaskOfThePictureSizeReplacesAlphaAndKeepsColour) {
    const std::unique_ptr<ImageBuffer> image = Picture(3, 2);
    const std::unique_ptr<ImageBuffer> mask = Mask(3, 2);
    MergeAlpha(image.get(), mask.get());
    for (std::uint32_t k = 0; k < 6; ++k) {
        const std::uint32_t alpha = (k / 3) * 16 + k % 3 + 1;
        EXPECT_EQ(image->ColorAt(k), alpha << 24 | k * 0x010203u) << k;
    }
    EXPECT_EQ(mask->width, 3u);
    EXPECT_EQ(mask->pixels[5], 0x13);
}

// Rows and columns of the mask sampled for each row and column of the picture.
TEST(MergeAlphaTest, OtherMaskSizesAreResampledByNearestSample) {
    struct Case {
        std::uint32_t maskWidth, maskHeight, width, height;
        std::vector<std::uint32_t> columns, rows;
    } cases[] = {
        {2, 2, 4, 4, {0, 0, 1, 1}, {0, 0, 1, 1}},
        {8, 8, 4, 4, {0, 2, 4, 6}, {0, 2, 4, 6}},
        {3, 1, 2, 2, {0, 1}, {0, 0}},
        {5, 2, 3, 1, {0, 1, 3}, {0}},
        // The step 14 / 20 rounds to 0.699999988 in single precision, so column 10 lies just
        // below 7 and takes mask column 6.
        {14, 1, 20, 1, {0, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 11, 12, 13}, {0}},
        // 6 / 20 rounds up to 0.300000012, so column 10 reaches 3 (a double step, just below
        // 0.3, would stop short of it).
        {6, 1, 20, 1, {0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 5, 5, 5}, {0}},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<ImageBuffer> image = Picture(c.width, c.height);
        const std::unique_ptr<ImageBuffer> mask = Mask(c.maskWidth, c.maskHeight);
        MergeAlpha(image.get(), mask.get());
        ASSERT_EQ(mask->width, c.width);
        ASSERT_EQ(mask->height, c.height);
        for (std::uint32_t i = 0; i < c.height; ++i) {
            for (std::uint32_t j = 0; j < c.width; ++j) {
                const std::uint32_t k = i * c.width + j;
                const std::uint32_t alpha = c.rows[i] * 16 + c.columns[j] + 1;
                EXPECT_EQ(mask->pixels[k], alpha)
                    << c.maskWidth << "→" << c.width << " " << i << "," << j;
                EXPECT_EQ(image->ColorAt(k), alpha << 24 | k * 0x010203u);
            }
        }
    }
}

TEST(MergeAlphaTest, EmptyMaskLeavesAPictureUnchanged) {
    const std::unique_ptr<ImageBuffer> image = Picture(2, 2);
    const std::unique_ptr<ImageBuffer> mask = Mask(0, 3);
    MergeAlpha(image.get(), mask.get());
    for (std::uint32_t k = 0; k < 4; ++k) {
        EXPECT_EQ(image->ColorAt(k), 0xAA000000u | k * 0x010203u);
    }
    EXPECT_EQ(mask->width, 0u);
    EXPECT_EQ(mask->height, 3u);
}

TEST(MergeAlphaTest, EmptyPictureTakesNothingAndTheMaskTakesItsSize) {
    const std::unique_ptr<ImageBuffer> image = Picture(0, 5);
    const std::unique_ptr<ImageBuffer> mask = Mask(2, 2);
    MergeAlpha(image.get(), mask.get());
    EXPECT_EQ(mask->width, 0u);
    EXPECT_EQ(mask->height, 5u);
}

TEST(MergeAlphaTest, MissingRecordsOrPixelArraysChangeNothing) {
    const std::unique_ptr<ImageBuffer> image = Picture(2, 1);
    ImageBuffer noPixels;
    noPixels.width = 2;
    noPixels.height = 1;
    MergeAlpha(image.get(), &noPixels);
    MergeAlpha(image.get(), nullptr);
    MergeAlpha(nullptr, nullptr);
    EXPECT_EQ(image->ColorAt(1), 0xAA010203u);
    const std::unique_ptr<ImageBuffer> mask = Mask(2, 1);
    MergeAlpha(&noPixels, mask.get());
    EXPECT_EQ(mask->pixels[1], 2);
}

} // namespace

// The letterbox rectangle that on-screen presentation draws the back buffer into.
#include "device/gl/GlContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

TEST(FitKeepingAspect, CentresTheLargestRectangleOfThePictureAspect) {
    struct Case {
        int pictureWidth, pictureHeight, windowWidth, windowHeight;
    } cases[] = {
        {800, 600, 800, 600},   // same size
        {800, 600, 1920, 1080}, // wider window: bars left and right
        {800, 600, 1280, 1024}, // taller window: bars top and bottom
        {800, 600, 400, 300},   // smaller window
        {800, 600, 1366, 768},  // scale that does not land on whole pixels
        {640, 480, 333, 1000},
    };
    for (const Case& c : cases) {
        const double scale = std::min(double(c.windowWidth) / c.pictureWidth,
                                      double(c.windowHeight) / c.pictureHeight);
        const int width = int(std::floor(c.pictureWidth * scale + 0.5));
        const int height = int(std::floor(c.pictureHeight * scale + 0.5));
        const PixelRect expected{(c.windowWidth - width) / 2, (c.windowHeight - height) / 2, width,
                                 height};
        const PixelRect got =
            FitKeepingAspect(c.pictureWidth, c.pictureHeight, c.windowWidth, c.windowHeight);
        EXPECT_EQ(got.x, expected.x) << c.windowWidth << "x" << c.windowHeight;
        EXPECT_EQ(got.y, expected.y) << c.windowWidth << "x" << c.windowHeight;
        EXPECT_EQ(got.width, expected.width) << c.windowWidth << "x" << c.windowHeight;
        EXPECT_EQ(got.height, expected.height) << c.windowWidth << "x" << c.windowHeight;
        // One side always fills the window.
        EXPECT_TRUE(got.width == c.windowWidth || got.height == c.windowHeight);
    }
}

TEST(FitKeepingAspect, EmptySizesGiveAnEmptyRectangle) {
    struct Case {
        int pictureWidth, pictureHeight, windowWidth, windowHeight;
    } cases[] = {{0, 600, 800, 600}, {800, 0, 800, 600}, {800, 600, 0, 600}, {800, 600, 800, -1}};
    for (const Case& c : cases) {
        EXPECT_TRUE(FitKeepingAspect(c.pictureWidth, c.pictureHeight, c.windowWidth,
                                     c.windowHeight) == PixelRect{});
    }
}

// The spiral zoom effect: what it tells its picture per layer, and what reaches the device.
#include "effects/SpiralZoomEffect.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

using WatchedSpiral = WatchedEffect<SpiralZoomEffect>;

// z of layer i at time t: i × float(5t) × 0.0005 (the constant as stored), worked in long double
// and rounded once to float.
float ExpectedZ(std::uint32_t t, int i) {
    const long double m = static_cast<float>(5 * t);
    return static_cast<float>(i * m * static_cast<long double>(std::bit_cast<float>(0x3A03126Fu)));
}

class SpiralZoomEffectTest : public RecordingSceneTest {};

TEST_F(SpiralZoomEffectTest, LoadMakesAnOpaqueWhitePictureOfBack002JpgUnscaled) {
    WatchedSpiral effect;
    EXPECT_FALSE(effect.IsLoaded());
    effect.Load(device.Get());
    EXPECT_TRUE(effect.IsLoaded());
    ASSERT_NE(effect.picture, nullptr);
    for (int channel : effect.picture->constructed) {
        EXPECT_EQ(channel, 255);
    }
    ASSERT_EQ(effect.picture->loads.size(), 1u);
    ExpectDemoPictureLoad(effect.picture->loads[0], "data\\back002.jpg", device.Get());
}

TEST_F(SpiralZoomEffectTest, EveryLayerFollowsItsZoomFactor) {
    const std::uint32_t times[] = {0, 1, 3, 751, 1000, 1550, 4321};
    for (std::uint32_t t : times) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        WatchedSpiral effect;
        effect.Load(device.Get());
        EXPECT_EQ(effect.Render(t), 0);
        const auto& drawn = effect.picture->drawn;
        ASSERT_EQ(drawn.size(), 16u);
        for (int i = 0; i < 16; ++i) {
            SCOPED_TRACE(testing::Message() << "layer " << i);
            const float z = ExpectedZ(t, i);
            const DrawnLayer& d = drawn[i];
            EXPECT_EQ(d.rotation, z);
            EXPECT_EQ(d.scaleX, 0.5f * z);
            EXPECT_EQ(d.scaleY, 0.5f * z);
            EXPECT_EQ(d.centerX, static_cast<float>(400.0L * z));
            EXPECT_EQ(d.centerY, static_cast<float>(300.0L * z));
            EXPECT_EQ(d.positionX, static_cast<float>((800.0L - 800.0L * z) / 2));
            EXPECT_EQ(d.positionY, static_cast<float>((600.0L - 600.0L * z) / 2));
            EXPECT_EQ(d.alpha, 4 * i);
        }
        EXPECT_TRUE(effect.picture->colourStaysWhite);
    }
}

TEST_F(SpiralZoomEffectTest, ListedValuesAtTheStartOfItsEntry) {
    WatchedSpiral effect;
    effect.Load(device.Get());
    effect.Render(751);
    const auto& drawn = effect.picture->drawn;
    ASSERT_EQ(drawn.size(), 16u);
    // z ≈ 0.0025 × i × t.
    EXPECT_NEAR(drawn[1].scaleX, 0.94, 0.005);
    EXPECT_NEAR(drawn[1].rotation, 1.88, 0.005);
    EXPECT_NEAR(drawn[15].scaleX, 14.1, 0.05);
    EXPECT_EQ(drawn[15].alpha, 60);
    EXPECT_EQ(drawn[0].scaleX, 0.0f);
    EXPECT_EQ(drawn[0].alpha, 0);
}

TEST_F(SpiralZoomEffectTest, AtTimeZeroEveryLayerHasZoomZero) {
    WatchedSpiral effect;
    effect.Load(device.Get());
    effect.Render(0);
    ASSERT_EQ(effect.picture->drawn.size(), 16u);
    for (const DrawnLayer& d : effect.picture->drawn) {
        EXPECT_EQ(d.scaleX, 0.0f);
        EXPECT_EQ(d.rotation, 0.0f);
        EXPECT_EQ(d.positionX, 400.0f);
        EXPECT_EQ(d.positionY, 300.0f);
    }
}

TEST_F(SpiralZoomEffectTest, RenderBeforeLoadOrAfterReleaseDrawsNothing) {
    SpiralZoomEffect effect;
    recorder->ClearCalls();
    EXPECT_EQ(effect.Render(751), 0);
    EXPECT_TRUE(recorder->Calls().empty());

    WatchedSpiral watched;
    watched.Load(device.Get());
    watched.Release();
    EXPECT_EQ(watched.picturesDestroyed, 1);
    recorder->ClearCalls();
    EXPECT_EQ(watched.Render(751), 0);
    EXPECT_TRUE(recorder->Calls().empty());
}

TEST_F(SpiralZoomEffectTest, DrawsSixteenQuadsTurningAboutThePicturesFarCornerWithoutClearing) {
    DataFolder folder;
    folder.Write("back002.jpg", FlatBmp(40, 30, 0x808080));
    SpiralZoomEffect effect;
    effect.Load(device.Get());
    const std::uint32_t times[] = {100, 751, 1550};
    for (std::uint32_t t : times) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        recorder->ClearCalls();
        EXPECT_EQ(effect.Render(t), 0);
        EXPECT_TRUE(recorder->CallsNamed("Clear").empty());
        const auto quads = RecordedQuads(*recorder);
        ASSERT_EQ(quads.size(), 16u);
        for (int i = 1; i < 16; ++i) {
            SCOPED_TRACE(testing::Message() << "layer " << i);
            ASSERT_EQ(quads[i].size(), 4u);
            EXPECT_EQ(quads[i][0].colour, (static_cast<D3DCOLOR>(4 * i) << 24) | 0xFFFFFFu);
            // The texture point (800, 600) stays on the screen centre; the corners are floats
            // thousands of pixels out at late times, so the tolerance grows with the zoom.
            const double z = 0.0025 * i * t;
            const ScreenPoint centre = MapTexel(quads[i], 800, 600, 40, 30);
            EXPECT_NEAR(centre.x, 399.5, 1e-2 + 2e-3 * z);
            EXPECT_NEAR(centre.y, 299.5, 1e-2 + 2e-3 * z);
            const double dx = quads[i][1].x - quads[i][0].x;
            const double dy = quads[i][1].y - quads[i][0].y;
            EXPECT_NEAR(std::hypot(dx, dy), 40.0 * 0.5 * z, 1e-3 * z + 1e-3);
            EXPECT_NEAR(std::remainder(std::atan2(-dy, dx) - z, 2 * std::numbers::pi), 0.0, 1e-4);
        }
    }
}

} // namespace

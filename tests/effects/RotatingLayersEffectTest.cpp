// The rotating layers effect: what it tells its picture per layer, and what reaches the device.
#include "effects/RotatingLayersEffect.h"

#include "EffectTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

using WatchedLayers = WatchedEffect<RotatingLayersEffect>;

// The layer values for τ, from the two single-precision constants (0.02 and 1/90 as stored),
// worked in long double and rounded to float where the effect keeps a float.
struct ExpectedLayer {
    float scale, rotation;
};

ExpectedLayer Expected(std::uint32_t tau) {
    const long double a = tau * static_cast<long double>(std::bit_cast<float>(0x3CA3D70Au));
    const long double b = tau * static_cast<long double>(std::bit_cast<float>(0x3C360B61u));
    const long double s = 2.0L + 0.7L * std::sin(0.9L * b + 0.5L * a);
    return {static_cast<float>(s), static_cast<float>(b)};
}

class RotatingLayersEffectTest : public RecordingSceneTest {};

TEST_F(RotatingLayersEffectTest, LoadMakesAnOpaqueWhitePictureOfLoadJpgUnscaled) {
    WatchedLayers effect;
    EXPECT_FALSE(effect.IsLoaded());
    effect.Load(device.Get());
    EXPECT_TRUE(effect.IsLoaded());
    ASSERT_NE(effect.picture, nullptr);
    EXPECT_EQ(effect.picture->constructed[0], 255);
    EXPECT_EQ(effect.picture->constructed[1], 255);
    EXPECT_EQ(effect.picture->constructed[2], 255);
    EXPECT_EQ(effect.picture->constructed[3], 255);
    ASSERT_EQ(effect.picture->loads.size(), 1u);
    ExpectDemoPictureLoad(effect.picture->loads[0], "data\\load.jpg", device.Get());
}

TEST_F(RotatingLayersEffectTest, EachLayerIsOneSecondAheadAndKeepsPicturePointOnScreenCentre) {
    // 65 is the first time whose angle differs between the stored 1/90 and the exact one.
    const std::uint32_t times[] = {0, 1, 65, 157, 400, 750, 5000, 16100};
    for (std::uint32_t t : times) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        WatchedLayers effect;
        effect.Load(device.Get());
        EXPECT_EQ(effect.Render(t), 0);
        const auto& drawn = effect.picture->drawn;
        ASSERT_EQ(drawn.size(), 4u);
        for (std::uint32_t k = 0; k < 4; ++k) {
            SCOPED_TRACE(testing::Message() << "layer " << k);
            const ExpectedLayer e = Expected(t + 100 * k);
            const DrawnLayer& d = drawn[k];
            EXPECT_FLOAT_EQ(d.scaleX, e.scale);
            EXPECT_EQ(d.scaleY, d.scaleX);
            EXPECT_EQ(d.rotation, e.rotation);
            EXPECT_NEAR(d.positionX, 400.0 - 400.0 * e.scale, 2e-4);
            EXPECT_NEAR(d.positionY, 300.0 - 300.0 * e.scale, 2e-4);
            EXPECT_NEAR(d.centerX, 400.0 * e.scale, 2e-4);
            EXPECT_NEAR(d.centerY, 300.0 * e.scale, 2e-4);
            // The picture point (400, 300), scaled, is the rotation centre; placed, the centre.
            EXPECT_EQ(d.centerX, static_cast<float>(400.0 * d.scaleX));
            EXPECT_EQ(d.centerY, static_cast<float>(300.0 * d.scaleX));
            EXPECT_NEAR(d.positionX + d.centerX, 400.0, 2e-4);
            EXPECT_NEAR(d.positionY + d.centerY, 300.0, 2e-4);
        }
        EXPECT_TRUE(effect.picture->colourStaysWhite);
    }
}

TEST_F(RotatingLayersEffectTest, ListedValuesAtTimeZero) {
    WatchedLayers effect;
    effect.Load(device.Get());
    effect.Render(0);
    const auto& drawn = effect.picture->drawn;
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].scaleX, 2.0f);
    EXPECT_EQ(drawn[0].rotation, 0.0f);
    EXPECT_EQ(drawn[0].positionX, -400.0f);
    EXPECT_EQ(drawn[0].positionY, -300.0f);
    // τ = 100: 0.9b + 0.5a is about 2, so s is about 2 + 0.7 sin 2; the angle about 100/90.
    EXPECT_NEAR(drawn[1].scaleX, 2.0 + 0.7 * std::sin(2.0), 1e-6);
    EXPECT_NEAR(drawn[1].rotation, 100.0 / 90.0, 1e-6);
    EXPECT_NEAR(drawn[2].rotation, 200.0 / 90.0, 1e-6);
    EXPECT_NEAR(drawn[3].rotation, 300.0 / 90.0, 1e-6);
    // The scale stays within 2 ± 0.7.
    for (const DrawnLayer& d : drawn) {
        EXPECT_GE(d.scaleX, 1.3f);
        EXPECT_LE(d.scaleX, 2.7f);
    }
}

TEST_F(RotatingLayersEffectTest, FirstLayerKeepsTheColourLeftByTheLastLayerOfTheRenderBefore) {
    WatchedLayers effect;
    effect.Load(device.Get());
    struct Case {
        std::uint32_t time;
        int alphas[4];
    } cases[] = {
        {0, {255, 192, 128, 96}}, // first Render after Load: the picture's own opaque white
        {1, {96, 192, 128, 96}},
        {2, {96, 192, 128, 96}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "t = " << c.time);
        effect.picture->drawn.clear();
        effect.Render(c.time);
        ASSERT_EQ(effect.picture->drawn.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(effect.picture->drawn[k].alpha, c.alphas[k]) << "layer " << k;
        }
    }
}

TEST_F(RotatingLayersEffectTest, RenderBeforeLoadOrAfterReleaseDrawsNothing) {
    RotatingLayersEffect effect;
    recorder->ClearCalls();
    EXPECT_EQ(effect.Render(0), 0);
    EXPECT_EQ(effect.Render(300), 0);
    EXPECT_TRUE(recorder->Calls().empty());

    WatchedLayers watched;
    watched.Load(device.Get());
    watched.Release();
    EXPECT_EQ(watched.picturesDestroyed, 1);
    recorder->ClearCalls();
    EXPECT_EQ(watched.Render(100), 0);
    EXPECT_TRUE(recorder->Calls().empty());
}

TEST_F(RotatingLayersEffectTest, LoadAgainReplacesThePicture) {
    WatchedLayers effect;
    effect.Load(device.Get());
    RecordingSprite* first = effect.picture;
    effect.Load(device.Get());
    EXPECT_NE(effect.picture, first);
    EXPECT_EQ(effect.picturesDestroyed, 1);
    EXPECT_TRUE(effect.IsLoaded());
}

TEST_F(RotatingLayersEffectTest, DrawsFourBlendedQuadsAboutTheScreenCentreWithoutClearing) {
    // A 40 × 30 picture named as the demo names it; the readers go by content, not extension.
    DataFolder folder;
    folder.Write("load.jpg", FlatBmp(40, 30, 0x3060C0));
    RotatingLayersEffect effect;
    effect.Load(device.Get());
    ASSERT_TRUE(effect.IsLoaded());
    const std::uint32_t times[] = {0, 250, 1000};
    for (std::uint32_t t : times) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        recorder->ClearCalls();
        EXPECT_EQ(effect.Render(t), 0);
        EXPECT_TRUE(recorder->CallsNamed("Clear").empty());
        const auto quads = RecordedQuads(*recorder);
        ASSERT_EQ(quads.size(), 4u);
        const D3DCOLOR firstLayer = t == 0 ? 0xFFFFFFFFu : 0x60FFFFFFu;
        const D3DCOLOR colours[4] = {firstLayer, 0xC0FFFFFFu, 0x80FFFFFFu, 0x60FFFFFFu};
        for (int k = 0; k < 4; ++k) {
            SCOPED_TRACE(testing::Message() << "layer " << k);
            ASSERT_EQ(quads[k].size(), 4u);
            EXPECT_EQ(quads[k][0].colour, colours[k]);
            // The texture point (400, 300), outside this small picture but on the same affine
            // map, lands on the centre of the pixel grid (half a pixel up and left).
            const ScreenPoint centre = MapTexel(quads[k], 400, 300, 40, 30);
            EXPECT_NEAR(centre.x, 399.5, 1e-2);
            EXPECT_NEAR(centre.y, 299.5, 1e-2);
            const ExpectedLayer e = Expected(t + 100 * k);
            // The top edge: 40 texels long at scale s, turned by the layer's angle.
            const double dx = quads[k][1].x - quads[k][0].x;
            const double dy = quads[k][1].y - quads[k][0].y;
            EXPECT_NEAR(std::hypot(dx, dy), 40.0 * e.scale, 1e-3);
            EXPECT_NEAR(std::remainder(std::atan2(-dy, dx) - e.rotation, 2 * std::numbers::pi), 0.0,
                        1e-4);
        }
    }
}

} // namespace

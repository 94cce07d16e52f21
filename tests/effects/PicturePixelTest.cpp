// Sprites and the picture effects on the headless OpenGL device, checked by their pixels.
#include "effects/RotatingLayersEffect.h"
#include "effects/SpiralZoomEffect.h"
#include "image/Sprite.h"

#include "EffectTestSupport.h"
#include "device/gl/HeadlessDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

using headless::Channel;
using headless::Rect;

constexpr D3DCOLOR kBackground = 0xFF2040E0; // opaque blue
constexpr D3DCOLOR kPicture = 0xE02020;      // red

// dst + (src − dst) × alpha / 255 per colour channel, rounded, as 8-bit blending gives it.
D3DCOLOR Blend(D3DCOLOR dst, D3DCOLOR src, int alpha) {
    D3DCOLOR out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const double d = Channel(dst, shift);
        const double s = Channel(src, shift);
        const auto v = static_cast<D3DCOLOR>(std::lround(d + (s - d) * alpha / 255.0));
        out |= v << shift;
    }
    return out;
}

// Every pixel of r within `tolerance` of `expected` in red, green and blue.
testing::AssertionResult RgbAreaIs(const std::vector<D3DCOLOR>& frame, const Rect& r,
                                   D3DCOLOR expected, unsigned tolerance) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const D3DCOLOR got = frame[static_cast<std::size_t>(y) * headless::kWidth + x];
            for (int shift = 0; shift < 24; shift += 8) {
                const int diff = static_cast<int>(Channel(got, shift)) -
                                 static_cast<int>(Channel(expected, shift));
                if (static_cast<unsigned>(std::abs(diff)) > tolerance) {
                    return testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") is 0x" << std::hex << got
                           << ", expected 0x" << expected;
                }
            }
        }
    }
    return testing::AssertionSuccess();
}

class PicturePixelTest : public headless::HeadlessDeviceTest {
protected:
    void ClearBackground() {
        ASSERT_EQ(
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0),
            D3D_OK);
    }
};

TEST_F(PicturePixelTest, SpriteColourMultipliesThePictureAndItsAlphaBlends) {
    // A 32 × 32 red picture at (100, 100) scaled by 4 covers [100, 228) on both axes.
    DataFolder folder;
    folder.Write("red.bmp", FlatBmp(32, 32, kPicture));
    struct Case {
        int a, r, g, b;
        bool visible;
        D3DCOLOR expected;
    } cases[] = {
        {255, 255, 255, 255, true, 0xFF000000u | kPicture},
        {128, 255, 255, 255, true, Blend(kBackground, kPicture, 128)},
        {0, 255, 255, 255, true, kBackground},
        {255, 0, 0, 0, true, 0xFF000000u},
        {256, 255, 255, 255, true, kBackground}, // only the low byte of 256 counts: alpha 0
        {255, 255, 255, 255, false, kBackground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour " << c.a << ", " << c.r << ", " << c.g << ", "
                                        << c.b << (c.visible ? "" : ", invisible"));
        ClearBackground();
        Sprite sprite(255, 255, 255, 255);
        sprite.LoadFromFileEx("data\\red.bmp", device.Get(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                              D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr);
        sprite.SetPosition(100, 100);
        sprite.SetScale(4, 4);
        sprite.SetColor(c.a, c.r, c.g, c.b);
        sprite.SetVisible(c.visible);
        EXPECT_EQ(sprite.Draw(), 0);
        const auto frame = PresentAndRead();
        EXPECT_TRUE(RgbAreaIs(frame, {104, 104, 224, 224}, c.expected, 2));
        // Outside the picture the frame is untouched.
        EXPECT_TRUE(RgbAreaIs(frame, {0, 0, 96, 600}, kBackground, 0));
        EXPECT_TRUE(RgbAreaIs(frame, {232, 0, 800, 600}, kBackground, 0));
    }
}

TEST_F(PicturePixelTest, ScaledPictureTurnsAboutItsOwnCentre) {
    // An 800 × 600 picture at scale 0.5 with rotation centre (200, 150), placed so that its centre
    // is the screen centre, turned by half a turn: a 400 × 300 red area about the centre whatever
    // the angle, and blue where a quarter turn would stick out.
    DataFolder folder;
    folder.Write("big.bmp", FlatBmp(800, 600, kPicture));
    const float angles[] = {0.0f, 3.1415927f, -3.1415927f};
    for (float angle : angles) {
        SCOPED_TRACE(testing::Message() << "angle " << angle);
        ClearBackground();
        Sprite sprite(255, 255, 255, 255);
        sprite.LoadFromFileEx("data\\big.bmp", device.Get(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                              D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr);
        sprite.SetScale(0.5f, 0.5f);
        sprite.SetRotationCenter(200, 150);
        sprite.SetPosition(200, 150);
        sprite.SetRotation(angle);
        sprite.Draw();
        const auto frame = PresentAndRead();
        EXPECT_TRUE(RgbAreaIs(frame, {204, 154, 596, 446}, 0xFF000000u | kPicture, 2));
        EXPECT_TRUE(RgbAreaIs(frame, {0, 0, 196, 600}, kBackground, 0));
        EXPECT_TRUE(RgbAreaIs(frame, {604, 0, 800, 600}, kBackground, 0));
        EXPECT_TRUE(RgbAreaIs(frame, {0, 0, 800, 146}, kBackground, 0));
        EXPECT_TRUE(RgbAreaIs(frame, {0, 454, 800, 600}, kBackground, 0));
    }
}

TEST_F(PicturePixelTest, RotatingLayersBlendWithTheirAlphasOverTheFrame) {
    // A flat 800 × 600 picture at scale 1.3 or more always covers the screen centre.
    DataFolder folder;
    folder.Write("load.jpg", FlatBmp(800, 600, kPicture));
    RotatingLayersEffect effect;
    effect.Load(device.Get());
    const Rect centre = {390, 290, 410, 310};

    // First Render: layer 0 opaque, the others blend the same colour over it.
    ClearBackground();
    effect.Render(0);
    EXPECT_TRUE(RgbAreaIs(PresentAndRead(), centre, 0xFF000000u | kPicture, 2));

    // Later Renders: alpha 96, 192, 128, 96 over whatever is there.
    ClearBackground();
    effect.Render(10);
    D3DCOLOR expected = kBackground;
    for (int alpha : {96, 192, 128, 96}) {
        expected = Blend(expected, kPicture, alpha);
    }
    EXPECT_TRUE(RgbAreaIs(PresentAndRead(), centre, expected, 3));
}

TEST_F(PicturePixelTest, SpiralZoomAtTimeZeroLeavesTheFrameUnchanged) {
    DataFolder folder;
    folder.Write("back002.jpg", FlatBmp(800, 600, kPicture));
    SpiralZoomEffect effect;
    effect.Load(device.Get());
    ClearBackground();
    EXPECT_EQ(effect.Render(0), 0);
    EXPECT_TRUE(RgbAreaIs(PresentAndRead(), {0, 0, 800, 600}, kBackground, 0));
}

TEST_F(PicturePixelTest, SpiralZoomLayersBlendWhereTheyCoverAProbe) {
    // Each layer i is the picture scaled by z/2 and turned by z about its corner (800, 600), which
    // sits on the screen centre. A probe is covered by layer i when the point of the picture that
    // lands there lies inside it; probes near any layer's edge are left out.
    DataFolder folder;
    folder.Write("back002.jpg", FlatBmp(800, 600, kPicture));
    SpiralZoomEffect effect;
    effect.Load(device.Get());
    const std::uint32_t t = 751;
    ClearBackground();
    effect.Render(t);
    const auto frame = PresentAndRead();
    int checked = 0;
    for (int py = 20; py < 600; py += 40) {
        for (int px = 20; px < 800; px += 40) {
            // Pixel centre relative to the screen centre, in the sprite's half-pixel-shifted
            // frame.
            const double rx = px + 0.5 - 400.0;
            const double ry = py + 0.5 - 300.0;
            D3DCOLOR expected = kBackground;
            bool nearEdge = false;
            for (int i = 1; i < 16; ++i) {
                const double z = 0.0025 * i * t;
                const double k = 0.5 * z;
                // Undo the turn ((x, y) → (x cos z + y sin z, −x sin z + y cos z)) and the scale.
                const double ux = (rx * std::cos(z) - ry * std::sin(z)) / k + 800.0;
                const double uy = (rx * std::sin(z) + ry * std::cos(z)) / k + 600.0;
                const double margin = 3.0 / k;
                const bool inside =
                    ux > margin && ux < 800 - margin && uy > margin && uy < 600 - margin;
                const bool outside =
                    ux < -margin || ux > 800 + margin || uy < -margin || uy > 600 + margin;
                if (!inside && !outside) {
                    nearEdge = true;
                    break;
                }
                if (inside) {
                    expected = Blend(expected, kPicture, 4 * i);
                }
            }
            if (nearEdge) {
                continue;
            }
            ++checked;
            EXPECT_TRUE(RgbAreaIs(frame, {px, py, px + 1, py + 1}, expected, 4));
        }
    }
    EXPECT_GT(checked, 100);
}

} // namespace

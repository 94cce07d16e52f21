// Filling surfaces from pixels in memory with the utility layer, on the call-recording device.
#include "device/D3DXSurface.h"
#include "D3DXTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr DWORD kTriangleDither = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER; // 0x80004

class D3DXSurfaceTest : public RecordingDeviceTest {
protected:
    // Level 0 of a new managed texture.
    DevicePtr<IDirect3DSurface8> Surface(UINT width, UINT height, D3DFORMAT format,
                                         D3DPOOL pool = D3DPOOL_MANAGED) {
        texture = MakeTexture(width, height, 1, format, pool);
        DevicePtr<IDirect3DSurface8> surface;
        EXPECT_EQ(texture->GetSurfaceLevel(0, surface.ReleaseAndGetAddressOf()), D3D_OK);
        return surface;
    }

    DevicePtr<IDirect3DTexture8> texture;
};

// Source pixels as the texture manager passes them: A8R8G8B8 rows of width × 4 bytes.
std::vector<D3DCOLOR> Flat(UINT count, D3DCOLOR colour) {
    return std::vector<D3DCOLOR>(count, colour);
}

HRESULT Load(IDirect3DSurface8* surface, const RECT* destRect, const std::vector<D3DCOLOR>& pixels,
             UINT width, UINT height, DWORD filter) {
    const RECT source = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    return D3DXLoadSurfaceFromMemory(surface, nullptr, destRect, pixels.data(), D3DFMT_A8R8G8B8,
                                     width * 4, nullptr, &source, filter, 0);
}

TEST_F(D3DXSurfaceTest, DitheringIntoR5G6B5MixesTheTwoNearestLevelsInProportion) {
    // Red 100, green 50, blue 200 lie between levels: 12.16 of 31, 12.35 of 63, 24.31 of 31.
    DevicePtr<IDirect3DSurface8> surface = Surface(8, 8, D3DFMT_R5G6B5);
    ASSERT_EQ(Load(surface.Get(), nullptr, Flat(64, 0xFF6432C8), 8, 8, kTriangleDither), D3D_OK);
    const std::vector<WORD> texels = Texels16(ReadSurfaceBytes(device.Get(), surface.Get()));
    struct Channel {
        const char* name;
        int shift;
        int max;
        double value;
    } channels[] = {{"red", 11, 31, 100.0}, {"green", 5, 63, 50.0}, {"blue", 0, 31, 200.0}};
    for (const Channel& c : channels) {
        const double exact = c.value * c.max / 255.0;
        const int low = static_cast<int>(std::floor(exact));
        double sum = 0;
        int high = 0;
        for (WORD t : texels) {
            const int level = (t >> c.shift) & c.max;
            EXPECT_TRUE(level == low || level == low + 1) << c.name << " " << level;
            high += level == low + 1 ? 1 : 0;
            sum += level;
        }
        // Over whole 4x4 tiles the mean is within a sixteenth of a level of the exact value.
        EXPECT_NEAR(sum / 64.0, exact, 1.0 / 16.0) << c.name;
        EXPECT_GT(high, 0) << c.name << " never takes the upper level";
    }
}

TEST_F(D3DXSurfaceTest, WithoutDitheringEveryTexelRoundsToTheNearestLevel) {
    DevicePtr<IDirect3DSurface8> surface = Surface(4, 4, D3DFMT_R5G6B5);
    ASSERT_EQ(Load(surface.Get(), nullptr, Flat(16, 0xFF6432C8), 4, 4, D3DX_FILTER_TRIANGLE),
              D3D_OK);
    // round(12.16) = 12, round(12.35) = 12, round(24.31) = 24
    const WORD expected = (12 << 11) | (12 << 5) | 24;
    for (WORD t : Texels16(ReadSurfaceBytes(device.Get(), surface.Get()))) {
        EXPECT_EQ(t, expected);
    }
}

TEST_F(D3DXSurfaceTest, ColoursOnALevelStayExactWhenDithered) {
    struct Case {
        D3DCOLOR colour;
        WORD r5g6b5;
    } cases[] = {
        {0xFFFF00FF, 0xF81F},
        {0xFF000000, 0x0000},
        {0xFFFFFFFF, 0xFFFF},
        {0xFF00FF00, 0x07E0},
    };
    for (const Case& c : cases) {
        DevicePtr<IDirect3DSurface8> surface = Surface(4, 4, D3DFMT_R5G6B5);
        ASSERT_EQ(Load(surface.Get(), nullptr, Flat(16, c.colour), 4, 4, kTriangleDither), D3D_OK);
        for (WORD t : Texels16(ReadSurfaceBytes(device.Get(), surface.Get()))) {
            EXPECT_EQ(t, c.r5g6b5) << std::hex << c.colour;
        }
    }
}

TEST_F(D3DXSurfaceTest, TriangleFilterSmoothsWhenReducing) {
    // [0, 0, 255, 255] to 2 texels: tent weights 1, 3, 3, 1 around the centres 1.0 and 3.0, the
    // edge pixel repeated: 255 / 8 = 31.9 and (3 + 3 + 1) · 255 / 8 = 223.1.
    DevicePtr<IDirect3DSurface8> surface = Surface(2, 1, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(surface.Get(), nullptr, {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}, 4, 1,
                   kTriangleDither),
              D3D_OK);
    EXPECT_EQ(Texels32(ReadSurfaceBytes(device.Get(), surface.Get())),
              (std::vector<D3DCOLOR>{0xFF202020, 0xFFDFDFDF}));
}

TEST_F(D3DXSurfaceTest, RectanglesChooseTheSourcePixelsAndTheirPlace) {
    DevicePtr<IDirect3DSurface8> surface = Surface(4, 4, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(surface.Get(), nullptr, Flat(16, 0x11111111), 4, 4, D3DX_FILTER_NONE), D3D_OK);
    // 3 x 2 source; its middle column goes to the texel (2, 1), the rest of the surface stays.
    const std::vector<D3DCOLOR> pixels = {1, 0xFFABCDEF, 3, 4, 0xFF123456, 6};
    const RECT source = {1, 0, 2, 2};
    const RECT destination = {2, 1, 3, 3};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, &destination, pixels.data(),
                                        D3DFMT_A8R8G8B8, 12, nullptr, &source, D3DX_FILTER_NONE, 0),
              D3D_OK);
    std::vector<D3DCOLOR> expected = Flat(16, 0x11111111);
    expected[1 * 4 + 2] = 0xFFABCDEF;
    expected[2 * 4 + 2] = 0xFF123456;
    EXPECT_EQ(Texels32(ReadSurfaceBytes(device.Get(), surface.Get())), expected);
}

TEST_F(D3DXSurfaceTest, PaletteSourceUsesItsPaletteWithFlagsAsAlpha) {
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0xFF});
    palette[7] = {0x12, 0x34, 0x56, 0x80};
    const std::vector<BYTE> indices = {7, 0};
    const RECT source = {0, 0, 2, 1};
    DevicePtr<IDirect3DSurface8> surface = Surface(2, 1, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, indices.data(), D3DFMT_P8,
                                        2, palette.data(), &source, D3DX_FILTER_NONE, 0),
              D3D_OK);
    EXPECT_EQ(Texels32(ReadSurfaceBytes(device.Get(), surface.Get())),
              (std::vector<D3DCOLOR>{0x80123456, 0xFF000000}));
}

TEST_F(D3DXSurfaceTest, SurfaceThatCannotBeLockedIsWrittenThroughAnImageSurface) {
    DevicePtr<IDirect3DSurface8> surface = Surface(2, 2, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
    recorder->ClearCalls();
    ASSERT_EQ(Load(surface.Get(), nullptr, Flat(4, 0xFF336699), 2, 2, kTriangleDither), D3D_OK);
    const std::vector<RecordedCall> copies = recorder->CallsNamed("CopyRects");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].args[3].As<const void*>(), static_cast<const void*>(surface.Get()));
    for (D3DCOLOR t : Texels32(ReadSurfaceBytes(device.Get(), surface.Get()))) {
        EXPECT_EQ(t & 0x00FFFFFF, 0x336699u);
    }
}

TEST_F(D3DXSurfaceTest, BlockCompressedDestinationKeepsFlatColours) {
    // 8 x 4: red on the left block, blue on the right; pure colours are exact in 5-6-5.
    std::vector<D3DCOLOR> pixels(32);
    for (UINT i = 0; i < 32; ++i) {
        pixels[i] = (i % 8) < 4 ? 0xFFFF0000 : 0xFF0000FF;
    }
    DevicePtr<IDirect3DSurface8> surface = Surface(8, 4, D3DFMT_DXT1);
    ASSERT_EQ(Load(surface.Get(), nullptr, pixels, 8, 4, D3DX_FILTER_NONE), D3D_OK);
    const LevelBytes level = ReadSurfaceBytes(device.Get(), surface.Get());
    ASSERT_EQ(level.bytes.size(), 16u);
    // Each block: both end points the block's colour, every index 0.
    const std::vector<BYTE> expected = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0,
                                        0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(level.bytes, expected);
}

TEST_F(D3DXSurfaceTest, BadArgumentsAreRefusedAndChangeNothing) {
    DevicePtr<IDirect3DSurface8> surface = Surface(4, 4, D3DFMT_A8R8G8B8);
    ASSERT_EQ(Load(surface.Get(), nullptr, Flat(16, 0x11111111), 4, 4, D3DX_FILTER_NONE), D3D_OK);
    const std::vector<D3DCOLOR> pixels = Flat(16, 0xFFFFFFFF);
    const RECT whole = {0, 0, 4, 4};
    const RECT empty = {2, 2, 2, 3};
    const RECT outside = {2, 2, 5, 4};
    const RECT negative = {-1, 0, 2, 2};
    struct Case {
        const char* what;
        bool surface;
        const void* pixels;
        D3DFORMAT format;
        const RECT* destRect;
        const RECT* srcRect;
        DWORD filter;
    } cases[] = {
        {"null surface", false, pixels.data(), D3DFMT_A8R8G8B8, nullptr, &whole, D3DX_DEFAULT},
        {"null pixels", true, nullptr, D3DFMT_A8R8G8B8, nullptr, &whole, D3DX_DEFAULT},
        {"null source rectangle", true, pixels.data(), D3DFMT_A8R8G8B8, nullptr, nullptr,
         D3DX_DEFAULT},
        {"empty source rectangle", true, pixels.data(), D3DFMT_A8R8G8B8, nullptr, &empty,
         D3DX_DEFAULT},
        {"source rectangle with negative left", true, pixels.data(), D3DFMT_A8R8G8B8, nullptr,
         &negative, D3DX_DEFAULT},
        {"destination rectangle outside", true, pixels.data(), D3DFMT_A8R8G8B8, &outside, &whole,
         D3DX_DEFAULT},
        {"empty destination rectangle", true, pixels.data(), D3DFMT_A8R8G8B8, &empty, &whole,
         D3DX_DEFAULT},
        {"filter 0", true, pixels.data(), D3DFMT_A8R8G8B8, nullptr, &whole, 0},
        {"palette format without palette", true, pixels.data(), D3DFMT_P8, nullptr, &whole,
         D3DX_DEFAULT},
        {"unknown source format", true, pixels.data(), D3DFMT_UYVY, nullptr, &whole, D3DX_DEFAULT},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(D3DXLoadSurfaceFromMemory(c.surface ? surface.Get() : nullptr, nullptr,
                                            c.destRect, c.pixels, c.format, 16, nullptr, c.srcRect,
                                            c.filter, 0),
                  D3DERR_INVALIDCALL)
            << c.what;
    }
    EXPECT_EQ(Texels32(ReadSurfaceBytes(device.Get(), surface.Get())), Flat(16, 0x11111111));
}

} // namespace

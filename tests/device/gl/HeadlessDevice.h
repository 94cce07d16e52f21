// Test fixture: an OpenGL device on the headless target (800 × 600 A8R8G8B8 back buffer with a
// 16-bit depth buffer), with helpers that draw flat quads and read the presented frame back.
#pragma once

#include "device/D3D8.h"
#include "device/DevicePtr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace headless {

inline constexpr int kWidth = 800;
inline constexpr int kHeight = 600;

// Pre-transformed vertex with colour and one texture coordinate set.
struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
inline constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Untransformed vertex with colour.
struct WorldVertex {
    float x, y, z;
    D3DCOLOR diffuse;
};
inline constexpr DWORD kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

struct Rect {
    int left, top, right, bottom; // right and bottom exclusive
};

// 8-bit channel of a 0xAARRGGBB colour; shift 24 alpha, 16 red, 8 green, 0 blue.
inline unsigned Channel(D3DCOLOR c, int shift) {
    return (c >> shift) & 0xFF;
}

class HeadlessDeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the device again with other present parameters (after SetUp's default one). The
    // fixture keeps a scene begun, as draws need one.
    bool Recreate(bool withDepth, D3DFORMAT format = D3DFMT_A8R8G8B8);

    // Ends the scene, presents and begins the next scene.
    void PresentFrame();

    // A quad covering pixels [left, right) × [top, bottom) exactly: corners on pixel edges, which
    // are at −0.5 from pixel centres. Texture coordinates run 0..u1, 0..v1 across it.
    void DrawScreenQuad(const Rect& r, D3DCOLOR colour, float z = 0.0f, float u1 = 1.0f,
                        float v1 = 1.0f);

    // PresentFrame, then reads the presented frame.
    std::vector<D3DCOLOR> PresentAndRead();
    // Reads the presented frame without presenting.
    std::vector<D3DCOLOR> ReadFront();

    // Every pixel of r in `frame` is within `tolerance` of `expected` in each channel
    // (alpha compared too).
    static ::testing::AssertionResult AreaIs(const std::vector<D3DCOLOR>& frame, const Rect& r,
                                             D3DCOLOR expected, unsigned tolerance = 1);

    // A texture of width × height A8R8G8B8 texels (one level) filled by texel(x, y).
    DevicePtr<IDirect3DTexture8> MakeTexture(int width, int height,
                                             D3DCOLOR (*texel)(int x, int y));

    DevicePtr<IDirect3D8> d3d;
    DevicePtr<IDirect3DDevice8> device;
};

D3DPRESENT_PARAMETERS DefaultPresentParameters(bool withDepth, D3DFORMAT format = D3DFMT_A8R8G8B8);

} // namespace headless

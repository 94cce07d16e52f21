// The headless device fixture.
#include "device/gl/HeadlessDevice.h"

#include "platform/Window.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace headless {

D3DPRESENT_PARAMETERS DefaultPresentParameters(bool withDepth, D3DFORMAT format) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = format;
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = withDepth ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return pp;
}

void HeadlessDeviceTest::SetUp() {
    d3d.Reset(Direct3DCreate8(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d) << "no headless OpenGL rendering (Mesa's EGL surfaceless platform)";
    ASSERT_TRUE(Recreate(true));
}

void HeadlessDeviceTest::TearDown() {
    if (device) {
        device->EndScene();
    }
    device.Reset();
    d3d.Reset();
}

bool HeadlessDeviceTest::Recreate(bool withDepth, D3DFORMAT format) {
    device.Reset();
    D3DPRESENT_PARAMETERS pp = DefaultPresentParameters(withDepth, format);
    const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetHeadlessWindow(),
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                         device.ReleaseAndGetAddressOf());
    return SUCCEEDED(hr) && device && device->BeginScene() == D3D_OK;
}

void HeadlessDeviceTest::PresentFrame() {
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
}

void HeadlessDeviceTest::DrawScreenQuad(const Rect& r, D3DCOLOR colour, float z, float u1,
                                        float v1) {
    const float l = static_cast<float>(r.left) - 0.5f;
    const float t = static_cast<float>(r.top) - 0.5f;
    const float rt = static_cast<float>(r.right) - 0.5f;
    const float b = static_cast<float>(r.bottom) - 0.5f;
    // Clockwise on screen, so no cull mode removes it... except CW culling, which tests avoid.
    const ScreenVertex quad[4] = {
        {l, t, z, 1.0f, colour, 0.0f, 0.0f},
        {rt, t, z, 1.0f, colour, u1, 0.0f},
        {rt, b, z, 1.0f, colour, u1, v1},
        {l, b, z, 1.0f, colour, 0.0f, v1},
    };
    device->SetVertexShader(kScreenFvf);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), D3D_OK);
}

std::vector<D3DCOLOR> HeadlessDeviceTest::PresentAndRead() {
    PresentFrame();
    return ReadFront();
}

std::vector<D3DCOLOR> HeadlessDeviceTest::ReadFront() {
    std::vector<D3DCOLOR> frame(static_cast<std::size_t>(kWidth) * kHeight, 0);
    DevicePtr<IDirect3DSurface8> surface;
    if (device->CreateImageSurface(kWidth, kHeight, D3DFMT_A8R8G8B8,
                                   surface.ReleaseAndGetAddressOf()) != D3D_OK) {
        ADD_FAILURE() << "CreateImageSurface failed";
        return frame;
    }
    EXPECT_EQ(device->GetFrontBuffer(surface.Get()), D3D_OK);
    D3DLOCKED_RECT locked{};
    if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        ADD_FAILURE() << "LockRect failed";
        return frame;
    }
    for (int y = 0; y < kHeight; ++y) {
        std::memcpy(&frame[static_cast<std::size_t>(y) * kWidth],
                    static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                    kWidth * sizeof(D3DCOLOR));
    }
    surface->UnlockRect();
    return frame;
}

::testing::AssertionResult HeadlessDeviceTest::AreaIs(const std::vector<D3DCOLOR>& frame,
                                                      const Rect& r, D3DCOLOR expected,
                                                      unsigned tolerance) {
    int mismatches = 0;
    std::ostringstream first;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const D3DCOLOR got = frame[static_cast<std::size_t>(y) * kWidth + x];
            for (int shift = 0; shift < 32; shift += 8) {
                const int difference = static_cast<int>(Channel(got, shift)) -
                                       static_cast<int>(Channel(expected, shift));
                if (static_cast<unsigned>(std::abs(difference)) > tolerance) {
                    if (mismatches == 0) {
                        first << std::hex << "pixel (" << std::dec << x << ", " << y << ") is 0x"
                              << std::hex << got << ", expected 0x" << expected;
                    }
                    ++mismatches;
                    break;
                }
            }
        }
    }
    if (mismatches == 0) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << mismatches << " pixels differ; first: " << first.str();
}

DevicePtr<IDirect3DTexture8> HeadlessDeviceTest::MakeTexture(int width, int height,
                                                             D3DCOLOR (*texel)(int x, int y)) {
    DevicePtr<IDirect3DTexture8> texture;
    if (device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                              texture.ReleaseAndGetAddressOf()) != D3D_OK) {
        ADD_FAILURE() << "CreateTexture failed";
        return texture;
    }
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                y * locked.Pitch);
        for (int x = 0; x < width; ++x) {
            row[x] = texel(x, y);
        }
    }
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    return texture;
}

} // namespace headless

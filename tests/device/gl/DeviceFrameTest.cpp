// Headless device: creation, clears, presentation and reading the presented frame.
#include "device/gl/HeadlessDevice.h"

#include "device/DeviceOptions.h"
#include "platform/Window.h"

using namespace headless;

namespace {

class DeviceFrame : public HeadlessDeviceTest {};

} // namespace

TEST(DeviceCreation, OnlySdkVersion220GivesTheObject) {
    struct Case {
        UINT version;
        bool made;
    } cases[] = {{220, true}, {219, false}, {221, false}, {0, false}, {120, false}};
    for (const Case& c : cases) {
        IDirect3D8* d3d = Direct3DCreate8(c.version);
        EXPECT_EQ(d3d != nullptr, c.made) << c.version;
        if (d3d != nullptr) {
            EXPECT_EQ(d3d->Release(), 0u);
        }
    }
}

TEST(DeviceCreation, WindowWithoutOpenGlSurfaceGivesNegativeResult) {
    DevicePtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d);
    HWND__ notAWindow; // neither the headless target nor an SDL window
    struct Case {
        const char* name;
        HWND window;
    } cases[] = {{"null window", nullptr}, {"window without SDL window", &notAWindow}};
    for (const Case& c : cases) {
        D3DPRESENT_PARAMETERS pp = DefaultPresentParameters(true);
        IDirect3DDevice8* device = nullptr;
        const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, c.window,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
        EXPECT_LT(hr, 0) << c.name;
        EXPECT_EQ(device, nullptr) << c.name;
    }
}

TEST_F(DeviceFrame, ClearFillsTheWholeTargetWithTheColour) {
    const D3DCOLOR colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00FFFFFF, 0x80402010};
    for (D3DCOLOR colour : colours) {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
        const auto frame = PresentAndRead();
        EXPECT_TRUE(AreaIs(frame, {0, 0, kWidth, kHeight}, colour, 0)) << std::hex << colour;
    }
}

TEST_F(DeviceFrame, ClearWithRectanglesFillsOnlyThem) {
    const D3DCOLOR background = 0xFF0000FF;
    const D3DCOLOR fill = 0xFFFF0000;
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0), D3D_OK);
    const D3DRECT rects[] = {{50, 60, 250, 260}, {400, 300, 700, 550}};
    ASSERT_EQ(device->Clear(2, rects, D3DCLEAR_TARGET, fill, 1.0f, 0), D3D_OK);
    const auto frame = PresentAndRead();
    for (const D3DRECT& r : rects) {
        // Right and bottom edges are exclusive.
        EXPECT_TRUE(AreaIs(frame, {r.x1, r.y1, r.x2, r.y2}, fill, 0));
        EXPECT_TRUE(AreaIs(frame, {r.x1 - 1, r.y1, r.x1, r.y2}, background, 0));
        EXPECT_TRUE(AreaIs(frame, {r.x2, r.y1, r.x2 + 1, r.y2}, background, 0));
        EXPECT_TRUE(AreaIs(frame, {r.x1, r.y1 - 1, r.x2, r.y1}, background, 0));
        EXPECT_TRUE(AreaIs(frame, {r.x1, r.y2, r.x2, r.y2 + 1}, background, 0));
    }
    EXPECT_TRUE(AreaIs(frame, {300, 20, 380, 280}, background, 0));
}

TEST_F(DeviceFrame, ClearWithoutRectanglesFillsTheViewport) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    const D3DVIEWPORT8 viewport{100, 150, 300, 200, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {100, 150, 400, 350}, 0xFF00FF00, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 0, kWidth, 150}, 0xFF000000, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 350, kWidth, kHeight}, 0xFF000000, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 150, 100, 350}, 0xFF000000, 0));
    EXPECT_TRUE(AreaIs(frame, {400, 150, kWidth, 350}, 0xFF000000, 0));
}

TEST_F(DeviceFrame, ClearOfTheDepthBufferSetsTheDepthLaterDrawsCompareWith) {
    struct Case {
        float clearZ;
        float quadZ;
        bool drawn; // LESSEQUAL: drawn when quadZ <= clearZ
    } cases[] = {
        {0.25f, 0.5f, false}, {0.25f, 0.2f, true}, {1.0f, 0.99f, true}, {0.0f, 0.01f, false}};
    for (const Case& c : cases) {
        ASSERT_EQ(
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, c.clearZ, 0),
            D3D_OK);
        DrawScreenQuad({200, 200, 600, 400}, 0xFFFFFFFF, c.quadZ);
        const auto frame = PresentAndRead();
        EXPECT_TRUE(AreaIs(frame, {210, 210, 590, 390}, c.drawn ? 0xFFFFFFFF : 0xFF000000))
            << "clear " << c.clearZ << " quad " << c.quadZ;
    }
}

TEST_F(DeviceFrame, GetFrontBufferReturnsTheLastPresentedFrame) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
    PresentFrame();
    // Drawn but not presented: the front buffer still shows red.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(AreaIs(ReadFront(), {0, 0, kWidth, kHeight}, 0xFFFF0000, 0));
    EXPECT_TRUE(AreaIs(PresentAndRead(), {0, 0, kWidth, kHeight}, 0xFF00FF00, 0));
}

TEST_F(DeviceFrame, BackBufferKeepsItsContentAcrossPresent) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    PresentFrame();
    DrawScreenQuad({300, 200, 500, 400}, 0xFF00FF00);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {300, 200, 500, 400}, 0xFF00FF00, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 0, kWidth, 200}, 0xFF0000FF, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 400, kWidth, kHeight}, 0xFF0000FF, 0));
}

TEST_F(DeviceFrame, GetFrontBufferRejectsSurfacesThatCannotHoldTheFrame) {
    struct Case {
        UINT width, height;
        D3DFORMAT format;
    } cases[] = {{kWidth - 1, kHeight, D3DFMT_A8R8G8B8},
                 {kWidth, kHeight - 1, D3DFMT_A8R8G8B8},
                 {kWidth, kHeight, D3DFMT_X8R8G8B8},
                 {kWidth, kHeight, D3DFMT_R5G6B5}};
    for (const Case& c : cases) {
        DevicePtr<IDirect3DSurface8> surface;
        ASSERT_EQ(device->CreateImageSurface(c.width, c.height, c.format,
                                             surface.ReleaseAndGetAddressOf()),
                  D3D_OK);
        EXPECT_EQ(device->GetFrontBuffer(surface.Get()), D3DERR_INVALIDCALL)
            << c.width << "x" << c.height << " format " << c.format;
    }
    EXPECT_EQ(device->GetFrontBuffer(nullptr), D3DERR_INVALIDCALL);
}

TEST_F(DeviceFrame, DeviceWithoutDepthBufferDrawsWithoutDepthTest) {
    ASSERT_TRUE(Recreate(false));
    DWORD zenable = 99;
    ASSERT_EQ(device->GetRenderState(D3DRS_ZENABLE, &zenable), D3D_OK);
    EXPECT_EQ(zenable, static_cast<DWORD>(D3DZB_FALSE));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    DrawScreenQuad({100, 100, 300, 300}, 0xFFFF0000, 0.2f);
    // A farther quad over it still lands: there is no depth buffer to stop it.
    DrawScreenQuad({200, 200, 400, 400}, 0xFF00FF00, 0.9f);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {110, 110, 190, 290}, 0xFFFF0000));
    EXPECT_TRUE(AreaIs(frame, {210, 210, 390, 390}, 0xFF00FF00));
}

TEST_F(DeviceFrame, BackBufferWithoutAlphaKeepsAlphaAtOne) {
    ASSERT_TRUE(Recreate(true, D3DFMT_X8R8G8B8));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00336699, 1.0f, 0), D3D_OK);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {0, 0, kWidth, kHeight}, 0xFF336699, 0));
    // DESTALPHA reads 1, so the source passes unchanged; the quad's alpha 0 is not stored.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    DrawScreenQuad({100, 100, 300, 300}, 0x00C08040);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {110, 110, 290, 290}, 0xFFC08040, 0));
}

TEST_F(DeviceFrame, CapabilitiesReportAnyTextureSizeAndAnisotropy) {
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY |
                                  D3DPTEXTURECAPS_NONPOW2CONDITIONAL),
              0u);
    EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP, 0u);
    EXPECT_GE(caps.MaxAnisotropy, 2u);
    EXPECT_NE(caps.RasterCaps & D3DPRASTERCAPS_ANISOTROPY, 0u);
    EXPECT_NE(caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC, 0u);
    EXPECT_NE(caps.SrcBlendCaps & D3DPBLENDCAPS_SRCALPHA, 0u);
    EXPECT_NE(caps.DestBlendCaps & D3DPBLENDCAPS_INVSRCALPHA, 0u);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);

    D3DCAPS8 objectCaps{};
    ASSERT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &objectCaps), D3D_OK);
    EXPECT_EQ(objectCaps.TextureCaps, caps.TextureCaps);
    EXPECT_EQ(objectCaps.MaxAnisotropy, caps.MaxAnisotropy);

    DevicePtr<IDirect3DTexture8> texture;
    EXPECT_EQ(device->CreateTexture(300, 17, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                    texture.ReleaseAndGetAddressOf()),
              D3D_OK);
}

TEST(DeviceOptionsSwitch, PowerOfTwoAndSquareOnlyAreReportedAndEnforced) {
    DeviceOptions options;
    options.powerOfTwoTexturesOnly = true;
    options.squareTexturesOnly = true;
    DevicePtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION, options));
    ASSERT_TRUE(d3d);
    D3DPRESENT_PARAMETERS pp = DefaultPresentParameters(true);
    DevicePtr<IDirect3DDevice8> device;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetHeadlessWindow(),
                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                device.ReleaseAndGetAddressOf()),
              D3D_OK);
    D3DCAPS8 caps{};
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_POW2, 0u);
    EXPECT_NE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY, 0u);
    EXPECT_EQ(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL, 0u);

    struct Case {
        UINT width, height;
        bool accepted;
    } cases[] = {{256, 256, true}, {300, 300, false}, {256, 128, false}, {1, 1, true}};
    for (const Case& c : cases) {
        DevicePtr<IDirect3DTexture8> texture;
        const HRESULT hr = device->CreateTexture(c.width, c.height, 1, 0, D3DFMT_A8R8G8B8,
                                                 D3DPOOL_MANAGED, texture.ReleaseAndGetAddressOf());
        EXPECT_EQ(SUCCEEDED(hr), c.accepted) << c.width << "x" << c.height;
    }
}

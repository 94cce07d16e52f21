// The OpenGL device on an SDL window (SDL's offscreen video driver, so no display is needed):
// the same drawing as headless, presented into the window.
#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

TEST(WindowDevice, DrawsAndPresentsIntoAnSdlWindow) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // A window of another aspect than the back buffer: presentation letterboxes.
    const auto window = Window::Create("device test", 640, 400, false);
    ASSERT_NE(window, nullptr) << "SDL's offscreen video driver is missing";
    DevicePtr<IDirect3D8> d3d(Direct3DCreate8(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d);

    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    DevicePtr<IDirect3DDevice8> device;
    ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window->Handle(),
                                D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                device.ReleaseAndGetAddressOf()),
              D3D_OK);

    const D3DRECT left{0, 0, 400, 600};
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0),
              D3D_OK);
    ASSERT_EQ(device->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFFFF00, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    DevicePtr<IDirect3DSurface8> surface;
    ASSERT_EQ(
        device->CreateImageSurface(800, 600, D3DFMT_A8R8G8B8, surface.ReleaseAndGetAddressOf()),
        D3D_OK);
    ASSERT_EQ(device->GetFrontBuffer(surface.Get()), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto pixel = [&](int x, int y) {
        D3DCOLOR c;
        std::memcpy(&c, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + 4 * x, 4);
        return c;
    };
    EXPECT_EQ(pixel(100, 300), 0xFFFFFF00u);
    EXPECT_EQ(pixel(700, 300), 0xFF0000FFu);
    surface->UnlockRect();
}

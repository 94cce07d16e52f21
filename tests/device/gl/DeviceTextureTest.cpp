// Headless device: texture formats as sampled, addressing, filtering and mip levels.
#include "device/gl/HeadlessDevice.h"

#include <cmath>
#include <cstring>

using namespace headless;

namespace {

class DeviceTexture : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (device) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        }
    }

    // A width × height texture of `levels` levels; level i is filled with fill(i, bytes, pitch,
    // rows) where rows counts texel rows (or block rows).
    template <typename Fill>
    DevicePtr<IDirect3DTexture8> Make(UINT width, UINT height, UINT levels, D3DFORMAT format,
                                      Fill fill) {
        DevicePtr<IDirect3DTexture8> texture;
        if (device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED,
                                  texture.ReleaseAndGetAddressOf()) != D3D_OK) {
            ADD_FAILURE() << "CreateTexture failed for format " << format;
            return texture;
        }
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(level, &desc);
            D3DLOCKED_RECT locked{};
            EXPECT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
            fill(level, static_cast<BYTE*>(locked.pBits), locked.Pitch, desc.Height);
            EXPECT_EQ(texture->UnlockRect(level), D3D_OK);
        }
        return texture;
    }
};

// Round(v · 255 / max): how a channel of `bits` bits reads as 8 bits.
unsigned Scale(unsigned v, unsigned bits) {
    const unsigned max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
}

} // namespace

TEST_F(DeviceTexture, EveryFormatSamplesAsItsChannelsSay) {
    struct Case {
        const char* name;
        D3DFORMAT format;
        // The bytes of one texel, or of one 4 × 4 block for DXT formats.
        std::vector<BYTE> texel;
        D3DCOLOR expected;
    };
    const auto u16 = [](unsigned v) {
        return std::vector<BYTE>{static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)};
    };
    const auto u32 = [](unsigned v) {
        return std::vector<BYTE>{static_cast<BYTE>(v), static_cast<BYTE>(v >> 8),
                                 static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
    };
    // Colour block: c0 = c1 = magenta (R5G6B5 0xF81F), every index 0.
    const std::vector<BYTE> magentaBlock = {0x1F, 0xF8, 0x1F, 0xF8, 0, 0, 0, 0};
    std::vector<BYTE> dxt3 = {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}; // alpha 8 · 17
    dxt3.insert(dxt3.end(), magentaBlock.begin(), magentaBlock.end());
    std::vector<BYTE> dxt5 = {200, 100, 0, 0, 0, 0, 0, 0}; // every alpha index 0: a0
    dxt5.insert(dxt5.end(), magentaBlock.begin(), magentaBlock.end());

    const Case cases[] = {
        {"A8R8G8B8", D3DFMT_A8R8G8B8, u32(0x80C04020), 0x80C04020},
        {"X8R8G8B8 reads alpha as 1", D3DFMT_X8R8G8B8, u32(0x00C04020), 0xFFC04020},
        {"R5G6B5", D3DFMT_R5G6B5, u16((20u << 11) | (40u << 5) | 10u),
         D3DCOLOR_ARGB(255, Scale(20, 5), Scale(40, 6), Scale(10, 5))},
        {"X1R5G5B5 reads alpha as 1", D3DFMT_X1R5G5B5, u16((3u << 10) | (17u << 5) | 29u),
         D3DCOLOR_ARGB(255, Scale(3, 5), Scale(17, 5), Scale(29, 5))},
        {"A1R5G5B5 with alpha 0", D3DFMT_A1R5G5B5, u16((31u << 10) | (0u << 5) | 16u),
         D3DCOLOR_ARGB(0, 255, 0, Scale(16, 5))},
        {"A1R5G5B5 with alpha 1", D3DFMT_A1R5G5B5, u16(0x8000 | (8u << 10) | (31u << 5)),
         D3DCOLOR_ARGB(255, Scale(8, 5), 255, 0)},
        {"A4R4G4B4", D3DFMT_A4R4G4B4, u16(0x7F3C), D3DCOLOR_ARGB(7 * 17, 15 * 17, 3 * 17, 12 * 17)},
        {"A8R3G3B2", D3DFMT_A8R3G3B2, u16((0x90u << 8) | (5u << 5) | (2u << 2) | 1u),
         D3DCOLOR_ARGB(0x90, Scale(5, 3), Scale(2, 3), Scale(1, 2))},
        {"A8 is black with alpha", D3DFMT_A8, {0x60}, 0x60000000},
        {"L8 spreads luminance", D3DFMT_L8, {0x90}, 0xFF909090},
        {"A8L8", D3DFMT_A8L8, {0x30, 0xC0}, 0xC0303030},
        {"DXT1", D3DFMT_DXT1, magentaBlock, 0xFFFF00FF},
        {"DXT2", D3DFMT_DXT2, dxt3, D3DCOLOR_ARGB(8 * 17, 255, 0, 255)},
        {"DXT3", D3DFMT_DXT3, dxt3, D3DCOLOR_ARGB(8 * 17, 255, 0, 255)},
        {"DXT4", D3DFMT_DXT4, dxt5, D3DCOLOR_ARGB(200, 255, 0, 255)},
        {"DXT5", D3DFMT_DXT5, dxt5, D3DCOLOR_ARGB(200, 255, 0, 255)},
    };
    for (const Case& c : cases) {
        const bool block =
            c.format >= D3DFMT_DXT1 && c.format <= D3DFMT_DXT5 && (c.format & 0xFF) == 'D';
        const auto texture = Make(8, 8, 1, c.format, [&](UINT, BYTE* bits, INT pitch, UINT) {
            const UINT rows = block ? 2 : 8;
            const UINT perRow = block ? 2 : 8;
            for (UINT y = 0; y < rows; ++y) {
                for (UINT x = 0; x < perRow; ++x) {
                    std::memcpy(bits + y * pitch + x * c.texel.size(), c.texel.data(),
                                c.texel.size());
                }
            }
        });
        ASSERT_TRUE(texture) << c.name;
        device->SetTexture(0, texture.Get());
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        // Default stage 0: texture × white diffuse, texture alpha; no blending.
        DrawScreenQuad({200, 150, 600, 450}, 0xFFFFFFFF);
        EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, c.expected, 1)) << c.name;
    }
}

TEST_F(DeviceTexture, AddressModesWrapOrClampBeyondTheEdge) {
    // Two texels: red then green. The quad spans u 0..2 over 400 pixels.
    const auto texture = Make(2, 1, 1, D3DFMT_A8R8G8B8, [](UINT, BYTE* bits, INT, UINT) {
        const D3DCOLOR texels[2] = {0xFFFF0000, 0xFF00FF00};
        std::memcpy(bits, texels, sizeof texels);
    });
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture.Get());
    struct Case {
        DWORD address;
        D3DCOLOR columns[4]; // each 100 pixels wide: u 0..0.5, 0.5..1, 1..1.5, 1.5..2
    } cases[] = {
        {D3DTADDRESS_WRAP, {0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFF00FF00}},
        {D3DTADDRESS_CLAMP, {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFF00FF00}},
    };
    for (const Case& c : cases) {
        device->SetTextureStageState(0, D3DTSS_ADDRESSU, c.address);
        device->SetTextureStageState(0, D3DTSS_ADDRESSV, c.address);
        DrawScreenQuad({200, 200, 600, 300}, 0xFFFFFFFF, 0.0f, 2.0f, 1.0f);
        const auto frame = PresentAndRead();
        for (int i = 0; i < 4; ++i) {
            const int left = 200 + 100 * i;
            EXPECT_TRUE(AreaIs(frame, {left + 5, 210, left + 95, 290}, c.columns[i], 0))
                << "address " << c.address << " column " << i;
        }
    }
}

TEST_F(DeviceTexture, MagnificationFilterPointOrLinear) {
    // Black then white texel stretched over 400 pixels, clamped: point gives two halves,
    // linear a ramp. Texel coordinate of pixel x: t = (x − 200 + 0.5) · 2 / 400; linear value
    // = clamp(t − 0.5, 0, 1).
    const auto texture = Make(2, 1, 1, D3DFMT_A8R8G8B8, [](UINT, BYTE* bits, INT, UINT) {
        const D3DCOLOR texels[2] = {0xFF000000, 0xFFFFFFFF};
        std::memcpy(bits, texels, sizeof texels);
    });
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture.Get());
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    struct Case {
        DWORD filter;
        bool linear;
    } cases[] = {{D3DTEXF_POINT, false},
                 {D3DTEXF_LINEAR, true},
                 {D3DTEXF_ANISOTROPIC, true}, // magnification takes it as linear
                 {D3DTEXF_NONE, false}};
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
    for (const Case& c : cases) {
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, c.filter);
        DrawScreenQuad({200, 200, 600, 300}, 0xFFFFFFFF);
        const auto frame = PresentAndRead();
        for (int x = 210; x < 590; x += 20) {
            const double t = (x - 200 + 0.5) * 2.0 / 400.0;
            const double value =
                c.linear ? std::fmin(1.0, std::fmax(0.0, t - 0.5)) : (t < 1.0 ? 0.0 : 1.0);
            const unsigned grey = static_cast<unsigned>(std::lround(value * 255));
            EXPECT_TRUE(
                AreaIs(frame, {x, 240, x + 1, 260}, D3DCOLOR_ARGB(255, grey, grey, grey), 3))
                << "filter " << c.filter << " x " << x;
        }
    }
}

TEST_F(DeviceTexture, MipFilterChoosesLevels) {
    // A 64 × 64 texture with its full chain; level i has colour levelColour[i].
    const D3DCOLOR levelColour[7] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                     0xFF00FFFF, 0xFFFF00FF, 0xFFFFFFFF};
    const auto texture =
        Make(64, 64, 0, D3DFMT_A8R8G8B8, [&](UINT level, BYTE* bits, INT pitch, UINT rows) {
            for (UINT y = 0; y < rows; ++y) {
                auto* row = reinterpret_cast<D3DCOLOR*>(bits + y * pitch);
                for (UINT x = 0; x < (64u >> level); ++x) {
                    row[x] = levelColour[level];
                }
            }
        });
    ASSERT_TRUE(texture);
    ASSERT_EQ(texture->GetLevelCount(), 7u);
    device->SetTexture(0, texture.Get());
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);

    // Drawn 24 pixels wide the level of detail is log2(64 / 24) = 1.415: the nearest level is
    // 1, a linear mip filter mixes 1 and 2 by 0.415.
    const double lod = std::log2(64.0 / 24.0);
    const auto mix = [&](double w) {
        D3DCOLOR c = 0xFF000000;
        for (int shift = 0; shift < 24; shift += 8) {
            const double v =
                Channel(levelColour[1], shift) * (1 - w) + Channel(levelColour[2], shift) * w;
            c |= static_cast<DWORD>(std::lround(v)) << shift;
        }
        return c;
    };
    struct Case {
        const char* name;
        DWORD mipFilter;
        D3DCOLOR expected;
        unsigned tolerance;
    } cases[] = {
        {"no mip filter reads level 0", D3DTEXF_NONE, levelColour[0], 0},
        {"point picks the nearest level", D3DTEXF_POINT, levelColour[1], 0},
        {"linear mixes two levels", D3DTEXF_LINEAR, mix(lod - 1.0), 8},
        {"anisotropic acts as linear", D3DTEXF_ANISOTROPIC, mix(lod - 1.0), 8},
    };
    for (const Case& c : cases) {
        device->SetTextureStageState(0, D3DTSS_MIPFILTER, c.mipFilter);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        DrawScreenQuad({300, 300, 324, 324}, 0xFFFFFFFF);
        EXPECT_TRUE(AreaIs(PresentAndRead(), {304, 304, 320, 320}, c.expected, c.tolerance))
            << c.name;
    }
}

TEST_F(DeviceTexture, LockedSubRectangleUploadsOnlyItsTexels) {
    const auto texture = Make(64, 64, 1, D3DFMT_A8R8G8B8, [](UINT, BYTE* bits, INT pitch, UINT) {
        for (int y = 0; y < 64; ++y) {
            auto* row = reinterpret_cast<D3DCOLOR*>(bits + y * pitch);
            for (int x = 0; x < 64; ++x) {
                row[x] = 0xFF0000FF;
            }
        }
    });
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture.Get());
    DrawScreenQuad({100, 100, 164, 164}, 0xFFFFFFFF);
    PresentFrame();

    // Texels 16..47 × 8..23 turn yellow.
    const RECT part{16, 8, 48, 24};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, &part, 0), D3D_OK);
    for (int y = 0; y < part.bottom - part.top; ++y) {
        auto* row =
            reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < part.right - part.left; ++x) {
            row[x] = 0xFFFFFF00;
        }
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    DrawScreenQuad({100, 100, 164, 164}, 0xFFFFFFFF);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {116, 108, 148, 124}, 0xFFFFFF00, 0));
    EXPECT_TRUE(AreaIs(frame, {100, 100, 164, 108}, 0xFF0000FF, 0));
    EXPECT_TRUE(AreaIs(frame, {100, 124, 164, 164}, 0xFF0000FF, 0));
    EXPECT_TRUE(AreaIs(frame, {100, 108, 116, 124}, 0xFF0000FF, 0));
    EXPECT_TRUE(AreaIs(frame, {148, 108, 164, 124}, 0xFF0000FF, 0));
}

TEST_F(DeviceTexture, UpdateTextureAndCopyRectsReachTheDrawnTexture) {
    // A system-memory twin filled green is copied into a default-pool texture.
    DevicePtr<IDirect3DTexture8> system;
    ASSERT_EQ(device->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                    system.ReleaseAndGetAddressOf()),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(system->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 32; ++y) {
        auto* row =
            reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 32; ++x) {
            row[x] = 0xFF00FF00;
        }
    }
    ASSERT_EQ(system->UnlockRect(0), D3D_OK);
    DevicePtr<IDirect3DTexture8> target;
    ASSERT_EQ(device->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                    target.ReleaseAndGetAddressOf()),
              D3D_OK);
    ASSERT_EQ(device->UpdateTexture(system.Get(), target.Get()), D3D_OK);
    device->SetTexture(0, target.Get());
    DrawScreenQuad({100, 100, 132, 132}, 0xFFFFFFFF);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {100, 100, 132, 132}, 0xFF00FF00, 0));

    // An image surface filled red copied onto the top-left 8 × 8 texels.
    DevicePtr<IDirect3DSurface8> image;
    ASSERT_EQ(device->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8, image.ReleaseAndGetAddressOf()),
              D3D_OK);
    ASSERT_EQ(image->LockRect(&locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y) {
        auto* row =
            reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 8; ++x) {
            row[x] = 0xFFFF0000;
        }
    }
    ASSERT_EQ(image->UnlockRect(), D3D_OK);
    DevicePtr<IDirect3DSurface8> level;
    ASSERT_EQ(target->GetSurfaceLevel(0, level.ReleaseAndGetAddressOf()), D3D_OK);
    ASSERT_EQ(device->CopyRects(image.Get(), nullptr, 0, level.Get(), nullptr), D3D_OK);
    DrawScreenQuad({100, 100, 132, 132}, 0xFFFFFFFF);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {100, 100, 108, 108}, 0xFFFF0000, 0));
    EXPECT_TRUE(AreaIs(frame, {108, 100, 132, 132}, 0xFF00FF00, 0));
    EXPECT_TRUE(AreaIs(frame, {100, 108, 108, 132}, 0xFF00FF00, 0));
}

// Helpers for the utility layer's texture and surface tests on the call-recording device:
// pictures made for a test, and texels read back from any texture, default pool included.
#pragma once

#include "PictureTestSupport.h"
#include "device/DevicePtr.h"
#include "device/RecordingDeviceFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// A 32-bit top-left TGA of width × height 0xAARRGGBB pixels, rows top-down.
inline Bytes Tga32(UINT width, UINT height, const std::vector<D3DCOLOR>& argb) {
    Bytes b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe16(b, width);
    PutLe16(b, height);
    b.push_back(32);
    b.push_back(0x28); // top-left origin, 8 alpha bits
    for (D3DCOLOR c : argb) {
        PutLe32(b, c); // B, G, R, A
    }
    return b;
}

// One level as stored: its description and its rows without padding.
struct LevelBytes {
    D3DSURFACE_DESC desc{};
    std::size_t rowBytes = 0;
    std::vector<BYTE> bytes;
};

// Reads `surface` through an image surface of its format and CopyRects, which works for every
// pool.
inline LevelBytes ReadSurfaceBytes(IDirect3DDevice8* device, IDirect3DSurface8* surface) {
    LevelBytes out;
    EXPECT_EQ(surface->GetDesc(&out.desc), D3D_OK);
    DevicePtr<IDirect3DSurface8> copy;
    EXPECT_EQ(device->CreateImageSurface(out.desc.Width, out.desc.Height, out.desc.Format,
                                         copy.ReleaseAndGetAddressOf()),
              D3D_OK);
    EXPECT_EQ(device->CopyRects(surface, nullptr, 0, copy.Get(), nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const picture::PixelLayout* layout = picture::FindPixelLayout(out.desc.Format);
    EXPECT_NE(layout, nullptr);
    if (!layout) {
        return out;
    }
    out.rowBytes = layout->RowBytes(out.desc.Width);
    const std::size_t rows = layout->RowCount(out.desc.Height);
    out.bytes.resize(out.rowBytes * rows);
    for (std::size_t y = 0; y < rows; ++y) {
        std::memcpy(out.bytes.data() + y * out.rowBytes,
                    static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch, out.rowBytes);
    }
    copy->UnlockRect();
    return out;
}

inline LevelBytes ReadLevelBytes(IDirect3DDevice8* device, IDirect3DTexture8* texture, UINT level) {
    DevicePtr<IDirect3DSurface8> surface;
    EXPECT_EQ(texture->GetSurfaceLevel(level, surface.ReleaseAndGetAddressOf()), D3D_OK);
    return ReadSurfaceBytes(device, surface.Get());
}

// The texels of a 32-bit level as 0xAARRGGBB words (X8R8G8B8 keeps whatever its X byte holds).
inline std::vector<D3DCOLOR> Texels32(const LevelBytes& level) {
    std::vector<D3DCOLOR> texels(level.bytes.size() / 4);
    for (std::size_t i = 0; i < texels.size(); ++i) {
        const BYTE* p = level.bytes.data() + i * 4;
        texels[i] = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<D3DCOLOR>(p[3]) << 24);
    }
    return texels;
}

// The texels of a 16-bit level as words.
inline std::vector<WORD> Texels16(const LevelBytes& level) {
    std::vector<WORD> texels(level.bytes.size() / 2);
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<WORD>(level.bytes[2 * i] | (level.bytes[2 * i + 1] << 8));
    }
    return texels;
}

// Whether each of the R, G, B channels of a and b differ by at most `tolerance`.
inline bool RgbNear(D3DCOLOR a, D3DCOLOR b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int x = static_cast<int>((a >> shift) & 0xFF);
        const int y = static_cast<int>((b >> shift) & 0xFF);
        if (x - y > tolerance || y - x > tolerance) {
            return false;
        }
    }
    return true;
}

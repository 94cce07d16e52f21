// In-memory resources: texture levels and their surfaces, locking with the row pitch, block
// layouts, buffers with partial locks, reference counts, CopyRects and UpdateTexture.
#include "RecordingDeviceFixture.h"

#include <cstring>
#include <vector>

namespace {

// A distinct 32-bit value for each texel.
DWORD Pattern(UINT x, UINT y, UINT level = 0) {
    return 0xFF000000u | (level << 16) | (y << 8) | x;
}

DWORD ReadPixel32(const D3DLOCKED_RECT& locked, UINT x, UINT y) {
    DWORD v = 0;
    std::memcpy(&v, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
    return v;
}

void WritePixel32(const D3DLOCKED_RECT& locked, UINT x, UINT y, DWORD v) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &v, 4);
}

// Fills a lockable 32-bit surface with Pattern(x, y, tag).
void FillPattern(IDirect3DSurface8* surface, UINT width, UINT height, UINT tag) {
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            WritePixel32(locked, x, y, Pattern(x, y, tag));
        }
    }
    ASSERT_EQ(surface->UnlockRect(), D3D_OK);
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

} // namespace

TEST_F(RecordingDeviceTest, TextureLevelsHalveDownToOne) {
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(64, 16, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED);
    // 64x16, 32x8, 16x4, 8x2, 4x1, 2x1, 1x1.
    const struct Case {
        UINT width, height;
    } levels[] = {{64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    ASSERT_EQ(texture->GetLevelCount(), 7u);
    for (UINT i = 0; i < 7; ++i) {
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(i, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, levels[i].width) << i;
        EXPECT_EQ(desc.Height, levels[i].height) << i;
        EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
        EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(desc.MultiSampleType, D3DMULTISAMPLE_NONE);
        // Two bytes a texel, rows padded to four bytes.
        EXPECT_EQ(desc.Size, (levels[i].width * 2 + 3) / 4 * 4 * levels[i].height) << i;

        DevicePtr<IDirect3DSurface8> surface;
        ASSERT_EQ(texture->GetSurfaceLevel(i, surface.ReleaseAndGetAddressOf()), D3D_OK);
        D3DSURFACE_DESC surfaceDesc{};
        ASSERT_EQ(surface->GetDesc(&surfaceDesc), D3D_OK);
        EXPECT_EQ(surfaceDesc, desc);
    }
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    IDirect3DSurface8* surface = nullptr;
    EXPECT_EQ(texture->GetSurfaceLevel(7, &surface), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, EveryTextureFormatOfTheUtilityLayerCanBeMade) {
    const struct Case {
        D3DFORMAT format;
        UINT bytesPerTexel;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 4}, {D3DFMT_X8R8G8B8, 4}, {D3DFMT_R5G6B5, 2},   {D3DFMT_X1R5G5B5, 2},
        {D3DFMT_A1R5G5B5, 2}, {D3DFMT_A4R4G4B4, 2}, {D3DFMT_A8R3G3B2, 2}, {D3DFMT_A8, 1},
        {D3DFMT_L8, 1},       {D3DFMT_A8L8, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        for (D3DPOOL pool : {D3DPOOL_DEFAULT, D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM}) {
            DevicePtr<IDirect3DTexture8> texture = MakeTexture(12, 4, 1, c.format, pool);
            ASSERT_TRUE(texture);
            D3DSURFACE_DESC desc{};
            texture->GetLevelDesc(0, &desc);
            EXPECT_EQ(desc.Pool, pool);
            EXPECT_EQ(desc.Size, 12 * c.bytesPerTexel * 4);
        }
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                         c.format),
                  D3D_OK);
    }
}

TEST_F(RecordingDeviceTest, LockedRectangleStartsAtItsCornerAndRowsArePitchApart) {
    // L8 with a width of 5 gives rows longer than the texels they hold.
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(5, 3, 1, D3DFMT_L8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT whole{};
    ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
    ASSERT_GE(whole.Pitch, 5);
    BYTE* base = static_cast<BYTE*>(whole.pBits);
    for (UINT y = 0; y < 3; ++y) {
        for (UINT x = 0; x < 5; ++x) {
            base[y * whole.Pitch + x] = static_cast<BYTE>(10 * y + x);
        }
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

    const RECT part{1, 1, 4, 3};
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, &part, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, whole.Pitch);
    EXPECT_EQ(locked.pBits, base + whole.Pitch + 1);
    const BYTE* bits = static_cast<const BYTE*>(locked.pBits);
    for (UINT y = 0; y < 2; ++y) {
        for (UINT x = 0; x < 3; ++x) {
            EXPECT_EQ(bits[y * locked.Pitch + x], 10 * (y + 1) + (x + 1)) << x << "," << y;
        }
    }
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
}

TEST_F(RecordingDeviceTest, LevelSurfaceAndTextureShareTheirPixels) {
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(8, 8, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    DevicePtr<IDirect3DSurface8> level1;
    ASSERT_EQ(texture->GetSurfaceLevel(1, level1.ReleaseAndGetAddressOf()), D3D_OK);
    FillPattern(level1.Get(), 4, 4, 1);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(ReadPixel32(locked, 3, 2), Pattern(3, 2, 1));
    EXPECT_EQ(ReadPixel32(locked, 0, 3), Pattern(0, 3, 1));
    // Locked through the texture, the surface is locked too.
    D3DLOCKED_RECT again{};
    EXPECT_EQ(level1->LockRect(&again, nullptr, 0), D3DERR_INVALIDCALL);
    texture->UnlockRect(1);
}

TEST_F(RecordingDeviceTest, BlockCompressedLevelsLockWholeBlocks) {
    // DXT1: 8 bytes per 4x4 block; DXT5: 16.
    const struct Case {
        D3DFORMAT format;
        INT blockBytes;
    } cases[] = {{D3DFMT_DXT1, 8}, {D3DFMT_DXT3, 16}, {D3DFMT_DXT5, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        DevicePtr<IDirect3DTexture8> texture = MakeTexture(16, 8, 0, c.format, D3DPOOL_MANAGED);
        // 16x8, 8x4, 4x2, 2x1, 1x1.
        ASSERT_EQ(texture->GetLevelCount(), 5u);
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Size, static_cast<UINT>(4 * 2 * c.blockBytes));
        texture->GetLevelDesc(3, &desc);
        EXPECT_EQ(desc.Size, static_cast<UINT>(c.blockBytes));

        D3DLOCKED_RECT whole{};
        ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
        EXPECT_EQ(whole.Pitch, 4 * c.blockBytes);
        BYTE* base = static_cast<BYTE*>(whole.pBits);
        texture->UnlockRect(0);

        const RECT block{8, 4, 12, 8};
        D3DLOCKED_RECT part{};
        ASSERT_EQ(texture->LockRect(0, &part, &block, 0), D3D_OK);
        EXPECT_EQ(part.pBits, base + whole.Pitch + 2 * c.blockBytes);
        texture->UnlockRect(0);

        // A rectangle off the block grid, and one on it reaching a small level's border.
        const RECT offGrid{2, 0, 6, 4};
        EXPECT_EQ(texture->LockRect(0, &part, &offGrid, 0), D3DERR_INVALIDCALL);
        const RECT smallLevel{0, 0, 4, 2};
        EXPECT_EQ(texture->LockRect(2, &part, &smallLevel, 0), D3D_OK);
        texture->UnlockRect(2);
    }
}

TEST_F(RecordingDeviceTest, LockRulesForSurfaces) {
    DevicePtr<IDirect3DTexture8> device8 = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    DevicePtr<IDirect3DTexture8> dynamic =
        MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    D3DLOCKED_RECT locked{};
    // Default-pool textures are only lockable when dynamic.
    EXPECT_EQ(device8->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(dynamic->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(dynamic->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(dynamic->UnlockRect(0), D3D_OK);
    EXPECT_EQ(dynamic->UnlockRect(0), D3DERR_INVALIDCALL);
    EXPECT_EQ(dynamic->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(dynamic->LockRect(0, nullptr, nullptr, 0), D3DERR_INVALIDCALL);

    const struct Case {
        RECT rect;
        HRESULT expected;
    } cases[] = {
        {{0, 0, 8, 8}, D3D_OK},
        {{7, 7, 8, 8}, D3D_OK},
        {{0, 0, 9, 8}, D3DERR_INVALIDCALL},
        {{-1, 0, 4, 4}, D3DERR_INVALIDCALL},
        {{4, 4, 4, 6}, D3DERR_INVALIDCALL},
        {{5, 2, 3, 6}, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        const HRESULT hr = dynamic->LockRect(0, &locked, &c.rect, 0);
        EXPECT_EQ(hr, c.expected) << c.rect.left << "," << c.rect.top << "," << c.rect.right << ","
                                  << c.rect.bottom;
        if (SUCCEEDED(hr)) {
            dynamic->UnlockRect(0);
        }
    }
}

TEST_F(RecordingDeviceTest, BufferLocksMapTheRequestedRange) {
    DevicePtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_DIFFUSE,
                                         D3DPOOL_DEFAULT, vb.ReleaseAndGetAddressOf()),
              D3D_OK);
    BYTE* whole = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &whole, 0), D3D_OK);
    for (int i = 0; i < 64; ++i) {
        whole[i] = static_cast<BYTE>(i);
    }
    vb->Unlock();

    const struct Case {
        UINT offset, size;
        HRESULT expected;
        int firstByte;
    } cases[] = {
        {16, 8, D3D_OK, 16},
        {0, 64, D3D_OK, 0},
        {60, 0, D3D_OK, 60},
        {48, 16, D3D_OK, 48},
        {48, 17, D3DERR_INVALIDCALL, -1},
        {64, 0, D3DERR_INVALIDCALL, -1},
        {100, 4, D3DERR_INVALIDCALL, -1},
    };
    for (const Case& c : cases) {
        BYTE* bytes = nullptr;
        const HRESULT hr = vb->Lock(c.offset, c.size, &bytes, 0);
        EXPECT_EQ(hr, c.expected) << c.offset << "+" << c.size;
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(bytes, whole + c.offset);
            EXPECT_EQ(bytes[0], c.firstByte);
            // A partial write lands where it should.
            bytes[0] = 0xEE;
            EXPECT_EQ(vb->Unlock(), D3D_OK);
            BYTE* check = nullptr;
            vb->Lock(0, 0, &check, D3DLOCK_READONLY);
            EXPECT_EQ(check[c.offset], 0xEE);
            check[c.offset] = static_cast<BYTE>(c.offset);
            vb->Unlock();
        }
    }
    BYTE* bytes = nullptr;
    ASSERT_EQ(vb->Lock(0, 4, &bytes, 0), D3D_OK);
    EXPECT_EQ(vb->Lock(8, 4, &bytes, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(0, 4, nullptr, 0), D3DERR_INVALIDCALL);

    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(vb->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc, (D3DVERTEXBUFFER_DESC{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, 0x8,
                                          D3DPOOL_DEFAULT, 64, 0x42}));
}

TEST_F(RecordingDeviceTest, IndexBufferKeepsWhatWasWritten) {
    DevicePtr<IDirect3DIndexBuffer8> ib;
    ASSERT_EQ(device->CreateIndexBuffer(12, 0x18, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                        ib.ReleaseAndGetAddressOf()),
              D3D_OK);
    const WORD indices[6] = {0, 1, 2, 0, 2, 3};
    BYTE* bytes = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), D3D_OK);
    std::memcpy(bytes, indices, sizeof indices);
    ib->Unlock();
    ASSERT_EQ(ib->Lock(6, 6, &bytes, D3DLOCK_READONLY), D3D_OK);
    WORD second[3];
    std::memcpy(second, bytes, sizeof second);
    ib->Unlock();
    EXPECT_EQ(second[0], 0);
    EXPECT_EQ(second[1], 2);
    EXPECT_EQ(second[2], 3);
    D3DINDEXBUFFER_DESC desc{};
    ib->GetDesc(&desc);
    EXPECT_EQ(desc, (D3DINDEXBUFFER_DESC{D3DFMT_INDEX16, D3DRTYPE_INDEXBUFFER, 0x18,
                                         D3DPOOL_DEFAULT, 12}));
}

TEST_F(RecordingDeviceTest, ReferenceCountsFollowBindingsAndLevelSurfaces) {
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(8, 8, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    EXPECT_EQ(RefCount(texture.Get()), 1u);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    // The level surface counts on its texture.
    EXPECT_EQ(RefCount(texture.Get()), 2u);
    EXPECT_EQ(level->AddRef(), 3u);
    EXPECT_EQ(level->Release(), 2u);
    EXPECT_EQ(level->Release(), 1u);

    device->SetTexture(0, texture.Get());
    device->SetTexture(1, texture.Get());
    EXPECT_EQ(RefCount(texture.Get()), 3u);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(RefCount(texture.Get()), 2u);

    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(texture->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device.Get());
    EXPECT_EQ(owner->Release(), 1u);

    // The application's last device reference drops what the device held.
    recorder = nullptr;
    EXPECT_EQ(device.Detach()->Release(), 0u);
    EXPECT_EQ(RefCount(texture.Get()), 1u);
    // The resource still works with its device gone from the application's view.
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
}

TEST_F(RecordingDeviceTest, ImageSurfacesCountTheirOwnReferences) {
    IDirect3DSurface8* surface = nullptr;
    ASSERT_EQ(device->CreateImageSurface(16, 16, D3DFMT_A8R8G8B8, &surface), D3D_OK);
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(desc.Size, 16u * 16u * 4u);
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(surface->Release(), 0u);
}

TEST_F(RecordingDeviceTest, CopyRectsMovesEachRectangleToItsPoint) {
    DevicePtr<IDirect3DSurface8> src = MakeImageSurface(8, 8, D3DFMT_A8R8G8B8);
    DevicePtr<IDirect3DSurface8> dst = MakeImageSurface(10, 6, D3DFMT_A8R8G8B8);
    FillPattern(src.Get(), 8, 8, 1);
    FillPattern(dst.Get(), 10, 6, 2);

    const RECT rects[2] = {{1, 1, 3, 4}, {6, 0, 8, 2}};
    const POINT points[2] = {{4, 2}, {0, 0}};
    ASSERT_EQ(device->CopyRects(src.Get(), rects, 2, dst.Get(), points), D3D_OK);

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(dst->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < 6; ++y) {
        for (UINT x = 0; x < 10; ++x) {
            DWORD expected = Pattern(x, y, 2);
            if (x >= 4 && x < 6 && y >= 2 && y < 5) {
                expected = Pattern(x - 4 + 1, y - 2 + 1, 1);
            } else if (x < 2 && y < 2) {
                expected = Pattern(x + 6, y, 1);
            }
            EXPECT_EQ(ReadPixel32(locked, x, y), expected) << x << "," << y;
        }
    }
    dst->UnlockRect();
}

TEST_F(RecordingDeviceTest, CopyRectsWithoutRectanglesCopiesTheWholeSurface) {
    DevicePtr<IDirect3DSurface8> src = MakeImageSurface(4, 4, D3DFMT_A8R8G8B8);
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    DevicePtr<IDirect3DSurface8> level;
    ASSERT_EQ(texture->GetSurfaceLevel(0, level.ReleaseAndGetAddressOf()), D3D_OK);
    FillPattern(src.Get(), 4, 4, 3);
    // The default-pool level cannot be locked, but can be copied into and out of.
    ASSERT_EQ(device->CopyRects(src.Get(), nullptr, 0, level.Get(), nullptr), D3D_OK);
    DevicePtr<IDirect3DSurface8> back = MakeImageSurface(4, 4, D3DFMT_A8R8G8B8);
    ASSERT_EQ(device->CopyRects(level.Get(), nullptr, 0, back.Get(), nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(back->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < 4; ++y) {
        for (UINT x = 0; x < 4; ++x) {
            EXPECT_EQ(ReadPixel32(locked, x, y), Pattern(x, y, 3));
        }
    }
    back->UnlockRect();
}

TEST_F(RecordingDeviceTest, CopyRectsRefusesWithoutCopyingAnything) {
    DevicePtr<IDirect3DSurface8> src = MakeImageSurface(8, 8, D3DFMT_A8R8G8B8);
    DevicePtr<IDirect3DSurface8> dst = MakeImageSurface(8, 8, D3DFMT_A8R8G8B8);
    DevicePtr<IDirect3DSurface8> other = MakeImageSurface(8, 8, D3DFMT_X8R8G8B8);
    FillPattern(src.Get(), 8, 8, 1);
    FillPattern(dst.Get(), 8, 8, 2);
    // The second rectangle would land past the right edge: nothing is copied.
    const RECT rects[2] = {{0, 0, 2, 2}, {0, 0, 4, 4}};
    const POINT points[2] = {{0, 0}, {6, 0}};
    EXPECT_EQ(device->CopyRects(src.Get(), rects, 2, dst.Get(), points), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CopyRects(src.Get(), nullptr, 0, other.Get(), nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CopyRects(src.Get(), nullptr, 0, src.Get(), nullptr), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(dst->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(ReadPixel32(locked, 0, 0), Pattern(0, 0, 2));
    EXPECT_EQ(ReadPixel32(locked, 1, 1), Pattern(1, 1, 2));
    dst->UnlockRect();
    // A locked surface takes no part either.
    ASSERT_EQ(src->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(device->CopyRects(src.Get(), nullptr, 0, dst.Get(), nullptr), D3DERR_INVALIDCALL);
    src->UnlockRect();
}

TEST_F(RecordingDeviceTest, CopyRectsCopiesBlocksOfCompressedSurfaces) {
    DevicePtr<IDirect3DSurface8> src = MakeImageSurface(8, 8, D3DFMT_DXT1);
    DevicePtr<IDirect3DSurface8> dst = MakeImageSurface(8, 8, D3DFMT_DXT1);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(src->LockRect(&locked, nullptr, 0), D3D_OK);
    // Four 8-byte blocks, two per row of blocks: block (bx, by) filled with 0x10 * (1 + bx + 2by).
    for (UINT by = 0; by < 2; ++by) {
        for (UINT bx = 0; bx < 2; ++bx) {
            std::memset(static_cast<BYTE*>(locked.pBits) + by * locked.Pitch + bx * 8,
                        0x10 * (1 + bx + 2 * by), 8);
        }
    }
    src->UnlockRect();
    const RECT rect{4, 4, 8, 8};
    const POINT point{0, 4};
    ASSERT_EQ(device->CopyRects(src.Get(), &rect, 1, dst.Get(), &point), D3D_OK);
    ASSERT_EQ(dst->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const BYTE* bits = static_cast<const BYTE*>(locked.pBits);
    // Block (1, 1) of the source, 0x40, is now block (0, 1) of the destination.
    for (UINT i = 0; i < 8; ++i) {
        EXPECT_EQ(bits[locked.Pitch + i], 0x40);
        EXPECT_EQ(bits[i], 0);
    }
    dst->UnlockRect();
    const RECT offGrid{2, 0, 6, 4};
    EXPECT_EQ(device->CopyRects(src.Get(), &offGrid, 1, dst.Get(), nullptr), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, UpdateTextureCopiesMatchingLevelsToTheDefaultPool) {
    DevicePtr<IDirect3DTexture8> system =
        MakeTexture(16, 16, 3, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    DevicePtr<IDirect3DTexture8> target = MakeTexture(8, 8, 2, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    for (UINT level = 0; level < 3; ++level) {
        DevicePtr<IDirect3DSurface8> surface;
        ASSERT_EQ(system->GetSurfaceLevel(level, surface.ReleaseAndGetAddressOf()), D3D_OK);
        FillPattern(surface.Get(), 16 >> level, 16 >> level, level);
    }
    ASSERT_EQ(device->UpdateTexture(system.Get(), target.Get()), D3D_OK);

    // The 8x8 target starts at the system texture's 8x8 level (1).
    for (UINT level = 0; level < 2; ++level) {
        const UINT side = 8 >> level;
        DevicePtr<IDirect3DSurface8> surface;
        ASSERT_EQ(target->GetSurfaceLevel(level, surface.ReleaseAndGetAddressOf()), D3D_OK);
        DevicePtr<IDirect3DSurface8> readBack = MakeImageSurface(side, side, D3DFMT_A8R8G8B8);
        ASSERT_EQ(device->CopyRects(surface.Get(), nullptr, 0, readBack.Get(), nullptr), D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(readBack->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(ReadPixel32(locked, 0, 0), Pattern(0, 0, level + 1));
        EXPECT_EQ(ReadPixel32(locked, side - 1, side - 1), Pattern(side - 1, side - 1, level + 1));
        readBack->UnlockRect();
    }
}

TEST_F(RecordingDeviceTest, UpdateTextureNeedsSystemToDefaultWithMatchingLevels) {
    DevicePtr<IDirect3DTexture8> system = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    DevicePtr<IDirect3DTexture8> managed = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    DevicePtr<IDirect3DTexture8> target = MakeTexture(8, 8, 2, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    DevicePtr<IDirect3DTexture8> bigger = MakeTexture(16, 16, 1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    DevicePtr<IDirect3DTexture8> otherFormat = MakeTexture(8, 8, 1, D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
    const struct Case {
        const char* name;
        IDirect3DTexture8* from;
        IDirect3DTexture8* to;
    } cases[] = {
        {"managed source", managed.Get(), target.Get()},
        {"system target", system.Get(), system.Get()},
        {"too few source levels", system.Get(), target.Get()},
        {"no source level of the target's size", system.Get(), bigger.Get()},
        {"other format", system.Get(), otherFormat.Get()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(device->UpdateTexture(c.from, c.to), D3DERR_INVALIDCALL) << c.name;
    }
}

TEST_F(RecordingDeviceTest, TextureSwitchesShapeCapsAndCreation) {
    const struct Case {
        bool powerOfTwo, square;
        UINT width, height;
        HRESULT expected;
    } cases[] = {
        {false, false, 800, 600, D3D_OK},
        {true, false, 800, 600, D3DERR_INVALIDCALL},
        {true, false, 1024, 512, D3D_OK},
        {false, true, 1024, 512, D3DERR_INVALIDCALL},
        {false, true, 600, 600, D3D_OK},
        {true, true, 1024, 1024, D3D_OK},
        {true, true, 600, 600, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.powerOfTwo << c.square << " " << c.width << "x" << c.height);
        MakeDevice(DemoPresentParameters(), DeviceOptions{c.powerOfTwo, c.square});
        D3DCAPS8 caps{};
        ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
        EXPECT_EQ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0, c.powerOfTwo);
        EXPECT_EQ((caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0, false);
        EXPECT_EQ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0, c.square);
        D3DCAPS8 objectCaps{};
        ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &objectCaps), D3D_OK);
        EXPECT_EQ(objectCaps.TextureCaps, caps.TextureCaps);
        IDirect3DTexture8* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(c.width, c.height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                        &texture),
                  c.expected);
        if (texture != nullptr) {
            texture->Release();
        }
    }
}

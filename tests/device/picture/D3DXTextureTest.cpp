// Textures made from picture files by the utility layer, on the call-recording device.
#include "device/D3DXTexture.h"
#include "D3DXTestSupport.h"
#include "JpegBuilder.h"
#include "PngBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

// 800 x 600 JPEG in four flat quadrants: red, green over blue, white.
const Bytes& Quadrants800x600() {
    static const Bytes file = [] {
        Bytes samples;
        samples.reserve(800 * 600 * 3);
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                const D3DCOLOR c = y < 300 ? (x < 400 ? kRed : kGreen) : (x < 400 ? kBlue : kWhite);
                samples.insert(samples.end(),
                               {static_cast<std::uint8_t>(c >> 16),
                                static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
            }
        }
        return CompressJpeg(800, 600, false, samples, 90);
    }();
    return file;
}

class D3DXTextureTest : public RecordingDeviceTest {
protected:
    void UsePowerOfTwoDevice() {
        MakeDevice(DemoPresentParameters(), DeviceOptions{.powerOfTwoTexturesOnly = true});
    }

    // The program's call for its pictures: picture size, full chain, own format, default
    // pool, no filtering, box-filtered mip levels, no colour key.
    HRESULT LoadAsProgramDoes(const Bytes& file, DevicePtr<IDirect3DTexture8>& texture) {
        return D3DXCreateTextureFromFileInMemoryEx(
            device.Get(), file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
            D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr,
            texture.ReleaseAndGetAddressOf());
    }
};

TEST_F(D3DXTextureTest, PictureStaysUnscaledInTopLeftOfPowerOfTwoTextureWithBlackBeyond) {
    UsePowerOfTwoDevice();
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(LoadAsProgramDoes(Quadrants800x600(), texture), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1024u);
    EXPECT_EQ(desc.Height, 1024u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(texture->GetLevelCount(), 11u); // 1024 down to 1

    const std::vector<D3DCOLOR> texels = Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0));
    struct Probe {
        UINT x, y;
        D3DCOLOR colour;
    } probes[] = {
        {200, 150, kRed},   {600, 150, kGreen}, {200, 450, kBlue},
        {600, 450, kWhite}, {790, 590, kWhite}, {10, 10, kRed},
    };
    for (const Probe& p : probes) {
        EXPECT_TRUE(RgbNear(texels[p.y * 1024 + p.x], p.colour, 12))
            << p.x << "," << p.y << " " << std::hex << texels[p.y * 1024 + p.x];
    }
    int notBlack = 0;
    for (UINT y = 0; y < 1024; ++y) {
        for (UINT x = 0; x < 1024; ++x) {
            if ((x >= 800 || y >= 600) && (texels[y * 1024 + x] & 0x00FFFFFF) != 0) {
                ++notBlack;
            }
        }
    }
    EXPECT_EQ(notBlack, 0);
}

TEST_F(D3DXTextureTest, DefaultPoolIsFilledThroughSystemMemoryTwinAndOneUpdate) {
    UsePowerOfTwoDevice();
    recorder->ClearCalls();
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(LoadAsProgramDoes(Tga32(2, 2, {kRed, kGreen, kBlue, kWhite}), texture), D3D_OK);
    const std::vector<RecordedCall> creates = recorder->CallsNamed("CreateTexture");
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_EQ(creates[0].args[5].As<std::uint64_t>(), D3DPOOL_DEFAULT);
    EXPECT_EQ(creates[1].args[5].As<std::uint64_t>(), D3DPOOL_SYSTEMMEM);
    const std::vector<RecordedCall> updates = recorder->CallsNamed("UpdateTexture");
    ASSERT_EQ(updates.size(), 1u);
    EXPECT_EQ(updates[0].args[0].As<const void*>(), creates[1].args[6].As<const void*>());
    EXPECT_EQ(updates[0].args[1].As<const void*>(), static_cast<const void*>(texture.Get()));
    EXPECT_EQ(Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0)),
              (std::vector<D3DCOLOR>{kRed, kGreen, kBlue, kWhite}));
}

TEST_F(D3DXTextureTest, ManagedFormStretchesPictureOverWholeTexture) {
    UsePowerOfTwoDevice();
    const Bytes& file = Quadrants800x600();
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device.Get(), file.data(),
                                                static_cast<UINT>(file.size()),
                                                texture.ReleaseAndGetAddressOf()),
              D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1024u);
    EXPECT_EQ(desc.Height, 1024u);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    const std::vector<D3DCOLOR> texels = Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0));
    // Each quadrant of the picture now covers a quadrant of the texture.
    struct Probe {
        UINT x, y;
        D3DCOLOR colour;
    } probes[] = {
        {256, 256, kRed},     {768, 256, kGreen}, {256, 768, kBlue}, {768, 768, kWhite},
        {1020, 1020, kWhite}, {1020, 4, kGreen},  {4, 1020, kBlue},
    };
    for (const Probe& p : probes) {
        EXPECT_TRUE(RgbNear(texels[p.y * 1024 + p.x], p.colour, 12))
            << p.x << "," << p.y << " " << std::hex << texels[p.y * 1024 + p.x];
    }
}

TEST_F(D3DXTextureTest, AlphaPngKeepsAlphaFormat) {
    using namespace png_builder;
    // 2 x 1 RGBA: opaque red, half-transparent blue.
    const Bytes file =
        Png(Ihdr(2, 1, 8, kRgba), {Chunk("IDAT", Idat({{0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0x80}}))});
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(LoadAsProgramDoes(file, texture), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0)),
              (std::vector<D3DCOLOR>{0xFFFF0000, 0x800000FF}));
}

TEST_F(D3DXTextureTest, MissingFileGivesInvalidDataAndNoTexture) {
    recorder->ClearCalls();
    IDirect3DTexture8* const untouched = reinterpret_cast<IDirect3DTexture8*>(0x1234);
    IDirect3DTexture8* texture = untouched;
    EXPECT_EQ(D3DXCreateTextureFromFileA(device.Get(), "no such folder/no such file.jpg", &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, untouched);
    EXPECT_TRUE(recorder->CallsNamed("CreateTexture").empty());
}

TEST_F(D3DXTextureTest, FileFormReadsTheWholeFile) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "d3dx-texture-test-picture.tga";
    const Bytes file = Tga32(2, 1, {0x80102030, kWhite});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    DevicePtr<IDirect3DTexture8> texture;
    D3DXIMAGE_INFO info{};
    const HRESULT hr = D3DXCreateTextureFromFileExA(
        device.Get(), path.string().c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, &info, nullptr,
        texture.ReleaseAndGetAddressOf());
    std::filesystem::remove(path);
    ASSERT_EQ(hr, D3D_OK);
    EXPECT_EQ(info.Width, 2u);
    EXPECT_EQ(info.Height, 1u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    EXPECT_EQ(Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0)),
              (std::vector<D3DCOLOR>{0x80102030, kWhite}));
}

TEST_F(D3DXTextureTest, BadArgumentsAndDataStoreNothing) {
    const Bytes good = Tga32(1, 1, {kRed});
    const Bytes garbage(64, 0x5A);
    struct Case {
        const char* what;
        bool device;
        const Bytes* data; // its bytes and size; null: a null pointer with size 16
        bool zeroSize;
        DWORD filter;
        DWORD mipFilter;
        DWORD usage;
        D3DPOOL pool;
        bool out;
        HRESULT expected;
    } cases[] = {
        {"null device", false, &good, false, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DPOOL_DEFAULT, true,
         D3DERR_INVALIDCALL},
        {"null data", true, nullptr, false, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DPOOL_DEFAULT, true,
         D3DERR_INVALIDCALL},
        {"size 0", true, &good, true, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DPOOL_DEFAULT, true,
         D3DERR_INVALIDCALL},
        {"null out-pointer", true, &good, false, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DPOOL_DEFAULT,
         false, D3DERR_INVALIDCALL},
        {"filter 6", true, &good, false, 6, D3DX_DEFAULT, 0, D3DPOOL_DEFAULT, true,
         D3DERR_INVALIDCALL},
        {"mip filter with an unknown flag", true, &good, false, D3DX_DEFAULT,
         D3DX_FILTER_BOX | 0x100000, 0, D3DPOOL_DEFAULT, true, D3DERR_INVALIDCALL},
        {"no reader takes it", true, &garbage, false, D3DX_DEFAULT, D3DX_DEFAULT, 0,
         D3DPOOL_DEFAULT, true, D3DXERR_INVALIDDATA},
        {"no format for the usage", true, &good, false, D3DX_DEFAULT, D3DX_DEFAULT,
         D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, true, D3DERR_NOTAVAILABLE},
        {"pool the device refuses", true, &good, false, D3DX_DEFAULT, D3DX_DEFAULT, 0,
         static_cast<D3DPOOL>(7), true, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        recorder->ClearCalls();
        IDirect3DTexture8* const untouched = reinterpret_cast<IDirect3DTexture8*>(0x1234);
        IDirect3DTexture8* texture = untouched;
        const UINT size = c.zeroSize ? 0 : c.data ? static_cast<UINT>(c.data->size()) : 16;
        const HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(
            c.device ? device.Get() : nullptr, c.data ? c.data->data() : nullptr, size,
            D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, c.usage, D3DFMT_UNKNOWN, c.pool, c.filter,
            c.mipFilter, 0, nullptr, nullptr, c.out ? &texture : nullptr);
        EXPECT_EQ(hr, c.expected) << c.what;
        EXPECT_EQ(texture, untouched) << c.what;
        for (const RecordedCall& call : recorder->CallsNamed("CreateTexture")) {
            EXPECT_NE(call.result, 0) << c.what << ": a texture was made";
        }
    }
}

TEST_F(D3DXTextureTest, SizeIsFittedToWhatTheDeviceTakes) {
    struct Case {
        const char* what;
        DeviceOptions options;
        UINT width, height; // requested (0: the picture's 20 x 12)
        D3DFORMAT format;
        UINT expectedWidth, expectedHeight, expectedLevels;
    } cases[] = {
        {"any size", {}, 0, 0, D3DFMT_UNKNOWN, 20, 12, 5},
        {"powers of two", {.powerOfTwoTexturesOnly = true}, 0, 0, D3DFMT_UNKNOWN, 32, 16, 6},
        {"square only: the longer side is cut",
         {.squareTexturesOnly = true},
         0,
         0,
         D3DFMT_UNKNOWN,
         12,
         12,
         4},
        {"square powers of two",
         {.powerOfTwoTexturesOnly = true, .squareTexturesOnly = true},
         0,
         0,
         D3DFMT_UNKNOWN,
         16,
         16,
         5},
        {"requested size", {}, 7, 3, D3DFMT_UNKNOWN, 7, 3, 3},
        {"requested size, powers of two",
         {.powerOfTwoTexturesOnly = true},
         7,
         3,
         D3DFMT_UNKNOWN,
         8,
         4,
         4},
        {"DXT1: multiples of 4", {}, 0, 0, D3DFMT_DXT1, 20, 12, 5},
        {"DXT5 of 7 x 3: multiples of 4", {}, 7, 3, D3DFMT_DXT5, 8, 4, 4},
    };
    std::vector<D3DCOLOR> pixels(20 * 12, kGreen);
    const Bytes file = Tga32(20, 12, pixels);
    for (const Case& c : cases) {
        MakeDevice(DemoPresentParameters(), c.options);
        DevicePtr<IDirect3DTexture8> texture;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                      device.Get(), file.data(), static_cast<UINT>(file.size()), c.width, c.height,
                      0, 0, c.format, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                      nullptr, texture.ReleaseAndGetAddressOf()),
                  D3D_OK)
            << c.what;
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, c.expectedWidth) << c.what;
        EXPECT_EQ(desc.Height, c.expectedHeight) << c.what;
        EXPECT_EQ(texture->GetLevelCount(), c.expectedLevels) << c.what;
        if (c.format != D3DFMT_UNKNOWN) {
            EXPECT_EQ(desc.Format, c.format) << c.what;
        }
    }
}

TEST_F(D3DXTextureTest, MipLevelCountIsCutToTheFullChain) {
    const Bytes file = Tga32(4, 2, std::vector<D3DCOLOR>(8, kBlue));
    struct Case {
        UINT requested;
        UINT expected;
    } cases[] = {{0, 3}, {D3DX_DEFAULT, 3}, {1, 1}, {2, 2}, {3, 3}, {9, 3}};
    for (const Case& c : cases) {
        DevicePtr<IDirect3DTexture8> texture;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                      device.Get(), file.data(), static_cast<UINT>(file.size()), 0, 0, c.requested,
                      0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                      nullptr, texture.ReleaseAndGetAddressOf()),
                  D3D_OK);
        EXPECT_EQ(texture->GetLevelCount(), c.expected) << c.requested;
    }
}

// Rounded mean of four 8-bit values, as a box filter halving a picture gives it.
DWORD Mean4(DWORD a, DWORD b, DWORD c, DWORD d) {
    return (a + b + c + d + 2) / 4;
}

D3DCOLOR MeanOf(D3DCOLOR a, D3DCOLOR b, D3DCOLOR c, D3DCOLOR d) {
    D3DCOLOR out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        out |= Mean4((a >> shift) & 0xFF, (b >> shift) & 0xFF, (c >> shift) & 0xFF,
                     (d >> shift) & 0xFF)
               << shift;
    }
    return out;
}

TEST_F(D3DXTextureTest, MipLevelsAreBoxAveragesOfTheLevelAbove) {
    // 4 x 4 with every channel different, some means ending in .5 (10, 11, 20, 21 -> 15.5).
    const std::vector<D3DCOLOR> level0 = {
        0xFF0A0000, 0xFF0B0010, 0x80200000, 0x00FF00FF, //
        0xFF140000, 0xFF150020, 0x80400000, 0x40FF00FF, //
        0x10000000, 0x20000000, 0xFFFFFFFF, 0xFF000000, //
        0x30000000, 0x40000001, 0xFFFFFFFF, 0xFF000000,
    };
    const Bytes file = Tga32(4, 4, level0);
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                  device.Get(), file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0,
                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr,
                  nullptr, texture.ReleaseAndGetAddressOf()),
              D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0)), level0);
    auto at = [&](UINT x, UINT y) { return level0[y * 4 + x]; };
    const std::vector<D3DCOLOR> level1 = {
        MeanOf(at(0, 0), at(1, 0), at(0, 1), at(1, 1)),
        MeanOf(at(2, 0), at(3, 0), at(2, 1), at(3, 1)),
        MeanOf(at(0, 2), at(1, 2), at(0, 3), at(1, 3)),
        MeanOf(at(2, 2), at(3, 2), at(2, 3), at(3, 3)),
    };
    EXPECT_EQ(level1[0], 0xFF10000Cu); // red 15.5 rounds up to 16
    EXPECT_EQ(Texels32(ReadLevelBytes(device.Get(), texture.Get(), 1)), level1);
    EXPECT_EQ(Texels32(ReadLevelBytes(device.Get(), texture.Get(), 2)),
              std::vector<D3DCOLOR>{MeanOf(level1[0], level1[1], level1[2], level1[3])});
}

TEST_F(D3DXTextureTest, LevelsCarriedByTheFileAreUsedAsTheyAre) {
    // L8 DDS, 4 x 2 with three levels; level 1 is deliberately not the mean of level 0.
    Bytes file = {'D', 'D', 'S', ' '};
    for (DWORD v : {124u, 0x21007u, 2u, 4u, 0u, 0u, 3u}) {
        PutLe32(file, v); // size, flags with mip-map count, height, width, pitch, depth, levels
    }
    for (int i = 0; i < 11; ++i) {
        PutLe32(file, 0);
    }
    for (DWORD v : {32u, 0x20000u, 0u, 8u, 0xFFu, 0u, 0u, 0u, 0x401008u, 0u, 0u, 0u, 0u}) {
        PutLe32(file, v); // pixel format: luminance, 8 bits; caps
    }
    file.insert(file.end(), {10, 20, 30, 40, 50, 60, 70, 80, /* level 1 */ 200, 100,
                             /* level 2 */ 7});
    DevicePtr<IDirect3DTexture8> texture;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                  device.Get(), file.data(), static_cast<UINT>(file.size()), 0, 0, 0, 0,
                  D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                  texture.ReleaseAndGetAddressOf()),
              D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, D3DFMT_L8);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(ReadLevelBytes(device.Get(), texture.Get(), 0).bytes,
              (std::vector<BYTE>{10, 20, 30, 40, 50, 60, 70, 80}));
    EXPECT_EQ(ReadLevelBytes(device.Get(), texture.Get(), 1).bytes, (std::vector<BYTE>{200, 100}));
    EXPECT_EQ(ReadLevelBytes(device.Get(), texture.Get(), 2).bytes, std::vector<BYTE>{7});
}

TEST_F(D3DXTextureTest, FormatIsChosenFromThePictureAndWhatTheDeviceTakes) {
    // 2 x 1 palette BMP (8 bits); the palette entries are opaque, as BMP palettes are.
    const Bytes bmp = {
        'B',  'M',  66,   0, 0,    0,    0,    0, 0, 0, 62, 0, 0, 0, // file header, pixels at 62
        40,   0,    0,    0, 2,    0,    0,    0, 1, 0, 0,  0, 1, 0,
        8,    0,    0,    0, 0,    0, // 2 x 1, 8 bits
        0,    0,    0,    0, 0,    0,    0,    0, 0, 0, 0,  0, 2, 0,
        0,    0,    0,    0, 0,    0,             // two colours
        0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0, // red, blue
        1,    0,    0,    0,                      // indices 1, 0
    };
    // 2 x 1 colour-mapped TGA whose second map entry is half transparent.
    const Bytes tga = {
        0, 1, 1,    0,    0,    2, 0, 32,            // colour map of 2 entries of 32 bits
        0, 0, 0,    0,    2,    0, 1, 0,    8, 0x28, // 2 x 1, 8-bit indices, top-left, 8 alpha bits
        0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0x80,          // entries: opaque red, half-transparent blue
        0, 1,                                        // indices
    };
    const Bytes onePixel = Tga32(1, 1, {kRed});
    const Bytes tga24 = {0, 0, 2, 0, 0, 0,  0,    0,    0,    0,   0,
                         0, 1, 0, 1, 0, 24, 0x20, 0x00, 0x00, 0xFF};
    struct Case {
        const char* what;
        const Bytes* file;
        D3DFORMAT requested;
        D3DCOLOR key;
        D3DFORMAT expected;
        std::vector<D3DCOLOR> texels;
    } cases[] = {
        {"opaque palette", &bmp, D3DFMT_UNKNOWN, 0, D3DFMT_X8R8G8B8, {0xFF0000FF, 0xFFFF0000}},
        {"palette with alpha", &tga, D3DFMT_UNKNOWN, 0, D3DFMT_A8R8G8B8, {0xFFFF0000, 0x800000FF}},
        {"24 bits", &tga24, D3DFMT_UNKNOWN, 0, D3DFMT_X8R8G8B8, {0xFFFF0000}},
        {"colour key asks for alpha",
         &bmp,
         D3DFMT_UNKNOWN,
         0xFFFF0000,
         D3DFMT_A8R8G8B8,
         {0xFF0000FF, 0x00000000}},
        {"requested format", &onePixel, D3DFMT_A4R4G4B4, 0, D3DFMT_A4R4G4B4, {}},
    };
    for (const Case& c : cases) {
        DevicePtr<IDirect3DTexture8> texture;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                      device.Get(), c.file->data(), static_cast<UINT>(c.file->size()), 0, 0, 1, 0,
                      c.requested, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, c.key, nullptr,
                      nullptr, texture.ReleaseAndGetAddressOf()),
                  D3D_OK)
            << c.what;
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, c.expected) << c.what;
        if (!c.texels.empty()) {
            std::vector<D3DCOLOR> texels = Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0));
            if (c.expected == D3DFMT_X8R8G8B8) {
                for (D3DCOLOR& t : texels) {
                    t |= 0xFF000000u; // the X byte carries nothing
                }
            }
            EXPECT_EQ(texels, c.texels) << c.what;
        }
    }
}

TEST_F(D3DXTextureTest, ResamplingFiltersTheWholePictureIntoTheLevel) {
    // 4 x 1 picture [0, 0, 255, 255] into a 2 x 1 texture.
    const Bytes file = Tga32(4, 1, {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF});
    struct Case {
        DWORD filter;
        DWORD left, right; // expected grey of the two texels
    } cases[] = {
        {D3DX_FILTER_NONE, 0, 0},    // no scaling: the first two pixels
        {D3DX_FILTER_POINT, 0, 255}, // pixels 1 and 3, under the centres 1.0 and 3.0
        {D3DX_FILTER_BOX, 0, 255},   // means of the halves
        // A tent two pixels wide around 1.0 and 3.0: weights 1, 3, 3, 1 over pixels -1..2
        // (the edge repeated): (0 + 0 + 0 + 255) / 8 = 31.9 and (0 + 3·255 + 3·255 + 255) / 8.
        {D3DX_FILTER_TRIANGLE, 32, 223},
    };
    for (const Case& c : cases) {
        DevicePtr<IDirect3DTexture8> texture;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(
                      device.Get(), file.data(), static_cast<UINT>(file.size()), 2, 1, 1, 0,
                      D3DFMT_UNKNOWN, D3DPOOL_MANAGED, c.filter, D3DX_DEFAULT, 0, nullptr, nullptr,
                      texture.ReleaseAndGetAddressOf()),
                  D3D_OK)
            << c.filter;
        const std::vector<D3DCOLOR> texels =
            Texels32(ReadLevelBytes(device.Get(), texture.Get(), 0));
        EXPECT_EQ(texels[0] & 0xFF, c.left) << c.filter;
        EXPECT_EQ(texels[1] & 0xFF, c.right) << c.filter;
    }
}

} // namespace

// Helpers of the effect tests: a picture that records what it is told, pictures written to a
// temporary data folder, and the quads a recording device was asked to draw.
#pragma once

#include "device/D3D8.h"
#include "device/D3DX.h"
#include "device/RecordingDeviceFixture.h"
#include "device/recording/RecordingDevice.h"
#include "image/Sprite.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The placement and colour alpha a layer was drawn with.
struct DrawnLayer {
    float positionX, positionY;
    float scaleX, scaleY;
    float centerX, centerY;
    float rotation;
    int alpha;
};

// The arguments of a LoadFromFileEx call.
struct FileExLoad {
    std::string fileName;
    IDirect3DDevice8* device;
    UINT width, height, mipLevels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    DWORD filter, mipFilter;
    D3DCOLOR colorKey;
    D3DXIMAGE_INFO* srcInfo;
    PALETTEENTRY* palette;
};

// Checks one LoadFromFileEx call against the arguments every picture of the demo is loaded with:
// the file, the device, then 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_FILTER_NONE,
// D3DX_DEFAULT, colour key 0, no picture information and no palette.
void ExpectDemoPictureLoad(const FileExLoad& load, const char* fileName, IDirect3DDevice8* device);

// A Sprite that remembers its constructor colour, its LoadFromFileEx calls and the state of every
// Draw, and otherwise behaves as a Sprite.
class RecordingSprite : public Sprite {
public:
    RecordingSprite(int a, int r, int g, int b, int* destroyed)
        : Sprite(a, r, g, b), constructed{a, r, g, b}, alpha(a), destroyed(destroyed) {}
    ~RecordingSprite() override { ++*destroyed; }

    int LoadFromFileEx(const char* fileName, IDirect3DDevice8* device, UINT width, UINT height,
                       UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                       DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                       PALETTEENTRY* palette) override;
    HRESULT Draw() override;
    void SetColor(int a, int r, int g, int b) override;
    void SetRotationCenter(float x, float y) override;

    int constructed[4];
    std::vector<FileExLoad> loads;
    std::vector<DrawnLayer> drawn;
    // Every SetColor's red, green and blue were 255.
    bool colourStaysWhite = true;

private:
    int alpha;
    float centerX = 0.0f, centerY = 0.0f;
    int* destroyed;
};

// The call-recording device with a scene begun, as draws need.
class RecordingSceneTest : public RecordingDeviceTest {
protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }
};

// An effect whose picture is a RecordingSprite, reachable through `picture` while it lives.
template <typename EffectType>
class WatchedEffect : public EffectType {
public:
    RecordingSprite* picture = nullptr;
    // Pictures destroyed so far.
    int picturesDestroyed = 0;

protected:
    std::unique_ptr<Sprite> NewPicture(int a, int r, int g, int b) override {
        auto made = std::make_unique<RecordingSprite>(a, r, g, b, &picturesDestroyed);
        picture = made.get();
        return made;
    }
};

// A 24-bit bottom-up BMP of width × height texels of one colour (0xRRGGBB).
std::vector<std::uint8_t> FlatBmp(int width, int height, D3DCOLOR rgb);

// A fresh temporary folder with a "data" folder inside, made the current directory while the
// object lives; removed afterwards.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();
    DataFolder(const DataFolder&) = delete;
    DataFolder& operator=(const DataFolder&) = delete;

    // Writes `bytes` as data/<name>.
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path previous;
    std::filesystem::path root;
};

// Pre-transformed vertex with colour and one texture coordinate, as the utility sprite draws.
struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

// The quads of the recorded DrawPrimitiveUP calls, four vertices each.
std::vector<std::vector<QuadVertex>> RecordedQuads(const RecordingDevice& recorder);

// Where the quad puts the point (x, y) given in texels of a width × height texture: the quad is
// an affine image of the texture, so the point follows from corners 0, 1 and 3.
struct ScreenPoint {
    double x, y;
};
ScreenPoint MapTexel(const std::vector<QuadVertex>& quad, double x, double y, double width,
                     double height);

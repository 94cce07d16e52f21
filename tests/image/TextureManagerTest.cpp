// Tests of the texture cache on the call-recording device, with picture files written into a
// fresh current folder and its "data" folder.
#include "image/TextureManager.h"

#include <gtest/gtest.h>

#include "ImageTestFiles.h"
#include "JpegFixtures.h"
#include "device/RecordingDeviceFixture.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kWhite = 0xFFFFFF;

using PixelFunction = std::function<std::uint32_t(std::uint32_t x, std::uint32_t y)>;

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// The 14-byte file header and 40-byte information header of an uncompressed BMP.
std::vector<std::uint8_t> BmpHeaders(std::uint32_t width, std::uint32_t height, std::uint32_t bits,
                                     std::uint32_t dataOffset, std::uint32_t dataBytes) {
    std::vector<std::uint8_t> file = {'B', 'M'};
    PutLittleEndian(file, dataOffset + dataBytes, 4); // file size
    PutLittleEndian(file, 0, 4);                      // reserved
    PutLittleEndian(file, dataOffset, 4);             // offset of the pixel rows
    PutLittleEndian(file, 40, 4);                     // information header size
    PutLittleEndian(file, width, 4);
    PutLittleEndian(file, height, 4); // positive: rows stored bottom-up
    PutLittleEndian(file, 1, 2);      // planes
    PutLittleEndian(file, bits, 2);
    PutLittleEndian(file, 0, 4); // no compression
    PutLittleEndian(file, dataBytes, 4);
    PutLittleEndian(file, 2835, 4); // 72 dots an inch, both ways
    PutLittleEndian(file, 2835, 4);
    PutLittleEndian(file, 0, 4); // colours used
    PutLittleEndian(file, 0, 4); // important colours
    return file;
}

// A 24-bit BMP whose pixel (x, y), y = 0 the top row, is color(x, y) as 0xRRGGBB.
std::vector<std::uint8_t> Bmp24(std::uint32_t width, std::uint32_t height,
                                const PixelFunction& color) {
    const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> file = BmpHeaders(width, height, 24, 54, rowBytes * height);
    for (std::uint32_t y = height; y-- > 0;) {
        for (std::uint32_t x = 0; x < width; ++x) {
            PutLittleEndian(file, color(x, y), 3); // blue, green, red
        }
        file.resize(file.size() + (rowBytes - width * 3), 0);
    }
    return file;
}

// An 8-bit BMP alpha mask whose byte (x, y) is alpha(x, y), with a grey palette.
std::vector<std::uint8_t> MaskBmp(std::uint32_t width, std::uint32_t height,
                                  const PixelFunction& alpha) {
    const std::uint32_t rowBytes = (width + 3) / 4 * 4;
    std::vector<std::uint8_t> file = BmpHeaders(width, height, 8, 54 + 1024, rowBytes * height);
    for (std::uint32_t i = 0; i < 256; ++i) {
        PutLittleEndian(file, i * 0x010101u, 4);
    }
    for (std::uint32_t y = height; y-- > 0;) {
        for (std::uint32_t x = 0; x < width; ++x) {
            file.push_back(static_cast<std::uint8_t>(alpha(x, y)));
        }
        file.resize(file.size() + (rowBytes - width), 0);
    }
    return file;
}

// A 32-bit uncompressed true-colour TGA whose pixel (x, y), y = 0 the top row, is
// color(x, y) as 0xAARRGGBB; rows stored bottom-up.
std::vector<std::uint8_t> Tga32(std::uint32_t width, std::uint32_t height,
                                const PixelFunction& color) {
    std::vector<std::uint8_t> file = {
        0, 0, 2,       // no identification field, no colour map, uncompressed true colour
        0, 0, 0, 0, 0, // colour map: first entry, length, entry size
        0, 0, 0, 0,    // x and y origin
    };
    PutLittleEndian(file, width, 2);
    PutLittleEndian(file, height, 2);
    file.push_back(32); // bits a pixel
    file.push_back(8);  // 8 alpha bits, bottom-left origin
    for (std::uint32_t y = height; y-- > 0;) {
        for (std::uint32_t x = 0; x < width; ++x) {
            PutLittleEndian(file, color(x, y), 4); // blue, green, red, alpha
        }
    }
    return file;
}

// A picture of four flat quarters: red top left, blue top right, green bottom left, white
// bottom right.
PixelFunction Quarters(std::uint32_t width, std::uint32_t height) {
    return [=](std::uint32_t x, std::uint32_t y) {
        if (y < height / 2) {
            return x < width / 2 ? kRed : kBlue;
        }
        return x < width / 2 ? kGreen : kWhite;
    };
}

PixelFunction Flat(std::uint32_t value) {
    return [=](std::uint32_t, std::uint32_t) { return value; };
}

// A mask with alpha `top` on the upper half and `bottom` on the lower half.
PixelFunction TopAndBottom(std::uint32_t height, std::uint32_t top, std::uint32_t bottom) {
    return [=](std::uint32_t, std::uint32_t y) { return y < height / 2 ? top : bottom; };
}

std::vector<std::uint8_t> QuarterBmp(std::uint32_t width, std::uint32_t height) {
    return Bmp24(width, height, Quarters(width, height));
}

// The CreateTexture arguments the device recorded.
struct Creation {
    std::uint64_t width, height, levels, usage, format, pool;
    const void* texture; // the texture made, or the out-argument's address after a failure
    std::int64_t result;
};

Creation Describe(const RecordedCall& call) {
    return {call.args.at(0).As<std::uint64_t>(), call.args.at(1).As<std::uint64_t>(),
            call.args.at(2).As<std::uint64_t>(), call.args.at(3).As<std::uint64_t>(),
            call.args.at(4).As<std::uint64_t>(), call.args.at(5).As<std::uint64_t>(),
            call.args.at(6).As<const void*>(),   call.result};
}

D3DSURFACE_DESC LevelDesc(IDirect3DTexture8* texture, UINT level) {
    D3DSURFACE_DESC desc{};
    EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
    return desc;
}

// The level's texel (x, y) as 0xAARRGGBB (the texture must be A8R8G8B8).
std::uint32_t TexelAt(IDirect3DTexture8* texture, UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT locked{};
    if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        ADD_FAILURE() << "LockRect of level " << level << " failed";
        return 0;
    }
    std::uint32_t texel = 0;
    std::memcpy(&texel, static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch + x * 4,
                4);
    texture->UnlockRect(level);
    return texel;
}

// Whether each of the four 8-bit channels of a and b differs by at most 2.
bool NearColor(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > 2) {
            return false;
        }
    }
    return true;
}

// Checks that the level shows the whole Quarters picture, stretched to the level's size: each
// quarter's colour at the middle of the matching quarter of the level, with alpha `topAlpha` in
// the upper half and `bottomAlpha` in the lower half.
void ExpectQuarters(IDirect3DTexture8* texture, UINT level, std::uint32_t topAlpha,
                    std::uint32_t bottomAlpha) {
    const D3DSURFACE_DESC desc = LevelDesc(texture, level);
    const struct Probe {
        UINT x, y;
        std::uint32_t expected;
    } probes[] = {
        {desc.Width / 4, desc.Height / 4, topAlpha << 24 | kRed},
        {desc.Width * 3 / 4, desc.Height / 4, topAlpha << 24 | kBlue},
        {desc.Width / 4, desc.Height * 3 / 4, bottomAlpha << 24 | kGreen},
        {desc.Width * 3 / 4, desc.Height * 3 / 4, bottomAlpha << 24 | kWhite},
    };
    for (const Probe& p : probes) {
        const std::uint32_t texel = TexelAt(texture, level, p.x, p.y);
        EXPECT_TRUE(NearColor(texel, p.expected))
            << "level " << level << " at (" << p.x << ", " << p.y << "): " << std::hex << texel
            << ", expected " << p.expected;
    }
}

// The cache's entry names in order.
std::vector<std::string> CachedNames(const TextureManager& manager) {
    std::vector<std::string> names;
    const NamedList<TextureRef>& cache = manager.GetCache();
    for (auto it = cache.begin(); it != cache.end(); ++it) {
        names.push_back(it.GetEntry().name);
    }
    return names;
}

// Each test runs in a fresh current folder with a "data" folder, and starts the process-wide
// manager as start-up does: data folder "data", the recording device, A8R8G8B8.
class TextureManagerTest : public RecordingDeviceTest {
protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::create_directory(std::filesystem::path(folder.Path()) / "data");
        std::filesystem::current_path(folder.Path());
        manager.SetDataDirectory("data");
        manager.Init(device.Get(), D3DFMT_A8R8G8B8);
        recorder->ClearCalls();
    }

    void TearDown() override {
        std::error_code error;
        std::filesystem::current_path(previous, error);
    }

    // Writes a file relative to the test's folder ("wood.bmp", "data/wood.a").
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        folder.Write(name, bytes);
    }

    std::vector<Creation> Creations() const {
        std::vector<Creation> creations;
        for (const RecordedCall& call : recorder->CallsNamed("CreateTexture")) {
            creations.push_back(Describe(call));
        }
        return creations;
    }

    TempFolder folder;
    std::filesystem::path previous;
    TextureManager& manager = TextureManager::Instance();
};

TEST(TextureManagerInstanceTest, InstanceIsOneObject) {
    EXPECT_EQ(&TextureManager::Instance(), &TextureManager::Instance());
}

TEST(TextureManagerInstanceTest, DataDirectoryEndsWithOneBackslash) {
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"data", "data\\"}, {"", "\\"}, {"data\\", "data\\"}, {"textures/wood", "textures/wood\\"},
        {nullptr, "\\"},
    };
    TextureManager manager;
    for (const Case& c : cases) {
        manager.SetDataDirectory(c.path);
        EXPECT_EQ(manager.GetDataDirectory(), c.expected) << (c.path ? c.path : "null");
    }
}

TEST(TextureManagerInstanceTest, BeforeInitNothingIsMadeAndNothingCrashes) {
    TempFolder folder;
    folder.Write("wood.bmp", QuarterBmp(16, 16));
    folder.Write("wood.a", MaskBmp(16, 16, Flat(0x80)));
    folder.Write("pine.bmp", QuarterBmp(16, 16));
    const std::string wood = folder.Path() + "/wood.bmp";
    const std::string pine = folder.Path() + "/pine.bmp";

    TextureManager manager;
    EXPECT_FALSE(manager.IsEnabled());
    EXPECT_EQ(manager.GetTextureFormat(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(manager.FindTexture(wood.c_str()), nullptr);
    EXPECT_EQ(manager.LoadTexture(wood.c_str(), 2), 0);
    EXPECT_EQ(manager.LoadTexture(pine.c_str(), 2), 1);
    manager.ReleaseTexture(wood.c_str());
    EXPECT_EQ(manager.FindTexture(wood.c_str()), nullptr);
    EXPECT_EQ(manager.FindTexture(pine.c_str()), nullptr);
    EXPECT_EQ(manager.GetCache().Size(), 0u);
}

TEST_F(TextureManagerTest, InitEnablesWithDeviceAndFormat) {
    EXPECT_TRUE(manager.IsEnabled());
    manager.Init(device.Get(), D3DFMT_A4R4G4B4);
    EXPECT_EQ(manager.GetTextureFormat(), D3DFMT_A4R4G4B4);
    // Init leaves the data folder as it was.
    EXPECT_EQ(manager.GetDataDirectory(), "data\\");
}

TEST_F(TextureManagerTest, PictureWithoutMaskGivesFourLevelsEachShowingTheWholePicture) {
    Write("wood.bmp", QuarterBmp(300, 200));
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);

    const std::vector<Creation> creations = Creations();
    ASSERT_EQ(creations.size(), 1u);
    EXPECT_EQ(creations[0].width, 512u);
    EXPECT_EQ(creations[0].height, 256u);
    EXPECT_EQ(creations[0].levels, 4u);
    EXPECT_EQ(creations[0].usage, 0u);
    EXPECT_EQ(creations[0].format, std::uint64_t{D3DFMT_A8R8G8B8});
    EXPECT_EQ(creations[0].pool, std::uint64_t{D3DPOOL_MANAGED});
    EXPECT_EQ(creations[0].result, D3D_OK);

    IDirect3DTexture8* texture = manager.FindTexture("wood.bmp");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(creations[0].texture, texture);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    const struct Level {
        UINT width, height;
    } levels[] = {{512, 256}, {256, 128}, {128, 64}, {64, 32}};
    for (UINT i = 0; i < 4; ++i) {
        const D3DSURFACE_DESC desc = LevelDesc(texture, i);
        EXPECT_EQ(desc.Width, levels[i].width) << "level " << i;
        EXPECT_EQ(desc.Height, levels[i].height) << "level " << i;
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
        // A 24-bit BMP has alpha 0.
        ExpectQuarters(texture, i, 0, 0);
    }
}

TEST_F(TextureManagerTest, LevelTwoHasTheLeftHalfOnTheLeftAndTheRightHalfOnTheRight) {
    Write("wood.bmp",
          Bmp24(300, 200, [](std::uint32_t x, std::uint32_t) { return x < 150 ? kRed : kBlue; }));
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);
    IDirect3DTexture8* texture = manager.FindTexture("wood.bmp");
    ASSERT_NE(texture, nullptr);
    // Level 2 is 128 x 64: the first column is red and the last blue on every row.
    for (UINT y : {0u, 31u, 63u}) {
        EXPECT_TRUE(NearColor(TexelAt(texture, 2, 0, y), kRed)) << "row " << y;
        EXPECT_TRUE(NearColor(TexelAt(texture, 2, 127, y), kBlue)) << "row " << y;
    }
}

TEST_F(TextureManagerTest, TextureSizeIsTheNextPowerOfTwoOfEachSide) {
    struct Case {
        std::uint32_t width, height;
        bool masked;
        std::uint64_t width2, height2, levels;
    } cases[] = {
        {1, 1, true, 1, 1, 1},        {2, 3, true, 2, 4, 1},     {5, 7, true, 8, 8, 1},
        {8, 8, false, 8, 8, 4},       {9, 17, false, 16, 32, 4}, {300, 200, false, 512, 256, 4},
        {1025, 8, false, 2048, 8, 4}, {64, 33, true, 64, 64, 1}, {4096, 1, true, 4096, 1, 1},
    };
    for (const Case& c : cases) {
        const std::string base = std::to_string(c.width) + "x" + std::to_string(c.height);
        Write(base + ".bmp", Bmp24(c.width, c.height, Flat(kGreen)));
        if (c.masked) {
            Write(base + ".a", MaskBmp(1, 1, Flat(0xFF)));
        }
        recorder->ClearCalls();
        EXPECT_EQ(manager.LoadTexture((base + ".bmp").c_str(), 2), c.masked ? 0 : 1);
        const std::vector<Creation> creations = Creations();
        ASSERT_EQ(creations.size(), 1u) << c.width << " x " << c.height;
        EXPECT_EQ(creations[0].width, c.width2) << c.width << " x " << c.height;
        EXPECT_EQ(creations[0].height, c.height2) << c.width << " x " << c.height;
        EXPECT_EQ(creations[0].levels, c.levels) << c.width << " x " << c.height;
        IDirect3DTexture8* texture = manager.FindTexture((base + ".bmp").c_str());
        ASSERT_NE(texture, nullptr) << c.width << " x " << c.height;
        // The whole level is the picture's colour, stretched to fill it.
        const D3DSURFACE_DESC desc = LevelDesc(texture, 0);
        const std::uint32_t alpha = c.masked ? 0xFF000000u : 0;
        EXPECT_TRUE(NearColor(TexelAt(texture, 0, desc.Width - 1, desc.Height - 1), alpha | kGreen))
            << c.width << " x " << c.height;
    }
}

TEST_F(TextureManagerTest, MaskBesideOrInDataFolderGivesOneLevelWithTheMasksAlpha) {
    struct Case {
        const char* picture; // where the picture file is written
        const char* mask;    // where the mask file is written
        const char* name;    // the name loaded
    } cases[] = {
        {"a.bmp", "a.a", "a.bmp"},
        {"b.bmp", "data/b.a", "b.bmp"},
        {"data/c.bmp", "c.a", "c.bmp"},
        {"data/d.bmp", "data/d.a", "d.bmp"},
    };
    for (const Case& c : cases) {
        Write(c.picture, QuarterBmp(24, 16));
        Write(c.mask, MaskBmp(24, 16, TopAndBottom(16, 0x40, 0xC0)));
        recorder->ClearCalls();
        EXPECT_EQ(manager.LoadTexture(c.name, 2), 0) << c.picture << " " << c.mask;

        const std::vector<Creation> creations = Creations();
        ASSERT_EQ(creations.size(), 1u) << c.picture << " " << c.mask;
        EXPECT_EQ(creations[0].width, 32u);
        EXPECT_EQ(creations[0].height, 16u);
        EXPECT_EQ(creations[0].levels, 1u);
        EXPECT_EQ(creations[0].format, std::uint64_t{D3DFMT_A8R8G8B8});
        EXPECT_EQ(creations[0].pool, std::uint64_t{D3DPOOL_MANAGED});
        IDirect3DTexture8* texture = manager.FindTexture(c.name);
        ASSERT_NE(texture, nullptr) << c.picture << " " << c.mask;
        EXPECT_EQ(texture->GetLevelCount(), 1u);
        ExpectQuarters(texture, 0, 0x40, 0xC0);
    }
}

TEST_F(TextureManagerTest, FilesBesideComeBeforeThoseInTheDataFolder) {
    struct Case {
        bool masked;
        std::uint32_t expected;
    } cases[] = {
        {false, kRed},              // the picture beside, alpha as read
        {true, 0x40000000u | kRed}, // picture and mask beside
    };
    for (const Case& c : cases) {
        const std::string base = c.masked ? "masked" : "plain";
        Write(base + ".bmp", Bmp24(16, 16, Flat(kRed)));
        Write("data/" + base + ".bmp", Bmp24(16, 16, Flat(kBlue)));
        if (c.masked) {
            Write(base + ".a", MaskBmp(16, 16, Flat(0x40)));
            Write("data/" + base + ".a", MaskBmp(16, 16, Flat(0xC0)));
        }
        manager.LoadTexture((base + ".bmp").c_str(), 2);
        IDirect3DTexture8* texture = manager.FindTexture((base + ".bmp").c_str());
        ASSERT_NE(texture, nullptr) << base;
        EXPECT_TRUE(NearColor(TexelAt(texture, 0, 8, 8), c.expected)) << base;
    }
}

TEST_F(TextureManagerTest, PictureAlphaIsKeptWithoutMask) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        std::uint32_t alpha;
    } cases[] = {
        {"wood.jpg", kJpeg, 0},
        {"wood.tga", Tga32(16, 16, Flat(0x80123456)), 0x80},
        {"wood.bmp", Bmp24(16, 16, Flat(0x123456)), 0},
    };
    for (const Case& c : cases) {
        Write(c.name, c.file);
        EXPECT_EQ(manager.LoadTexture(c.name, 2), 1) << c.name;
        IDirect3DTexture8* texture = manager.FindTexture(c.name);
        ASSERT_NE(texture, nullptr) << c.name;
        EXPECT_EQ(texture->GetLevelCount(), 4u) << c.name;
        for (UINT level = 0; level < 4; ++level) {
            const D3DSURFACE_DESC desc = LevelDesc(texture, level);
            for (UINT y = 0; y < desc.Height; ++y) {
                for (UINT x = 0; x < desc.Width; ++x) {
                    ASSERT_EQ(TexelAt(texture, level, x, y) >> 24, c.alpha)
                        << c.name << " level " << level << " (" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST_F(TextureManagerTest, MaskThatIsNotAnEightBitBmpGivesZeroAndCachesNothing) {
    const std::vector<std::uint8_t> mask = MaskBmp(16, 16, Flat(0x80));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"24-bit BMP", Bmp24(16, 16, Flat(kWhite))},
        {"run-length compressed", Patched(mask, 30, {1})},
        {"JPEG", kJpeg},
        {"empty file", {}},
        {"rows cut short", Truncated(mask, mask.size() - 10)},
    };
    Write("wood.bmp", QuarterBmp(16, 16));
    for (const Case& c : cases) {
        Write("wood.a", c.file);
        EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 0) << c.what;
        EXPECT_EQ(manager.FindTexture("wood.bmp"), nullptr) << c.what;
        EXPECT_EQ(manager.GetCache().Size(), 0u) << c.what;
    }
    EXPECT_TRUE(Creations().empty());
}

TEST_F(TextureManagerTest, SameNameInOtherLetterCaseReusesTheTexture) {
    struct Case {
        bool masked;
        int expected;
    } cases[] = {{false, 1}, {true, 0}};
    for (const Case& c : cases) {
        manager.Init(device.Get(), D3DFMT_A8R8G8B8);
        Write("wood.jpg", kJpeg);
        std::filesystem::remove("wood.a");
        if (c.masked) {
            Write("wood.a", MaskBmp(16, 16, Flat(0xFF)));
        }
        recorder->ClearCalls();
        EXPECT_EQ(manager.LoadTexture("wood.jpg", 2), c.expected);
        EXPECT_EQ(manager.LoadTexture("WOOD.JPG", 2), c.expected);
        EXPECT_EQ(manager.LoadTexture("wood.jpg", 2), c.expected);

        EXPECT_EQ(Creations().size(), 1u) << (c.masked ? "masked" : "plain");
        IDirect3DTexture8* texture = manager.FindTexture("wood.jpg");
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(manager.FindTexture("WOOD.JPG"), texture);
        EXPECT_EQ(manager.FindTexture("Wood.Jpg"), texture);
        EXPECT_EQ(CachedNames(manager), std::vector<std::string>{"wood.jpg"});
    }
}

TEST_F(TextureManagerTest, CacheKeepsNamesAsPassedInOrderOfFirstLoading) {
    Write("b.bmp", QuarterBmp(8, 8));
    Write("data/Apple.bmp", QuarterBmp(8, 8));
    Write("c.tga", Tga32(8, 8, Flat(0xFF00FF00)));
    EXPECT_EQ(manager.LoadTexture("b.bmp", 2), 1);
    EXPECT_EQ(manager.LoadTexture("apple.BMP", 2), 1);
    EXPECT_EQ(manager.LoadTexture("c.tga", 2), 1);
    EXPECT_EQ(manager.LoadTexture("B.BMP", 2), 1);
    EXPECT_EQ(CachedNames(manager), (std::vector<std::string>{"b.bmp", "apple.BMP", "c.tga"}));
}

TEST_F(TextureManagerTest, NameFoundNowhereOrNotReadableCachesNothing) {
    struct Case {
        const char* name;
        const char* file; // written beside and in the data folder, or null
        bool masked;
        int expected;
    } cases[] = {
        {"missing.bmp", nullptr, false, 1},   {"missing.jpg", nullptr, true, 0},
        {"photo.png", "photo.png", false, 1}, {"poster.png", "poster.png", true, 0},
        {"noext", "noext", false, 1},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        const std::string base = name.substr(0, name.size() - 3);
        if (c.file != nullptr) {
            // Whatever the bytes, these names are not read.
            Write(c.file, QuarterBmp(8, 8));
            Write(std::string("data/") + c.file, QuarterBmp(8, 8));
        }
        if (c.masked) {
            Write(base + "a", MaskBmp(8, 8, Flat(0xFF)));
        }
        EXPECT_EQ(manager.LoadTexture(c.name, 2), c.expected) << c.name;
        EXPECT_EQ(manager.FindTexture(c.name), nullptr) << c.name;
    }
    EXPECT_EQ(manager.GetCache().Size(), 0u);
    EXPECT_TRUE(Creations().empty());
}

TEST_F(TextureManagerTest, NamesShorterThanThreeCharactersLookForNoMask) {
    // "a" is a valid mask: the mask name of any three-character name.
    Write("a", MaskBmp(8, 8, Flat(0xFF)));
    struct Case {
        const char* name;
        int expected;
    } cases[] = {
        {"", 1},
        {"x", 1},
        {"ab", 1},
        {"abc", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(manager.LoadTexture(c.name, 2), c.expected) << '"' << c.name << '"';
    }
    EXPECT_EQ(manager.GetCache().Size(), 0u);
}

TEST_F(TextureManagerTest, FolderNamedLikeTheMaskIsNoMask) {
    Write("wood.bmp", QuarterBmp(16, 16));
    std::filesystem::create_directory("wood.a");
    std::filesystem::create_directory("data/wood.a");
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);
    IDirect3DTexture8* texture = manager.FindTexture("wood.bmp");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
}

TEST_F(TextureManagerTest, FilesAreFoundWhateverTheCaseOfTheirLetters) {
    struct Case {
        const char* picture;
        const char* mask; // null: none
        const char* name;
        int expected;
        UINT levels;
    } cases[] = {
        {"data/Wood.JPG", nullptr, "WOOD.jpg", 1, 4},
        {"data/Oak.JPG", "data/OAK.A", "oak.jpg", 0, 1},
        {"Stone.Bmp", "stone.A", "STONE.BMP", 0, 1},
        {"Pine.BMP", "data/pINE.a", "pine.bmp", 0, 1},
    };
    for (const Case& c : cases) {
        Write(c.picture, std::string(c.picture).ends_with("JPG") ? kJpeg : QuarterBmp(16, 16));
        if (c.mask != nullptr) {
            Write(c.mask, MaskBmp(16, 16, Flat(0x80)));
        }
        EXPECT_EQ(manager.LoadTexture(c.name, 2), c.expected) << c.name;
        IDirect3DTexture8* texture = manager.FindTexture(c.name);
        ASSERT_NE(texture, nullptr) << c.name;
        EXPECT_EQ(texture->GetLevelCount(), c.levels) << c.name;
        EXPECT_EQ(TexelAt(texture, 0, 4, 4) >> 24, c.mask != nullptr ? 0x80u : 0u) << c.name;
    }
}

TEST_F(TextureManagerTest, ReleaseOfUnknownNameChangesNothing) {
    // On an empty cache first.
    manager.ReleaseTexture("wood.bmp");
    manager.ReleaseTexture(nullptr);
    EXPECT_EQ(manager.GetCache().Size(), 0u);

    Write("wood.bmp", QuarterBmp(16, 16));
    Write("oak.bmp", QuarterBmp(16, 16));
    manager.LoadTexture("wood.bmp", 2);
    manager.LoadTexture("oak.bmp", 2);
    IDirect3DTexture8* wood = manager.FindTexture("wood.bmp");
    IDirect3DTexture8* oak = manager.FindTexture("oak.bmp");
    ASSERT_NE(wood, nullptr);
    ASSERT_NE(oak, nullptr);
    wood->AddRef();

    for (const char* name : {"pine.bmp", "wood.bm", "wood.bmpx", "data\\wood.bmp", ""}) {
        manager.ReleaseTexture(name);
    }
    manager.ReleaseTexture(nullptr);
    EXPECT_EQ(CachedNames(manager), (std::vector<std::string>{"wood.bmp", "oak.bmp"}));
    EXPECT_EQ(manager.FindTexture("wood.bmp"), wood);
    EXPECT_EQ(manager.FindTexture("oak.bmp"), oak);
    // The cache still holds its reference of wood.
    EXPECT_EQ(wood->Release(), 1u);
}

TEST_F(TextureManagerTest, ReleaseRemovesTheEntryAndItsTextureAndAReloadMakesANewOne) {
    Write("a.bmp", QuarterBmp(16, 16));
    Write("wood.bmp", QuarterBmp(16, 16));
    Write("c.bmp", QuarterBmp(16, 16));
    for (const char* name : {"a.bmp", "wood.bmp", "c.bmp"}) {
        manager.LoadTexture(name, 2);
    }
    IDirect3DTexture8* wood = manager.FindTexture("wood.bmp");
    ASSERT_NE(wood, nullptr);
    EXPECT_EQ(wood->AddRef(), 2u);

    manager.ReleaseTexture("WOOD.bmp");
    // The manager gave up its reference: ours was the last.
    EXPECT_EQ(wood->Release(), 0u);
    EXPECT_EQ(manager.FindTexture("wood.bmp"), nullptr);
    EXPECT_EQ(CachedNames(manager), (std::vector<std::string>{"a.bmp", "c.bmp"}));

    recorder->ClearCalls();
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);
    const std::vector<Creation> creations = Creations();
    ASSERT_EQ(creations.size(), 1u);
    IDirect3DTexture8* again = manager.FindTexture("wood.bmp");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(creations[0].texture, again);
    EXPECT_EQ(CachedNames(manager), (std::vector<std::string>{"a.bmp", "c.bmp", "wood.bmp"}));
}

TEST_F(TextureManagerTest, NullNameThrowsCodeThreeBeforeAnything) {
    Write("wood.bmp", QuarterBmp(16, 16));
    manager.LoadTexture("wood.bmp", 2);
    recorder->ClearCalls();
    try {
        manager.LoadTexture(nullptr, 2);
        ADD_FAILURE() << "no exception";
    } catch (const CTextureException& e) {
        EXPECT_EQ(e.code, 3);
    }
    EXPECT_TRUE(recorder->Calls().empty());
    EXPECT_EQ(CachedNames(manager), std::vector<std::string>{"wood.bmp"});
    EXPECT_EQ(manager.FindTexture(nullptr), nullptr);
}

TEST_F(TextureManagerTest, InitAgainEmptiesTheCacheAndReleasesItsTextures) {
    Write("wood.bmp", QuarterBmp(16, 16));
    manager.LoadTexture("wood.bmp", 2);
    IDirect3DTexture8* wood = manager.FindTexture("wood.bmp");
    ASSERT_NE(wood, nullptr);
    EXPECT_EQ(wood->AddRef(), 2u);

    manager.Init(device.Get(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(manager.GetCache().Size(), 0u);
    EXPECT_EQ(manager.FindTexture("wood.bmp"), nullptr);
    EXPECT_EQ(wood->Release(), 0u);
}

TEST_F(TextureManagerTest, FailedCreationLeavesTheNameWithoutTexture) {
    // The device has no R8G8B8 textures.
    manager.Init(device.Get(), D3DFMT_R8G8B8);
    Write("wood.bmp", QuarterBmp(16, 16));
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);
    const std::vector<Creation> creations = Creations();
    ASSERT_EQ(creations.size(), 1u);
    EXPECT_NE(creations[0].result, D3D_OK);
    EXPECT_EQ(creations[0].format, std::uint64_t{D3DFMT_R8G8B8});
    EXPECT_EQ(manager.FindTexture("wood.bmp"), nullptr);
    EXPECT_EQ(CachedNames(manager), std::vector<std::string>{"wood.bmp"});
}

TEST_F(TextureManagerTest, LoadAfterFailedCreationFillsTheSameEntry) {
    // A device of square textures only refuses the 16 x 8 picture.
    DeviceOptions squareOnly;
    squareOnly.squareTexturesOnly = true;
    MakeDevice(DemoPresentParameters(), squareOnly);
    manager.Init(device.Get(), D3DFMT_A8R8G8B8);

    Write("wood.bmp", QuarterBmp(16, 8));
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);
    EXPECT_EQ(manager.FindTexture("wood.bmp"), nullptr);
    ASSERT_EQ(manager.GetCache().Size(), 1u);
    const TextureRef* entry = *manager.GetCache().begin();

    Write("wood.bmp", QuarterBmp(16, 16));
    EXPECT_EQ(manager.LoadTexture("WOOD.BMP", 2), 1);
    const std::vector<Creation> creations = Creations();
    ASSERT_EQ(creations.size(), 2u);
    EXPECT_NE(creations[0].result, D3D_OK);
    EXPECT_EQ(creations[1].result, D3D_OK);
    IDirect3DTexture8* texture = manager.FindTexture("wood.bmp");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(creations[1].texture, texture);
    EXPECT_EQ(*manager.GetCache().begin(), entry);
    EXPECT_EQ(CachedNames(manager), std::vector<std::string>{"wood.bmp"});
    ExpectQuarters(texture, 0, 0, 0);
}

TEST_F(TextureManagerTest, MaskIsMergedOnlyIntoFormatsWithAlpha) {
    struct Case {
        D3DFORMAT format;
        bool made;
    } cases[] = {
        {D3DFMT_A8R8G8B8, true}, {D3DFMT_A4R4G4B4, true},  {D3DFMT_A8R3G3B2, true},
        {D3DFMT_R5G6B5, false},  {D3DFMT_X8R8G8B8, false}, {D3DFMT_A1R5G5B5, false},
    };
    Write("wood.bmp", QuarterBmp(16, 16));
    Write("wood.a", MaskBmp(16, 16, Flat(0xFF)));
    for (const Case& c : cases) {
        manager.Init(device.Get(), c.format);
        recorder->ClearCalls();
        EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 0) << c.format;
        const std::vector<Creation> creations = Creations();
        IDirect3DTexture8* texture = manager.FindTexture("wood.bmp");
        if (!c.made) {
            EXPECT_TRUE(creations.empty()) << c.format;
            EXPECT_EQ(texture, nullptr) << c.format;
            EXPECT_EQ(manager.GetCache().Size(), 0u) << c.format;
            continue;
        }
        ASSERT_EQ(creations.size(), 1u) << c.format;
        EXPECT_EQ(creations[0].format, std::uint64_t{c.format});
        EXPECT_EQ(creations[0].levels, 1u);
        ASSERT_NE(texture, nullptr) << c.format;
        EXPECT_EQ(LevelDesc(texture, 0).Format, c.format);
    }
}

TEST_F(TextureManagerTest, TextureWithoutMaskTakesTheManagersFormat) {
    manager.Init(device.Get(), D3DFMT_R5G6B5);
    Write("wood.bmp", QuarterBmp(16, 16));
    EXPECT_EQ(manager.LoadTexture("wood.bmp", 2), 1);
    const std::vector<Creation> creations = Creations();
    ASSERT_EQ(creations.size(), 1u);
    EXPECT_EQ(creations[0].format, std::uint64_t{D3DFMT_R5G6B5});
    EXPECT_EQ(creations[0].levels, 4u);
    IDirect3DTexture8* texture = manager.FindTexture("wood.bmp");
    ASSERT_NE(texture, nullptr);
    for (UINT level = 0; level < 4; ++level) {
        EXPECT_EQ(LevelDesc(texture, level).Format, D3DFMT_R5G6B5);
    }
}

TEST_F(TextureManagerTest, PictureWithoutPixelsMakesNoTexture) {
    // BMP headers of zero width or zero height read as pictures without pixels.
    struct Case {
        const char* name;
        std::uint32_t width, height;
        bool masked;
        int expected;
    } cases[] = {
        {"wide.bmp", 0, 4, false, 1},
        {"tall.bmp", 4, 0, false, 1},
        {"none.bmp", 0, 0, true, 0},
        {"flat.bmp", 8, 0, true, 0},
    };
    for (const Case& c : cases) {
        Write(c.name, Bmp24(c.width, c.height, Flat(kRed)));
        if (c.masked) {
            const std::string name = c.name;
            Write(name.substr(0, name.size() - 3) + "a", MaskBmp(4, 4, Flat(0xFF)));
        }
        EXPECT_EQ(manager.LoadTexture(c.name, 2), c.expected) << c.name;
        EXPECT_EQ(manager.FindTexture(c.name), nullptr) << c.name;
    }
    EXPECT_EQ(manager.GetCache().Size(), 0u);
    EXPECT_TRUE(Creations().empty());
}

} // namespace

// Sprite: colour, placement and loading, observed through the calls it makes on the
// call-recording device.
#include "image/Sprite.h"

#include "platform/CurrentDirectory.h"

#include "ImageTestFiles.h"
#include "device/RecordingDeviceFixture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

// A 32-bit uncompressed TGA of width × height texels of one 0xAARRGGBB colour, rows top-down.
std::vector<std::uint8_t> FlatTga(int width, int height, D3DCOLOR argb) {
    std::vector<std::uint8_t> b = {
        0, // no image id
        0, // no colour map
        2, // uncompressed true-colour
        0,
        0,
        0,
        0,
        0, // colour map fields (unused)
        0,
        0,
        0,
        0, // x and y origin
        static_cast<std::uint8_t>(width),
        static_cast<std::uint8_t>(width >> 8),
        static_cast<std::uint8_t>(height),
        static_cast<std::uint8_t>(height >> 8),
        32,   // bits per pixel
        0x28, // top-left origin, 8 alpha bits
    };
    for (int i = 0; i < width * height; ++i) {
        b.push_back(static_cast<std::uint8_t>(argb));       // blue
        b.push_back(static_cast<std::uint8_t>(argb >> 8));  // green
        b.push_back(static_cast<std::uint8_t>(argb >> 16)); // red
        b.push_back(static_cast<std::uint8_t>(argb >> 24)); // alpha
    }
    return b;
}

// Pre-transformed vertex with colour and one texture coordinate, as the utility sprite draws.
struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

// Changes the current directory for the life of the object.
class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::string& path)
        : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~CurrentDirectoryScope() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

class SpriteTest : public RecordingDeviceTest {
protected:
    // Draws need a scene begun.
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    // A 16 × 8 opaque picture from memory, with the texture of the picture's own size.
    void LoadPicture(Sprite& sprite) {
        picture = FlatTga(16, 8, 0xFF20A040);
        EXPECT_EQ(sprite.LoadFromMemoryEx(picture.data(), static_cast<UINT>(picture.size()),
                                          device.Get(), 0, 0, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                          D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr),
                  0);
    }

    // The quads drawn since the calls were last cleared, four vertices each.
    std::vector<std::vector<Vertex>> Quads() const {
        std::vector<std::vector<Vertex>> quads;
        for (const RecordedCall& call : recorder->CallsNamed("DrawPrimitiveUP")) {
            EXPECT_EQ(call.result, D3D_OK);
            if (call.result != D3D_OK) {
                continue;
            }
            const auto& bytes = call.args[2].As<std::vector<BYTE>>();
            std::vector<Vertex> quad(bytes.size() / sizeof(Vertex));
            std::memcpy(quad.data(), bytes.data(), quad.size() * sizeof(Vertex));
            quads.push_back(quad);
        }
        return quads;
    }

    std::vector<std::uint8_t> picture;
};

TEST_F(SpriteTest, NewSpriteRefusesToDrawWithEFail) {
    Sprite sprite(255, 255, 255, 255);
    recorder->ClearCalls();
    EXPECT_EQ(sprite.Draw(), E_FAIL);
    EXPECT_TRUE(recorder->Calls().empty());
    EXPECT_FALSE(sprite.IsLoaded());
    EXPECT_TRUE(sprite.IsVisible());
}

TEST_F(SpriteTest, InvisibleLoadedSpriteGivesZeroAndMakesNoDeviceCall) {
    Sprite sprite(255, 255, 255, 255);
    LoadPicture(sprite);
    sprite.SetVisible(false);
    recorder->ClearCalls();
    EXPECT_EQ(sprite.Draw(), 0);
    EXPECT_TRUE(recorder->Calls().empty());

    sprite.SetVisible(true);
    EXPECT_EQ(sprite.Draw(), 0);
    EXPECT_EQ(Quads().size(), 1u);
}

TEST_F(SpriteTest, ClearingLoadedByHandRefusesToDrawAgain) {
    Sprite sprite(255, 255, 255, 255);
    LoadPicture(sprite);
    sprite.SetLoaded(false);
    recorder->ClearCalls();
    EXPECT_EQ(sprite.Draw(), E_FAIL);
    EXPECT_TRUE(recorder->Calls().empty());
}

TEST_F(SpriteTest, ColourComesFromTheLowByteOfEachArgument) {
    struct Case {
        int a, r, g, b;
        D3DCOLOR expected;
    } cases[] = {
        {255, 255, 255, 255, 0xFFFFFFFFu},
        {128, 255, 255, 255, 0x80FFFFFFu},
        {255, 0, 0, 0, 0xFF000000u},
        {256, 255, 255, 255, 0x00FFFFFFu},
        {0x1C3, 0x2A5, -1, 0x100, 0xC3A5FF00u},
        {1, 2, 3, 4, 0x01020304u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << ", " << c.r << ", " << c.g << ", " << c.b);
        // From the constructor.
        Sprite made(c.a, c.r, c.g, c.b);
        LoadPicture(made);
        recorder->ClearCalls();
        made.Draw();
        // From SetColor, over a different colour.
        Sprite set(7, 7, 7, 7);
        LoadPicture(set);
        set.SetColor(c.a, c.r, c.g, c.b);
        set.Draw();

        const auto quads = Quads();
        ASSERT_EQ(quads.size(), 2u);
        for (const auto& quad : quads) {
            ASSERT_EQ(quad.size(), 4u);
            for (const Vertex& v : quad) {
                EXPECT_EQ(v.colour, c.expected);
            }
        }
    }
}

// Where the utility sprite puts a picture corner (x, y) in texels: scaled, turned about the
// rotation centre ((x, y) → (x cos θ + y sin θ, −x sin θ + y cos θ)), moved, then shifted half a
// pixel up and left.
struct Placement {
    float sx, sy, cx, cy, angle, px, py;
};

std::pair<double, double> PlaceCorner(const Placement& p, double x, double y) {
    const double dx = x * p.sx - p.cx;
    const double dy = y * p.sy - p.cy;
    const double c = std::cos(p.angle);
    const double s = std::sin(p.angle);
    return {dx * c + dy * s + p.cx + p.px - 0.5, -dx * s + dy * c + p.cy + p.py - 0.5};
}

TEST_F(SpriteTest, DrawPlacesTheWholeTextureWithScaleRotationCentreRotationAndPosition) {
    const Placement cases[] = {
        {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
        {2.0f, 3.0f, 0.0f, 0.0f, 0.0f, 100.0f, 50.0f},
        {1.0f, 1.0f, 8.0f, 4.0f, 0.5f, 10.0f, 20.0f},
        {2.5f, 0.5f, 20.0f, 2.0f, -1.2f, 300.0f, 200.0f},
        {1.5f, 1.5f, 0.0f, 0.0f, std::numbers::pi_v<float>, 400.0f, 300.0f},
    };
    Sprite sprite(255, 255, 255, 255);
    LoadPicture(sprite);
    for (const Placement& p : cases) {
        SCOPED_TRACE(testing::Message()
                     << "scale " << p.sx << "," << p.sy << " centre " << p.cx << "," << p.cy
                     << " angle " << p.angle << " position " << p.px << "," << p.py);
        sprite.SetScale(p.sx, p.sy);
        sprite.SetRotationCenter(p.cx, p.cy);
        sprite.SetRotation(p.angle);
        sprite.SetPosition(p.px, p.py);
        recorder->ClearCalls();
        EXPECT_EQ(sprite.Draw(), 0);
        const auto quads = Quads();
        ASSERT_EQ(quads.size(), 1u);
        ASSERT_EQ(quads[0].size(), 4u);
        // The corners (0, 0), (w, 0), (w, h), (0, h) of the 16 × 8 texture.
        const double corners[4][2] = {{0, 0}, {16, 0}, {16, 8}, {0, 8}};
        for (int i = 0; i < 4; ++i) {
            const auto [x, y] = PlaceCorner(p, corners[i][0], corners[i][1]);
            EXPECT_NEAR(quads[0][i].x, x, 1e-3) << "corner " << i;
            EXPECT_NEAR(quads[0][i].y, y, 1e-3) << "corner " << i;
        }
    }
}

TEST_F(SpriteTest, ScaledRotationCentreAtPictureMiddleTurnsThePictureAboutItsCentre) {
    // An 800 × 600 picture at scale s with rotation centre (400s, 300s): the middle of the quad
    // (the picture's centre, as the picture fills its texture) stays where it is at angle 0.
    picture = FlatTga(800, 600, 0xFFFFFFFF);
    Sprite sprite(255, 255, 255, 255);
    sprite.LoadFromMemory(picture.data(), static_cast<UINT>(picture.size()), device.Get());
    struct Case {
        float s, angle;
    } cases[] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {0.5f, 2.0f}, {2.0f, -0.7f}, {1.3f, 3.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "s " << c.s << " angle " << c.angle);
        sprite.SetScale(c.s, c.s);
        sprite.SetRotationCenter(400 * c.s, 300 * c.s);
        sprite.SetRotation(c.angle);
        sprite.SetPosition(400 - 400 * c.s, 300 - 300 * c.s);
        recorder->ClearCalls();
        sprite.Draw();
        const auto quads = Quads();
        ASSERT_EQ(quads.size(), 1u);
        const auto& q = quads[0];
        ASSERT_EQ(q.size(), 4u);
        EXPECT_NEAR((q[0].x + q[2].x) / 2, 399.5, 1e-2);
        EXPECT_NEAR((q[0].y + q[2].y) / 2, 299.5, 1e-2);
        // The top edge runs at the angle turned (counter-clockwise on a y-down screen).
        EXPECT_NEAR(std::atan2(-(q[1].y - q[0].y), q[1].x - q[0].x), c.angle, 1e-4);
        EXPECT_NEAR(std::hypot(q[1].x - q[0].x, q[1].y - q[0].y), 800 * c.s, 1e-2);
    }
}

TEST_F(SpriteTest, NewSpriteHasNeutralPlacement) {
    Sprite sprite(255, 255, 255, 255);
    EXPECT_EQ(sprite.GetPositionX(), 0.0f);
    EXPECT_EQ(sprite.GetPositionY(), 0.0f);
    EXPECT_EQ(sprite.GetScaleX(), 1.0f);
    EXPECT_EQ(sprite.GetScaleY(), 1.0f);
    EXPECT_EQ(sprite.GetRotation(), 0.0f);
}

TEST_F(SpriteTest, AddingOperationsAccumulateOnTheStoredFields) {
    Sprite sprite(255, 255, 255, 255);
    sprite.AddScale(0.5f, 0.5f);
    EXPECT_FLOAT_EQ(sprite.GetScaleX(), 1.5f);
    EXPECT_FLOAT_EQ(sprite.GetScaleY(), 1.5f);
    sprite.AddScaleX(-1.0f);
    sprite.AddScaleY(0.25f);
    EXPECT_FLOAT_EQ(sprite.GetScaleX(), 0.5f);
    EXPECT_FLOAT_EQ(sprite.GetScaleY(), 1.75f);
    sprite.SetScaleX(3.0f);
    sprite.SetScaleY(4.0f);
    EXPECT_EQ(sprite.GetScaleX(), 3.0f);
    EXPECT_EQ(sprite.GetScaleY(), 4.0f);

    for (int i = 0; i < 3; ++i) {
        sprite.Rotate(0.1f);
    }
    EXPECT_NEAR(sprite.GetRotation(), 0.3f, 1e-6f);
    sprite.SetRotation(-2.0f);
    sprite.Rotate(0.5f);
    EXPECT_FLOAT_EQ(sprite.GetRotation(), -1.5f);

    sprite.SetPosition(10.0f, 20.0f);
    sprite.Move(-3.0f, 5.5f);
    sprite.Move(1.0f, 1.0f);
    EXPECT_FLOAT_EQ(sprite.GetPositionX(), 8.0f);
    EXPECT_FLOAT_EQ(sprite.GetPositionY(), 26.5f);
}

TEST_F(SpriteTest, AngleConversionsUseTheSinglePrecisionConstants) {
    Sprite sprite(255, 255, 255, 255);
    EXPECT_EQ(sprite.RadToDeg(1.0f), std::bit_cast<float>(0x42652EE0u));
    EXPECT_EQ(sprite.DegToRad(1.0f), std::bit_cast<float>(0x3C8EFA35u));
    EXPECT_FLOAT_EQ(sprite.RadToDeg(3.1415927f), 180.0f);
    EXPECT_FLOAT_EQ(sprite.DegToRad(180.0f), 3.1415927f);
    EXPECT_FLOAT_EQ(sprite.RadToDeg(-std::numbers::pi_v<float> / 2), -90.0f);
    // They leave the object alone.
    EXPECT_EQ(sprite.GetRotation(), 0.0f);
}

TEST_F(SpriteTest, FailedLoadsStillSetLoadedAndDrawNothing) {
    const std::vector<std::uint8_t> garbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
    TempFolder folder;
    CurrentDirectoryScope here(folder.Path());
    using Load = int (*)(Sprite&, IDirect3DDevice8*, const std::vector<std::uint8_t>&);
    struct Case {
        const char* name;
        Load load;
    } cases[] = {
        {"LoadFromFile",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>&) {
             return s.LoadFromFile("data\\missing.png", d);
         }},
        {"LoadFromFileEx",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>&) {
             return s.LoadFromFileEx("data\\missing.jpg", d, 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                     D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr,
                                     nullptr);
         }},
        {"LoadFromMemory",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>& g) {
             return s.LoadFromMemory(g.data(), static_cast<UINT>(g.size()), d);
         }},
        {"LoadFromMemoryEx",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>& g) {
             return s.LoadFromMemoryEx(g.data(), static_cast<UINT>(g.size()), d, 0, 0, 0, 0,
                                       D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_FILTER_NONE,
                                       D3DX_DEFAULT, 0, nullptr, nullptr);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sprite sprite(255, 255, 255, 255);
        recorder->ClearCalls();
        EXPECT_EQ(c.load(sprite, device.Get(), garbage), 0);
        EXPECT_TRUE(sprite.IsLoaded());
        EXPECT_TRUE(recorder->CallsNamed("CreateTexture").empty());
        recorder->ClearCalls();
        EXPECT_EQ(sprite.Draw(), 0);
        EXPECT_TRUE(recorder->CallsNamed("DrawPrimitiveUP").empty());
    }
}

TEST_F(SpriteTest, LoadWithoutDeviceStillSetsLoadedAndDrawsNothing) {
    picture = FlatTga(4, 4, 0xFFFFFFFF);
    Sprite sprite(255, 255, 255, 255);
    EXPECT_EQ(sprite.LoadFromMemory(picture.data(), static_cast<UINT>(picture.size()), nullptr), 0);
    EXPECT_TRUE(sprite.IsLoaded());
    recorder->ClearCalls();
    EXPECT_EQ(sprite.Draw(), 0);
    EXPECT_TRUE(recorder->Calls().empty());
}

TEST_F(SpriteTest, EachLoadFormPassesItsTextureArgumentsOn) {
    // A 20 × 12 picture; "data\Pic.TGA" written as data/pic.tga, found through the current
    // directory whatever the case and separators.
    picture = FlatTga(20, 12, 0xFF102030);
    TempFolder folder;
    std::filesystem::create_directories(folder.Path() + "/data");
    folder.Write("data/pic.tga", picture);
    CurrentDirectoryScope here(folder.Path());

    using Load = void (*)(Sprite&, IDirect3DDevice8*, const std::vector<std::uint8_t>&);
    struct Case {
        const char* name;
        Load load;
        // The CreateTexture call that makes the texture the sprite draws with.
        UINT width, height, levels;
        D3DPOOL pool;
    } cases[] = {
        // The picture stretched to its own size, full chain, managed.
        {"LoadFromFile",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>&) {
             s.LoadFromFile("DATA\\Pic.TGA", d);
         },
         20, 12, 5, D3DPOOL_MANAGED},
        // The demo's arguments: full chain in the default pool (filled through a twin).
        {"LoadFromFileEx",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>&) {
             s.LoadFromFileEx("data\\pic.tga", d, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_DEFAULT,
                              D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr);
         },
         20, 12, 5, D3DPOOL_DEFAULT},
        {"LoadFromMemory",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>& p) {
             s.LoadFromMemory(p.data(), static_cast<UINT>(p.size()), d);
         },
         20, 12, 5, D3DPOOL_MANAGED},
        {"LoadFromMemoryEx",
         [](Sprite& s, IDirect3DDevice8* d, const std::vector<std::uint8_t>& p) {
             s.LoadFromMemoryEx(p.data(), static_cast<UINT>(p.size()), d, 32, 16, 2, 0,
                                D3DFMT_UNKNOWN, D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_DEFAULT,
                                0, nullptr, nullptr);
         },
         32, 16, 2, D3DPOOL_SYSTEMMEM},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sprite sprite(255, 255, 255, 255);
        recorder->ClearCalls();
        c.load(sprite, device.Get(), picture);
        EXPECT_TRUE(sprite.IsLoaded());
        const auto creations = recorder->CallsNamed("CreateTexture");
        ASSERT_FALSE(creations.empty());
        const RecordedCall& made =
            creations.back().args[5].As<std::uint64_t>() == static_cast<std::uint64_t>(c.pool)
                ? creations.back()
                : creations.front();
        EXPECT_EQ(made.args[0].As<std::uint64_t>(), c.width);
        EXPECT_EQ(made.args[1].As<std::uint64_t>(), c.height);
        EXPECT_EQ(made.args[2].As<std::uint64_t>(), c.levels);
        EXPECT_EQ(made.args[5].As<std::uint64_t>(), static_cast<std::uint64_t>(c.pool));
        EXPECT_EQ(made.result, D3D_OK);

        // The drawn quad spans the texture's level 0.
        recorder->ClearCalls();
        EXPECT_EQ(sprite.Draw(), 0);
        const auto quads = Quads();
        ASSERT_EQ(quads.size(), 1u);
        EXPECT_FLOAT_EQ(quads[0][2].x, static_cast<float>(c.width) - 0.5f);
        EXPECT_FLOAT_EQ(quads[0][2].y, static_cast<float>(c.height) - 0.5f);
    }
}

TEST_F(SpriteTest, PathLongerThanItsBufferMakesNoTexture) {
    TempFolder folder;
    CurrentDirectoryScope here(folder.Path());
    const std::string name = std::string(600, 'a') + ".tga";
    Sprite sprite(255, 255, 255, 255);
    recorder->ClearCalls();
    EXPECT_EQ(sprite.LoadFromFile(name.c_str(), device.Get()), 0);
    EXPECT_TRUE(sprite.IsLoaded());
    EXPECT_TRUE(recorder->CallsNamed("CreateTexture").empty());
    EXPECT_EQ(sprite.Draw(), 0);
    EXPECT_TRUE(recorder->CallsNamed("DrawPrimitiveUP").empty());
}

// The device's application reference count, without changing it.
ULONG DeviceReferences(IDirect3DDevice8* device) {
    device->AddRef();
    return device->Release();
}

TEST_F(SpriteTest, DestructionReleasesTheUtilitySpriteObject) {
    const ULONG before = DeviceReferences(device.Get());
    {
        Sprite sprite(255, 255, 255, 255);
        LoadPicture(sprite);
        sprite.Draw();
        // The utility sprite object holds the device.
        EXPECT_EQ(DeviceReferences(device.Get()), before + 1);
        recorder->ClearCalls();
    }
    EXPECT_EQ(DeviceReferences(device.Get()), before);
    // Its two state blocks (recorded by the first draw) go with it.
    EXPECT_EQ(recorder->CallsNamed("DeleteStateBlock").size(), 2u);
}

TEST_F(SpriteTest, ReloadingReleasesWhatTheEarlierLoadMade) {
    const ULONG before = DeviceReferences(device.Get());
    Sprite sprite(255, 255, 255, 255);
    LoadPicture(sprite);
    sprite.Draw();
    recorder->ClearCalls();
    LoadPicture(sprite);
    // One utility sprite object left, and the earlier one's state blocks deleted.
    EXPECT_EQ(DeviceReferences(device.Get()), before + 1);
    EXPECT_EQ(recorder->CallsNamed("DeleteStateBlock").size(), 2u);
    recorder->ClearCalls();
    sprite.Draw();
    EXPECT_EQ(Quads().size(), 1u);
}

// The current directory and path formatting that the file loads build their paths with.
TEST(CurrentDirectoryTest, GivesTheDirectoryOrTheSizeItNeeds) {
    TempFolder folder;
    CurrentDirectoryScope here(folder.Path());
    const std::string expected = std::filesystem::current_path().string();
    const auto length = static_cast<std::uint32_t>(expected.size());

    char buffer[512];
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), length);
    EXPECT_EQ(std::string(buffer), expected);

    // One character short of the zero: nothing written, the size with the zero given.
    std::vector<char> tight(length, 'x');
    EXPECT_EQ(GetCurrentDirectoryA(length, tight.data()), length + 1);
    EXPECT_EQ(std::string(tight.begin(), tight.end()), std::string(length, 'x'));
    std::vector<char> exact(length + 1);
    EXPECT_EQ(GetCurrentDirectoryA(length + 1, exact.data()), length);
    EXPECT_EQ(std::string(exact.data()), expected);
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, nullptr), 0u);
}

TEST(CurrentDirectoryTest, FormattingRefusesWhatDoesNotFit) {
    struct Case {
        std::size_t size;
        int result;
        const char* text;
    } cases[] = {
        {64, 18, "C:\\demo\\data\\a.jpg"},
        {19, 18, "C:\\demo\\data\\a.jpg"}, // exactly room for the zero
        {18, -1, ""},
        {1, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size);
        std::vector<char> buffer(c.size, 'x');
        EXPECT_EQ(FormatToBuffer(buffer.data(), buffer.size(), "%s\\%s", "C:\\demo", "data\\a.jpg"),
                  c.result);
        EXPECT_STREQ(buffer.data(), c.text);
    }
}

} // namespace

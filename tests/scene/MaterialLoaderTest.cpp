// LoadMaterials: the material records with their optional texture names, the flags completed
// when a texture has an alpha mask, name clashes, cut-off sections and oversized counts.
#include "scene/MaterialLoader.h"

#include "image/TextureManager.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/SceneStream.h"

#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Texture files of the fixture: "base.bmp" and "shine.bmp" have alpha masks beside them (the
// name less its last three characters, plus "a"); "plain.bmp" and "dull.bmp" have none.
class MaterialLoaderTest : public SceneDeviceTest {
protected:
    void SetUp() override {
        SceneDeviceTest::SetUp();
        folder->Write("base.bmp", SolidBmp24(8, 8, 255, 0, 0));
        folder->Write("base.a", SolidBmp8(8, 8, 128));
        folder->Write("shine.bmp", SolidBmp24(8, 8, 0, 255, 0));
        folder->Write("shine.a", SolidBmp8(8, 8, 64));
        folder->Write("plain.bmp", SolidBmp24(8, 8, 0, 0, 255));
        folder->Write("dull.bmp", SolidBmp24(8, 8, 9, 9, 9));
        scene = &NewScene();
    }

    // Reads the material section bytes into the scene; gives the stream's position after it.
    std::size_t Load(const std::vector<std::uint8_t>& bytes) {
        SceneStream stream(bytes);
        LoadMaterials(*scene, stream);
        atEnd = stream.AtEnd();
        return stream.Position();
    }

    static std::size_t CacheSize() { return TextureManager::Instance().GetCache().Size(); }

    Scene* scene = nullptr;
    bool atEnd = false;
};

// A record's name, flags and colour (opacity, red, green, blue).
void AppendMaterialHead(ByteBuilder& b, const char* name, std::uint32_t flags, float opacity = 0.5f,
                        float red = 0.25f, float green = 0.75f, float blue = 1.0f) {
    b.Str(name).U32(flags).F32(opacity).F32(red).F32(green).F32(blue);
}

TEST_F(MaterialLoaderTest, ReadsTheColourInFileOrder) {
    ByteBuilder b;
    b.U32(1);
    AppendMaterialHead(b, "Paint", 0x40, 0.125f, 0.25f, 0.5f, 2.0f);
    Load(b.Bytes());
    const Material* paint = scene->materials.Find("paint");
    ASSERT_NE(paint, nullptr);
    EXPECT_EQ(paint->flags, 0x40u);
    EXPECT_EQ(paint->opacity, 0.125f);
    EXPECT_EQ(paint->red, 0.25f);
    EXPECT_EQ(paint->green, 0.5f);
    EXPECT_EQ(paint->blue, 2.0f);
    EXPECT_EQ(paint->blendMode, 0u);
    EXPECT_EQ(paint->scene, scene);
    EXPECT_FALSE(paint->textureName.has_value());
    EXPECT_FALSE(paint->secondTextureName.has_value());
}

TEST_F(MaterialLoaderTest, TextureNamesArePresentOnlyAsTheFlagsSay) {
    struct Case {
        const char* name;
        std::uint32_t flags;
        std::vector<const char*> strings; // written after the colour
        std::optional<std::string> texture;
        std::optional<std::string> second;
    } cases[] = {
        {"0x41: neither name", 0x41, {}, std::nullopt, std::nullopt},
        {"0x40: neither name", 0x40, {}, std::nullopt, std::nullopt},
        {"0x00: base name only", 0x00, {"plain.bmp"}, "plain.bmp", std::nullopt},
        {"0x01: both names", 0x01, {"plain.bmp", "dull.bmp"}, "plain.bmp", "dull.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene = &NewScene();
        ByteBuilder b;
        b.U32(2);
        AppendMaterialHead(b, "First", c.flags);
        for (const char* s : c.strings) {
            b.Str(s);
        }
        // The next record's name must follow directly.
        AppendMaterialHead(b, "Next", 0x40, 0.0f, 3.0f, 4.0f, 5.0f);
        EXPECT_EQ(Load(b.Bytes()), b.Size());
        const Material* first = scene->materials.Find("First");
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->textureName, c.texture);
        EXPECT_EQ(first->secondTextureName, c.second);
        const Material* next = scene->materials.Find("Next");
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->red, 3.0f);
        EXPECT_EQ(next->blue, 5.0f);
    }
}

TEST_F(MaterialLoaderTest, AlphaMasksCompleteTheFlags) {
    struct Case {
        std::uint32_t fileFlags;
        const char* texture;
        const char* second; // written only with bit 0x01
        std::uint32_t flags;
    } cases[] = {
        {0x00, "base.bmp", nullptr, 0x14},      // base mask: blend with texture alpha
        {0x00, "plain.bmp", nullptr, 0x00},     // no mask: unchanged
        {0x01, "plain.bmp", "shine.bmp", 0x81}, // second mask only: stage 1 alpha
        {0x01, "base.bmp", "shine.bmp", 0x95},  // both
        {0x01, "base.bmp", "dull.bmp", 0x15},   //
        {0x22, "BASE.BMP", nullptr, 0x36},      // other bits kept; the mask found by any case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.texture) + " " + (c.second ? c.second : "-"));
        scene = &NewScene();
        ByteBuilder b;
        b.U32(1);
        AppendMaterialHead(b, "M", c.fileFlags);
        b.Str(c.texture);
        if (c.second) {
            b.Str(c.second);
        }
        Load(b.Bytes());
        const Material* m = scene->materials.Find("M");
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->flags, c.flags);
        EXPECT_EQ(m->blendMode, 0u);
        // Each named texture went through the texture manager into its cache.
        EXPECT_NE(TextureManager::Instance().FindTexture(c.texture), nullptr);
        if (c.second) {
            EXPECT_NE(TextureManager::Instance().FindTexture(c.second), nullptr);
        }
    }
}

TEST_F(MaterialLoaderTest, EmptyTextureNamesLoadNothingAndKeepTheFlags) {
    ByteBuilder b;
    b.U32(1);
    AppendMaterialHead(b, "Bare", 0x01);
    b.Str("").Str("");
    Load(b.Bytes());
    const Material* bare = scene->materials.Find("Bare");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->flags, 0x01u);
    EXPECT_EQ(bare->textureName, std::optional<std::string>(""));
    EXPECT_EQ(bare->secondTextureName, std::optional<std::string>(""));
    EXPECT_EQ(CacheSize(), 0u);
}

TEST_F(MaterialLoaderTest, RepeatedNameKeepsTheFirstAndReadsTheLaterRecordWhole) {
    ByteBuilder b;
    b.U32(3);
    AppendMaterialHead(b, "Chrome", 0x00, 0.1f);
    b.Str("plain.bmp");
    AppendMaterialHead(b, "CHROME", 0x01, 0.9f);
    b.Str("dull.bmp").Str("shine.bmp");
    AppendMaterialHead(b, "After", 0x40, 0.7f);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_EQ(scene->materials.Size(), 3u); // with the empty material
    const Material* chrome = scene->materials.Find("chrome");
    ASSERT_NE(chrome, nullptr);
    EXPECT_EQ(chrome->opacity, 0.1f);
    EXPECT_EQ(chrome->textureName, std::optional<std::string>("plain.bmp"));
    const Material* after = scene->materials.Find("After");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->opacity, 0.7f);
    // The unregistered record's textures were still loaded.
    EXPECT_NE(TextureManager::Instance().FindTexture("shine.bmp"), nullptr);
}

TEST_F(MaterialLoaderTest, RecordNamedLikeTheEmptyMaterialCannotReplaceIt) {
    Material* empty = scene->materials.Find("$EMPTYMATERIAL");
    ASSERT_NE(empty, nullptr);
    ByteBuilder b;
    b.U32(1);
    AppendMaterialHead(b, "$emptymaterial", 0x00);
    b.Str("plain.bmp");
    Load(b.Bytes());
    EXPECT_EQ(scene->materials.Find("$EmptyMaterial"), empty);
    EXPECT_EQ(empty->flags, 0x40u);
    EXPECT_EQ(scene->materials.Size(), 1u);
}

TEST_F(MaterialLoaderTest, SectionCutOffByTheEndReadsTheRestAsZeroAndNoTexture) {
    // Lead's long name keeps the count of two records (at least 42 bytes) within the bytes left
    // at every cut below.
    const std::string leadName(60, 'L');
    ByteBuilder whole;
    whole.U32(2);
    const std::size_t leadNameAt = whole.Size();
    AppendMaterialHead(whole, leadName.c_str(), 0x00, 0.5f, 0.25f, 0.75f, 1.0f);
    const std::size_t leadRedAt = leadNameAt + leadName.size() + 1 + 4 + 4;
    const std::size_t leadTextureAt = whole.Size();
    whole.Str("base.bmp");
    AppendMaterialHead(whole, "Tail", 0x01, 0.5f, 0.25f, 0.75f, 1.0f);
    whole.Str("shine.bmp").Str("base.bmp");
    struct Case {
        const char* name;
        std::size_t length;
        const char* leadRegisteredAs;
        float red;
        std::optional<std::string> texture;
        bool tailRegistered;
    } cases[] = {
        {"inside Lead's name", leadNameAt + 50, "", 0.0f, std::nullopt, false},
        {"inside Lead's red", leadRedAt + 2, leadName.c_str(), 0.0f, std::nullopt, false},
        {"inside Lead's texture name", leadTextureAt + 4, leadName.c_str(), 0.25f, std::nullopt,
         false},
        {"inside Tail's second texture name", whole.Size() - 3, leadName.c_str(), 0.25f, "base.bmp",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene = &NewScene();
        TextureManager::Instance().Init(device.Get(), D3DFMT_A8R8G8B8);
        Load(Prefix(whole.Bytes(), c.length));
        EXPECT_TRUE(atEnd);
        // A name cut off is no name: the material is registered under "".
        const Material* lead = scene->materials.Find(c.leadRegisteredAs);
        ASSERT_NE(lead, nullptr);
        EXPECT_EQ(lead->red, c.red);
        EXPECT_EQ(lead->textureName, c.texture);
        // A texture name cut off is none: nothing loaded, flags unchanged.
        if (!c.texture) {
            EXPECT_EQ(lead->flags, 0x00u);
            EXPECT_EQ(CacheSize(), 0u);
        }
        const Material* tail = scene->materials.Find("Tail");
        EXPECT_EQ(tail != nullptr, c.tailRegistered);
        if (tail) {
            // Its base texture shine.bmp has a mask (0x14); the cut second name adds nothing.
            EXPECT_EQ(tail->flags, 0x15u);
            EXPECT_FALSE(tail->secondTextureName.has_value());
        }
    }
}

TEST_F(MaterialLoaderTest, CountTheRestOfTheFileCannotHoldEndsTheSection) {
    ByteBuilder b;
    b.U32(0xFFFFFFFF); // each record is at least 21 bytes
    AppendMaterialHead(b, "Only", 0x40);
    Load(b.Bytes());
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(scene->materials.Size(), 1u);
    EXPECT_EQ(scene->materials.Find("Only"), nullptr);
}

TEST_F(MaterialLoaderTest, ReadsOnlyTheCountedRecords) {
    ByteBuilder b;
    b.U32(1);
    AppendMaterialHead(b, "One", 0x40);
    const std::size_t sectionEnd = b.Size();
    AppendMaterialHead(b, "Beyond", 0x40);
    EXPECT_EQ(Load(b.Bytes()), sectionEnd);
    EXPECT_FALSE(atEnd);
    EXPECT_NE(scene->materials.Find("One"), nullptr);
    EXPECT_EQ(scene->materials.Find("Beyond"), nullptr);
}

} // namespace

// Tests of the scene writer against expected file bytes written out by hand, not against the
// reader, so that a mistake shared by the two cannot pass unseen.
#include "scene/SceneWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <ios>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using ByteVector = std::vector<std::uint8_t>;

// Expected bytes assembled piece by piece, lowest byte first.
class Bytes {
public:
    Bytes& Raw(std::initializer_list<int> values) {
        for (int value : values) {
            data.push_back(static_cast<std::uint8_t>(value));
        }
        return *this;
    }
    Bytes& U16(std::uint16_t value) { return Raw({value & 0xFF, value >> 8}); }
    Bytes& U32(std::uint32_t value) {
        return Raw({static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                    static_cast<int>((value >> 16) & 0xFF), static_cast<int>(value >> 24)});
    }
    Bytes& I32(std::int32_t value) { return U32(static_cast<std::uint32_t>(value)); }
    Bytes& F32(float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return U32(bits);
    }
    Bytes& Vec(float x, float y, float z) { return F32(x).F32(y).F32(z); }
    Bytes& Str(std::string_view text) {
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
        return *this;
    }
    Bytes& Append(const Bytes& other) {
        data.insert(data.end(), other.data.begin(), other.data.end());
        return *this;
    }
    Bytes& Zeros(std::size_t count) {
        data.insert(data.end(), count, 0);
        return *this;
    }

    ByteVector data;
};

// A whole file with the given sections; the defaults are those of an empty scene.
struct ExpectedFile {
    Bytes flares = Bytes().U32(0);
    std::uint32_t lastFrame = 0;
    Bytes materials = Bytes().U32(0);
    Bytes objects = Bytes().U32(0);
    Bytes hierarchy = Bytes().U32(0xEE07).U32(0).Str("").Str("").U32(0).U32(0).U32(0);

    ByteVector Build() const {
        Bytes b;
        b.Str("ZEB3D").Append(flares).U32(lastFrame);
        b.U32(0x1010).Append(materials);
        b.U32(0x2020).Append(objects);
        b.U32(0x3030).Append(hierarchy);
        return b.data;
    }
};

// Kind, flags and names of a node record, followed by three empty key blocks.
Bytes BareNode(std::uint32_t kind, std::uint32_t flags, std::string_view controllerName,
               std::string_view objectName = "") {
    return Bytes().U32(kind).U32(flags).Str(controllerName).Str(objectName).U32(0).U32(0).U32(0);
}

NodeDescription Node(std::uint32_t kind, std::string controllerName,
                     std::vector<NodeDescription> children = {}) {
    NodeDescription node;
    node.kind = kind;
    node.controllerName = std::move(controllerName);
    node.children = std::move(children);
    return node;
}

SceneDescription WithRoots(std::vector<NodeDescription> roots) {
    SceneDescription scene;
    scene.rootNodes = std::move(roots);
    return scene;
}

TEST(SceneWriter, EmptySceneIsMagicCountsMarkersAndBareGroupRoot) {
    SceneDescription scene;
    scene.lastFrame = 0x01020304;
    const ByteVector expected = {
        0x5A, 0x45, 0x42, 0x33, 0x44, 0x00, // "ZEB3D" and its NUL
        0x00, 0x00, 0x00, 0x00,             // flare frameCount
        0x04, 0x03, 0x02, 0x01,             // lastFrame, lowest byte first
        0x10, 0x10, 0x00, 0x00,             // material marker
        0x00, 0x00, 0x00, 0x00,             // materialCount
        0x20, 0x20, 0x00, 0x00,             // object marker
        0x00, 0x00, 0x00, 0x00,             // objectCount
        0x30, 0x30, 0x00, 0x00,             // hierarchy marker
        0x07, 0xEE, 0x00, 0x00,             // root kind 0xEE07
        0x00, 0x00, 0x00, 0x00,             // flags
        0x00, 0x00,                         // controllerName "", objectName ""
        0x00, 0x00, 0x00, 0x00,             // position keyCount
        0x00, 0x00, 0x00, 0x00,             // rotation keyCount
        0x00, 0x00, 0x00, 0x00,             // scale keyCount
    };
    EXPECT_EQ(WriteScene(scene), expected);
}

TEST(SceneWriter, SingleDefaultRootNodeEqualsTheBareRootOfAnEmptyList) {
    EXPECT_EQ(WriteScene(WithRoots({NodeDescription{}})), WriteScene(SceneDescription{}));
}

TEST(SceneWriter, FloatsAreLittleEndianSinglePrecisionBits) {
    SceneDescription scene;
    ObjectDescription light;
    light.name = "L";
    light.kind = 0xFF03;
    light.position = {1.0f, -2.0f, 0.15625f};
    scene.objects.push_back(light);

    ExpectedFile file;
    file.objects = Bytes()
                       .U32(1)
                       .Raw({'L', 0})
                       .Raw({0x03, 0xFF, 0x00, 0x00})  // kind 0xFF03
                       .Raw({0x00, 0x00, 0x80, 0x3F})  // 1.0 = 0x3F800000
                       .Raw({0x00, 0x00, 0x00, 0xC0})  // -2.0 = 0xC0000000
                       .Raw({0x00, 0x00, 0x20, 0x3E}); // 0.15625 = 0x3E200000
    EXPECT_EQ(WriteScene(scene), file.Build());
}

TEST(SceneWriter, FlareBlockHoldsEveryFrameWithTagCountAndFlares) {
    SceneDescription scene;
    scene.flareFrames = {
        {7, {{-1, 600, 50.0f, 0xDEADBEEF}, {3, -4, 0.5f, 0}}},
        {9, {}},
        {0xAABBCCDD, {{800, 0, 1.0f, 1}}},
    };
    scene.lastFrame = 250;

    ExpectedFile file;
    file.flares = Bytes()
                      .U32(3)
                      .U32(7)
                      .U32(2)
                      .Raw({0xFF, 0xFF, 0xFF, 0xFF}) // x = -1
                      .U32(600)
                      .U32(0x42480000) // 50.0
                      .U32(0xDEADBEEF)
                      .U32(3)
                      .Raw({0xFC, 0xFF, 0xFF, 0xFF}) // y = -4
                      .U32(0x3F000000)               // 0.5
                      .U32(0)
                      .U32(9)
                      .U32(0)
                      .U32(0xAABBCCDD)
                      .U32(1)
                      .U32(800)
                      .U32(0)
                      .U32(0x3F800000) // 1.0
                      .U32(1);
    file.lastFrame = 250;
    EXPECT_EQ(WriteScene(scene), file.Build());
}

TEST(SceneWriter, MaterialTextureNamesAreWrittenAsTheFlagsSay) {
    struct Case {
        std::uint32_t flags;
        std::vector<std::string_view> names;
    } cases[] = {
        {0x41, {}},
        {0x40, {}},
        {0xFFFFFFFF, {}},
        {0x00, {"base.jpg"}},
        {0x04, {"base.jpg"}},
        {0x01, {"base.jpg", "reflect.jpg"}},
        {0x03, {"base.jpg", "reflect.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << c.flags);
        MaterialDescription material;
        material.name = "Mat";
        material.flags = c.flags;
        material.opacity = 0.5f;
        material.red = 0.25f;
        material.green = 0.75f;
        material.blue = 1.0f;
        material.textureName = "base.jpg";
        material.secondTextureName = "reflect.jpg";
        SceneDescription scene;
        scene.materials.push_back(material);

        ExpectedFile file;
        file.materials = Bytes()
                             .U32(1)
                             .Str("Mat")
                             .U32(c.flags)
                             .U32(0x3F000000)  // 0.5
                             .U32(0x3E800000)  // 0.25
                             .U32(0x3F400000)  // 0.75
                             .U32(0x3F800000); // 1.0
        for (std::string_view name : c.names) {
            file.materials.Str(name);
        }
        EXPECT_EQ(WriteScene(scene), file.Build());
    }
}

TEST(SceneWriter, MaterialRecordsFollowEachOtherWithNoGap) {
    SceneDescription scene;
    scene.materials = {
        {"NoTex", 0x41, 1.0f, 0.0f, 0.0f, 0.0f, "unused.jpg", "unused2.jpg"},
        {"Two", 0x01, 1.0f, 0.0f, 0.0f, 0.0f, "a.bmp", ""},
        {"One", 0x00, 1.0f, 0.0f, 0.0f, 0.0f, "", "unused3.jpg"},
    };
    ExpectedFile file;
    file.materials = Bytes()
                         .U32(3)
                         .Str("NoTex")
                         .U32(0x41)
                         .Vec(1.0f, 0.0f, 0.0f)
                         .F32(0.0f)
                         .Str("Two") // directly after NoTex's blue
                         .U32(0x01)
                         .Vec(1.0f, 0.0f, 0.0f)
                         .F32(0.0f)
                         .Str("a.bmp")
                         .Str("") // no reflection texture
                         .Str("One")
                         .U32(0x00)
                         .Vec(1.0f, 0.0f, 0.0f)
                         .F32(0.0f)
                         .Str(""); // no base texture
    EXPECT_EQ(WriteScene(scene), file.Build());
}

// An object with every payload field set, so that a kind writing a field not its own shows.
ObjectDescription FullObject(std::uint32_t kind) {
    ObjectDescription object;
    object.name = "Obj";
    object.kind = kind;
    object.position = {1.0f, 2.0f, 3.0f};
    object.fieldOfView = 45.0f;
    object.roll = 10.0f;
    object.ownerName = "Cam";
    object.hidden = 1;
    object.referencePoint = {-1.0f, -2.0f, -3.0f};
    object.tween = 5;
    object.boneCount = 2;
    object.rigidVertices = {
        {{1.0f, 5.0f, -2.0f}, {0.0f, 1.0f, 0.0f}, 0.25f, 0.75f},
        {{3.0f, 0.0f, -4.0f}, {0.0f, 0.0f, 1.0f}, 1.0f, 0.0f},
    };
    object.skinnedVertices = {
        {{7.0f, 8.0f, 9.0f}, {1.0f, 0.0f, 0.0f}, 0.5f, 0.25f, 0.125f, 0x04030201, 0.5f, 1.0f},
    };
    object.indices = {0, 1, 0x1234};
    object.groups = {{"Mat", 0, 1}};
    return object;
}

Bytes GroupAndIndexBytes() {
    return Bytes()
        .Raw({0x00, 0x00, 0x01, 0x00, 0x34, 0x12}) // indices 0, 1, 0x1234
        .Str("Mat")
        .U32(0)
        .U32(1);
}

TEST(SceneWriter, EachObjectKindWritesItsOwnPayload) {
    struct Case {
        std::uint32_t kind;
        Bytes payload;
    } cases[] = {
        {0xFF01, Bytes().Vec(1.0f, 2.0f, 3.0f).F32(45.0f)},
        {0xFF02, Bytes().Str("Cam").Vec(1.0f, 2.0f, 3.0f)},
        {0xFF03, Bytes().Vec(1.0f, 2.0f, 3.0f)},
        {0xFF04, Bytes()
                     .U32(2) // vertexCount
                     .U32(1) // triangleCount
                     .U32(3) // indexCount
                     .U32(1) // hidden
                     .Vec(-1.0f, -2.0f, -3.0f)
                     .U32(1) // groupCount
                     .U32(5) // tween
                     .Vec(1.0f, 5.0f, -2.0f)
                     .Vec(0.0f, 1.0f, 0.0f)
                     .F32(0.25f)
                     .F32(0.75f)
                     .Vec(3.0f, 0.0f, -4.0f)
                     .Vec(0.0f, 0.0f, 1.0f)
                     .F32(1.0f)
                     .F32(0.0f)
                     .Append(GroupAndIndexBytes())},
        {0xFF05, Bytes()
                     .U32(1) // vertexCount
                     .U32(1)
                     .U32(3)
                     .U32(1)
                     .Vec(-1.0f, -2.0f, -3.0f)
                     .U32(1)
                     .U32(2) // boneCount
                     .Vec(7.0f, 8.0f, 9.0f)
                     .Vec(1.0f, 0.0f, 0.0f)
                     .F32(0.5f)
                     .F32(0.25f)
                     .F32(0.125f)
                     .Raw({0x01, 0x02, 0x03, 0x04}) // bone matrices 1, 2, 3, 4
                     .F32(0.5f)
                     .F32(1.0f)
                     .Append(GroupAndIndexBytes())},
        {0xFF06, Bytes().Vec(1.0f, 2.0f, 3.0f).F32(45.0f).F32(10.0f)},
        {0x0000, Bytes()},
        {0xFF00, Bytes()},
        {0xFF07, Bytes()},
        {0xEE02, Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind 0x" << std::hex << c.kind);
        SceneDescription scene;
        scene.objects.push_back(FullObject(c.kind));
        ExpectedFile file;
        file.objects = Bytes().U32(1).Str("Obj").U32(c.kind).Append(c.payload);
        EXPECT_EQ(WriteScene(scene), file.Build());
    }
}

TEST(SceneWriter, MeshWithoutVerticesWritesOneZeroVertexOnlyWhenRigid) {
    struct Case {
        std::uint32_t kind;
        Bytes afterHeader; // tween or boneCount, then the vertex records
    } cases[] = {
        {0xFF04, Bytes().U32(0).Zeros(32)},
        {0xFF05, Bytes().U32(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind 0x" << std::hex << c.kind);
        ObjectDescription mesh;
        mesh.name = "M";
        mesh.kind = c.kind;
        mesh.indices = {0, 0, 0};
        SceneDescription scene;
        scene.objects.push_back(mesh);

        ExpectedFile file;
        file.objects = Bytes()
                           .U32(1)
                           .Str("M")
                           .U32(c.kind)
                           .U32(0) // vertexCount stays 0
                           .U32(1)
                           .U32(3)
                           .U32(0)
                           .Vec(0.0f, 0.0f, 0.0f)
                           .U32(0)
                           .Append(c.afterHeader)
                           .U16(0)
                           .U16(0)
                           .U16(0);
        EXPECT_EQ(WriteScene(scene), file.Build());
    }
}

TEST(SceneWriter, TriangleCountDefaultsToTheWholeTrianglesOfTheIndexList) {
    ObjectDescription mesh;
    mesh.name = "M";
    mesh.kind = 0xFF05;
    mesh.indices = {1, 2, 3, 4, 5, 6, 7};
    SceneDescription scene;
    scene.objects.push_back(mesh);

    ExpectedFile file;
    file.objects = Bytes()
                       .U32(1)
                       .Str("M")
                       .U32(0xFF05)
                       .U32(0)
                       .U32(2) // 7 / 3 whole triangles
                       .U32(7)
                       .U32(0)
                       .Vec(0.0f, 0.0f, 0.0f)
                       .U32(0)
                       .U32(0) // boneCount
                       .U16(1)
                       .U16(2)
                       .U16(3)
                       .U16(4)
                       .U16(5)
                       .U16(6)
                       .U16(7);
    EXPECT_EQ(WriteScene(scene), file.Build());
}

TEST(SceneWriter, HeaderOverridesChangeOnlyTheHeaderCounts) {
    ObjectDescription mesh;
    mesh.name = "Odd";
    mesh.kind = 0xFF04;
    mesh.rigidVertices = {{{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 1.0f}, 0.0f, 1.0f}};
    mesh.indices = {0, 0, 0};
    mesh.groups = {{"G", 0, 1}};
    mesh.vertexCount = 7;
    mesh.triangleCount = 9;
    mesh.indexCount = 0xFFFFFFFF;
    mesh.groupCount = 0;
    SceneDescription scene;
    scene.objects.push_back(mesh);

    ExpectedFile file;
    file.objects = Bytes()
                       .U32(1)
                       .Str("Odd")
                       .U32(0xFF04)
                       .U32(7)
                       .U32(9)
                       .U32(0xFFFFFFFF)
                       .U32(0)
                       .Vec(0.0f, 0.0f, 0.0f)
                       .U32(0)
                       .U32(0) // tween
                       .Vec(1.0f, 1.0f, 1.0f)
                       .Vec(0.0f, 0.0f, 1.0f)
                       .F32(0.0f)
                       .F32(1.0f)
                       .U16(0)
                       .U16(0)
                       .U16(0)
                       .Str("G")
                       .U32(0)
                       .U32(1);
    EXPECT_EQ(WriteScene(scene), file.Build());
}

TEST(SceneWriter, NamesAreWrittenWholeWithOneNul) {
    const std::string longName(300, 'x');
    const std::string withNul("A\0B", 3);
    struct Case {
        std::string name;
    } cases[] = {{""}, {"Camera01"}, {longName}, {withNul}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size());
        SceneDescription scene;
        scene.materials.push_back({c.name, 0x40, 0.0f, 0.0f, 0.0f, 0.0f, "", ""});
        ExpectedFile file;
        file.materials = Bytes().U32(1);
        file.materials.data.insert(file.materials.data.end(), c.name.begin(), c.name.end());
        file.materials.Raw({0}).U32(0x40).Zeros(16);
        EXPECT_EQ(WriteScene(scene), file.Build());
    }
}

VectorKeyDescription PositionKey() {
    return {{1.0f, 2.0f, 3.0f}, 4.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.6f};
}
VectorKeyDescription ScaleKey() {
    return {{2.0f, 2.0f, 2.0f}, 0.0f, -0.5f, 0.5f, 0.0f, 0.0f, 1.0f};
}

TEST(SceneWriter, RotationKeysAreEulerVectorKeysOrAxisAngleKeysAsFlagBit4Says) {
    const Bytes eulerBlock = Bytes()
                                 .U32(1)
                                 .Vec(0.5f, 1.5f, 2.5f) // angles
                                 .F32(10.0f)            // time
                                 .F32(0.7f)             // tension
                                 .F32(0.8f)             // bias
                                 .F32(0.9f)             // continuity
                                 .F32(0.125f)           // easeTo
                                 .F32(0.875f);          // easeFrom
    const Bytes axisAngleBlock = Bytes()
                                     .U32(1)
                                     .Vec(0.0f, 1.0f, 0.0f) // axis
                                     .F32(1.25f)            // angle
                                     .F32(20.0f)            // time
                                     .F32(-0.7f)
                                     .F32(-0.8f)
                                     .F32(-0.9f)
                                     .F32(0.25f)  // easeTo
                                     .F32(0.75f); // easeFrom
    struct Case {
        bool eulerRotation;
        std::uint32_t extraFlags;
        std::uint32_t flags;
        const Bytes& rotationBlock;
        std::size_t rotationBlockSize;
    } cases[] = {
        {true, 0, 0x04, eulerBlock, 4 + 36},
        {false, 0, 0x00, axisAngleBlock, 4 + 40},
        {false, 0x04, 0x04, eulerBlock, 4 + 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "euler " << c.eulerRotation << ", extra " << c.extraFlags);
        NodeDescription node = Node(0xEE03, "Ctl");
        node.objectName = "Obj";
        node.eulerRotation = c.eulerRotation;
        node.extraFlags = c.extraFlags;
        node.positionKeys = {PositionKey()};
        node.eulerKeys = {{{0.5f, 1.5f, 2.5f}, 10.0f, 0.7f, 0.8f, 0.9f, 0.125f, 0.875f}};
        node.rotationKeys = {{{0.0f, 1.0f, 0.0f}, 1.25f, 20.0f, -0.7f, -0.8f, -0.9f, 0.25f, 0.75f}};
        node.scaleKeys = {ScaleKey()};

        ExpectedFile file;
        file.hierarchy = Bytes()
                             .U32(0xEE03)
                             .U32(c.flags)
                             .Str("Ctl")
                             .Str("Obj")
                             .U32(1)
                             .Vec(1.0f, 2.0f, 3.0f)
                             .F32(4.0f)
                             .F32(0.1f)
                             .F32(0.2f)
                             .F32(0.3f)
                             .F32(0.4f)
                             .F32(0.6f)
                             .Append(c.rotationBlock)
                             .U32(1)
                             .Vec(2.0f, 2.0f, 2.0f)
                             .F32(0.0f)
                             .F32(-0.5f)
                             .F32(0.5f)
                             .F32(0.0f)
                             .F32(0.0f)
                             .F32(1.0f);
        ASSERT_EQ(c.rotationBlock.data.size(), c.rotationBlockSize);
        EXPECT_EQ(WriteScene(WithRoots({node})), file.Build());
    }
}

TEST(SceneWriter, KindExtrasFollowTheFlagsAndBelongToTheirKind) {
    const Bytes morph = Bytes()
                            .U32(2)
                            .Str("MeshA")
                            .F32(0.0f)
                            .F32(0.25f)
                            .F32(0.5f)
                            .Str("MeshB")
                            .F32(5.0f)
                            .F32(0.0f)
                            .F32(1.0f);
    const Bytes visibility = Bytes().U32(1).U32(1).F32(8.0f).F32(0.3f).F32(0.4f);
    const Bytes roll = Bytes()
                           .U32(1)
                           .F32(15.0f) // value
                           .F32(2.0f)  // time
                           .F32(0.1f)
                           .F32(0.2f)
                           .F32(0.3f)
                           .F32(0.4f)
                           .F32(0.5f);
    const Bytes fov =
        Bytes().U32(1).F32(60.0f).F32(3.0f).F32(-0.1f).F32(-0.2f).F32(-0.3f).F32(0.6f).F32(0.7f);
    const Bytes empty = Bytes().U32(0);
    const Bytes none;

    enum : unsigned { M = 1, V = 2, R = 4, F = 8, All = 15 };
    struct Case {
        std::uint32_t kind;
        unsigned lists; // which optional key lists the node holds
        std::uint32_t extraFlags;
        std::uint32_t flags;
        std::vector<const Bytes*> blocks;
    } cases[] = {
        {0xEE02, M | V, 0, 0x18, {&morph, &visibility}},
        {0xEE02, M, 0, 0x08, {&morph}},
        {0xEE02, V, 0, 0x10, {&visibility}},
        {0xEE02, R | F, 0, 0x00, {}},
        {0xEE02, 0, 0x08, 0x08, {&empty}},
        {0xEE02, 0, 0x18, 0x18, {&empty, &empty}},
        {0xEE02, M | V, 0x60, 0x78, {&morph, &visibility}},
        {0xEE03, 0, 0x08, 0x08, {}},
        {0xEE03, All, 0, 0x00, {}},
        {0xEE04, R | F, 0, 0x60, {&roll, &fov}},
        {0xEE04, F, 0, 0x20, {&fov}},
        {0xEE04, R, 0, 0x40, {&roll}},
        {0xEE04, M | V, 0, 0x00, {}},
        {0xEE04, 0, 0x60, 0x60, {&empty, &empty}},
        {0xEE05, R | F, 0, 0x20, {&fov}},
        {0xEE05, 0, 0x40, 0x40, {}},
        {0xEE05, 0, 0x20, 0x20, {&empty}},
        {0xEE07, All, 0, 0x00, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind 0x" << std::hex << c.kind << ", lists " << c.lists
                                        << ", extra 0x" << c.extraFlags);
        NodeDescription node = Node(c.kind, "N");
        node.extraFlags = c.extraFlags;
        if (c.lists & M) {
            node.morphKeys = {{"MeshA", 0.0f, 0.25f, 0.5f}, {"MeshB", 5.0f, 0.0f, 1.0f}};
        }
        if (c.lists & V) {
            node.visibilityKeys = {{1, 8.0f, 0.3f, 0.4f}};
        }
        if (c.lists & R) {
            node.rollKeys = {{15.0f, 2.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f}};
        }
        if (c.lists & F) {
            node.fovKeys = {{60.0f, 3.0f, -0.1f, -0.2f, -0.3f, 0.6f, 0.7f}};
        }
        ExpectedFile file;
        file.hierarchy = BareNode(c.kind, c.flags, "N");
        for (const Bytes* block : c.blocks) {
            file.hierarchy.Append(*block);
        }
        EXPECT_EQ(WriteScene(WithRoots({node})), file.Build());
    }
}

TEST(SceneWriter, EmptyKeyListsStillSetTheirFlagBits) {
    NodeDescription node = Node(0xEE02, "N");
    node.morphKeys.emplace();
    node.visibilityKeys.emplace();
    ExpectedFile file;
    file.hierarchy = BareNode(0xEE02, 0x18, "N").U32(0).U32(0);
    EXPECT_EQ(WriteScene(WithRoots({node})), file.Build());
}

TEST(SceneWriter, BoneNodeWritesItsIndexThenTheOffsetRowByRow) {
    NodeDescription node = Node(0xEE01, "Bone03");
    node.objectName = "Skin";
    node.boneIndex = 3;
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 4; ++column) {
            node.offset.m[row - 1][column - 1] = static_cast<float>(10 * row + column);
        }
    }
    node.fovKeys = std::vector<FloatKeyDescription>{{60.0f}};
    node.extraFlags = 0x20;

    ExpectedFile file;
    file.hierarchy = BareNode(0xEE01, 0x20, "Bone03", "Skin").U32(3);
    for (float value : {11.0f, 12.0f, 13.0f, 14.0f, 21.0f, 22.0f, 23.0f, 24.0f, 31.0f, 32.0f, 33.0f,
                        34.0f, 41.0f, 42.0f, 43.0f, 44.0f}) {
        file.hierarchy.F32(value);
    }
    EXPECT_EQ(WriteScene(WithRoots({node})), file.Build());
}

TEST(SceneWriter, BoneOffsetDefaultsToIdentity) {
    ExpectedFile file;
    file.hierarchy = BareNode(0xEE01, 0, "B").U32(0);
    for (float value : {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                        0.0f, 0.0f, 0.0f, 1.0f}) {
        file.hierarchy.F32(value);
    }
    EXPECT_EQ(WriteScene(WithRoots({Node(0xEE01, "B")})), file.Build());
}

TEST(SceneWriter, TreeIsWrittenDepthFirstWithChildSubtreeBeforeSibling) {
    // A ─┬─ B ── C
    //    └─ D
    // E (A's sibling)
    const SceneDescription scene = WithRoots({
        Node(0xEE07, "A", {Node(0xEE03, "B", {Node(0xEE03, "C")}), Node(0xEE03, "D")}),
        Node(0xEE07, "E"),
    });
    ExpectedFile file;
    file.hierarchy = BareNode(0xEE07, 0x03, "A")
                         .Append(BareNode(0xEE03, 0x03, "B"))
                         .Append(BareNode(0xEE03, 0x00, "C"))
                         .Append(BareNode(0xEE03, 0x00, "D"))
                         .Append(BareNode(0xEE07, 0x00, "E"));
    EXPECT_EQ(WriteScene(scene), file.Build());
}

TEST(SceneWriter, LinkBitsFromExtraFlagsWriteNoRecords) {
    NodeDescription node = Node(0xEE07, "Alone");
    node.extraFlags = 0x03;
    ExpectedFile file;
    file.hierarchy = BareNode(0xEE07, 0x03, "Alone");
    EXPECT_EQ(WriteScene(WithRoots({node})), file.Build());
}

TEST(SceneWriter, LongSiblingChainIsWrittenInOrder) {
    constexpr int count = 100000;
    SceneDescription scene;
    scene.rootNodes.reserve(count);
    ExpectedFile file;
    file.hierarchy = Bytes();
    for (int i = 0; i < count; ++i) {
        const std::string name = "n" + std::to_string(i);
        scene.rootNodes.push_back(Node(0xEE07, name));
        file.hierarchy.Append(BareNode(0xEE07, i + 1 < count ? 0x02 : 0x00, name));
    }
    EXPECT_EQ(WriteScene(scene), file.Build());
}

TEST(SceneWriter, DeepChildChainIsWrittenOuterFirst) {
    constexpr int depth = 3000;
    NodeDescription chain = Node(0xEE03, "d" + std::to_string(depth - 1));
    for (int level = depth - 2; level >= 0; --level) {
        std::vector<NodeDescription> children;
        children.push_back(std::move(chain));
        chain = Node(0xEE03, "d" + std::to_string(level), std::move(children));
    }
    SceneDescription scene;
    scene.rootNodes.push_back(std::move(chain));

    ExpectedFile file;
    file.hierarchy = Bytes();
    for (int level = 0; level < depth; ++level) {
        file.hierarchy.Append(
            BareNode(0xEE03, level + 1 < depth ? 0x01 : 0x00, "d" + std::to_string(level)));
    }
    EXPECT_EQ(WriteScene(scene), file.Build());
}

ByteVector ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return ByteVector(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(SceneWriter, SceneFileHoldsExactlyTheWrittenBytes) {
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / "scene_writer_test.3d";
    SceneDescription big;
    big.materials.push_back({"Long", 0x00, 1.0f, 1.0f, 1.0f, 1.0f, std::string(200, 't'), ""});
    ASSERT_TRUE(WriteSceneFile(path.string(), big));
    ASSERT_EQ(ReadWholeFile(path), WriteScene(big));

    // A shorter scene replaces the file rather than overwriting its start.
    const SceneDescription small;
    ASSERT_TRUE(WriteSceneFile(path.string(), small));
    EXPECT_EQ(ReadWholeFile(path), WriteScene(small));
    std::filesystem::remove(path);
}

TEST(SceneWriter, SceneFileAtUnwritablePathFails) {
    const std::filesystem::path temp(testing::TempDir());
    struct Case {
        std::string path;
    } cases[] = {
        {temp.string()}, // a folder
        {(temp / "no_such_folder_for_scene_writer" / "x.3d").string()},
        {""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(WriteSceneFile(c.path, SceneDescription{}));
    }
}

} // namespace

// LoadObjects: every object kind's payload, light slots, mesh buffers filled from the file
// (rigid and skinned layouts, tweening), bounds, groups and their materials, camera targets,
// name clashes, unknown kinds, cut-off sections and counts the file cannot hold.
#include "scene/ObjectLoader.h"

#include "scene/Camera.h"
#include "scene/Mesh.h"
#include "scene/Scene.h"
#include "scene/SceneStream.h"

#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::uint64_t Arg(const RecordedCall& call, std::size_t index) {
    return call.args.at(index).As<std::uint64_t>();
}

// vertexCount, triangleCount, indexCount, hidden, referencePoint, groupCount.
void AppendMeshHeader(ByteBuilder& b, std::uint32_t vertexCount, std::uint32_t triangleCount,
                      std::uint32_t indexCount, std::uint32_t groupCount,
                      std::uint32_t hidden = 0) {
    b.U32(vertexCount).U32(triangleCount).U32(indexCount).U32(hidden);
    b.Vec3(0.5f, 1.5f, 2.5f); // reference point
    b.U32(groupCount);
}

// Position, normal, u, v: 32 bytes.
void AppendRigidVertex(ByteBuilder& b, float x, float y, float z) {
    b.Vec3(x, y, z).Vec3(0.0f, 1.0f, 0.0f).F32(x * 0.5f).F32(y * 0.25f);
}

// A light record: name, kind 0xFF03, position.
void AppendLight(ByteBuilder& b, const char* name, float x, float y, float z) {
    b.Str(name).U32(0xFF03).Vec3(x, y, z);
}

// A rigid mesh record with one vertex at p, no indices and no groups.
void AppendTinyMesh(ByteBuilder& b, const char* name) {
    b.Str(name).U32(0xFF04);
    AppendMeshHeader(b, 1, 0, 0, 0);
    b.U32(0); // tween
    AppendRigidVertex(b, 1.0f, 1.0f, 1.0f);
}

class ObjectLoaderTest : public SceneDeviceTest {
protected:
    void SetUp() override {
        SceneDeviceTest::SetUp();
        scene = &NewScene();
        // Only the loader's calls, not the scene's own device set-up.
        recorder->ClearCalls();
    }

    // Reads an object section; gives the stream's position after it.
    std::size_t Load(const std::vector<std::uint8_t>& bytes) {
        SceneStream stream(bytes);
        LoadObjects(*scene, stream);
        atEnd = stream.AtEnd();
        return stream.Position();
    }

    template <typename T>
    T* Get(const char* name) {
        return dynamic_cast<T*>(scene->objects.Find(name));
    }

    Scene* scene = nullptr;
    bool atEnd = false;
};

TEST_F(ObjectLoaderTest, LightsTakeDeviceSlotsInFileOrder) {
    ByteBuilder b;
    b.U32(3);
    AppendLight(b, "Sun", 1.0f, 2.0f, 3.0f);
    AppendTinyMesh(b, "Box");
    AppendLight(b, "Lamp", -4.0f, 5.0f, -6.0f);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    const Light* sun = Get<Light>("Sun");
    const Light* lamp = Get<Light>("Lamp");
    ASSERT_NE(sun, nullptr);
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(sun->lightIndex, 0u);
    EXPECT_EQ(lamp->lightIndex, 1u);
    EXPECT_EQ(scene->lightCount, 2u);
    EXPECT_EQ(sun->position, Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(lamp->position, Vector3(-4.0f, 5.0f, -6.0f));
    EXPECT_EQ(sun->GetType(), 5);
    EXPECT_EQ(sun->scene, scene);
    // The list keeps the file's order.
    std::vector<std::string> order;
    for (SceneObject* object : scene->objects) {
        order.push_back(object == sun ? "Sun" : object == lamp ? "Lamp" : "Box");
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Sun", "Box", "Lamp"}));
}

TEST_F(ObjectLoaderTest, RigidMeshFillsItsBuffersFromTheFile) {
    ByteBuilder vertices;
    AppendRigidVertex(vertices, 1.0f, 5.0f, -2.0f);
    AppendRigidVertex(vertices, 3.0f, 0.0f, -4.0f);
    AppendRigidVertex(vertices, 2.0f, 9.0f, 7.0f);
    ByteBuilder indices;
    indices.U16(2).U16(0).U16(1);

    ByteBuilder b;
    b.U32(1).Str("Tri").U32(0xFF04);
    AppendMeshHeader(b, 3, 1, 3, 0, /*hidden=*/1);
    b.U32(0); // tween
    b.Raw(vertices.Bytes()).Raw(indices.Bytes());
    EXPECT_EQ(Load(b.Bytes()), b.Size());

    const RigidMesh* mesh = Get<RigidMesh>("Tri");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetType(), 1);
    EXPECT_EQ(mesh->vertexCount, 3u);
    EXPECT_EQ(mesh->triangleCount, 1u);
    EXPECT_EQ(mesh->indexCount, 3u);
    EXPECT_EQ(mesh->hidden, 1u);
    EXPECT_EQ(mesh->referencePoint, Vector3(0.5f, 1.5f, 2.5f));
    EXPECT_EQ(mesh->vertexShader, 0x112u);
    // Each axis on its own: min (1, 0, -4), max (3, 9, 7).
    EXPECT_EQ(mesh->boundsMin, Vector3(1.0f, 0.0f, -4.0f));
    EXPECT_EQ(mesh->boundsMax, Vector3(3.0f, 9.0f, 7.0f));

    const std::vector<RecordedCall> vb = recorder->CallsNamed("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_EQ(Arg(vb[0], 0), 96u); // 3 × 32 bytes
    EXPECT_EQ(Arg(vb[0], 1), D3DUSAGE_WRITEONLY);
    EXPECT_EQ(Arg(vb[0], 2), 0x112u);
    EXPECT_EQ(Arg(vb[0], 3), static_cast<std::uint64_t>(D3DPOOL_DEFAULT));
    const std::vector<RecordedCall> ib = recorder->CallsNamed("CreateIndexBuffer");
    ASSERT_EQ(ib.size(), 1u);
    EXPECT_EQ(Arg(ib[0], 0), 6u);
    EXPECT_EQ(Arg(ib[0], 1), D3DUSAGE_WRITEONLY);
    EXPECT_EQ(Arg(ib[0], 2), static_cast<std::uint64_t>(D3DFMT_INDEX16));
    EXPECT_EQ(Arg(ib[0], 3), static_cast<std::uint64_t>(D3DPOOL_DEFAULT));
    // Whole-buffer locks (offset 0, size 0, flags 0), each closed by an unlock.
    for (const char* lock : {"IDirect3DVertexBuffer8::Lock", "IDirect3DIndexBuffer8::Lock"}) {
        SCOPED_TRACE(lock);
        const std::vector<RecordedCall> locks = recorder->CallsNamed(lock);
        ASSERT_EQ(locks.size(), 1u);
        EXPECT_EQ(Arg(locks[0], 0), 0u);
        EXPECT_EQ(Arg(locks[0], 1), 0u);
        EXPECT_EQ(Arg(locks[0], 3), 0u);
    }
    EXPECT_EQ(recorder->CallsNamed("IDirect3DVertexBuffer8::Unlock").size(), 1u);
    EXPECT_EQ(recorder->CallsNamed("IDirect3DIndexBuffer8::Unlock").size(), 1u);

    recorder->ClearCalls();
    EXPECT_EQ(BufferBytes(mesh->vertexBuffer.Get()), vertices.Bytes());
    EXPECT_EQ(BufferBytes(mesh->indexBuffer.Get()), indices.Bytes());
}

TEST_F(ObjectLoaderTest, TweenedRigidMeshUsesTheSceneDeclarationAndSoftwareUsage) {
    ASSERT_NE(scene->tweenDeclaration, 0u);
    ByteBuilder b;
    b.U32(1).Str("Morph").U32(0xFF04);
    AppendMeshHeader(b, 1, 0, 3, 0);
    b.U32(1); // tween
    AppendRigidVertex(b, 1.0f, 2.0f, 3.0f);
    b.U16(0).U16(0).U16(0);
    Load(b.Bytes());
    const RigidMesh* mesh = Get<RigidMesh>("Morph");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexShader, scene->tweenDeclaration);
    const std::vector<RecordedCall> vb = recorder->CallsNamed("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_EQ(Arg(vb[0], 0), 32u);
    EXPECT_EQ(Arg(vb[0], 1), 0x18u);
    EXPECT_EQ(Arg(vb[0], 2), 0u); // no FVF
    const std::vector<RecordedCall> ib = recorder->CallsNamed("CreateIndexBuffer");
    ASSERT_EQ(ib.size(), 1u);
    EXPECT_EQ(Arg(ib[0], 1), 0x18u);
}

TEST_F(ObjectLoaderTest, SkinnedVertexFieldsMoveToTheirDeviceOffsets) {
    ByteBuilder b;
    b.U32(1).Str("Skin").U32(0xFF05);
    AppendMeshHeader(b, 1, 0, 0, 0);
    b.U32(2);                           // boneCount
    b.Vec3(1.0f, 2.0f, 3.0f);           // position
    b.Vec3(4.0f, 5.0f, 6.0f);           // normal, before the weights in the file
    b.F32(0.5f).F32(0.25f).F32(0.125f); // weights 1 to 3
    b.Raw({0x01, 0x02, 0x03, 0x00});    // bone indices, lowest first
    b.F32(0.75f).F32(0.875f);           // u, v
    const std::size_t sectionEnd = b.Size();
    // The bones' node records come later in the file, at least 90 bytes each: stand-ins for two.
    b.Raw(std::vector<std::uint8_t>(2 * 90, 0));
    EXPECT_EQ(Load(b.Bytes()), sectionEnd);

    // The device layout: position 0, weights 12/16/20, indices 24, normal 28, u 40, v 44.
    ByteBuilder device;
    device.Vec3(1.0f, 2.0f, 3.0f);
    device.F32(0.5f).F32(0.25f).F32(0.125f);
    device.Raw({0x01, 0x02, 0x03, 0x00});
    device.Vec3(4.0f, 5.0f, 6.0f);
    device.F32(0.75f).F32(0.875f);
    ASSERT_EQ(device.Size(), 48u);

    const SkinnedMesh* mesh = Get<SkinnedMesh>("Skin");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetType(), 2);
    EXPECT_EQ(mesh->vertexShader, 0x111Cu);
    const std::vector<RecordedCall> vb = recorder->CallsNamed("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_EQ(Arg(vb[0], 0), 48u);
    EXPECT_EQ(Arg(vb[0], 1), 0x18u);
    EXPECT_EQ(Arg(vb[0], 2), 0x111Cu);
    EXPECT_EQ(Arg(vb[0], 3), static_cast<std::uint64_t>(D3DPOOL_DEFAULT));
    EXPECT_EQ(BufferBytes(mesh->vertexBuffer.Get()), device.Bytes());
    // Skinned meshes compute no box; their bones wait for the hierarchy.
    EXPECT_EQ(mesh->boundsMin, Vector3());
    EXPECT_EQ(mesh->boundsMax, Vector3());
    EXPECT_EQ(mesh->boneCount, 2u);
    ASSERT_EQ(mesh->bones.size(), 2u);
    for (const Bone& bone : mesh->bones) {
        EXPECT_EQ(bone.controller, nullptr);
        EXPECT_EQ(bone.offset, Matrix{});
    }
}

TEST_F(ObjectLoaderTest, GroupsFindTheirMaterialsAndTheFirstGivesTheMeshMaterial) {
    Material* red = scene->AdoptMaterial(std::make_unique<Material>(scene));
    scene->materials.Add("Red", red);
    Material* empty = scene->materials.Find("$EMPTYMATERIAL");

    ByteBuilder b;
    b.U32(2);
    b.Str("Unmatched").U32(0xFF04);
    AppendMeshHeader(b, 1, 3, 0, 3);
    b.U32(0);
    AppendRigidVertex(b, 0.0f, 0.0f, 0.0f);
    b.Str("Missing").U32(0).U32(1);        // no such material
    b.Str("RED").U32(3).U32(1);            // any letter case
    b.Str("$emptymaterial").U32(6).U32(1); // the built-in material
    b.Str("Matched").U32(0xFF05);
    AppendMeshHeader(b, 0, 1, 0, 1);
    b.U32(0); // boneCount
    b.Str("red").U32(9).U32(4);
    EXPECT_EQ(Load(b.Bytes()), b.Size());

    const RigidMesh* unmatched = Get<RigidMesh>("Unmatched");
    ASSERT_NE(unmatched, nullptr);
    ASSERT_EQ(unmatched->groups.size(), 3u);
    EXPECT_EQ(unmatched->groupCount, 3u);
    EXPECT_EQ(unmatched->groups[0].material, nullptr);
    EXPECT_EQ(unmatched->groups[1].material, red);
    EXPECT_EQ(unmatched->groups[2].material, empty);
    EXPECT_EQ(unmatched->groups[1].startIndex, 3u);
    EXPECT_EQ(unmatched->groups[1].triangleCount, 1u);
    EXPECT_EQ(unmatched->material, nullptr);

    const SkinnedMesh* matched = Get<SkinnedMesh>("Matched");
    ASSERT_NE(matched, nullptr);
    ASSERT_EQ(matched->groups.size(), 1u);
    EXPECT_EQ(matched->groups[0].startIndex, 9u);
    EXPECT_EQ(matched->groups[0].triangleCount, 4u);
    EXPECT_EQ(matched->material, red);
}

TEST_F(ObjectLoaderTest, CamerasAndTargetsTakeTheirFieldsAndLinks) {
    ByteBuilder b;
    b.U32(6);
    b.Str("Early").U32(0xFF02).Str("Later").Vec3(0, 0, 0); // its camera comes later
    b.Str("Cam").U32(0xFF06).Vec3(1, 2, 3).F32(45.0f).F32(10.0f);
    b.Str("Aim").U32(0xFF02).Str("CAM").Vec3(4, 5, 6);
    b.Str("Free").U32(0xFF01).Vec3(7, 8, 9).F32(60.0f);
    b.Str("Stray").U32(0xFF02).Str("Free").Vec3(0, 0, 1); // not a target camera
    b.Str("Later").U32(0xFF06).Vec3(0, 0, 0).F32(30.0f).F32(0.0f);
    EXPECT_EQ(Load(b.Bytes()), b.Size());

    const TargetCamera* cam = Get<TargetCamera>("Cam");
    const CameraTarget* aim = Get<CameraTarget>("Aim");
    const FreeCamera* freeCamera = Get<FreeCamera>("Free");
    const TargetCamera* later = Get<TargetCamera>("Later");
    ASSERT_NE(cam, nullptr);
    ASSERT_NE(aim, nullptr);
    ASSERT_NE(freeCamera, nullptr);
    ASSERT_NE(later, nullptr);
    EXPECT_EQ(cam->position, Vector3(1, 2, 3));
    EXPECT_EQ(cam->fieldOfView, 45.0f);
    EXPECT_EQ(cam->roll, 10.0f);
    EXPECT_EQ(cam->target, aim);
    EXPECT_EQ(aim->position, Vector3(4, 5, 6));
    EXPECT_EQ(freeCamera->position, Vector3(7, 8, 9));
    EXPECT_EQ(freeCamera->fieldOfView, 60.0f);
    EXPECT_EQ(later->target, nullptr);
    EXPECT_NE(Get<CameraTarget>("Stray"), nullptr);
    EXPECT_NE(Get<CameraTarget>("Early"), nullptr);
    EXPECT_EQ(cam->GetType(), 4);
    EXPECT_EQ(freeCamera->GetType(), 4);
    EXPECT_EQ(aim->GetType(), 6);
}

TEST_F(ObjectLoaderTest, RepeatedNameKeepsTheFirstObjectAndReadsTheSecondWhole) {
    ByteBuilder b;
    b.U32(3);
    AppendLight(b, "Lamp", 1, 1, 1);
    AppendLight(b, "LAMP", 2, 2, 2);
    AppendTinyMesh(b, "After");
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    EXPECT_EQ(scene->objects.Size(), 2u);
    const Light* lamp = Get<Light>("lamp");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->position, Vector3(1, 1, 1));
    // The unregistered light was still built: it took the second slot.
    EXPECT_EQ(scene->lightCount, 2u);
    EXPECT_NE(Get<RigidMesh>("After"), nullptr);
}

TEST_F(ObjectLoaderTest, RigidMeshWithNoVerticesStillCarriesItsFirstVertex) {
    ByteBuilder b;
    b.U32(2).Str("Empty").U32(0xFF04);
    AppendMeshHeader(b, 0, 0, 0, 0);
    b.U32(0);
    AppendRigidVertex(b, 4.0f, -5.0f, 6.0f); // read although vertexCount is 0
    AppendLight(b, "After", 7, 8, 9);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    const RigidMesh* mesh = Get<RigidMesh>("Empty");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, 0u);
    EXPECT_EQ(mesh->boundsMin, Vector3(4.0f, -5.0f, 6.0f));
    EXPECT_EQ(mesh->boundsMax, Vector3(4.0f, -5.0f, 6.0f));
    // A zero-length buffer is refused by the device: nothing to draw.
    EXPECT_FALSE(mesh->vertexBuffer);
    EXPECT_FALSE(mesh->indexBuffer);
    const std::vector<RecordedCall> vb = recorder->CallsNamed("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_EQ(Arg(vb[0], 0), 0u);
    EXPECT_LT(vb[0].result, 0);
    EXPECT_TRUE(recorder->CallsNamed("IDirect3DVertexBuffer8::Lock").empty());
    const Light* after = Get<Light>("After");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->position, Vector3(7, 8, 9));
}

TEST_F(ObjectLoaderTest, SkinnedMeshWithNoVerticesHasNoVertexRecords) {
    ByteBuilder b;
    b.U32(2).Str("Empty").U32(0xFF05);
    AppendMeshHeader(b, 0, 0, 0, 0);
    b.U32(0); // boneCount
    AppendLight(b, "After", 7, 8, 9);
    EXPECT_EQ(Load(b.Bytes()), b.Size());
    const SkinnedMesh* mesh = Get<SkinnedMesh>("Empty");
    ASSERT_NE(mesh, nullptr);
    EXPECT_FALSE(mesh->vertexBuffer);
    const Light* after = Get<Light>("After");
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->position, Vector3(7, 8, 9));
}

TEST_F(ObjectLoaderTest, MeshWhoseBuffersCannotBeMadeStillConsumesItsData) {
    Scene noDevice; // buffer creation fails without a device
    ByteBuilder b;
    b.U32(2).Str("Mesh").U32(0xFF04);
    AppendMeshHeader(b, 2, 1, 3, 1);
    b.U32(0);
    AppendRigidVertex(b, -1.0f, 2.0f, 0.0f);
    AppendRigidVertex(b, 1.0f, -2.0f, 3.0f);
    b.U16(0).U16(1).U16(0);
    b.Str("$EMPTYMATERIAL").U32(0).U32(1);
    AppendLight(b, "After", 7, 8, 9);
    SceneStream stream(b.Bytes());
    LoadObjects(noDevice, stream);
    EXPECT_EQ(stream.Position(), b.Size());
    const auto* mesh = dynamic_cast<RigidMesh*>(noDevice.objects.Find("Mesh"));
    ASSERT_NE(mesh, nullptr);
    EXPECT_FALSE(mesh->vertexBuffer);
    EXPECT_FALSE(mesh->indexBuffer);
    EXPECT_EQ(mesh->boundsMin, Vector3(-1.0f, -2.0f, 0.0f));
    EXPECT_EQ(mesh->boundsMax, Vector3(1.0f, 2.0f, 3.0f));
    ASSERT_EQ(mesh->groups.size(), 1u);
    EXPECT_EQ(mesh->groups[0].material, noDevice.materials.Find("$EMPTYMATERIAL"));
    const auto* after = dynamic_cast<Light*>(noDevice.objects.Find("After"));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->position, Vector3(7, 8, 9));
}

TEST_F(ObjectLoaderTest, RecordOfUnknownKindEndsTheFile) {
    for (std::uint32_t kind : {0x0000u, 0xFF00u, 0xFF07u, 0xEE02u}) {
        SCOPED_TRACE(kind);
        scene = &NewScene();
        ByteBuilder b;
        b.U32(3);
        AppendLight(b, "Before", 1, 2, 3);
        b.Str("Odd").U32(kind).Vec3(1, 2, 3); // a payload nobody can measure
        AppendLight(b, "After", 4, 5, 6);
        Load(b.Bytes());
        EXPECT_TRUE(atEnd);
        EXPECT_EQ(scene->objects.Size(), 1u);
        EXPECT_NE(scene->objects.Find("Before"), nullptr);
        EXPECT_EQ(scene->objects.Find("Odd"), nullptr);
        EXPECT_EQ(scene->objects.Find("After"), nullptr);
    }
}

TEST_F(ObjectLoaderTest, CountsTheRestOfTheFileCannotHoldLeaveNothingToDraw) {
    struct Case {
        const char* name;
        std::uint32_t kind;
        std::uint32_t vertexCount;
        std::uint32_t indexCount;
        std::uint32_t groupCount;
        std::uint32_t boneCount;
        bool keepsVertexBuffer; // the vertices and indices did fit
    } cases[] = {
        {"rigid vertex count", 0xFF04, 0x10000000, 3, 1, 0, false},
        {"rigid index count", 0xFF04, 1, 0x7FFFFFFF, 1, 0, false},
        {"largest rigid index count", 0xFF04, 1, 0xFFFFFFFF, 1, 0, false},
        {"skinned vertex count", 0xFF05, 0x08000000, 3, 1, 0, false},
        {"skinned bone count", 0xFF05, 1, 3, 1, 0xFFFFFFFF, false},
        {"group count", 0xFF04, 1, 3, 0xFFFFFFFF, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene = &NewScene();
        recorder->ClearCalls();
        ByteBuilder b;
        b.U32(2).Str("Big").U32(c.kind);
        AppendMeshHeader(b, c.vertexCount, 1, c.indexCount, c.groupCount);
        if (c.kind == 0xFF05) {
            b.U32(c.boneCount);
            b.Vec3(1, 2, 3).Vec3(0, 1, 0).F32(1).F32(0).F32(0).U32(0).F32(0).F32(0);
        } else {
            b.U32(0); // tween
            AppendRigidVertex(b, 1, 2, 3);
        }
        b.U16(0).U16(0).U16(0);
        b.Str("$EMPTYMATERIAL").U32(0).U32(1);
        AppendLight(b, "After", 4, 5, 6);
        Load(b.Bytes());

        EXPECT_TRUE(atEnd);
        EXPECT_EQ(scene->objects.Find("After"), nullptr);
        const auto* mesh = dynamic_cast<RigidMesh*>(scene->objects.Find("Big"));
        ASSERT_NE(mesh, nullptr);
        EXPECT_TRUE(mesh->groups.empty());
        EXPECT_EQ(mesh->groupCount, 0u);
        EXPECT_EQ(mesh->material, nullptr);
        if (const auto* skinned = dynamic_cast<const SkinnedMesh*>(mesh)) {
            EXPECT_TRUE(skinned->bones.empty());
            EXPECT_EQ(skinned->boneCount, 0u);
        }
        EXPECT_EQ(static_cast<bool>(mesh->vertexBuffer), c.keepsVertexBuffer);
        if (!c.keepsVertexBuffer) {
            EXPECT_FALSE(mesh->indexBuffer);
            EXPECT_EQ(mesh->vertexCount, 0u);
            EXPECT_EQ(mesh->triangleCount, 0u);
            EXPECT_EQ(mesh->indexCount, 0u);
            // Nothing was sized by the count.
            EXPECT_TRUE(recorder->CallsNamed("CreateVertexBuffer").empty());
            EXPECT_TRUE(recorder->CallsNamed("CreateIndexBuffer").empty());
        }
    }
}

TEST_F(ObjectLoaderTest, ObjectCountTheRestOfTheFileCannotHoldReadsNoObject) {
    ByteBuilder b;
    b.U32(0xFFFFFFFF); // records of at least 5 bytes
    AppendLight(b, "Lamp", 1, 2, 3);
    Load(b.Bytes());
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(scene->objects.Size(), 0u);
    EXPECT_EQ(scene->lightCount, 0u);
}

TEST_F(ObjectLoaderTest, SectionCutOffByTheEndYieldsZeroFields) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"camera cut after position x",
         ByteBuilder().U32(2).Str("Cam").U32(0xFF06).F32(5.0f).Bytes()},
        {"camera cut inside position y",
         ByteBuilder().U32(2).Str("Cam").U32(0xFF06).F32(5.0f).Raw({0x00, 0x00}).Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene = &NewScene();
        Load(c.bytes);
        EXPECT_TRUE(atEnd);
        const TargetCamera* cam = Get<TargetCamera>("Cam");
        ASSERT_NE(cam, nullptr);
        EXPECT_EQ(cam->position, Vector3(5.0f, 0.0f, 0.0f));
        EXPECT_EQ(cam->fieldOfView, 0.0f);
        EXPECT_EQ(cam->roll, 0.0f);
        // The second record's kind reads as 0, which has no payload: nothing more.
        EXPECT_EQ(scene->objects.Size(), 1u);
    }
}

TEST_F(ObjectLoaderTest, MeshCutOffInsideItsVerticesHasNothingToDraw) {
    ByteBuilder b;
    b.U32(1).Str("Cut").U32(0xFF04);
    AppendMeshHeader(b, 3, 1, 3, 1);
    b.U32(0);
    AppendRigidVertex(b, 1, 2, 3);
    b.F32(4.0f); // the second vertex stops here
    Load(b.Bytes());
    EXPECT_TRUE(atEnd);
    const RigidMesh* mesh = Get<RigidMesh>("Cut");
    ASSERT_NE(mesh, nullptr);
    EXPECT_FALSE(mesh->vertexBuffer);
    EXPECT_FALSE(mesh->indexBuffer);
    EXPECT_EQ(mesh->vertexCount, 0u);
    EXPECT_EQ(mesh->indexCount, 0u);
    EXPECT_TRUE(mesh->groups.empty());
}

TEST_F(ObjectLoaderTest, ReadMeshHeaderReadsTheSixFieldsInOrder) {
    ByteBuilder b;
    b.U32(10).U32(20).U32(30).U32(1).Vec3(-1.0f, 0.5f, 8.0f).U32(4).U32(0xFEEDFACE);
    SceneStream stream(b.Bytes());
    RigidMesh mesh(scene);
    ReadMeshHeader(mesh, stream);
    EXPECT_EQ(mesh.vertexCount, 10u);
    EXPECT_EQ(mesh.triangleCount, 20u);
    EXPECT_EQ(mesh.indexCount, 30u);
    EXPECT_EQ(mesh.hidden, 1u);
    EXPECT_EQ(mesh.referencePoint, Vector3(-1.0f, 0.5f, 8.0f));
    EXPECT_EQ(mesh.groupCount, 4u);
    EXPECT_EQ(stream.ReadU32(), 0xFEEDFACEu);
}

} // namespace

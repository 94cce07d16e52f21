// Scene: the new scene's lists, the device set-up (behaviour flags, glow quad buffers, tween
// declaration), the load's checks (device, file, magic, markers), the choice of the active camera,
// the per-frame entry with its flares, light switching, and files cut off anywhere.
#include "scene/Scene.h"

#include "scene/Camera.h"
#include "scene/Mesh.h"

#include "SceneFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

std::uint64_t Arg(const RecordedCall& call, std::size_t index) {
    return call.args.at(index).As<std::uint64_t>();
}

// A whole scene file and the offsets of the places the cut-off tests cut it.
struct SceneFile {
    std::vector<std::uint8_t> bytes;
    std::size_t insideFlareBlock = 0;
    std::size_t afterLastFrame = 0;
    std::size_t insideMaterials = 0;
    std::size_t insideObjects = 0; // inside the mesh's vertices
    std::size_t insideHierarchy = 0;
};

// Two flare frames, lastFrame 100, the material "Red", five objects (light, rigid mesh with one
// group of "red", target camera, its target, light) and a hierarchy driving four of them.
SceneFile FullSceneFile() {
    SceneFile file;
    ByteBuilder b;
    b.Str("ZEB3D");
    b.U32(2);                                         // flare frames
    b.U32(0).U32(1).I32(400).I32(300).F32(50).U32(0); // frame 0: one flare
    b.U32(1).U32(2).I32(100).I32(100).F32(25).U32(0); // frame 1: two flares
    file.insideFlareBlock = b.Size() - 6;
    b.I32(700).I32(500).F32(75).U32(0);
    b.U32(100); // lastFrame
    file.afterLastFrame = b.Size();

    b.U32(0x1010).U32(1);
    b.Str("Red").U32(0x40).F32(1.0f).F32(1.0f).F32(0.0f).F32(0.0f);
    file.insideMaterials = b.Size() - 2; // inside blue

    b.U32(0x2020).U32(5);
    b.Str("Lamp").U32(0xFF03).Vec3(0, 10, 0);
    b.Str("Box").U32(0xFF04);
    b.U32(3).U32(1).U32(3).U32(0).Vec3(0, 0, 0).U32(1); // mesh header
    b.U32(0);                                           // tween
    b.Vec3(-1, 0, 0).Vec3(0, 0, -1).F32(0).F32(0);
    file.insideObjects = b.Size() + 10;
    b.Vec3(1, 0, 0).Vec3(0, 0, -1).F32(1).F32(0);
    b.Vec3(0, 1, 0).Vec3(0, 0, -1).F32(0).F32(1);
    b.U16(0).U16(1).U16(2);
    b.Str("red").U32(0).U32(1);
    b.Str("Cam").U32(0xFF06).Vec3(0, 0, -10).F32(45.0f).F32(0.0f);
    b.Str("Aim").U32(0xFF02).Str("Cam").Vec3(0, 0, 0);
    b.Str("Lamp2").U32(0xFF03).Vec3(5, 5, 5);

    b.U32(0x3030);
    AppendPlainNode(b, 0xEE07, 0x01, "Root", "");
    b.U32(0xEE02).U32(0x02).Str("BoxCtl").Str("Box");
    b.U32(1).Vec3(0, 2, 0).F32(0).F32(0).F32(0).F32(0).F32(0).F32(0); // one position key
    b.U32(0).U32(0);
    file.insideHierarchy = b.Size() + 3;
    AppendPlainNode(b, 0xEE03, 0x02, "LampCtl", "Lamp");
    b.U32(0xEE04).U32(0x22).Str("CamCtl").Str("Cam");
    AppendEmptyKeyBlocks(b);
    b.U32(1).F32(60.0f).F32(0).F32(0).F32(0).F32(0).F32(0).F32(0); // field-of-view key
    AppendPlainNode(b, 0xEE03, 0x00, "AimCtl", "Aim");
    file.bytes = b.Bytes();
    return file;
}

// "ZEB3D", no flares, lastFrame, empty material and object sections, and a lone root node.
std::vector<std::uint8_t> MinimalSceneFile(std::uint32_t lastFrame) {
    ByteBuilder b;
    AppendFileStart(b, lastFrame);
    b.U32(0x1010).U32(0); // no materials
    b.U32(0x2020).U32(0); // no objects
    b.U32(0x3030);
    AppendPlainNode(b, 0xEE07, 0, "Root", "");
    return b.Bytes();
}

class SceneTest : public SceneDeviceTest {
protected:
    // Replaces the scene's flare sprite by a recording one.
    RecordingSprite* RecordFlares(Scene& scene) {
        auto recording = std::make_unique<RecordingSprite>();
        RecordingSprite* raw = recording.get();
        scene.flares->sprite->sprite = std::move(recording);
        return raw;
    }
};

TEST_F(SceneTest, NewSceneHoldsOnlyTheEmptyMaterial) {
    Scene scene;
    const Material* empty = scene.materials.Find("$EMPTYMATERIAL");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(scene.materials.Find("$emptymaterial"), empty);
    EXPECT_EQ(scene.materials.Size(), 1u);
    EXPECT_EQ(empty->flags, 0x40u);
    EXPECT_EQ(empty->opacity, 0.0f);
    EXPECT_EQ(empty->red, 1.0f);
    EXPECT_EQ(empty->green, 1.0f);
    EXPECT_EQ(empty->blue, 1.0f);
    EXPECT_EQ(empty->blendMode, 0u);
    EXPECT_FALSE(empty->textureName.has_value());
    EXPECT_EQ(empty->scene, &scene);
    EXPECT_EQ(scene.objects.Size(), 0u);
    EXPECT_EQ(scene.controllers.Size(), 0u);

    EXPECT_EQ(scene.deviceFlags, 0u);
    EXPECT_EQ(scene.device, nullptr);
    EXPECT_EQ(scene.nearPlane, 1.0f);
    EXPECT_EQ(scene.farPlane, 1000.0f);
    EXPECT_EQ(scene.aspectRatio, 0.75f);
    EXPECT_EQ(scene.activeCamera, nullptr);
    EXPECT_EQ(scene.lastFrame, 0u);
    EXPECT_EQ(scene.lightCount, 0u);
    EXPECT_EQ(scene.glowMaterial, nullptr);
    EXPECT_EQ(scene.rootController, nullptr);
    EXPECT_FALSE(scene.quadVertexBuffer);
    EXPECT_FALSE(scene.quadIndexBuffer);
    EXPECT_EQ(scene.tweenDeclaration, 0u);
    EXPECT_FALSE(scene.flares);
}

TEST_F(SceneTest, ObjectClassesAnswerTheirTypeIds) {
    Scene scene;
    struct Case {
        const char* name;
        std::unique_ptr<SceneObject> object;
        int type;
    };
    Case cases[] = {
        {"Mesh", std::make_unique<Mesh>(&scene), 0},
        {"RigidMesh", std::make_unique<RigidMesh>(&scene), 1},
        {"SkinnedMesh", std::make_unique<SkinnedMesh>(&scene), 2},
        {"FreeCamera", std::make_unique<FreeCamera>(&scene), 4},
        {"TargetCamera", std::make_unique<TargetCamera>(&scene), 4},
        {"Light", std::make_unique<Light>(&scene), 5},
        {"CameraTarget", std::make_unique<CameraTarget>(&scene), 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.object->GetType(), c.type);
        EXPECT_EQ(c.object->scene, &scene);
    }
}

TEST_F(SceneTest, NewTargetCameraHasNoRollNoTargetAndTheDefaultFieldOfView) {
    Scene scene;
    const TargetCamera camera(&scene);
    EXPECT_EQ(camera.roll, 0.0f);
    EXPECT_EQ(camera.target, nullptr);
    EXPECT_FALSE(camera.rollTrack);
    EXPECT_FALSE(camera.fovTrack);
    // The default's bits are 0x3F84B36D.
    std::uint32_t bits = 0;
    std::memcpy(&bits, &camera.fieldOfView, sizeof bits);
    EXPECT_EQ(bits, 0x3F84B36Du);
    EXPECT_EQ(camera.view, Matrix{});
}

TEST_F(SceneTest, InitDeviceAddsSoftwareBlendingOnlyForMixedVertexProcessing) {
    struct Case {
        const char* name;
        DWORD behaviour;
        std::uint32_t flags;
        std::uint32_t expected;
    } cases[] = {
        {"mixed", D3DCREATE_MIXED_VERTEXPROCESSING, 0, 0x10},
        {"hardware", D3DCREATE_HARDWARE_VERTEXPROCESSING, 0, 0},
        {"software", D3DCREATE_SOFTWARE_VERTEXPROCESSING, 0, 0},
        {"mixed with glows and tweening", D3DCREATE_MIXED_VERTEXPROCESSING, 0x05, 0x15},
        {"hardware with glows", D3DCREATE_HARDWARE_VERTEXPROCESSING, 0x01, 0x01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
        DevicePtr<IDirect3DDevice8> other;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, c.behaviour, &pp,
                                    other.ReleaseAndGetAddressOf()),
                  D3D_OK);
        Scene scene;
        scene.InitDevice(other.Get(), c.flags);
        EXPECT_EQ(scene.deviceFlags, c.expected);
        EXPECT_EQ(scene.device, other.Get());
    }
}

TEST_F(SceneTest, InitDeviceMakesTheGlowQuadAndTheTweenDeclaration) {
    Scene& scene = NewScene();
    const std::vector<RecordedCall> vb = recorder->CallsNamed("CreateVertexBuffer");
    ASSERT_EQ(vb.size(), 1u);
    EXPECT_EQ(Arg(vb[0], 0), 48u);
    EXPECT_EQ(Arg(vb[0], 1), 0x10u); // software processing
    EXPECT_EQ(Arg(vb[0], 2), static_cast<std::uint64_t>(D3DFVF_XYZ));
    EXPECT_EQ(Arg(vb[0], 3), static_cast<std::uint64_t>(D3DPOOL_DEFAULT));
    const std::vector<RecordedCall> ib = recorder->CallsNamed("CreateIndexBuffer");
    ASSERT_EQ(ib.size(), 1u);
    EXPECT_EQ(Arg(ib[0], 0), 12u);
    EXPECT_EQ(Arg(ib[0], 1), 0x10u);
    EXPECT_EQ(Arg(ib[0], 2), static_cast<std::uint64_t>(D3DFMT_INDEX16));

    ByteBuilder quad;
    quad.Vec3(-7.5f, 7.5f, 0).Vec3(7.5f, 7.5f, 0).Vec3(7.5f, -7.5f, 0).Vec3(-7.5f, -7.5f, 0);
    EXPECT_EQ(BufferBytes(scene.quadVertexBuffer.Get()), quad.Bytes());
    ByteBuilder indices;
    indices.U16(0).U16(2).U16(1).U16(0).U16(3).U16(2);
    EXPECT_EQ(BufferBytes(scene.quadIndexBuffer.Get()), indices.Bytes());

    const std::vector<RecordedCall> shaders = recorder->CallsNamed("CreateVertexShader");
    ASSERT_EQ(shaders.size(), 1u);
    // Stream 0: position, normal, texture coordinates; stream 1: position 2, normal 2; end.
    const std::vector<DWORD> tokens = {0x20000000, 0x40020000, 0x40020003, 0x40010007,
                                       0x20000001, 0x4002000F, 0x40020010, 0xFFFFFFFF};
    EXPECT_EQ(shaders[0].args.at(0).As<std::vector<DWORD>>(), tokens);
    EXPECT_EQ(shaders[0].args.at(1).As<const void*>(), nullptr); // fixed-function
    EXPECT_EQ(Arg(shaders[0], 3), 0x10u);
    EXPECT_NE(scene.tweenDeclaration, 0u);
    EXPECT_EQ(Arg(shaders[0], 2), scene.tweenDeclaration);
}

TEST_F(SceneTest, InitDeviceWithoutDeviceOnlyKeepsTheFlags) {
    Scene scene;
    scene.InitDevice(nullptr, 0x04);
    EXPECT_EQ(scene.deviceFlags, 0x04u);
    EXPECT_EQ(scene.device, nullptr);
    EXPECT_FALSE(scene.quadVertexBuffer);
    EXPECT_EQ(scene.tweenDeclaration, 0u);
}

TEST_F(SceneTest, LoadWithoutDeviceRaisesCode4) {
    folder->Write("scene.3d", MinimalSceneFile(10));
    Scene scene;
    int code = 0;
    try {
        scene.Load(device.Get(), "scene.3d");
    } catch (const QRV_CException& e) {
        code = e.code;
    }
    EXPECT_EQ(code, 4);
    EXPECT_FALSE(scene.flares);
}

TEST_F(SceneTest, MissingFileLoadsNothing) {
    Scene& scene = NewScene();
    scene.Load(device.Get(), "data\\missing.3d");
    EXPECT_FALSE(scene.flares);
    EXPECT_EQ(scene.rootController, nullptr);
    EXPECT_EQ(scene.materials.Size(), 1u);
}

TEST_F(SceneTest, WrongMagicStopsBeforeAnythingElseIsRead) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> magic;
    } cases[] = {
        {"zEB3D", {'z', 'E', 'B', '3', 'D', 0}},
        {"ZEB3d", {'Z', 'E', 'B', '3', 'd', 0}},
        {"ZEB3", {'Z', 'E', 'B', '3', 0}},
        {"ZEB3DX", {'Z', 'E', 'B', '3', 'D', 'X', 0}},
        {"empty", {0}},
        {"no NUL", {'Z', 'E', 'B', '3', 'D'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteBuilder b;
        b.Raw(c.magic);
        if (c.magic.back() == 0) {
            // The rest of a valid file after the magic.
            const std::vector<std::uint8_t> valid = MinimalSceneFile(10);
            b.Raw(std::vector<std::uint8_t>(valid.begin() + 6, valid.end()));
        }
        Scene& scene = LoadSceneBytes(b.Bytes());
        EXPECT_FALSE(scene.flares);
        EXPECT_EQ(scene.lastFrame, 0u);
        EXPECT_EQ(scene.rootController, nullptr);
    }
}

TEST_F(SceneTest, MinimalFileLoadsAnEmptyScene) {
    ByteBuilder b;
    b.Raw(MinimalSceneFile(250));
    b.Raw({0xDE, 0xAD}); // bytes after the root's tree are never read
    Scene& scene = LoadSceneBytes(b.Bytes());
    ASSERT_TRUE(scene.flares);
    EXPECT_EQ(scene.flares->frameCount, 0u);
    EXPECT_EQ(scene.lastFrame, 250u);
    EXPECT_EQ(scene.materials.Size(), 1u);
    EXPECT_EQ(scene.objects.Size(), 0u);
    ASSERT_NE(scene.rootController, nullptr);
    EXPECT_EQ(scene.controllers.Find("Root"), scene.rootController);
    EXPECT_EQ(scene.activeCamera, nullptr);
    scene.Render(0.0f);
}

TEST_F(SceneTest, WrongSectionMarkerKeepsTheSectionsReadBeforeIt) {
    struct Case {
        const char* name;
        std::uint32_t materialMarker;
        std::uint32_t objectMarker;
        std::uint32_t hierarchyMarker;
        std::size_t materials; // the empty material included
        std::size_t objects;
    } cases[] = {
        {"material marker 0x1011", 0x1011, 0x2020, 0x3030, 1, 0},
        {"object marker 0x2021", 0x1010, 0x2021, 0x3030, 2, 0},
        {"hierarchy marker 0x3031", 0x1010, 0x2020, 0x3031, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ByteBuilder b;
        AppendFileStart(b, 7);
        b.U32(c.materialMarker).U32(1);
        b.Str("Mat").U32(0x40).F32(1).F32(1).F32(1).F32(1);
        b.U32(c.objectMarker).U32(1);
        b.Str("Lamp").U32(0xFF03).Vec3(1, 2, 3);
        b.U32(c.hierarchyMarker);
        AppendPlainNode(b, 0xEE03, 0, "Root", "Lamp");
        Scene& scene = LoadSceneBytes(b.Bytes());
        EXPECT_TRUE(scene.flares);
        EXPECT_EQ(scene.lastFrame, 7u);
        EXPECT_EQ(scene.materials.Size(), c.materials);
        EXPECT_EQ(scene.objects.Size(), c.objects);
        EXPECT_EQ(scene.rootController, nullptr);
        EXPECT_EQ(scene.controllers.Size(), 0u);
        scene.Render(1.0f);
    }
}

TEST_F(SceneTest, FirstCameraInTheObjectListBecomesActive) {
    ByteBuilder b;
    AppendFileStart(b, 0);
    b.U32(0x1010).U32(0);
    b.U32(0x2020).U32(3);
    b.Str("Lamp").U32(0xFF03).Vec3(0, 0, 0);
    b.Str("Target").U32(0xFF06).Vec3(0, 0, 0).F32(45).F32(0);
    b.Str("Free").U32(0xFF01).Vec3(0, 0, 0).F32(60);
    b.U32(0x3030);
    AppendPlainNode(b, 0xEE07, 0, "Root", "");
    Scene& scene = LoadSceneBytes(b.Bytes());
    EXPECT_NE(scene.activeCamera, nullptr);
    EXPECT_EQ(scene.activeCamera, scene.objects.Find("Target"));
}

TEST_F(SceneTest, WholeFileLinksItsSections) {
    Scene& scene = LoadSceneBytes(FullSceneFile().bytes);
    EXPECT_EQ(scene.lastFrame, 100u);
    ASSERT_TRUE(scene.flares);
    EXPECT_EQ(scene.flares->frameCount, 2u);
    const Material* red = scene.materials.Find("Red");
    ASSERT_NE(red, nullptr);
    const auto* box = dynamic_cast<RigidMesh*>(scene.objects.Find("Box"));
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->groups.size(), 1u);
    EXPECT_EQ(box->groups[0].material, red);
    EXPECT_EQ(box->material, red);
    EXPECT_EQ(box->boundsMin, Vector3(-1, 0, 0));
    EXPECT_EQ(box->boundsMax, Vector3(1, 1, 0));
    const auto* cam = dynamic_cast<TargetCamera*>(scene.objects.Find("Cam"));
    ASSERT_NE(cam, nullptr);
    EXPECT_EQ(cam->target, scene.objects.Find("Aim"));
    EXPECT_EQ(scene.activeCamera, cam);
    EXPECT_EQ(scene.lightCount, 2u);
    EXPECT_EQ(scene.controllers.Size(), 5u);
    ASSERT_NE(scene.rootController, nullptr);
    EXPECT_EQ(scene.controllers.Find("BoxCtl")->object, box);
    EXPECT_EQ(scene.controllers.Find("CamCtl")->object, cam);

    recorder->ClearCalls();
    RecordFlares(scene);
    scene.Render(0.0f);
    // The light driven by the hierarchy reaches its device slot; the unanimated one does not.
    const std::vector<RecordedCall> lights = recorder->CallsNamed("SetLight");
    ASSERT_EQ(lights.size(), 1u);
    EXPECT_EQ(Arg(lights[0], 0), 0u);
    // The camera's field-of-view track replaced the file's 45 degrees.
    EXPECT_EQ(cam->fieldOfView, 60.0f);
    bool projection = false;
    bool view = false;
    for (const RecordedCall& call : recorder->CallsNamed("SetTransform")) {
        projection = projection || Arg(call, 0) == D3DTS_PROJECTION;
        view = view || Arg(call, 0) == D3DTS_VIEW;
    }
    EXPECT_TRUE(projection);
    EXPECT_TRUE(view);
    // The mesh took its controller's world matrix: translation (0, 2, 0).
    EXPECT_EQ(box->world.Element(4, 2), 2.0f);
}

TEST_F(SceneTest, RenderDrawsTheFlaresOfTheTruncatedFrameNumber) {
    // Five frames; frame i has one flare of size 50 at x = 100 (i + 1): corner x − 127.
    ByteBuilder b;
    b.Str("ZEB3D").U32(5);
    for (int i = 0; i < 5; ++i) {
        b.U32(0).U32(1).I32(100 * (i + 1)).I32(300).F32(50).U32(0);
    }
    b.U32(4);
    b.U32(0x1010).U32(0).U32(0x2020).U32(0).U32(0x3030);
    AppendPlainNode(b, 0xEE07, 0, "Root", "");
    Scene& scene = LoadSceneBytes(b.Bytes());
    ASSERT_TRUE(scene.flares);
    RecordingSprite* sprite = RecordFlares(scene);
    struct Case {
        float time;
        int frame;
    } cases[] = {
        {3.99f, 3}, {0.0f, 0}, {0.5f, 0}, {4.0f, 4}, {12.9f, 4}, {250.0f, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        sprite->draws.clear();
        scene.Render(c.time);
        ASSERT_EQ(sprite->draws.size(), 1u);
        EXPECT_EQ(sprite->draws[0].x, static_cast<float>(100 * (c.frame + 1) - 127));
    }
}

TEST_F(SceneTest, DisableLightsSwitchesOffEverySlotTheSceneUsed) {
    ByteBuilder b;
    AppendFileStart(b, 0);
    b.U32(0x1010).U32(0);
    b.U32(0x2020).U32(3);
    b.Str("L0").U32(0xFF03).Vec3(0, 0, 0);
    b.Str("L1").U32(0xFF03).Vec3(0, 0, 0);
    b.Str("L2").U32(0xFF03).Vec3(0, 0, 0);
    b.U32(0x3030);
    AppendPlainNode(b, 0xEE07, 0, "Root", "");
    Scene& scene = LoadSceneBytes(b.Bytes());
    ASSERT_EQ(scene.lightCount, 3u);
    recorder->ClearCalls();
    scene.DisableLights();
    const std::vector<RecordedCall> calls = recorder->CallsNamed("LightEnable");
    ASSERT_EQ(calls.size(), 3u);
    for (std::uint64_t slot = 0; slot < 3; ++slot) {
        EXPECT_EQ(Arg(calls[slot], 0), slot);
        EXPECT_EQ(Arg(calls[slot], 1), 0u); // FALSE
    }
    EXPECT_EQ(recorder->Calls().size(), 3u);
}

TEST_F(SceneTest, FileCutOffInASectionKeepsWhatWasReadAndRenders) {
    const SceneFile file = FullSceneFile();
    struct Case {
        const char* name;
        std::size_t length;
        bool flares;
        std::size_t materials; // the empty material included
        std::size_t objects;
    } cases[] = {
        {"inside the flare block", file.insideFlareBlock, true, 1, 0},
        {"after lastFrame", file.afterLastFrame, true, 1, 0},
        {"inside the material section", file.insideMaterials, true, 2, 0},
        {"inside the object section", file.insideObjects, true, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene& scene = LoadSceneBytes(Prefix(file.bytes, c.length));
        EXPECT_EQ(static_cast<bool>(scene.flares), c.flares);
        EXPECT_EQ(scene.materials.Size(), c.materials);
        EXPECT_EQ(scene.objects.Size(), c.objects);
        EXPECT_EQ(scene.rootController, nullptr);
        scene.Render(0.0f);
        scene.Render(50.0f);
        scene.DisableLights();
    }
}

TEST_F(SceneTest, FileCutOffInsideTheObjectSectionLeavesTheCutMeshEmpty) {
    const SceneFile file = FullSceneFile();
    Scene& scene = LoadSceneBytes(Prefix(file.bytes, file.insideObjects));
    EXPECT_EQ(scene.lastFrame, 100u);
    const auto* lamp = dynamic_cast<Light*>(scene.objects.Find("Lamp"));
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->position, Vector3(0, 10, 0));
    const auto* box = dynamic_cast<RigidMesh*>(scene.objects.Find("Box"));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->vertexBuffer);
    EXPECT_EQ(box->vertexCount, 0u);
    EXPECT_TRUE(box->groups.empty());
    EXPECT_EQ(scene.objects.Find("Cam"), nullptr);
}

TEST_F(SceneTest, FileCutOffInsideTheHierarchyKeepsTheTreeSoFar) {
    const SceneFile file = FullSceneFile();
    Scene& scene = LoadSceneBytes(Prefix(file.bytes, file.insideHierarchy));
    ASSERT_NE(scene.rootController, nullptr);
    EXPECT_NE(scene.controllers.Find("BoxCtl"), nullptr);
    EXPECT_EQ(scene.controllers.Find("LampCtl"), nullptr);
    EXPECT_EQ(scene.activeCamera, scene.objects.Find("Cam"));
    scene.Render(0.0f);
}

TEST_F(SceneTest, FileCutOffAtAnyByteLoadsAndRenders) {
    const SceneFile file = FullSceneFile();
    for (std::size_t length = 0; length < file.bytes.size(); ++length) {
        SCOPED_TRACE(length);
        Scene& scene = LoadSceneBytes(Prefix(file.bytes, length));
        if (scene.flares) {
            RecordFlares(scene);
        }
        scene.Render(0.0f);
        scene.Render(1.5f);
        scene.DisableLights();
        scenes.clear();
    }
}

TEST_F(SceneTest, FlareCountTheFileCannotHoldEndsTheLoad) {
    const std::vector<std::uint8_t> valid = MinimalSceneFile(10);
    ByteBuilder b;
    b.Str("ZEB3D").U32(0xFFFFFFFF); // frames of at least 8 bytes
    b.Raw(std::vector<std::uint8_t>(valid.begin() + 10, valid.end()));
    Scene& scene = LoadSceneBytes(b.Bytes());
    ASSERT_TRUE(scene.flares);
    EXPECT_EQ(scene.flares->frameCount, 0u);
    EXPECT_EQ(scene.lastFrame, 0u);
    EXPECT_EQ(scene.rootController, nullptr);
    scene.Render(3.0f);
}

} // namespace

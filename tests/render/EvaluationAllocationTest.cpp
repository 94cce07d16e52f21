// Checks that a warm scene evaluation allocates nothing, by counting every global operator new.
#include "scene/Scene.h"

#include "anim/Track.h"
#include "anim/Vector3.h"
#include "device/RecordingDeviceFixture.h"
#include "render/SceneBuilding.h"
#include "scene/Camera.h"
#include "scene/Controller.h"
#include "scene/Mesh.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {

// Every allocation through a global operator new of this program, in any form.
std::atomic<std::uint64_t> allocations{0};

void* Allocate(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    std::size_t align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*)) {
        align = sizeof(void*);
    }
    void* p = nullptr;
    return posix_memalign(&p, align, size != 0 ? size : 1) == 0 ? p : nullptr;
}

void* AllocateOrThrow(std::size_t size) {
    if (void* p = Allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}

void* AllocateAlignedOrThrow(std::size_t size, std::align_val_t alignment) {
    if (void* p = AllocateAligned(size, alignment)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

// The replaceable allocation functions, all of them, so that no form escapes the count; the
// sized and aligned deletes free alike, since malloc and posix_memalign memory both go to free.
void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAlignedOrThrow(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAligned(size, alignment);
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

std::uint64_t Allocations() {
    return allocations.load(std::memory_order_relaxed);
}

// Keeps the compiler from proving a pointer unused and removing the allocation behind it.
void Escape(void* p) {
    asm volatile("" : : "r"(p) : "memory");
}

std::unique_ptr<FloatTrack> Floats(std::vector<FloatKey> keys) {
    auto track = std::make_unique<FloatTrack>();
    track->keys = std::move(keys);
    track->PrepareKeys();
    return track;
}

FloatKey FloatAt(float time, float value) {
    FloatKey key;
    key.time = time;
    key.value = value;
    return key;
}

RotationKey TurnKey(float time, const Vector3& axis, float angle) {
    RotationKey key;
    key.time = time;
    key.axis = axis;
    key.angle = angle;
    return key;
}

class EvaluationAllocationTest : public RecordingDeviceTest {
protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        scene.InitDevice(device.Get(), 0);
        scene.nearPlane = 5.0f;
        scene.farPlane = 50000.0f;
        BuildScene();
    }

    // root
    //   group (quaternion rotation with a whole turn, scale)
    //     mesh node (position, Euler rotation): rigid mesh with morph and visibility tracks
    //       bone-like grouping node
    //     light node (position): light 0
    //     second light node: light 1
    //     target node (position): camera target
    //   free camera node (scale, position): free camera with a field of view track
    //   target camera node (position): target camera with field of view and roll tracks
    void BuildScene() {
        Controller* root = NewNode(scene);
        scene.rootController = root;

        Controller* group = NewNode(scene);
        AddChild(root, group);
        auto turns = std::make_unique<RotationTrack>();
        turns->keys = {TurnKey(0.0f, {0.0f, 1.0f, 0.0f}, 0.0f),
                       TurnKey(40.0f, {0.0f, 1.0f, 0.0f}, 7.0f),
                       TurnKey(80.0f, {1.0f, 0.0f, 0.0f}, 1.0f)};
        turns->PrepareKeys();
        group->rotationTrack = std::move(turns);
        group->scaleTrack =
            Vectors<ScaleTrack>({Key(0.0f, {1.0f, 1.0f, 1.0f}), Key(50.0f, {2.0f, 1.0f, 0.5f})});

        Controller* meshNode = NewNode(scene);
        AddChild(group, meshNode);
        meshNode->positionTrack =
            Vectors<PositionTrack>({Key(0.0f, {0.0f, 0.0f, 0.0f}), Key(30.0f, {10.0f, 5.0f, 0.0f}),
                                    Key(60.0f, {0.0f, 0.0f, 20.0f})});
        meshNode->rotationTrack = Vectors<EulerRotationTrack>(
            {Key(0.0f, {0.0f, 0.0f, 0.0f}), Key(60.0f, {1.0f, 2.0f, 3.0f})});
        auto* mesh = Drive<RigidMesh>(scene, meshNode);
        auto* morphA = Adopt<Mesh>(scene);
        auto* morphB = Adopt<Mesh>(scene);
        mesh->morphTrack = std::make_unique<MorphTrack>();
        mesh->morphTrack->keys = {
            {0.0f, morphA, 0.2f, 0.3f}, {25.0f, morphB, 0.0f, 0.0f}, {50.0f, morphA, 0.5f, 0.5f}};
        mesh->visibilityTrack = std::make_unique<StepTrack>();
        mesh->visibilityTrack->keys = {
            {0.0f, 0u, 0.0f, 0.0f}, {20.0f, 1u, 0.0f, 0.0f}, {45.0f, 0u, 0.0f, 0.0f}};
        AddChild(meshNode, NewNode(scene));

        Controller* lightNode = NewNode(scene);
        AddChild(group, lightNode);
        lightNode->positionTrack = Vectors<PositionTrack>(
            {Key(0.0f, {0.0f, 50.0f, 0.0f}), Key(70.0f, {30.0f, 50.0f, -30.0f})});
        Drive<Light>(scene, lightNode)->lightIndex = 0;
        Controller* secondLightNode = NewNode(scene);
        AddChild(group, secondLightNode);
        Drive<Light>(scene, secondLightNode)->lightIndex = 1;

        Controller* targetNode = NewNode(scene);
        AddChild(group, targetNode);
        targetNode->positionTrack = Vectors<PositionTrack>(
            {Key(0.0f, {0.0f, 0.0f, 10.0f}), Key(90.0f, {10.0f, 0.0f, 10.0f})});
        auto* target = Drive<CameraTarget>(scene, targetNode);

        Controller* freeNode = NewNode(scene);
        AddChild(root, freeNode);
        freeNode->scaleTrack = Vectors<ScaleTrack>({Key(0.0f, {1.0f, 1.0f, 1.0f})});
        freeNode->positionTrack = Vectors<PositionTrack>(
            {Key(0.0f, {0.0f, 0.0f, -100.0f}), Key(90.0f, {0.0f, 20.0f, -80.0f})});
        auto* freeCamera = Drive<FreeCamera>(scene, freeNode);
        freeCamera->fovTrack = Floats({FloatAt(0.0f, 45.0f), FloatAt(90.0f, 60.0f)});

        Controller* cameraNode = NewNode(scene);
        AddChild(root, cameraNode);
        cameraNode->positionTrack = Vectors<PositionTrack>(
            {Key(0.0f, {0.0f, 10.0f, -50.0f}), Key(45.0f, {20.0f, 10.0f, -40.0f})});
        auto* camera = Drive<TargetCamera>(scene, cameraNode);
        camera->target = target;
        camera->fovTrack =
            Floats({FloatAt(0.0f, 50.0f), FloatAt(30.0f, 70.0f), FloatAt(60.0f, 40.0f)});
        camera->rollTrack = Floats({FloatAt(0.0f, 0.0f), FloatAt(60.0f, 45.0f)});
        scene.activeCamera = camera;
        lastNode = cameraNode;
    }

    Scene scene;
    Controller* lastNode = nullptr; // the last node the walk visits
};

TEST_F(EvaluationAllocationTest, CounterSeesADeliberateAllocation) {
    struct Case {
        const char* name;
        void (*allocate)();
    } cases[] = {
        {"new", [] { Escape(std::make_unique<int>(7).get()); }},
        {"new[]", [] { Escape(std::make_unique<int[]>(9).get()); }},
        {"nothrow new",
         [] {
             void* p = ::operator new(24, std::nothrow);
             Escape(p);
             ::operator delete(p, std::nothrow);
         }},
        {"aligned new",
         [] {
             void* p = ::operator new (24, std::align_val_t{64});
             Escape(p);
             ::operator delete (p, std::align_val_t{64});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint64_t before = Allocations();
        c.allocate();
        EXPECT_EQ(Allocations() - before, 1u);
    }
}

TEST_F(EvaluationAllocationTest, WarmEvaluationAllocatesNothing) {
    scene.Evaluate(0.0f);
    // The warm-up frame reached the device: both lights and the camera's transforms.
    EXPECT_EQ(recorder->CallsNamed("SetLight").size(), 2u);
    EXPECT_EQ(recorder->CallsNamed("SetTransform").size(), 2u);
    recorder->SetRecording(false);

    // Times before, between, on and after the keys, forwards and backwards.
    float time = 0.0f;
    const std::uint64_t before = Allocations();
    for (int frame = 0; frame < 100; ++frame) {
        time = frame % 2 == 0 ? -5.0f + 1.13f * static_cast<float>(frame)
                              : 110.0f - 1.7f * static_cast<float>(frame);
        scene.Evaluate(time);
    }
    const std::uint64_t after = Allocations();

    recorder->SetRecording(true);
    EXPECT_EQ(after - before, 0u);
    EXPECT_EQ(lastNode->time, time); // the walks ran to the end of the tree
}

} // namespace

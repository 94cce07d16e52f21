// Tests of the meshes' per-frame update: world transform, morph values and visibility.
#include "scene/Mesh.h"

#include "anim/Matrix.h"
#include "anim/Track.h"
#include "anim/Vector3.h"
#include "render/SceneBuilding.h"
#include "scene/Controller.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

StepKey<Mesh*> MorphKey(float time, Mesh* target, float easeFrom = 0.0f, float easeTo = 0.0f) {
    StepKey<Mesh*> key;
    key.time = time;
    key.value = target;
    key.easeFrom = easeFrom;
    key.easeTo = easeTo;
    return key;
}

StepKey<std::uint32_t> VisibilityKey(float time, std::uint32_t hidden) {
    StepKey<std::uint32_t> key;
    key.time = time;
    key.value = hidden;
    return key;
}

// A scene whose root drives one mesh of the given class, moved and turned by its tracks.
template <typename MeshType>
struct OneMeshScene {
    OneMeshScene() {
        root = NewNode(scene);
        root->positionTrack = Vectors<PositionTrack>(
            {Key(0.0f, {0.0f, 0.0f, 0.0f}), Key(10.0f, {20.0f, 0.0f, 5.0f})});
        root->rotationTrack = Vectors<EulerRotationTrack>(
            {Key(0.0f, {0.0f, 0.0f, 0.0f}), Key(10.0f, {0.0f, 1.0f, 0.0f})});
        mesh = Adopt<MeshType>(scene);
        root->object = mesh;
        scene.rootController = root;
    }

    Scene scene;
    Controller* root = nullptr;
    MeshType* mesh = nullptr;
};

// Evaluates a one-mesh scene of the given class at time and checks the mesh took its node's
// world matrix, which carries the origin to position.
template <typename MeshType>
void ExpectWorldCopied(float time, const Vector3& position) {
    OneMeshScene<MeshType> s;

    s.scene.Evaluate(time);

    EXPECT_EQ(s.mesh->world, s.root->world);
    const Vector3 origin = Vector3Transform({0.0f, 0.0f, 0.0f}, s.mesh->world);
    EXPECT_NEAR(origin.x, position.x, 1e-4f);
    EXPECT_NEAR(origin.y, position.y, 1e-4f);
    EXPECT_NEAR(origin.z, position.z, 1e-4f);
}

TEST(MeshUpdateTest, EveryMeshClassCopiesItsNodesWorld) {
    // The node moves in a straight line from the origin to (20, 0, 5) over frames 0 to 10.
    struct Case {
        const char* name;
        void (*check)(float, const Vector3&);
        float time;
        Vector3 position;
    } cases[] = {
        {"mesh", &ExpectWorldCopied<Mesh>, 3.0f, {6.0f, 0.0f, 1.5f}},
        {"rigid mesh", &ExpectWorldCopied<RigidMesh>, 7.5f, {15.0f, 0.0f, 3.75f}},
        {"skinned mesh", &ExpectWorldCopied<SkinnedMesh>, 12.0f, {20.0f, 0.0f, 5.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.check(c.time, c.position);
    }
}

TEST(MeshUpdateTest, MorphValuesFollowTheStepTrackAtTheControllersTime) {
    // Keys at 0 (a), 10 (b, easing from 0.5 and to 0.25) and 20 (c). The key in force takes over
    // only after its time: a time equal to a key's lies in the segment ending at that key. In
    // the eased segment 10..20, k = 1 / (2 − 0.5 − 0.25) = 0.8 and the fraction at u is
    //   u < 0.5:          k / 0.5 · u²             (u = 0.25 → 0.1)
    //   0.5 ≤ u < 0.75:   k · (2u − 0.5)           (u = 0.6  → 0.56)
    //   u ≥ 0.75:         1 − k / 0.25 · (1 − u)²  (u = 0.875 → 0.95)
    Scene scene;
    Mesh* a = Adopt<Mesh>(scene);
    Mesh* b = Adopt<Mesh>(scene);
    Mesh* c = Adopt<Mesh>(scene);
    Mesh* mesh = Adopt<Mesh>(scene);
    mesh->morphTrack = std::make_unique<MorphTrack>();
    mesh->morphTrack->keys = {MorphKey(0.0f, a), MorphKey(10.0f, b, 0.5f, 0.25f),
                              MorphKey(20.0f, c)};
    Controller* root = NewNode(scene);
    root->object = mesh;
    scene.rootController = root;

    struct Case {
        float time;
        Mesh* from;
        Mesh* to;
        float fraction;
    } cases[] = {
        {-5.0f, a, a, 0.0f},                        // before the first key: key 0 alone
        {0.0f, a, b, 0.0f},                         // on key 0: start of the first segment
        {5.0f, a, b, 0.5f},                         // no easing: linear
        {10.0f, a, b, 1.0f},                        // on key 1: end of the first segment
        {12.5f, b, c, 0.1f},                        // eased start
        {16.0f, b, c, 0.56f},                       // linear middle
        {18.75f, b, c, 0.95f},                      // eased end
        {20.0f, b, c, 1.0f},   {25.0f, c, c, 1.0f}, // after the last key
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.time);

        scene.Evaluate(k.time);

        EXPECT_EQ(mesh->morphFrom, k.from);
        EXPECT_EQ(mesh->morphTo, k.to);
        EXPECT_NEAR(mesh->morphFraction, k.fraction, 1e-6f);
    }
}

TEST(MeshUpdateTest, SingleMorphKeyHoldsItsTargetWithFractionZero) {
    Scene scene;
    Mesh* only = Adopt<Mesh>(scene);
    Mesh* mesh = Adopt<Mesh>(scene);
    mesh->morphTrack = std::make_unique<MorphTrack>();
    mesh->morphTrack->keys = {MorphKey(5.0f, only)};
    Controller* root = NewNode(scene);
    root->object = mesh;
    scene.rootController = root;

    for (const float time : {0.0f, 5.0f, 50.0f}) {
        SCOPED_TRACE(time);
        scene.Evaluate(time);
        EXPECT_EQ(mesh->morphFrom, only);
        EXPECT_EQ(mesh->morphTo, only);
        EXPECT_EQ(mesh->morphFraction, 0.0f);
    }
}

TEST(MeshUpdateTest, VisibilityTrackSetsHiddenAtTheControllersTime) {
    // Shown from 0, hidden by the key at 10, shown again by the key at 20; each key takes over
    // only once its time has passed.
    struct Case {
        float time;
        std::uint32_t hidden;
    } cases[] = {
        {-5.0f, 0}, {0.0f, 0},  {5.0f, 0},  {10.0f, 0}, {10.5f, 1},
        {15.0f, 1}, {20.0f, 1}, {20.5f, 0}, {30.0f, 0}, {11.0f, 1},
    };
    OneMeshScene<RigidMesh> s;
    s.mesh->visibilityTrack = std::make_unique<StepTrack>();
    s.mesh->visibilityTrack->keys = {VisibilityKey(0.0f, 0), VisibilityKey(10.0f, 1),
                                     VisibilityKey(20.0f, 0)};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);

        s.scene.Evaluate(c.time);

        EXPECT_EQ(s.mesh->hidden, c.hidden);
    }
}

TEST(MeshUpdateTest, MeshWithoutTracksKeepsItsLoadedValues) {
    struct Case {
        std::uint32_t hidden;
    } cases[] = {{0}, {1}, {7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hidden);
        OneMeshScene<Mesh> s;
        Mesh* other = Adopt<Mesh>(s.scene);
        s.mesh->hidden = c.hidden;
        s.mesh->morphFrom = other;
        s.mesh->morphTo = other;
        s.mesh->morphFraction = 0.25f;

        for (const float time : {0.0f, 4.0f, 40.0f}) {
            s.scene.Evaluate(time);
            EXPECT_EQ(s.mesh->hidden, c.hidden);
            EXPECT_EQ(s.mesh->morphFrom, other);
            EXPECT_EQ(s.mesh->morphTo, other);
            EXPECT_EQ(s.mesh->morphFraction, 0.25f);
        }
    }
}

} // namespace

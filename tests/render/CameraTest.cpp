// Tests of the cameras' per-frame update and of the projection and view they set on the device.
#include "scene/Camera.h"

#include "anim/Matrix.h"
#include "anim/Track.h"
#include "anim/Vector3.h"
#include "device/RecordingDeviceFixture.h"
#include "render/SceneBuilding.h"
#include "scene/Controller.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// f32 nearest to 0.00872664: degrees of a full angle to radians of its half.
constexpr double kHalfDegree = static_cast<double>(0.00872664f);

// A float track through the given (time, value) keys with default tension, continuity and bias.
// With two keys both tangents are the difference of the values, so the curve is the straight
// line between them, held outside.
std::unique_ptr<FloatTrack> Floats(std::initializer_list<std::pair<float, float>> points) {
    auto track = std::make_unique<FloatTrack>();
    for (const auto& [time, value] : points) {
        FloatKey key;
        key.time = time;
        key.value = value;
        track->keys.push_back(key);
    }
    track->PrepareKeys();
    return track;
}

// Every element of the projection from its definition: f = 1 / tan(fov · 0.00872664),
// Q = far / (far − near); (0,0) = f · aspect, (1,1) = f, (2,2) = Q, (2,3) = 1, (3,2) = −Q · near.
Matrix ExpectedProjection(double fovDegrees, double aspect, double nearPlane, double farPlane) {
    const double f = 1.0 / std::tan(fovDegrees * kHalfDegree);
    const double q = farPlane / (farPlane - nearPlane);
    Matrix m;
    m.m[0][0] = static_cast<float>(f * aspect);
    m.m[1][1] = static_cast<float>(f);
    m.m[2][2] = static_cast<float>(q);
    m.m[2][3] = 1.0f;
    m.m[3][2] = static_cast<float>(-q * nearPlane);
    return m;
}

// Each element within tolerance times the larger of 1 and the expected magnitude.
void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const float scale = std::fmax(1.0f, std::fabs(expected.m[i][j]));
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance * scale)
                << "element (" << i << ", " << j << ")";
        }
    }
}

struct TransformCall {
    std::uint64_t state;
    Matrix matrix;
};

class CameraTest : public RecordingDeviceTest {
protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        scene.InitDevice(device.Get(), 0);
        // The demo's scenes draw from 5 to 50000 units.
        scene.nearPlane = 5.0f;
        scene.farPlane = 50000.0f;
        root = NewNode(scene);
        scene.rootController = root;
        recorder->ClearCalls();
    }

    std::vector<TransformCall> TransformCalls() const {
        std::vector<TransformCall> calls;
        for (const RecordedCall& call : recorder->CallsNamed("SetTransform")) {
            calls.push_back({call.args.at(0).As<std::uint64_t>(), call.args.at(1).As<Matrix>()});
        }
        return calls;
    }

    // The view matrix of the frame's single SetTransform (D3DTS_VIEW).
    Matrix RecordedView() const {
        for (const TransformCall& call : TransformCalls()) {
            if (call.state == D3DTS_VIEW) {
                return call.matrix;
            }
        }
        ADD_FAILURE() << "no view transform was set";
        return Matrix{};
    }

    Matrix RecordedProjection() const {
        for (const TransformCall& call : TransformCalls()) {
            if (call.state == D3DTS_PROJECTION) {
                return call.matrix;
            }
        }
        ADD_FAILURE() << "no projection transform was set";
        return Matrix{};
    }

    // A target camera at eye looking at a target node at target, both under the root.
    TargetCamera* AddTargetCamera(const Vector3& eye, const Vector3& target) {
        Controller* cameraNode = NewNode(scene);
        Controller* targetNode = NewNode(scene);
        AddChild(root, cameraNode);
        AddChild(root, targetNode);
        cameraNode->positionTrack = Constant<PositionTrack>(eye);
        targetNode->positionTrack = Constant<PositionTrack>(target);
        auto* camera = Drive<TargetCamera>(scene, cameraNode);
        camera->target = Drive<CameraTarget>(scene, targetNode);
        return camera;
    }

    Scene scene;
    Controller* root = nullptr;
};

TEST_F(CameraTest, FreeCameraWithIdentityWorldSetsIdentityView) {
    auto* camera = Drive<FreeCamera>(scene, root);
    scene.activeCamera = camera;

    scene.Evaluate(0.0f);

    ExpectMatrixNear(camera->view, MatrixIdentity(), 1e-6f);
    ExpectMatrixNear(RecordedView(), MatrixIdentity(), 1e-6f);
    EXPECT_EQ(camera->position, Vector3(0.0f, 0.0f, 0.0f));
}

TEST_F(CameraTest, FreeCameraViewUndoesItsNodesTransform) {
    // A turned and moved node under a moved parent: the view takes every point of the node's
    // own space back to where it was in that space, so the camera sits at the view's origin and
    // looks along the node's +z.
    struct Case {
        Vector3 local;
    } cases[] = {
        {{0.0f, 0.0f, 0.0f}}, {{0.0f, 0.0f, 1.0f}}, {{0.0f, 1.0f, 0.0f}}, {{2.0f, -3.0f, 5.0f}}};
    Controller* node = NewNode(scene);
    AddChild(root, node);
    root->positionTrack = Constant<PositionTrack>({0.0f, 10.0f, 0.0f});
    auto euler = std::make_unique<EulerRotationTrack>();
    VectorKey angles;
    angles.value = {0.3f, 0.5f, 0.2f};
    euler->keys.push_back(angles);
    node->rotationTrack = std::move(euler);
    node->positionTrack = Constant<PositionTrack>({1.0f, 2.0f, 3.0f});
    auto* camera = Drive<FreeCamera>(scene, node);
    scene.activeCamera = camera;

    scene.Evaluate(0.0f);

    ExpectVectorNear(camera->position, {1.0f, 12.0f, 3.0f}, 1e-5f);
    const Matrix view = RecordedView();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.local.x << ", " << c.local.y << ", " << c.local.z);
        const Vector3 world = Vector3Transform(c.local, node->world);
        ExpectVectorNear(Vector3Transform(world, view), c.local, 1e-5f);
    }
}

TEST_F(CameraTest, FreeCameraApplySetsProjectionThenView) {
    root->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, -20.0f});
    auto* camera = Drive<FreeCamera>(scene, root);
    camera->fieldOfView = 60.0f;
    scene.activeCamera = camera;

    scene.Evaluate(0.0f);

    const std::vector<RecordedCall>& calls = recorder->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].method, "SetTransform");
    EXPECT_EQ(calls[0].args.at(0).As<std::uint64_t>(), 3u); // D3DTS_PROJECTION
    ExpectMatrixNear(calls[0].args.at(1).As<Matrix>(), ExpectedProjection(60.0, 0.75, 5.0, 50000.0),
                     1e-6f);
    EXPECT_EQ(calls[1].method, "SetTransform");
    EXPECT_EQ(calls[1].args.at(0).As<std::uint64_t>(), 2u); // D3DTS_VIEW
    ExpectMatrixNear(calls[1].args.at(1).As<Matrix>(), Translation(0.0f, 0.0f, 20.0f), 1e-6f);
}

TEST_F(CameraTest, SixtyDegreesWithTheDefaultAspectGivesTheKnownProjection) {
    auto* camera = Drive<FreeCamera>(scene, root);
    camera->fieldOfView = 60.0f;
    scene.activeCamera = camera;
    ASSERT_EQ(scene.aspectRatio, 0.75f);

    scene.Evaluate(0.0f);

    const Matrix p = RecordedProjection();
    // 1 / tan(60 · 0.00872664): the constant is a hair below π/360, so f is a hair above √3.
    EXPECT_NEAR(p.m[1][1], 1.7320524f, 2e-6f);
    EXPECT_NEAR(p.m[0][0], 0.75f * 1.7320524f, 2e-6f);
    EXPECT_NEAR(p.m[2][2], 50000.0f / 49995.0f, 1e-6f);
    EXPECT_EQ(p.m[2][3], 1.0f);
    EXPECT_NEAR(p.m[3][2], -5.0f * 50000.0f / 49995.0f, 1e-5f);
    EXPECT_EQ(p.m[3][3], 0.0f);
}

TEST_F(CameraTest, ProjectionFollowsTheScenesSettings) {
    struct Case {
        float fov, aspect, nearPlane, farPlane;
    } cases[] = {
        {60.0f, 0.75f, 5.0f, 50000.0f},
        {90.0f, 1.0f, 1.0f, 2.0f}, // f a hair above 1, Q = 2, (3,2) = −2
        {45.0f, 0.75f, 5.0f, 50000.0f},
        {30.0f, 1.5f, 0.5f, 100.0f},
    };
    auto* camera = Drive<FreeCamera>(scene, root);
    scene.activeCamera = camera;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fov " << c.fov << " aspect " << c.aspect);
        camera->fieldOfView = c.fov;
        scene.aspectRatio = c.aspect;
        scene.nearPlane = c.nearPlane;
        scene.farPlane = c.farPlane;
        recorder->ClearCalls();

        scene.Evaluate(0.0f);

        ExpectMatrixNear(RecordedProjection(),
                         ExpectedProjection(c.fov, c.aspect, c.nearPlane, c.farPlane), 2e-6f);
    }
}

TEST_F(CameraTest, TargetCameraAtOriginLookingAlongZWithoutRollSetsIdentityView) {
    TargetCamera* camera = AddTargetCamera({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 10.0f});
    scene.activeCamera = camera;

    scene.Evaluate(0.0f);

    ExpectMatrixNear(RecordedView(), MatrixIdentity(), 1e-6f);
    ExpectMatrixNear(camera->view, MatrixIdentity(), 1e-6f);
}

TEST_F(CameraTest, TargetCameraViewLooksAtTheTargetAndTurnsByRoll) {
    // With D = target − eye: yaw = −atan2(D.x, D.z), pitch = asin(D.y / |D|) and
    // r = roll · (−0.01745328). Looking from the origin along +z, yaw = pitch = 0 and R has rows
    // (cr, −sr, 0), (sr, cr, 0), (0, 0, 1). Roll 90 gives r = −π/2, cr = 0, sr = −1: rows
    // (0, 1, 0), (−1, 0, 0), so world x appears as view y and world y as view −x. Roll 180 turns
    // both axes over. Looking from (1, 2, 3) along +x, yaw = −π/2, cy = 0, sy = −1: rows
    // (0, 0, 1), (0, 1, 0), (−1, 0, 0) after the move by −eye.
    struct Case {
        Vector3 eye, target;
        float roll;
        Vector3 point, viewed;
    } cases[] = {
        {{0, 0, 0}, {0, 0, 10}, 0.0f, {1, 0, 0}, {1, 0, 0}},
        {{0, 0, 0}, {0, 0, 10}, 0.0f, {0, 1, 0}, {0, 1, 0}},
        {{0, 0, 0}, {0, 0, 10}, 90.0f, {1, 0, 0}, {0, 1, 0}},
        {{0, 0, 0}, {0, 0, 10}, 90.0f, {0, 1, 0}, {-1, 0, 0}},
        {{0, 0, 0}, {0, 0, 10}, 90.0f, {0, 0, 10}, {0, 0, 10}},
        {{0, 0, 0}, {0, 0, 10}, 180.0f, {1, 0, 0}, {-1, 0, 0}},
        {{0, 0, 0}, {0, 0, 10}, 180.0f, {0, 1, 0}, {0, -1, 0}},
        {{1, 2, 3}, {11, 2, 3}, 0.0f, {11, 2, 3}, {0, 0, 10}},
        {{1, 2, 3}, {11, 2, 3}, 0.0f, {1, 2, 3}, {0, 0, 0}},
        {{1, 2, 3}, {11, 2, 3}, 0.0f, {1, 3, 3}, {0, 1, 0}},
        {{1, 2, 3}, {11, 2, 3}, 0.0f, {1, 2, 4}, {-1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "eye (" << c.eye.x << ", " << c.eye.y << ", " << c.eye.z
                                        << ") roll " << c.roll << " point (" << c.point.x << ", "
                                        << c.point.y << ", " << c.point.z << ")");
        TargetCamera* camera = AddTargetCamera(c.eye, c.target);
        camera->roll = c.roll;
        scene.activeCamera = camera;
        recorder->ClearCalls();

        scene.Evaluate(0.0f);

        ExpectVectorNear(Vector3Transform(c.point, RecordedView()), c.viewed, 1e-5f);
        root->child = nullptr; // the next case's camera stands alone
    }
}

TEST_F(CameraTest, FieldOfViewAndRollTracksAreSampledAtTheControllersTime) {
    // Straight lines: fov 40 → 80 and roll 0 → 90 over frames 0 to 10, held outside.
    struct Case {
        float time, fov, roll;
    } cases[] = {
        {-5.0f, 40.0f, 0.0f}, {0.0f, 40.0f, 0.0f},   {2.5f, 50.0f, 22.5f},
        {5.0f, 60.0f, 45.0f}, {10.0f, 80.0f, 90.0f}, {20.0f, 80.0f, 90.0f},
    };
    TargetCamera* camera = AddTargetCamera({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 10.0f});
    camera->fovTrack = Floats({{0.0f, 40.0f}, {10.0f, 80.0f}});
    camera->rollTrack = Floats({{0.0f, 0.0f}, {10.0f, 90.0f}});
    Controller* freeNode = NewNode(scene);
    AddChild(root, freeNode);
    auto* freeCamera = Drive<FreeCamera>(scene, freeNode);
    freeCamera->fovTrack = Floats({{0.0f, 40.0f}, {10.0f, 80.0f}});
    scene.activeCamera = camera;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        recorder->ClearCalls();

        scene.Evaluate(c.time);

        EXPECT_NEAR(camera->fieldOfView, c.fov, 1e-4f);
        EXPECT_NEAR(camera->roll, c.roll, 1e-4f);
        EXPECT_NEAR(freeCamera->fieldOfView, c.fov, 1e-4f);
        ExpectMatrixNear(RecordedProjection(), ExpectedProjection(c.fov, 0.75, 5.0, 50000.0),
                         1e-5f);
        // Roll turns view x towards view y: world (1, 0, 0) appears at (cos roll, sin roll, 0).
        const double radians = c.roll * std::numbers::pi / 180.0;
        ExpectVectorNear(
            Vector3Transform({1.0f, 0.0f, 0.0f}, RecordedView()),
            {static_cast<float>(std::cos(radians)), static_cast<float>(std::sin(radians)), 0.0f},
            1e-5f);
    }
}

TEST_F(CameraTest, CameraWithoutTracksKeepsItsRecordsFieldOfViewAndRoll) {
    const float times[] = {0.0f, 50.0f, -7.0f};
    TargetCamera* camera = AddTargetCamera({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 10.0f});
    camera->fieldOfView = 45.0f;
    camera->roll = 30.0f;
    scene.activeCamera = camera;

    for (const float time : times) {
        SCOPED_TRACE(time);
        recorder->ClearCalls();

        scene.Evaluate(time);

        EXPECT_EQ(camera->fieldOfView, 45.0f);
        EXPECT_EQ(camera->roll, 30.0f);
        ExpectMatrixNear(RecordedProjection(), ExpectedProjection(45.0, 0.75, 5.0, 50000.0), 1e-5f);
        // (cos 30°, sin 30°, 0).
        ExpectVectorNear(Vector3Transform({1.0f, 0.0f, 0.0f}, RecordedView()),
                         {0.8660254f, 0.5f, 0.0f}, 1e-5f);
    }
}

TEST_F(CameraTest, TargetCameraWithoutUsableTargetLooksAlongZFromItsPosition) {
    struct Case {
        const char* name;
        bool targetOnCamera; // false: no target at all
    } cases[] = {{"no target", false}, {"target on the camera", true}};
    struct Probe {
        Vector3 point, viewed;
    } probes[] = {
        {{3.0f, 4.0f, 5.0f}, {0.0f, 0.0f, 0.0f}},
        {{3.0f, 4.0f, 6.0f}, {0.0f, 0.0f, 1.0f}},
        {{3.0f, 5.0f, 5.0f}, {0.0f, 1.0f, 0.0f}},
        {{4.0f, 4.0f, 5.0f}, {1.0f, 0.0f, 0.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TargetCamera* camera = AddTargetCamera({3.0f, 4.0f, 5.0f}, {3.0f, 4.0f, 5.0f});
        if (!c.targetOnCamera) {
            camera->target = nullptr;
        }
        scene.activeCamera = camera;
        recorder->ClearCalls();

        scene.Evaluate(0.0f);

        const Matrix view = RecordedView();
        for (const Probe& probe : probes) {
            ExpectVectorNear(Vector3Transform(probe.point, view), probe.viewed, 1e-5f);
        }
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                EXPECT_TRUE(std::isfinite(view.m[i][j])) << "element (" << i << ", " << j << ")";
            }
        }
        root->child = nullptr;
    }
}

TEST_F(CameraTest, OnlyTheActiveCameraReachesTheDevice) {
    Controller* freeNode = NewNode(scene);
    AddChild(root, freeNode);
    freeNode->positionTrack = Constant<PositionTrack>({0.0f, 0.0f, -20.0f});
    auto* freeCamera = Drive<FreeCamera>(scene, freeNode);
    freeCamera->fieldOfView = 50.0f;
    TargetCamera* targetCamera = AddTargetCamera({5.0f, 0.0f, 0.0f}, {5.0f, 0.0f, 10.0f});
    targetCamera->fovTrack = Floats({{0.0f, 70.0f}});

    scene.activeCamera = freeCamera;
    scene.Evaluate(0.0f);

    // The other camera was updated all the same.
    EXPECT_EQ(targetCamera->position, Vector3(5.0f, 0.0f, 0.0f));
    EXPECT_EQ(targetCamera->fieldOfView, 70.0f);
    std::vector<TransformCall> calls = TransformCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].state, static_cast<std::uint64_t>(D3DTS_PROJECTION));
    ExpectMatrixNear(calls[0].matrix, ExpectedProjection(50.0, 0.75, 5.0, 50000.0), 1e-6f);
    EXPECT_EQ(calls[1].state, static_cast<std::uint64_t>(D3DTS_VIEW));
    ExpectMatrixNear(calls[1].matrix, Translation(0.0f, 0.0f, 20.0f), 1e-6f);

    scene.activeCamera = targetCamera;
    recorder->ClearCalls();
    scene.Evaluate(0.0f);

    calls = TransformCalls();
    ASSERT_EQ(calls.size(), 2u);
    ExpectMatrixNear(calls[0].matrix, ExpectedProjection(70.0, 0.75, 5.0, 50000.0), 1e-6f);
    ExpectMatrixNear(calls[1].matrix, Translation(-5.0f, 0.0f, 0.0f), 1e-6f);
}

TEST_F(CameraTest, SceneWithoutActiveCameraSetsNoTransform) {
    Drive<FreeCamera>(scene, root);
    Controller* node = NewNode(scene);
    AddChild(root, node);
    Drive<TargetCamera>(scene, node);

    scene.Evaluate(0.0f);

    EXPECT_TRUE(recorder->CallsNamed("SetTransform").empty());
}

} // namespace

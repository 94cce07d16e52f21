// Tests of the lights' per-frame update, which sets a device point light during the walk.
#include "scene/SceneObject.h"

#include "anim/Track.h"
#include "anim/Vector3.h"
#include "device/RecordingDeviceFixture.h"
#include "render/SceneBuilding.h"
#include "scene/Controller.h"
#include "scene/Material.h"
#include "scene/Scene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

// A light driven by node, lighting the device's slot lightIndex.
Light* DriveLight(Scene& scene, Controller* node, std::uint32_t lightIndex) {
    Light* light = Drive<Light>(scene, node);
    light->lightIndex = lightIndex;
    return light;
}

// Every member of the light the demo's lights set, as listed for them: a grey point light with
// range 500 and attenuation (1, 0.001, 0), everything else zero.
void ExpectDemoLight(const D3DLIGHT8& light, const Vector3& position, float tolerance) {
    EXPECT_EQ(light.Type, D3DLIGHT_POINT);
    EXPECT_EQ(light.Diffuse, (D3DCOLORVALUE{0.75f, 0.75f, 0.75f, 0.0f}));
    EXPECT_EQ(light.Specular, (D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(light.Ambient, (D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_NEAR(light.Position.x, position.x, tolerance);
    EXPECT_NEAR(light.Position.y, position.y, tolerance);
    EXPECT_NEAR(light.Position.z, position.z, tolerance);
    EXPECT_EQ(light.Direction, (D3DVECTOR{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(light.Range, 500.0f);
    EXPECT_EQ(light.Falloff, 0.0f);
    EXPECT_EQ(light.Attenuation0, 1.0f);
    EXPECT_EQ(light.Attenuation1, 0.001f);
    EXPECT_EQ(light.Attenuation2, 0.0f);
    EXPECT_EQ(light.Theta, 0.0f);
    EXPECT_EQ(light.Phi, 0.0f);
}

class LightTest : public RecordingDeviceTest {
protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        scene.InitDevice(device.Get(), 0);
        root = NewNode(scene);
        scene.rootController = root;
        recorder->ClearCalls();
    }

    Scene scene;
    Controller* root = nullptr;
};

TEST_F(LightTest, UpdateSetsAndEnablesTheDemoPointLightAtTheNodesPosition) {
    Controller* node = NewNode(scene);
    AddChild(root, node);
    root->positionTrack = Constant<PositionTrack>({10.0f, 0.0f, 0.0f});
    node->positionTrack = Constant<PositionTrack>({1.0f, 2.0f, 3.0f});
    Light* light = DriveLight(scene, node, 3);

    scene.Evaluate(0.0f);

    EXPECT_EQ(light->position, Vector3(11.0f, 2.0f, 3.0f));
    const std::vector<RecordedCall>& calls = recorder->Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].method, "SetLight");
    EXPECT_EQ(calls[0].args.at(0).As<std::uint64_t>(), 3u);
    ExpectDemoLight(calls[0].args.at(1).As<D3DLIGHT8>(), {11.0f, 2.0f, 3.0f}, 0.0f);
    EXPECT_EQ(calls[1].method, "LightEnable");
    EXPECT_EQ(calls[1].args.at(0).As<std::uint64_t>(), 3u);
    EXPECT_EQ(calls[1].args.at(1).As<std::uint64_t>(), static_cast<std::uint64_t>(TRUE));

    // The device holds it.
    D3DLIGHT8 held{};
    ASSERT_EQ(device->GetLight(3, &held), D3D_OK);
    ExpectDemoLight(held, {11.0f, 2.0f, 3.0f}, 0.0f);
    BOOL enabled = FALSE;
    ASSERT_EQ(device->GetLightEnable(3, &enabled), D3D_OK);
    EXPECT_EQ(enabled, TRUE);
}

TEST_F(LightTest, MovingNodeMovesTheLightInTheSameFrame) {
    // Two keys with default spline settings: a straight line from the origin to (100, 0, −50)
    // over frames 0 to 10, held after.
    struct Case {
        float time;
        Vector3 position;
    } cases[] = {
        {0.0f, {0.0f, 0.0f, 0.0f}},      {5.0f, {50.0f, 0.0f, -25.0f}},
        {10.0f, {100.0f, 0.0f, -50.0f}}, {2.0f, {20.0f, 0.0f, -10.0f}},
        {20.0f, {100.0f, 0.0f, -50.0f}},
    };
    root->positionTrack =
        Vectors<PositionTrack>({Key(0.0f, {0.0f, 0.0f, 0.0f}), Key(10.0f, {100.0f, 0.0f, -50.0f})});
    Light* light = DriveLight(scene, root, 0);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        recorder->ClearCalls();

        scene.Evaluate(c.time);

        const std::vector<RecordedCall> lights = recorder->CallsNamed("SetLight");
        ASSERT_EQ(lights.size(), 1u);
        ExpectDemoLight(lights[0].args.at(1).As<D3DLIGHT8>(), c.position, 1e-4f);
        EXPECT_NEAR(light->position.x, c.position.x, 1e-4f);
        EXPECT_NEAR(light->position.z, c.position.z, 1e-4f);
    }
}

TEST_F(LightTest, TwoLightsEnableTheirOwnSlotsEveryFrame) {
    Controller* first = NewNode(scene);
    Controller* second = NewNode(scene);
    AddChild(root, first);
    AddChild(root, second);
    first->positionTrack = Constant<PositionTrack>({-1.0f, 0.0f, 0.0f});
    second->positionTrack = Constant<PositionTrack>({1.0f, 0.0f, 0.0f});
    DriveLight(scene, first, 0);
    DriveLight(scene, second, 1);

    for (const float time : {0.0f, 1.0f, 2.0f}) {
        SCOPED_TRACE(time);
        recorder->ClearCalls();

        scene.Evaluate(time);

        const std::vector<RecordedCall> sets = recorder->CallsNamed("SetLight");
        ASSERT_EQ(sets.size(), 2u);
        EXPECT_EQ(sets[0].args.at(0).As<std::uint64_t>(), 0u);
        EXPECT_EQ(sets[0].args.at(1).As<D3DLIGHT8>().Position, (D3DVECTOR{-1.0f, 0.0f, 0.0f}));
        EXPECT_EQ(sets[1].args.at(0).As<std::uint64_t>(), 1u);
        EXPECT_EQ(sets[1].args.at(1).As<D3DLIGHT8>().Position, (D3DVECTOR{1.0f, 0.0f, 0.0f}));
        const std::vector<RecordedCall> enables = recorder->CallsNamed("LightEnable");
        ASSERT_EQ(enables.size(), 2u);
        EXPECT_EQ(enables[0].args, (RecordedArgs{0u, TRUE}));
        EXPECT_EQ(enables[1].args, (RecordedArgs{1u, TRUE}));
    }
}

TEST_F(LightTest, RenderWithoutGlowsAskedForIssuesNoDeviceCall) {
    struct Case {
        const char* name;
        std::uint32_t deviceFlags;
        bool glowMaterial;
    } cases[] = {
        {"flags 0, no glow material", 0, false},
        {"flags 0 with a glow material", 0, true},
        {"glow flag without a glow material", kSceneLightGlows, false},
    };
    Light* light = DriveLight(scene, root, 0);
    scene.Evaluate(0.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scene.deviceFlags = c.deviceFlags;
        scene.glowMaterial = c.glowMaterial ? scene.materials.Find(kEmptyMaterialName) : nullptr;
        recorder->ClearCalls();

        light->Render();

        EXPECT_TRUE(recorder->Calls().empty());
    }
}

TEST(LightWithoutDeviceTest, UpdateStillTakesThePosition) {
    Scene scene; // never given a device
    Controller* root = NewNode(scene);
    root->positionTrack = Constant<PositionTrack>({4.0f, 5.0f, 6.0f});
    Light* light = DriveLight(scene, root, 0);
    scene.rootController = root;

    scene.Evaluate(0.0f);

    EXPECT_EQ(light->position, Vector3(4.0f, 5.0f, 6.0f));
}

} // namespace

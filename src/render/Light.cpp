#include "scene/SceneObject.h"

#include "scene/Controller.h"
#include "scene/Scene.h"

#include "device/D3D8.h"

void Light::Update(const Controller& controller) {
    PointObject::Update(controller);
    IDirect3DDevice8* device = scene ? scene->device : nullptr;
    if (!device) {
        return;
    }
    // Every light of every scene shines alike: grey, point, range 500, slight linear falloff.
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {0.75f, 0.75f, 0.75f, 0.0f};
    light.Position = {position.x, position.y, position.z};
    light.Range = 500.0f;
    light.Attenuation0 = 1.0f;
    light.Attenuation1 = 0.001f;
    device->SetLight(lightIndex, &light);
    device->LightEnable(lightIndex, TRUE);
}

void Light::Render() {
    // The glow quad is drawn only for scenes that ask for it; no scene of the demo does, and the
    // drawing of meshes and glows comes with the scene renderer.
}

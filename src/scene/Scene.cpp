#include "scene/Scene.h"

#include "scene/Camera.h"
#include "scene/FlareSequence.h"
#include "scene/MaterialLoader.h"
#include "scene/Mesh.h"
#include "scene/NodeLoader.h"
#include "scene/ObjectLoader.h"
#include "scene/SceneStream.h"

#include "platform/FileSystem.h"

#include <cmath>
#include <cstring>

namespace {

// The glow quad: a 15 x 15 square in its own xy plane, two triangles.
constexpr float kQuadPositions[4][3] = {
    {-7.5f, 7.5f, 0.0f}, {7.5f, 7.5f, 0.0f}, {7.5f, -7.5f, 0.0f}, {-7.5f, -7.5f, 0.0f}};
constexpr std::uint16_t kQuadIndices[6] = {0, 2, 1, 0, 3, 2};

} // namespace

Scene::Scene() {
    materials.Add(kEmptyMaterialName, AdoptMaterial(std::make_unique<EmptyMaterial>(this)));
}

Scene::~Scene() {
    // Objects release their buffers as they go; the tween declaration is the device's.
    if (device && tweenDeclaration != 0) {
        device->DeleteVertexShader(tweenDeclaration);
    }
}

SceneObject* Scene::AdoptObject(std::unique_ptr<SceneObject> object) {
    ownedObjects.push_back(std::move(object));
    return ownedObjects.back().get();
}

Controller* Scene::AdoptController(std::unique_ptr<Controller> controller) {
    ownedControllers.push_back(std::move(controller));
    return ownedControllers.back().get();
}

Material* Scene::AdoptMaterial(std::unique_ptr<Material> material) {
    ownedMaterials.push_back(std::move(material));
    return ownedMaterials.back().get();
}

void Scene::InitDevice(IDirect3DDevice8* newDevice, std::uint32_t flags) {
    deviceFlags = flags;
    device = newDevice;
    if (!device) {
        return;
    }
    D3DDEVICE_CREATION_PARAMETERS parameters{};
    if (SUCCEEDED(device->GetCreationParameters(&parameters)) &&
        (parameters.BehaviorFlags & D3DCREATE_MIXED_VERTEXPROCESSING) != 0) {
        deviceFlags |= kSceneSoftwareBlending;
    }
    if (FAILED(device->CreateVertexBuffer(sizeof kQuadPositions, D3DUSAGE_SOFTWAREPROCESSING,
                                          D3DFVF_XYZ, D3DPOOL_DEFAULT,
                                          quadVertexBuffer.ReleaseAndGetAddressOf()))) {
        return;
    }
    if (FAILED(device->CreateIndexBuffer(sizeof kQuadIndices, D3DUSAGE_SOFTWAREPROCESSING,
                                         D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                         quadIndexBuffer.ReleaseAndGetAddressOf()))) {
        return;
    }
    BYTE* bytes = nullptr;
    if (FAILED(quadVertexBuffer->Lock(0, 0, &bytes, 0))) {
        return;
    }
    std::memcpy(bytes, kQuadPositions, sizeof kQuadPositions);
    if (FAILED(quadVertexBuffer->Unlock())) {
        return;
    }
    if (FAILED(quadIndexBuffer->Lock(0, 0, &bytes, 0))) {
        return;
    }
    std::memcpy(bytes, kQuadIndices, sizeof kQuadIndices);
    if (FAILED(quadIndexBuffer->Unlock())) {
        return;
    }
    DWORD handle = 0;
    device->CreateVertexShader(kTweenDeclaration, nullptr, &handle, D3DUSAGE_SOFTWAREPROCESSING);
    tweenDeclaration = handle;
}

void Scene::Load(IDirect3DDevice8* flareDevice, const char* path) {
    if (!device) {
        throw QRV_CException{4};
    }
    const std::optional<std::vector<std::uint8_t>> file = ReadWholeFile(path);
    if (!file) {
        return;
    }
    SceneStream stream(*file);
    if (stream.ReadString() != std::optional<std::string>("ZEB3D")) {
        return;
    }
    if (!LoadSections(flareDevice, stream)) {
        return;
    }
    for (SceneObject* object : objects) {
        if (object->GetType() == kCameraType) {
            activeCamera = static_cast<Camera*>(object);
            break;
        }
    }
}

bool Scene::LoadSections(IDirect3DDevice8* flareDevice, SceneStream& stream) {
    flares = std::make_unique<FlareSequence>(flareDevice, stream);
    lastFrame = stream.ReadU32();
    if (stream.AtEnd()) {
        return false;
    }
    if (stream.ReadU32() != kMaterialMarker) {
        return false;
    }
    LoadMaterials(*this, stream);
    if (stream.AtEnd()) {
        return false;
    }
    if (stream.ReadU32() != kObjectMarker) {
        return false;
    }
    LoadObjects(*this, stream);
    if (stream.ReadU32() != kHierarchyMarker) {
        return false;
    }
    rootController = AdoptController(std::make_unique<Controller>(this));
    LoadNode(*this, *rootController, stream);
    return true;
}

void Scene::Evaluate(float time) {
    evaluationStack.Clear();
    evaluationStack.Push(MatrixIdentity());
    if (rootController) {
        rootController->Evaluate(time, evaluationStack);
    }
    if (activeCamera) {
        activeCamera->Apply();
    }
    evaluationStack.Clear();
}

void Scene::DrawObjects() {
    if (!device) {
        return;
    }
    for (SceneObject* object : objects) {
        object->Render();
    }
}

void Scene::Render(float time) {
    Evaluate(time);
    DrawObjects();
    if (flares) {
        // Truncation toward zero to a signed frame number taken as unsigned, so negative
        // times show the last frame; NaN and times beyond the 32-bit range give 0x80000000 (the
        // processor's "indefinite" integer), which also shows the last frame.
        std::uint32_t frame = 0x80000000u;
        if (time > -2147483904.0f && time < 2147483648.0f) {
            frame = static_cast<std::uint32_t>(static_cast<std::int32_t>(time));
        }
        flares->Draw(frame);
    }
}

void Scene::DisableLights() {
    if (!device) {
        return;
    }
    for (std::uint32_t slot = 0; slot < lightCount; ++slot) {
        device->LightEnable(slot, FALSE);
    }
}

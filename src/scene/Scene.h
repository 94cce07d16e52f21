// One animated 3D scene loaded from one scene file: materials, objects, animation hierarchy and
// flares, the scene-wide camera settings and the device resources it made.
#pragma once

#include "anim/MatrixStack.h"
#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "scene/Controller.h"
#include "scene/FlareSequence.h"
#include "scene/Material.h"
#include "scene/NamedList.h"
#include "scene/SceneObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class Camera;
class SceneStream;

// Raised for a call-order error of the caller; code 4: Scene::Load before Scene::InitDevice gave
// the scene a device.
struct QRV_CException {
    int code;
};

// Bits of Scene::deviceFlags.
enum SceneDeviceFlag : std::uint32_t {
    kSceneLightGlows = 0x01,       // lights draw a glow quad with glowMaterial
    kSceneTweenMorphs = 0x04,      // meshes with morph targets are drawn tweened
    kSceneSoftwareBlending = 0x10, // skinned and tweened draws switch to software processing
};

// Section markers of the scene file.
inline constexpr std::uint32_t kMaterialMarker = 0x1010;
inline constexpr std::uint32_t kObjectMarker = 0x2020;
inline constexpr std::uint32_t kHierarchyMarker = 0x3030;

class Scene {
public:
    // Empty lists, with the EmptyMaterial registered as "$EMPTYMATERIAL".
    Scene();
    // Frees everything the scene made. The device (a link) must still exist.
    ~Scene();

    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Keeps the device and the flags (adding 0x10 on a mixed vertex processing device) and makes
    // the glow quad's buffers and the tween declaration. Call once, before Load.
    void InitDevice(IDirect3DDevice8* device, std::uint32_t flags);
    // Reads the scene file at path; a missing file, a wrong magic or section marker ends the
    // load there, keeping what was read. The device argument is used only for the flare picture.
    // Throws QRV_CException{4} when InitDevice gave no device.
    void Load(IDirect3DDevice8* device, const char* path);
    // Evaluate, DrawObjects, then the flares of frame trunc(time).
    void Render(float time);
    // Walks the hierarchy at time (objects take their frame values, lights reach the device),
    // then applies the active camera. Allocates nothing once the scene has been evaluated once.
    void Evaluate(float time);
    // Every object's Render, in list order.
    void DrawObjects();
    // Disables device lights 0 to lightCount - 1.
    void DisableLights();

    // Ownership of what a load creates, registered under a name or not (an object that lost a
    // name clash can still be linked, as a camera's target or in the controller tree).
    SceneObject* AdoptObject(std::unique_ptr<SceneObject> object);
    Controller* AdoptController(std::unique_ptr<Controller> controller);
    Material* AdoptMaterial(std::unique_ptr<Material> material);

    NamedList<Controller> controllers;
    NamedList<SceneObject> objects;
    NamedList<Material> materials;
    std::uint32_t deviceFlags = 0;
    IDirect3DDevice8* device = nullptr; // a link; the scene adds no reference
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;
    float aspectRatio = 0.75f;
    Camera* activeCamera = nullptr;
    std::uint32_t lastFrame = 0;
    std::uint32_t lightCount = 0;
    Material* glowMaterial = nullptr;
    Controller* rootController = nullptr;
    DevicePtr<IDirect3DVertexBuffer8> quadVertexBuffer;
    DevicePtr<IDirect3DIndexBuffer8> quadIndexBuffer;
    std::uint32_t tweenDeclaration = 0;
    std::unique_ptr<FlareSequence> flares;

private:
    // Reads everything after the file's magic; false when the load stopped before the hierarchy.
    bool LoadSections(IDirect3DDevice8* device, SceneStream& stream);

    std::vector<std::unique_ptr<SceneObject>> ownedObjects;
    std::vector<std::unique_ptr<Controller>> ownedControllers;
    std::vector<std::unique_ptr<Material>> ownedMaterials;
    MatrixStack evaluationStack; // kept between frames so that a warm walk allocates nothing
};

// The tween declaration's tokens: stream 0 position, normal, texture coordinates; stream 1
// position 2 and normal 2.
inline constexpr DWORD kTweenDeclaration[] = {0x20000000, 0x40020000, 0x40020003, 0x40010007,
                                              0x20000001, 0x4002000F, 0x40020010, 0xFFFFFFFF};

// The scene's objects: the abstract SceneObject, points in space (PointObject, CameraTarget,
// Light), and the type ids every class answers.
#pragma once

#include "anim/Vector3.h"

#include <cstdint>

class Controller;
class Scene;

// Type ids answered by SceneObject::GetType.
enum SceneObjectType : int {
    kMeshType = 0,
    kRigidMeshType = 1,
    kSkinnedMeshType = 2,
    kCameraType = 4, // both camera classes
    kLightType = 5,
    kCameraTargetType = 6,
};

class SceneObject {
public:
    explicit SceneObject(Scene* scene) : scene(scene) {}
    virtual ~SceneObject() = default;

    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    virtual int GetType() const = 0;
    // Draws the object with the scene's device.
    virtual void Render() = 0;
    // Takes the world transform and the animated values of the controller that drives the
    // object, at that controller's current time.
    virtual void Update(const Controller& controller) = 0;

    Scene* scene; // the scene the object belongs to (a link)
};

// An object that is a point in space.
class PointObject : public SceneObject {
public:
    using SceneObject::SceneObject;

    void Render() override {}
    // position := the controller's world matrix applied to the origin.
    void Update(const Controller& controller) override;

    Vector3 position;
};

// The point a TargetCamera looks at.
class CameraTarget final : public PointObject {
public:
    using PointObject::PointObject;
    int GetType() const override { return kCameraTargetType; }
};

// A point light; it sets and enables its device light slot during the hierarchy walk.
class Light final : public PointObject {
public:
    using PointObject::PointObject;
    int GetType() const override { return kLightType; }
    // The glow quad, drawn only when the scene asks for it.
    void Render() override;
    // Moves to the controller's position and sets the device point light lightIndex.
    void Update(const Controller& controller) override;

    std::uint32_t lightIndex = 0; // the device light slot, given at load
    Vector3 secondVector;         // carried by every light; nothing reads it
};

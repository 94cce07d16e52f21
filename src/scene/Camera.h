// Cameras: the free camera placed by its node and the target camera looking at a CameraTarget.
#pragma once

#include "anim/Matrix.h"
#include "anim/Track.h"
#include "scene/SceneObject.h"

#include <memory>

class Camera : public PointObject {
public:
    using PointObject::PointObject;

    // Position from the controller, then the field of view from fovTrack at its time.
    void Update(const Controller& controller) override;
    // Sets the device's projection and view transforms.
    virtual void Apply() = 0;

    std::unique_ptr<FloatTrack> fovTrack;
    float fieldOfView = 1.0367256f; // degrees, vertical; every camera record replaces it
    Matrix view;                    // all zero until the first Update or Apply computes it
};

// Looks along +z of its node's space, +y up.
class FreeCamera final : public Camera {
public:
    using Camera::Camera;
    int GetType() const override { return kCameraType; }
    // Camera's Update, then view := the affine inverse of the controller's world matrix.
    void Update(const Controller& controller) override;
    // Projection from the scene's settings; view from the last Update.
    void Apply() override;
};

class TargetCamera final : public Camera {
public:
    using Camera::Camera;
    int GetType() const override { return kCameraType; }
    // Camera's Update, then roll from rollTrack.
    void Update(const Controller& controller) override;
    // Projection from the scene's settings and a look-at view towards the target with roll.
    // Without a target the camera looks along +z from its position.
    void Apply() override;

    std::unique_ptr<FloatTrack> rollTrack;
    float roll = 0.0f;              // degrees about the line of sight
    CameraTarget* target = nullptr; // a link, set by the camera target record naming this camera
};

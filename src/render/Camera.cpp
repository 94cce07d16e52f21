#include "scene/Camera.h"

#include "scene/Controller.h"
#include "scene/Scene.h"

#include "device/D3D8.h"

namespace {

// Sets the projection of the scene's settings and the camera's view on the scene's device.
void SetCameraTransforms(const Scene& scene, float fieldOfView, const Matrix& view) {
    if (!scene.device) {
        return;
    }
    const Matrix projection =
        MatrixPerspective(fieldOfView, scene.aspectRatio, scene.nearPlane, scene.farPlane);
    scene.device->SetTransform(D3DTS_PROJECTION, &projection);
    scene.device->SetTransform(D3DTS_VIEW, &view);
}

} // namespace

void Camera::Update(const Controller& controller) {
    PointObject::Update(controller);
    if (fovTrack) {
        fieldOfView = fovTrack->Evaluate(controller.time);
    }
}

void FreeCamera::Update(const Controller& controller) {
    Camera::Update(controller);
    view = MatrixAffineInverse(controller.world);
}

void FreeCamera::Apply() {
    if (scene) {
        SetCameraTransforms(*scene, fieldOfView, view);
    }
}

void TargetCamera::Update(const Controller& controller) {
    Camera::Update(controller);
    if (rollTrack) {
        roll = rollTrack->Evaluate(controller.time);
    }
}

void TargetCamera::Apply() {
    // Without a target, or with the target on the camera itself (no line of sight), the camera
    // looks along +z from where it stands.
    Vector3 lookAt = position + Vector3(0.0f, 0.0f, 1.0f);
    if (target && !(target->position.x == position.x && target->position.y == position.y &&
                    target->position.z == position.z)) {
        lookAt = target->position;
    }
    view = MatrixLookAtRoll(position, lookAt, roll);
    if (scene) {
        SetCameraTransforms(*scene, fieldOfView, view);
    }
}

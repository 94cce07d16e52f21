#include "scene/SceneObject.h"

#include "anim/Matrix.h"
#include "scene/Controller.h"

void PointObject::Update(const Controller& controller) {
    position = Vector3Transform(Vector3(0.0f, 0.0f, 0.0f), controller.world);
}

// A node of the animation hierarchy: its tracks, its world matrix and the object it drives.
#pragma once

#include "anim/Matrix.h"
#include "anim/MatrixStack.h"
#include "anim/Track.h"

#include <memory>

class Scene;
class SceneObject;

class Controller {
public:
    explicit Controller(Scene* scene) : scene(scene) {}
    virtual ~Controller() = default;

    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // Evaluates this node at time under the parent matrix on top of stack, hands the result to
    // its object, then evaluates its children and its following siblings with their subtrees.
    // The stack is the same on return as on entry. Siblings are visited in a loop, so only the
    // depth of child links nests calls.
    virtual void Evaluate(float time, MatrixStack& stack);

    Scene* scene;
    float time = 0.0f;             // time of the last Evaluate
    Controller* sibling = nullptr; // next sibling (a link; the scene owns every controller)
    Controller* child = nullptr;   // first child
    SceneObject* object = nullptr; // the driven object; none for bone and grouping nodes
    Matrix world;                  // scale · rotation · translation · parent
    std::unique_ptr<PositionTrack> positionTrack;
    std::unique_ptr<TransformTrack> rotationTrack; // a RotationTrack or an EulerRotationTrack
    std::unique_ptr<ScaleTrack> scaleTrack;
};

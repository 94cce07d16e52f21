#include "scene/Controller.h"

#include "scene/SceneObject.h"

void Controller::Evaluate(float time, MatrixStack& stack) {
    // Siblings share the parent on top of the stack, so they are visited in a loop; only child
    // links nest, and the loader bounds their depth.
    for (Controller* node = this; node; node = node->sibling) {
        const Matrix parent = stack.Peek();
        node->world = MatrixIdentity();
        node->time = time;
        if (node->scaleTrack) {
            MatrixMultiplyInPlace(node->world, node->scaleTrack->GetMatrix(time));
        }
        if (node->rotationTrack) {
            MatrixMultiplyInPlace(node->world, node->rotationTrack->GetMatrix(time));
        }
        if (node->positionTrack) {
            MatrixMultiplyInPlace(node->world, node->positionTrack->GetMatrix(time));
        }
        MatrixMultiplyInPlace(node->world, parent);
        if (node->object) {
            node->object->Update(*node);
        }
        if (node->child) {
            stack.Push(node->world);
            node->child->Evaluate(time, stack);
            stack.Pop();
        }
    }
}

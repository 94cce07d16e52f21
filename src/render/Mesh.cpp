#include "scene/Mesh.h"

#include "scene/Controller.h"

void Mesh::Update(const Controller& controller) {
    world = controller.world;
    const float time = controller.time;
    if (morphTrack) {
        morphFrom = morphTrack->ValueAt(time);
        morphTo = morphTrack->NextValueAt(time);
        morphFraction = morphTrack->FractionAt(time);
    }
    if (visibilityTrack) {
        hidden = visibilityTrack->ValueAt(time);
    }
}

// Mesh drawing comes with the scene renderer; until then meshes draw nothing.
void Mesh::Render() {}
void RigidMesh::Render() {}
void SkinnedMesh::Render() {}

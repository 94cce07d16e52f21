// Meshes: the mesh base with its animated values, rigid meshes drawn group by group, and skinned
// meshes blended by bones.
#pragma once

#include "anim/Matrix.h"
#include "anim/Track.h"
#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "scene/SceneObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class Material;
class Mesh;

// Morph keys name the meshes to tween between; the key values are links to them.
using MorphTrack = BasicStepTrack<Mesh*>;

class Mesh : public SceneObject {
public:
    using SceneObject::SceneObject;

    int GetType() const override { return kMeshType; }
    // The whole index list with one material.
    void Render() override;
    // world from the controller; morph values and hidden from their tracks at its time.
    void Update(const Controller& controller) override;

    Vector3 boundsMin; // box of the vertex positions; rigid meshes only
    Vector3 boundsMax;
    std::unique_ptr<MorphTrack> morphTrack;
    std::unique_ptr<StepTrack> visibilityTrack;
    Mesh* morphFrom = nullptr; // morphTrack's value at the current time
    Mesh* morphTo = nullptr;   // the value of the key after it
    float morphFraction = 0.0f;
    std::uint32_t hidden = 0; // non-zero: Render draws nothing
    Matrix world;             // all zero until the first Update
    DevicePtr<IDirect3DVertexBuffer8> vertexBuffer;
    DevicePtr<IDirect3DIndexBuffer8> indexBuffer;
    Vector3 referencePoint;         // from the mesh header; nothing reads it
    Material* material = nullptr;   // the first group's material
    std::uint32_t vertexShader = 0; // FVF code or vertex shader handle for drawing
    std::uint32_t vertexCount = 0;
    std::uint32_t triangleCount = 0;
    std::uint32_t indexCount = 0;
};

struct MeshGroup {
    std::uint32_t startIndex = 0;
    std::uint32_t triangleCount = 0;
    Material* material = nullptr; // none when the file's name matched no material
};

class RigidMesh : public Mesh {
public:
    using Mesh::Mesh;
    int GetType() const override { return kRigidMeshType; }
    // Group by group.
    void Render() override;

    std::uint32_t groupCount = 0; // groups.size() once loaded
    std::vector<MeshGroup> groups;
};

struct Bone {
    Controller* controller = nullptr; // the bone node's controller; none until it is read
    Matrix offset;                    // all zero until the bone node is read
};

class SkinnedMesh final : public RigidMesh {
public:
    using RigidMesh::RigidMesh;
    int GetType() const override { return kSkinnedMeshType; }
    // Blended by bones, group by group.
    void Render() override;

    std::uint32_t boneCount = 0; // bones.size() once loaded
    std::vector<Bone> bones;     // bone k of a vertex's indices is bones[k - 1]
};

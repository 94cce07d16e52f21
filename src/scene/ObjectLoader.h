// Reading the object section of a scene file: cameras, targets, lights and meshes with their
// device buffers.
#pragma once

class RigidMesh;
class Scene;
class SceneStream;

// Reads the object count and records after the 0x2020 marker and registers each object by name.
// A record of an unknown kind cannot be stepped over: it ends the file's reading there.
void LoadObjects(Scene& scene, SceneStream& stream);

// The six mesh header fields: vertexCount, triangleCount, indexCount, hidden, referencePoint,
// groupCount.
void ReadMeshHeader(RigidMesh& mesh, SceneStream& stream);

// Object record kinds.
enum SceneObjectKind : unsigned {
    kFreeCameraRecord = 0xFF01,
    kCameraTargetRecord = 0xFF02,
    kLightRecord = 0xFF03,
    kRigidMeshRecord = 0xFF04,
    kSkinnedMeshRecord = 0xFF05,
    kTargetCameraRecord = 0xFF06,
};

// Reading the hierarchy section of a scene file: controllers, their tracks, the objects' extra
// tracks and the bones' offsets.
#pragma once

#include "anim/Track.h"
#include "scene/Mesh.h"

class Controller;
class Scene;
class SceneStream;

// Node kinds of the hierarchy section.
enum SceneNodeKind : unsigned {
    kBoneNode = 0xEE01,
    kMeshNode = 0xEE02,
    kTargetCameraNode = 0xEE04,
    kFreeCameraNode = 0xEE05,
    kGroupNode = 0xEE07,
};

// Node flag bits.
enum SceneNodeFlag : unsigned {
    kNodeHasChild = 0x01,
    kNodeHasSibling = 0x02,
    kNodeEulerRotation = 0x04,
    kNodeMorphKeys = 0x08,
    kNodeVisibilityKeys = 0x10,
    kNodeFovKeys = 0x20,
    kNodeRollKeys = 0x40,
};

// Child links deeper than this end the file's reading, so neither loading nor the hierarchy walk
// can exhaust the stack; siblings are read in a loop and any number of them is allowed.
inline constexpr unsigned kMaxNodeDepth = 256;

// Reads one node record into controller, then its child subtree and its following siblings.
void LoadNode(Scene& scene, Controller& controller, SceneStream& stream);

// Key blocks: a u32 count, then the keys; the track is prepared after reading.
void ReadVectorKeys(VectorTrack& track, SceneStream& stream);
void ReadRotationKeys(RotationTrack& track, SceneStream& stream);
void ReadFloatKeys(FloatTrack& track, SceneStream& stream);
void ReadStepKeys(StepTrack& track, SceneStream& stream);
// Step keys whose values name objects of the scene; a name that matches no mesh gives none.
void ReadMorphKeys(Scene& scene, MorphTrack& track, SceneStream& stream);

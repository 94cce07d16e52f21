// The hierarchy section of a scene file: one controller per node record with its tracks, the
// extra tracks of the objects the nodes drive, and the bones' offsets.
#include "scene/NodeLoader.h"

#include "scene/Camera.h"
#include "scene/Controller.h"
#include "scene/Scene.h"
#include "scene/SceneStream.h"

#include <memory>
#include <optional>
#include <string>

namespace {

// Smallest key records on disk, for checking key counts against the bytes that remain.
constexpr std::uint64_t kVectorKeyBytes = 36;
constexpr std::uint64_t kRotationKeyBytes = 40;
constexpr std::uint64_t kFloatKeyBytes = 28;
constexpr std::uint64_t kStepKeyBytes = 16;
constexpr std::uint64_t kMorphKeyBytes = 13; // a 1-byte name and three floats

// The key count of a block, or 0 when the rest of the file cannot hold that many keys of
// keyBytes (the file then ends here).
std::uint32_t ReadKeyCount(SceneStream& stream, std::uint64_t keyBytes) {
    const std::uint32_t count = stream.ReadU32();
    return stream.CanHold(count, keyBytes) ? count : 0;
}

// Reads a FloatKey block into a new, prepared track.
std::unique_ptr<FloatTrack> ReadFloatTrack(SceneStream& stream) {
    auto track = std::make_unique<FloatTrack>();
    ReadFloatKeys(*track, stream);
    return track;
}

// The extras of a bone node: the bone index and the offset matrix, stored in that bone of the
// skinned mesh. Bone data for an object that is not a skinned mesh, or for an index outside 1 to
// its bone count, is read and dropped.
void ReadBoneExtras(Controller& controller, SceneObject* object, SceneStream& stream) {
    const std::uint32_t boneIndex = stream.ReadU32();
    Matrix offset;
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 4; ++column) {
            offset.Element(row, column) = stream.ReadF32();
        }
    }
    auto* mesh = dynamic_cast<SkinnedMesh*>(object);
    if (mesh && boneIndex >= 1 && boneIndex <= mesh->bones.size()) {
        Bone& bone = mesh->bones[boneIndex - 1];
        bone.offset = offset;
        bone.controller = &controller;
    }
}

// The extras of a mesh node: morph keys, then visibility keys, as the flags say. Tracks for an
// object that is not a mesh are read and discarded.
void ReadMeshExtras(Scene& scene, std::uint32_t flags, SceneObject* object, SceneStream& stream) {
    auto* mesh = dynamic_cast<Mesh*>(object);
    if ((flags & kNodeMorphKeys) != 0) {
        auto track = std::make_unique<MorphTrack>();
        ReadMorphKeys(scene, *track, stream);
        if (mesh) {
            mesh->morphTrack = std::move(track);
        }
    }
    if ((flags & kNodeVisibilityKeys) != 0) {
        auto track = std::make_unique<StepTrack>();
        ReadStepKeys(*track, stream);
        if (mesh) {
            mesh->visibilityTrack = std::move(track);
        }
    }
}

// The extras of a target camera node: roll keys, then field-of-view keys.
void ReadTargetCameraExtras(std::uint32_t flags, SceneObject* object, SceneStream& stream) {
    auto* camera = dynamic_cast<TargetCamera*>(object);
    if ((flags & kNodeRollKeys) != 0) {
        std::unique_ptr<FloatTrack> track = ReadFloatTrack(stream);
        if (camera) {
            camera->rollTrack = std::move(track);
        }
    }
    if ((flags & kNodeFovKeys) != 0) {
        std::unique_ptr<FloatTrack> track = ReadFloatTrack(stream);
        if (camera) {
            camera->fovTrack = std::move(track);
        }
    }
}

// The extras of a free camera node: field-of-view keys.
void ReadFreeCameraExtras(std::uint32_t flags, SceneObject* object, SceneStream& stream) {
    if ((flags & kNodeFovKeys) != 0) {
        std::unique_ptr<FloatTrack> track = ReadFloatTrack(stream);
        if (auto* camera = dynamic_cast<FreeCamera*>(object)) {
            camera->fovTrack = std::move(track);
        }
    }
}

// Reads one node record, without its child and sibling records, into controller and gives the
// node's flags.
std::uint32_t ReadNodeRecord(Scene& scene, Controller& controller, SceneStream& stream) {
    const std::uint32_t kind = stream.ReadU32();
    const std::uint32_t flags = stream.ReadU32();
    const std::optional<std::string> controllerName = stream.ReadString();
    const std::optional<std::string> objectName = stream.ReadString();

    // A name already taken leaves this controller unregistered; it is still linked and animated.
    scene.controllers.Add(controllerName.value_or(""), &controller);
    SceneObject* object =
        kind != kGroupNode ? scene.objects.Find(objectName.value_or("")) : nullptr;
    if (kind != kBoneNode && kind != kGroupNode) {
        controller.object = object;
    }

    controller.positionTrack = std::make_unique<PositionTrack>();
    ReadVectorKeys(*controller.positionTrack, stream);
    if ((flags & kNodeEulerRotation) != 0) {
        auto rotation = std::make_unique<EulerRotationTrack>();
        ReadVectorKeys(*rotation, stream);
        controller.rotationTrack = std::move(rotation);
    } else {
        auto rotation = std::make_unique<RotationTrack>();
        ReadRotationKeys(*rotation, stream);
        controller.rotationTrack = std::move(rotation);
    }
    controller.scaleTrack = std::make_unique<ScaleTrack>();
    ReadVectorKeys(*controller.scaleTrack, stream);

    switch (kind) {
    case kBoneNode:
        ReadBoneExtras(controller, object, stream);
        break;
    case kMeshNode:
        ReadMeshExtras(scene, flags, object, stream);
        break;
    case kTargetCameraNode:
        ReadTargetCameraExtras(flags, object, stream);
        break;
    case kFreeCameraNode:
        ReadFreeCameraExtras(flags, object, stream);
        break;
    default:
        break;
    }
    return flags;
}

// Reads the node record of first, its child subtree and its following siblings with theirs.
// Siblings are read in a loop; each child link nests one call, at depth + 1. False when a child
// link deeper than kMaxNodeDepth ended the file's reading, which stops every level.
bool LoadChain(Scene& scene, Controller& first, SceneStream& stream, unsigned depth) {
    Controller* node = &first;
    while (node) {
        const std::uint32_t flags = ReadNodeRecord(scene, *node, stream);
        if ((flags & kNodeHasChild) != 0) {
            if (depth >= kMaxNodeDepth) {
                stream.EndHere();
                return false;
            }
            node->child = scene.AdoptController(std::make_unique<Controller>(&scene));
            if (!LoadChain(scene, *node->child, stream, depth + 1)) {
                return false;
            }
        }
        if ((flags & kNodeHasSibling) != 0) {
            node->sibling = scene.AdoptController(std::make_unique<Controller>(&scene));
        }
        node = node->sibling;
    }
    return true;
}

} // namespace

void LoadNode(Scene& scene, Controller& controller, SceneStream& stream) {
    LoadChain(scene, controller, stream, 0);
}

void ReadVectorKeys(VectorTrack& track, SceneStream& stream) {
    track.keys.assign(ReadKeyCount(stream, kVectorKeyBytes), VectorKey{});
    for (VectorKey& key : track.keys) {
        key.value = stream.ReadVector3();
        key.time = stream.ReadF32();
        key.tension = stream.ReadF32();
        key.bias = stream.ReadF32();
        key.continuity = stream.ReadF32();
        key.easeTo = stream.ReadF32();
        key.easeFrom = stream.ReadF32();
    }
    track.PrepareKeys();
}

void ReadRotationKeys(RotationTrack& track, SceneStream& stream) {
    track.keys.assign(ReadKeyCount(stream, kRotationKeyBytes), RotationKey{});
    for (RotationKey& key : track.keys) {
        key.axis = stream.ReadVector3();
        key.angle = stream.ReadF32();
        key.time = stream.ReadF32();
        key.tension = stream.ReadF32();
        key.bias = stream.ReadF32();
        key.continuity = stream.ReadF32();
        // easeTo comes first on disk, although the key record holds easeFrom first.
        key.easeTo = stream.ReadF32();
        key.easeFrom = stream.ReadF32();
    }
    track.PrepareKeys();
}

void ReadFloatKeys(FloatTrack& track, SceneStream& stream) {
    track.keys.assign(ReadKeyCount(stream, kFloatKeyBytes), FloatKey{});
    for (FloatKey& key : track.keys) {
        key.value = stream.ReadF32();
        key.time = stream.ReadF32();
        key.tension = stream.ReadF32();
        key.bias = stream.ReadF32();
        key.continuity = stream.ReadF32();
        key.easeTo = stream.ReadF32();
        key.easeFrom = stream.ReadF32();
    }
    track.PrepareKeys();
}

void ReadStepKeys(StepTrack& track, SceneStream& stream) {
    track.keys.assign(ReadKeyCount(stream, kStepKeyBytes), StepTrack::Key{});
    for (StepTrack::Key& key : track.keys) {
        key.value = stream.ReadU32();
        key.time = stream.ReadF32();
        key.easeTo = stream.ReadF32();
        key.easeFrom = stream.ReadF32();
    }
}

void ReadMorphKeys(Scene& scene, MorphTrack& track, SceneStream& stream) {
    track.keys.assign(ReadKeyCount(stream, kMorphKeyBytes), MorphTrack::Key{});
    for (MorphTrack::Key& key : track.keys) {
        const std::optional<std::string> name = stream.ReadString();
        // A name that matches no object, or an object that is not a mesh, gives none.
        key.value = dynamic_cast<Mesh*>(scene.objects.Find(name.value_or("")));
        key.time = stream.ReadF32();
        key.easeTo = stream.ReadF32();
        key.easeFrom = stream.ReadF32();
    }
}

#include "scene/SceneWriter.h"

#include <bit>
#include <cstddef>
#include <fstream>

namespace {

constexpr std::uint32_t kMaterialSection = 0x1010;
constexpr std::uint32_t kObjectSection = 0x2020;
constexpr std::uint32_t kHierarchySection = 0x3030;

constexpr std::uint32_t kFreeCamera = 0xFF01;
constexpr std::uint32_t kCameraTarget = 0xFF02;
constexpr std::uint32_t kLight = 0xFF03;
constexpr std::uint32_t kRigidMesh = 0xFF04;
constexpr std::uint32_t kSkinnedMesh = 0xFF05;
constexpr std::uint32_t kTargetCamera = 0xFF06;

constexpr std::uint32_t kBone = 0xEE01;
constexpr std::uint32_t kMeshDriver = 0xEE02;
constexpr std::uint32_t kTargetCameraDriver = 0xEE04;
constexpr std::uint32_t kFreeCameraDriver = 0xEE05;

constexpr std::uint32_t kHasChild = 0x01;
constexpr std::uint32_t kHasSibling = 0x02;
constexpr std::uint32_t kEuler = 0x04;
constexpr std::uint32_t kMorph = 0x08;
constexpr std::uint32_t kVisibility = 0x10;
constexpr std::uint32_t kFov = 0x20;
constexpr std::uint32_t kRoll = 0x40;

constexpr std::uint32_t kNoTextures = 0x40;
constexpr std::uint32_t kSecondTexture = 0x01;

// Appends the file's primitives to a byte vector, lowest byte first.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out(out) {}

    void U16(std::uint16_t value) {
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
        out.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
        }
    }
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void F32(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
    void Vec(const Vector3& v) {
        F32(v.x);
        F32(v.y);
        F32(v.z);
    }
    void String(const std::string& text) {
        out.insert(out.end(), text.begin(), text.end());
        out.push_back(0);
    }
    // Counts of in-memory lists; a list of more than 2^32 - 1 entries is not a scene.
    void Count(std::size_t count) { U32(static_cast<std::uint32_t>(count)); }

private:
    std::vector<std::uint8_t>& out;
};

void WriteFlares(ByteWriter& w, const std::vector<FlareFrameDescription>& frames) {
    w.Count(frames.size());
    for (const FlareFrameDescription& frame : frames) {
        w.U32(frame.tag);
        w.Count(frame.flares.size());
        for (const FlareDescription& flare : frame.flares) {
            w.I32(flare.x);
            w.I32(flare.y);
            w.F32(flare.size);
            w.U32(flare.extra);
        }
    }
}

void WriteMaterial(ByteWriter& w, const MaterialDescription& material) {
    w.String(material.name);
    w.U32(material.flags);
    w.F32(material.opacity);
    w.F32(material.red);
    w.F32(material.green);
    w.F32(material.blue);
    if ((material.flags & kNoTextures) == 0) {
        w.String(material.textureName);
        if ((material.flags & kSecondTexture) != 0) {
            w.String(material.secondTextureName);
        }
    }
}

void WriteRigidVertex(ByteWriter& w, const RigidVertexDescription& vertex) {
    w.Vec(vertex.position);
    w.Vec(vertex.normal);
    w.F32(vertex.u);
    w.F32(vertex.v);
}

void WriteSkinnedVertex(ByteWriter& w, const SkinnedVertexDescription& vertex) {
    w.Vec(vertex.position);
    w.Vec(vertex.normal);
    w.F32(vertex.weight1);
    w.F32(vertex.weight2);
    w.F32(vertex.weight3);
    w.U32(vertex.boneIndices);
    w.F32(vertex.u);
    w.F32(vertex.v);
}

void WriteMeshHeader(ByteWriter& w, const ObjectDescription& mesh, std::size_t listedVertices) {
    w.U32(mesh.vertexCount.value_or(static_cast<std::uint32_t>(listedVertices)));
    w.U32(mesh.triangleCount.value_or(static_cast<std::uint32_t>(mesh.indices.size() / 3)));
    w.U32(mesh.indexCount.value_or(static_cast<std::uint32_t>(mesh.indices.size())));
    w.U32(mesh.hidden);
    w.Vec(mesh.referencePoint);
    w.U32(mesh.groupCount.value_or(static_cast<std::uint32_t>(mesh.groups.size())));
}

void WriteIndicesAndGroups(ByteWriter& w, const ObjectDescription& mesh) {
    for (std::uint16_t index : mesh.indices) {
        w.U16(index);
    }
    for (const GroupDescription& group : mesh.groups) {
        w.String(group.materialName);
        w.U32(group.startIndex);
        w.U32(group.triangleCount);
    }
}

void WriteObject(ByteWriter& w, const ObjectDescription& object) {
    w.String(object.name);
    w.U32(object.kind);
    switch (object.kind) {
    case kFreeCamera:
        w.Vec(object.position);
        w.F32(object.fieldOfView);
        break;
    case kCameraTarget:
        w.String(object.ownerName);
        w.Vec(object.position);
        break;
    case kLight:
        w.Vec(object.position);
        break;
    case kRigidMesh:
        WriteMeshHeader(w, object, object.rigidVertices.size());
        w.U32(object.tween);
        // A reader takes the first vertex before it looks at the count, so there is always one.
        if (object.rigidVertices.empty()) {
            WriteRigidVertex(w, RigidVertexDescription{});
        }
        for (const RigidVertexDescription& vertex : object.rigidVertices) {
            WriteRigidVertex(w, vertex);
        }
        WriteIndicesAndGroups(w, object);
        break;
    case kSkinnedMesh:
        WriteMeshHeader(w, object, object.skinnedVertices.size());
        w.U32(object.boneCount);
        for (const SkinnedVertexDescription& vertex : object.skinnedVertices) {
            WriteSkinnedVertex(w, vertex);
        }
        WriteIndicesAndGroups(w, object);
        break;
    case kTargetCamera:
        w.Vec(object.position);
        w.F32(object.fieldOfView);
        w.F32(object.roll);
        break;
    default:
        break;
    }
}

void WriteVectorKeys(ByteWriter& w, const std::vector<VectorKeyDescription>& keys) {
    w.Count(keys.size());
    for (const VectorKeyDescription& key : keys) {
        w.Vec(key.value);
        w.F32(key.time);
        w.F32(key.tension);
        w.F32(key.bias);
        w.F32(key.continuity);
        w.F32(key.easeTo);
        w.F32(key.easeFrom);
    }
}

void WriteRotationKeys(ByteWriter& w, const std::vector<RotationKeyDescription>& keys) {
    w.Count(keys.size());
    for (const RotationKeyDescription& key : keys) {
        w.Vec(key.axis);
        w.F32(key.angle);
        w.F32(key.time);
        w.F32(key.tension);
        w.F32(key.bias);
        w.F32(key.continuity);
        w.F32(key.easeTo);
        w.F32(key.easeFrom);
    }
}

// An absent list writes an empty block: the flag bit was set on purpose without keys.
void WriteFloatKeys(ByteWriter& w, const std::optional<std::vector<FloatKeyDescription>>& keys) {
    if (!keys) {
        w.U32(0);
        return;
    }
    w.Count(keys->size());
    for (const FloatKeyDescription& key : *keys) {
        w.F32(key.value);
        w.F32(key.time);
        w.F32(key.tension);
        w.F32(key.bias);
        w.F32(key.continuity);
        w.F32(key.easeTo);
        w.F32(key.easeFrom);
    }
}

void WriteStepKeys(ByteWriter& w, const std::optional<std::vector<StepKeyDescription>>& keys) {
    if (!keys) {
        w.U32(0);
        return;
    }
    w.Count(keys->size());
    for (const StepKeyDescription& key : *keys) {
        w.U32(key.value);
        w.F32(key.time);
        w.F32(key.easeTo);
        w.F32(key.easeFrom);
    }
}

void WriteMorphKeys(ByteWriter& w, const std::optional<std::vector<MorphKeyDescription>>& keys) {
    if (!keys) {
        w.U32(0);
        return;
    }
    w.Count(keys->size());
    for (const MorphKeyDescription& key : *keys) {
        w.String(key.objectName);
        w.F32(key.time);
        w.F32(key.easeTo);
        w.F32(key.easeFrom);
    }
}

std::uint32_t NodeFlags(const NodeDescription& node, bool hasSibling) {
    std::uint32_t flags = 0;
    if (!node.children.empty()) {
        flags |= kHasChild;
    }
    if (hasSibling) {
        flags |= kHasSibling;
    }
    if (node.eulerRotation) {
        flags |= kEuler;
    }
    if (node.kind == kMeshDriver) {
        flags |= node.morphKeys ? kMorph : 0;
        flags |= node.visibilityKeys ? kVisibility : 0;
    }
    if (node.kind == kTargetCameraDriver || node.kind == kFreeCameraDriver) {
        flags |= node.fovKeys ? kFov : 0;
    }
    if (node.kind == kTargetCameraDriver) {
        flags |= node.rollKeys ? kRoll : 0;
    }
    return flags | node.extraFlags;
}

// One node record up to its extras; the child and sibling records are the caller's.
void WriteNodeRecord(ByteWriter& w, const NodeDescription& node, bool hasSibling) {
    const std::uint32_t flags = NodeFlags(node, hasSibling);
    w.U32(node.kind);
    w.U32(flags);
    w.String(node.controllerName);
    w.String(node.objectName);
    WriteVectorKeys(w, node.positionKeys);
    if ((flags & kEuler) != 0) {
        WriteVectorKeys(w, node.eulerKeys);
    } else {
        WriteRotationKeys(w, node.rotationKeys);
    }
    WriteVectorKeys(w, node.scaleKeys);

    switch (node.kind) {
    case kBone:
        w.U32(node.boneIndex);
        for (int row = 1; row <= 4; ++row) {
            for (int column = 1; column <= 4; ++column) {
                w.F32(node.offset.Element(row, column));
            }
        }
        break;
    case kMeshDriver:
        if ((flags & kMorph) != 0) {
            WriteMorphKeys(w, node.morphKeys);
        }
        if ((flags & kVisibility) != 0) {
            WriteStepKeys(w, node.visibilityKeys);
        }
        break;
    case kTargetCameraDriver:
        if ((flags & kRoll) != 0) {
            WriteFloatKeys(w, node.rollKeys);
        }
        if ((flags & kFov) != 0) {
            WriteFloatKeys(w, node.fovKeys);
        }
        break;
    case kFreeCameraDriver:
        if ((flags & kFov) != 0) {
            WriteFloatKeys(w, node.fovKeys);
        }
        break;
    default:
        break;
    }
}

// Depth first with an explicit stack of sibling lists: each entry is a list and the position of
// its next node to write, so the call depth stays constant however long or deep the tree is.
void WriteNodes(ByteWriter& w, const std::vector<NodeDescription>& rootNodes) {
    struct Level {
        const std::vector<NodeDescription>* nodes;
        std::size_t next;
    };
    std::vector<Level> stack{{&rootNodes, 0}};
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.nodes->size()) {
            stack.pop_back();
            continue;
        }
        const NodeDescription& node = (*level.nodes)[level.next];
        ++level.next;
        WriteNodeRecord(w, node, level.next < level.nodes->size());
        if (!node.children.empty()) {
            stack.push_back({&node.children, 0}); // level is not used past this point
        }
    }
}

} // namespace

std::vector<std::uint8_t> WriteScene(const SceneDescription& scene) {
    std::vector<std::uint8_t> bytes;
    ByteWriter w(bytes);
    w.String("ZEB3D");
    WriteFlares(w, scene.flareFrames);
    w.U32(scene.lastFrame);

    w.U32(kMaterialSection);
    w.Count(scene.materials.size());
    for (const MaterialDescription& material : scene.materials) {
        WriteMaterial(w, material);
    }

    w.U32(kObjectSection);
    w.Count(scene.objects.size());
    for (const ObjectDescription& object : scene.objects) {
        WriteObject(w, object);
    }

    w.U32(kHierarchySection);
    if (scene.rootNodes.empty()) {
        WriteNodeRecord(w, NodeDescription{}, false);
    } else {
        WriteNodes(w, scene.rootNodes);
    }
    return bytes;
}

bool WriteSceneFile(const std::string& path, const SceneDescription& scene) {
    const std::vector<std::uint8_t> bytes = WriteScene(scene);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

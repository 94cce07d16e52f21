// Writing scene files from in-memory descriptions: for tests, tools, benchmarks and the data
// generator. Nothing of the demo itself writes a scene file.
#pragma once

#include "anim/Matrix.h"
#include "anim/Vector3.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The description structs mirror the file's records field for field. Strings are written as their
// bytes followed by one NUL; a name that holds a NUL byte is written whole, and a reader then
// sees it end at that NUL, which is the caller's concern. Names longer than 255 characters are
// written whole as well.

struct FlareDescription {
    std::int32_t x = 0; // screen pixels of the flare centre
    std::int32_t y = 0;
    float size = 0.0f; // 50.0 draws the flare picture at its own size
    std::uint32_t extra = 0;
};

struct FlareFrameDescription {
    std::uint32_t tag = 0; // written before the flare count; readers ignore it
    std::vector<FlareDescription> flares;
};

// Texture names are written only as flags say: textureName when bit 0x40 is clear, and
// secondTextureName as well when, in addition, bit 0x01 is set.
struct MaterialDescription {
    std::string name;
    std::uint32_t flags = 0;
    float opacity = 1.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    std::string textureName;       // "" for none
    std::string secondTextureName; // "" for none
};

// Key records in the file's field order (36, 40, 28, 16 and 13 to 268 bytes). Times are in
// animation frames; every key stores easeTo before easeFrom.
struct VectorKeyDescription {
    Vector3 value;
    float time = 0.0f;
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

struct RotationKeyDescription {
    Vector3 axis;
    float angle = 0.0f; // radians
    float time = 0.0f;
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

struct FloatKeyDescription {
    float value = 0.0f;
    float time = 0.0f;
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

struct StepKeyDescription {
    std::uint32_t value = 0;
    float time = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

// A step key whose value names an object of the same file (a morph target).
struct MorphKeyDescription {
    std::string objectName;
    float time = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

struct RigidVertexDescription {
    Vector3 position;
    Vector3 normal;
    float u = 0.0f;
    float v = 0.0f;
};

struct SkinnedVertexDescription {
    Vector3 position;
    Vector3 normal;
    float weight1 = 0.0f;
    float weight2 = 0.0f;
    float weight3 = 0.0f;
    std::uint32_t boneIndices = 0; // four matrix numbers, lowest byte first; 0 is the mesh's own
    float u = 0.0f;
    float v = 0.0f;
};

struct GroupDescription {
    std::string materialName;
    std::uint32_t startIndex = 0; // first index of the group in the mesh's index list
    std::uint32_t triangleCount = 0;
};

// One object record. kind selects which of the payload fields are written:
//   0xFF01 free camera:   position, fieldOfView
//   0xFF02 camera target: ownerName, position
//   0xFF03 light:         position
//   0xFF04 rigid mesh:    mesh header, tween, rigidVertices, indices, groups
//   0xFF05 skinned mesh:  mesh header, boneCount, skinnedVertices, indices, groups
//   0xFF06 target camera: position, fieldOfView, roll
// Any other kind is written as is with no payload. The mesh header counts default to the list
// sizes (triangleCount to indices.size() / 3); an override changes only the header field, never
// the records written, so inconsistent files can be made on purpose. A rigid mesh always writes
// at least one vertex record, as the format requires: a zero vertex when rigidVertices is empty.
struct ObjectDescription {
    std::string name;
    std::uint32_t kind = 0;

    Vector3 position;
    float fieldOfView = 0.0f; // degrees
    float roll = 0.0f;
    std::string ownerName; // the target camera looking at a camera target

    std::uint32_t hidden = 0;
    Vector3 referencePoint;
    std::uint32_t tween = 0;
    std::uint32_t boneCount = 0;
    std::vector<RigidVertexDescription> rigidVertices;
    std::vector<SkinnedVertexDescription> skinnedVertices;
    std::vector<std::uint16_t> indices;
    std::vector<GroupDescription> groups;

    std::optional<std::uint32_t> vertexCount;
    std::optional<std::uint32_t> triangleCount;
    std::optional<std::uint32_t> indexCount;
    std::optional<std::uint32_t> groupCount;
};

// One hierarchy node with its children (the first child, then its siblings in order).
//
// The flags word is computed: 0x01 when children is non-empty, 0x02 when a sibling follows,
// 0x04 when eulerRotation, 0x08 / 0x10 on kind 0xEE02 when morphKeys / visibilityKeys are
// present, 0x20 on kinds 0xEE04 and 0xEE05 when fovKeys are present, 0x40 on kind 0xEE04 when
// rollKeys are present; then extraFlags is or-ed in. The blocks written follow the final flags:
// the rotation keys are eulerKeys (VectorKeys) when bit 0x04 is set and rotationKeys otherwise,
// and an extra key block is written when its bit is set and the kind is the one the bit belongs
// to (an absent list then writes an empty block). Key lists a kind does not use are not written.
// Bits 0x01 and 0x02 from extraFlags change only the flags word: child and sibling records are
// always the described tree.
struct NodeDescription {
    std::uint32_t kind = 0xEE07;
    std::string controllerName;
    std::string objectName;
    std::vector<VectorKeyDescription> positionKeys;
    bool eulerRotation = false;
    std::vector<VectorKeyDescription> eulerKeys;
    std::vector<RotationKeyDescription> rotationKeys;
    std::vector<VectorKeyDescription> scaleKeys;
    std::optional<std::vector<MorphKeyDescription>> morphKeys;     // kind 0xEE02
    std::optional<std::vector<StepKeyDescription>> visibilityKeys; // kind 0xEE02
    std::optional<std::vector<FloatKeyDescription>> rollKeys;      // kind 0xEE04
    std::optional<std::vector<FloatKeyDescription>> fovKeys;       // kinds 0xEE04, 0xEE05
    std::uint32_t boneIndex = 0;      // kind 0xEE01: 1 to the mesh's boneCount
    Matrix offset = MatrixIdentity(); // kind 0xEE01, written row by row
    std::uint32_t extraFlags = 0;
    std::vector<NodeDescription> children;
};

struct SceneDescription {
    std::vector<FlareFrameDescription> flareFrames;
    std::uint32_t lastFrame = 0;
    std::vector<MaterialDescription> materials;
    std::vector<ObjectDescription> objects;
    // The top-level chain: the root, then its siblings. Empty writes a bare root: kind 0xEE07,
    // flags 0, empty names and three empty key blocks.
    std::vector<NodeDescription> rootNodes;
};

// The whole file, little-endian whatever the host: "ZEB3D" and its NUL, the flare block,
// lastFrame, 0x1010, the materials, 0x2020, the objects, 0x3030 and the node tree depth first
// (a node, its child subtree, then its next sibling). Neither siblings nor children are written
// recursively, so the chain and the depth may be as long as memory allows.
std::vector<std::uint8_t> WriteScene(const SceneDescription& scene);

// WriteScene's bytes into the file at path, replacing it. False when the file cannot be opened
// or written completely.
bool WriteSceneFile(const std::string& path, const SceneDescription& scene);

// The object section of a scene file: cameras, camera targets, lights and meshes, the meshes'
// vertices and indices written straight into their device buffers as they are read.
#include "scene/ObjectLoader.h"

#include "scene/Camera.h"
#include "scene/Mesh.h"
#include "scene/Scene.h"
#include "scene/SceneStream.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// Smallest records, for checking counts against the bytes that remain.
constexpr std::uint64_t kObjectRecordBytes = 5;   // a 1-byte name and the kind
constexpr std::uint64_t kRigidVertexBytes = 32;   // position, normal, u, v
constexpr std::uint64_t kSkinnedVertexBytes = 48; // also three weights and the bone indices
constexpr std::uint64_t kIndexBytes = 2;          // u16
constexpr std::uint64_t kGroupRecordBytes = 9;    // a 1-byte name and two u32
// A bone's node record is at least its kind, flags, two 1-byte names, three empty key blocks,
// the bone index and the 64-byte offset matrix.
constexpr std::uint64_t kBoneRecordBytes = 4 + 4 + 1 + 1 + 3 * 4 + 4 + 64;

// Vertex formats and buffer usages.
constexpr DWORD kRigidFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 0x112
constexpr DWORD kSkinnedFvf =
    D3DFVF_XYZB4 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL | D3DFVF_TEX1;          // 0x111C
constexpr DWORD kStaticUsage = D3DUSAGE_WRITEONLY;                                // 0x8
constexpr DWORD kBlendedUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING; // 0x18

// Byte offsets of the skinned vertex's fields on the device, which differ from the file's order
// (position, normal, three weights, bone indices, u, v).
constexpr std::size_t kSkinnedPosition = 0;
constexpr std::size_t kSkinnedWeights = 12;
constexpr std::size_t kSkinnedBoneIndices = 24;
constexpr std::size_t kSkinnedNormal = 28;
constexpr std::size_t kSkinnedTexCoords = 40;

void PutF32(BYTE* at, float value) {
    std::memcpy(at, &value, sizeof value);
}

void PutU32(BYTE* at, std::uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

void PutVector3(BYTE* at, const Vector3& v) {
    PutF32(at, v.x);
    PutF32(at + 4, v.y);
    PutF32(at + 8, v.z);
}

// Creates a buffer of length bytes through create(length, out); the holder stays empty when the
// device refuses it (a zero length included) or the length does not fit in 32 bits.
template <typename Buffer, typename Create>
void CreateBuffer(DevicePtr<Buffer>& buffer, std::uint64_t length, Create create) {
    buffer.Reset();
    if (length > std::numeric_limits<UINT>::max() ||
        FAILED(create(static_cast<UINT>(length), buffer.ReleaseAndGetAddressOf()))) {
        buffer.Reset();
    }
}

// The whole of a vertex or index buffer locked for writing records into, or, when there is no
// buffer or it will not lock, a one-record scratch slot: the records are then still read, so
// the stream stays in step, and dropped.
template <typename Buffer>
class BufferWriter {
public:
    BufferWriter(DevicePtr<Buffer>& buffer, std::size_t recordBytes)
        : buffer(buffer), recordBytes(recordBytes), scratch(recordBytes) {
        if (buffer && FAILED(buffer->Lock(0, 0, &data, 0))) {
            buffer.Reset();
            data = nullptr;
        }
    }
    BufferWriter(const BufferWriter&) = delete;
    BufferWriter& operator=(const BufferWriter&) = delete;

    // Where record index goes.
    BYTE* Record(std::uint64_t index) { return data ? data + index * recordBytes : scratch.data(); }

    // Unlocks the buffer; a buffer that will not unlock is given up.
    void Finish() {
        if (data && FAILED(buffer->Unlock())) {
            buffer.Reset();
        }
        data = nullptr;
    }

private:
    DevicePtr<Buffer>& buffer;
    std::size_t recordBytes;
    BYTE* data = nullptr;
    std::vector<BYTE> scratch;
};

using VertexWriter = BufferWriter<IDirect3DVertexBuffer8>;
using IndexWriter = BufferWriter<IDirect3DIndexBuffer8>;

// Creates the mesh's vertex buffer (vertexCount records of vertexBytes) and index buffer in the
// default pool with the scene's device.
void CreateMeshBuffers(Scene& scene, RigidMesh& mesh, std::uint64_t vertexBytes, DWORD usage,
                       DWORD fvf) {
    IDirect3DDevice8* device = scene.device;
    CreateBuffer(mesh.vertexBuffer, mesh.vertexCount * vertexBytes,
                 [&](UINT length, IDirect3DVertexBuffer8** out) {
                     return device ? device->CreateVertexBuffer(length, usage, fvf, D3DPOOL_DEFAULT,
                                                                out)
                                   : D3DERR_INVALIDCALL;
                 });
    CreateBuffer(mesh.indexBuffer, mesh.indexCount * kIndexBytes,
                 [&](UINT length, IDirect3DIndexBuffer8** out) {
                     return device ? device->CreateIndexBuffer(length, usage, D3DFMT_INDEX16,
                                                               D3DPOOL_DEFAULT, out)
                                   : D3DERR_INVALIDCALL;
                 });
}

// Whether the rest of the file can hold vertexRecords vertices of vertexBytes and the mesh's
// indices; when it cannot, the file ends here and the mesh is left with nothing to draw.
bool MeshDataFits(RigidMesh& mesh, std::uint64_t vertexRecords, std::uint64_t vertexBytes,
                  SceneStream& stream) {
    const std::uint64_t bytes = vertexRecords * vertexBytes + mesh.indexCount * kIndexBytes;
    if (stream.CanHold(1, bytes)) {
        return true;
    }
    mesh.vertexBuffer.Reset();
    mesh.indexBuffer.Reset();
    mesh.vertexCount = 0;
    mesh.triangleCount = 0;
    mesh.indexCount = 0;
    mesh.groups.clear();
    mesh.groupCount = 0;
    if (auto* skinned = dynamic_cast<SkinnedMesh*>(&mesh)) {
        skinned->bones.clear();
        skinned->boneCount = 0;
    }
    return false;
}

// Reads indexCount u16 into the mesh's index buffer.
void ReadIndices(RigidMesh& mesh, SceneStream& stream) {
    IndexWriter indices(mesh.indexBuffer, kIndexBytes);
    for (std::uint32_t i = 0; i < mesh.indexCount; ++i) {
        const std::uint16_t index = stream.ReadU16();
        std::memcpy(indices.Record(i), &index, sizeof index);
    }
    indices.Finish();
}

// The groups, each with the material its name finds; the mesh's material is the first group's.
void ReadGroups(Scene& scene, RigidMesh& mesh, SceneStream& stream) {
    std::uint32_t count = mesh.groupCount;
    if (!stream.CanHold(count, kGroupRecordBytes)) {
        count = 0;
    }
    mesh.groups.assign(count, MeshGroup{});
    for (MeshGroup& group : mesh.groups) {
        const std::optional<std::string> materialName = stream.ReadString();
        group.startIndex = stream.ReadU32();
        group.triangleCount = stream.ReadU32();
        group.material = scene.materials.Find(materialName.value_or(""));
    }
    mesh.groupCount = static_cast<std::uint32_t>(mesh.groups.size());
    mesh.material = mesh.groups.empty() ? nullptr : mesh.groups.front().material;
}

// Grows the box [min, max] to take p, axis by axis; a coordinate below the minimum is not also
// compared with the maximum.
void ExtendBounds(Vector3& min, Vector3& max, const Vector3& p) {
    const auto extend = [](float& low, float& high, float value) {
        if (value < low) {
            low = value;
        } else if (value > high) {
            high = value;
        }
    };
    extend(min.x, max.x, p.x);
    extend(min.y, max.y, p.y);
    extend(min.z, max.z, p.z);
}

// Reads one rigid vertex (position, normal, u, v: the device layout is the file's) into at and
// gives its position.
Vector3 ReadRigidVertex(BYTE* at, SceneStream& stream) {
    const Vector3 position = stream.ReadVector3();
    PutVector3(at, position);
    PutVector3(at + 12, stream.ReadVector3());
    PutF32(at + 24, stream.ReadF32());
    PutF32(at + 28, stream.ReadF32());
    return position;
}

void LoadRigidMesh(Scene& scene, RigidMesh& mesh, SceneStream& stream) {
    ReadMeshHeader(mesh, stream);
    const std::uint32_t tween = stream.ReadU32();
    const DWORD usage = tween != 0 ? kBlendedUsage : kStaticUsage;
    const DWORD fvf = tween != 0 ? 0 : kRigidFvf;
    mesh.vertexShader = tween != 0 ? scene.tweenDeclaration : kRigidFvf;

    // The first vertex is in the file whatever vertexCount says.
    if (!MeshDataFits(mesh, std::max<std::uint64_t>(1, mesh.vertexCount), kRigidVertexBytes,
                      stream)) {
        return;
    }
    CreateMeshBuffers(scene, mesh, kRigidVertexBytes, usage, fvf);

    VertexWriter vertices(mesh.vertexBuffer, kRigidVertexBytes);
    const Vector3 first = ReadRigidVertex(vertices.Record(0), stream);
    Vector3 min = first;
    Vector3 max = first;
    for (std::uint32_t i = 1; i < mesh.vertexCount; ++i) {
        ExtendBounds(min, max, ReadRigidVertex(vertices.Record(i), stream));
    }
    vertices.Finish();
    mesh.boundsMin = min;
    mesh.boundsMax = max;

    ReadIndices(mesh, stream);
    ReadGroups(scene, mesh, stream);
}

void LoadSkinnedMesh(Scene& scene, SkinnedMesh& mesh, SceneStream& stream) {
    ReadMeshHeader(mesh, stream);
    std::uint32_t boneCount = stream.ReadU32();
    if (!stream.CanHold(boneCount, kBoneRecordBytes)) {
        boneCount = 0;
    }
    mesh.bones.assign(boneCount, Bone{});
    mesh.boneCount = boneCount;
    mesh.vertexShader = kSkinnedFvf;

    if (!MeshDataFits(mesh, mesh.vertexCount, kSkinnedVertexBytes, stream)) {
        return;
    }
    CreateMeshBuffers(scene, mesh, kSkinnedVertexBytes, kBlendedUsage, kSkinnedFvf);

    VertexWriter vertices(mesh.vertexBuffer, kSkinnedVertexBytes);
    for (std::uint32_t i = 0; i < mesh.vertexCount; ++i) {
        BYTE* at = vertices.Record(i);
        PutVector3(at + kSkinnedPosition, stream.ReadVector3());
        PutVector3(at + kSkinnedNormal, stream.ReadVector3());
        PutF32(at + kSkinnedWeights, stream.ReadF32());
        PutF32(at + kSkinnedWeights + 4, stream.ReadF32());
        PutF32(at + kSkinnedWeights + 8, stream.ReadF32());
        PutU32(at + kSkinnedBoneIndices, stream.ReadU32());
        PutF32(at + kSkinnedTexCoords, stream.ReadF32());
        PutF32(at + kSkinnedTexCoords + 4, stream.ReadF32());
    }
    vertices.Finish();

    ReadIndices(mesh, stream);
    ReadGroups(scene, mesh, stream);
    mesh.boneCount = static_cast<std::uint32_t>(mesh.bones.size());
}

// Builds the object of a record's kind from its payload; null for a kind without a known
// payload.
std::unique_ptr<SceneObject> ReadObject(Scene& scene, std::uint32_t kind, SceneStream& stream) {
    switch (kind) {
    case kFreeCameraRecord: {
        auto camera = std::make_unique<FreeCamera>(&scene);
        camera->position = stream.ReadVector3();
        camera->fieldOfView = stream.ReadF32();
        return camera;
    }
    case kCameraTargetRecord: {
        auto target = std::make_unique<CameraTarget>(&scene);
        const std::optional<std::string> ownerName = stream.ReadString();
        if (auto* owner = dynamic_cast<TargetCamera*>(scene.objects.Find(ownerName.value_or("")))) {
            owner->target = target.get();
        }
        target->position = stream.ReadVector3();
        return target;
    }
    case kLightRecord: {
        auto light = std::make_unique<Light>(&scene);
        light->position = stream.ReadVector3();
        light->lightIndex = scene.lightCount++;
        return light;
    }
    case kRigidMeshRecord: {
        auto mesh = std::make_unique<RigidMesh>(&scene);
        LoadRigidMesh(scene, *mesh, stream);
        return mesh;
    }
    case kSkinnedMeshRecord: {
        auto mesh = std::make_unique<SkinnedMesh>(&scene);
        LoadSkinnedMesh(scene, *mesh, stream);
        return mesh;
    }
    case kTargetCameraRecord: {
        auto camera = std::make_unique<TargetCamera>(&scene);
        camera->position = stream.ReadVector3();
        camera->fieldOfView = stream.ReadF32();
        camera->roll = stream.ReadF32();
        return camera;
    }
    default:
        return nullptr;
    }
}

} // namespace

void ReadMeshHeader(RigidMesh& mesh, SceneStream& stream) {
    mesh.vertexCount = stream.ReadU32();
    mesh.triangleCount = stream.ReadU32();
    mesh.indexCount = stream.ReadU32();
    mesh.hidden = stream.ReadU32();
    mesh.referencePoint = stream.ReadVector3();
    mesh.groupCount = stream.ReadU32();
}

void LoadObjects(Scene& scene, SceneStream& stream) {
    std::uint32_t count = stream.ReadU32();
    if (!stream.CanHold(count, kObjectRecordBytes)) {
        count = 0;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::optional<std::string> name = stream.ReadString();
        const std::uint32_t kind = stream.ReadU32();
        std::unique_ptr<SceneObject> object = ReadObject(scene, kind, stream);
        if (!object) {
            // The payload of an unknown kind has no known length, so nothing after it can be
            // found: the file ends here.
            stream.EndHere();
            return;
        }
        scene.objects.Add(name.value_or(""), scene.AdoptObject(std::move(object)));
    }
}

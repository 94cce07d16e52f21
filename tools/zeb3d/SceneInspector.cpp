#include "zeb3d/SceneInspector.h"

#include "zeb3d/JsonWriter.h"

#include "device/DeviceOptions.h"
#include "device/recording/RecordingDevice.h"
#include "image/TextureManager.h"
#include "platform/FileSystem.h"
#include "scene/Camera.h"
#include "scene/Mesh.h"
#include "scene/NamedList.h"
#include "scene/SceneObject.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <unordered_map>

namespace {

constexpr char kUsage[] = "usage: zeb3d info FILE\n"
                          "       zeb3d eval FILE TIME\n";

// The names under which a list's values are registered; objects that lost a name clash have
// none.
template <typename T>
std::unordered_map<const T*, std::string> RegisteredNames(const NamedList<T>& list) {
    std::unordered_map<const T*, std::string> names;
    for (auto it = list.begin(); it != list.end(); ++it) {
        names.emplace(*it, it.GetEntry().name);
    }
    return names;
}

template <typename T>
void NameOrNull(JsonWriter& json, const std::unordered_map<const T*, std::string>& names,
                const T* value) {
    const auto found = value ? names.find(value) : names.end();
    if (found == names.end()) {
        json.Null();
    } else {
        json.String(found->second);
    }
}

void WriteVector(JsonWriter& json, const Vector3& v) {
    const float values[3] = {v.x, v.y, v.z};
    json.Floats(values, 3);
}

void WriteMatrix(JsonWriter& json, const Matrix& m) {
    json.Floats(&m.m[0][0], 16);
}

void WriteOptionalString(JsonWriter& json, const std::optional<std::string>& value) {
    if (value) {
        json.String(*value);
    } else {
        json.Null();
    }
}

// The scene's names for objects, materials and controllers.
struct SceneNames {
    explicit SceneNames(const Scene& scene)
        : objects(RegisteredNames(scene.objects)), materials(RegisteredNames(scene.materials)),
          controllers(RegisteredNames(scene.controllers)) {}
    std::unordered_map<const SceneObject*, std::string> objects;
    std::unordered_map<const Material*, std::string> materials;
    std::unordered_map<const Controller*, std::string> controllers;
};

const char* ClassName(const SceneObject& object) {
    if (dynamic_cast<const SkinnedMesh*>(&object)) {
        return "SkinnedMesh";
    }
    if (dynamic_cast<const RigidMesh*>(&object)) {
        return "RigidMesh";
    }
    if (dynamic_cast<const Mesh*>(&object)) {
        return "Mesh";
    }
    if (dynamic_cast<const FreeCamera*>(&object)) {
        return "FreeCamera";
    }
    if (dynamic_cast<const TargetCamera*>(&object)) {
        return "TargetCamera";
    }
    if (dynamic_cast<const Light*>(&object)) {
        return "Light";
    }
    if (dynamic_cast<const CameraTarget*>(&object)) {
        return "CameraTarget";
    }
    return "SceneObject";
}

// The spline and easing fields every spline key has.
template <typename Key>
void WriteSplineFields(JsonWriter& json, const Key& key) {
    json.Key("tension");
    json.Float(key.tension);
    json.Key("continuity");
    json.Float(key.continuity);
    json.Key("bias");
    json.Float(key.bias);
    json.Key("easeTo");
    json.Float(key.easeTo);
    json.Key("easeFrom");
    json.Float(key.easeFrom);
}

void WriteFloatKeys(JsonWriter& json, const FloatTrack* track) {
    if (!track) {
        json.Null();
        return;
    }
    json.BeginArray();
    for (const FloatKey& key : track->keys) {
        json.BeginObject();
        json.Key("time");
        json.Float(key.time);
        json.Key("value");
        json.Float(key.value);
        WriteSplineFields(json, key);
        json.EndObject();
    }
    json.EndArray();
}

void WriteVectorKeys(JsonWriter& json, const std::vector<VectorKey>& keys) {
    json.BeginArray();
    for (const VectorKey& key : keys) {
        json.BeginObject();
        json.Key("time");
        json.Float(key.time);
        json.Key("value");
        WriteVector(json, key.value);
        WriteSplineFields(json, key);
        json.EndObject();
    }
    json.EndArray();
}

void WriteRotationKeys(JsonWriter& json, const std::vector<RotationKey>& keys) {
    json.BeginArray();
    for (const RotationKey& key : keys) {
        json.BeginObject();
        json.Key("time");
        json.Float(key.time);
        json.Key("axis");
        WriteVector(json, key.axis);
        json.Key("angle");
        json.Float(key.angle);
        json.Key("turns");
        json.Integer(key.turns);
        WriteSplineFields(json, key);
        json.EndObject();
    }
    json.EndArray();
}

// {kind, keys} of a track whose keys writeKeys writes.
template <typename Keys>
void WriteTrackOf(JsonWriter& json, const char* kind, const Keys& keys,
                  void (*writeKeys)(JsonWriter&, const Keys&)) {
    json.BeginObject();
    json.Key("kind");
    json.String(kind);
    json.Key("keys");
    writeKeys(json, keys);
    json.EndObject();
}

// {kind, keys}, or null without a track.
void WriteTrack(JsonWriter& json, const Track* track) {
    if (const auto* position = dynamic_cast<const PositionTrack*>(track)) {
        WriteTrackOf(json, "position", position->keys, WriteVectorKeys);
    } else if (const auto* euler = dynamic_cast<const EulerRotationTrack*>(track)) {
        WriteTrackOf(json, "euler", euler->keys, WriteVectorKeys);
    } else if (const auto* rotation = dynamic_cast<const RotationTrack*>(track)) {
        WriteTrackOf(json, "axisAngle", rotation->keys, WriteRotationKeys);
    } else if (const auto* scale = dynamic_cast<const ScaleTrack*>(track)) {
        WriteTrackOf(json, "scale", scale->keys, WriteVectorKeys);
    } else {
        json.Null();
    }
}

void WriteMeshInfo(JsonWriter& json, const Mesh& mesh, const SceneNames& names) {
    json.Key("vertexCount");
    json.Unsigned(mesh.vertexCount);
    json.Key("triangleCount");
    json.Unsigned(mesh.triangleCount);
    json.Key("indexCount");
    json.Unsigned(mesh.indexCount);
    json.Key("hidden");
    json.Unsigned(mesh.hidden);
    json.Key("boundsMin");
    WriteVector(json, mesh.boundsMin);
    json.Key("boundsMax");
    WriteVector(json, mesh.boundsMax);
    json.Key("material");
    NameOrNull(json, names.materials, mesh.material);
    json.Key("vertexShader");
    json.Unsigned(mesh.vertexShader);
    json.Key("groups");
    json.BeginArray();
    if (const auto* rigid = dynamic_cast<const RigidMesh*>(&mesh)) {
        for (const MeshGroup& group : rigid->groups) {
            json.BeginObject();
            json.Key("material");
            NameOrNull(json, names.materials, group.material);
            json.Key("startIndex");
            json.Unsigned(group.startIndex);
            json.Key("triangleCount");
            json.Unsigned(group.triangleCount);
            json.EndObject();
        }
    }
    json.EndArray();
    json.Key("morphKeys");
    if (mesh.morphTrack) {
        json.BeginArray();
        for (const MorphTrack::Key& key : mesh.morphTrack->keys) {
            json.BeginObject();
            json.Key("time");
            json.Float(key.time);
            json.Key("value");
            NameOrNull<SceneObject>(json, names.objects, key.value);
            json.EndObject();
        }
        json.EndArray();
    } else {
        json.Null();
    }
    json.Key("visibilityKeys");
    if (mesh.visibilityTrack) {
        json.BeginArray();
        for (const StepTrack::Key& key : mesh.visibilityTrack->keys) {
            json.BeginObject();
            json.Key("time");
            json.Float(key.time);
            json.Key("value");
            json.Unsigned(key.value);
            json.EndObject();
        }
        json.EndArray();
    } else {
        json.Null();
    }
    if (const auto* skinned = dynamic_cast<const SkinnedMesh*>(&mesh)) {
        json.Key("boneCount");
        json.Unsigned(skinned->boneCount);
        json.Key("bones");
        json.BeginArray();
        for (const Bone& bone : skinned->bones) {
            json.BeginObject();
            json.Key("controller");
            NameOrNull(json, names.controllers, bone.controller);
            json.Key("offset");
            WriteMatrix(json, bone.offset);
            json.EndObject();
        }
        json.EndArray();
    }
}

void WriteObjectInfo(JsonWriter& json, const SceneObject& object, const std::string& name,
                     const SceneNames& names) {
    json.BeginObject();
    json.Key("name");
    json.String(name);
    json.Key("type");
    json.Integer(object.GetType());
    json.Key("class");
    json.String(ClassName(object));
    if (const auto* camera = dynamic_cast<const Camera*>(&object)) {
        json.Key("position");
        WriteVector(json, camera->position);
        json.Key("fieldOfView");
        json.Float(camera->fieldOfView);
        json.Key("fovKeys");
        WriteFloatKeys(json, camera->fovTrack.get());
        if (const auto* target = dynamic_cast<const TargetCamera*>(camera)) {
            json.Key("roll");
            json.Float(target->roll);
            json.Key("rollKeys");
            WriteFloatKeys(json, target->rollTrack.get());
            json.Key("target");
            NameOrNull<SceneObject>(json, names.objects, target->target);
        }
    } else if (const auto* light = dynamic_cast<const Light*>(&object)) {
        json.Key("position");
        WriteVector(json, light->position);
        json.Key("lightIndex");
        json.Unsigned(light->lightIndex);
    } else if (const auto* point = dynamic_cast<const PointObject*>(&object)) {
        json.Key("position");
        WriteVector(json, point->position);
    } else if (const auto* mesh = dynamic_cast<const Mesh*>(&object)) {
        WriteMeshInfo(json, *mesh, names);
    }
    json.EndObject();
}

// A node and, in order, its children; siblings are written by the caller's loop, so only child
// links nest (their depth is bounded by the loader).
void WriteNode(JsonWriter& json, const Controller& node, const SceneNames& names) {
    json.BeginObject();
    json.Key("name");
    NameOrNull(json, names.controllers, &node);
    json.Key("object");
    NameOrNull(json, names.objects, node.object);
    json.Key("position");
    WriteTrack(json, node.positionTrack.get());
    json.Key("rotation");
    WriteTrack(json, node.rotationTrack.get());
    json.Key("scale");
    WriteTrack(json, node.scaleTrack.get());
    json.Key("children");
    json.BeginArray();
    for (const Controller* child = node.child; child; child = child->sibling) {
        WriteNode(json, *child, names);
    }
    json.EndArray();
    json.EndObject();
}

// Controllers in the walk's order: a node, its child subtree, then its next sibling.
void WriteWalk(JsonWriter& json, const Controller* first, const SceneNames& names) {
    for (const Controller* node = first; node; node = node->sibling) {
        json.BeginObject();
        json.Key("name");
        NameOrNull(json, names.controllers, node);
        json.Key("time");
        json.Float(node->time);
        json.Key("world");
        WriteMatrix(json, node->world);
        json.EndObject();
        WriteWalk(json, node->child, names);
    }
}

// The last matrix set for state among the recorded calls, if any.
std::optional<Matrix> LastTransform(const RecordingDevice& recorder, D3DTRANSFORMSTATETYPE state) {
    std::optional<Matrix> last;
    for (const RecordedCall& call : recorder.Calls()) {
        if (call.method == "SetTransform" && call.result == D3D_OK && call.args.size() == 2 &&
            call.args[0] == RecordedArg(state)) {
            last = call.args[1].As<Matrix>();
        }
    }
    return last;
}

bool ParseTime(const std::string& text, float& time) {
    if (text.empty()) {
        return false;
    }
    // Overflow gives an infinity, refused below; an underflow (ERANGE too) is still a finite time.
    char* end = nullptr;
    time = std::strtof(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(time);
}

} // namespace

InspectedScene::~InspectedScene() {
    // The scene's buffers and the cached textures go before the device that made them.
    scene.reset();
    if (device) {
        TextureManager::Instance().Init(nullptr, D3DFMT_A8R8G8B8);
    }
}

std::optional<std::string> LoadSceneForInspection(const char* path, InspectedScene& inspected) {
    const std::optional<std::vector<std::uint8_t>> file = ReadWholeFile(path);
    if (!file) {
        return std::string("zeb3d: cannot read ") + path + ": " + std::strerror(errno);
    }
    constexpr char kMagic[] = "ZEB3D"; // with its NUL, six bytes
    if (file->size() < sizeof kMagic || std::memcmp(file->data(), kMagic, sizeof kMagic) != 0) {
        return std::string("zeb3d: ") + path + ": not a scene file (no ZEB3D magic)";
    }

    inspected.direct3D.Reset(CreateRecordingDirect3D8(DeviceOptions{}));
    inspected.device.Reset(CreateDemoRecordingDevice(inspected.direct3D.Get()));
    if (!inspected.device) {
        return std::string("zeb3d: cannot create the recording device");
    }
    inspected.recorder = AsRecordingDevice(inspected.device.Get());

    TextureManager& textures = TextureManager::Instance();
    textures.SetDataDirectory("data");
    textures.Init(inspected.device.Get(), D3DFMT_A8R8G8B8);

    inspected.scene = std::make_unique<Scene>();
    inspected.scene->InitDevice(inspected.device.Get(), 0);
    inspected.scene->Load(inspected.device.Get(), path);
    inspected.scene->nearPlane = 5.0f;
    inspected.scene->farPlane = 50000.0f;
    return std::nullopt;
}

void WriteSceneInfo(const Scene& scene, JsonWriter& json) {
    const SceneNames names(scene);
    json.BeginObject();
    json.Key("lastFrame");
    json.Unsigned(scene.lastFrame);

    json.Key("flares");
    json.BeginObject();
    json.Key("frameCount");
    json.Unsigned(scene.flares ? scene.flares->frameCount : 0);
    json.Key("frames");
    json.BeginArray();
    if (scene.flares) {
        for (const std::unique_ptr<FlareFrame>& frame : scene.flares->frames) {
            json.BeginArray();
            for (std::uint32_t i = 0; i < frame->Count(); ++i) {
                json.BeginObject();
                json.Key("x");
                json.Integer(frame->X(i));
                json.Key("y");
                json.Integer(frame->Y(i));
                json.Key("size");
                json.Float(frame->Size(i));
                json.EndObject();
            }
            json.EndArray();
        }
    }
    json.EndArray();
    json.EndObject();

    json.Key("materials");
    json.BeginArray();
    for (auto it = scene.materials.begin(); it != scene.materials.end(); ++it) {
        const Material& material = **it;
        json.BeginObject();
        json.Key("name");
        json.String(it.GetEntry().name);
        json.Key("flags");
        json.Unsigned(material.flags);
        json.Key("blendMode");
        json.Unsigned(material.blendMode);
        json.Key("opacity");
        json.Float(material.opacity);
        json.Key("red");
        json.Float(material.red);
        json.Key("green");
        json.Float(material.green);
        json.Key("blue");
        json.Float(material.blue);
        json.Key("textureName");
        WriteOptionalString(json, material.textureName);
        json.Key("secondTextureName");
        WriteOptionalString(json, material.secondTextureName);
        json.EndObject();
    }
    json.EndArray();

    json.Key("objects");
    json.BeginArray();
    for (auto it = scene.objects.begin(); it != scene.objects.end(); ++it) {
        WriteObjectInfo(json, **it, it.GetEntry().name, names);
    }
    json.EndArray();

    json.Key("lightCount");
    json.Unsigned(scene.lightCount);
    json.Key("activeCamera");
    NameOrNull<SceneObject>(json, names.objects, scene.activeCamera);
    json.Key("root");
    if (scene.rootController) {
        WriteNode(json, *scene.rootController, names);
    } else {
        json.Null();
    }
    // A root node may have siblings of its own; they are evaluated after the root's subtree.
    json.Key("rootSiblings");
    json.BeginArray();
    for (const Controller* node = scene.rootController ? scene.rootController->sibling : nullptr;
         node; node = node->sibling) {
        WriteNode(json, *node, names);
    }
    json.EndArray();
    json.EndObject();
}

void WriteSceneEvaluation(InspectedScene& inspected, float time, JsonWriter& json) {
    Scene& scene = *inspected.scene;
    inspected.recorder->ClearCalls();
    scene.Evaluate(time);

    const SceneNames names(scene);
    json.BeginObject();
    json.Key("controllers");
    json.BeginArray();
    WriteWalk(json, scene.rootController, names);
    json.EndArray();

    json.Key("objects");
    json.BeginArray();
    for (auto it = scene.objects.begin(); it != scene.objects.end(); ++it) {
        const SceneObject& object = **it;
        json.BeginObject();
        json.Key("name");
        json.String(it.GetEntry().name);
        json.Key("class");
        json.String(ClassName(object));
        if (const auto* camera = dynamic_cast<const Camera*>(&object)) {
            json.Key("position");
            WriteVector(json, camera->position);
            json.Key("fieldOfView");
            json.Float(camera->fieldOfView);
            if (const auto* target = dynamic_cast<const TargetCamera*>(camera)) {
                json.Key("roll");
                json.Float(target->roll);
            }
            json.Key("view");
            WriteMatrix(json, camera->view);
        } else if (const auto* point = dynamic_cast<const PointObject*>(&object)) {
            json.Key("position");
            WriteVector(json, point->position);
        } else if (const auto* mesh = dynamic_cast<const Mesh*>(&object)) {
            json.Key("hidden");
            json.Unsigned(mesh->hidden);
            json.Key("morphFrom");
            NameOrNull<SceneObject>(json, names.objects, mesh->morphFrom);
            json.Key("morphTo");
            NameOrNull<SceneObject>(json, names.objects, mesh->morphTo);
            json.Key("morphFraction");
            json.Float(mesh->morphFraction);
            json.Key("world");
            WriteMatrix(json, mesh->world);
        }
        json.EndObject();
    }
    json.EndArray();

    for (const auto& [key, state] :
         {std::pair{"projection", D3DTS_PROJECTION}, std::pair{"view", D3DTS_VIEW}}) {
        json.Key(key);
        if (const std::optional<Matrix> matrix = LastTransform(*inspected.recorder, state)) {
            WriteMatrix(json, *matrix);
        } else {
            json.Null();
        }
    }
    json.EndObject();
}

int RunZeb3d(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const bool info = args.size() == 2 && args[0] == "info";
    const bool eval = args.size() == 3 && args[0] == "eval";
    float time = 0.0f;
    if ((!info && !eval) || (eval && !ParseTime(args[2], time))) {
        err << kUsage;
        return 2;
    }
    InspectedScene inspected;
    if (const std::optional<std::string> error =
            LoadSceneForInspection(args[1].c_str(), inspected)) {
        err << *error << '\n';
        return 1;
    }
    JsonWriter json(out);
    if (info) {
        WriteSceneInfo(*inspected.scene, json);
    } else {
        WriteSceneEvaluation(inspected, time, json);
    }
    out << '\n';
    return 0;
}

// The scene inspector zeb3d: its JSON description of a scene file, of the scene's state at one
// time, its errors and its exit statuses.
#include "zeb3d/JsonWriter.h"
#include "zeb3d/SceneInspector.h"

#include "scene/SceneWriter.h"
#include "support/Json.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh temporary folder made the current directory (scene files and
// texture names are looked up there); the previous directory comes back afterwards.
class Zeb3dTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "zeb3d_test.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        fs::current_path(folder);
    }
    void TearDown() override {
        std::error_code error;
        fs::current_path(previous, error);
        fs::remove_all(folder, error);
    }

    fs::path previous;
    fs::path folder;
};

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

RunResult RunInspector(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunZeb3d(args, out, err);
    return {status, out.str(), err.str()};
}

// Runs a command that must succeed with one line of JSON and nothing on err.
JsonValue RunJson(const std::vector<std::string>& args) {
    const RunResult result = RunInspector(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(result.out.empty());
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << "not one line: " << result.out;
    return ParseJson(result.out);
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const JsonValue& list, const char* key = "name") {
    std::vector<std::string> names;
    for (const JsonValue& item : list.Items()) {
        names.push_back(item[key].IsNull() ? "<null>" : item[key].AsString());
    }
    return names;
}

// Row-major 4 x 4 matrices for row vectors, built from the textbook formulas in double.
using Mat = std::array<double, 16>;

Mat Identity() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

Mat Translation(double x, double y, double z) {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

// Rows (c, 0, -s), (0, 1, 0), (s, 0, c).
Mat RotationY(double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
}

Mat Multiply(const Mat& a, const Mat& b) {
    Mat r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                r[i * 4 + j] += a[i * 4 + k] * b[k * 4 + j];
            }
        }
    }
    return r;
}

Mat MatFromJson(const JsonValue& json) {
    EXPECT_EQ(json.Size(), 16u);
    Mat m{};
    for (std::size_t i = 0; i < 16 && i < json.Size(); ++i) {
        m[i] = json[i].AsNumber();
    }
    return m;
}

void ExpectMatrixNear(const JsonValue& json, const Mat& expected, double tolerance,
                      const std::string& what) {
    const Mat actual = MatFromJson(json);
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance)
            << what << " element " << i / 4 << "," << i % 4;
    }
}

// Values that pass through the file as f32 come back exactly.
void ExpectVector(const JsonValue& json, float x, float y, float z, const std::string& what) {
    ASSERT_EQ(json.Size(), 3u) << what;
    EXPECT_EQ(json[0].AsFloat(), x) << what;
    EXPECT_EQ(json[1].AsFloat(), y) << what;
    EXPECT_EQ(json[2].AsFloat(), z) << what;
}

const JsonValue& FindByName(const JsonValue& list, const std::string& name) {
    for (const JsonValue& item : list.Items()) {
        if (item["name"].IsString() && item["name"].AsString() == name) {
            return item;
        }
    }
    throw std::out_of_range("no entry named " + name);
}

constexpr std::uint32_t kFreeCamera = 0xFF01;
constexpr std::uint32_t kCameraTarget = 0xFF02;
constexpr std::uint32_t kLight = 0xFF03;
constexpr std::uint32_t kRigidMesh = 0xFF04;
constexpr std::uint32_t kSkinnedMesh = 0xFF05;
constexpr std::uint32_t kTargetCamera = 0xFF06;

constexpr std::uint32_t kBoneNode = 0xEE01;
constexpr std::uint32_t kMeshNode = 0xEE02;
constexpr std::uint32_t kObjectNode = 0xEE03;
constexpr std::uint32_t kTargetCameraNode = 0xEE04;
constexpr std::uint32_t kFreeCameraNode = 0xEE05;
constexpr std::uint32_t kGroupNode = 0xEE07;

ObjectDescription LightObject(const std::string& name, Vector3 position) {
    ObjectDescription light;
    light.name = name;
    light.kind = kLight;
    light.position = position;
    return light;
}

ObjectDescription RigidMeshObject(const std::string& name, std::vector<Vector3> positions) {
    ObjectDescription mesh;
    mesh.name = name;
    mesh.kind = kRigidMesh;
    for (const Vector3& p : positions) {
        mesh.rigidVertices.push_back({.position = p, .normal = Vector3(0, 0, 1)});
    }
    return mesh;
}

NodeDescription Node(std::uint32_t kind, const std::string& controller, const std::string& object) {
    NodeDescription node;
    node.kind = kind;
    node.controllerName = controller;
    node.objectName = object;
    return node;
}

// The offset of bone 2: element (r, c), counted from 1, holds 10·r + c.
Matrix NumberedMatrix() {
    Matrix m;
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 4; ++c) {
            m.Element(r, c) = static_cast<float>(10 * r + c);
        }
    }
    return m;
}

// A scene with every kind of object and node. Objects, in file order: Lamp1, Cam1 (the first
// camera, so the active one), Box (between the two lights), Lamp2, Cam2 with its target
// Cam2.Target, Orphan (a target naming no camera), Skin, MorphA (tweened), MorphB and Blob (morph
// and visibility tracks). The tree is Root with eight children (BoxNode with the two bone nodes
// below it), and a sibling of the root, Extra.
SceneDescription EveryKindScene() {
    SceneDescription scene;
    scene.lastFrame = 100;
    scene.flareFrames = {
        {.tag = 7,
         .flares = {{.x = 100, .y = 200, .size = 50.0f, .extra = 9},
                    {.x = -5, .y = 700, .size = 0.1f, .extra = 0}}},
        {.tag = 8, .flares = {}},
    };
    scene.materials = {
        // 0x40: no texture names in the file, whatever the description holds.
        {.name = "Chrome",
         .flags = 0x41,
         .opacity = 0.5f,
         .red = 0.25f,
         .green = 0.5f,
         .blue = 0.75f,
         .textureName = "unused.jpg",
         .secondTextureName = "unused2.jpg"},
        {.name = "Wood",
         .flags = 0x01,
         .opacity = 1.0f,
         .red = 1.0f,
         .green = 0.0f,
         .blue = 0.0f,
         .textureName = "wood.jpg",
         .secondTextureName = "env.jpg"},
        // glass.a beside the scene is an alpha mask: the loader adds 0x04 and 0x10.
        {.name = "Glass",
         .flags = 0x00,
         .opacity = 0.25f,
         .red = 0.0f,
         .green = 1.0f,
         .blue = 0.0f,
         .textureName = "glass.tga",
         .secondTextureName = ""},
    };

    ObjectDescription cam1;
    cam1.name = "Cam1";
    cam1.kind = kFreeCamera;
    cam1.position = Vector3(1, 2, 3);
    cam1.fieldOfView = 35.0f;

    ObjectDescription box = RigidMeshObject("Box", {{1, 5, -2}, {3, 0, -4}, {2, 9, 7}});
    box.referencePoint = Vector3(9, 9, 9);
    box.indices = {0, 1, 2, 2, 1, 0};
    box.groups = {{"NoSuchMaterial", 0, 1}, {"chrome", 3, 1}, {"$emptymaterial", 0, 0}};

    ObjectDescription cam2;
    cam2.name = "Cam2";
    cam2.kind = kTargetCamera;
    cam2.position = Vector3(0, 0, -10);
    cam2.fieldOfView = 45.0f;
    cam2.roll = 10.0f;

    ObjectDescription target;
    target.name = "Cam2.Target";
    target.kind = kCameraTarget;
    target.ownerName = "CAM2";
    target.position = Vector3(0, 0, 5);

    ObjectDescription orphan;
    orphan.name = "Orphan";
    orphan.kind = kCameraTarget;
    orphan.ownerName = "Nobody";
    orphan.position = Vector3(1, 1, 1);

    ObjectDescription skin;
    skin.name = "Skin";
    skin.kind = kSkinnedMesh;
    skin.boneCount = 2;
    skin.skinnedVertices = {
        {.position = Vector3(1, 0, 0),
         .normal = Vector3(0, 0, 1),
         .weight1 = 1.0f,
         .boneIndices = 0x0201},
        {.position = Vector3(0, 1, 0),
         .normal = Vector3(0, 0, 1),
         .weight1 = 0.5f,
         .boneIndices = 0x0102},
    };
    skin.indices = {0, 1, 0};
    skin.groups = {{"Glass", 0, 1}};

    ObjectDescription morphA = RigidMeshObject("MorphA", {{1, 1, 1}});
    morphA.tween = 1;
    ObjectDescription morphB = RigidMeshObject("MorphB", {{2, 2, 2}});
    ObjectDescription blob = RigidMeshObject("Blob", {{0, 0, 0}});
    blob.hidden = 1;

    scene.objects = {LightObject("Lamp1", Vector3(10, 20, 30)),
                     cam1,
                     box,
                     LightObject("Lamp2", Vector3(-1, -2, -3)),
                     cam2,
                     target,
                     orphan,
                     skin,
                     morphA,
                     morphB,
                     blob};

    // The object name of a grouping node is not looked up.
    NodeDescription root = Node(kGroupNode, "Root", "Lamp1");

    NodeDescription cam1Node = Node(kFreeCameraNode, "Cam1Node", "cam1");
    cam1Node.positionKeys = {{.value = Vector3(1, 2, 3), .time = 0.0f}};
    cam1Node.eulerRotation = true;
    cam1Node.eulerKeys = {{.value = Vector3(0, 0.5f, 0), .time = 0.0f}};
    cam1Node.fovKeys = std::vector<FloatKeyDescription>{{.value = 40.0f, .time = 0.0f},
                                                        {.value = 80.0f, .time = 10.0f}};

    NodeDescription cam2Node = Node(kTargetCameraNode, "Cam2Node", "Cam2");
    cam2Node.rollKeys = std::vector<FloatKeyDescription>{{.value = -20.0f, .time = 0.0f}};
    cam2Node.fovKeys = std::vector<FloatKeyDescription>{{.value = 50.0f, .time = 0.0f}};

    NodeDescription targetNode = Node(kObjectNode, "TargetNode", "Cam2.Target");
    targetNode.positionKeys = {{.value = Vector3(0, 0, 0), .time = 0.0f},
                               {.value = Vector3(10, 20, 30), .time = 10.0f}};

    NodeDescription lamp1Node = Node(kObjectNode, "Lamp1Node", "Lamp1");

    NodeDescription lamp2Node = Node(kObjectNode, "Lamp2Node", "Lamp2");
    lamp2Node.positionKeys = {{.value = Vector3(4, 5, 6), .time = 0.0f}};
    lamp2Node.rotationKeys = {{.axis = Vector3(0, 1, 0), .angle = -1.0f, .time = 0.0f}};

    NodeDescription boxNode = Node(kMeshNode, "BoxNode", "Box");
    boxNode.positionKeys = {{.value = Vector3(0, 100, 0), .time = 0.0f}};
    NodeDescription bone1 = Node(kBoneNode, "Bone1", "Skin");
    bone1.boneIndex = 2;
    bone1.offset = NumberedMatrix();
    bone1.positionKeys = {{.value = Vector3(1, 0, 0), .time = 0.0f}};
    NodeDescription bone2 = Node(kBoneNode, "Bone2", "Skin");
    bone2.boneIndex = 1;
    boxNode.children = {bone1, bone2};

    NodeDescription skinNode = Node(kMeshNode, "SkinNode", "Skin");

    NodeDescription blobNode = Node(kMeshNode, "BlobNode", "Blob");
    blobNode.morphKeys =
        std::vector<MorphKeyDescription>{{"MorphA", 0.0f}, {"morphb", 10.0f}, {"Nothing", 20.0f}};
    blobNode.visibilityKeys =
        std::vector<StepKeyDescription>{{.value = 0, .time = 0.0f}, {.value = 1, .time = 5.0f}};

    root.children = {cam1Node,  cam2Node, targetNode, lamp1Node,
                     lamp2Node, boxNode,  skinNode,   blobNode};
    scene.rootNodes = {root, Node(kGroupNode, "Extra", "")};
    return scene;
}

// Writes the every-kind scene and the alpha mask of its glass texture.
void WriteEveryKindScene(const std::string& path) {
    ASSERT_TRUE(WriteSceneFile(path, EveryKindScene()));
    WriteBytes("glass.a", {0x42, 0x4D, 0x00}); // only its presence matters
}

// The every-kind scene's info, read once per test.
class Zeb3dInfoTest : public Zeb3dTest {
protected:
    void SetUp() override {
        Zeb3dTest::SetUp();
        WriteEveryKindScene("scene.3d");
        info = RunJson({"info", "scene.3d"});
    }
    const JsonValue& Object(const std::string& name) const {
        return FindByName(info["objects"], name);
    }

    JsonValue info;
};

TEST_F(Zeb3dInfoTest, TopLevelHoldsLastFrameFlaresAndCounts) {
    EXPECT_EQ(info.Keys(),
              (std::vector<std::string>{"lastFrame", "flares", "materials", "objects", "lightCount",
                                        "activeCamera", "root", "rootSiblings"}));
    EXPECT_EQ(info["lastFrame"].AsNumber(), 100);
    EXPECT_EQ(info["lightCount"].AsNumber(), 2);
    // Lamp1 comes first, then the free camera Cam1, then the target camera Cam2.
    EXPECT_EQ(info["activeCamera"].AsString(), "Cam1");

    const JsonValue& flares = info["flares"];
    EXPECT_EQ(flares["frameCount"].AsNumber(), 2);
    ASSERT_EQ(flares["frames"].Size(), 2u);
    const JsonValue& first = flares["frames"][0];
    ASSERT_EQ(first.Size(), 2u);
    EXPECT_EQ(first[0].Keys(), (std::vector<std::string>{"x", "y", "size"}));
    EXPECT_EQ(first[0]["x"].AsNumber(), 100);
    EXPECT_EQ(first[0]["y"].AsNumber(), 200);
    EXPECT_EQ(first[0]["size"].AsNumber(), 50);
    EXPECT_EQ(first[1]["x"].AsNumber(), -5);
    EXPECT_EQ(first[1]["y"].AsNumber(), 700);
    EXPECT_EQ(first[1]["size"].AsFloat(), 0.1f);
    EXPECT_EQ(flares["frames"][1].Size(), 0u);
}

TEST_F(Zeb3dInfoTest, MaterialsStartWithTheEmptyMaterialAndShowTheLoadedFlags) {
    struct Case {
        const char* name;
        double flags;
        float opacity, red, green, blue;
        const char* textureName; // null: none
        const char* secondTextureName;
    } cases[] = {
        {"$EMPTYMATERIAL", 0x40, 0.0f, 1.0f, 1.0f, 1.0f, nullptr, nullptr},
        // Flags 0x41 are kept as read: 0x40 means the file holds no texture names.
        {"Chrome", 0x41, 0.5f, 0.25f, 0.5f, 0.75f, nullptr, nullptr},
        {"Wood", 0x01, 1.0f, 1.0f, 0.0f, 0.0f, "wood.jpg", "env.jpg"},
        // An alpha mask beside the base texture adds 0x04 and 0x10.
        {"Glass", 0x14, 0.25f, 0.0f, 1.0f, 0.0f, "glass.tga", nullptr},
    };
    const JsonValue& materials = info["materials"];
    ASSERT_EQ(materials.Size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const JsonValue& m = materials[i];
        EXPECT_EQ(m.Keys(),
                  (std::vector<std::string>{"name", "flags", "blendMode", "opacity", "red", "green",
                                            "blue", "textureName", "secondTextureName"}));
        EXPECT_EQ(m["name"].AsString(), c.name);
        EXPECT_EQ(m["flags"].AsNumber(), c.flags) << c.name;
        EXPECT_EQ(m["blendMode"].AsNumber(), 0) << c.name;
        EXPECT_EQ(m["opacity"].AsFloat(), c.opacity) << c.name;
        EXPECT_EQ(m["red"].AsFloat(), c.red) << c.name;
        EXPECT_EQ(m["green"].AsFloat(), c.green) << c.name;
        EXPECT_EQ(m["blue"].AsFloat(), c.blue) << c.name;
        for (const auto& [key, expected] : {std::pair{"textureName", c.textureName},
                                            std::pair{"secondTextureName", c.secondTextureName}}) {
            if (expected) {
                EXPECT_EQ(m[key].AsString(), expected) << c.name << " " << key;
            } else {
                EXPECT_TRUE(m[key].IsNull()) << c.name << " " << key;
            }
        }
    }
}

TEST_F(Zeb3dInfoTest, ObjectsComeInFileOrderWithTheirClassesFields) {
    const std::vector<std::string> point = {"name", "type", "class", "position"};
    const std::vector<std::string> light = {"name", "type", "class", "position", "lightIndex"};
    const std::vector<std::string> freeCamera = {"name",     "type",        "class",
                                                 "position", "fieldOfView", "fovKeys"};
    const std::vector<std::string> targetCamera = {"name",     "type",        "class",
                                                   "position", "fieldOfView", "fovKeys",
                                                   "roll",     "rollKeys",    "target"};
    const std::vector<std::string> rigid = {
        "name",         "type",   "class",     "vertexCount",   "triangleCount",
        "indexCount",   "hidden", "boundsMin", "boundsMax",     "material",
        "vertexShader", "groups", "morphKeys", "visibilityKeys"};
    std::vector<std::string> skinned = rigid;
    skinned.push_back("boneCount");
    skinned.push_back("bones");

    struct Case {
        const char* name;
        double type;
        const char* className;
        const std::vector<std::string>* keys;
    } cases[] = {
        {"Lamp1", 5, "Light", &light},
        {"Cam1", 4, "FreeCamera", &freeCamera},
        {"Box", 1, "RigidMesh", &rigid},
        {"Lamp2", 5, "Light", &light},
        {"Cam2", 4, "TargetCamera", &targetCamera},
        {"Cam2.Target", 6, "CameraTarget", &point},
        {"Orphan", 6, "CameraTarget", &point},
        {"Skin", 2, "SkinnedMesh", &skinned},
        {"MorphA", 1, "RigidMesh", &rigid},
        {"MorphB", 1, "RigidMesh", &rigid},
        {"Blob", 1, "RigidMesh", &rigid},
    };
    const JsonValue& objects = info["objects"];
    ASSERT_EQ(objects.Size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(objects[i]["name"].AsString(), c.name);
        EXPECT_EQ(objects[i]["type"].AsNumber(), c.type) << c.name;
        EXPECT_EQ(objects[i]["class"].AsString(), c.className) << c.name;
        EXPECT_EQ(objects[i].Keys(), *c.keys) << c.name;
    }
}

TEST_F(Zeb3dInfoTest, LightsTakeDeviceSlotsInFileOrder) {
    const JsonValue& lamp1 = Object("Lamp1");
    ExpectVector(lamp1["position"], 10, 20, 30, "Lamp1");
    EXPECT_EQ(lamp1["lightIndex"].AsNumber(), 0);
    const JsonValue& lamp2 = Object("Lamp2");
    ExpectVector(lamp2["position"], -1, -2, -3, "Lamp2");
    EXPECT_EQ(lamp2["lightIndex"].AsNumber(), 1);
}

TEST_F(Zeb3dInfoTest, CamerasShowFileValuesTracksAndTarget) {
    const JsonValue& cam1 = Object("Cam1");
    ExpectVector(cam1["position"], 1, 2, 3, "Cam1");
    EXPECT_EQ(cam1["fieldOfView"].AsNumber(), 35);
    ASSERT_EQ(cam1["fovKeys"].Size(), 2u);
    EXPECT_EQ(cam1["fovKeys"][0]["time"].AsNumber(), 0);
    EXPECT_EQ(cam1["fovKeys"][0]["value"].AsNumber(), 40);
    EXPECT_EQ(cam1["fovKeys"][1]["time"].AsNumber(), 10);
    EXPECT_EQ(cam1["fovKeys"][1]["value"].AsNumber(), 80);

    const JsonValue& cam2 = Object("Cam2");
    ExpectVector(cam2["position"], 0, 0, -10, "Cam2");
    EXPECT_EQ(cam2["fieldOfView"].AsNumber(), 45);
    EXPECT_EQ(cam2["roll"].AsNumber(), 10);
    ASSERT_EQ(cam2["rollKeys"].Size(), 1u);
    EXPECT_EQ(cam2["rollKeys"][0]["value"].AsNumber(), -20);
    ASSERT_EQ(cam2["fovKeys"].Size(), 1u);
    EXPECT_EQ(cam2["fovKeys"][0]["value"].AsNumber(), 50);
    // The target record named its camera in other letter case.
    EXPECT_EQ(cam2["target"].AsString(), "Cam2.Target");

    ExpectVector(Object("Cam2.Target")["position"], 0, 0, 5, "Cam2.Target");
    ExpectVector(Object("Orphan")["position"], 1, 1, 1, "Orphan");
}

TEST_F(Zeb3dTest, CameraWithoutTracksShowsNullKeys) {
    WriteBytes("plain.3d", WriteScene([] {
                   SceneDescription scene;
                   ObjectDescription camera;
                   camera.name = "Still";
                   camera.kind = kTargetCamera;
                   camera.fieldOfView = 30.0f;
                   scene.objects = {camera};
                   return scene;
               }()));
    const JsonValue plain = RunJson({"info", "plain.3d"});
    const JsonValue& still = plain["objects"][0];
    EXPECT_TRUE(still["fovKeys"].IsNull());
    EXPECT_TRUE(still["rollKeys"].IsNull());
    EXPECT_TRUE(still["target"].IsNull());
    EXPECT_EQ(plain["activeCamera"].AsString(), "Still");
}

TEST_F(Zeb3dInfoTest, RigidMeshHasBoundsGroupsAndFixedFunctionFormat) {
    const JsonValue& box = Object("Box");
    EXPECT_EQ(box["vertexCount"].AsNumber(), 3);
    EXPECT_EQ(box["triangleCount"].AsNumber(), 2);
    EXPECT_EQ(box["indexCount"].AsNumber(), 6);
    EXPECT_EQ(box["hidden"].AsNumber(), 0);
    // Vertices (1, 5, -2), (3, 0, -4), (2, 9, 7), axis by axis.
    ExpectVector(box["boundsMin"], 1, 0, -4, "boundsMin");
    ExpectVector(box["boundsMax"], 3, 9, 7, "boundsMax");
    // The first group names no material, so the mesh has none; the others keep theirs.
    EXPECT_TRUE(box["material"].IsNull());
    EXPECT_EQ(box["vertexShader"].AsNumber(), 0x112);

    struct Case {
        const char* material; // null: none
        double startIndex, triangleCount;
    } cases[] = {{nullptr, 0, 1}, {"Chrome", 3, 1}, {"$EMPTYMATERIAL", 0, 0}};
    const JsonValue& groups = box["groups"];
    ASSERT_EQ(groups.Size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(groups[i].Keys(),
                  (std::vector<std::string>{"material", "startIndex", "triangleCount"}));
        if (cases[i].material) {
            EXPECT_EQ(groups[i]["material"].AsString(), cases[i].material) << i;
        } else {
            EXPECT_TRUE(groups[i]["material"].IsNull()) << i;
        }
        EXPECT_EQ(groups[i]["startIndex"].AsNumber(), cases[i].startIndex) << i;
        EXPECT_EQ(groups[i]["triangleCount"].AsNumber(), cases[i].triangleCount) << i;
    }
    EXPECT_TRUE(box["morphKeys"].IsNull());
    EXPECT_TRUE(box["visibilityKeys"].IsNull());

    const JsonValue& morphA = Object("MorphA");
    ExpectVector(morphA["boundsMin"], 1, 1, 1, "one vertex");
    ExpectVector(morphA["boundsMax"], 1, 1, 1, "one vertex");
}

TEST_F(Zeb3dInfoTest, SkinnedMeshHasBonesSetByTheirNodes) {
    const JsonValue& skin = Object("Skin");
    EXPECT_EQ(skin["vertexCount"].AsNumber(), 2);
    EXPECT_EQ(skin["triangleCount"].AsNumber(), 1);
    EXPECT_EQ(skin["indexCount"].AsNumber(), 3);
    EXPECT_EQ(skin["vertexShader"].AsNumber(), 0x111C);
    EXPECT_EQ(skin["material"].AsString(), "Glass");
    // No bounding box is computed for a skinned mesh.
    ExpectVector(skin["boundsMin"], 0, 0, 0, "boundsMin");
    ExpectVector(skin["boundsMax"], 0, 0, 0, "boundsMax");
    EXPECT_EQ(skin["boneCount"].AsNumber(), 2);

    const JsonValue& bones = skin["bones"];
    ASSERT_EQ(bones.Size(), 2u);
    // Bone2's node gave bone index 1, Bone1's bone index 2.
    EXPECT_EQ(bones[0].Keys(), (std::vector<std::string>{"controller", "offset"}));
    EXPECT_EQ(bones[0]["controller"].AsString(), "Bone2");
    ExpectMatrixNear(bones[0]["offset"], Identity(), 0.0, "bone 1 offset");
    EXPECT_EQ(bones[1]["controller"].AsString(), "Bone1");
    ExpectMatrixNear(bones[1]["offset"],
                     {11, 12, 13, 14, 21, 22, 23, 24, 31, 32, 33, 34, 41, 42, 43, 44}, 0.0,
                     "bone 2 offset, row by row");
}

TEST_F(Zeb3dInfoTest, MeshTracksListTheirKeys) {
    const JsonValue& blob = Object("Blob");
    EXPECT_EQ(blob["hidden"].AsNumber(), 1);
    EXPECT_TRUE(blob["material"].IsNull());
    EXPECT_EQ(blob["groups"].Size(), 0u);

    struct MorphCase {
        double time;
        const char* value; // null: the name matched no object
    } morphs[] = {{0, "MorphA"}, {10, "MorphB"}, {20, nullptr}};
    const JsonValue& morphKeys = blob["morphKeys"];
    ASSERT_EQ(morphKeys.Size(), std::size(morphs));
    for (std::size_t i = 0; i < std::size(morphs); ++i) {
        EXPECT_EQ(morphKeys[i].Keys(), (std::vector<std::string>{"time", "value"}));
        EXPECT_EQ(morphKeys[i]["time"].AsNumber(), morphs[i].time);
        if (morphs[i].value) {
            EXPECT_EQ(morphKeys[i]["value"].AsString(), morphs[i].value);
        } else {
            EXPECT_TRUE(morphKeys[i]["value"].IsNull());
        }
    }

    const JsonValue& visibilityKeys = blob["visibilityKeys"];
    ASSERT_EQ(visibilityKeys.Size(), 2u);
    EXPECT_EQ(visibilityKeys[0]["time"].AsNumber(), 0);
    EXPECT_EQ(visibilityKeys[0]["value"].AsNumber(), 0);
    EXPECT_EQ(visibilityKeys[1]["time"].AsNumber(), 5);
    EXPECT_EQ(visibilityKeys[1]["value"].AsNumber(), 1);
}

TEST_F(Zeb3dInfoTest, TreeFollowsChildAndSiblingLinks) {
    const JsonValue& root = info["root"];
    EXPECT_EQ(root.Keys(), (std::vector<std::string>{"name", "object", "position", "rotation",
                                                     "scale", "children"}));
    EXPECT_EQ(root["name"].AsString(), "Root");
    EXPECT_TRUE(root["object"].IsNull()) << "a grouping node drives nothing";

    const JsonValue& children = root["children"];
    EXPECT_EQ(Names(children),
              (std::vector<std::string>{"Cam1Node", "Cam2Node", "TargetNode", "Lamp1Node",
                                        "Lamp2Node", "BoxNode", "SkinNode", "BlobNode"}));
    EXPECT_EQ(Names(children, "object"),
              (std::vector<std::string>{"Cam1", "Cam2", "Cam2.Target", "Lamp1", "Lamp2", "Box",
                                        "Skin", "Blob"}));
    const JsonValue& boxNode = children[5];
    EXPECT_EQ(Names(boxNode["children"]), (std::vector<std::string>{"Bone1", "Bone2"}));
    for (const JsonValue& bone : boxNode["children"].Items()) {
        EXPECT_TRUE(bone["object"].IsNull()) << "a bone node drives no object";
        EXPECT_EQ(bone["children"].Size(), 0u);
    }
    EXPECT_EQ(children[0]["children"].Size(), 0u);

    const JsonValue& siblings = info["rootSiblings"];
    EXPECT_EQ(Names(siblings), (std::vector<std::string>{"Extra"}));
    EXPECT_EQ(siblings[0]["children"].Size(), 0u);
}

TEST_F(Zeb3dInfoTest, NodeTracksShowTheirKindAndKeys) {
    const JsonValue& children = info["root"]["children"];

    // Every node has its three tracks, empty ones included.
    const JsonValue& lamp1Node = children[3];
    EXPECT_EQ(lamp1Node["position"]["kind"].AsString(), "position");
    EXPECT_EQ(lamp1Node["position"]["keys"].Size(), 0u);
    EXPECT_EQ(lamp1Node["rotation"]["kind"].AsString(), "axisAngle");
    EXPECT_EQ(lamp1Node["scale"]["kind"].AsString(), "scale");
    EXPECT_EQ(lamp1Node["scale"]["keys"].Size(), 0u);

    const JsonValue& cam1Rotation = children[0]["rotation"];
    EXPECT_EQ(cam1Rotation["kind"].AsString(), "euler");
    ASSERT_EQ(cam1Rotation["keys"].Size(), 1u);
    ExpectVector(cam1Rotation["keys"][0]["value"], 0, 0.5f, 0, "Euler angles");

    const JsonValue& targetKeys = children[2]["position"]["keys"];
    ASSERT_EQ(targetKeys.Size(), 2u);
    EXPECT_EQ(targetKeys[1].Keys(),
              (std::vector<std::string>{"time", "value", "tension", "continuity", "bias", "easeTo",
                                        "easeFrom"}));
    EXPECT_EQ(targetKeys[0]["time"].AsNumber(), 0);
    ExpectVector(targetKeys[0]["value"], 0, 0, 0, "first key");
    EXPECT_EQ(targetKeys[1]["time"].AsNumber(), 10);
    ExpectVector(targetKeys[1]["value"], 10, 20, 30, "second key");

    // A negative angle is made positive with the axis turned round.
    const JsonValue& lamp2Rotation = children[4]["rotation"];
    EXPECT_EQ(lamp2Rotation["kind"].AsString(), "axisAngle");
    ASSERT_EQ(lamp2Rotation["keys"].Size(), 1u);
    const JsonValue& key = lamp2Rotation["keys"][0];
    ExpectVector(key["axis"], 0, -1, 0, "axis");
    EXPECT_EQ(key["angle"].AsNumber(), 1);
    EXPECT_EQ(key["turns"].AsNumber(), 0);
}

TEST_F(Zeb3dTest, TweenedRigidMeshUsesTheScenesTweenDeclaration) {
    SceneDescription scene;
    scene.objects = {RigidMeshObject("Tweened", {{0, 0, 0}}),
                     RigidMeshObject("Plain", {{0, 0, 0}})};
    scene.objects[0].tween = 1;
    ASSERT_TRUE(WriteSceneFile("tween.3d", scene));

    InspectedScene inspected;
    ASSERT_EQ(LoadSceneForInspection("tween.3d", inspected), std::nullopt);
    // Loaded as the demo loads a scene: flags 0 on a software-processing device, then the
    // player's clipping planes.
    EXPECT_EQ(inspected.scene->deviceFlags, 0u);
    EXPECT_EQ(inspected.scene->nearPlane, 5.0f);
    EXPECT_EQ(inspected.scene->farPlane, 50000.0f);
    ASSERT_NE(inspected.scene->tweenDeclaration, 0u);

    std::ostringstream out;
    JsonWriter json(out);
    WriteSceneInfo(*inspected.scene, json);
    const JsonValue info = ParseJson(out.str());
    EXPECT_EQ(info["objects"][0]["vertexShader"].AsNumber(), inspected.scene->tweenDeclaration);
    EXPECT_EQ(info["objects"][1]["vertexShader"].AsNumber(), 0x112);
}

// A minimal scene file written byte by byte: one flare, one untextured material, one light and
// the root node driving it with one position key.
const std::vector<std::uint8_t> kMinimalScene = {
    'Z',  'E',  'B',  '3',  'D', 0, // magic with its NUL
    1,    0,    0,    0,            // flare frameCount 1
    0xAA, 0,    0,    0,            // frameTag, ignored
    1,    0,    0,    0,            // flareCount 1
    0x90, 0x01, 0,    0,            // x 400
    0x2C, 0x01, 0,    0,            // y 300
    0,    0,    0x48, 0x42,         // size 50.0
    0,    0,    0,    0,            // extra
    7,    0,    0,    0,            // lastFrame 7
    0x10, 0x10, 0,    0,            // material marker
    1,    0,    0,    0,            // materialCount 1
    'M',  0,                        // name
    0x40, 0,    0,    0,            // flags 0x40: no texture names follow
    0xCD, 0xCC, 0xCC, 0x3D,         // opacity 0.1f
    0,    0,    0x80, 0x3F,         // red 1.0
    0,    0,    0,    0,            // green 0.0
    0,    0,    0x80, 0x3E,         // blue 0.25
    0x20, 0x20, 0,    0,            // object marker
    1,    0,    0,    0,            // objectCount 1
    'L',  0,                        // name
    0x03, 0xFF, 0,    0,            // kind 0xFF03: light
    0,    0,    0x80, 0x3F,         // position x 1.0
    0,    0,    0,    0x40,         //          y 2.0
    0,    0,    0x40, 0xC0,         //          z -3.0
    0x30, 0x30, 0,    0,            // hierarchy marker
    0x03, 0xEE, 0,    0,            // node kind 0xEE03: drives the object it names
    0,    0,    0,    0,            // flags: no child, no sibling, axis-angle rotation keys
    'N',  0,                        // controller name
    'l',  0,                        // object name, in other letter case
    1,    0,    0,    0,            // position keys: 1
    0,    0,    0,    0,            //   value x 0.0
    0,    0,    0,    0,            //         y 0.0
    0,    0,    0,    0x41,         //         z 8.0
    0,    0,    0,    0,            //   time 0.0
    0,    0,    0,    0,            //   tension
    0,    0,    0,    0,            //   bias
    0,    0,    0,    0,            //   continuity
    0,    0,    0,    0,            //   easeTo
    0,    0,    0,    0,            //   easeFrom
    0,    0,    0,    0,            // rotation keys: none
    0,    0,    0,    0,            // scale keys: none
};

TEST_F(Zeb3dTest, HandWrittenFileIsDescribedFieldByField) {
    WriteBytes("minimal.3d", kMinimalScene);
    const RunResult result = RunInspector({"info", "minimal.3d"});
    ASSERT_EQ(result.status, 0) << result.err;
    // f32 values print with nine significant digits.
    EXPECT_NE(result.out.find("\"opacity\":0.100000001,"), std::string::npos) << result.out;

    const JsonValue info = ParseJson(result.out);
    EXPECT_EQ(info["lastFrame"].AsNumber(), 7);
    EXPECT_EQ(info["flares"]["frameCount"].AsNumber(), 1);
    const JsonValue& flare = info["flares"]["frames"][0][0];
    EXPECT_EQ(flare["x"].AsNumber(), 400);
    EXPECT_EQ(flare["y"].AsNumber(), 300);
    EXPECT_EQ(flare["size"].AsNumber(), 50);

    EXPECT_EQ(Names(info["materials"]), (std::vector<std::string>{"$EMPTYMATERIAL", "M"}));
    const JsonValue& m = info["materials"][1];
    EXPECT_EQ(m["flags"].AsNumber(), 0x40);
    EXPECT_EQ(m["opacity"].AsFloat(), 0.1f);
    EXPECT_EQ(m["red"].AsNumber(), 1);
    EXPECT_EQ(m["green"].AsNumber(), 0);
    EXPECT_EQ(m["blue"].AsNumber(), 0.25);
    EXPECT_TRUE(m["textureName"].IsNull());
    EXPECT_TRUE(m["secondTextureName"].IsNull());

    ASSERT_EQ(info["objects"].Size(), 1u);
    const JsonValue& light = info["objects"][0];
    EXPECT_EQ(light["name"].AsString(), "L");
    EXPECT_EQ(light["class"].AsString(), "Light");
    ExpectVector(light["position"], 1, 2, -3, "light");
    EXPECT_EQ(light["lightIndex"].AsNumber(), 0);
    EXPECT_EQ(info["lightCount"].AsNumber(), 1);
    EXPECT_TRUE(info["activeCamera"].IsNull());

    const JsonValue& root = info["root"];
    EXPECT_EQ(root["name"].AsString(), "N");
    EXPECT_EQ(root["object"].AsString(), "L");
    const JsonValue& key = root["position"]["keys"][0];
    EXPECT_EQ(key["time"].AsNumber(), 0);
    ExpectVector(key["value"], 0, 0, 8, "position key");
    for (const char* field : {"tension", "continuity", "bias", "easeTo", "easeFrom"}) {
        EXPECT_EQ(key[field].AsNumber(), 0) << field;
    }
    EXPECT_EQ(root["rotation"]["kind"].AsString(), "axisAngle");
    EXPECT_EQ(root["rotation"]["keys"].Size(), 0u);
    EXPECT_EQ(root["scale"]["keys"].Size(), 0u);
    EXPECT_EQ(root["children"].Size(), 0u);
    EXPECT_EQ(info["rootSiblings"].Size(), 0u);
}

TEST_F(Zeb3dTest, EvaluationWithoutCameraSetsNoProjectionOrView) {
    WriteBytes("minimal.3d", kMinimalScene);
    const JsonValue eval = RunJson({"eval", "minimal.3d", "3"});
    EXPECT_EQ(eval.Keys(),
              (std::vector<std::string>{"controllers", "objects", "projection", "view"}));
    ASSERT_EQ(eval["controllers"].Size(), 1u);
    const JsonValue& node = eval["controllers"][0];
    EXPECT_EQ(node.Keys(), (std::vector<std::string>{"name", "time", "world"}));
    EXPECT_EQ(node["name"].AsString(), "N");
    EXPECT_EQ(node["time"].AsNumber(), 3);
    ExpectMatrixNear(node["world"], Translation(0, 0, 8), 0.0, "N");
    // The light moves from its file position to its node's origin.
    ExpectVector(eval["objects"][0]["position"], 0, 0, 8, "light");
    EXPECT_TRUE(eval["projection"].IsNull());
    EXPECT_TRUE(eval["view"].IsNull());
}

// The every-kind scene evaluated at time 5.
class Zeb3dEvalTest : public Zeb3dTest {
protected:
    void SetUp() override {
        Zeb3dTest::SetUp();
        WriteEveryKindScene("scene.3d");
        eval = RunJson({"eval", "scene.3d", "5"});
    }
    const JsonValue& Object(const std::string& name) const {
        return FindByName(eval["objects"], name);
    }

    JsonValue eval;
};

// Cam1Node: Euler angles (0, 0.5, 0) turn about y only; then the translation (1, 2, 3).
Mat Cam1World() {
    return Multiply(RotationY(0.5), Translation(1, 2, 3));
}

// Lamp2Node: angle 1 about (0, -1, 0) gives the quaternion (cos 0.5, 0, -sin 0.5, 0), whose
// matrix has rows (1 - 2y², 0, 2wy), (0, 1, 0), (-2wy, 0, 1 - 2y²) = (cos 1, 0, -sin 1), (0, 1, 0),
// (sin 1, 0, cos 1): RotationY(1). Then the translation (4, 5, 6).
Mat Lamp2World() {
    return Multiply(RotationY(1.0), Translation(4, 5, 6));
}

TEST_F(Zeb3dEvalTest, ControllersComeInWalkOrderWithTheirWorldMatrices) {
    struct Case {
        const char* name;
        Mat world;
    } cases[] = {
        {"Root", Identity()},
        {"Cam1Node", Cam1World()},
        {"Cam2Node", Identity()},
        // Keys (0, 0, 0) at 0 and (10, 20, 30) at 10 with zero tension, bias and continuity: both
        // tangents are the difference of the keys, so the curve is the straight line.
        {"TargetNode", Translation(5, 10, 15)},
        {"Lamp1Node", Identity()},
        {"Lamp2Node", Lamp2World()},
        {"BoxNode", Translation(0, 100, 0)},
        {"Bone1", Translation(1, 100, 0)}, // its own translation, then its parent's
        {"Bone2", Translation(0, 100, 0)},
        {"SkinNode", Identity()},
        {"BlobNode", Identity()},
        {"Extra", Identity()},
    };
    const JsonValue& controllers = eval["controllers"];
    ASSERT_EQ(controllers.Size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(controllers[i]["name"].AsString(), cases[i].name);
        EXPECT_EQ(controllers[i]["time"].AsNumber(), 5) << cases[i].name;
        ExpectMatrixNear(controllers[i]["world"], cases[i].world, 1e-6, cases[i].name);
    }
}

TEST_F(Zeb3dEvalTest, FreeCameraViewIsTheInverseOfItsWorld) {
    const JsonValue& cam1 = Object("Cam1");
    EXPECT_EQ(cam1.Keys(),
              (std::vector<std::string>{"name", "class", "position", "fieldOfView", "view"}));
    ExpectVector(cam1["position"], 1, 2, 3, "Cam1");
    // Field-of-view keys 40 at 0 and 80 at 10: the straight line gives 60 at 5.
    EXPECT_NEAR(cam1["fieldOfView"].AsNumber(), 60.0, 1e-5);

    // The inverse of R·T is T⁻¹·Rᵀ: rows of Rᵀ, then row 3 = -(1, 2, 3)·Rᵀ.
    const double c = std::cos(0.5);
    const double s = std::sin(0.5);
    const Mat inverse = {c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, -(c - 3 * s), -2, -(s + 3 * c), 1};
    ExpectMatrixNear(cam1["view"], inverse, 1e-6, "Cam1 view");
    const Mat product = Multiply(Cam1World(), MatFromJson(cam1["view"]));
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_NEAR(product[i], Identity()[i], 1e-5) << "world · view, element " << i;
    }
    // The active camera's view is the one the device received.
    ExpectMatrixNear(eval["view"], MatFromJson(cam1["view"]), 0.0, "device view");
}

TEST_F(Zeb3dEvalTest, ProjectionComesFromTheActiveCameraAndTheScenesSettings) {
    // Field of view 60, aspect 0.75, near 5, far 50000; f = 1 / tan(fov · 0.00872664).
    const double f = 1.0 / std::tan(60.0 * static_cast<double>(0.00872664f));
    const double q = 50000.0 / (50000.0 - 5.0);
    const Mat expected = {0.75 * f, 0, 0, 0, 0, f, 0, 0, 0, 0, q, 1, 0, 0, -q * 5.0, 0};
    ExpectMatrixNear(eval["projection"], expected, 1e-6, "projection");
    EXPECT_NEAR(eval["projection"][5].AsNumber(), 1.7320524, 1e-6);
    EXPECT_NEAR(eval["projection"][0].AsNumber(), 0.75 * 1.7320524, 1e-6);
    EXPECT_NEAR(eval["projection"][14].AsNumber(), -5.00050005, 1e-6);
}

TEST_F(Zeb3dEvalTest, ObjectsTakeTheirFrameValues) {
    ExpectVector(Object("Lamp1")["position"], 0, 0, 0, "Lamp1");
    ExpectVector(Object("Cam2.Target")["position"], 5, 10, 15, "Cam2.Target");
    ExpectVector(Object("Orphan")["position"], 1, 1, 1, "Orphan, driven by no node");
    const JsonValue& lamp2 = Object("Lamp2");
    EXPECT_EQ(lamp2.Keys(), (std::vector<std::string>{"name", "class", "position"}));
    ExpectVector(lamp2["position"], 4, 5, 6, "Lamp2");

    // The target camera takes its tracks' values; only the active camera sets a view.
    const JsonValue& cam2 = Object("Cam2");
    EXPECT_EQ(cam2.Keys(), (std::vector<std::string>{"name", "class", "position", "fieldOfView",
                                                     "roll", "view"}));
    ExpectVector(cam2["position"], 0, 0, 0, "Cam2");
    EXPECT_EQ(cam2["fieldOfView"].AsNumber(), 50);
    EXPECT_EQ(cam2["roll"].AsNumber(), -20);
    Mat zero{};
    ExpectMatrixNear(cam2["view"], zero, 0.0, "Cam2 view");

    const JsonValue& box = Object("Box");
    EXPECT_EQ(box.Keys(), (std::vector<std::string>{"name", "class", "hidden", "morphFrom",
                                                    "morphTo", "morphFraction", "world"}));
    ExpectMatrixNear(box["world"], Translation(0, 100, 0), 0.0, "Box world");
    // A mesh no node drives keeps its all-zero world.
    ExpectMatrixNear(Object("MorphB")["world"], zero, 0.0, "MorphB world");
}

TEST_F(Zeb3dTest, MeshTakesMorphAndVisibilityValuesAtEachTime) {
    WriteEveryKindScene("scene.3d");
    // Morph keys MorphA at 0, MorphB at 10, an unknown name at 20; visibility 0 at 0, 1 at 5.
    struct Case {
        const char* time;
        double hidden;
        const char* from; // null: none
        const char* to;
        double fraction;
    } cases[] = {
        {"-1", 0, "MorphA", "MorphA", 0.0}, // before the first key
        {"5", 0, "MorphA", "MorphB", 0.5},  // the key at 5 takes effect only after 5
        {"6", 1, "MorphA", "MorphB", 0.6},  {"15", 1, "MorphB", nullptr, 0.5},
        {"25", 1, nullptr, nullptr, 1.0}, // after the last key
    };
    for (const Case& c : cases) {
        const JsonValue eval = RunJson({"eval", "scene.3d", c.time});
        const JsonValue& blob = FindByName(eval["objects"], "Blob");
        EXPECT_EQ(blob["hidden"].AsNumber(), c.hidden) << c.time;
        for (const auto& [key, expected] : {std::pair{"morphFrom", c.from}, {"morphTo", c.to}}) {
            if (expected) {
                EXPECT_EQ(blob[key].AsString(), expected) << c.time << " " << key;
            } else {
                EXPECT_TRUE(blob[key].IsNull()) << c.time << " " << key;
            }
        }
        EXPECT_NEAR(blob["morphFraction"].AsNumber(), c.fraction, 1e-6) << c.time;
    }
}

TEST_F(Zeb3dTest, TimesAreAnyFiniteNumber) {
    WriteBytes("minimal.3d", kMinimalScene);
    struct Case {
        const char* text;
        float time;
    } cases[] = {
        {"0", 0.0f}, {"-2.5", -2.5f}, {"1e1", 10.0f}, {"12.75", 12.75f}, {"1e-40", 1e-40f},
    };
    for (const Case& c : cases) {
        const JsonValue eval = RunJson({"eval", "minimal.3d", c.text});
        EXPECT_EQ(eval["controllers"][0]["time"].AsFloat(), c.time) << c.text;
    }
}

// A free camera and two lights, cut two bytes into Lamp2's y: its name (6 bytes), kind (4) and
// x (4) remain.
void WriteCutScene(const std::string& path) {
    SceneDescription scene;
    scene.lastFrame = 42;
    ObjectDescription camera;
    camera.name = "Cam";
    camera.kind = kFreeCamera;
    camera.position = Vector3(1, 2, 3);
    camera.fieldOfView = 50.0f;
    scene.objects = {camera, LightObject("Lamp1", Vector3(4, 5, 6)),
                     LightObject("Lamp2", Vector3(7, 8, 9))};
    scene.rootNodes = {Node(kFreeCameraNode, "CamNode", "Cam")};
    std::vector<std::uint8_t> bytes = WriteScene(scene);

    const std::string name("Lamp2", 6);
    const auto at = std::search(bytes.begin(), bytes.end(), name.begin(), name.end());
    ASSERT_NE(at, bytes.end());
    bytes.erase(at + 6 + 4 + 4 + 2, bytes.end());
    WriteBytes(path, bytes);
}

TEST_F(Zeb3dTest, TruncatedFileKeepsWhatWasRead) {
    WriteCutScene("cut.3d");
    const JsonValue info = RunJson({"info", "cut.3d"});
    EXPECT_EQ(info["lastFrame"].AsNumber(), 42);
    EXPECT_EQ(Names(info["objects"]), (std::vector<std::string>{"Cam", "Lamp1", "Lamp2"}));
    ExpectVector(info["objects"][0]["position"], 1, 2, 3, "Cam");
    ExpectVector(info["objects"][1]["position"], 4, 5, 6, "Lamp1");
    // The field cut off and the one after it read as zero.
    ExpectVector(info["objects"][2]["position"], 7, 0, 0, "Lamp2");
    EXPECT_EQ(info["objects"][2]["lightIndex"].AsNumber(), 1);
    EXPECT_EQ(info["lightCount"].AsNumber(), 2);
    // The load stops at the missing hierarchy marker.
    EXPECT_TRUE(info["root"].IsNull());
    EXPECT_EQ(info["rootSiblings"].Size(), 0u);

    const JsonValue eval = RunJson({"eval", "cut.3d", "1"});
    EXPECT_EQ(eval["controllers"].Size(), 0u);
    EXPECT_EQ(Names(eval["objects"]), (std::vector<std::string>{"Cam", "Lamp1", "Lamp2"}));
}

TEST_F(Zeb3dTest, LoadStoppedBeforeTheTreeHasNoActiveCamera) {
    // The camera choice is the load's last step, after the tree; a load that stops earlier
    // leaves the scene without a camera, so a frame sets no projection and no view.
    WriteCutScene("cut.3d");
    EXPECT_TRUE(RunJson({"info", "cut.3d"})["activeCamera"].IsNull());
    const JsonValue eval = RunJson({"eval", "cut.3d", "1"});
    EXPECT_TRUE(eval["projection"].IsNull());
    EXPECT_TRUE(eval["view"].IsNull());
}

TEST_F(Zeb3dTest, UnreadableFileOrWrongMagicIsAOneLineError) {
    std::vector<std::uint8_t> lowercase = WriteScene(SceneDescription{});
    lowercase[0] = 'z';
    struct Case {
        const char* path;
        std::vector<std::uint8_t> bytes;
        bool create;
    } cases[] = {
        {"missing.3d", {}, false},
        {"lowercase.3d", lowercase, true},
        {"empty.3d", {}, true},
        {"short.3d", {'Z', 'E', 'B', '3'}, true},
        {"longer.3d", {'Z', 'E', 'B', '3', 'D', 'X', 0, 0, 0, 0, 0}, true},
    };
    fs::create_directory("folder.3d");
    for (const Case& c : cases) {
        if (c.create) {
            WriteBytes(c.path, c.bytes);
        }
    }
    std::vector<std::string> paths;
    for (const Case& c : cases) {
        paths.push_back(c.path);
    }
    paths.push_back("folder.3d");
    for (const std::string& path : paths) {
        for (const std::vector<std::string>& args : {std::vector<std::string>{"info", path},
                                                     std::vector<std::string>{"eval", path, "0"}}) {
            const RunResult result = RunInspector(args);
            EXPECT_EQ(result.status, 1) << path;
            EXPECT_EQ(result.out, "") << path;
            EXPECT_EQ(result.err.rfind("zeb3d: ", 0), 0u) << result.err;
            EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
            EXPECT_EQ(result.err.find('\n'), result.err.size() - 1)
                << "not one line: " << result.err;
        }
    }
}

TEST_F(Zeb3dTest, WrongArgumentsPrintTheUsage) {
    WriteBytes("ok.3d", kMinimalScene);
    const std::vector<std::string> cases[] = {
        {},
        {"info"},
        {"info", "ok.3d", "extra"},
        {"eval", "ok.3d"},
        {"eval", "missing.3d"}, // the arguments are checked before the file
        {"eval", "ok.3d", "abc"},
        {"eval", "ok.3d", ""},
        {"eval", "ok.3d", "1.5x"},
        {"eval", "ok.3d", "nan"},
        {"eval", "ok.3d", "inf"},
        {"eval", "ok.3d", "-infinity"},
        {"eval", "ok.3d", "1e39"}, // beyond f32
        {"eval", "ok.3d", "2", "3"},
        {"dump", "ok.3d"},
        {"INFO", "ok.3d"},
    };
    for (const std::vector<std::string>& args : cases) {
        std::string line;
        for (const std::string& arg : args) {
            line += "[" + arg + "]";
        }
        const RunResult result = RunInspector(args);
        EXPECT_EQ(result.status, 2) << line;
        EXPECT_EQ(result.out, "") << line;
        EXPECT_EQ(result.err.rfind("usage:", 0), 0u) << line << ": " << result.err;
        EXPECT_NE(result.err.find("zeb3d info FILE"), std::string::npos) << line;
        EXPECT_NE(result.err.find("zeb3d eval FILE TIME"), std::string::npos) << line;
    }
}

TEST_F(Zeb3dTest, NamesWithQuotesBackslashesAndHighBytesGiveValidJson) {
    // Bytes 0x80-0xFF stand for the code points U+0080-U+00FF.
    struct Case {
        std::string file;
        std::string json;
    } names[] = {
        {"Q\"B\\S\xE9\x01", "Q\"B\\S\xC3\xA9\x01"}, // material
        {"O\"\\\xFF\t/", "O\"\\\xC3\xBF\t/"},       // object
        {"C\xC3\xA9\n", "C\xC3\x83\xC2\xA9\n"},     // controller (UTF-8 bytes as they are)
        {"\x7F\x80\x9F", "\x7F\xC2\x80\xC2\x9F"},   // texture
    };
    SceneDescription scene;
    scene.materials = {{.name = names[0].file,
                        .flags = 0,
                        .opacity = 1.0f,
                        .red = 1.0f,
                        .green = 1.0f,
                        .blue = 1.0f,
                        .textureName = names[3].file,
                        .secondTextureName = ""}};
    ObjectDescription mesh = RigidMeshObject(names[1].file, {{0, 0, 0}});
    mesh.groups = {{names[0].file, 0, 0}};
    scene.objects = {mesh};
    scene.rootNodes = {Node(kMeshNode, names[2].file, names[1].file)};
    ASSERT_TRUE(WriteSceneFile("names.3d", scene));

    const JsonValue info = RunJson({"info", "names.3d"});
    EXPECT_EQ(info["materials"][1]["name"].AsString(), names[0].json);
    EXPECT_EQ(info["materials"][1]["textureName"].AsString(), names[3].json);
    EXPECT_EQ(info["objects"][0]["name"].AsString(), names[1].json);
    EXPECT_EQ(info["objects"][0]["material"].AsString(), names[0].json);
    EXPECT_EQ(info["root"]["name"].AsString(), names[2].json);
    EXPECT_EQ(info["root"]["object"].AsString(), names[1].json);

    const JsonValue eval = RunJson({"eval", "names.3d", "0"});
    EXPECT_EQ(eval["controllers"][0]["name"].AsString(), names[2].json);
    EXPECT_EQ(eval["objects"][0]["name"].AsString(), names[1].json);
}

TEST_F(Zeb3dTest, NonFiniteFloatsPrintAsNull) {
    SceneDescription scene;
    scene.objects = {LightObject("Odd", Vector3(std::numeric_limits<float>::infinity(),
                                                std::numeric_limits<float>::quiet_NaN(), 2))};
    ASSERT_TRUE(WriteSceneFile("odd.3d", scene));
    const JsonValue info = RunJson({"info", "odd.3d"});
    const JsonValue& position = info["objects"][0]["position"];
    ASSERT_EQ(position.Size(), 3u);
    EXPECT_TRUE(position[0].IsNull());
    EXPECT_TRUE(position[1].IsNull());
    EXPECT_EQ(position[2].AsNumber(), 2);
}

TEST(JsonWriterTest, FloatsPrintWithNineSignificantDigits) {
    struct Case {
        float value;
        const char* text;
    } cases[] = {
        {0.1f, "0.100000001"},        // 0.100000001490116...
        {1.0f / 3.0f, "0.333333343"}, // 0.333333343267440...
        {-2.5f, "-2.5"},
        {16777216.0f, "16777216"},
        {123456789.0f, "123456792"}, // the nearest f32
        {1e-7f, "1.00000001e-07"},   // 1.00000001168609...e-7
        {3.40282347e38f, "3.40282347e+38"},
        {std::numeric_limits<float>::infinity(), "null"},
        {-std::numeric_limits<float>::infinity(), "null"},
        {std::numeric_limits<float>::quiet_NaN(), "null"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        JsonWriter json(out);
        json.Float(c.value);
        EXPECT_EQ(out.str(), c.text);
    }
}

TEST(JsonWriterTest, ContainersSeparateTheirValuesAndStringsAreEscaped) {
    std::ostringstream out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("a");
    json.BeginArray();
    json.Integer(-1);
    json.Unsigned(4294967295u);
    json.Bool(true);
    json.Null();
    json.EndArray();
    json.Key("b\"");
    json.BeginObject();
    json.EndObject();
    json.Key("c");
    const float values[] = {0.5f, 2.0f};
    json.Floats(values, 2);
    json.Key("d");
    json.String(std::string("\"\\\n\r\t\x01\x1F\x7F\xE9", 9));
    json.EndObject();
    EXPECT_EQ(out.str(), "{\"a\":[-1,4294967295,true,null],\"b\\\"\":{},\"c\":[0.5,2],"
                         "\"d\":\"\\\"\\\\\\n\\r\\t\\u0001\\u001f\x7F\xC3\xA9\"}");
}

#ifdef ZEB3D_PROGRAM
// Runs the built program with its stderr into err.txt; gives the exit status and stdout.
RunResult RunProgram(const std::string& arguments) {
    const std::string command = std::string("'") + ZEB3D_PROGRAM + "' " + arguments + " 2>err.txt";
    RunResult result{-1, "", ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, got);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadText("err.txt");
    return result;
}

TEST_F(Zeb3dTest, ProgramWritesOneLineOfJson) {
    WriteEveryKindScene("scene.3d");
    for (const char* arguments : {"info scene.3d", "eval scene.3d 5"}) {
        const RunResult result = RunProgram(arguments);
        EXPECT_EQ(result.status, 0) << arguments << ": " << result.err;
        EXPECT_EQ(result.err, "") << arguments;
        ASSERT_FALSE(result.out.empty()) << arguments;
        EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << arguments;
        const JsonValue json = ParseJson(result.out);
        EXPECT_TRUE(json.IsObject()) << arguments;
    }
    EXPECT_EQ(ParseJson(RunProgram("info scene.3d").out)["lastFrame"].AsNumber(), 100);
}

TEST_F(Zeb3dTest, ProgramExitStatusesForBadFilesAndArguments) {
    WriteBytes("bad.3d", {'z', 'E', 'B', '3', 'D', 0});
    struct Case {
        const char* arguments;
        int status;
        const char* errStart;
    } cases[] = {
        {"info missing.3d", 1, "zeb3d: "},
        {"eval bad.3d 0", 1, "zeb3d: "},
        {"", 2, "usage:"},
        {"eval bad.3d soon", 2, "usage:"},
    };
    for (const Case& c : cases) {
        const RunResult result = RunProgram(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments;
        EXPECT_EQ(result.out, "") << c.arguments;
        EXPECT_EQ(result.err.rfind(c.errStart, 0), 0u) << c.arguments << ": " << result.err;
    }
}
#endif

} // namespace

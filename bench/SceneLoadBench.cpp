// Scene loading on the call-recording device: a 50,000-vertex, 100-material scene file read
// into a Scene as the demo loads its scenes.
#include <benchmark/benchmark.h>

#include "device/DeviceOptions.h"
#include "device/DevicePtr.h"
#include "device/recording/RecordingDevice.h"
#include "image/TextureManager.h"
#include "scene/Mesh.h"
#include "scene/Scene.h"
#include "scene/SceneWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kMeshCount = 10;
constexpr int kVerticesPerMesh = 5000;
constexpr int kMaterialCount = 100;

// Ten rigid meshes of 5,000 vertices (a 50 x 100 grid each, two triangles per cell, ten groups),
// 100 untextured materials, a target camera, two lights and a node per object with keys.
SceneDescription LargeScene() {
    SceneDescription scene;
    scene.lastFrame = 1000;
    scene.flareFrames.resize(1001);
    for (int i = 0; i < kMaterialCount; ++i) {
        MaterialDescription material;
        material.name = "material" + std::to_string(i);
        material.flags = 0x40;
        material.red = static_cast<float>(i) / kMaterialCount;
        scene.materials.push_back(material);
    }
    constexpr int columns = 50;
    constexpr int rows = kVerticesPerMesh / columns;
    for (int m = 0; m < kMeshCount; ++m) {
        ObjectDescription mesh;
        mesh.name = "mesh" + std::to_string(m);
        mesh.kind = 0xFF04;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                RigidVertexDescription vertex;
                vertex.position =
                    Vector3(static_cast<float>(c), static_cast<float>(m), static_cast<float>(r));
                vertex.normal = Vector3(0.0f, 1.0f, 0.0f);
                vertex.u = static_cast<float>(c) / columns;
                vertex.v = static_cast<float>(r) / rows;
                mesh.rigidVertices.push_back(vertex);
            }
        }
        for (int r = 0; r + 1 < rows; ++r) {
            for (int c = 0; c + 1 < columns; ++c) {
                const auto at = [](int row, int column) {
                    return static_cast<std::uint16_t>(row * columns + column);
                };
                for (const std::uint16_t index : {at(r, c), at(r + 1, c), at(r, c + 1),
                                                  at(r, c + 1), at(r + 1, c), at(r + 1, c + 1)}) {
                    mesh.indices.push_back(index);
                }
            }
        }
        const auto triangles = static_cast<std::uint32_t>(mesh.indices.size() / 3);
        for (std::uint32_t g = 0; g < 10; ++g) {
            mesh.groups.push_back(GroupDescription{"material" + std::to_string(m * 10 + g),
                                                   g * triangles / 10 * 3, triangles / 10});
        }
        scene.objects.push_back(mesh);
    }
    ObjectDescription camera;
    camera.name = "camera";
    camera.kind = 0xFF06;
    camera.position = Vector3(0.0f, 50.0f, -200.0f);
    camera.fieldOfView = 60.0f;
    scene.objects.push_back(camera);
    ObjectDescription target;
    target.name = "target";
    target.kind = 0xFF02;
    target.ownerName = "camera";
    scene.objects.push_back(target);
    for (int l = 0; l < 2; ++l) {
        ObjectDescription light;
        light.name = "light" + std::to_string(l);
        light.kind = 0xFF03;
        scene.objects.push_back(light);
    }

    NodeDescription root;
    for (const ObjectDescription& object : scene.objects) {
        NodeDescription node;
        node.kind = object.kind == 0xFF04 ? 0xEE02 : object.kind == 0xFF06 ? 0xEE04 : 0xEE03;
        node.controllerName = object.name + "-node";
        node.objectName = object.name;
        for (int k = 0; k < 20; ++k) {
            const float time = static_cast<float>(k * 50);
            node.positionKeys.push_back({Vector3(std::sin(time), 0.0f, std::cos(time)), time});
            node.rotationKeys.push_back({Vector3(0.0f, 1.0f, 0.0f), 0.3f, time});
            node.scaleKeys.push_back({Vector3(1.0f, 1.0f, 1.0f), time});
        }
        root.children.push_back(node);
    }
    scene.rootNodes.push_back(root);
    return scene;
}

class SceneFile {
public:
    SceneFile() {
        path = (std::filesystem::temp_directory_path() /
                ("scene_load_bench_" + std::to_string(::getpid()) + ".3d"))
                   .string();
        if (!WriteSceneFile(path, LargeScene())) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::abort();
        }
    }
    ~SceneFile() { std::filesystem::remove(path); }
    std::string path;
};

void BM_LoadScene(benchmark::State& state) {
    static const SceneFile file;
    DevicePtr<IDirect3D8> direct3D(CreateRecordingDirect3D8(DeviceOptions{}));
    DevicePtr<IDirect3DDevice8> device(CreateDemoRecordingDevice(direct3D.Get()));
    RecordingDevice* recorder = AsRecordingDevice(device.Get());
    TextureManager::Instance().SetDataDirectory("data");
    TextureManager::Instance().Init(device.Get(), D3DFMT_A8R8G8B8);
    for (auto _ : state) {
        auto scene = std::make_unique<Scene>();
        scene->InitDevice(device.Get(), 0);
        scene->Load(device.Get(), file.path.c_str());
        benchmark::DoNotOptimize(scene->rootController);
        // Freeing the scene and the device's call log is not part of loading.
        state.PauseTiming();
        scene.reset();
        recorder->ClearCalls();
        state.ResumeTiming();
    }
    // What one load built, so that a figure cannot come from a load that stopped early.
    {
        Scene scene;
        scene.InitDevice(device.Get(), 0);
        scene.Load(device.Get(), file.path.c_str());
        std::uint64_t vertices = 0;
        for (SceneObject* object : scene.objects) {
            if (const auto* mesh = dynamic_cast<const Mesh*>(object)) {
                vertices += mesh->vertexBuffer ? mesh->vertexCount : 0;
            }
        }
        state.counters["vertices"] = static_cast<double>(vertices);
        state.counters["materials"] = static_cast<double>(scene.materials.Size() - 1);
        state.counters["controllers"] = static_cast<double>(scene.controllers.Size());
    }
    recorder->ClearCalls();
    TextureManager::Instance().Init(nullptr, D3DFMT_A8R8G8B8);
}

} // namespace

BENCHMARK(BM_LoadScene)->Unit(benchmark::kMillisecond);

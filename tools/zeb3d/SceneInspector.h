// The scene inspector: loads a scene file on the call-recording device exactly as the demo loads
// its scenes and describes it, or its state at one time, as one JSON object.
#pragma once

#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "scene/Scene.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class JsonWriter;
class RecordingDevice;

// A scene loaded for inspection, with the recording device it was loaded on.
struct InspectedScene {
    InspectedScene() = default;
    ~InspectedScene();
    InspectedScene(const InspectedScene&) = delete;
    InspectedScene& operator=(const InspectedScene&) = delete;

    DevicePtr<IDirect3D8> direct3D;
    DevicePtr<IDirect3DDevice8> device;
    RecordingDevice* recorder = nullptr;
    std::unique_ptr<Scene> scene;
};

// Loads path as the demo does: the texture manager set to the "data" folder and the device,
// InitDevice with flags 0, Load, then near plane 5 and far plane 50000. Gives a one-line error
// message when the file cannot be read or does not start with the scene magic; a truncated file
// is no error (it loads as far as it goes).
std::optional<std::string> LoadSceneForInspection(const char* path, InspectedScene& inspected);

// `zeb3d info`: lastFrame, flares, materials, objects, lightCount, activeCamera and the
// controller tree.
void WriteSceneInfo(const Scene& scene, JsonWriter& json);

// `zeb3d eval`: evaluates the scene at time as a frame does (the walk, then the active camera's
// Apply) and writes every controller in walk order, every object's frame values, and the
// projection and view the device received during the evaluation (null when none was set).
void WriteSceneEvaluation(InspectedScene& inspected, float time, JsonWriter& json);

// The program: `zeb3d info FILE` or `zeb3d eval FILE TIME`. Writes the JSON object and a newline
// to out and gives 0; a file that cannot be read or is not a scene file gives a one-line message
// on err and 1; wrong arguments give the usage on err and 2.
int RunZeb3d(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Fuzz target: the scene loader, then a few evaluations and draws of what it built.
#include "FuzzInput.h"

#include "device/DeviceOptions.h"
#include "device/DevicePtr.h"
#include "device/recording/RecordingDevice.h"
#include "image/TextureManager.h"
#include "scene/Scene.h"

namespace {

// One recording device for the whole run, made as the demo makes its device.
IDirect3DDevice8* FuzzDevice() {
    static DevicePtr<IDirect3D8> direct3D(CreateRecordingDirect3D8(DeviceOptions{}));
    static DevicePtr<IDirect3DDevice8> device(CreateDemoRecordingDevice(direct3D.Get()));
    return device.Get();
}

} // namespace

int FuzzLoadScene(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    IDirect3DDevice8* device = FuzzDevice();
    if (path == nullptr || device == nullptr) {
        return 0;
    }
    // A fresh texture cache each run, so that no run depends on an earlier one.
    TextureManager::Instance().SetDataDirectory("data");
    TextureManager::Instance().Init(device, D3DFMT_A8R8G8B8);
    {
        Scene scene;
        scene.InitDevice(device, 0);
        scene.Load(device, path);
        scene.nearPlane = 5.0f;
        scene.farPlane = 50000.0f;
        const float last = static_cast<float>(scene.lastFrame);
        for (const float time : {-1.0f, 0.0f, 0.5f * last, last, last + 10.0f}) {
            scene.Render(time);
        }
        scene.DisableLights();
    }
    TextureManager::Instance().Init(device, D3DFMT_A8R8G8B8);
    if (RecordingDevice* recorder = AsRecordingDevice(device)) {
        recorder->ClearCalls();
    }
    return 0;
}

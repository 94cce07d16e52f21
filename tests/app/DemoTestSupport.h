// Test surroundings for the demo's shell: a scripted display and window system, a Direct3D object
// over the call-recording device that can be made to fail, an audio library that answers as a
// working one, and one trace into which all of them write, so that orders can be compared.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Demo.h"
#include "device/BaseDirect3D.h"
#include "device/recording/RecordingDevice.h"
#include "platform/ScriptedDisplay.h"
#include "platform/WindowSystem.h"

// The trace of the running test.
inline std::vector<std::string>& Trace() {
    static std::vector<std::string> trace;
    return trace;
}

// A recording device that also writes its Present calls and its releases into the trace.
class TracedDevice final : public RecordingDevice {
public:
    using RecordingDevice::RecordingDevice;

    HRESULT Present(const RECT* source, const RECT* dest, HWND window,
                    const RGNDATA* dirty) override {
        Trace().push_back("Present");
        return RecordingDevice::Present(source, dest, window, dirty);
    }
    ULONG Release() override {
        Trace().push_back("device released");
        return RecordingDevice::Release();
    }
};

// The arguments CreateDevice was given, the present parameters as they were on entry.
struct CreateDeviceCall {
    UINT adapter = 99;
    D3DDEVTYPE type{};
    HWND focusWindow = nullptr;
    DWORD behaviour = 0;
    D3DPRESENT_PARAMETERS parameters{};
};

// A Direct3D object over TracedDevice whose device creation can be made to fail, and fails as the
// OpenGL device's does without a focus window. The test keeps
// a reference to the device it makes, so the device can be read after the teardown.
class TestDirect3D final : public BaseDirect3D {
public:
    TestDirect3D(bool failDevice, std::vector<CreateDeviceCall>& calls,
                 DevicePtr<IDirect3DDevice8>& made)
        : BaseDirect3D(DeviceOptions{}), failDevice(failDevice), calls(calls), made(made) {}

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override {
        calls.push_back({adapter, type, focusWindow, behaviour,
                         parameters != nullptr ? *parameters : D3DPRESENT_PARAMETERS{}});
        return BaseDirect3D::CreateDevice(adapter, type, focusWindow, behaviour, parameters,
                                          device);
    }
    ULONG Release() override {
        Trace().push_back("Direct3D released");
        return BaseDirect3D::Release();
    }

protected:
    HRESULT MakeDevice(const DeviceCreation& creation, IDirect3DDevice8** device) override {
        if (failDevice || creation.parameters.hFocusWindow == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        *device = new TracedDevice(creation);
        made = DevicePtr<IDirect3DDevice8>::Share(*device);
        return D3D_OK;
    }

private:
    bool failDevice;
    std::vector<CreateDeviceCall>& calls;
    DevicePtr<IDirect3DDevice8>& made;
};

// An audio library that works, writing each call into the trace.
class TracedAudioLibrary final : public AudioLibrary {
public:
    std::uint32_t BASS_GetVersion() override { return kAudioLibraryVersion; }
    int BASS_Init(int, std::uint32_t, std::uint32_t, void*) override {
        Trace().push_back("BASS_Init");
        return 1;
    }
    StreamHandle BASS_StreamCreateFile(int, const char* path, std::uint64_t, std::uint64_t,
                                       std::uint32_t) override {
        Trace().push_back(std::string("BASS_StreamCreateFile ") + path);
        return 5;
    }
    std::uint32_t BASS_ChannelSetSync(StreamHandle, std::uint32_t, std::uint64_t, SyncCallback,
                                      void*) override {
        return 1;
    }
    int BASS_Start() override { return 1; }
    int BASS_StreamPlay(StreamHandle, int, std::uint32_t) override {
        Trace().push_back("BASS_StreamPlay");
        return 1;
    }
    int BASS_Free() override {
        Trace().push_back("BASS_Free");
        return 1;
    }
};

// A music player that writes its destruction into the trace (before the player's own
// destructor, which frees the library once more).
class TracedMusicPlayer final : public MusicPlayer {
public:
    TracedMusicPlayer(void* window, AudioLibrary& library) : MusicPlayer(window, library) {}
    ~TracedMusicPlayer() override { Trace().push_back("music player destroyed"); }
};

// Installs the scripted display and a fresh demo with these surroundings; the counter answers
// from `readings`, repeating the last one.
class DemoTest : public testing::Test {
protected:
    void SetUp() override {
        Trace().clear();
        demo = Demo{};
        demo.system.createDirect3D = [this](UINT sdkVersion) -> IDirect3D8* {
            sdkVersions.push_back(sdkVersion);
            if (failDirect3D) {
                return nullptr;
            }
            return new TestDirect3D(failDevice, createDeviceCalls, device);
        };
        demo.system.createMusicPlayer = [this](HWND window) -> std::unique_ptr<MusicPlayer> {
            musicWindows.push_back(window);
            return std::make_unique<TracedMusicPlayer>(window, audio);
        };
        demo.system.counter = [](void* context) {
            auto& test = *static_cast<DemoTest*>(context);
            const std::size_t index = std::min(test.counterReads, test.readings.size() - 1);
            ++test.counterReads;
            return test.readings[index];
        };
        demo.system.counterContext = this;
        demo.clock = DemoClock(demo.system.counter, demo.system.counterContext);
    }

    void TearDown() override {
        DestroyDemoObjects(demo);
        demo = Demo{};
    }

    // A fresh demo and fresh records, for a test that runs several cases.
    void Restart() {
        TearDown();
        device.Reset();
        failDirect3D = false;
        failDevice = false;
        sdkVersions.clear();
        createDeviceCalls.clear();
        musicWindows.clear();
        counterReads = 0;
        SetUp();
    }

    // The recording device the demo made, or null.
    RecordingDevice* Recorder() const { return AsRecordingDevice(device.Get()); }
    UINT Presents() const { return Recorder() != nullptr ? Recorder()->PresentCount() : 0; }

    ScriptedDisplay display;
    WindowSystem windows{display};
    WindowSystemScope scope{windows};
    TracedAudioLibrary audio;

    bool failDirect3D = false;
    bool failDevice = false;
    std::vector<UINT> sdkVersions;
    std::vector<CreateDeviceCall> createDeviceCalls;
    DevicePtr<IDirect3DDevice8> device;
    std::vector<HWND> musicWindows;
    std::vector<std::uint32_t> readings = {1000};
    std::size_t counterReads = 0;
};

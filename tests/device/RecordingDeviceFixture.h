// Test fixture: a call-recording device made as the demo makes its device (800x600 A8R8G8B8,
// full screen, automatic D16 depth buffer, software vertex processing).
#pragma once

#include <gtest/gtest.h>

#include "device/D3D8.h"
#include "device/DeviceOptions.h"
#include "device/DevicePtr.h"
#include "device/recording/RecordingDevice.h"

class RecordingDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { MakeDevice(DemoPresentParameters(), DeviceOptions{}); }

    void MakeDevice(D3DPRESENT_PARAMETERS pp, const DeviceOptions& options) {
        device.Reset();
        d3d.Reset(CreateRecordingDirect3D8(options));
        ASSERT_TRUE(d3d);
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &pp, device.ReleaseAndGetAddressOf()),
                  D3D_OK);
        recorder = AsRecordingDevice(device.Get());
        ASSERT_NE(recorder, nullptr);
    }

    DevicePtr<IDirect3DTexture8> MakeTexture(UINT width, UINT height, UINT levels, D3DFORMAT format,
                                             D3DPOOL pool, DWORD usage = 0) {
        DevicePtr<IDirect3DTexture8> texture;
        EXPECT_EQ(device->CreateTexture(width, height, levels, usage, format, pool,
                                        texture.ReleaseAndGetAddressOf()),
                  D3D_OK);
        return texture;
    }

    DevicePtr<IDirect3DSurface8> MakeImageSurface(UINT width, UINT height, D3DFORMAT format) {
        DevicePtr<IDirect3DSurface8> surface;
        EXPECT_EQ(
            device->CreateImageSurface(width, height, format, surface.ReleaseAndGetAddressOf()),
            D3D_OK);
        return surface;
    }

    DevicePtr<IDirect3D8> d3d;
    DevicePtr<IDirect3DDevice8> device;
    RecordingDevice* recorder = nullptr;
};

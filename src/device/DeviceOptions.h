// Switches shared by every device implementation, for tests that need a device with other
// capabilities than the one it really has.
#pragma once

#include "device/D3D8.h"

struct DeviceOptions {
    // Capabilities report power-of-two texture sizes only (D3DPTEXTURECAPS_POW2 without
    // NONPOW2CONDITIONAL) and CreateTexture refuses other sizes.
    bool powerOfTwoTexturesOnly = false;
    // Capabilities report square textures only (D3DPTEXTURECAPS_SQUAREONLY, aspect ratio 1) and
    // CreateTexture refuses other shapes.
    bool squareTexturesOnly = false;
};

// Applies the switches to capabilities made for a device that takes any texture size.
void ApplyDeviceOptions(const DeviceOptions& options, D3DCAPS8& caps);

// The OpenGL device's Direct3D object with the given switches (as Direct3DCreate8 otherwise).
IDirect3D8* Direct3DCreate8(UINT sdkVersion, const DeviceOptions& options);

// The call-recording device's Direct3D object with the given switches.
IDirect3D8* CreateRecordingDirect3D8(const DeviceOptions& options);

// The Direct3D object of the OpenGL device.
#pragma once

#include "device/BaseDirect3D.h"

// Makes OpenGL devices on the headless target (EGL, no display) or on SDL windows.
class GlDirect3D final : public BaseDirect3D {
public:
    explicit GlDirect3D(const DeviceOptions& options) : BaseDirect3D(options) {}

protected:
    // The core's capabilities with what the emulation adds (texture operations, blend factors,
    // address modes) and the limits of this machine's OpenGL.
    void FillCaps(D3DCAPS8& caps) const override;
    // D3DERR_NOTAVAILABLE when no OpenGL 3.3 core context can be made for the window.
    HRESULT MakeDevice(const DeviceCreation& creation, IDirect3DDevice8** device) override;
};

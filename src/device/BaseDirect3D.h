// The Direct3D object core shared by the OpenGL and the call-recording implementations: one
// adapter, its formats and capabilities, and the checks of CreateDevice.
#pragma once

#include "device/BaseDevice.h"
#include "device/D3D8.h"
#include "device/DeviceOptions.h"

// Counts its references and destroys itself on the last Release. A backend supplies the device
// and may change the capabilities and the adapter's display mode.
class BaseDirect3D : public IDirect3D8 {
public:
    explicit BaseDirect3D(const DeviceOptions& options) : options_(options) {}
    BaseDirect3D(const BaseDirect3D&) = delete;
    BaseDirect3D& operator=(const BaseDirect3D&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;

    UINT GetAdapterCount() override;
    UINT GetAdapterModeCount(UINT Adapter) override;
    HRESULT EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) override;
    HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
    HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat,
                            D3DFORMAT BackBufferFormat, BOOL Windowed) override;
    // Textures and image surfaces: the formats FindTextureFormat knows, with no usage or
    // D3DUSAGE_DYNAMIC. Depth surfaces: D3DFMT_D16. Buffers: vertex data and 16/32-bit indices.
    HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                              DWORD Usage, D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
    HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat,
                                       BOOL Windowed, D3DMULTISAMPLE_TYPE MultiSampleType) override;
    HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                   D3DFORMAT RenderTargetFormat,
                                   D3DFORMAT DepthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) override;
    // Checks the arguments, fills the present parameters' defaults (size 0 in a window: the
    // adapter's mode; count 0: 1; format UNKNOWN in a window: the adapter's) and asks the
    // backend for the device. Only adapter 0, D3DDEVTYPE_HAL, one vertex processing kind,
    // no multisampling, an A8R8G8B8 or X8R8G8B8 back buffer, at most 3 back buffers, a D16
    // automatic depth buffer and, in a window, the default presentation interval.
    HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                         DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                         IDirect3DDevice8** ppReturnedDeviceInterface) override;

    const DeviceOptions& Options() const { return options_; }
    // The capabilities devices of this object report (the switches applied).
    D3DCAPS8 Caps() const;

protected:
    ~BaseDirect3D() override = default;

    // Capabilities before the switches; the core's by default.
    virtual void FillCaps(D3DCAPS8& caps) const;
    // The adapter's current display mode; 800x600 X8R8G8B8 at 60 Hz by default.
    virtual D3DDISPLAYMODE AdapterMode() const;
    // Makes the backend's device; a failure result is handed to the caller.
    virtual HRESULT MakeDevice(const DeviceCreation& creation, IDirect3DDevice8** device) = 0;

private:
    DeviceOptions options_;
    ULONG refs_ = 1;
};

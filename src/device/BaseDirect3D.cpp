// The Direct3D object core shared by the OpenGL and the call-recording implementations: one
// adapter, its formats and capabilities, and the checks of CreateDevice.
#include "device/BaseDirect3D.h"

#include "device/TextureFormat.h"

namespace {

bool IsBackBufferFormat(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

} // namespace

ULONG BaseDirect3D::AddRef() {
    return ++refs_;
}

ULONG BaseDirect3D::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

UINT BaseDirect3D::GetAdapterCount() {
    return 1;
}

UINT BaseDirect3D::GetAdapterModeCount(UINT Adapter) {
    return Adapter == 0 ? 1 : 0;
}

HRESULT BaseDirect3D::EnumAdapterModes(UINT Adapter, UINT Mode, D3DDISPLAYMODE* pMode) {
    if (Adapter != 0 || Mode != 0 || pMode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMode = AdapterMode();
    return D3D_OK;
}

HRESULT BaseDirect3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
    if (Adapter != 0 || pMode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMode = AdapterMode();
    return D3D_OK;
}

HRESULT BaseDirect3D::CheckDeviceType(UINT Adapter, D3DDEVTYPE CheckType, D3DFORMAT DisplayFormat,
                                      D3DFORMAT BackBufferFormat, BOOL) {
    if (Adapter != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (CheckType != D3DDEVTYPE_HAL || !IsBackBufferFormat(DisplayFormat) ||
        !IsBackBufferFormat(BackBufferFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT BaseDirect3D::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT, DWORD Usage,
                                        D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
    if (Adapter != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (DeviceType != D3DDEVTYPE_HAL) {
        return D3DERR_NOTAVAILABLE;
    }
    switch (RType) {
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_SURFACE:
        if (Usage == D3DUSAGE_DEPTHSTENCIL) {
            return RType == D3DRTYPE_SURFACE && CheckFormat == D3DFMT_D16 ? D3D_OK
                                                                          : D3DERR_NOTAVAILABLE;
        }
        if ((Usage & ~D3DUSAGE_DYNAMIC) != 0 || FindTextureFormat(CheckFormat) == nullptr) {
            return D3DERR_NOTAVAILABLE;
        }
        return D3D_OK;
    case D3DRTYPE_VERTEXBUFFER:
        return CheckFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
        return CheckFormat == D3DFMT_INDEX16 || CheckFormat == D3DFMT_INDEX32 ? D3D_OK
                                                                              : D3DERR_NOTAVAILABLE;
    default:
        return D3DERR_NOTAVAILABLE;
    }
}

HRESULT BaseDirect3D::CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT,
                                                 BOOL, D3DMULTISAMPLE_TYPE MultiSampleType) {
    if (Adapter != 0) {
        return D3DERR_INVALIDCALL;
    }
    return DeviceType == D3DDEVTYPE_HAL && MultiSampleType == D3DMULTISAMPLE_NONE
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT BaseDirect3D::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT,
                                             D3DFORMAT RenderTargetFormat,
                                             D3DFORMAT DepthStencilFormat) {
    if (Adapter != 0) {
        return D3DERR_INVALIDCALL;
    }
    return DeviceType == D3DDEVTYPE_HAL && IsBackBufferFormat(RenderTargetFormat) &&
                   DepthStencilFormat == D3DFMT_D16
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

void BaseDirect3D::FillCaps(D3DCAPS8& caps) const {
    caps = CoreCaps();
}

D3DDISPLAYMODE BaseDirect3D::AdapterMode() const {
    return {800, 600, 60, D3DFMT_X8R8G8B8};
}

D3DCAPS8 BaseDirect3D::Caps() const {
    D3DCAPS8 caps{};
    FillCaps(caps);
    ApplyDeviceOptions(options_, caps);
    return caps;
}

HRESULT BaseDirect3D::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS8* pCaps) {
    if (Adapter != 0 || pCaps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (DeviceType != D3DDEVTYPE_HAL) {
        return D3DERR_NOTAVAILABLE;
    }
    *pCaps = Caps();
    return D3D_OK;
}

HRESULT BaseDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                   DWORD BehaviorFlags,
                                   D3DPRESENT_PARAMETERS* pPresentationParameters,
                                   IDirect3DDevice8** ppReturnedDeviceInterface) {
    if (ppReturnedDeviceInterface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *ppReturnedDeviceInterface = nullptr;
    if (pPresentationParameters == nullptr || Adapter != 0) {
        return D3DERR_INVALIDCALL;
    }
    if (DeviceType != D3DDEVTYPE_HAL) {
        return D3DERR_NOTAVAILABLE;
    }
    const DWORD processing =
        BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                         D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
        return D3DERR_INVALIDCALL;
    }
    if ((BehaviorFlags & D3DCREATE_PUREDEVICE) != 0 &&
        processing != D3DCREATE_HARDWARE_VERTEXPROCESSING) {
        return D3DERR_INVALIDCALL;
    }

    D3DPRESENT_PARAMETERS pp = *pPresentationParameters;
    const D3DDISPLAYMODE mode = AdapterMode();
    const bool windowed = pp.Windowed != FALSE;
    if (windowed) {
        if (pp.BackBufferWidth == 0) {
            pp.BackBufferWidth = mode.Width;
        }
        if (pp.BackBufferHeight == 0) {
            pp.BackBufferHeight = mode.Height;
        }
        if (pp.BackBufferFormat == D3DFMT_UNKNOWN) {
            pp.BackBufferFormat = mode.Format;
        }
    }
    if (pp.BackBufferCount == 0) {
        pp.BackBufferCount = 1;
    }
    const bool intervalOk =
        windowed ? pp.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_DEFAULT
                 : pp.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_DEFAULT ||
                       pp.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_ONE ||
                       pp.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE;
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0 || pp.BackBufferWidth > 16384 ||
        pp.BackBufferHeight > 16384 || !IsBackBufferFormat(pp.BackBufferFormat) ||
        pp.BackBufferCount > 3 || pp.MultiSampleType != D3DMULTISAMPLE_NONE ||
        pp.SwapEffect < D3DSWAPEFFECT_DISCARD || pp.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC ||
        (pp.EnableAutoDepthStencil != FALSE && pp.AutoDepthStencilFormat != D3DFMT_D16) ||
        (pp.Flags & ~D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0 ||
        (windowed && pp.FullScreen_RefreshRateInHz != 0) || !intervalOk) {
        return D3DERR_INVALIDCALL;
    }

    DeviceCreation creation;
    creation.direct3d = this;
    creation.parameters = {Adapter, DeviceType, hFocusWindow, BehaviorFlags};
    creation.presentation = pp;
    creation.options = options_;
    creation.caps = Caps();
    creation.adapterMode = mode;
    IDirect3DDevice8* device = nullptr;
    const HRESULT hr = MakeDevice(creation, &device);
    if (FAILED(hr)) {
        return hr;
    }
    if (device == nullptr) {
        return E_FAIL;
    }
    *pPresentationParameters = pp;
    *ppReturnedDeviceInterface = device;
    return D3D_OK;
}

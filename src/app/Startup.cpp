// Start-up: the Direct3D object, the device and the render state every frame relies on.
#include "app/Demo.h"

#include "device/D3DXMath.h"

bool Startup() {
    demo.direct3D.Reset(demo.system.createDirect3D(D3D_SDK_VERSION));
    if (!demo.direct3D) {
        MessageBoxA(nullptr, "Cannot init DirectX 9.0 !", "Error!", MB_OK);
        return false;
    }

    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 800;
    parameters.BackBufferHeight = 600;
    parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
    parameters.BackBufferCount = 0;
    parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = nullptr;
    parameters.Windowed = FALSE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D16;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz = 0;
    parameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    const HRESULT created = demo.direct3D->CreateDevice(
        0, D3DDEVTYPE_HAL, demo.window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
        demo.device.ReleaseAndGetAddressOf());
    if (FAILED(created)) {
        MessageBoxA(nullptr, "Cannot create DirectX device !", "Error!", MB_OK);
        return false;
    }
    IDirect3DDevice8* device = demo.device.Get();

    SetCursor(nullptr);
    device->ShowCursor(FALSE);
    device->SetCursorPosition(400, 300, D3DCURSOR_IMMEDIATE_UPDATE);

    // π/4 and 4/3 as 32-bit floats.
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, -100.0f, 100.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);

    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_ANISOTROPIC);
    device->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 0.0f, 0.0f, 3.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    return true;
}

// Direct3DCreate8 and device creation over OpenGL.
#include "device/gl/GlDirect3D.h"

#include "device/gl/GlContext.h"
#include "device/gl/GlDevice.h"
#include "platform/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>

namespace {

// Limits of the headless context, taken once; the defaults stand where none can be made.
const GlLimits& ProbedLimits() {
    static const GlLimits limits = [] {
        GlLimits probed;
        probed.maxTextureSize = 4096;
        probed.maxAnisotropy = 16.0f;
        if (!GlContext::HeadlessAvailable()) {
            return probed;
        }
        auto context = GlContext::Create(GetHeadlessWindow(), false);
        return context != nullptr ? QueryGlLimits() : probed;
    }();
    return limits;
}

void FitCapsToLimits(const GlLimits& limits, D3DCAPS8& caps) {
    const DWORD size = static_cast<DWORD>(std::max(limits.maxTextureSize, 1));
    caps.MaxTextureWidth = std::min(caps.MaxTextureWidth, size);
    caps.MaxTextureHeight = std::min(caps.MaxTextureHeight, size);
    caps.MaxTextureAspectRatio = std::min(caps.MaxTextureAspectRatio, size);
    caps.MaxAnisotropy =
        std::min(caps.MaxAnisotropy, static_cast<DWORD>(std::max(limits.maxAnisotropy, 1.0f)));
    if (caps.MaxAnisotropy <= 1) {
        caps.MaxAnisotropy = 1;
        caps.RasterCaps &= ~D3DPRASTERCAPS_ANISOTROPY;
        caps.TextureFilterCaps &=
            ~(D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC);
    }
}

bool DisplayAvailable() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}

} // namespace

void GlDirect3D::FillCaps(D3DCAPS8& caps) const {
    BaseDirect3D::FillCaps(caps);
    caps.TextureOpCaps |=
        D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD |
        D3DTEXOPCAPS_ADDSIGNED | D3DTEXOPCAPS_ADDSIGNED2X | D3DTEXOPCAPS_SUBTRACT |
        D3DTEXOPCAPS_ADDSMOOTH | D3DTEXOPCAPS_BLENDDIFFUSEALPHA | D3DTEXOPCAPS_BLENDTEXTUREALPHA |
        D3DTEXOPCAPS_BLENDFACTORALPHA | D3DTEXOPCAPS_BLENDTEXTUREALPHAPM |
        D3DTEXOPCAPS_BLENDCURRENTALPHA | D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR |
        D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA | D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR |
        D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA | D3DTEXOPCAPS_DOTPRODUCT3 |
        D3DTEXOPCAPS_MULTIPLYADD | D3DTEXOPCAPS_LERP;
    const DWORD moreBlends = D3DPBLENDCAPS_DESTCOLOR | D3DPBLENDCAPS_INVDESTCOLOR |
                             D3DPBLENDCAPS_SRCALPHASAT | D3DPBLENDCAPS_BOTHSRCALPHA |
                             D3DPBLENDCAPS_BOTHINVSRCALPHA;
    caps.SrcBlendCaps |= moreBlends;
    caps.DestBlendCaps |= moreBlends & ~D3DPBLENDCAPS_SRCALPHASAT;
    caps.TextureAddressCaps |= D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_BORDER;
    caps.PrimitiveMiscCaps |= D3DPMISCCAPS_COLORWRITEENABLE;
    FitCapsToLimits(ProbedLimits(), caps);
}

HRESULT GlDirect3D::MakeDevice(const DeviceCreation& creation, IDirect3DDevice8** device) {
    const D3DPRESENT_PARAMETERS& pp = creation.presentation;
    HWND window = pp.hDeviceWindow != nullptr ? pp.hDeviceWindow : creation.parameters.hFocusWindow;
    const bool vsync = pp.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
    std::unique_ptr<GlContext> context = GlContext::Create(window, vsync);
    if (context == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    const GlLimits limits = QueryGlLimits();
    DeviceCreation fitted = creation;
    FitCapsToLimits(limits, fitted.caps);
    GlDevice* made = GlDevice::Create(fitted, std::move(context), limits);
    if (made == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }
    *device = made;
    return D3D_OK;
}

IDirect3D8* Direct3DCreate8(UINT sdkVersion, const DeviceOptions& options) {
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    if (!GlContext::HeadlessAvailable() && !DisplayAvailable()) {
        return nullptr;
    }
    return new GlDirect3D(options);
}

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    return Direct3DCreate8(sdkVersion, DeviceOptions{});
}

// The device core shared by the OpenGL device and the call-recording device: checks every call,
// stores all state as set, records and applies state blocks, keeps vertex declarations and
// makes the in-memory resources.
#include "device/BaseDevice.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "device/MemoryBuffer.h"
#include "device/MemorySurface.h"
#include "device/MemoryTexture.h"
#include "device/StateBlock.h"
#include "device/TextureFormat.h"

namespace {

// Buffers beyond this many bytes are refused as out of video memory.
constexpr UINT kMaxBufferBytes = 256u << 20;
// Image surfaces may be larger than textures, up to this side.
constexpr UINT kMaxImageSurfaceSide = 16384;
// A declaration longer than this without D3DVSD_END() is refused.
constexpr UINT kMaxDeclarationTokens = 1024;

bool IsPowerOfTwo(UINT v) {
    return v != 0 && (v & (v - 1)) == 0;
}

bool IsValidPool(D3DPOOL pool) {
    return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM;
}

constexpr DWORD kBufferUsages = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING |
                                D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES |
                                D3DUSAGE_NPATCHES | D3DUSAGE_DYNAMIC;

// The part of a and b both cover; may be empty (left >= right or top >= bottom).
RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

// Copies a rectangle of w x h texels between two surfaces of the same format.
void CopyTexels(const MemorySurface& src, UINT srcX, UINT srcY, MemorySurface& dst, UINT dstX,
                UINT dstY, UINT w, UINT h) {
    const TextureFormat& format = src.Format();
    const UINT rowBytes = format.RowBytes(w);
    const UINT rows = format.RowCount(h);
    const BYTE* from = src.Bits() + format.Offset(srcX, srcY, src.Pitch());
    BYTE* to = dst.Bits() + format.Offset(dstX, dstY, dst.Pitch());
    for (UINT row = 0; row < rows; ++row) {
        std::memcpy(to + std::size_t{row} * dst.Pitch(), from + std::size_t{row} * src.Pitch(),
                    rowBytes);
    }
}

} // namespace

UINT VertexCountOfPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount) {
    switch (type) {
    case D3DPT_POINTLIST:
        return primitiveCount;
    case D3DPT_LINELIST:
        return primitiveCount * 2;
    case D3DPT_LINESTRIP:
        return primitiveCount + 1;
    case D3DPT_TRIANGLELIST:
        return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitiveCount + 2;
    default:
        return 0;
    }
}

D3DCAPS8 CoreCaps() {
    D3DCAPS8 c{};
    c.DeviceType = D3DDEVTYPE_HAL;
    c.AdapterOrdinal = 0;
    c.Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES;
    c.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    c.CursorCaps = D3DCURSORCAPS_COLOR;
    c.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY |
                D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TLVERTEXVIDEOMEMORY |
                D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP |
                D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX |
                D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
    c.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                          D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_BLENDOP;
    c.RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_MIPMAPLODBIAS |
                   D3DPRASTERCAPS_ANISOTROPY;
    const DWORD allCompares = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_LESS | D3DPCMPCAPS_EQUAL |
                              D3DPCMPCAPS_LESSEQUAL | D3DPCMPCAPS_GREATER | D3DPCMPCAPS_NOTEQUAL |
                              D3DPCMPCAPS_GREATEREQUAL | D3DPCMPCAPS_ALWAYS;
    c.ZCmpCaps = allCompares;
    c.AlphaCmpCaps = allCompares;
    const DWORD blends = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR |
                         D3DPBLENDCAPS_INVSRCCOLOR | D3DPBLENDCAPS_SRCALPHA |
                         D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_DESTALPHA |
                         D3DPBLENDCAPS_INVDESTALPHA;
    c.SrcBlendCaps = blends;
    c.DestBlendCaps = blends;
    c.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
    c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                          D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MIPFPOINT |
                          D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT |
                          D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    c.TextureAddressCaps =
        D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_INDEPENDENTUV;
    c.LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP;
    c.MaxTextureWidth = 4096;
    c.MaxTextureHeight = 4096;
    c.MaxTextureRepeat = 8192;
    c.MaxTextureAspectRatio = 4096;
    c.MaxAnisotropy = 16;
    c.MaxVertexW = 1.0e10f;
    c.FVFCaps = 8 | D3DFVFCAPS_DONOTSTRIPELEMENTS;
    c.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                      D3DTEXOPCAPS_MODULATE;
    c.MaxTextureBlendStages = kTextureStageCount;
    c.MaxSimultaneousTextures = kTextureStageCount;
    c.VertexProcessingCaps = 0;
    c.MaxActiveLights = 8;
    c.MaxUserClipPlanes = 0;
    c.MaxVertexBlendMatrices = 4;
    c.MaxVertexBlendMatrixIndex = kWorldMatrixCount - 1;
    c.MaxPointSize = 1.0f;
    c.MaxPrimitiveCount = 0xFFFFF;
    c.MaxVertexIndex = 0xFFFFFF;
    c.MaxStreams = kVertexStreamCount;
    c.MaxStreamStride = 256;
    c.VertexShaderVersion = 0;
    c.MaxVertexShaderConst = 0;
    c.PixelShaderVersion = 0;
    c.MaxPixelShaderValue = 0.0f;
    return c;
}

// ---------------------------------------------------------------------------------------------
// Lifetime
// ---------------------------------------------------------------------------------------------

BaseDevice::BaseDevice(const DeviceCreation& creation)
    : creation_(creation),
      state_(DeviceState::Initial(
          creation.presentation.EnableAutoDepthStencil != FALSE,
          (creation.parameters.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0,
          creation.presentation.BackBufferWidth, creation.presentation.BackBufferHeight)) {
    if (creation_.direct3d != nullptr) {
        creation_.direct3d->AddRef();
    }
    dirty_.SetAll();
}

BaseDevice::~BaseDevice() {
    ReleaseState();
    if (creation_.direct3d != nullptr) {
        creation_.direct3d->Release();
    }
}

ULONG BaseDevice::AddRef() {
    return ++refs_;
}

ULONG BaseDevice::Release() {
    const ULONG left = --refs_;
    if (left == 0) {
        // Held while the bindings let go of resources, whose destruction releases their own
        // internal references.
        ++internalRefs_;
        ReleaseState();
        --internalRefs_;
        if (internalRefs_ == 0) {
            delete this;
        }
    }
    return left;
}

void BaseDevice::ReleaseInternalRef() {
    if (--internalRefs_ == 0 && refs_ == 0) {
        delete this;
    }
}

void BaseDevice::ReleaseState() {
    recording_.reset();
    stateBlocks_.clear();
    state_.Unbind();
}

// ---------------------------------------------------------------------------------------------
// Device information, cursor, presentation
// ---------------------------------------------------------------------------------------------

HRESULT BaseDevice::TestCooperativeLevel() {
    return D3D_OK;
}

UINT BaseDevice::GetAvailableTextureMem() {
    return 512u << 20;
}

HRESULT BaseDevice::GetDirect3D(IDirect3D8** ppD3D8) {
    if (ppD3D8 == nullptr || creation_.direct3d == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    creation_.direct3d->AddRef();
    *ppD3D8 = creation_.direct3d;
    return D3D_OK;
}

HRESULT BaseDevice::GetDeviceCaps(D3DCAPS8* pCaps) {
    if (pCaps == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pCaps = creation_.caps;
    return D3D_OK;
}

HRESULT BaseDevice::GetDisplayMode(D3DDISPLAYMODE* pMode) {
    if (pMode == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const D3DPRESENT_PARAMETERS& pp = creation_.presentation;
    if (pp.Windowed != FALSE) {
        *pMode = creation_.adapterMode;
    } else {
        // Full screen, the display takes the back buffer's size; an alpha channel is not shown.
        pMode->Width = pp.BackBufferWidth;
        pMode->Height = pp.BackBufferHeight;
        pMode->RefreshRate = pp.FullScreen_RefreshRateInHz != 0 ? pp.FullScreen_RefreshRateInHz
                                                                : creation_.adapterMode.RefreshRate;
        pMode->Format = D3DFMT_X8R8G8B8;
    }
    return D3D_OK;
}

HRESULT BaseDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
    if (pParameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pParameters = creation_.parameters;
    return D3D_OK;
}

void BaseDevice::SetCursorPosition(UINT XScreenSpace, UINT YScreenSpace, DWORD) {
    cursorPosition_ = {static_cast<LONG>(XScreenSpace), static_cast<LONG>(YScreenSpace)};
    CursorChanged();
}

BOOL BaseDevice::ShowCursor(BOOL bShow) {
    const bool previous = cursorVisible_;
    cursorVisible_ = bShow != FALSE;
    CursorChanged();
    return previous ? TRUE : FALSE;
}

HRESULT BaseDevice::Present(const RECT* pSourceRect, const RECT* pDestRect,
                            HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) {
    // Only whole-frame presentation to the device's own window is offered.
    if (pSourceRect != nullptr || pDestRect != nullptr || hDestWindowOverride != nullptr ||
        pDirtyRegion != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return PresentBackBuffer();
}

// ---------------------------------------------------------------------------------------------
// Resources
// ---------------------------------------------------------------------------------------------

MemoryTexture* BaseDevice::NewTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                      const TextureFormat& format, D3DPOOL pool) {
    return new MemoryTexture(*this, width, height, levels, usage, format, pool);
}

MemorySurface* BaseDevice::NewImageSurface(UINT width, UINT height, const TextureFormat& format) {
    return new MemorySurface(*this, format, width, height);
}

MemoryVertexBuffer* BaseDevice::NewVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) {
    return new MemoryVertexBuffer(*this, length, usage, fvf, pool);
}

MemoryIndexBuffer* BaseDevice::NewIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                              D3DPOOL pool) {
    return new MemoryIndexBuffer(*this, length, usage, format, pool);
}

HRESULT BaseDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                  D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture8** ppTexture) {
    const TextureFormat* format = FindTextureFormat(Format);
    const D3DCAPS8& caps = creation_.caps;
    if (ppTexture == nullptr || format == nullptr || !IsValidPool(Pool) || Width == 0 ||
        Height == 0 || Width > caps.MaxTextureWidth || Height > caps.MaxTextureHeight) {
        return D3DERR_INVALIDCALL;
    }
    // Render-target and depth textures are not offered.
    if ((Usage & ~D3DUSAGE_DYNAMIC) != 0 ||
        ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED)) {
        return D3DERR_INVALIDCALL;
    }
    if (format->IsCompressed() && (Width % 4 != 0 || Height % 4 != 0)) {
        return D3DERR_INVALIDCALL;
    }
    if (caps.MaxTextureAspectRatio != 0 &&
        (std::uint64_t{Width} > std::uint64_t{Height} * caps.MaxTextureAspectRatio ||
         std::uint64_t{Height} > std::uint64_t{Width} * caps.MaxTextureAspectRatio)) {
        return D3DERR_INVALIDCALL;
    }
    if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0 &&
        (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) == 0 &&
        (!IsPowerOfTwo(Width) || !IsPowerOfTwo(Height))) {
        return D3DERR_INVALIDCALL;
    }
    if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0 && Width != Height) {
        return D3DERR_INVALIDCALL;
    }
    const UINT fullChain = MemoryTexture::FullChainLength(Width, Height);
    if (Levels > fullChain) {
        return D3DERR_INVALIDCALL;
    }
    MemoryTexture* texture = nullptr;
    try {
        texture = NewTexture(Width, Height, Levels == 0 ? fullChain : Levels, Usage, *format, Pool);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (texture == nullptr) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *ppTexture = texture;
    return D3D_OK;
}

HRESULT BaseDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                       IDirect3DVertexBuffer8** ppVertexBuffer) {
    if (ppVertexBuffer == nullptr || Length == 0 || !IsValidPool(Pool) ||
        (Usage & ~kBufferUsages) != 0 ||
        ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED)) {
        return D3DERR_INVALIDCALL;
    }
    if (FVF != 0) {
        const UINT vertexSize = FvfVertexSize(FVF);
        if (vertexSize == 0 || Length < vertexSize) {
            return D3DERR_INVALIDCALL;
        }
    }
    if (Length > kMaxBufferBytes) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    MemoryVertexBuffer* buffer = nullptr;
    try {
        buffer = NewVertexBuffer(Length, Usage, FVF, Pool);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (buffer == nullptr) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *ppVertexBuffer = buffer;
    return D3D_OK;
}

HRESULT BaseDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DIndexBuffer8** ppIndexBuffer) {
    if (ppIndexBuffer == nullptr || Length == 0 || !IsValidPool(Pool) ||
        (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) || (Usage & ~kBufferUsages) != 0 ||
        ((Usage & D3DUSAGE_DYNAMIC) != 0 && Pool == D3DPOOL_MANAGED)) {
        return D3DERR_INVALIDCALL;
    }
    if (Length > kMaxBufferBytes) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    MemoryIndexBuffer* buffer = nullptr;
    try {
        buffer = NewIndexBuffer(Length, Usage, Format, Pool);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (buffer == nullptr) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *ppIndexBuffer = buffer;
    return D3D_OK;
}

HRESULT BaseDevice::CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                       IDirect3DSurface8** ppSurface) {
    const TextureFormat* format = FindTextureFormat(Format);
    if (ppSurface == nullptr || format == nullptr || Width == 0 || Height == 0 ||
        Width > kMaxImageSurfaceSide || Height > kMaxImageSurfaceSide) {
        return D3DERR_INVALIDCALL;
    }
    MemorySurface* surface = nullptr;
    try {
        surface = NewImageSurface(Width, Height, *format);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (surface == nullptr) {
        return E_OUTOFMEMORY;
    }
    *ppSurface = surface;
    return D3D_OK;
}

HRESULT BaseDevice::CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray,
                              UINT cRects, IDirect3DSurface8* pDestinationSurface,
                              const POINT* pDestPointsArray) {
    MemorySurface* src = OwnSurface(pSourceSurface);
    MemorySurface* dst = OwnSurface(pDestinationSurface);
    if (src == nullptr || dst == nullptr || src == dst ||
        src->Format().format != dst->Format().format || src->IsLocked() || dst->IsLocked() ||
        (pSourceRectsArray != nullptr && cRects == 0)) {
        return D3DERR_INVALIDCALL;
    }
    // Without rectangles the whole source goes to the destination's corner (or to the first
    // point); without points each rectangle keeps its position.
    const RECT whole = src->Bounds();
    const RECT* rects = pSourceRectsArray != nullptr ? pSourceRectsArray : &whole;
    const UINT count = pSourceRectsArray != nullptr ? cRects : 1;
    const auto target = [&](UINT i) {
        const RECT& r = rects[i];
        const POINT at = pDestPointsArray != nullptr ? pDestPointsArray[i] : POINT{r.left, r.top};
        return RECT{at.x, at.y, at.x + (r.right - r.left), at.y + (r.bottom - r.top)};
    };
    // Everything is checked before anything is copied.
    for (UINT i = 0; i < count; ++i) {
        if (!src->IsValidRect(rects[i])) {
            return D3DERR_INVALIDCALL;
        }
        const RECT to = target(i);
        if (!dst->IsValidRect(to)) {
            return D3DERR_INVALIDCALL;
        }
    }
    for (UINT i = 0; i < count; ++i) {
        const RECT& r = rects[i];
        const RECT to = target(i);
        CopyTexels(*src, static_cast<UINT>(r.left), static_cast<UINT>(r.top), *dst,
                   static_cast<UINT>(to.left), static_cast<UINT>(to.top),
                   static_cast<UINT>(r.right - r.left), static_cast<UINT>(r.bottom - r.top));
        dst->NotifyChanged(to);
    }
    return D3D_OK;
}

HRESULT BaseDevice::UpdateTexture(IDirect3DBaseTexture8* pSourceTexture,
                                  IDirect3DBaseTexture8* pDestinationTexture) {
    MemoryTexture* src = OwnTexture(pSourceTexture);
    MemoryTexture* dst = OwnTexture(pDestinationTexture);
    if (src == nullptr || dst == nullptr || src == dst || src->Pool() != D3DPOOL_SYSTEMMEM ||
        dst->Pool() != D3DPOOL_DEFAULT || src->Format().format != dst->Format().format) {
        return D3DERR_INVALIDCALL;
    }
    // The source level matching the destination's level 0 in size starts the copy; the source
    // needs at least as many levels from there as the destination has.
    UINT first = 0;
    while (first < src->LevelCount() && (src->Level(first).Width() != dst->Width() ||
                                         src->Level(first).Height() != dst->Height())) {
        ++first;
    }
    if (first == src->LevelCount() || src->LevelCount() - first < dst->LevelCount()) {
        return D3DERR_INVALIDCALL;
    }
    for (UINT level = 0; level < dst->LevelCount(); ++level) {
        if (src->Level(first + level).IsLocked() || dst->Level(level).IsLocked()) {
            return D3DERR_INVALIDCALL;
        }
    }
    for (UINT level = 0; level < dst->LevelCount(); ++level) {
        const MemorySurface& from = src->Level(first + level);
        MemorySurface& to = dst->Level(level);
        std::memcpy(to.Bits(), from.Bits(), to.ByteSize());
        to.NotifyChanged(to.Bounds());
    }
    return D3D_OK;
}

HRESULT BaseDevice::GetFrontBuffer(IDirect3DSurface8* pDestSurface) {
    MemorySurface* dest = OwnSurface(pDestSurface);
    const D3DPRESENT_PARAMETERS& pp = creation_.presentation;
    if (dest == nullptr || dest->Format().format != D3DFMT_A8R8G8B8 || dest->IsLocked() ||
        dest->Width() != pp.BackBufferWidth || dest->Height() != pp.BackBufferHeight) {
        return D3DERR_INVALIDCALL;
    }
    const HRESULT hr = ReadFrontBuffer(*dest);
    if (SUCCEEDED(hr)) {
        dest->NotifyChanged(dest->Bounds());
    }
    return hr;
}

// ---------------------------------------------------------------------------------------------
// Frame
// ---------------------------------------------------------------------------------------------

HRESULT BaseDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT BaseDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return D3D_OK;
}

HRESULT BaseDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                          DWORD) {
    constexpr DWORD kKnown = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (Flags == 0 || (Flags & ~kKnown) != 0 || (Count != 0 && pRects == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    // The 16-bit depth buffer has no stencil bits.
    if ((Flags & D3DCLEAR_STENCIL) != 0) {
        return D3DERR_INVALIDCALL;
    }
    if ((Flags & D3DCLEAR_ZBUFFER) != 0 && (!HasDepthBuffer() || !(Z >= 0.0f && Z <= 1.0f))) {
        return D3DERR_INVALIDCALL;
    }
    // Clearing is limited to the viewport.
    const D3DVIEWPORT8& vp = state_.viewport;
    const RECT viewport{static_cast<LONG>(vp.X), static_cast<LONG>(vp.Y),
                        static_cast<LONG>(vp.X + vp.Width), static_cast<LONG>(vp.Y + vp.Height)};
    clearRects_.clear();
    if (pRects == nullptr) {
        clearRects_.push_back(viewport);
    } else {
        for (DWORD i = 0; i < Count; ++i) {
            const RECT r =
                Intersect({pRects[i].x1, pRects[i].y1, pRects[i].x2, pRects[i].y2}, viewport);
            if (r.left < r.right && r.top < r.bottom) {
                clearRects_.push_back(r);
            }
        }
    }
    if (clearRects_.empty()) {
        return D3D_OK;
    }
    return ClearRects(clearRects_.data(), static_cast<UINT>(clearRects_.size()),
                      Flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), Color, Z);
}

// ---------------------------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------------------------

void BaseDevice::StoreRenderState(DWORD state, DWORD value) {
    if (recording_) {
        recording_->values.renderStates[state] = value;
        recording_->recorded.renderStates.set(state);
    } else if (state_.renderStates[state] != value) {
        state_.renderStates[state] = value;
        dirty_.renderStates.set(state);
    }
}

void BaseDevice::StoreStageState(DWORD stage, DWORD type, DWORD value) {
    if (recording_) {
        recording_->values.stageStates[stage][type] = value;
        recording_->recorded.stageStates[stage].set(type);
    } else if (state_.stageStates[stage][type] != value) {
        state_.stageStates[stage][type] = value;
        dirty_.stageStates[stage].set(type);
    }
}

void BaseDevice::StoreTransform(UINT slot, const Matrix& matrix) {
    if (recording_) {
        recording_->values.transforms[slot] = matrix;
        recording_->recorded.transforms.set(slot);
    } else if (!(state_.transforms[slot] == matrix)) {
        state_.transforms[slot] = matrix;
        dirty_.transforms.set(slot);
    }
}

void BaseDevice::StoreMaterial(const D3DMATERIAL8& material) {
    if (recording_) {
        recording_->values.material = material;
        recording_->recorded.material = true;
    } else if (!(state_.material == material)) {
        state_.material = material;
        dirty_.material = true;
    }
}

void BaseDevice::StoreViewport(const D3DVIEWPORT8& viewport) {
    if (recording_) {
        recording_->values.viewport = viewport;
        recording_->recorded.viewport = true;
    } else if (!(state_.viewport == viewport)) {
        state_.viewport = viewport;
        dirty_.viewport = true;
    }
}

void BaseDevice::StoreLight(DWORD index, const D3DLIGHT8& light) {
    if (recording_) {
        recording_->values.lights[index].light = light;
        recording_->lightValues.insert(index);
        return;
    }
    auto [it, added] = state_.lights.try_emplace(index, LightState{light, false});
    if (added || !(it->second.light == light)) {
        it->second.light = light;
        dirty_.lights = true;
    }
}

void BaseDevice::StoreLightEnable(DWORD index, bool enable) {
    if (recording_) {
        recording_->values.lights[index].enabled = enable;
        recording_->lightEnables.insert(index);
        return;
    }
    auto [it, added] = state_.lights.try_emplace(index, LightState{DefaultLight(), false});
    if (added || it->second.enabled != enable) {
        it->second.enabled = enable;
        dirty_.lights = true;
    }
}

void BaseDevice::StoreTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (recording_) {
        recording_->values.textures[stage] = DevicePtr<IDirect3DBaseTexture8>::Share(texture);
        recording_->recorded.textures.set(stage);
    } else if (state_.textures[stage].Get() != texture) {
        state_.textures[stage] = DevicePtr<IDirect3DBaseTexture8>::Share(texture);
        dirty_.textures.set(stage);
    }
}

void BaseDevice::StoreStream(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    StreamState& target = recording_ ? recording_->values.streams[stream] : state_.streams[stream];
    if (recording_) {
        recording_->recorded.streams.set(stream);
    } else if (target.buffer.Get() != buffer || target.stride != stride) {
        dirty_.streams.set(stream);
    }
    if (target.buffer.Get() != buffer) {
        target.buffer = DevicePtr<IDirect3DVertexBuffer8>::Share(buffer);
    }
    target.stride = stride;
}

void BaseDevice::StoreIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
    DeviceState& target = recording_ ? recording_->values : state_;
    if (recording_) {
        recording_->recorded.indices = true;
    } else if (target.indices.Get() != buffer || target.baseVertexIndex != baseVertexIndex) {
        dirty_.indices = true;
    }
    if (target.indices.Get() != buffer) {
        target.indices = DevicePtr<IDirect3DIndexBuffer8>::Share(buffer);
    }
    target.baseVertexIndex = baseVertexIndex;
}

void BaseDevice::StoreVertexShader(DWORD handle) {
    if (recording_) {
        recording_->values.vertexShader = handle;
        recording_->recorded.vertexShader = true;
        return;
    }
    if (state_.vertexShader == handle) {
        return;
    }
    state_.vertexShader = handle;
    dirty_.vertexShader = true;
    if ((handle & 1) == 0) {
        fvfLayoutValid_ = VertexDeclaration::FromFvf(handle, fvfLayout_);
    }
}

void BaseDevice::ApplyBlock(const StateBlock& block) {
    const StateFlags& r = block.recorded;
    const DeviceState& v = block.values;
    for (UINT i = 0; i < kRenderStateLimit; ++i) {
        if (r.renderStates.test(i)) {
            StoreRenderState(i, v.renderStates[i]);
        }
    }
    for (UINT stage = 0; stage < kTextureStageCount; ++stage) {
        for (UINT i = 0; i < kStageStateLimit; ++i) {
            if (r.stageStates[stage].test(i)) {
                StoreStageState(stage, i, v.stageStates[stage][i]);
            }
        }
        if (r.textures.test(stage)) {
            StoreTexture(stage, v.textures[stage].Get());
        }
    }
    for (UINT i = 0; i < kTransformCount; ++i) {
        if (r.transforms.test(i)) {
            StoreTransform(i, v.transforms[i]);
        }
    }
    if (r.material) {
        StoreMaterial(v.material);
    }
    if (r.viewport) {
        StoreViewport(v.viewport);
    }
    for (DWORD index : block.lightValues) {
        StoreLight(index, v.lights.at(index).light);
    }
    for (DWORD index : block.lightEnables) {
        StoreLightEnable(index, v.lights.at(index).enabled);
    }
    for (UINT stream = 0; stream < kVertexStreamCount; ++stream) {
        if (r.streams.test(stream)) {
            StoreStream(stream, v.streams[stream].buffer.Get(), v.streams[stream].stride);
        }
    }
    if (r.indices) {
        StoreIndices(v.indices.Get(), v.baseVertexIndex);
    }
    if (r.vertexShader) {
        StoreVertexShader(v.vertexShader);
    }
}

HRESULT BaseDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    const int slot = TransformSlot(State);
    if (pMatrix == nullptr || slot < 0) {
        return D3DERR_INVALIDCALL;
    }
    StoreTransform(static_cast<UINT>(slot), *pMatrix);
    return D3D_OK;
}

HRESULT BaseDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    const int slot = TransformSlot(State);
    if (pMatrix == nullptr || slot < 0) {
        return D3DERR_INVALIDCALL;
    }
    *pMatrix = state_.transforms[static_cast<UINT>(slot)];
    return D3D_OK;
}

HRESULT BaseDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    const int slot = TransformSlot(State);
    if (pMatrix == nullptr || slot < 0) {
        return D3DERR_INVALIDCALL;
    }
    // The given matrix comes first: new = M · current.
    StoreTransform(static_cast<UINT>(slot),
                   MatrixMultiply(*pMatrix, state_.transforms[static_cast<UINT>(slot)]));
    return D3D_OK;
}

HRESULT BaseDevice::SetViewport(const D3DVIEWPORT8* pViewport) {
    const D3DPRESENT_PARAMETERS& pp = creation_.presentation;
    if (pViewport == nullptr || pViewport->Width == 0 || pViewport->Height == 0 ||
        std::uint64_t{pViewport->X} + pViewport->Width > pp.BackBufferWidth ||
        std::uint64_t{pViewport->Y} + pViewport->Height > pp.BackBufferHeight ||
        !(pViewport->MinZ >= 0.0f && pViewport->MinZ <= 1.0f) ||
        !(pViewport->MaxZ >= 0.0f && pViewport->MaxZ <= 1.0f)) {
        return D3DERR_INVALIDCALL;
    }
    StoreViewport(*pViewport);
    return D3D_OK;
}

HRESULT BaseDevice::GetViewport(D3DVIEWPORT8* pViewport) {
    if (pViewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pViewport = state_.viewport;
    return D3D_OK;
}

HRESULT BaseDevice::SetMaterial(const D3DMATERIAL8* pMaterial) {
    if (pMaterial == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    StoreMaterial(*pMaterial);
    return D3D_OK;
}

HRESULT BaseDevice::GetMaterial(D3DMATERIAL8* pMaterial) {
    if (pMaterial == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pMaterial = state_.material;
    return D3D_OK;
}

HRESULT BaseDevice::SetLight(DWORD Index, const D3DLIGHT8* pLight) {
    if (pLight == nullptr || pLight->Type < D3DLIGHT_POINT || pLight->Type > D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    // Point and spot lights need a range that is a number and not negative.
    if (pLight->Type != D3DLIGHT_DIRECTIONAL && !(pLight->Range >= 0.0f)) {
        return D3DERR_INVALIDCALL;
    }
    StoreLight(Index, *pLight);
    return D3D_OK;
}

HRESULT BaseDevice::GetLight(DWORD Index, D3DLIGHT8* pLight) {
    auto it = state_.lights.find(Index);
    if (pLight == nullptr || it == state_.lights.end()) {
        return D3DERR_INVALIDCALL;
    }
    *pLight = it->second.light;
    return D3D_OK;
}

HRESULT BaseDevice::LightEnable(DWORD Index, BOOL Enable) {
    StoreLightEnable(Index, Enable != FALSE);
    return D3D_OK;
}

HRESULT BaseDevice::GetLightEnable(DWORD Index, BOOL* pEnable) {
    auto it = state_.lights.find(Index);
    if (pEnable == nullptr || it == state_.lights.end()) {
        return D3DERR_INVALIDCALL;
    }
    *pEnable = it->second.enabled ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT BaseDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    if (!IsRenderState(State)) {
        return D3DERR_INVALIDCALL;
    }
    StoreRenderState(State, Value);
    return D3D_OK;
}

HRESULT BaseDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    if (pValue == nullptr || !IsRenderState(State)) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = state_.renderStates[State];
    return D3D_OK;
}

HRESULT BaseDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
    if (ppTexture == nullptr || Stage >= kTextureStageCount) {
        return D3DERR_INVALIDCALL;
    }
    IDirect3DBaseTexture8* texture = state_.textures[Stage].Get();
    if (texture != nullptr) {
        texture->AddRef();
    }
    *ppTexture = texture;
    return D3D_OK;
}

HRESULT BaseDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
    if (Stage >= kTextureStageCount) {
        return D3DERR_INVALIDCALL;
    }
    if (pTexture != nullptr) {
        const MemoryTexture* own = OwnTexture(pTexture);
        // System-memory textures are only sources for UpdateTexture.
        if (own == nullptr || own->Pool() == D3DPOOL_SYSTEMMEM) {
            return D3DERR_INVALIDCALL;
        }
    }
    StoreTexture(Stage, pTexture);
    return D3D_OK;
}

HRESULT BaseDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                         DWORD* pValue) {
    if (pValue == nullptr || Stage >= kTextureStageCount || !IsTextureStageState(Type)) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = state_.stageStates[Stage][Type];
    return D3D_OK;
}

HRESULT BaseDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
    if (Stage >= kTextureStageCount || !IsTextureStageState(Type)) {
        return D3DERR_INVALIDCALL;
    }
    StoreStageState(Stage, Type, Value);
    return D3D_OK;
}

HRESULT BaseDevice::ValidateDevice(DWORD* pNumPasses) {
    if (pNumPasses == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pNumPasses = 1;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// State blocks
// ---------------------------------------------------------------------------------------------

HRESULT BaseDevice::BeginStateBlock() {
    if (recording_) {
        return D3DERR_INVALIDCALL;
    }
    recording_ = std::make_unique<StateBlock>();
    return D3D_OK;
}

HRESULT BaseDevice::EndStateBlock(DWORD* pToken) {
    if (!recording_ || pToken == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const DWORD token = nextStateBlock_++;
    stateBlocks_[token] = std::move(recording_);
    *pToken = token;
    return D3D_OK;
}

HRESULT BaseDevice::ApplyStateBlock(DWORD Token) {
    auto it = stateBlocks_.find(Token);
    if (recording_ || it == stateBlocks_.end()) {
        return D3DERR_INVALIDCALL;
    }
    ApplyBlock(*it->second);
    return D3D_OK;
}

HRESULT BaseDevice::CaptureStateBlock(DWORD Token) {
    auto it = stateBlocks_.find(Token);
    if (recording_ || it == stateBlocks_.end()) {
        return D3DERR_INVALIDCALL;
    }
    it->second->Capture(state_);
    return D3D_OK;
}

HRESULT BaseDevice::DeleteStateBlock(DWORD Token) {
    auto it = stateBlocks_.find(Token);
    if (recording_ || it == stateBlocks_.end()) {
        return D3DERR_INVALIDCALL;
    }
    stateBlocks_.erase(it);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Vertex shaders (declarations), streams, indices
// ---------------------------------------------------------------------------------------------

const VertexDeclaration* BaseDevice::Declaration(DWORD handle) const {
    if ((handle & 1) == 0) {
        return nullptr;
    }
    const DWORD slot = handle >> 1;
    return slot < declarations_.size() ? declarations_[slot].get() : nullptr;
}

const VertexDeclaration* BaseDevice::CurrentLayout() const {
    if ((state_.vertexShader & 1) != 0) {
        return Declaration(state_.vertexShader);
    }
    return fvfLayoutValid_ ? &fvfLayout_ : nullptr;
}

HRESULT BaseDevice::CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction,
                                       DWORD* pHandle, DWORD Usage) {
    // Only declarations for the fixed-function pipeline: no shader programs.
    if (pDeclaration == nullptr || pFunction != nullptr || pHandle == nullptr ||
        (Usage & ~D3DUSAGE_SOFTWAREPROCESSING) != 0) {
        return D3DERR_INVALIDCALL;
    }
    auto declaration = std::make_unique<VertexDeclaration>();
    if (!VertexDeclaration::FromTokens(pDeclaration, kMaxDeclarationTokens, *declaration) ||
        declaration->Find(D3DVSDE_POSITION) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // Slots are never reused, so a deleted handle stays dead.
    const DWORD slot = static_cast<DWORD>(declarations_.size());
    if (slot >= 0x7FFFFFFFu) {
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    declarations_.push_back(std::move(declaration));
    *pHandle = (slot << 1) | 1;
    return D3D_OK;
}

HRESULT BaseDevice::SetVertexShader(DWORD Handle) {
    if ((Handle & 1) != 0) {
        if (Declaration(Handle) == nullptr) {
            return D3DERR_INVALIDCALL;
        }
    } else {
        VertexDeclaration layout;
        if (!VertexDeclaration::FromFvf(Handle, layout)) {
            return D3DERR_INVALIDCALL;
        }
    }
    StoreVertexShader(Handle);
    return D3D_OK;
}

HRESULT BaseDevice::GetVertexShader(DWORD* pHandle) {
    if (pHandle == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pHandle = state_.vertexShader;
    return D3D_OK;
}

HRESULT BaseDevice::DeleteVertexShader(DWORD Handle) {
    if (Declaration(Handle) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    declarations_[Handle >> 1].reset();
    if (state_.vertexShader == Handle) {
        dirty_.vertexShader = true;
    }
    return D3D_OK;
}

HRESULT BaseDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData,
                                    UINT Stride) {
    if (StreamNumber >= kVertexStreamCount || Stride > creation_.caps.MaxStreamStride ||
        (pStreamData != nullptr && OwnVertexBuffer(pStreamData) == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    StoreStream(StreamNumber, pStreamData, Stride);
    return D3D_OK;
}

HRESULT BaseDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData,
                                    UINT* pStride) {
    if (StreamNumber >= kVertexStreamCount || ppStreamData == nullptr || pStride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    IDirect3DVertexBuffer8* buffer = state_.streams[StreamNumber].buffer.Get();
    if (buffer != nullptr) {
        buffer->AddRef();
    }
    *ppStreamData = buffer;
    *pStride = state_.streams[StreamNumber].stride;
    return D3D_OK;
}

HRESULT BaseDevice::SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) {
    if (pIndexData != nullptr && OwnIndexBuffer(pIndexData) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    StoreIndices(pIndexData, BaseVertexIndex);
    return D3D_OK;
}

HRESULT BaseDevice::GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) {
    if (ppIndexData == nullptr || pBaseVertexIndex == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    IDirect3DIndexBuffer8* buffer = state_.indices.Get();
    if (buffer != nullptr) {
        buffer->AddRef();
    }
    *ppIndexData = buffer;
    *pBaseVertexIndex = state_.baseVertexIndex;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Drawing
// ---------------------------------------------------------------------------------------------

HRESULT BaseDevice::CheckDrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount) const {
    if (!inScene_ || VertexCountOfPrimitives(type, 1) == 0 ||
        primitiveCount > creation_.caps.MaxPrimitiveCount || CurrentLayout() == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

bool BaseDevice::StreamsHold(const VertexDeclaration& layout, std::uint64_t first,
                             std::uint64_t count) const {
    for (UINT stream = 0; stream < kVertexStreamCount; ++stream) {
        if (!layout.UsesStream(stream)) {
            continue;
        }
        const MemoryVertexBuffer* buffer = BoundStream(stream);
        const UINT stride = state_.streams[stream].stride;
        if (buffer == nullptr || buffer->Storage().IsLocked() ||
            stride < layout.StreamSize(stream)) {
            return false;
        }
        const std::uint64_t end = (first + count - 1) * stride + layout.StreamSize(stream);
        if (count == 0 || end > buffer->Storage().Length()) {
            return false;
        }
    }
    return true;
}

HRESULT BaseDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                  UINT PrimitiveCount) {
    if (const HRESULT hr = CheckDrawCommon(PrimitiveType, PrimitiveCount); FAILED(hr)) {
        return hr;
    }
    if (PrimitiveCount == 0) {
        return D3D_OK;
    }
    const VertexDeclaration* layout = CurrentLayout();
    const UINT vertexCount = VertexCountOfPrimitives(PrimitiveType, PrimitiveCount);
    if (!StreamsHold(*layout, StartVertex, vertexCount)) {
        return D3DERR_INVALIDCALL;
    }
    DrawCall call{};
    call.kind = DrawCall::Kind::Primitive;
    call.type = PrimitiveType;
    call.primitiveCount = PrimitiveCount;
    call.elementCount = vertexCount;
    call.start = StartVertex;
    call.layout = layout;
    return Draw(call);
}

HRESULT BaseDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex,
                                         UINT NumVertices, UINT StartIndex, UINT PrimitiveCount) {
    if (const HRESULT hr = CheckDrawCommon(PrimitiveType, PrimitiveCount); FAILED(hr)) {
        return hr;
    }
    const MemoryIndexBuffer* indices = BoundIndices();
    if (indices == nullptr || indices->Storage().IsLocked() || NumVertices == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (PrimitiveCount == 0) {
        return D3D_OK;
    }
    const VertexDeclaration* layout = CurrentLayout();
    const UINT indexCount = VertexCountOfPrimitives(PrimitiveType, PrimitiveCount);
    const UINT base = state_.baseVertexIndex;
    if (std::uint64_t{StartIndex} + indexCount > indices->IndexCount() ||
        !StreamsHold(*layout, std::uint64_t{base} + MinIndex, NumVertices)) {
        return D3DERR_INVALIDCALL;
    }
    // Every index must name a vertex the streams hold: the whole buffer's largest index
    // usually settles it; otherwise the draw's own indices are scanned.
    if (!StreamsHold(*layout, base, std::uint64_t{indices->LargestIndex()} + 1) &&
        !StreamsHold(*layout, base,
                     std::uint64_t{indices->LargestIndex(StartIndex, indexCount)} + 1)) {
        return D3DERR_INVALIDCALL;
    }
    DrawCall call{};
    call.kind = DrawCall::Kind::IndexedPrimitive;
    call.type = PrimitiveType;
    call.primitiveCount = PrimitiveCount;
    call.elementCount = indexCount;
    call.start = StartIndex;
    call.minIndex = MinIndex;
    call.numVertices = NumVertices;
    call.baseVertexIndex = base;
    call.layout = layout;
    call.indexFormat = indices->Format();
    return Draw(call);
}

HRESULT BaseDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                    const void* pVertexStreamZeroData,
                                    UINT VertexStreamZeroStride) {
    if (const HRESULT hr = CheckDrawCommon(PrimitiveType, PrimitiveCount); FAILED(hr)) {
        return hr;
    }
    const VertexDeclaration* layout = CurrentLayout();
    if (pVertexStreamZeroData == nullptr || layout->UsesStream(1) ||
        VertexStreamZeroStride < layout->StreamSize(0)) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT hr = D3D_OK;
    if (PrimitiveCount != 0) {
        DrawCall call{};
        call.kind = DrawCall::Kind::PrimitiveUP;
        call.type = PrimitiveType;
        call.primitiveCount = PrimitiveCount;
        call.elementCount = VertexCountOfPrimitives(PrimitiveType, PrimitiveCount);
        call.layout = layout;
        call.vertexData = pVertexStreamZeroData;
        call.vertexStride = VertexStreamZeroStride;
        hr = Draw(call);
    }
    // As in Direct3D 8, stream 0 is unbound after a draw from user memory.
    if (state_.streams[0].buffer || state_.streams[0].stride != 0) {
        state_.streams[0] = StreamState{};
        dirty_.streams.set(0);
    }
    return hr;
}

HRESULT BaseDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                           UINT NumVertexIndices, UINT PrimitiveCount,
                                           const void* pIndexData, D3DFORMAT IndexDataFormat,
                                           const void* pVertexStreamZeroData,
                                           UINT VertexStreamZeroStride) {
    if (const HRESULT hr = CheckDrawCommon(PrimitiveType, PrimitiveCount); FAILED(hr)) {
        return hr;
    }
    const VertexDeclaration* layout = CurrentLayout();
    if (pIndexData == nullptr || pVertexStreamZeroData == nullptr || NumVertexIndices == 0 ||
        (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32) ||
        layout->UsesStream(1) || VertexStreamZeroStride < layout->StreamSize(0)) {
        return D3DERR_INVALIDCALL;
    }
    const UINT indexCount = VertexCountOfPrimitives(PrimitiveType, PrimitiveCount);
    // The caller's vertex array is known to hold MinVertexIndex + NumVertexIndices vertices;
    // an index past that is refused rather than read.
    const std::uint64_t limit = std::uint64_t{MinVertexIndex} + NumVertexIndices;
    for (UINT i = 0; i < indexCount; ++i) {
        DWORD index;
        if (IndexDataFormat == D3DFMT_INDEX32) {
            std::memcpy(&index, static_cast<const BYTE*>(pIndexData) + std::size_t{i} * 4, 4);
        } else {
            WORD index16;
            std::memcpy(&index16, static_cast<const BYTE*>(pIndexData) + std::size_t{i} * 2, 2);
            index = index16;
        }
        if (index >= limit) {
            return D3DERR_INVALIDCALL;
        }
    }
    HRESULT hr = D3D_OK;
    if (PrimitiveCount != 0) {
        DrawCall call{};
        call.kind = DrawCall::Kind::IndexedPrimitiveUP;
        call.type = PrimitiveType;
        call.primitiveCount = PrimitiveCount;
        call.elementCount = indexCount;
        call.minIndex = MinVertexIndex;
        call.numVertices = NumVertexIndices;
        call.layout = layout;
        call.vertexData = pVertexStreamZeroData;
        call.vertexStride = VertexStreamZeroStride;
        call.indexData = pIndexData;
        call.indexFormat = IndexDataFormat;
        hr = Draw(call);
    }
    // As in Direct3D 8, stream 0 and the index buffer are unbound after this draw.
    if (state_.streams[0].buffer || state_.streams[0].stride != 0) {
        state_.streams[0] = StreamState{};
        dirty_.streams.set(0);
    }
    if (state_.indices || state_.baseVertexIndex != 0) {
        state_.indices.Reset();
        state_.baseVertexIndex = 0;
        dirty_.indices = true;
    }
    return hr;
}

// ---------------------------------------------------------------------------------------------
// Own objects
// ---------------------------------------------------------------------------------------------

MemoryTexture* BaseDevice::OwnTexture(IDirect3DBaseTexture8* texture) const {
    auto* own = dynamic_cast<MemoryTexture*>(texture);
    return own != nullptr && &own->Device() == this ? own : nullptr;
}

MemorySurface* BaseDevice::OwnSurface(IDirect3DSurface8* surface) const {
    auto* own = dynamic_cast<MemorySurface*>(surface);
    return own != nullptr && &own->Device() == this ? own : nullptr;
}

MemoryVertexBuffer* BaseDevice::OwnVertexBuffer(IDirect3DVertexBuffer8* buffer) const {
    auto* own = dynamic_cast<MemoryVertexBuffer*>(buffer);
    return own != nullptr && &own->Device() == this ? own : nullptr;
}

MemoryIndexBuffer* BaseDevice::OwnIndexBuffer(IDirect3DIndexBuffer8* buffer) const {
    auto* own = dynamic_cast<MemoryIndexBuffer*>(buffer);
    return own != nullptr && &own->Device() == this ? own : nullptr;
}

MemoryTexture* BaseDevice::BoundTexture(UINT stage) const {
    return stage < kTextureStageCount ? static_cast<MemoryTexture*>(static_cast<IDirect3DTexture8*>(
                                            state_.textures[stage].Get()))
                                      : nullptr;
}

MemoryVertexBuffer* BaseDevice::BoundStream(UINT stream) const {
    return stream < kVertexStreamCount
               ? static_cast<MemoryVertexBuffer*>(state_.streams[stream].buffer.Get())
               : nullptr;
}

MemoryIndexBuffer* BaseDevice::BoundIndices() const {
    return static_cast<MemoryIndexBuffer*>(state_.indices.Get());
}

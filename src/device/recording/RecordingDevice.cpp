// The call-recording device: the device core with every resource in memory, nothing drawn, and
// every call logged with its arguments in order. Needs no display and no OpenGL.
#include "device/recording/RecordingDevice.h"

#include <cstring>

#include "device/BaseDirect3D.h"
#include "device/MemoryBuffer.h"
#include "device/MemorySurface.h"
#include "device/MemoryTexture.h"
#include "device/TextureFormat.h"

// Logs a call unless recording is paused; the arguments are not even formed while it is, so a
// paused device allocates nothing for the calls it carries out.
#define DEMO_RECORD(recorder, ...)                                                                 \
    do {                                                                                           \
        if ((recorder).IsRecording()) {                                                            \
            (recorder).Log(__VA_ARGS__);                                                           \
        }                                                                                          \
    } while (false)

namespace {

// What a pointer argument points to, or null.
template <typename T>
RecordedArg Pointee(const T* p) {
    return p != nullptr ? RecordedArg(*p) : RecordedArg(nullptr);
}

// What the call stored through an out-pointer, or the pointer itself when it failed.
template <typename T>
RecordedArg Out(HRESULT hr, const T* p) {
    return SUCCEEDED(hr) && p != nullptr ? RecordedArg(*p)
                                         : RecordedArg(static_cast<const void*>(p));
}

// The object the call stored through an out-pointer, or the pointer itself when it failed.
template <typename T>
RecordedArg OutObject(HRESULT hr, T* const* p) {
    return SUCCEEDED(hr) && p != nullptr ? RecordedArg(static_cast<const void*>(*p))
                                         : RecordedArg(static_cast<const void*>(p));
}

template <typename T>
RecordedArg Array(const T* items, std::size_t count) {
    if (items == nullptr) {
        return RecordedArg(nullptr);
    }
    return RecordedArg(std::vector<T>(items, items + count));
}

RecordedArg Bytes(const void* data, std::size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    return RecordedArg(std::vector<BYTE>(bytes, bytes + size));
}

RecordingDevice& Recorder(BaseDevice& device) {
    return static_cast<RecordingDevice&>(device);
}

class RecordingSurface : public MemorySurface {
public:
    using MemorySurface::MemorySurface;

    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override {
        const HRESULT hr = MemorySurface::GetDesc(pDesc);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DSurface8::GetDesc", {Out(hr, pDesc)}, hr);
        return hr;
    }
    HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override {
        const HRESULT hr = MemorySurface::LockRect(pLockedRect, pRect, Flags);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DSurface8::LockRect",
                    {static_cast<const void*>(pLockedRect), Pointee(pRect), Flags}, hr);
        return hr;
    }
    HRESULT UnlockRect() override {
        const HRESULT hr = MemorySurface::UnlockRect();
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DSurface8::UnlockRect", {}, hr);
        return hr;
    }
};

class RecordingTexture : public MemoryTexture {
public:
    RecordingTexture(BaseDevice& device, UINT width, UINT height, UINT levels, DWORD usage,
                     const TextureFormat& format, D3DPOOL pool)
        : MemoryTexture(device, width, height, levels, usage, format, pool, &MakeLevel) {}

    DWORD GetLevelCount() override {
        const DWORD count = MemoryTexture::GetLevelCount();
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DTexture8::GetLevelCount", {}, count);
        return count;
    }
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override {
        const HRESULT hr = MemoryTexture::GetLevelDesc(Level, pDesc);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DTexture8::GetLevelDesc",
                    {Level, Out(hr, pDesc)}, hr);
        return hr;
    }
    HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) override {
        const HRESULT hr = MemoryTexture::GetSurfaceLevel(Level, ppSurfaceLevel);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DTexture8::GetSurfaceLevel",
                    {Level, OutObject(hr, ppSurfaceLevel)}, hr);
        return hr;
    }
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                     DWORD Flags) override {
        const HRESULT hr = MemoryTexture::LockRect(Level, pLockedRect, pRect, Flags);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DTexture8::LockRect",
                    {Level, static_cast<const void*>(pLockedRect), Pointee(pRect), Flags}, hr);
        return hr;
    }
    HRESULT UnlockRect(UINT Level) override {
        const HRESULT hr = MemoryTexture::UnlockRect(Level);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DTexture8::UnlockRect", {Level}, hr);
        return hr;
    }

private:
    static std::unique_ptr<MemorySurface> MakeLevel(MemoryTexture& texture, UINT level, UINT width,
                                                    UINT height) {
        return std::make_unique<RecordingSurface>(texture, level, texture.Format(), width, height);
    }
};

class RecordingVertexBuffer : public MemoryVertexBuffer {
public:
    using MemoryVertexBuffer::MemoryVertexBuffer;

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override {
        const HRESULT hr = MemoryVertexBuffer::Lock(OffsetToLock, SizeToLock, ppbData, Flags);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DVertexBuffer8::Lock",
                    {OffsetToLock, SizeToLock, static_cast<const void*>(ppbData), Flags}, hr);
        return hr;
    }
    HRESULT Unlock() override {
        const HRESULT hr = MemoryVertexBuffer::Unlock();
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DVertexBuffer8::Unlock", {}, hr);
        return hr;
    }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override {
        const HRESULT hr = MemoryVertexBuffer::GetDesc(pDesc);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DVertexBuffer8::GetDesc", {Out(hr, pDesc)},
                    hr);
        return hr;
    }
};

class RecordingIndexBuffer : public MemoryIndexBuffer {
public:
    using MemoryIndexBuffer::MemoryIndexBuffer;

    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override {
        const HRESULT hr = MemoryIndexBuffer::Lock(OffsetToLock, SizeToLock, ppbData, Flags);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DIndexBuffer8::Lock",
                    {OffsetToLock, SizeToLock, static_cast<const void*>(ppbData), Flags}, hr);
        return hr;
    }
    HRESULT Unlock() override {
        const HRESULT hr = MemoryIndexBuffer::Unlock();
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DIndexBuffer8::Unlock", {}, hr);
        return hr;
    }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override {
        const HRESULT hr = MemoryIndexBuffer::GetDesc(pDesc);
        DEMO_RECORD(Recorder(Device()), this, "IDirect3DIndexBuffer8::GetDesc", {Out(hr, pDesc)},
                    hr);
        return hr;
    }
};

class RecordingDirect3D : public BaseDirect3D {
public:
    using BaseDirect3D::BaseDirect3D;

protected:
    HRESULT MakeDevice(const DeviceCreation& creation, IDirect3DDevice8** device) override {
        *device = new RecordingDevice(creation);
        return D3D_OK;
    }
};

} // namespace

IDirect3D8* CreateRecordingDirect3D8() {
    return new RecordingDirect3D(DeviceOptions{});
}

IDirect3D8* CreateRecordingDirect3D8(const DeviceOptions& options) {
    return new RecordingDirect3D(options);
}

D3DPRESENT_PARAMETERS DemoPresentParameters() {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 800;
    pp.BackBufferHeight = 600;
    pp.BackBufferFormat = D3DFMT_A8R8G8B8;
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return pp;
}

IDirect3DDevice8* CreateDemoRecordingDevice(IDirect3D8* direct3D) {
    if (!direct3D) {
        return nullptr;
    }
    D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
    IDirect3DDevice8* device = nullptr;
    if (FAILED(direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))) {
        return nullptr;
    }
    return device;
}

RecordingDevice* AsRecordingDevice(IDirect3DDevice8* device) {
    return dynamic_cast<RecordingDevice*>(device);
}

void RecordingDevice::Log(const void* object, std::string method, RecordedArgs args,
                          std::int64_t result) {
    calls_.push_back(RecordedCall{object, std::move(method), std::move(args), result});
}

std::vector<RecordedCall> RecordingDevice::CallsNamed(const std::string& method) const {
    std::vector<RecordedCall> named;
    for (const RecordedCall& call : calls_) {
        if (call.method == method) {
            named.push_back(call);
        }
    }
    return named;
}

// ---------------------------------------------------------------------------------------------
// Backend work: nothing is drawn
// ---------------------------------------------------------------------------------------------

HRESULT RecordingDevice::ClearRects(const RECT*, UINT, DWORD, D3DCOLOR, float) {
    return D3D_OK;
}

HRESULT RecordingDevice::Draw(const DrawCall&) {
    return D3D_OK;
}

HRESULT RecordingDevice::PresentBackBuffer() {
    ++presentCount_;
    return D3D_OK;
}

HRESULT RecordingDevice::ReadFrontBuffer(MemorySurface& dest) {
    const DWORD black = 0xFF000000;
    for (UINT y = 0; y < dest.Height(); ++y) {
        BYTE* row = dest.Bits() + std::size_t{y} * dest.Pitch();
        for (UINT x = 0; x < dest.Width(); ++x) {
            std::memcpy(row + std::size_t{x} * 4, &black, 4);
        }
    }
    return D3D_OK;
}

MemoryTexture* RecordingDevice::NewTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                           const TextureFormat& format, D3DPOOL pool) {
    return new RecordingTexture(*this, width, height, levels, usage, format, pool);
}

MemorySurface* RecordingDevice::NewImageSurface(UINT width, UINT height,
                                                const TextureFormat& format) {
    return new RecordingSurface(*this, format, width, height);
}

MemoryVertexBuffer* RecordingDevice::NewVertexBuffer(UINT length, DWORD usage, DWORD fvf,
                                                     D3DPOOL pool) {
    return new RecordingVertexBuffer(*this, length, usage, fvf, pool);
}

MemoryIndexBuffer* RecordingDevice::NewIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                                   D3DPOOL pool) {
    return new RecordingIndexBuffer(*this, length, usage, format, pool);
}

// ---------------------------------------------------------------------------------------------
// Logged calls
// ---------------------------------------------------------------------------------------------

HRESULT RecordingDevice::TestCooperativeLevel() {
    const HRESULT hr = BaseDevice::TestCooperativeLevel();
    DEMO_RECORD(*this, this, "TestCooperativeLevel", {}, hr);
    return hr;
}

UINT RecordingDevice::GetAvailableTextureMem() {
    const UINT bytes = BaseDevice::GetAvailableTextureMem();
    DEMO_RECORD(*this, this, "GetAvailableTextureMem", {}, bytes);
    return bytes;
}

HRESULT RecordingDevice::GetDirect3D(IDirect3D8** ppD3D8) {
    const HRESULT hr = BaseDevice::GetDirect3D(ppD3D8);
    DEMO_RECORD(*this, this, "GetDirect3D", {OutObject(hr, ppD3D8)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS8* pCaps) {
    const HRESULT hr = BaseDevice::GetDeviceCaps(pCaps);
    DEMO_RECORD(*this, this, "GetDeviceCaps", {static_cast<const void*>(pCaps)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetDisplayMode(D3DDISPLAYMODE* pMode) {
    const HRESULT hr = BaseDevice::GetDisplayMode(pMode);
    DEMO_RECORD(*this, this, "GetDisplayMode", {static_cast<const void*>(pMode)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
    const HRESULT hr = BaseDevice::GetCreationParameters(pParameters);
    DEMO_RECORD(*this, this, "GetCreationParameters", {static_cast<const void*>(pParameters)}, hr);
    return hr;
}

void RecordingDevice::SetCursorPosition(UINT XScreenSpace, UINT YScreenSpace, DWORD Flags) {
    BaseDevice::SetCursorPosition(XScreenSpace, YScreenSpace, Flags);
    DEMO_RECORD(*this, this, "SetCursorPosition", {XScreenSpace, YScreenSpace, Flags}, 0);
}

BOOL RecordingDevice::ShowCursor(BOOL bShow) {
    const BOOL previous = BaseDevice::ShowCursor(bShow);
    DEMO_RECORD(*this, this, "ShowCursor", {bShow}, previous);
    return previous;
}

HRESULT RecordingDevice::Present(const RECT* pSourceRect, const RECT* pDestRect,
                                 HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) {
    const HRESULT hr =
        BaseDevice::Present(pSourceRect, pDestRect, hDestWindowOverride, pDirtyRegion);
    DEMO_RECORD(*this, this, "Present",
                {Pointee(pSourceRect), Pointee(pDestRect),
                 static_cast<const void*>(hDestWindowOverride),
                 static_cast<const void*>(pDirtyRegion)},
                hr);
    return hr;
}

HRESULT RecordingDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                       D3DFORMAT Format, D3DPOOL Pool,
                                       IDirect3DTexture8** ppTexture) {
    const HRESULT hr =
        BaseDevice::CreateTexture(Width, Height, Levels, Usage, Format, Pool, ppTexture);
    DEMO_RECORD(*this, this, "CreateTexture",
                {Width, Height, Levels, Usage, Format, Pool, OutObject(hr, ppTexture)}, hr);
    return hr;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                            IDirect3DVertexBuffer8** ppVertexBuffer) {
    const HRESULT hr = BaseDevice::CreateVertexBuffer(Length, Usage, FVF, Pool, ppVertexBuffer);
    DEMO_RECORD(*this, this, "CreateVertexBuffer",
                {Length, Usage, FVF, Pool, OutObject(hr, ppVertexBuffer)}, hr);
    return hr;
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DIndexBuffer8** ppIndexBuffer) {
    const HRESULT hr = BaseDevice::CreateIndexBuffer(Length, Usage, Format, Pool, ppIndexBuffer);
    DEMO_RECORD(*this, this, "CreateIndexBuffer",
                {Length, Usage, Format, Pool, OutObject(hr, ppIndexBuffer)}, hr);
    return hr;
}

HRESULT RecordingDevice::CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                            IDirect3DSurface8** ppSurface) {
    const HRESULT hr = BaseDevice::CreateImageSurface(Width, Height, Format, ppSurface);
    DEMO_RECORD(*this, this, "CreateImageSurface",
                {Width, Height, Format, OutObject(hr, ppSurface)}, hr);
    return hr;
}

HRESULT RecordingDevice::CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray,
                                   UINT cRects, IDirect3DSurface8* pDestinationSurface,
                                   const POINT* pDestPointsArray) {
    const HRESULT hr = BaseDevice::CopyRects(pSourceSurface, pSourceRectsArray, cRects,
                                             pDestinationSurface, pDestPointsArray);
    DEMO_RECORD(*this, this, "CopyRects",
                {static_cast<const void*>(pSourceSurface), Array(pSourceRectsArray, cRects), cRects,
                 static_cast<const void*>(pDestinationSurface), Array(pDestPointsArray, cRects)},
                hr);
    return hr;
}

HRESULT RecordingDevice::UpdateTexture(IDirect3DBaseTexture8* pSourceTexture,
                                       IDirect3DBaseTexture8* pDestinationTexture) {
    const HRESULT hr = BaseDevice::UpdateTexture(pSourceTexture, pDestinationTexture);
    DEMO_RECORD(
        *this, this, "UpdateTexture",
        {static_cast<const void*>(pSourceTexture), static_cast<const void*>(pDestinationTexture)},
        hr);
    return hr;
}

HRESULT RecordingDevice::GetFrontBuffer(IDirect3DSurface8* pDestSurface) {
    const HRESULT hr = BaseDevice::GetFrontBuffer(pDestSurface);
    DEMO_RECORD(*this, this, "GetFrontBuffer", {static_cast<const void*>(pDestSurface)}, hr);
    return hr;
}

HRESULT RecordingDevice::BeginScene() {
    const HRESULT hr = BaseDevice::BeginScene();
    DEMO_RECORD(*this, this, "BeginScene", {}, hr);
    return hr;
}

HRESULT RecordingDevice::EndScene() {
    const HRESULT hr = BaseDevice::EndScene();
    DEMO_RECORD(*this, this, "EndScene", {}, hr);
    return hr;
}

HRESULT RecordingDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                               float Z, DWORD Stencil) {
    const HRESULT hr = BaseDevice::Clear(Count, pRects, Flags, Color, Z, Stencil);
    DEMO_RECORD(*this, this, "Clear", {Count, Array(pRects, Count), Flags, Color, Z, Stencil}, hr);
    return hr;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    const HRESULT hr = BaseDevice::SetTransform(State, pMatrix);
    DEMO_RECORD(*this, this, "SetTransform", {State, Pointee(pMatrix)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    const HRESULT hr = BaseDevice::GetTransform(State, pMatrix);
    DEMO_RECORD(*this, this, "GetTransform", {State, Out(hr, pMatrix)}, hr);
    return hr;
}

HRESULT RecordingDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
    const HRESULT hr = BaseDevice::MultiplyTransform(State, pMatrix);
    DEMO_RECORD(*this, this, "MultiplyTransform", {State, Pointee(pMatrix)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT8* pViewport) {
    const HRESULT hr = BaseDevice::SetViewport(pViewport);
    DEMO_RECORD(*this, this, "SetViewport", {Pointee(pViewport)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT8* pViewport) {
    const HRESULT hr = BaseDevice::GetViewport(pViewport);
    DEMO_RECORD(*this, this, "GetViewport", {Out(hr, pViewport)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL8* pMaterial) {
    const HRESULT hr = BaseDevice::SetMaterial(pMaterial);
    DEMO_RECORD(*this, this, "SetMaterial", {Pointee(pMaterial)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetMaterial(D3DMATERIAL8* pMaterial) {
    const HRESULT hr = BaseDevice::GetMaterial(pMaterial);
    DEMO_RECORD(*this, this, "GetMaterial", {Out(hr, pMaterial)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetLight(DWORD Index, const D3DLIGHT8* pLight) {
    const HRESULT hr = BaseDevice::SetLight(Index, pLight);
    DEMO_RECORD(*this, this, "SetLight", {Index, Pointee(pLight)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetLight(DWORD Index, D3DLIGHT8* pLight) {
    const HRESULT hr = BaseDevice::GetLight(Index, pLight);
    DEMO_RECORD(*this, this, "GetLight", {Index, Out(hr, pLight)}, hr);
    return hr;
}

HRESULT RecordingDevice::LightEnable(DWORD Index, BOOL Enable) {
    const HRESULT hr = BaseDevice::LightEnable(Index, Enable);
    DEMO_RECORD(*this, this, "LightEnable", {Index, Enable}, hr);
    return hr;
}

HRESULT RecordingDevice::GetLightEnable(DWORD Index, BOOL* pEnable) {
    const HRESULT hr = BaseDevice::GetLightEnable(Index, pEnable);
    DEMO_RECORD(*this, this, "GetLightEnable", {Index, Out(hr, pEnable)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    const HRESULT hr = BaseDevice::SetRenderState(State, Value);
    DEMO_RECORD(*this, this, "SetRenderState", {State, Value}, hr);
    return hr;
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    const HRESULT hr = BaseDevice::GetRenderState(State, pValue);
    DEMO_RECORD(*this, this, "GetRenderState", {State, Out(hr, pValue)}, hr);
    return hr;
}

HRESULT RecordingDevice::BeginStateBlock() {
    const HRESULT hr = BaseDevice::BeginStateBlock();
    DEMO_RECORD(*this, this, "BeginStateBlock", {}, hr);
    return hr;
}

HRESULT RecordingDevice::EndStateBlock(DWORD* pToken) {
    const HRESULT hr = BaseDevice::EndStateBlock(pToken);
    DEMO_RECORD(*this, this, "EndStateBlock", {Out(hr, pToken)}, hr);
    return hr;
}

HRESULT RecordingDevice::ApplyStateBlock(DWORD Token) {
    const HRESULT hr = BaseDevice::ApplyStateBlock(Token);
    DEMO_RECORD(*this, this, "ApplyStateBlock", {Token}, hr);
    return hr;
}

HRESULT RecordingDevice::CaptureStateBlock(DWORD Token) {
    const HRESULT hr = BaseDevice::CaptureStateBlock(Token);
    DEMO_RECORD(*this, this, "CaptureStateBlock", {Token}, hr);
    return hr;
}

HRESULT RecordingDevice::DeleteStateBlock(DWORD Token) {
    const HRESULT hr = BaseDevice::DeleteStateBlock(Token);
    DEMO_RECORD(*this, this, "DeleteStateBlock", {Token}, hr);
    return hr;
}

HRESULT RecordingDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) {
    const HRESULT hr = BaseDevice::GetTexture(Stage, ppTexture);
    DEMO_RECORD(*this, this, "GetTexture", {Stage, OutObject(hr, ppTexture)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) {
    const HRESULT hr = BaseDevice::SetTexture(Stage, pTexture);
    DEMO_RECORD(*this, this, "SetTexture", {Stage, static_cast<const void*>(pTexture)}, hr);
    return hr;
}

HRESULT RecordingDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                              DWORD* pValue) {
    const HRESULT hr = BaseDevice::GetTextureStageState(Stage, Type, pValue);
    DEMO_RECORD(*this, this, "GetTextureStageState", {Stage, Type, Out(hr, pValue)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                              DWORD Value) {
    const HRESULT hr = BaseDevice::SetTextureStageState(Stage, Type, Value);
    DEMO_RECORD(*this, this, "SetTextureStageState", {Stage, Type, Value}, hr);
    return hr;
}

HRESULT RecordingDevice::ValidateDevice(DWORD* pNumPasses) {
    const HRESULT hr = BaseDevice::ValidateDevice(pNumPasses);
    DEMO_RECORD(*this, this, "ValidateDevice", {Out(hr, pNumPasses)}, hr);
    return hr;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                       UINT PrimitiveCount) {
    const HRESULT hr = BaseDevice::DrawPrimitive(PrimitiveType, StartVertex, PrimitiveCount);
    DEMO_RECORD(*this, this, "DrawPrimitive", {PrimitiveType, StartVertex, PrimitiveCount}, hr);
    return hr;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex,
                                              UINT NumVertices, UINT StartIndex,
                                              UINT PrimitiveCount) {
    const HRESULT hr = BaseDevice::DrawIndexedPrimitive(PrimitiveType, MinIndex, NumVertices,
                                                        StartIndex, PrimitiveCount);
    DEMO_RECORD(*this, this, "DrawIndexedPrimitive",
                {PrimitiveType, MinIndex, NumVertices, StartIndex, PrimitiveCount}, hr);
    return hr;
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                         const void* pVertexStreamZeroData,
                                         UINT VertexStreamZeroStride) {
    const HRESULT hr = BaseDevice::DrawPrimitiveUP(PrimitiveType, PrimitiveCount,
                                                   pVertexStreamZeroData, VertexStreamZeroStride);
    // A call the core accepted had readable vertices; a refused one is logged by address only.
    const RecordedArg vertices =
        SUCCEEDED(hr) ? Bytes(pVertexStreamZeroData,
                              std::size_t{VertexCountOfPrimitives(PrimitiveType, PrimitiveCount)} *
                                  VertexStreamZeroStride)
                      : RecordedArg(pVertexStreamZeroData);
    DEMO_RECORD(*this, this, "DrawPrimitiveUP",
                {PrimitiveType, PrimitiveCount, vertices, VertexStreamZeroStride}, hr);
    return hr;
}

HRESULT RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                                UINT NumVertexIndices, UINT PrimitiveCount,
                                                const void* pIndexData, D3DFORMAT IndexDataFormat,
                                                const void* pVertexStreamZeroData,
                                                UINT VertexStreamZeroStride) {
    const HRESULT hr = BaseDevice::DrawIndexedPrimitiveUP(
        PrimitiveType, MinVertexIndex, NumVertexIndices, PrimitiveCount, pIndexData,
        IndexDataFormat, pVertexStreamZeroData, VertexStreamZeroStride);
    RecordedArg indices(pIndexData);
    RecordedArg vertices(pVertexStreamZeroData);
    if (SUCCEEDED(hr)) {
        const std::size_t indexSize = IndexDataFormat == D3DFMT_INDEX32 ? 4 : 2;
        indices =
            Bytes(pIndexData, VertexCountOfPrimitives(PrimitiveType, PrimitiveCount) * indexSize);
        vertices = Bytes(pVertexStreamZeroData,
                         (std::size_t{MinVertexIndex} + NumVertexIndices) * VertexStreamZeroStride);
    }
    DEMO_RECORD(*this, this, "DrawIndexedPrimitiveUP",
                {PrimitiveType, MinVertexIndex, NumVertexIndices, PrimitiveCount, indices,
                 IndexDataFormat, vertices, VertexStreamZeroStride},
                hr);
    return hr;
}

HRESULT RecordingDevice::CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction,
                                            DWORD* pHandle, DWORD Usage) {
    const HRESULT hr = BaseDevice::CreateVertexShader(pDeclaration, pFunction, pHandle, Usage);
    // An accepted declaration ends with D3DVSD_END(); its tokens are copied up to that one.
    RecordedArg tokens(pDeclaration);
    if (SUCCEEDED(hr)) {
        std::vector<DWORD> copy;
        for (const DWORD* t = pDeclaration;; ++t) {
            copy.push_back(*t);
            if (*t == D3DVSD_END()) {
                break;
            }
        }
        tokens = RecordedArg(std::move(copy));
    }
    DEMO_RECORD(*this, this, "CreateVertexShader",
                {tokens, static_cast<const void*>(pFunction), Out(hr, pHandle), Usage}, hr);
    return hr;
}

HRESULT RecordingDevice::SetVertexShader(DWORD Handle) {
    const HRESULT hr = BaseDevice::SetVertexShader(Handle);
    DEMO_RECORD(*this, this, "SetVertexShader", {Handle}, hr);
    return hr;
}

HRESULT RecordingDevice::GetVertexShader(DWORD* pHandle) {
    const HRESULT hr = BaseDevice::GetVertexShader(pHandle);
    DEMO_RECORD(*this, this, "GetVertexShader", {Out(hr, pHandle)}, hr);
    return hr;
}

HRESULT RecordingDevice::DeleteVertexShader(DWORD Handle) {
    const HRESULT hr = BaseDevice::DeleteVertexShader(Handle);
    DEMO_RECORD(*this, this, "DeleteVertexShader", {Handle}, hr);
    return hr;
}

HRESULT RecordingDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData,
                                         UINT Stride) {
    const HRESULT hr = BaseDevice::SetStreamSource(StreamNumber, pStreamData, Stride);
    DEMO_RECORD(*this, this, "SetStreamSource",
                {StreamNumber, static_cast<const void*>(pStreamData), Stride}, hr);
    return hr;
}

HRESULT RecordingDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData,
                                         UINT* pStride) {
    const HRESULT hr = BaseDevice::GetStreamSource(StreamNumber, ppStreamData, pStride);
    DEMO_RECORD(*this, this, "GetStreamSource",
                {StreamNumber, OutObject(hr, ppStreamData), Out(hr, pStride)}, hr);
    return hr;
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) {
    const HRESULT hr = BaseDevice::SetIndices(pIndexData, BaseVertexIndex);
    DEMO_RECORD(*this, this, "SetIndices", {static_cast<const void*>(pIndexData), BaseVertexIndex},
                hr);
    return hr;
}

HRESULT RecordingDevice::GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) {
    const HRESULT hr = BaseDevice::GetIndices(ppIndexData, pBaseVertexIndex);
    DEMO_RECORD(*this, this, "GetIndices", {OutObject(hr, ppIndexData), Out(hr, pBaseVertexIndex)},
                hr);
    return hr;
}

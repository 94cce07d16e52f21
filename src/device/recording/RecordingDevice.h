// The call-recording device: the device core with every resource in memory, nothing drawn, and
// every call logged with its arguments in order. Needs no display and no OpenGL.
#pragma once

#include <vector>

#include "device/BaseDevice.h"
#include "device/recording/RecordedCall.h"

// Logs each IDirect3DDevice8 call (not AddRef and Release) and the Lock, Unlock, LockRect,
// UnlockRect, GetDesc, GetLevelDesc, GetLevelCount and GetSurfaceLevel calls on its resources,
// after the core has carried them out, so each record holds the call's result. Clear and the
// draws change no pixels; GetFrontBuffer gives opaque black.
class RecordingDevice : public BaseDevice {
public:
    explicit RecordingDevice(const DeviceCreation& creation) : BaseDevice(creation) {}

    const std::vector<RecordedCall>& Calls() const { return calls_; }
    // The calls with the given method name, in order.
    std::vector<RecordedCall> CallsNamed(const std::string& method) const;
    void ClearCalls() { calls_.clear(); }
    // While recording is paused calls are carried out but not logged (and nothing is allocated
    // to log them): for measurements such as counting a frame's heap allocations.
    void SetRecording(bool on) { recording_ = on; }
    bool IsRecording() const { return recording_; }
    // Number of successful Present calls.
    UINT PresentCount() const { return presentCount_; }

    void Log(const void* object, std::string method, RecordedArgs args, std::int64_t result);

    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT GetDirect3D(IDirect3D8** ppD3D8) override;
    HRESULT GetDeviceCaps(D3DCAPS8* pCaps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* pMode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
    void SetCursorPosition(UINT XScreenSpace, UINT YScreenSpace, DWORD Flags) override;
    BOOL ShowCursor(BOOL bShow) override;
    HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                    const RGNDATA* pDirtyRegion) override;
    HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                          D3DPOOL Pool, IDirect3DTexture8** ppTexture) override;
    HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                               IDirect3DVertexBuffer8** ppVertexBuffer) override;
    HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DIndexBuffer8** ppIndexBuffer) override;
    HRESULT CreateImageSurface(UINT Width, UINT Height, D3DFORMAT Format,
                               IDirect3DSurface8** ppSurface) override;
    HRESULT CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                      IDirect3DSurface8* pDestinationSurface,
                      const POINT* pDestPointsArray) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture8* pSourceTexture,
                          IDirect3DBaseTexture8* pDestinationTexture) override;
    HRESULT GetFrontBuffer(IDirect3DSurface8* pDestSurface) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                  DWORD Stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* pViewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* pViewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* pMaterial) override;
    HRESULT GetMaterial(D3DMATERIAL8* pMaterial) override;
    HRESULT SetLight(DWORD Index, const D3DLIGHT8* pLight) override;
    HRESULT GetLight(DWORD Index, D3DLIGHT8* pLight) override;
    HRESULT LightEnable(DWORD Index, BOOL Enable) override;
    HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT BeginStateBlock() override;
    HRESULT EndStateBlock(DWORD* pToken) override;
    HRESULT ApplyStateBlock(DWORD Token) override;
    HRESULT CaptureStateBlock(DWORD Token) override;
    HRESULT DeleteStateBlock(DWORD Token) override;
    HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture8** ppTexture) override;
    HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture8* pTexture) override;
    HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                 DWORD* pValue) override;
    HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
    HRESULT ValidateDevice(DWORD* pNumPasses) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                          UINT PrimitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT MinIndex, UINT NumVertices,
                                 UINT StartIndex, UINT PrimitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                            const void* pVertexStreamZeroData,
                            UINT VertexStreamZeroStride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                   UINT NumVertexIndices, UINT PrimitiveCount,
                                   const void* pIndexData, D3DFORMAT IndexDataFormat,
                                   const void* pVertexStreamZeroData,
                                   UINT VertexStreamZeroStride) override;
    HRESULT CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction, DWORD* pHandle,
                               DWORD Usage) override;
    HRESULT SetVertexShader(DWORD Handle) override;
    HRESULT GetVertexShader(DWORD* pHandle) override;
    HRESULT DeleteVertexShader(DWORD Handle) override;
    HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8* pStreamData,
                            UINT Stride) override;
    HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer8** ppStreamData,
                            UINT* pStride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* pIndexData, UINT BaseVertexIndex) override;
    HRESULT GetIndices(IDirect3DIndexBuffer8** ppIndexData, UINT* pBaseVertexIndex) override;

protected:
    ~RecordingDevice() override = default;

    HRESULT ClearRects(const RECT* rects, UINT count, DWORD flags, D3DCOLOR color,
                       float z) override;
    HRESULT Draw(const DrawCall& call) override;
    HRESULT PresentBackBuffer() override;
    HRESULT ReadFrontBuffer(MemorySurface& dest) override;

    MemoryTexture* NewTexture(UINT width, UINT height, UINT levels, DWORD usage,
                              const TextureFormat& format, D3DPOOL pool) override;
    MemorySurface* NewImageSurface(UINT width, UINT height, const TextureFormat& format) override;
    MemoryVertexBuffer* NewVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) override;
    MemoryIndexBuffer* NewIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                      D3DPOOL pool) override;

private:
    std::vector<RecordedCall> calls_;
    bool recording_ = true;
    UINT presentCount_ = 0;
};

// The recording device behind an interface pointer, or null for any other device.
RecordingDevice* AsRecordingDevice(IDirect3DDevice8* device);

// The presentation the demo asks its device for: 800 x 600 A8R8G8B8, full screen, one back
// buffer, discard, an automatic D16 depth buffer, the default interval. Tools and tests that
// stand in for the demo make their recording devices with it.
D3DPRESENT_PARAMETERS DemoPresentParameters();

// A recording device made on direct3D as the demo makes its device (DemoPresentParameters,
// software vertex processing, no window); null when the creation fails.
IDirect3DDevice8* CreateDemoRecordingDevice(IDirect3D8* direct3D);

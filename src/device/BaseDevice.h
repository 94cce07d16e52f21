// The device core shared by the OpenGL device and the call-recording device: checks every call,
// stores all state as set, records and applies state blocks, keeps vertex declarations and
// makes the in-memory resources. A backend derives from it and supplies clearing, drawing and
// presentation.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "device/D3D8.h"
#include "device/DeviceOptions.h"
#include "device/DeviceState.h"
#include "device/VertexDeclaration.h"

class MemoryIndexBuffer;
class MemorySurface;
class MemoryTexture;
class MemoryVertexBuffer;
struct StateBlock;
struct TextureFormat;

// What a device is made with; filled by BaseDirect3D::CreateDevice after its checks.
struct DeviceCreation {
    IDirect3D8* direct3d = nullptr;
    D3DDEVICE_CREATION_PARAMETERS parameters{};
    // With defaults filled in: the back buffer size, format and count.
    D3DPRESENT_PARAMETERS presentation{};
    DeviceOptions options;
    D3DCAPS8 caps{};
    D3DDISPLAYMODE adapterMode{};
};

// One draw, checked: the primitive and vertex counts agree, the vertex shader has a layout,
// every stream it reads is bound with enough vertices, and every index is in range.
struct DrawCall {
    enum class Kind { Primitive, IndexedPrimitive, PrimitiveUP, IndexedPrimitiveUP };
    Kind kind;
    D3DPRIMITIVETYPE type;
    UINT primitiveCount;
    // Vertices (non-indexed) or indices (indexed) the primitives use.
    UINT elementCount;
    // Non-indexed: first vertex. Indexed: first index.
    UINT start;
    // Indexed: the vertex range the indices fall into (after the base vertex index).
    UINT minIndex;
    UINT numVertices;
    // DrawIndexedPrimitive: SetIndices' base vertex index.
    UINT baseVertexIndex;
    const VertexDeclaration* layout;
    // UP draws: caller's vertices (stream 0) and indices.
    const void* vertexData;
    UINT vertexStride;
    const void* indexData;
    D3DFORMAT indexFormat;
};

// Vertices used by primitiveCount primitives of the type; 0 for an unknown type.
UINT VertexCountOfPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

// Caps of the device core: what the shared checks allow (texture formats and sizes, streams,
// transforms, stages). A backend narrows or widens them in BaseDirect3D::FillCaps.
D3DCAPS8 CoreCaps();

// Reference counting: the application's references (AddRef/Release) and internal ones held by
// resources are counted apart. The application's last Release drops all bound state and state
// blocks; the object itself goes when the internal references are gone too, so resources that
// outlive the device never see it destroyed.
class BaseDevice : public IDirect3DDevice8 {
public:
    explicit BaseDevice(const DeviceCreation& creation);
    BaseDevice(const BaseDevice&) = delete;
    BaseDevice& operator=(const BaseDevice&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;

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

    // References held by resources: they keep the object alive, not its state.
    void AddInternalRef() { ++internalRefs_; }
    void ReleaseInternalRef();

    const DeviceState& State() const { return state_; }
    // States changed since the backend last cleared the flags; all set after creation.
    StateFlags& Dirty() { return dirty_; }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return creation_.presentation; }
    const DeviceOptions& Options() const { return creation_.options; }
    const D3DCAPS8& Caps() const { return creation_.caps; }
    bool InScene() const { return inScene_; }
    bool IsRecordingStateBlock() const { return recording_ != nullptr; }
    bool CursorVisible() const { return cursorVisible_; }
    POINT CursorPosition() const { return cursorPosition_; }
    bool HasDepthBuffer() const { return creation_.presentation.EnableAutoDepthStencil != FALSE; }
    // The layout of the current vertex shader (an FVF code or a live declaration), or null.
    const VertexDeclaration* CurrentLayout() const;
    // The layout of a declaration handle, or null when it is not a live one.
    const VertexDeclaration* Declaration(DWORD handle) const;
    // The bound resources as this device's classes (null when nothing is bound).
    MemoryTexture* BoundTexture(UINT stage) const;
    MemoryVertexBuffer* BoundStream(UINT stream) const;
    MemoryIndexBuffer* BoundIndices() const;

    // This device's own object behind an interface pointer, or null for null, a foreign
    // object, or one of another device.
    MemoryTexture* OwnTexture(IDirect3DBaseTexture8* texture) const;
    MemorySurface* OwnSurface(IDirect3DSurface8* surface) const;
    MemoryVertexBuffer* OwnVertexBuffer(IDirect3DVertexBuffer8* buffer) const;
    MemoryIndexBuffer* OwnIndexBuffer(IDirect3DIndexBuffer8* buffer) const;

protected:
    ~BaseDevice() override;

    // --- Backend work, called after the core's checks ---

    // Clears the rectangles (already clipped to the viewport and the back buffer, none empty)
    // of the targets in flags (D3DCLEAR_TARGET, D3DCLEAR_ZBUFFER).
    virtual HRESULT ClearRects(const RECT* rects, UINT count, DWORD flags, D3DCOLOR color,
                               float z) = 0;
    virtual HRESULT Draw(const DrawCall& call) = 0;
    // Shows the back buffer, which keeps its content.
    virtual HRESULT PresentBackBuffer() = 0;
    // Copies the last presented frame into dest: A8R8G8B8, back-buffer sized, not locked.
    virtual HRESULT ReadFrontBuffer(MemorySurface& dest) = 0;
    // The cursor was shown or hidden, or moved.
    virtual void CursorChanged() {}

    // --- Resource factories; a backend returns its own subclasses (null: out of memory) ---

    virtual MemoryTexture* NewTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                      const TextureFormat& format, D3DPOOL pool);
    virtual MemorySurface* NewImageSurface(UINT width, UINT height, const TextureFormat& format);
    virtual MemoryVertexBuffer* NewVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    virtual MemoryIndexBuffer* NewIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                              D3DPOOL pool);

private:
    // The store functions write into the recording state block while one is recorded, else
    // into the device state, marking a state dirty only when its value changes.
    void StoreRenderState(DWORD state, DWORD value);
    void StoreStageState(DWORD stage, DWORD type, DWORD value);
    void StoreTransform(UINT slot, const Matrix& matrix);
    void StoreMaterial(const D3DMATERIAL8& material);
    void StoreViewport(const D3DVIEWPORT8& viewport);
    void StoreLight(DWORD index, const D3DLIGHT8& light);
    void StoreLightEnable(DWORD index, bool enable);
    void StoreTexture(DWORD stage, IDirect3DBaseTexture8* texture);
    void StoreStream(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride);
    void StoreIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex);
    void StoreVertexShader(DWORD handle);
    void ApplyBlock(const StateBlock& block);

    // Checks a draw's streams: each stream the layout reads is bound, unlocked, with a stride
    // covering the layout's vertex, and holds vertices first..first+count-1.
    bool StreamsHold(const VertexDeclaration& layout, std::uint64_t first,
                     std::uint64_t count) const;
    HRESULT CheckDrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount) const;
    void ReleaseState();

    DeviceCreation creation_;
    DeviceState state_;
    StateFlags dirty_;
    ULONG refs_ = 1;
    ULONG internalRefs_ = 0;
    bool inScene_ = false;
    bool cursorVisible_ = false;
    POINT cursorPosition_{};

    std::map<DWORD, std::unique_ptr<StateBlock>> stateBlocks_;
    std::unique_ptr<StateBlock> recording_;
    DWORD nextStateBlock_ = 1;

    // Declarations by handle ((slot << 1) | 1 keeps handles odd, apart from FVF codes).
    std::vector<std::unique_ptr<VertexDeclaration>> declarations_;
    // The layout of the current FVF code.
    VertexDeclaration fvfLayout_;
    bool fvfLayoutValid_ = false;

    std::vector<RECT> clearRects_;
};

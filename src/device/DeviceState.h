// The settable state of a device, stored raw as the application set it, with Direct3D 8's
// values after device creation, and the flags that mark what changed.
#pragma once

#include <array>
#include <bitset>
#include <map>

#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "device/VertexDeclaration.h"

constexpr UINT kTextureStageCount = 8;
// Render state numbers are below this.
constexpr UINT kRenderStateLimit = 256;
// Texture stage state numbers are below this.
constexpr UINT kStageStateLimit = 32;
constexpr UINT kWorldMatrixCount = 256;

// Slots of DeviceState::transforms: view, projection, texture 0..7, world 0..255.
constexpr UINT kViewTransform = 0;
constexpr UINT kProjectionTransform = 1;
constexpr UINT kTextureTransform0 = 2;
constexpr UINT kWorldTransform0 = kTextureTransform0 + kTextureStageCount;
constexpr UINT kTransformCount = kWorldTransform0 + kWorldMatrixCount;

// The slot of a transform state (D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE0..7,
// D3DTS_WORLDMATRIX(0..255)), or -1 for any other number.
int TransformSlot(DWORD state);
// The transform state of a slot (inverse of TransformSlot).
D3DTRANSFORMSTATETYPE TransformOfSlot(UINT slot);

// Whether the number is one of Direct3D 8's render states / texture stage states.
bool IsRenderState(DWORD state);
bool IsTextureStageState(DWORD type);

// The light that LightEnable makes for an index that was never set: white directional light
// along +z.
D3DLIGHT8 DefaultLight();

struct LightState {
    D3DLIGHT8 light;
    bool enabled;
    friend bool operator==(const LightState&, const LightState&) = default;
};

struct StreamState {
    DevicePtr<IDirect3DVertexBuffer8> buffer;
    UINT stride = 0;
};

// Everything the Set calls store. Resource slots hold a reference (as Direct3D 8 does for
// SetTexture, SetStreamSource and SetIndices); they only ever hold this device's Memory*
// objects, so a backend may static_cast them to its own classes.
struct DeviceState {
    std::array<DWORD, kRenderStateLimit> renderStates{};
    std::array<std::array<DWORD, kStageStateLimit>, kTextureStageCount> stageStates{};
    std::array<Matrix, kTransformCount> transforms{};
    D3DMATERIAL8 material{};
    D3DVIEWPORT8 viewport{};
    std::map<DWORD, LightState> lights;
    std::array<DevicePtr<IDirect3DBaseTexture8>, kTextureStageCount> textures;
    std::array<StreamState, kVertexStreamCount> streams;
    DevicePtr<IDirect3DIndexBuffer8> indices;
    UINT baseVertexIndex = 0;
    // An FVF code, or a declaration handle (odd) from CreateVertexShader.
    DWORD vertexShader = 0;

    // The state of a new device: Direct3D 8's default render and texture stage states
    // (D3DRS_ZENABLE TRUE only with a depth buffer; D3DRS_SOFTWAREVERTEXPROCESSING TRUE only
    // for software vertex processing), identity transforms, zero material, no lights, nothing
    // bound, and a viewport covering the width x height back buffer with depth 0..1.
    static DeviceState Initial(bool depthBuffer, bool softwareVertexProcessing, UINT width,
                               UINT height);

    // Drops every resource reference.
    void Unbind();
};

// A set of states: what changed since the backend last looked (dirty tracking), or which states
// a state block holds.
struct StateFlags {
    std::bitset<kRenderStateLimit> renderStates;
    std::array<std::bitset<kStageStateLimit>, kTextureStageCount> stageStates;
    std::bitset<kTransformCount> transforms;
    std::bitset<kTextureStageCount> textures;
    std::bitset<kVertexStreamCount> streams;
    bool material = false;
    bool viewport = false;
    bool lights = false;
    bool indices = false;
    bool vertexShader = false;

    void SetAll();
    void Clear();
};

// The settable state of a device, stored raw as the application set it, with Direct3D 8's
// values after device creation, and the flags that mark what changed.
#include "device/DeviceState.h"

#include <bit>
#include <utility>

namespace {

constexpr DWORD FloatBits(float value) {
    return std::bit_cast<DWORD>(value);
}

// Every render state with its value on a new device. ZENABLE and SOFTWAREVERTEXPROCESSING
// depend on how the device was made and are set by DeviceState::Initial.
constexpr std::pair<D3DRENDERSTATETYPE, DWORD> kRenderStateDefaults[] = {
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_LINEPATTERN, 0},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_LASTPIXEL, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAREF, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_DITHERENABLE, FALSE},
    {D3DRS_ALPHABLENDENABLE, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_ZVISIBLE, 0},
    {D3DRS_FOGCOLOR, 0},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
    {D3DRS_FOGSTART, FloatBits(0.0f)},
    {D3DRS_FOGEND, FloatBits(1.0f)},
    {D3DRS_FOGDENSITY, FloatBits(1.0f)},
    {D3DRS_EDGEANTIALIAS, FALSE},
    {D3DRS_ZBIAS, 0},
    {D3DRS_RANGEFOGENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_STENCILREF, 0},
    {D3DRS_STENCILMASK, 0xFFFFFFFF},
    {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
    {D3DRS_TEXTUREFACTOR, 0xFFFFFFFF},
    {D3DRS_WRAP0, 0},
    {D3DRS_WRAP1, 0},
    {D3DRS_WRAP2, 0},
    {D3DRS_WRAP3, 0},
    {D3DRS_WRAP4, 0},
    {D3DRS_WRAP5, 0},
    {D3DRS_WRAP6, 0},
    {D3DRS_WRAP7, 0},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_AMBIENT, 0},
    {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
    {D3DRS_COLORVERTEX, TRUE},
    {D3DRS_LOCALVIEWER, TRUE},
    {D3DRS_NORMALIZENORMALS, FALSE},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_VERTEXBLEND, D3DVBF_DISABLE},
    {D3DRS_CLIPPLANEENABLE, 0},
    {D3DRS_SOFTWAREVERTEXPROCESSING, FALSE},
    {D3DRS_POINTSIZE, FloatBits(1.0f)},
    {D3DRS_POINTSIZE_MIN, FloatBits(1.0f)},
    {D3DRS_POINTSPRITEENABLE, FALSE},
    {D3DRS_POINTSCALEENABLE, FALSE},
    {D3DRS_POINTSCALE_A, FloatBits(1.0f)},
    {D3DRS_POINTSCALE_B, FloatBits(0.0f)},
    {D3DRS_POINTSCALE_C, FloatBits(0.0f)},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
    {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF},
    {D3DRS_PATCHEDGESTYLE, D3DPATCHEDGE_DISCRETE},
    {D3DRS_PATCHSEGMENTS, FloatBits(1.0f)},
    {D3DRS_DEBUGMONITORTOKEN, D3DDMT_ENABLE},
    {D3DRS_POINTSIZE_MAX, FloatBits(64.0f)},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_GREEN |
                                 D3DCOLORWRITEENABLE_BLUE | D3DCOLORWRITEENABLE_ALPHA},
    {D3DRS_TWEENFACTOR, FloatBits(0.0f)},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_POSITIONORDER, D3DORDER_CUBIC},
    {D3DRS_NORMALORDER, D3DORDER_LINEAR},
};

// The known numbers, as a 256-bit set built from the table above.
constexpr std::bitset<kRenderStateLimit> KnownRenderStates() {
    std::bitset<kRenderStateLimit> known;
    for (const auto& [state, value] : kRenderStateDefaults) {
        known.set(state);
    }
    return known;
}

bool IsKnownRenderStateNumber(DWORD state) {
    static const std::bitset<kRenderStateLimit> known = KnownRenderStates();
    return state < kRenderStateLimit && known.test(state);
}

Matrix Identity() {
    return MatrixIdentity();
}

} // namespace

int TransformSlot(DWORD state) {
    if (state == D3DTS_VIEW) {
        return kViewTransform;
    }
    if (state == D3DTS_PROJECTION) {
        return kProjectionTransform;
    }
    if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
        return static_cast<int>(kTextureTransform0 + (state - D3DTS_TEXTURE0));
    }
    if (state >= D3DTS_WORLD && state < D3DTS_WORLD + kWorldMatrixCount) {
        return static_cast<int>(kWorldTransform0 + (state - D3DTS_WORLD));
    }
    return -1;
}

D3DTRANSFORMSTATETYPE TransformOfSlot(UINT slot) {
    if (slot == kViewTransform) {
        return D3DTS_VIEW;
    }
    if (slot == kProjectionTransform) {
        return D3DTS_PROJECTION;
    }
    if (slot < kWorldTransform0) {
        return static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + (slot - kTextureTransform0));
    }
    return D3DTS_WORLDMATRIX(slot - kWorldTransform0);
}

bool IsRenderState(DWORD state) {
    return IsKnownRenderStateNumber(state);
}

bool IsTextureStageState(DWORD type) {
    // 12 was the combined address state of earlier versions and is not a state any more.
    return type >= D3DTSS_COLOROP && type <= D3DTSS_RESULTARG && type != 12;
}

D3DLIGHT8 DefaultLight() {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction = {0.0f, 0.0f, 1.0f};
    return light;
}

DeviceState DeviceState::Initial(bool depthBuffer, bool softwareVertexProcessing, UINT width,
                                 UINT height) {
    DeviceState s;
    for (const auto& [state, value] : kRenderStateDefaults) {
        s.renderStates[state] = value;
    }
    s.renderStates[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;
    s.renderStates[D3DRS_SOFTWAREVERTEXPROCESSING] = softwareVertexProcessing ? TRUE : FALSE;

    for (UINT stage = 0; stage < kTextureStageCount; ++stage) {
        auto& t = s.stageStates[stage];
        t[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        t[D3DTSS_BUMPENVMAT00] = FloatBits(0.0f);
        t[D3DTSS_BUMPENVMAT01] = FloatBits(0.0f);
        t[D3DTSS_BUMPENVMAT10] = FloatBits(0.0f);
        t[D3DTSS_BUMPENVMAT11] = FloatBits(0.0f);
        t[D3DTSS_TEXCOORDINDEX] = stage;
        t[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        t[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
        t[D3DTSS_BORDERCOLOR] = 0;
        t[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        t[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        t[D3DTSS_MIPMAPLODBIAS] = FloatBits(0.0f);
        t[D3DTSS_MAXMIPLEVEL] = 0;
        t[D3DTSS_MAXANISOTROPY] = 1;
        t[D3DTSS_BUMPENVLSCALE] = FloatBits(0.0f);
        t[D3DTSS_BUMPENVLOFFSET] = FloatBits(0.0f);
        t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }

    s.transforms.fill(Identity());
    s.viewport = {0, 0, width, height, 0.0f, 1.0f};
    return s;
}

void DeviceState::Unbind() {
    for (auto& texture : textures) {
        texture.Reset();
    }
    for (auto& stream : streams) {
        stream.buffer.Reset();
    }
    indices.Reset();
}

void StateFlags::SetAll() {
    renderStates.set();
    for (auto& stage : stageStates) {
        stage.set();
    }
    transforms.set();
    textures.set();
    streams.set();
    material = viewport = lights = indices = vertexShader = true;
}

void StateFlags::Clear() {
    *this = StateFlags();
}

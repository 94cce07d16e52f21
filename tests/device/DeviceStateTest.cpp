// Device state: Direct3D 8's values after creation, what the Set and Get calls store, and state
// blocks recording, capturing and applying states.
#include "RecordingDeviceFixture.h"

#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr DWORD One = 0x3F800000; // 1.0f

Matrix Scaled(float s) {
    return MatrixScaling(s);
}

D3DLIGHT8 PointLight(float x) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    light.Position = {x, 2.0f, 3.0f};
    light.Range = 100.0f;
    light.Attenuation0 = 1.0f;
    return light;
}

} // namespace

TEST_F(RecordingDeviceTest, RenderStatesStartAtTheirDefaults) {
    // The numbers are the render state numbers and values of the interface, spelled out.
    struct Case {
        DWORD state;
        DWORD value;
    } cases[] = {
        {7, 1},            // ZENABLE: TRUE with the automatic depth buffer
        {8, 3},            // FILLMODE: SOLID
        {9, 2},            // SHADEMODE: GOURAUD
        {14, 1},           // ZWRITEENABLE
        {15, 0},           // ALPHATESTENABLE
        {16, 1},           // LASTPIXEL
        {19, 2},           // SRCBLEND: ONE
        {20, 1},           // DESTBLEND: ZERO
        {22, 3},           // CULLMODE: CCW
        {23, 4},           // ZFUNC: LESSEQUAL
        {24, 0},           // ALPHAREF
        {25, 8},           // ALPHAFUNC: ALWAYS
        {26, 0},           // DITHERENABLE
        {27, 0},           // ALPHABLENDENABLE
        {28, 0},           // FOGENABLE
        {29, 0},           // SPECULARENABLE
        {34, 0},           // FOGCOLOR
        {35, 0},           // FOGTABLEMODE: NONE
        {36, 0},           // FOGSTART 0.0
        {37, One},         // FOGEND 1.0
        {38, One},         // FOGDENSITY 1.0
        {52, 0},           // STENCILENABLE
        {53, 1},           // STENCILFAIL: KEEP
        {56, 8},           // STENCILFUNC: ALWAYS
        {58, 0xFFFFFFFF},  // STENCILMASK
        {59, 0xFFFFFFFF},  // STENCILWRITEMASK
        {60, 0xFFFFFFFF},  // TEXTUREFACTOR
        {128, 0},          // WRAP0
        {136, 1},          // CLIPPING
        {137, 1},          // LIGHTING
        {139, 0},          // AMBIENT
        {140, 0},          // FOGVERTEXMODE: NONE
        {141, 1},          // COLORVERTEX
        {142, 1},          // LOCALVIEWER
        {143, 0},          // NORMALIZENORMALS
        {145, 1},          // DIFFUSEMATERIALSOURCE: COLOR1
        {146, 2},          // SPECULARMATERIALSOURCE: COLOR2
        {147, 0},          // AMBIENTMATERIALSOURCE: MATERIAL
        {148, 0},          // EMISSIVEMATERIALSOURCE: MATERIAL
        {151, 0},          // VERTEXBLEND: DISABLE
        {153, 1},          // SOFTWAREVERTEXPROCESSING: the device was made with it
        {154, One},        // POINTSIZE 1.0
        {161, 1},          // MULTISAMPLEANTIALIAS
        {162, 0xFFFFFFFF}, // MULTISAMPLEMASK
        {167, 0},          // INDEXEDVERTEXBLENDENABLE
        {168, 0xF},        // COLORWRITEENABLE: all four channels
        {170, 0},          // TWEENFACTOR 0.0
        {171, 1},          // BLENDOP: ADD
    };
    for (const Case& c : cases) {
        DWORD value = 0xDEADBEEF;
        ASSERT_EQ(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(c.state), &value), D3D_OK)
            << c.state;
        EXPECT_EQ(value, c.value) << "render state " << c.state;
    }
}

TEST_F(RecordingDeviceTest, DepthTestStartsOffWithoutADepthBufferAndHardwareProcessing) {
    D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
    pp.EnableAutoDepthStencil = FALSE;
    device.Reset();
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &pp, device.ReleaseAndGetAddressOf()),
              D3D_OK);
    DWORD zenable = 1;
    DWORD software = 1;
    device->GetRenderState(D3DRS_ZENABLE, &zenable);
    device->GetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, &software);
    EXPECT_EQ(zenable, 0u);
    EXPECT_EQ(software, 0u);
    // Without a depth buffer there is nothing to clear.
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, TextureStageStatesStartAtTheirDefaults) {
    for (DWORD stage = 0; stage < 8; ++stage) {
        SCOPED_TRACE(stage);
        struct Case {
            DWORD type;
            DWORD value;
        } cases[] = {
            {1, stage == 0 ? 4u : 1u}, // COLOROP: MODULATE on stage 0, else DISABLE
            {2, 2},                    // COLORARG1: TEXTURE
            {3, 1},                    // COLORARG2: CURRENT
            {4, stage == 0 ? 2u : 1u}, // ALPHAOP: SELECTARG1 on stage 0, else DISABLE
            {5, 2},                    // ALPHAARG1: TEXTURE
            {6, 1},                    // ALPHAARG2: CURRENT
            {11, stage},               // TEXCOORDINDEX: the stage's own set
            {13, 1},                   // ADDRESSU: WRAP
            {14, 1},                   // ADDRESSV: WRAP
            {15, 0},                   // BORDERCOLOR
            {16, 1},                   // MAGFILTER: POINT
            {17, 1},                   // MINFILTER: POINT
            {18, 0},                   // MIPFILTER: NONE
            {20, 0},                   // MAXMIPLEVEL
            {21, 1},                   // MAXANISOTROPY
            {24, 0},                   // TEXTURETRANSFORMFLAGS: DISABLE
            {25, 1},                   // ADDRESSW: WRAP
        };
        for (const Case& c : cases) {
            DWORD value = 0xDEADBEEF;
            ASSERT_EQ(device->GetTextureStageState(
                          stage, static_cast<D3DTEXTURESTAGESTATETYPE>(c.type), &value),
                      D3D_OK);
            EXPECT_EQ(value, c.value) << "stage state " << c.type;
        }
        IDirect3DBaseTexture8* texture = reinterpret_cast<IDirect3DBaseTexture8*>(1);
        ASSERT_EQ(device->GetTexture(stage, &texture), D3D_OK);
        EXPECT_EQ(texture, nullptr);
    }
}

TEST_F(RecordingDeviceTest, EveryTransformStartsAsIdentity) {
    Matrix identity{};
    for (int i = 0; i < 4; ++i) {
        identity.m[i][i] = 1.0f;
    }
    std::vector<D3DTRANSFORMSTATETYPE> states = {D3DTS_VIEW, D3DTS_PROJECTION};
    for (UINT i = 0; i < 8; ++i) {
        states.push_back(static_cast<D3DTRANSFORMSTATETYPE>(16 + i));
    }
    for (UINT i = 0; i < 256; ++i) {
        states.push_back(static_cast<D3DTRANSFORMSTATETYPE>(256 + i));
    }
    for (D3DTRANSFORMSTATETYPE state : states) {
        Matrix m = Scaled(7.0f);
        ASSERT_EQ(device->GetTransform(state, &m), D3D_OK) << state;
        EXPECT_EQ(m, identity) << "transform " << state;
    }
}

TEST_F(RecordingDeviceTest, ViewportAndMaterialStartAtTheirDefaults) {
    D3DVIEWPORT8 viewport{};
    ASSERT_EQ(device->GetViewport(&viewport), D3D_OK);
    EXPECT_EQ(viewport, (D3DVIEWPORT8{0, 0, 800, 600, 0.0f, 1.0f}));
    D3DMATERIAL8 material;
    std::memset(&material, 0x7F, sizeof material);
    ASSERT_EQ(device->GetMaterial(&material), D3D_OK);
    EXPECT_EQ(material, D3DMATERIAL8{});
    DWORD shader = 1;
    ASSERT_EQ(device->GetVertexShader(&shader), D3D_OK);
    EXPECT_EQ(shader, 0u);
}

TEST_F(RecordingDeviceTest, TransformsAreStoredPerSlot) {
    const struct Case {
        D3DTRANSFORMSTATETYPE state;
        float scale;
    } cases[] = {
        {D3DTS_VIEW, 2.0f},
        {D3DTS_PROJECTION, 3.0f},
        {D3DTS_TEXTURE0, 4.0f},
        {D3DTS_TEXTURE7, 5.0f},
        {D3DTS_WORLD, 6.0f},
        {D3DTS_WORLDMATRIX(1), 7.0f},
        {D3DTS_WORLDMATRIX(255), 8.0f},
    };
    for (const Case& c : cases) {
        const Matrix m = Scaled(c.scale);
        ASSERT_EQ(device->SetTransform(c.state, &m), D3D_OK);
    }
    for (const Case& c : cases) {
        Matrix m{};
        ASSERT_EQ(device->GetTransform(c.state, &m), D3D_OK);
        EXPECT_EQ(m, Scaled(c.scale)) << c.state;
    }
    Matrix untouched{};
    device->GetTransform(D3DTS_WORLDMATRIX(2), &untouched);
    EXPECT_EQ(untouched, MatrixIdentity());
}

TEST_F(RecordingDeviceTest, MultiplyTransformPutsTheGivenMatrixFirst) {
    const Matrix current = MatrixTranslation(1.0f, 2.0f, 3.0f);
    const Matrix given = MatrixScaling(2.0f);
    device->SetTransform(D3DTS_WORLD, &current);
    ASSERT_EQ(device->MultiplyTransform(D3DTS_WORLD, &given), D3D_OK);
    Matrix result{};
    device->GetTransform(D3DTS_WORLD, &result);
    // given · current with row vectors: scale by 2, then move by (1, 2, 3).
    Matrix expected = MatrixScaling(2.0f);
    expected.m[3][0] = 1.0f;
    expected.m[3][1] = 2.0f;
    expected.m[3][2] = 3.0f;
    EXPECT_EQ(result, expected);
}

TEST_F(RecordingDeviceTest, LightEnableOfAnUnsetLightMakesTheDefaultLight) {
    ASSERT_EQ(device->LightEnable(5, TRUE), D3D_OK);
    D3DLIGHT8 light{};
    ASSERT_EQ(device->GetLight(5, &light), D3D_OK);
    EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(light.Diffuse, (D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f}));
    EXPECT_EQ(light.Direction, (D3DVECTOR{0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(light.Specular, (D3DCOLORVALUE{}));
    BOOL enabled = FALSE;
    ASSERT_EQ(device->GetLightEnable(5, &enabled), D3D_OK);
    EXPECT_EQ(enabled, TRUE);
}

TEST_F(RecordingDeviceTest, SetLightKeepsTheEnableFlag) {
    device->LightEnable(0, TRUE);
    const D3DLIGHT8 point = PointLight(1.0f);
    ASSERT_EQ(device->SetLight(0, &point), D3D_OK);
    ASSERT_EQ(device->SetLight(70000, &point), D3D_OK);
    BOOL enabled = FALSE;
    device->GetLightEnable(0, &enabled);
    EXPECT_EQ(enabled, TRUE);
    device->GetLightEnable(70000, &enabled);
    EXPECT_EQ(enabled, FALSE);
    D3DLIGHT8 light{};
    device->GetLight(70000, &light);
    EXPECT_EQ(light, point);
}

TEST_F(RecordingDeviceTest, StateBlockRecordsWithoutChangingTheDevice) {
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    const Matrix view = Scaled(3.0f);
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    EXPECT_EQ(device->BeginStateBlock(), D3DERR_INVALIDCALL);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    device->SetTexture(0, texture.Get());
    device->SetTransform(D3DTS_VIEW, &view);
    DWORD token = 0;
    ASSERT_EQ(device->EndStateBlock(&token), D3D_OK);
    EXPECT_NE(token, 0u);

    // Recording left the device as it was.
    DWORD cull = 0;
    DWORD op = 0;
    Matrix current{};
    IDirect3DBaseTexture8* bound = nullptr;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    device->GetTextureStageState(1, D3DTSS_COLOROP, &op);
    device->GetTransform(D3DTS_VIEW, &current);
    device->GetTexture(0, &bound);
    EXPECT_EQ(cull, 3u);
    EXPECT_EQ(op, 1u);
    EXPECT_EQ(current, MatrixIdentity());
    EXPECT_EQ(bound, nullptr);

    ASSERT_EQ(device->ApplyStateBlock(token), D3D_OK);
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    device->GetTextureStageState(1, D3DTSS_COLOROP, &op);
    device->GetTransform(D3DTS_VIEW, &current);
    device->GetTexture(0, &bound);
    EXPECT_EQ(cull, 1u);
    EXPECT_EQ(op, 7u);
    EXPECT_EQ(current, view);
    EXPECT_EQ(bound, texture.Get());
    if (bound != nullptr) {
        bound->Release();
    }
}

TEST_F(RecordingDeviceTest, CapturedBlockRestoresOnlyTheStatesItHolds) {
    // The save-and-restore pattern of a sprite: record which states will change, capture the
    // caller's values, change them, then apply the block.
    DWORD token = 0;
    device->BeginStateBlock();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->LightEnable(2, TRUE);
    device->EndStateBlock(&token);

    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTALPHA);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_MIRROR);
    const D3DLIGHT8 point = PointLight(4.0f);
    device->SetLight(2, &point);
    ASSERT_EQ(device->CaptureStateBlock(token), D3D_OK);

    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->LightEnable(2, TRUE);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    ASSERT_EQ(device->ApplyStateBlock(token), D3D_OK);

    DWORD value = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, 0u);
    device->GetRenderState(D3DRS_SRCBLEND, &value);
    EXPECT_EQ(value, 7u);
    device->GetTextureStageState(0, D3DTSS_ADDRESSU, &value);
    EXPECT_EQ(value, 2u);
    BOOL enabled = TRUE;
    device->GetLightEnable(2, &enabled);
    EXPECT_EQ(enabled, FALSE);
    // Not in the block: kept.
    device->GetRenderState(D3DRS_FOGENABLE, &value);
    EXPECT_EQ(value, 1u);
    D3DLIGHT8 light{};
    device->GetLight(2, &light);
    EXPECT_EQ(light, point);
}

TEST_F(RecordingDeviceTest, StateBlockCallsAreRefusedWhileRecording) {
    DWORD first = 0;
    device->BeginStateBlock();
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->EndStateBlock(&first);
    device->BeginStateBlock();
    EXPECT_EQ(device->ApplyStateBlock(first), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CaptureStateBlock(first), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DeleteStateBlock(first), D3DERR_INVALIDCALL);
    DWORD second = 0;
    EXPECT_EQ(device->EndStateBlock(&second), D3D_OK);
    EXPECT_NE(first, second);
}

TEST_F(RecordingDeviceTest, DeletedStateBlockIsGoneAndReleasesItsTexture) {
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    DWORD token = 0;
    device->BeginStateBlock();
    device->SetTexture(3, texture.Get());
    device->EndStateBlock(&token);
    // The fixture's holder and the block.
    texture->AddRef();
    EXPECT_EQ(texture->Release(), 2u);
    ASSERT_EQ(device->DeleteStateBlock(token), D3D_OK);
    texture->AddRef();
    EXPECT_EQ(texture->Release(), 1u);
    EXPECT_EQ(device->ApplyStateBlock(token), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DeleteStateBlock(token), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, StateBlockRestoresStreamsIndicesAndVertexShader) {
    DevicePtr<IDirect3DVertexBuffer8> vb;
    DevicePtr<IDirect3DIndexBuffer8> ib;
    ASSERT_EQ(device->CreateVertexBuffer(96, 0, 0, D3DPOOL_MANAGED, vb.ReleaseAndGetAddressOf()),
              D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                        ib.ReleaseAndGetAddressOf()),
              D3D_OK);
    DWORD token = 0;
    device->BeginStateBlock();
    device->SetStreamSource(1, vb.Get(), 24);
    device->SetIndices(ib.Get(), 7);
    device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
    device->EndStateBlock(&token);
    device->ApplyStateBlock(token);

    IDirect3DVertexBuffer8* stream = nullptr;
    UINT stride = 0;
    ASSERT_EQ(device->GetStreamSource(1, &stream, &stride), D3D_OK);
    EXPECT_EQ(stream, vb.Get());
    EXPECT_EQ(stride, 24u);
    IDirect3DIndexBuffer8* indices = nullptr;
    UINT base = 0;
    ASSERT_EQ(device->GetIndices(&indices, &base), D3D_OK);
    EXPECT_EQ(indices, ib.Get());
    EXPECT_EQ(base, 7u);
    DWORD shader = 0;
    device->GetVertexShader(&shader);
    EXPECT_EQ(shader, 0x12u);
    stream->Release();
    indices->Release();
}

TEST_F(RecordingDeviceTest, DrawFromUserMemoryUnbindsStreamZero) {
    DevicePtr<IDirect3DVertexBuffer8> vb;
    ASSERT_EQ(
        device->CreateVertexBuffer(36, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, vb.ReleaseAndGetAddressOf()),
        D3D_OK);
    device->SetStreamSource(0, vb.Get(), 12);
    device->SetVertexShader(D3DFVF_XYZ);
    const float triangle[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    device->BeginScene();
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 12), D3D_OK);
    device->EndScene();
    IDirect3DVertexBuffer8* stream = vb.Get();
    UINT stride = 99;
    ASSERT_EQ(device->GetStreamSource(0, &stream, &stride), D3D_OK);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(stride, 0u);
}

TEST_F(RecordingDeviceTest, SystemMemoryTexturesCannotBeBound) {
    DevicePtr<IDirect3DTexture8> system = MakeTexture(4, 4, 1, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(device->SetTexture(0, system.Get()), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, ObjectsOfAnotherDeviceAreRefused) {
    DevicePtr<IDirect3DDevice8> other;
    D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &pp, other.ReleaseAndGetAddressOf()),
              D3D_OK);
    DevicePtr<IDirect3DTexture8> foreign;
    ASSERT_EQ(other->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   foreign.ReleaseAndGetAddressOf()),
              D3D_OK);
    DevicePtr<IDirect3DVertexBuffer8> foreignBuffer;
    ASSERT_EQ(other->CreateVertexBuffer(12, 0, 0, D3DPOOL_MANAGED,
                                        foreignBuffer.ReleaseAndGetAddressOf()),
              D3D_OK);
    EXPECT_EQ(device->SetTexture(0, foreign.Get()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(0, foreignBuffer.Get(), 12), D3DERR_INVALIDCALL);
}

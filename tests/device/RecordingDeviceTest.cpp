// The call-recording device logs every call with its arguments in order and refuses the same
// invalid calls as the device core.
#include "RecordingDeviceFixture.h"

#include <bit>
#include <cstring>
#include <functional>
#include <vector>

namespace {

Matrix TestMatrix(float base) {
    Matrix m;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            m.m[r][c] = base + static_cast<float>(r * 4 + c);
        }
    }
    return m;
}

struct ScreenVertex {
    float x, y, z, rhw;
    DWORD color;
    float u, v;
};

} // namespace

TEST_F(RecordingDeviceTest, StartupSequenceIsRecordedInOrderWithItsArguments) {
    recorder->ClearCalls();
    const Matrix projection = TestMatrix(1.0f);
    const Matrix view = TestMatrix(-3.0f);

    device->ShowCursor(FALSE);
    device->SetCursorPosition(400, 300, D3DCURSOR_IMMEDIATE_UPDATE);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetTextureStageState(0, D3DTSS_MAXANISOTROPY, 4);
    device->SetTransform(D3DTS_VIEW, &view);

    // Numeric values written out as the interface defines them, not through the names.
    const std::vector<RecordedCall> expected = {
        {device.Get(), "ShowCursor", {0}, 0},
        {device.Get(), "SetCursorPosition", {400u, 300u, 1u}, 0},
        {device.Get(), "SetTransform", {3u, projection}, 0},
        {device.Get(), "SetRenderState", {22u, 1u}, 0},
        {device.Get(), "SetRenderState", {137u, 1u}, 0},
        {device.Get(), "SetTextureStageState", {0u, 21u, 4u}, 0},
        {device.Get(), "SetTransform", {2u, view}, 0},
    };
    const std::vector<RecordedCall>& calls = recorder->Calls();
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(calls[i].ToString());
        EXPECT_EQ(calls[i].object, static_cast<const void*>(expected[i].object));
        EXPECT_EQ(calls[i].method, expected[i].method);
        EXPECT_EQ(calls[i].args, expected[i].args);
        EXPECT_EQ(calls[i].result, expected[i].result);
    }
}

TEST_F(RecordingDeviceTest, RefusedCallIsRecordedWithItsFailure) {
    recorder->ClearCalls();
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(1000), 5), D3DERR_INVALIDCALL);
    ASSERT_EQ(recorder->Calls().size(), 1u);
    const RecordedCall& call = recorder->Calls()[0];
    EXPECT_EQ(call.method, "SetRenderState");
    EXPECT_EQ(call.args, (RecordedArgs{1000u, 5u}));
    EXPECT_EQ(call.result, static_cast<HRESULT>(0x8876086C));
    EXPECT_EQ(call.ToString(), "SetRenderState(1000, 5) -> 0x8876086C");
}

TEST_F(RecordingDeviceTest, OutArgumentsRecordTheValueReturned) {
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    recorder->ClearCalls();
    DWORD value = 0;
    device->GetRenderState(D3DRS_ZFUNC, &value);
    D3DVIEWPORT8 viewport{};
    device->GetViewport(&viewport);
    ASSERT_EQ(recorder->Calls().size(), 2u);
    EXPECT_EQ(recorder->Calls()[0].args, (RecordedArgs{23u, 5u}));
    EXPECT_EQ(recorder->Calls()[1].args, (RecordedArgs{D3DVIEWPORT8{0, 0, 800, 600, 0.0f, 1.0f}}));
}

TEST_F(RecordingDeviceTest, ResourceCallsAreRecordedAgainstTheResource) {
    DevicePtr<IDirect3DVertexBuffer8> buffer;
    ASSERT_EQ(device->CreateVertexBuffer(48, D3DUSAGE_SOFTWAREPROCESSING, D3DFVF_XYZ,
                                         D3DPOOL_DEFAULT, buffer.ReleaseAndGetAddressOf()),
              D3D_OK);
    BYTE* bytes = nullptr;
    buffer->Lock(0, 0, &bytes, 0);
    buffer->Unlock();
    device->SetStreamSource(0, buffer.Get(), 12);

    const std::vector<RecordedCall>& calls = recorder->Calls();
    ASSERT_GE(calls.size(), 4u);
    const std::size_t n = calls.size();
    EXPECT_EQ(calls[n - 4].method, "CreateVertexBuffer");
    EXPECT_EQ(calls[n - 4].args,
              (RecordedArgs{48u, 0x10u, 0x2u, 0u, static_cast<const void*>(buffer.Get())}));
    EXPECT_EQ(calls[n - 3].method, "IDirect3DVertexBuffer8::Lock");
    EXPECT_EQ(calls[n - 3].object, static_cast<const void*>(buffer.Get()));
    EXPECT_EQ(calls[n - 3].args[0], RecordedArg(0u));
    EXPECT_EQ(calls[n - 3].args[1], RecordedArg(0u));
    EXPECT_EQ(calls[n - 2].method, "IDirect3DVertexBuffer8::Unlock");
    EXPECT_EQ(calls[n - 2].object, static_cast<const void*>(buffer.Get()));
    EXPECT_EQ(calls[n - 1].method, "SetStreamSource");
    EXPECT_EQ(calls[n - 1].args, (RecordedArgs{0u, static_cast<const void*>(buffer.Get()), 12u}));
}

TEST_F(RecordingDeviceTest, TextureLevelSurfaceCallsAreRecorded) {
    DevicePtr<IDirect3DTexture8> texture = MakeTexture(8, 8, 2, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    DevicePtr<IDirect3DSurface8> surface;
    ASSERT_EQ(texture->GetSurfaceLevel(1, surface.ReleaseAndGetAddressOf()), D3D_OK);
    recorder->ClearCalls();
    D3DLOCKED_RECT locked{};
    const RECT rect{1, 1, 3, 2};
    surface->LockRect(&locked, &rect, D3DLOCK_READONLY);
    surface->UnlockRect();
    ASSERT_EQ(recorder->Calls().size(), 2u);
    EXPECT_EQ(recorder->Calls()[0].method, "IDirect3DSurface8::LockRect");
    EXPECT_EQ(recorder->Calls()[0].object, static_cast<const void*>(surface.Get()));
    EXPECT_EQ(recorder->Calls()[0].args[1], RecordedArg(rect));
    EXPECT_EQ(recorder->Calls()[0].args[2], RecordedArg(0x10u));
    EXPECT_EQ(recorder->Calls()[1].method, "IDirect3DSurface8::UnlockRect");
}

TEST_F(RecordingDeviceTest, DrawFromUserMemoryRecordsTheVertexBytes) {
    const ScreenVertex quad[4] = {
        {-0.5f, -0.5f, 0.0f, 1.0f, 0xFF102030, 0.0f, 0.0f},
        {63.5f, -0.5f, 0.0f, 1.0f, 0xFF102030, 1.0f, 0.0f},
        {63.5f, 31.5f, 0.0f, 1.0f, 0xFF102030, 1.0f, 1.0f},
        {-0.5f, 31.5f, 0.0f, 1.0f, 0xFF102030, 0.0f, 1.0f},
    };
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->BeginScene();
    recorder->ClearCalls();
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex)), D3D_OK);
    device->EndScene();

    const RecordedCall& call = recorder->Calls().at(0);
    EXPECT_EQ(call.method, "DrawPrimitiveUP");
    ASSERT_EQ(call.args.size(), 4u);
    EXPECT_EQ(call.args[0], RecordedArg(6u));
    EXPECT_EQ(call.args[1], RecordedArg(2u));
    EXPECT_EQ(call.args[3], RecordedArg(28u));
    // A fan of two triangles uses four vertices of 28 bytes.
    const auto& bytes = call.args[2].As<std::vector<BYTE>>();
    ASSERT_EQ(bytes.size(), 4u * 28u);
    EXPECT_EQ(std::memcmp(bytes.data(), quad, bytes.size()), 0);
}

TEST_F(RecordingDeviceTest, DeclarationTokensAreRecordedUpToTheEnd) {
    // Two streams: position, normal and texture coordinates, then the second position and
    // normal of a tween, as the raw 32-bit tokens.
    const DWORD tokens[] = {0x20000000, 0x40020000, 0x40020003, 0x40010007,
                            0x20000001, 0x4002000F, 0x40020010, 0xFFFFFFFF};
    recorder->ClearCalls();
    DWORD handle = 0;
    ASSERT_EQ(device->CreateVertexShader(tokens, nullptr, &handle, 0), D3D_OK);
    const RecordedCall& call = recorder->Calls().at(0);
    EXPECT_EQ(call.method, "CreateVertexShader");
    EXPECT_EQ(call.args[0], RecordedArg(std::vector<DWORD>(std::begin(tokens), std::end(tokens))));
    EXPECT_EQ(call.args[1], RecordedArg(nullptr));
    EXPECT_EQ(call.args[2], RecordedArg(handle));
}

TEST_F(RecordingDeviceTest, FloatStatesKeepTheirBitPatterns) {
    recorder->ClearCalls();
    device->SetRenderState(D3DRS_FOGSTART, std::bit_cast<DWORD>(5.0f));
    device->SetRenderState(D3DRS_FOGEND, std::bit_cast<DWORD>(5000.0f));
    ASSERT_EQ(recorder->Calls().size(), 2u);
    // 5.0f = 0x40A00000, 5000.0f = 0x459C4000.
    EXPECT_EQ(recorder->Calls()[0].args, (RecordedArgs{36u, 0x40A00000u}));
    EXPECT_EQ(recorder->Calls()[1].args, (RecordedArgs{37u, 0x459C4000u}));
}

// Each call is invalid on a fresh device: it must fail with D3DERR_INVALIDCALL, be recorded
// with that result and leave the device usable.
TEST_F(RecordingDeviceTest, InvalidCallsFailWithInvalidCall) {
    struct Case {
        const char* name;
        std::function<HRESULT(IDirect3DDevice8*)> call;
    };
    const Matrix m = MatrixIdentity();
    const std::vector<DWORD> noEnd(2000, D3DVSD_NOP());
    const Case cases[] = {
        {"render state 0", [](auto* d) { return d->SetRenderState(D3DRENDERSTATETYPE(0), 1); }},
        {"render state 11", [](auto* d) { return d->SetRenderState(D3DRENDERSTATETYPE(11), 1); }},
        {"render state 174", [](auto* d) { return d->SetRenderState(D3DRENDERSTATETYPE(174), 1); }},
        {"render state 4096",
         [](auto* d) { return d->SetRenderState(D3DRENDERSTATETYPE(4096), 1); }},
        {"get render state null",
         [](auto* d) { return d->GetRenderState(D3DRS_ZENABLE, nullptr); }},
        {"get unknown render state",
         [](auto* d) {
             DWORD v;
             return d->GetRenderState(D3DRENDERSTATETYPE(2), &v);
         }},
        {"stage 8", [](auto* d) { return d->SetTextureStageState(8, D3DTSS_COLOROP, 1); }},
        {"stage state 0",
         [](auto* d) { return d->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(0), 1); }},
        {"stage state 12",
         [](auto* d) { return d->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(12), 1); }},
        {"stage state 29",
         [](auto* d) { return d->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(29), 1); }},
        {"get stage state null",
         [](auto* d) { return d->GetTextureStageState(0, D3DTSS_COLOROP, nullptr); }},
        {"transform null", [](auto* d) { return d->SetTransform(D3DTS_VIEW, nullptr); }},
        {"transform 0", [&](auto* d) { return d->SetTransform(D3DTRANSFORMSTATETYPE(0), &m); }},
        {"transform 24", [&](auto* d) { return d->SetTransform(D3DTRANSFORMSTATETYPE(24), &m); }},
        {"world matrix 256", [&](auto* d) { return d->SetTransform(D3DTS_WORLDMATRIX(256), &m); }},
        {"get transform null", [](auto* d) { return d->GetTransform(D3DTS_WORLD, nullptr); }},
        {"multiply transform 1",
         [&](auto* d) { return d->MultiplyTransform(D3DTRANSFORMSTATETYPE(1), &m); }},
        {"texture stage 8", [](auto* d) { return d->SetTexture(8, nullptr); }},
        {"get texture null", [](auto* d) { return d->GetTexture(0, nullptr); }},
        {"stream 2", [](auto* d) { return d->SetStreamSource(2, nullptr, 12); }},
        {"stride 4096", [](auto* d) { return d->SetStreamSource(0, nullptr, 4096); }},
        {"viewport null", [](auto* d) { return d->SetViewport(nullptr); }},
        {"viewport zero width",
         [](auto* d) {
             const D3DVIEWPORT8 v{0, 0, 0, 10, 0.0f, 1.0f};
             return d->SetViewport(&v);
         }},
        {"viewport past right edge",
         [](auto* d) {
             const D3DVIEWPORT8 v{700, 0, 101, 10, 0.0f, 1.0f};
             return d->SetViewport(&v);
         }},
        {"viewport depth 1.5",
         [](auto* d) {
             const D3DVIEWPORT8 v{0, 0, 10, 10, 0.0f, 1.5f};
             return d->SetViewport(&v);
         }},
        {"material null", [](auto* d) { return d->SetMaterial(nullptr); }},
        {"get material null", [](auto* d) { return d->GetMaterial(nullptr); }},
        {"light null", [](auto* d) { return d->SetLight(0, nullptr); }},
        {"light type 0",
         [](auto* d) {
             D3DLIGHT8 l{};
             return d->SetLight(0, &l);
         }},
        {"point light negative range",
         [](auto* d) {
             D3DLIGHT8 l{};
             l.Type = D3DLIGHT_POINT;
             l.Range = -1.0f;
             return d->SetLight(0, &l);
         }},
        {"get light never set",
         [](auto* d) {
             D3DLIGHT8 l;
             return d->GetLight(3, &l);
         }},
        {"get light enable never set",
         [](auto* d) {
             BOOL b;
             return d->GetLightEnable(3, &b);
         }},
        {"end scene without begin", [](auto* d) { return d->EndScene(); }},
        {"clear no flags", [](auto* d) { return d->Clear(0, nullptr, 0, 0, 1.0f, 0); }},
        {"clear stencil",
         [](auto* d) { return d->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0); }},
        {"clear count without rects",
         [](auto* d) { return d->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); }},
        {"clear depth 2",
         [](auto* d) { return d->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 2.0f, 0); }},
        {"create texture null out",
         [](auto* d) {
             return d->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr);
         }},
        {"create texture width 0",
         [](auto* d) {
             IDirect3DTexture8* t = nullptr;
             return d->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
         }},
        {"create texture palette format",
         [](auto* d) {
             IDirect3DTexture8* t = nullptr;
             return d->CreateTexture(4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &t);
         }},
        {"create texture too many levels",
         [](auto* d) {
             IDirect3DTexture8* t = nullptr;
             return d->CreateTexture(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t);
         }},
        {"create DXT1 texture 6x6",
         [](auto* d) {
             IDirect3DTexture8* t = nullptr;
             return d->CreateTexture(6, 6, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &t);
         }},
        {"create render target texture",
         [](auto* d) {
             IDirect3DTexture8* t = nullptr;
             return d->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &t);
         }},
        {"create dynamic managed texture",
         [](auto* d) {
             IDirect3DTexture8* t = nullptr;
             return d->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     &t);
         }},
        {"create vertex buffer length 0",
         [](auto* d) {
             IDirect3DVertexBuffer8* b = nullptr;
             return d->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, &b);
         }},
        {"create vertex buffer shorter than one vertex",
         [](auto* d) {
             IDirect3DVertexBuffer8* b = nullptr;
             return d->CreateVertexBuffer(20, 0, D3DFVF_XYZ | D3DFVF_NORMAL, D3DPOOL_DEFAULT, &b);
         }},
        {"create index buffer colour format",
         [](auto* d) {
             IDirect3DIndexBuffer8* b = nullptr;
             return d->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &b);
         }},
        {"create image surface depth format",
         [](auto* d) {
             IDirect3DSurface8* s = nullptr;
             return d->CreateImageSurface(4, 4, D3DFMT_D16, &s);
         }},
        {"vertex shader with a function",
         [](auto* d) {
             const DWORD decl[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
                                   D3DVSD_END()};
             const DWORD function[] = {0xFFFE0101, 0x0000FFFF};
             DWORD h = 0;
             return d->CreateVertexShader(decl, function, &h, 0);
         }},
        {"vertex shader null declaration",
         [](auto* d) {
             DWORD h = 0;
             return d->CreateVertexShader(nullptr, nullptr, &h, 0);
         }},
        {"vertex shader without end",
         [&](auto* d) {
             DWORD h = 0;
             return d->CreateVertexShader(noEnd.data(), nullptr, &h, 0);
         }},
        {"vertex shader without position",
         [](auto* d) {
             const DWORD decl[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_NORMAL, D3DVSDT_FLOAT3),
                                   D3DVSD_END()};
             DWORD h = 0;
             return d->CreateVertexShader(decl, nullptr, &h, 0);
         }},
        {"set unknown declaration handle", [](auto* d) { return d->SetVertexShader(0x101); }},
        {"set FVF with reserved bit",
         [](auto* d) { return d->SetVertexShader(D3DFVF_XYZ | 0x8000); }},
        {"delete unknown declaration", [](auto* d) { return d->DeleteVertexShader(0x101); }},
        {"end state block without begin",
         [](auto* d) {
             DWORD token = 0;
             return d->EndStateBlock(&token);
         }},
        {"apply unknown state block", [](auto* d) { return d->ApplyStateBlock(12345); }},
        {"capture unknown state block", [](auto* d) { return d->CaptureStateBlock(12345); }},
        {"delete unknown state block", [](auto* d) { return d->DeleteStateBlock(12345); }},
        {"draw outside a scene",
         [](auto* d) {
             const float v[9] = {};
             d->SetVertexShader(D3DFVF_XYZ);
             return d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 12);
         }},
        {"present with a source rectangle",
         [](auto* d) {
             const RECT r{0, 0, 10, 10};
             return d->Present(&r, nullptr, nullptr, nullptr);
         }},
        {"front buffer null", [](auto* d) { return d->GetFrontBuffer(nullptr); }},
        {"caps null", [](auto* d) { return d->GetDeviceCaps(nullptr); }},
        {"creation parameters null", [](auto* d) { return d->GetCreationParameters(nullptr); }},
        {"stream source out null",
         [](auto* d) {
             UINT stride;
             return d->GetStreamSource(0, nullptr, &stride);
         }},
        {"indices out null", [](auto* d) { return d->GetIndices(nullptr, nullptr); }},
        {"update texture nulls", [](auto* d) { return d->UpdateTexture(nullptr, nullptr); }},
        {"copy rects nulls",
         [](auto* d) { return d->CopyRects(nullptr, nullptr, 0, nullptr, nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorder->ClearCalls();
        EXPECT_EQ(c.call(device.Get()), D3DERR_INVALIDCALL);
        ASSERT_FALSE(recorder->Calls().empty());
        EXPECT_EQ(recorder->Calls().back().result, D3DERR_INVALIDCALL);
    }
    // The device still works after all of them.
    DWORD cull = 0;
    EXPECT_EQ(device->GetRenderState(D3DRS_CULLMODE, &cull), D3D_OK);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
}

TEST_F(RecordingDeviceTest, UnbalancedScenesFail) {
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
}

TEST_F(RecordingDeviceTest, PresentIsCountedAndFrontBufferIsOpaqueBlack) {
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(recorder->PresentCount(), 1u);
    DevicePtr<IDirect3DSurface8> front = MakeImageSurface(800, 600, D3DFMT_A8R8G8B8);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(front->LockRect(&locked, nullptr, 0), D3D_OK);
    std::memset(locked.pBits, 0x5A, static_cast<std::size_t>(locked.Pitch) * 600);
    ASSERT_EQ(front->UnlockRect(), D3D_OK);

    ASSERT_EQ(device->GetFrontBuffer(front.Get()), D3D_OK);
    ASSERT_EQ(front->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{799, 0}, std::pair{400, 300},
                               std::pair{0, 599}, std::pair{799, 599}}) {
        DWORD pixel = 0;
        std::memcpy(&pixel, static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
        EXPECT_EQ(pixel, 0xFF000000u) << x << "," << y;
    }
    front->UnlockRect();
}

TEST_F(RecordingDeviceTest, FrontBufferNeedsABackBufferSizedColourSurface) {
    DevicePtr<IDirect3DSurface8> small = MakeImageSurface(640, 480, D3DFMT_A8R8G8B8);
    DevicePtr<IDirect3DSurface8> wrongFormat = MakeImageSurface(800, 600, D3DFMT_X8R8G8B8);
    EXPECT_EQ(device->GetFrontBuffer(small.Get()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetFrontBuffer(wrongFormat.Get()), D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, CursorCallsReportThePreviousVisibility) {
    // The device cursor starts hidden.
    EXPECT_EQ(device->ShowCursor(TRUE), FALSE);
    EXPECT_EQ(device->ShowCursor(FALSE), TRUE);
    EXPECT_EQ(device->ShowCursor(FALSE), FALSE);
}

TEST_F(RecordingDeviceTest, CreationParametersAreThoseGiven) {
    D3DDEVICE_CREATION_PARAMETERS params{};
    ASSERT_EQ(device->GetCreationParameters(&params), D3D_OK);
    EXPECT_EQ(params.AdapterOrdinal, 0u);
    EXPECT_EQ(params.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(params.hFocusWindow, nullptr);
    EXPECT_EQ(params.BehaviorFlags, 0x20u);
}

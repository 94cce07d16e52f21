// The device core seen from a backend: what reaches the clearing and drawing hooks after the
// core's checks, and the checks of device creation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "RecordingDeviceFixture.h"
#include "device/BaseDevice.h"
#include "device/BaseDirect3D.h"
#include "device/MemoryBuffer.h"

namespace {

// A backend that keeps what the core hands to its hooks.
class HookDevice : public BaseDevice {
public:
    using BaseDevice::BaseDevice;

    std::vector<std::vector<RECT>> clears;
    std::vector<DrawCall> draws;
    int presents = 0;

protected:
    HRESULT ClearRects(const RECT* rects, UINT count, DWORD, D3DCOLOR, float) override {
        clears.emplace_back(rects, rects + count);
        return D3D_OK;
    }
    HRESULT Draw(const DrawCall& call) override {
        draws.push_back(call);
        return D3D_OK;
    }
    HRESULT PresentBackBuffer() override {
        ++presents;
        return D3D_OK;
    }
    HRESULT ReadFrontBuffer(MemorySurface&) override { return D3D_OK; }
};

class HookDirect3D : public BaseDirect3D {
public:
    HookDirect3D() : BaseDirect3D(DeviceOptions{}) {}

protected:
    HRESULT MakeDevice(const DeviceCreation& creation, IDirect3DDevice8** device) override {
        *device = new HookDevice(creation);
        return D3D_OK;
    }
};

class CoreDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        d3d.Reset(new HookDirect3D());
        D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                    &pp, device.ReleaseAndGetAddressOf()),
                  D3D_OK);
        hooks = static_cast<HookDevice*>(device.Get());
    }

    // A vertex buffer of count XYZ vertices and an index buffer with the given indices.
    void MakeGeometry(UINT vertexCount, const std::vector<WORD>& indices) {
        ASSERT_EQ(device->CreateVertexBuffer(vertexCount * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED,
                                             vb.ReleaseAndGetAddressOf()),
                  D3D_OK);
        ASSERT_EQ(device->CreateIndexBuffer(static_cast<UINT>(indices.size() * 2), 0,
                                            D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            ib.ReleaseAndGetAddressOf()),
                  D3D_OK);
        BYTE* bytes = nullptr;
        ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), D3D_OK);
        std::memcpy(bytes, indices.data(), indices.size() * 2);
        ib->Unlock();
        device->SetStreamSource(0, vb.Get(), 12);
        device->SetVertexShader(D3DFVF_XYZ);
    }

    DevicePtr<IDirect3D8> d3d;
    DevicePtr<IDirect3DDevice8> device;
    HookDevice* hooks = nullptr;
    DevicePtr<IDirect3DVertexBuffer8> vb;
    DevicePtr<IDirect3DIndexBuffer8> ib;
};

} // namespace

TEST_F(CoreDeviceTest, ClearIsLimitedToTheViewport) {
    const D3DVIEWPORT8 viewport{100, 50, 200, 100, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    const D3DRECT rects[3] = {{0, 0, 150, 80}, {400, 400, 500, 500}, {250, 120, 900, 700}};
    ASSERT_EQ(device->Clear(3, rects, D3DCLEAR_TARGET, 0, 0.0f, 0), D3D_OK);
    // Wholly outside the viewport: nothing reaches the backend.
    ASSERT_EQ(device->Clear(1, &rects[1], D3DCLEAR_TARGET, 0, 0.0f, 0), D3D_OK);

    ASSERT_EQ(hooks->clears.size(), 2u);
    EXPECT_EQ(hooks->clears[0], (std::vector<RECT>{{100, 50, 300, 150}}));
    EXPECT_EQ(hooks->clears[1], (std::vector<RECT>{{100, 50, 150, 80}, {250, 120, 300, 150}}));
}

TEST_F(CoreDeviceTest, IndexedDrawReachesTheBackendWithItsRanges) {
    MakeGeometry(6, {0, 1, 2, 3, 4, 5});
    device->SetIndices(ib.Get(), 2);
    device->BeginScene();
    // Indices 3..5 after base 2 name vertices 5..7: past the six the buffer holds.
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 3, 3, 3, 1), D3DERR_INVALIDCALL);
    device->SetIndices(ib.Get(), 0);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 3, 3, 3, 1), D3D_OK);
    // Seven indices are not there.
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 6, 0, 3), D3DERR_INVALIDCALL);
    device->EndScene();

    ASSERT_EQ(hooks->draws.size(), 1u);
    const DrawCall& call = hooks->draws[0];
    EXPECT_EQ(call.kind, DrawCall::Kind::IndexedPrimitive);
    EXPECT_EQ(call.type, D3DPT_TRIANGLELIST);
    EXPECT_EQ(call.primitiveCount, 1u);
    EXPECT_EQ(call.elementCount, 3u);
    EXPECT_EQ(call.start, 3u);
    EXPECT_EQ(call.minIndex, 3u);
    EXPECT_EQ(call.numVertices, 3u);
    EXPECT_EQ(call.baseVertexIndex, 0u);
    EXPECT_EQ(call.indexFormat, D3DFMT_INDEX16);
    ASSERT_NE(call.layout, nullptr);
    EXPECT_EQ(call.layout->Fvf(), D3DFVF_XYZ);
}

TEST_F(CoreDeviceTest, IndexPastTheVerticesIsRefusedOnlyWhereItIsDrawn) {
    // The first triangle is sound, the second names vertex 40 of a 4-vertex buffer.
    MakeGeometry(4, {0, 1, 2, 1, 2, 40});
    device->SetIndices(ib.Get(), 0);
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    device->EndScene();
    EXPECT_EQ(hooks->draws.size(), 1u);
}

TEST_F(CoreDeviceTest, DrawNeedsBoundUnlockedStreamsHoldingItsVertices) {
    MakeGeometry(3, {0, 1, 2});
    device->BeginScene();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(7), 0, 1), D3DERR_INVALIDCALL);
    BYTE* bytes = nullptr;
    vb->Lock(0, 0, &bytes, 0);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    vb->Unlock();
    // A stride shorter than the vertex.
    device->SetStreamSource(0, vb.Get(), 8);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, nullptr, 12);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_POINTLIST, 0, 1), D3DERR_INVALIDCALL);
    // A tween declaration also reads stream 1, which is not bound.
    const DWORD tween[] = {D3DVSD_STREAM(0), D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
                           D3DVSD_STREAM(1), D3DVSD_REG(D3DVSDE_POSITION2, D3DVSDT_FLOAT3),
                           D3DVSD_END()};
    DWORD handle = 0;
    ASSERT_EQ(device->CreateVertexShader(tween, nullptr, &handle, 0), D3D_OK);
    EXPECT_EQ(handle & 1, 1u);
    device->SetVertexShader(handle);
    device->SetStreamSource(0, vb.Get(), 12);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    device->SetStreamSource(1, vb.Get(), 12);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
    // A deleted declaration leaves nothing to draw with.
    ASSERT_EQ(device->DeleteVertexShader(handle), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(handle), D3DERR_INVALIDCALL);
    device->EndScene();
    EXPECT_EQ(hooks->draws.size(), 2u);
}

TEST_F(CoreDeviceTest, IndexedDrawFromUserMemoryChecksIndicesAndUnbinds) {
    MakeGeometry(3, {0, 1, 2});
    device->SetIndices(ib.Get(), 0);
    const float vertices[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const WORD good[6] = {0, 1, 2, 1, 3, 2};
    const WORD bad[3] = {0, 1, 4};
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, bad, D3DFMT_INDEX16,
                                             vertices, 12),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, good, D3DFMT_INDEX16,
                                             vertices, 12),
              D3D_OK);
    device->EndScene();
    ASSERT_EQ(hooks->draws.size(), 1u);
    EXPECT_EQ(hooks->draws[0].kind, DrawCall::Kind::IndexedPrimitiveUP);
    EXPECT_EQ(hooks->draws[0].elementCount, 6u);
    EXPECT_EQ(hooks->draws[0].indexData, good);
    EXPECT_EQ(hooks->draws[0].vertexData, vertices);
    EXPECT_EQ(hooks->draws[0].vertexStride, 12u);

    IDirect3DIndexBuffer8* indices = ib.Get();
    UINT base = 9;
    device->GetIndices(&indices, &base);
    EXPECT_EQ(indices, nullptr);
    IDirect3DVertexBuffer8* stream = vb.Get();
    UINT stride = 9;
    device->GetStreamSource(0, &stream, &stride);
    EXPECT_EQ(stream, nullptr);
}

TEST_F(CoreDeviceTest, DirtyFlagsMarkOnlyChangedStates) {
    hooks->Dirty().Clear();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);              // already CCW
    device->SetTextureStageState(2, D3DTSS_MINFILTER, D3DTEXF_POINT); // already POINT
    EXPECT_FALSE(hooks->Dirty().renderStates.any());
    EXPECT_FALSE(hooks->Dirty().stageStates[2].any());
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(2, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    const Matrix world = MatrixScaling(2.0f);
    device->SetTransform(D3DTS_WORLDMATRIX(3), &world);
    EXPECT_TRUE(hooks->Dirty().renderStates.test(D3DRS_CULLMODE));
    EXPECT_EQ(hooks->Dirty().renderStates.count(), 1u);
    EXPECT_TRUE(hooks->Dirty().stageStates[2].test(D3DTSS_MINFILTER));
    EXPECT_TRUE(hooks->Dirty().transforms.test(kWorldTransform0 + 3));
    EXPECT_EQ(hooks->Dirty().transforms.count(), 1u);
}

TEST(CreateDevice, ParametersOutsideWhatTheDeviceOffersAreRefused) {
    DevicePtr<IDirect3D8> d3d(CreateRecordingDirect3D8());
    struct Case {
        const char* name;
        UINT adapter;
        D3DDEVTYPE type;
        DWORD behavior;
        void (*change)(D3DPRESENT_PARAMETERS&);
        HRESULT expected;
    } cases[] = {
        {"the demo's parameters", 0, D3DDEVTYPE_HAL, 0x20, [](D3DPRESENT_PARAMETERS&) {}, D3D_OK},
        {"adapter 1", 1, D3DDEVTYPE_HAL, 0x20, [](D3DPRESENT_PARAMETERS&) {}, D3DERR_INVALIDCALL},
        {"reference device", 0, D3DDEVTYPE_REF, 0x20, [](D3DPRESENT_PARAMETERS&) {},
         D3DERR_NOTAVAILABLE},
        {"no vertex processing", 0, D3DDEVTYPE_HAL, 0, [](D3DPRESENT_PARAMETERS&) {},
         D3DERR_INVALIDCALL},
        {"two vertex processings", 0, D3DDEVTYPE_HAL, 0x60, [](D3DPRESENT_PARAMETERS&) {},
         D3DERR_INVALIDCALL},
        {"pure software device", 0, D3DDEVTYPE_HAL, 0x30, [](D3DPRESENT_PARAMETERS&) {},
         D3DERR_INVALIDCALL},
        {"24-bit depth", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) { pp.AutoDepthStencilFormat = D3DFMT_D24S8; },
         D3DERR_INVALIDCALL},
        {"16-bit colour", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) { pp.BackBufferFormat = D3DFMT_R5G6B5; },
         D3DERR_INVALIDCALL},
        {"full screen without size", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) { pp.BackBufferWidth = 0; }, D3DERR_INVALIDCALL},
        {"multisampling", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) { pp.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES; },
         D3DERR_INVALIDCALL},
        {"swap effect 0", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) { pp.SwapEffect = static_cast<D3DSWAPEFFECT>(0); },
         D3DERR_INVALIDCALL},
        {"four back buffers", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) { pp.BackBufferCount = 4; }, D3DERR_INVALIDCALL},
        {"window with an interval", 0, D3DDEVTYPE_HAL, 0x20,
         [](D3DPRESENT_PARAMETERS& pp) {
             pp.Windowed = TRUE;
             pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
         },
         D3DERR_INVALIDCALL},
        {"window of the adapter's size", 0, D3DDEVTYPE_HAL, 0x40,
         [](D3DPRESENT_PARAMETERS& pp) {
             pp.Windowed = TRUE;
             pp.BackBufferWidth = 0;
             pp.BackBufferHeight = 0;
             pp.BackBufferFormat = D3DFMT_UNKNOWN;
         },
         D3D_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
        c.change(pp);
        IDirect3DDevice8* device = reinterpret_cast<IDirect3DDevice8*>(1);
        EXPECT_EQ(d3d->CreateDevice(c.adapter, c.type, nullptr, c.behavior, &pp, &device),
                  c.expected);
        if (SUCCEEDED(c.expected)) {
            ASSERT_NE(device, nullptr);
            // Defaults are written back: one back buffer, and the adapter's size and format
            // for a window that named none.
            EXPECT_EQ(pp.BackBufferCount, 1u);
            EXPECT_EQ(pp.BackBufferWidth, 800u);
            EXPECT_EQ(pp.BackBufferHeight, 600u);
            EXPECT_NE(pp.BackBufferFormat, D3DFMT_UNKNOWN);
            device->Release();
        } else {
            EXPECT_EQ(device, nullptr);
        }
    }
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x20, nullptr, nullptr),
              D3DERR_INVALIDCALL);
}

TEST(CreateDevice, DirectObjectReportsOneAdapterAndItsFormats) {
    DevicePtr<IDirect3D8> d3d(CreateRecordingDirect3D8());
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
    const struct Case {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        HRESULT expected;
    } cases[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT5, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8L8, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_P8, D3DERR_NOTAVAILABLE},
        {0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
        {0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX32, D3D_OK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format),
            c.expected)
            << c.format;
    }
    D3DCAPS8 caps{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    // Any texture size: neither power-of-two nor square shapes are required.
    EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);
    EXPECT_NE(caps.SrcBlendCaps & D3DPBLENDCAPS_SRCALPHA, 0u);
    EXPECT_NE(caps.DestBlendCaps & D3DPBLENDCAPS_INVSRCALPHA, 0u);
    EXPECT_EQ(caps.MaxStreams, 2u);
}

TEST(CreateDevice, DeviceKeepsItsDirectObjectAlive) {
    IDirect3D8* d3d = CreateRecordingDirect3D8();
    D3DPRESENT_PARAMETERS pp = DemoPresentParameters();
    IDirect3DDevice8* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x20, &pp, &device), D3D_OK);
    // The device's reference remains after the application's.
    EXPECT_EQ(d3d->Release(), 1u);
    IDirect3D8* back = nullptr;
    ASSERT_EQ(device->GetDirect3D(&back), D3D_OK);
    EXPECT_EQ(back, d3d);
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(device->Release(), 0u);
}

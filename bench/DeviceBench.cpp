// Frame rates of the OpenGL device on the headless target: many small textured quads drawn from
// user memory, and indexed draws with state changes between them.
#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct WorldVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Headless {
    DevicePtr<IDirect3D8> d3d;
    DevicePtr<IDirect3DDevice8> device;
    DevicePtr<IDirect3DTexture8> textures[2];

    bool Create() {
        d3d.Reset(Direct3DCreate8(D3D_SDK_VERSION));
        if (!d3d) {
            return false;
        }
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = kWidth;
        pp.BackBufferHeight = kHeight;
        pp.BackBufferFormat = D3DFMT_A8R8G8B8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D16;
        if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, GetHeadlessWindow(),
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                     device.ReleaseAndGetAddressOf()))) {
            return false;
        }
        for (int t = 0; t < 2; ++t) {
            if (FAILED(device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                             textures[t].ReleaseAndGetAddressOf()))) {
                return false;
            }
            D3DLOCKED_RECT locked{};
            textures[t]->LockRect(0, &locked, nullptr, 0);
            for (int y = 0; y < 64; ++y) {
                auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) +
                                                        y * locked.Pitch);
                for (int x = 0; x < 64; ++x) {
                    row[x] = D3DCOLOR_ARGB(255, x * 4, y * 4, t * 255);
                }
            }
            textures[t]->UnlockRect(0);
        }
        return true;
    }
};

void ReportFrames(benchmark::State& state, double drawsPerFrame) {
    state.SetItemsProcessed(state.iterations());
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["draws_per_second"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * drawsPerFrame, benchmark::Counter::kIsRate);
}

// 10,000 textured 6 × 6 pixel quads a frame, each its own DrawPrimitiveUP, alpha blended.
void BM_UserMemoryQuads(benchmark::State& state) {
    Headless h;
    if (!h.Create()) {
        state.SkipWithError("no headless OpenGL device");
        return;
    }
    IDirect3DDevice8* device = h.device.Get();
    constexpr int kQuads = 10000;
    std::vector<ScreenVertex> quads(static_cast<std::size_t>(kQuads) * 4);
    for (int i = 0; i < kQuads; ++i) {
        const float x = static_cast<float>((i * 7) % (kWidth - 8)) - 0.5f;
        const float y = static_cast<float>((i * 13) % (kHeight - 8)) - 0.5f;
        const D3DCOLOR colour = D3DCOLOR_ARGB(0xC0, i & 0xFF, (i >> 8) & 0xFF, 0x80);
        ScreenVertex* q = &quads[static_cast<std::size_t>(i) * 4];
        q[0] = {x, y, 0.5f, 1.0f, colour, 0.0f, 0.0f};
        q[1] = {x + 6, y, 0.5f, 1.0f, colour, 1.0f, 0.0f};
        q[2] = {x + 6, y + 6, 0.5f, 1.0f, colour, 1.0f, 1.0f};
        q[3] = {x, y + 6, 0.5f, 1.0f, colour, 0.0f, 1.0f};
    }
    device->SetVertexShader(kScreenFvf);
    device->SetTexture(0, h.textures[0].Get());
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    for (auto _ : state) {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        for (int i = 0; i < kQuads; ++i) {
            device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[static_cast<std::size_t>(i) * 4],
                                    sizeof(ScreenVertex));
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    ReportFrames(state, kQuads);
}
BENCHMARK(BM_UserMemoryQuads)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,000 indexed draws a frame from one vertex and index buffer; between draws the world matrix,
// the base vertex index, the texture and the blending change, so every draw resolves state.
void BM_IndexedDrawsWithStateChanges(benchmark::State& state) {
    Headless h;
    if (!h.Create()) {
        state.SkipWithError("no headless OpenGL device");
        return;
    }
    IDirect3DDevice8* device = h.device.Get();
    constexpr int kDraws = 1000;
    constexpr int kShapes = 16;
    // kShapes quads of 4 vertices; each draw takes one through the base vertex index.
    DevicePtr<IDirect3DVertexBuffer8> vertices;
    DevicePtr<IDirect3DIndexBuffer8> indices;
    device->CreateVertexBuffer(kShapes * 4 * sizeof(WorldVertex), D3DUSAGE_WRITEONLY, kWorldFvf,
                               D3DPOOL_MANAGED, vertices.ReleaseAndGetAddressOf());
    device->CreateIndexBuffer(6 * sizeof(WORD), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                              indices.ReleaseAndGetAddressOf());
    if (!vertices || !indices) {
        state.SkipWithError("buffers could not be made");
        return;
    }
    BYTE* data = nullptr;
    vertices->Lock(0, 0, &data, 0);
    auto* v = reinterpret_cast<WorldVertex*>(data);
    for (int s = 0; s < kShapes; ++s) {
        const float size = 0.02f + 0.005f * static_cast<float>(s);
        const D3DCOLOR colour = D3DCOLOR_ARGB(0xA0, 255 - s * 8, 128, s * 16);
        v[4 * s + 0] = {-size, size, 0.5f, colour, 0.0f, 0.0f};
        v[4 * s + 1] = {size, size, 0.5f, colour, 1.0f, 0.0f};
        v[4 * s + 2] = {size, -size, 0.5f, colour, 1.0f, 1.0f};
        v[4 * s + 3] = {-size, -size, 0.5f, colour, 0.0f, 1.0f};
    }
    vertices->Unlock();
    indices->Lock(0, 0, &data, 0);
    const WORD quad[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(data, quad, sizeof quad);
    indices->Unlock();

    std::vector<Matrix> worlds(kDraws);
    for (int i = 0; i < kDraws; ++i) {
        worlds[static_cast<std::size_t>(i)] =
            MatrixTranslation(static_cast<float>(i % 40) / 20.0f - 0.975f,
                              static_cast<float>(i / 40) / 12.5f - 0.96f, 0.0f);
    }
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetVertexShader(kWorldFvf);
    device->SetStreamSource(0, vertices.Get(), sizeof(WorldVertex));
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (auto _ : state) {
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        for (int i = 0; i < kDraws; ++i) {
            device->SetTransform(D3DTS_WORLD, &worlds[static_cast<std::size_t>(i)]);
            device->SetIndices(indices.Get(), static_cast<UINT>((i % kShapes) * 4));
            device->SetTexture(0, h.textures[i & 1].Get());
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, (i & 2) != 0 ? TRUE : FALSE);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }
    ReportFrames(state, kDraws);
}
BENCHMARK(BM_IndexedDrawsWithStateChanges)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

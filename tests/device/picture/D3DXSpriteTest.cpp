// The utility layer's sprite object, by the calls it makes on the call-recording device.
#include "device/D3DXSprite.h"
#include "D3DXTestSupport.h"
#include "DeviceSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <optional>
#include <string>

namespace {

constexpr DWORD kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The four vertices of the last DrawPrimitiveUP call.
struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

class D3DXSpriteTest : public RecordingDeviceTest {
protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        ASSERT_EQ(D3DXCreateSprite(device.Get(), sprite.ReleaseAndGetAddressOf()), D3D_OK);
        texture = MakeTexture(64, 32, 1, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED);
    }

    std::vector<Vertex> LastQuad() {
        const std::vector<RecordedCall> draws = recorder->CallsNamed("DrawPrimitiveUP");
        EXPECT_FALSE(draws.empty());
        if (draws.empty()) {
            return {};
        }
        const RecordedCall& draw = draws.back();
        EXPECT_EQ(draw.args[0].As<std::uint64_t>(), D3DPT_TRIANGLEFAN);
        EXPECT_EQ(draw.args[1].As<std::uint64_t>(), 2u);
        EXPECT_EQ(draw.args[3].As<std::uint64_t>(), sizeof(Vertex));
        const std::vector<BYTE>& bytes = draw.args[2].As<std::vector<BYTE>>();
        EXPECT_EQ(bytes.size(), 4 * sizeof(Vertex));
        std::vector<Vertex> quad(4);
        std::memcpy(quad.data(), bytes.data(), std::min(bytes.size(), sizeof(Vertex) * 4));
        return quad;
    }

    // The value of the last SetRenderState call for `state` in the recording.
    std::optional<DWORD> LastSet(D3DRENDERSTATETYPE state) {
        std::optional<DWORD> value;
        for (const RecordedCall& call : recorder->CallsNamed("SetRenderState")) {
            if (call.args[0].As<std::uint64_t>() == state) {
                value = static_cast<DWORD>(call.args[1].As<std::uint64_t>());
            }
        }
        return value;
    }

    DevicePtr<ID3DXSprite> sprite;
    DevicePtr<IDirect3DTexture8> texture;
};

TEST_F(D3DXSpriteTest, CreationChecksArgumentsHoldsTheDeviceAndDrawsNothing) {
    ID3DXSprite* untouched = reinterpret_cast<ID3DXSprite*>(0x1234);
    ID3DXSprite* out = untouched;
    EXPECT_EQ(D3DXCreateSprite(nullptr, &out), D3DERR_INVALIDCALL);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(D3DXCreateSprite(device.Get(), nullptr), D3DERR_INVALIDCALL);

    const ULONG before = device->AddRef() - 1;
    device->Release();
    recorder->ClearCalls();
    ID3DXSprite* second = nullptr;
    ASSERT_EQ(D3DXCreateSprite(device.Get(), &second), D3D_OK);
    EXPECT_EQ(device->AddRef() - 1, before + 1);
    device->Release();
    EXPECT_TRUE(recorder->CallsNamed("DrawPrimitiveUP").empty());
    IDirect3DDevice8* held = nullptr;
    ASSERT_EQ(second->GetDevice(&held), D3D_OK);
    EXPECT_EQ(held, device.Get());
    held->Release();
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(device->AddRef() - 1, before);
    device->Release();
}

TEST_F(D3DXSpriteTest, BeginTwiceAndEndWithoutBeginFail) {
    EXPECT_EQ(sprite->End(), E_FAIL);
    EXPECT_EQ(sprite->Begin(), D3D_OK);
    EXPECT_EQ(sprite->Begin(), E_FAIL);
    EXPECT_EQ(sprite->End(), D3D_OK);
    EXPECT_EQ(sprite->End(), E_FAIL);
    EXPECT_EQ(sprite->Begin(), D3D_OK);
    EXPECT_EQ(sprite->End(), D3D_OK);
}

TEST_F(D3DXSpriteTest, BeginSetsSpriteStatesAndEndRestoresEveryState) {
    // The caller's states differ from the sprite's wherever the sprite sets one.
    DevicePtr<IDirect3DTexture8> other = MakeTexture(8, 8, 1, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    DevicePtr<IDirect3DVertexBuffer8> buffer;
    ASSERT_EQ(device->CreateVertexBuffer(256, 0, D3DFVF_XYZ, D3DPOOL_MANAGED,
                                         buffer.ReleaseAndGetAddressOf()),
              D3D_OK);
    device->SetTexture(0, other.Get());
    device->SetStreamSource(0, buffer.Get(), 12);
    device->SetVertexShader(D3DFVF_XYZ);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_SUBTRACT);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_MIRROR);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    const DeviceSnapshot before = Snapshot(device.Get());

    ASSERT_EQ(sprite->Begin(), D3D_OK);
    struct Expected {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } renderStates[] = {
        {D3DRS_ZENABLE, D3DZB_FALSE},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_CULLMODE, D3DCULL_NONE},
        {D3DRS_LIGHTING, FALSE},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
        {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    };
    for (const Expected& e : renderStates) {
        DWORD value = 0;
        device->GetRenderState(e.state, &value);
        EXPECT_EQ(value, e.value) << "render state " << e.state;
    }
    struct ExpectedStage {
        DWORD stage;
        D3DTEXTURESTAGESTATETYPE type;
        DWORD value;
    } stageStates[] = {
        {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
        {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
        {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
        {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
        {0, D3DTSS_TEXCOORDINDEX, 0},
        {0, D3DTSS_TEXTURETRANSFORMFLAGS, 0},
        {0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR},
        {0, D3DTSS_MINFILTER, D3DTEXF_LINEAR},
        {0, D3DTSS_MIPFILTER, D3DTEXF_NONE},
        {0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP},
        {0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP},
        {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
        {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
    };
    for (const ExpectedStage& e : stageStates) {
        DWORD value = 0;
        device->GetTextureStageState(e.stage, e.type, &value);
        EXPECT_EQ(value, e.value) << "stage " << e.stage << " state " << e.type;
    }
    DWORD shader = 0;
    device->GetVertexShader(&shader);
    EXPECT_EQ(shader, kSpriteFvf);

    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(sprite->Draw(texture.Get(), nullptr, nullptr, nullptr, 0.5f, nullptr, 0x80FFFFFF),
              D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(sprite->End(), D3D_OK);
    EXPECT_TRUE(Snapshot(device.Get()) == before);
}

TEST_F(D3DXSpriteTest, DrawOutsideBeginDoesItsOwnBeginAndEnd) {
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    const DeviceSnapshot before = Snapshot(device.Get());
    recorder->ClearCalls();
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(sprite->Draw(texture.Get(), nullptr, nullptr, nullptr, 0.0f, nullptr, 0xFFFFFFFF),
              D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    std::vector<std::string> order;
    for (const RecordedCall& call : recorder->Calls()) {
        if (call.method == "CaptureStateBlock" || call.method == "ApplyStateBlock" ||
            call.method == "DrawPrimitiveUP") {
            order.push_back(call.method);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"CaptureStateBlock", "ApplyStateBlock",
                                               "DrawPrimitiveUP", "ApplyStateBlock"}));
    EXPECT_TRUE(Snapshot(device.Get()) == before);
    // Not left begun.
    EXPECT_EQ(sprite->End(), E_FAIL);
}

TEST_F(D3DXSpriteTest, QuadCornersAreScaledRotatedAboutTheCentreAndMoved) {
    struct Case {
        const char* what;
        D3DXVECTOR2 scaling, centre, translation;
        float rotation;
        RECT rect; // empty: the whole texture
    } cases[] = {
        {"plain", {1, 1}, {0, 0}, {0, 0}, 0.0f, {}},
        {"moved", {1, 1}, {0, 0}, {100, 50}, 0.0f, {}},
        {"scaled about the corner", {2, 0.5f}, {0, 0}, {10, 20}, 0.0f, {}},
        {"quarter turn about the corner",
         {1, 1},
         {0, 0},
         {0, 0},
         std::numbers::pi_v<float> / 2,
         {}},
        {"turned about the centre", {1, 1}, {32, 16}, {400, 300}, 0.7f, {}},
        {"scaled, turned and moved", {1.5f, 3}, {10, 5}, {-20, 7}, -2.0f, {}},
        {"part of the texture", {1, 1}, {0, 0}, {5, 5}, 0.0f, {16, 8, 48, 24}},
    };
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    for (const Case& c : cases) {
        const bool whole = c.rect.right == 0;
        const RECT r = whole ? RECT{0, 0, 64, 32} : c.rect;
        ASSERT_EQ(sprite->Draw(texture.Get(), whole ? nullptr : &c.rect, &c.scaling, &c.centre,
                               c.rotation, &c.translation, 0xFF102030),
                  D3D_OK)
            << c.what;
        const std::vector<Vertex> quad = LastQuad();
        ASSERT_EQ(quad.size(), 4u);
        const double w = r.right - r.left;
        const double h = r.bottom - r.top;
        const double corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
        const double cosine = std::cos(static_cast<double>(c.rotation));
        const double sine = std::sin(static_cast<double>(c.rotation));
        for (int i = 0; i < 4; ++i) {
            // Scale about the corner, turn about the centre, move, then the half-pixel shift.
            const double x = corners[i][0] * c.scaling.x - c.centre.x;
            const double y = corners[i][1] * c.scaling.y - c.centre.y;
            const double tx = x * cosine + y * sine + c.centre.x + c.translation.x - 0.5;
            const double ty = -x * sine + y * cosine + c.centre.y + c.translation.y - 0.5;
            EXPECT_NEAR(quad[i].x, tx, 1e-3) << c.what << " corner " << i;
            EXPECT_NEAR(quad[i].y, ty, 1e-3) << c.what << " corner " << i;
            EXPECT_EQ(quad[i].z, 0.0f);
            EXPECT_EQ(quad[i].rhw, 1.0f);
            EXPECT_EQ(quad[i].colour, 0xFF102030u);
            EXPECT_FLOAT_EQ(quad[i].u, static_cast<float>((r.left + corners[i][0]) / 64.0));
            EXPECT_FLOAT_EQ(quad[i].v, static_cast<float>((r.top + corners[i][1]) / 32.0));
        }
    }
    // A positive quarter turn takes the top-right corner (64, 0) up to (0, −64): counter-clockwise
    // on a screen whose y axis points down.
    ASSERT_EQ(sprite->Draw(texture.Get(), nullptr, nullptr, nullptr, std::numbers::pi_v<float> / 2,
                           nullptr, 0xFFFFFFFF),
              D3D_OK);
    EXPECT_NEAR(LastQuad()[1].x, -0.5, 1e-3);
    EXPECT_NEAR(LastQuad()[1].y, -64.5, 1e-3);
    ASSERT_EQ(device->EndScene(), D3D_OK);
}

TEST_F(D3DXSpriteTest, BlendsForTranslucentColourOrFormatsWithAlphaOrPalette) {
    struct Case {
        D3DFORMAT format;
        D3DCOLOR colour;
        bool blends;
    } cases[] = {
        {D3DFMT_X8R8G8B8, 0xFFFFFFFF, false}, {D3DFMT_X8R8G8B8, 0xFE000000, true},
        {D3DFMT_X8R8G8B8, 0x80FFFFFF, true},  {D3DFMT_A8R8G8B8, 0xFFFFFFFF, true},
        {D3DFMT_R5G6B5, 0xFFFFFFFF, false},   {D3DFMT_X1R5G5B5, 0xFFFFFFFF, false},
        {D3DFMT_A1R5G5B5, 0xFFFFFFFF, true},  {D3DFMT_A4R4G4B4, 0xFFFFFFFF, true},
        {D3DFMT_A8, 0xFFFFFFFF, true},        {D3DFMT_L8, 0xFFFFFFFF, false},
        {D3DFMT_A8L8, 0xFFFFFFFF, true},      {D3DFMT_A8R3G3B2, 0xFFFFFFFF, true},
        {D3DFMT_DXT1, 0xFFFFFFFF, false},     {D3DFMT_DXT3, 0xFFFFFFFF, true},
        {D3DFMT_DXT5, 0xFFFFFFFF, true},
    };
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    for (const Case& c : cases) {
        DevicePtr<IDirect3DTexture8> t = MakeTexture(8, 8, 1, c.format, D3DPOOL_MANAGED);
        ASSERT_EQ(sprite->Begin(), D3D_OK);
        recorder->ClearCalls();
        ASSERT_EQ(sprite->Draw(t.Get(), nullptr, nullptr, nullptr, 0.0f, nullptr, c.colour), D3D_OK)
            << c.format;
        EXPECT_EQ(LastSet(D3DRS_ALPHABLENDENABLE), std::optional<DWORD>(c.blends ? TRUE : FALSE))
            << c.format << " " << std::hex << c.colour;
        DWORD state = 0;
        device->GetRenderState(D3DRS_ALPHABLENDENABLE, &state);
        EXPECT_EQ(state, c.blends ? DWORD{TRUE} : DWORD{FALSE});
        ASSERT_EQ(sprite->End(), D3D_OK);
    }
    ASSERT_EQ(device->EndScene(), D3D_OK);
}

TEST_F(D3DXSpriteTest, MissingTextureOrRectangleOutsideDrawsNothing) {
    const RECT outside = {0, 0, 65, 32};
    const RECT empty = {10, 10, 10, 20};
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    recorder->ClearCalls();
    EXPECT_EQ(sprite->Draw(nullptr, nullptr, nullptr, nullptr, 0.0f, nullptr, 0xFFFFFFFF),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Draw(texture.Get(), &outside, nullptr, nullptr, 0.0f, nullptr, 0xFFFFFFFF),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Draw(texture.Get(), &empty, nullptr, nullptr, 0.0f, nullptr, 0xFFFFFFFF),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(recorder->CallsNamed("DrawPrimitiveUP").empty());
    EXPECT_TRUE(recorder->CallsNamed("CaptureStateBlock").empty());
}

TEST_F(D3DXSpriteTest, LastReleaseDeletesItsStateBlocksAndReleasesTheDevice) {
    ASSERT_EQ(sprite->Begin(), D3D_OK);
    ASSERT_EQ(sprite->End(), D3D_OK);
    const ULONG before = device->AddRef() - 1;
    device->Release();
    recorder->ClearCalls();
    sprite.Reset();
    EXPECT_EQ(recorder->CallsNamed("DeleteStateBlock").size(), 2u);
    EXPECT_EQ(device->AddRef() - 1, before - 1);
    device->Release();
}

} // namespace

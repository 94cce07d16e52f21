// Headless device: what draws put in the back buffer (pixel positions, texture stage 0, alpha
// test, blending, depth, culling, viewport, default states, state blocks, buffers).
#include "device/gl/HeadlessDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace headless;

namespace {

class DeviceDraw : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (device) {
            ASSERT_EQ(
                device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0),
                D3D_OK);
        }
    }

    // A triangle given in screen pixels, drawn as untransformed vertices with identity
    // transforms: NDC x = sx / 400 − 1 and y = 1 − sy / 300 put it back on those pixels.
    void DrawWorldTriangle(const float (&screen)[3][2], D3DCOLOR colour) {
        WorldVertex v[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = {screen[i][0] / (kWidth / 2.0f) - 1.0f, 1.0f - screen[i][1] / (kHeight / 2.0f),
                    0.5f, colour};
        }
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetVertexShader(kWorldFvf);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(WorldVertex)), D3D_OK);
    }

    void DrawScreenTriangle(const float (&screen)[3][2], D3DCOLOR colour) {
        ScreenVertex v[3];
        for (int i = 0; i < 3; ++i) {
            v[i] = {screen[i][0], screen[i][1], 0.5f, 1.0f, colour, 0.0f, 0.0f};
        }
        device->SetVertexShader(kScreenFvf);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(ScreenVertex)), D3D_OK);
    }

    static constexpr D3DCOLOR kClear = 0xFF000000;
};

// Distinct colour for every texel of a 64 × 64 texture.
D3DCOLOR GradientTexel(int x, int y) {
    return D3DCOLOR_ARGB(255, x * 4, y * 4, 255 - (x + y) * 2);
}

} // namespace

TEST_F(DeviceDraw, TexelPerPixelQuadPutsTexelZeroOnItsPixel) {
    const auto texture = MakeTexture(64, 64, GradientTexel);
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture.Get());
    struct Case {
        const char* name;
        DWORD filter;
        bool transformed;
    } cases[] = {{"screen vertices, point", D3DTEXF_POINT, true},
                 {"screen vertices, linear", D3DTEXF_LINEAR, true},
                 {"world vertices, point", D3DTEXF_POINT, false},
                 {"world vertices, linear", D3DTEXF_LINEAR, false}};
    const int left = 200;
    const int top = 100;
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, c.filter);
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, c.filter);
        if (c.transformed) {
            DrawScreenQuad({left, top, left + 64, top + 64}, 0xFFFFFFFF);
        } else {
            // Corners half a pixel before the first pixel centre, as with screen vertices:
            // Direct3D puts NDC −1 on the centre of pixel 0.
            struct TexturedWorldVertex {
                float x, y, z;
                D3DCOLOR diffuse;
                float u, v;
            };
            const auto ndcX = [](float sx) { return sx / (kWidth / 2.0f) - 1.0f; };
            const auto ndcY = [](float sy) { return 1.0f - sy / (kHeight / 2.0f); };
            const float l = ndcX(left - 0.5f), r = ndcX(left + 64 - 0.5f);
            const float t = ndcY(top - 0.5f), b = ndcY(top + 64 - 0.5f);
            const TexturedWorldVertex quad[4] = {{l, t, 0.5f, 0xFFFFFFFF, 0.0f, 0.0f},
                                                 {r, t, 0.5f, 0xFFFFFFFF, 1.0f, 0.0f},
                                                 {r, b, 0.5f, 0xFFFFFFFF, 1.0f, 1.0f},
                                                 {l, b, 0.5f, 0xFFFFFFFF, 0.0f, 1.0f}};
            device->SetRenderState(D3DRS_LIGHTING, FALSE);
            device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
            ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof quad[0]), D3D_OK);
        }
        const auto frame = PresentAndRead();
        int wrong = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (frame[(top + y) * kWidth + left + x] != GradientTexel(x, y)) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0) << c.name;
        EXPECT_TRUE(AreaIs(frame, {left - 1, top, left, top + 64}, kClear, 0)) << c.name;
        EXPECT_TRUE(AreaIs(frame, {left, top - 1, left + 64, top}, kClear, 0)) << c.name;
        EXPECT_TRUE(AreaIs(frame, {left + 64, top, left + 65, top + 64}, kClear, 0)) << c.name;
        EXPECT_TRUE(AreaIs(frame, {left, top + 64, left + 64, top + 65}, kClear, 0)) << c.name;
    }
}

TEST_F(DeviceDraw, BlendFactorPairsCombineSourceAndDestination) {
    const D3DCOLOR destination = D3DCOLOR_ARGB(160, 0, 255, 64);
    const D3DCOLOR source = D3DCOLOR_ARGB(96, 255, 128, 0);
    // factor(blend, s, d, shift): the blend factor of one channel, 0..1.
    const auto factor = [](DWORD blend, D3DCOLOR s, D3DCOLOR d, int shift) {
        const double sc = Channel(s, shift) / 255.0;
        const double sa = Channel(s, 24) / 255.0;
        const double da = Channel(d, 24) / 255.0;
        switch (blend) {
        case D3DBLEND_ZERO:
            return 0.0;
        case D3DBLEND_ONE:
            return 1.0;
        case D3DBLEND_SRCCOLOR:
            return sc;
        case D3DBLEND_INVSRCCOLOR:
            return 1.0 - sc;
        case D3DBLEND_SRCALPHA:
            return sa;
        case D3DBLEND_INVSRCALPHA:
            return 1.0 - sa;
        case D3DBLEND_DESTALPHA:
            return da;
        case D3DBLEND_INVDESTALPHA:
            return 1.0 - da;
        default:
            return -1.0;
        }
    };
    struct Case {
        DWORD source, destination;
    } cases[] = {
        {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
        {D3DBLEND_ONE, D3DBLEND_ONE},
        {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
        {D3DBLEND_DESTALPHA, D3DBLEND_INVDESTALPHA},
        {D3DBLEND_ONE, D3DBLEND_ZERO},
        {D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA},
        {D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR},
        {D3DBLEND_ZERO, D3DBLEND_ONE},
        {D3DBLEND_INVDESTALPHA, D3DBLEND_DESTALPHA},
    };
    for (const Case& c : cases) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, destination, 1.0f, 0);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, c.source);
        device->SetRenderState(D3DRS_DESTBLEND, c.destination);
        DrawScreenQuad({100, 100, 700, 500}, source);
        DWORD expected = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const double value =
                Channel(source, shift) / 255.0 * factor(c.source, source, destination, shift) +
                Channel(destination, shift) / 255.0 *
                    factor(c.destination, source, destination, shift);
            const double clamped = std::min(1.0, std::max(0.0, value));
            expected |= static_cast<DWORD>(std::lround(clamped * 255.0)) << shift;
        }
        const auto frame = PresentAndRead();
        EXPECT_TRUE(AreaIs(frame, {120, 120, 680, 480}, expected, 2))
            << "source " << c.source << " destination " << c.destination;
        EXPECT_TRUE(AreaIs(frame, {0, 0, kWidth, 90}, destination, 0));
    }
}

TEST_F(DeviceDraw, AlphaTestComparesVertexAlphaWithTheReference) {
    struct Case {
        DWORD func;
        DWORD reference;
        DWORD alpha;
    } cases[] = {
        {D3DCMP_GREATER, 128, 128},      {D3DCMP_GREATER, 128, 129},
        {D3DCMP_GREATEREQUAL, 128, 128}, {D3DCMP_GREATEREQUAL, 128, 127},
        {D3DCMP_LESS, 100, 99},          {D3DCMP_LESS, 100, 100},
        {D3DCMP_EQUAL, 77, 77},          {D3DCMP_EQUAL, 77, 78},
        {D3DCMP_NOTEQUAL, 77, 77},       {D3DCMP_LESSEQUAL, 0, 0},
        {D3DCMP_LESSEQUAL, 0, 1},        {D3DCMP_NEVER, 0, 255},
        {D3DCMP_ALWAYS, 255, 0},         {D3DCMP_GREATEREQUAL, 255, 255},
    };
    for (const Case& c : cases) {
        bool passes = false;
        switch (c.func) {
        case D3DCMP_NEVER:
            passes = false;
            break;
        case D3DCMP_LESS:
            passes = c.alpha < c.reference;
            break;
        case D3DCMP_EQUAL:
            passes = c.alpha == c.reference;
            break;
        case D3DCMP_LESSEQUAL:
            passes = c.alpha <= c.reference;
            break;
        case D3DCMP_GREATER:
            passes = c.alpha > c.reference;
            break;
        case D3DCMP_NOTEQUAL:
            passes = c.alpha != c.reference;
            break;
        case D3DCMP_GREATEREQUAL:
            passes = c.alpha >= c.reference;
            break;
        case D3DCMP_ALWAYS:
            passes = true;
            break;
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        device->SetRenderState(D3DRS_ALPHAFUNC, c.func);
        device->SetRenderState(D3DRS_ALPHAREF, c.reference);
        const D3DCOLOR colour = D3DCOLOR_ARGB(c.alpha, 255, 0, 0);
        DrawScreenQuad({200, 150, 600, 450}, colour);
        EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, passes ? colour : kClear, 0))
            << "func " << c.func << " reference " << c.reference << " alpha " << c.alpha;
    }
    // With the test off the comparison is not made.
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
    DrawScreenQuad({200, 150, 600, 450}, 0x10FFFFFF);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, 0x10FFFFFF, 0));
}

TEST_F(DeviceDraw, DepthTestAndDepthWritesDecideWhichQuadStays) {
    const D3DCOLOR first = 0xFFFF0000;
    const D3DCOLOR second = 0xFF00FF00;
    struct Case {
        const char* name;
        DWORD zenable;
        DWORD firstWrites;
        DWORD secondFunc;
        float secondZ;
        D3DCOLOR expected;
    } cases[] = {
        {"farther quad hidden", D3DZB_TRUE, TRUE, D3DCMP_LESSEQUAL, 0.7f, first},
        {"nearer quad drawn", D3DZB_TRUE, TRUE, D3DCMP_LESSEQUAL, 0.3f, second},
        {"no depth written, farther quad drawn", D3DZB_TRUE, FALSE, D3DCMP_LESSEQUAL, 0.7f, second},
        {"greater passes farther quad", D3DZB_TRUE, TRUE, D3DCMP_GREATER, 0.7f, second},
        {"equal depth passes equal", D3DZB_TRUE, TRUE, D3DCMP_EQUAL, 0.5f, second},
        {"equal fails for other depth", D3DZB_TRUE, TRUE, D3DCMP_EQUAL, 0.4f, first},
        {"never", D3DZB_TRUE, TRUE, D3DCMP_NEVER, 0.1f, first},
        {"depth test off draws everything", D3DZB_FALSE, TRUE, D3DCMP_LESSEQUAL, 0.9f, second},
    };
    for (const Case& c : cases) {
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetRenderState(D3DRS_ZWRITEENABLE, c.firstWrites);
        DrawScreenQuad({100, 100, 500, 400}, first, 0.5f);
        device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
        device->SetRenderState(D3DRS_ZENABLE, c.zenable);
        device->SetRenderState(D3DRS_ZFUNC, c.secondFunc);
        DrawScreenQuad({100, 100, 500, 400}, second, c.secondZ);
        EXPECT_TRUE(AreaIs(PresentAndRead(), {110, 110, 490, 390}, c.expected, 0)) << c.name;
    }
}

TEST_F(DeviceDraw, CullModesRemoveTrianglesByTheirWindingOnScreen) {
    // Two triangles in screen pixels: the left one clockwise on screen, the right one not.
    const float clockwise[3][2] = {{100, 100}, {350, 100}, {100, 500}};
    const float counterClockwise[3][2] = {{450, 100}, {450, 500}, {700, 100}};
    const auto isClockwise = [](const float(&t)[3][2]) {
        // With y pointing down, a positive cross product turns clockwise on screen.
        return (t[1][0] - t[0][0]) * (t[2][1] - t[0][1]) -
                   (t[1][1] - t[0][1]) * (t[2][0] - t[0][0]) >
               0;
    };
    ASSERT_TRUE(isClockwise(clockwise));
    ASSERT_FALSE(isClockwise(counterClockwise));

    struct Case {
        DWORD cull;
        bool transformed;
    } cases[] = {{D3DCULL_NONE, true},  {D3DCULL_CW, true},  {D3DCULL_CCW, true},
                 {D3DCULL_NONE, false}, {D3DCULL_CW, false}, {D3DCULL_CCW, false}};
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetRenderState(D3DRS_CULLMODE, c.cull);
        for (const auto* triangle : {&clockwise, &counterClockwise}) {
            c.transformed ? DrawScreenTriangle(*triangle, 0xFFFFFFFF)
                          : DrawWorldTriangle(*triangle, 0xFFFFFFFF);
        }
        const auto frame = PresentAndRead();
        const auto visible = [&](const float(&t)[3][2]) {
            const bool cw = isClockwise(t);
            return c.cull == D3DCULL_NONE || (c.cull == D3DCULL_CW && !cw) ||
                   (c.cull == D3DCULL_CCW && cw);
        };
        // Probes around each triangle's centroid.
        EXPECT_TRUE(
            AreaIs(frame, {160, 210, 200, 250}, visible(clockwise) ? 0xFFFFFFFF : kClear, 0))
            << "cull " << c.cull << (c.transformed ? " screen" : " world");
        EXPECT_TRUE(
            AreaIs(frame, {515, 210, 555, 250}, visible(counterClockwise) ? 0xFFFFFFFF : kClear, 0))
            << "cull " << c.cull << (c.transformed ? " screen" : " world");
    }
}

TEST_F(DeviceDraw, ViewportBoundsUntransformedDrawing) {
    const D3DVIEWPORT8 viewport{200, 150, 400, 300, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    // A quad over all of NDC −1..1 fills exactly the viewport.
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetVertexShader(kWorldFvf);
    const WorldVertex quad[4] = {{-1, 1, 0.5f, 0xFF00FFFF},
                                 {1, 1, 0.5f, 0xFF00FFFF},
                                 {1, -1, 0.5f, 0xFF00FFFF},
                                 {-1, -1, 0.5f, 0xFF00FFFF}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof quad[0]), D3D_OK);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {202, 152, 598, 448}, 0xFF00FFFF, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 0, kWidth, 148}, kClear, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 452, kWidth, kHeight}, kClear, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 148, 198, 452}, kClear, 0));
    EXPECT_TRUE(AreaIs(frame, {602, 148, kWidth, 452}, kClear, 0));
}

TEST_F(DeviceDraw, WorldViewProjectionPlacesUntransformedVertices) {
    // Scale by 0.5 (world), move right by 0.5 (view), then a projection that keeps x, y and
    // maps z 0..1 unchanged: the unit quad lands on NDC x 0..1, y −0.5..0.5.
    Matrix world = MatrixScaling(0.5f);
    Matrix view = MatrixTranslation(0.5f, 0.0f, 0.0f);
    Matrix projection = MatrixIdentity();
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetVertexShader(kWorldFvf);
    const WorldVertex quad[4] = {{-1, 1, 0.5f, 0xFFFFFF00},
                                 {1, 1, 0.5f, 0xFFFFFF00},
                                 {1, -1, 0.5f, 0xFFFFFF00},
                                 {-1, -1, 0.5f, 0xFFFFFF00}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof quad[0]), D3D_OK);
    const auto frame = PresentAndRead();
    // NDC x 0..1 → pixels 400..800, y 0.5..−0.5 → pixels 150..450.
    EXPECT_TRUE(AreaIs(frame, {402, 152, 798, 448}, 0xFFFFFF00, 0));
    EXPECT_TRUE(AreaIs(frame, {0, 0, 398, kHeight}, kClear, 0));
    EXPECT_TRUE(AreaIs(frame, {402, 0, kWidth, 148}, kClear, 0));
    EXPECT_TRUE(AreaIs(frame, {402, 452, kWidth, kHeight}, kClear, 0));
}

TEST_F(DeviceDraw, NoTextureRuleUsesCurrentForColourAndAlphaSeparately) {
    const D3DCOLOR diffuse = D3DCOLOR_ARGB(0x40, 0x20, 0xC0, 0x80);
    struct Case {
        const char* name;
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
        D3DCOLOR expected;
    } cases[] = {
        {"modulate by a missing texture", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, diffuse},
        {"select a missing texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TEXTURE, diffuse},
        // Alpha does not read the texture: TFACTOR's alpha is taken as set.
        {"colour falls back, alpha does not", D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE,
         D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_TEXTURE, (diffuse & 0x00FFFFFF) | 0xC0000000},
        // Colour does not read the texture: TFACTOR's colour is taken as set.
        {"alpha falls back, colour does not", D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_TEXTURE,
         D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TEXTURE, (diffuse & 0xFF000000) | 0x00102030},
    };
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xC0102030);
    device->SetTexture(0, nullptr);
    for (const Case& c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetTextureStageState(0, D3DTSS_COLOROP, c.colorOp);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, c.colorArg1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, c.colorArg2);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, c.alphaOp);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.alphaArg1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.alphaArg2);
        DrawScreenQuad({200, 150, 600, 450}, diffuse);
        EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, c.expected, 0)) << c.name;
    }
}

TEST_F(DeviceDraw, VertexWithoutDiffuseIsOpaqueWhite) {
    struct PositionOnly {
        float x, y, z, rhw;
    };
    const PositionOnly quad[4] = {{199.5f, 149.5f, 0.5f, 1.0f},
                                  {599.5f, 149.5f, 0.5f, 1.0f},
                                  {599.5f, 449.5f, 0.5f, 1.0f},
                                  {199.5f, 449.5f, 0.5f, 1.0f}};
    device->SetVertexShader(D3DFVF_XYZRHW);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof quad[0]), D3D_OK);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, 0xFFFFFFFF, 0));
}

TEST_F(DeviceDraw, DefaultStatesModulateTextureByDiffuseWithTextureAlpha) {
    const D3DCOLOR texel = D3DCOLOR_ARGB(0x80, 0xFF, 0x80, 0x40);
    const D3DCOLOR diffuse = D3DCOLOR_ARGB(0xFF, 0x80, 0x80, 0xFF);
    const auto texture =
        MakeTexture(8, 8, [](int, int) { return D3DCOLOR_ARGB(0x80, 0xFF, 0x80, 0x40); });
    ASSERT_TRUE(texture);
    device->SetTexture(0, texture.Get());
    DrawScreenQuad({200, 150, 600, 450}, diffuse);
    D3DCOLOR expected = texel & 0xFF000000; // alpha: SELECTARG1 of the texture
    for (int shift = 0; shift < 24; shift += 8) {
        expected |=
            static_cast<DWORD>(std::lround(Channel(texel, shift) * Channel(diffuse, shift) / 255.0))
            << shift;
    }
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, expected, 1));
}

TEST_F(DeviceDraw, DefaultCullModeRemovesCounterClockwiseTriangles) {
    const float counterClockwise[3][2] = {{450, 100}, {450, 500}, {700, 100}};
    const float clockwise[3][2] = {{100, 100}, {350, 100}, {100, 500}};
    DrawScreenTriangle(counterClockwise, 0xFFFFFFFF);
    DrawScreenTriangle(clockwise, 0xFFFFFFFF);
    const auto frame = PresentAndRead();
    EXPECT_TRUE(AreaIs(frame, {515, 210, 555, 250}, kClear, 0));
    EXPECT_TRUE(AreaIs(frame, {160, 210, 200, 250}, 0xFFFFFFFF, 0));
}

TEST_F(DeviceDraw, StateBlockAppliesWhatItRecordedAndCaptureRefreshesIt) {
    const D3DCOLOR background = D3DCOLOR_ARGB(255, 0x40, 0x40, 0x40);
    const D3DCOLOR colour = D3DCOLOR_ARGB(255, 0x80, 0x20, 0x10);
    const auto add = [](D3DCOLOR a, D3DCOLOR b) {
        D3DCOLOR sum = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            sum |= std::min(255u, Channel(a, shift) + Channel(b, shift)) << shift;
        }
        return sum;
    };

    // Record additive blending.
    ASSERT_EQ(device->BeginStateBlock(), D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DWORD token = 0;
    ASSERT_EQ(device->EndStateBlock(&token), D3D_OK);

    // Recording did not change the device: the quad replaces the background.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
    DrawScreenQuad({100, 100, 300, 300}, colour);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {110, 110, 290, 290}, colour, 0));

    ASSERT_EQ(device->ApplyStateBlock(token), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
    DrawScreenQuad({100, 100, 300, 300}, colour);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {110, 110, 290, 290}, add(colour, background), 1));

    // Capture takes the current values of the recorded states: ZERO / SRCCOLOR now.
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
    ASSERT_EQ(device->CaptureStateBlock(token), D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    ASSERT_EQ(device->ApplyStateBlock(token), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
    DrawScreenQuad({100, 100, 300, 300}, colour);
    D3DCOLOR product = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        product |= static_cast<DWORD>(
                       std::lround(Channel(colour, shift) * Channel(background, shift) / 255.0))
                   << shift;
    }
    EXPECT_TRUE(AreaIs(PresentAndRead(), {110, 110, 290, 290}, product, 1));
    EXPECT_EQ(device->DeleteStateBlock(token), D3D_OK);
}

TEST_F(DeviceDraw, IndexedDrawReadsStreamFromBaseVertexAndStartIndex) {
    // Three quads of four vertices each, side by side, in one vertex buffer.
    const D3DCOLOR colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    DevicePtr<IDirect3DVertexBuffer8> vertices;
    ASSERT_EQ(device->CreateVertexBuffer(12 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf,
                                         D3DPOOL_MANAGED, vertices.ReleaseAndGetAddressOf()),
              D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(vertices->Lock(0, 0, &data, 0), D3D_OK);
    auto* v = reinterpret_cast<ScreenVertex*>(data);
    for (int q = 0; q < 3; ++q) {
        const float l = 50.0f + 250.0f * q - 0.5f;
        const float r = l + 200.0f;
        v[4 * q + 0] = {l, 199.5f, 0.5f, 1.0f, colours[q], 0, 0};
        v[4 * q + 1] = {r, 199.5f, 0.5f, 1.0f, colours[q], 0, 0};
        v[4 * q + 2] = {r, 399.5f, 0.5f, 1.0f, colours[q], 0, 0};
        v[4 * q + 3] = {l, 399.5f, 0.5f, 1.0f, colours[q], 0, 0};
    }
    ASSERT_EQ(vertices->Unlock(), D3D_OK);

    struct Case {
        const char* name;
        D3DFORMAT format;
        UINT baseVertex;
        UINT startIndex;
        int quad;
    } cases[] = {
        {"16-bit, base 0, first indices", D3DFMT_INDEX16, 0, 0, 0},
        {"16-bit, base 4", D3DFMT_INDEX16, 4, 0, 1},
        {"16-bit, base 0, start index 6", D3DFMT_INDEX16, 0, 6, 1},
        {"16-bit, base 4, start index 6", D3DFMT_INDEX16, 4, 6, 2},
        {"32-bit, base 8", D3DFMT_INDEX32, 8, 0, 2},
        {"32-bit, start index 6", D3DFMT_INDEX32, 0, 6, 1},
    };
    for (const Case& c : cases) {
        // Indices 0..3 (first quad), then 4..7 (second quad).
        const DWORD indices[12] = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
        const UINT size = c.format == D3DFMT_INDEX16 ? 2 : 4;
        DevicePtr<IDirect3DIndexBuffer8> ib;
        ASSERT_EQ(device->CreateIndexBuffer(12 * size, D3DUSAGE_WRITEONLY, c.format,
                                            D3DPOOL_MANAGED, ib.ReleaseAndGetAddressOf()),
                  D3D_OK);
        BYTE* bytes = nullptr;
        ASSERT_EQ(ib->Lock(0, 0, &bytes, 0), D3D_OK);
        for (int i = 0; i < 12; ++i) {
            if (size == 2) {
                const WORD index = static_cast<WORD>(indices[i]);
                std::memcpy(bytes + 2 * i, &index, 2);
            } else {
                std::memcpy(bytes + 4 * i, &indices[i], 4);
            }
        }
        ASSERT_EQ(ib->Unlock(), D3D_OK);

        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClear, 1.0f, 0);
        device->SetVertexShader(kScreenFvf);
        device->SetStreamSource(0, vertices.Get(), sizeof(ScreenVertex));
        device->SetIndices(ib.Get(), c.baseVertex);
        ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, c.startIndex == 6 ? 4 : 0, 4,
                                               c.startIndex, 2),
                  D3D_OK)
            << c.name;
        const auto frame = PresentAndRead();
        for (int q = 0; q < 3; ++q) {
            const int l = 50 + 250 * q;
            EXPECT_TRUE(
                AreaIs(frame, {l + 10, 210, l + 190, 390}, q == c.quad ? colours[q] : kClear, 0))
                << c.name << ", quad " << q;
        }
    }
}

TEST_F(DeviceDraw, BufferContentIsWhatTheLastUnlockLeft) {
    DevicePtr<IDirect3DVertexBuffer8> vertices;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenFvf, D3DPOOL_MANAGED,
                                         vertices.ReleaseAndGetAddressOf()),
              D3D_OK);
    const auto fill = [&](D3DCOLOR colour, UINT firstVertex, UINT count) {
        BYTE* data = nullptr;
        ASSERT_EQ(vertices->Lock(firstVertex * sizeof(ScreenVertex), count * sizeof(ScreenVertex),
                                 &data, 0),
                  D3D_OK);
        const ScreenVertex quad[4] = {{199.5f, 149.5f, 0.5f, 1.0f, colour, 0, 0},
                                      {599.5f, 149.5f, 0.5f, 1.0f, colour, 0, 0},
                                      {599.5f, 449.5f, 0.5f, 1.0f, colour, 0, 0},
                                      {199.5f, 449.5f, 0.5f, 1.0f, colour, 0, 0}};
        std::memcpy(data, &quad[firstVertex], count * sizeof(ScreenVertex));
        ASSERT_EQ(vertices->Unlock(), D3D_OK);
    };
    device->SetVertexShader(kScreenFvf);
    device->SetStreamSource(0, vertices.Get(), sizeof(ScreenVertex));

    fill(0xFFFF0000, 0, 4);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, 0xFFFF0000, 0));

    // Relocking the whole buffer, then only a part of it.
    fill(0xFF00FF00, 0, 4);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, 0xFF00FF00, 0));

    fill(0xFF0000FF, 2, 2);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    const auto frame = PresentAndRead();
    // Vertices 0, 1 green and 2, 3 blue: the top row greenest, the bottom row bluest.
    const D3DCOLOR top = frame[152 * kWidth + 400];
    const D3DCOLOR bottom = frame[447 * kWidth + 400];
    EXPECT_GT(Channel(top, 8), 240u);
    EXPECT_GT(Channel(bottom, 0), 240u);
}

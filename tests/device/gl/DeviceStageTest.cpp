// Headless device: the texture stage operations and argument modifiers, and stages chained
// through CURRENT.
#include "device/gl/HeadlessDevice.h"

#include <algorithm>
#include <cmath>

using namespace headless;

namespace {

class DeviceStages : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (device) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            device->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
        }
    }

    // Draws with stage 0 set as given (no texture unless one is bound) and reads the centre.
    std::vector<D3DCOLOR> DrawStage(DWORD colorOp, DWORD colorArg0, DWORD colorArg1,
                                    DWORD colorArg2, DWORD alphaOp, DWORD alphaArg0,
                                    DWORD alphaArg1, DWORD alphaArg2) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
        device->SetTextureStageState(0, D3DTSS_COLORARG0, colorArg0);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, colorArg1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, colorArg2);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG0, alphaArg0);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, alphaArg1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, alphaArg2);
        DrawScreenQuad({200, 150, 600, 450}, kDiffuse);
        return PresentAndRead();
    }

    static constexpr D3DCOLOR kDiffuse = D3DCOLOR_ARGB(0x60, 0x40, 0x80, 0xC0);
    static constexpr D3DCOLOR kFactor = D3DCOLOR_ARGB(0xB0, 0xA0, 0x30, 0x50);
};

struct Rgba {
    double c[4]; // red, green, blue, alpha in 0..1
};

Rgba Split(D3DCOLOR colour) {
    return {{Channel(colour, 16) / 255.0, Channel(colour, 8) / 255.0, Channel(colour, 0) / 255.0,
             Channel(colour, 24) / 255.0}};
}

D3DCOLOR Join(const Rgba& v) {
    const auto byte = [](double x) {
        return static_cast<DWORD>(std::lround(std::clamp(x, 0.0, 1.0) * 255.0));
    };
    return D3DCOLOR_ARGB(byte(v.c[3]), byte(v.c[0]), byte(v.c[1]), byte(v.c[2]));
}

} // namespace

TEST_F(DeviceStages, ColourOperationsFollowTheirFormulas) {
    const Rgba d = Split(kDiffuse);
    const Rgba t = Split(kFactor);
    const double da = d.c[3];
    const double ta = t.c[3];
    // formula(channel) for red, green and blue; alpha stays the diffuse alpha.
    struct Case {
        const char* name;
        DWORD op;
        DWORD arg0, arg1, arg2;
        double (*formula)(double d, double t, double da, double ta);
    } cases[] = {
        {"MODULATE", D3DTOP_MODULATE, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return d * t; }},
        {"MODULATE2X", D3DTOP_MODULATE2X, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return 2 * d * t; }},
        {"MODULATE4X", D3DTOP_MODULATE4X, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return 4 * d * t; }},
        {"ADD", D3DTOP_ADD, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return d + t; }},
        {"ADDSIGNED", D3DTOP_ADDSIGNED, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return d + t - 0.5; }},
        {"ADDSIGNED2X", D3DTOP_ADDSIGNED2X, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return 2 * (d + t - 0.5); }},
        {"SUBTRACT", D3DTOP_SUBTRACT, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return d - t; }},
        {"ADDSMOOTH", D3DTOP_ADDSMOOTH, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return d + t - d * t; }},
        {"BLENDDIFFUSEALPHA", D3DTOP_BLENDDIFFUSEALPHA, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double da, double) { return d * da + t * (1 - da); }},
        {"BLENDFACTORALPHA", D3DTOP_BLENDFACTORALPHA, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double ta) { return d * ta + t * (1 - ta); }},
        {"BLENDCURRENTALPHA (current is diffuse)", D3DTOP_BLENDCURRENTALPHA, 0, D3DTA_TFACTOR,
         D3DTA_DIFFUSE,
         [](double d, double t, double da, double) { return t * da + d * (1 - da); }},
        {"MODULATEALPHA_ADDCOLOR", D3DTOP_MODULATEALPHA_ADDCOLOR, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double da, double) { return d + da * t; }},
        {"MODULATECOLOR_ADDALPHA", D3DTOP_MODULATECOLOR_ADDALPHA, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double da, double) { return d * t + da; }},
        {"MODULATEINVALPHA_ADDCOLOR", D3DTOP_MODULATEINVALPHA_ADDCOLOR, 0, D3DTA_DIFFUSE,
         D3DTA_TFACTOR, [](double d, double t, double da, double) { return (1 - da) * t + d; }},
        {"MODULATEINVCOLOR_ADDALPHA", D3DTOP_MODULATEINVCOLOR_ADDALPHA, 0, D3DTA_DIFFUSE,
         D3DTA_TFACTOR, [](double d, double t, double da, double) { return (1 - d) * t + da; }},
        {"MULTIPLYADD", D3DTOP_MULTIPLYADD, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTA_TFACTOR,
         [](double d, double t, double, double) { return t + d * t; }},
        {"LERP by factor alpha", D3DTOP_LERP, D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE,
         D3DTA_TFACTOR,
         [](double d, double t, double, double ta) { return ta * d + (1 - ta) * t; }},
        {"SELECTARG1 of complement", D3DTOP_SELECTARG1, 0, D3DTA_DIFFUSE | D3DTA_COMPLEMENT, 0,
         [](double d, double, double, double) { return 1 - d; }},
        {"SELECTARG2 of replicated alpha", D3DTOP_SELECTARG2, 0, 0,
         D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE,
         [](double, double, double, double ta) { return ta; }},
    };
    for (const Case& c : cases) {
        Rgba expected = d;
        for (int i = 0; i < 3; ++i) {
            expected.c[i] = c.formula(d.c[i], t.c[i], da, ta);
        }
        const auto frame =
            DrawStage(c.op, c.arg0, c.arg1, c.arg2, D3DTOP_SELECTARG1, 0, D3DTA_DIFFUSE, 0);
        EXPECT_TRUE(AreaIs(frame, {210, 160, 590, 440}, Join(expected), 2)) << c.name;
    }
}

TEST_F(DeviceStages, DotProductGoesToEveryColourChannel) {
    const Rgba d = Split(kDiffuse);
    const Rgba t = Split(kFactor);
    double dot = 0;
    for (int i = 0; i < 3; ++i) {
        dot += (d.c[i] - 0.5) * (t.c[i] - 0.5);
    }
    const double value = std::clamp(4 * dot, 0.0, 1.0);
    const auto frame = DrawStage(D3DTOP_DOTPRODUCT3, 0, D3DTA_DIFFUSE | D3DTA_COMPLEMENT,
                                 D3DTA_TFACTOR, D3DTOP_SELECTARG1, 0, D3DTA_DIFFUSE, 0);
    // The first argument is complemented: (1 − d) − 0.5 = −(d − 0.5).
    const double flipped = std::clamp(-4 * dot, 0.0, 1.0);
    EXPECT_TRUE(
        AreaIs(frame, {210, 160, 590, 440}, Join({{flipped, flipped, flipped, d.c[3]}}), 2));
    const auto plain = DrawStage(D3DTOP_DOTPRODUCT3, 0, D3DTA_DIFFUSE, D3DTA_TFACTOR,
                                 D3DTOP_SELECTARG1, 0, D3DTA_DIFFUSE, 0);
    EXPECT_TRUE(AreaIs(plain, {210, 160, 590, 440}, Join({{value, value, value, d.c[3]}}), 2));
}

TEST_F(DeviceStages, AlphaOperationsWorkOnAlphaAlone) {
    const Rgba d = Split(kDiffuse);
    const Rgba t = Split(kFactor);
    struct Case {
        const char* name;
        DWORD op;
        DWORD arg1, arg2;
        double alpha;
    } cases[] = {
        {"MODULATE", D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_TFACTOR, d.c[3] * t.c[3]},
        {"ADD", D3DTOP_ADD, D3DTA_DIFFUSE, D3DTA_TFACTOR, d.c[3] + t.c[3]},
        {"SUBTRACT", D3DTOP_SUBTRACT, D3DTA_TFACTOR, D3DTA_DIFFUSE, t.c[3] - d.c[3]},
        {"SELECTARG2", D3DTOP_SELECTARG2, D3DTA_DIFFUSE, D3DTA_TFACTOR, t.c[3]},
        {"complement", D3DTOP_SELECTARG1, D3DTA_TFACTOR | D3DTA_COMPLEMENT, 0, 1 - t.c[3]},
    };
    for (const Case& c : cases) {
        const Rgba expected{{t.c[0], t.c[1], t.c[2], c.alpha}};
        const auto frame =
            DrawStage(D3DTOP_SELECTARG1, 0, D3DTA_TFACTOR, 0, c.op, 0, c.arg1, c.arg2);
        EXPECT_TRUE(AreaIs(frame, {210, 160, 590, 440}, Join(expected), 2)) << c.name;
    }
}

TEST_F(DeviceStages, SecondStageReadsCurrentAndItsOwnTexture) {
    // Stage 0 takes the diffuse colour; stage 1 modulates it by its own texture, read with
    // coordinate set 0, and blends by the texture's alpha for the alpha channel.
    const auto texture =
        MakeTexture(4, 4, [](int, int) { return D3DCOLOR_ARGB(0x80, 0xFF, 0x40, 0x80); });
    ASSERT_TRUE(texture);
    device->SetTexture(1, texture.Get());
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_BLENDTEXTUREALPHA);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    DrawScreenQuad({200, 150, 600, 450}, kDiffuse);
    const Rgba d = Split(kDiffuse);
    const Rgba x = Split(D3DCOLOR_ARGB(0x80, 0xFF, 0x40, 0x80));
    const Rgba f = Split(kFactor);
    const Rgba expected{{x.c[0] * d.c[0], x.c[1] * d.c[1], x.c[2] * d.c[2],
                         f.c[3] * x.c[3] + d.c[3] * (1 - x.c[3])}};
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, Join(expected), 2));

    // Disabling stage 1 ends the chain there.
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DrawScreenQuad({200, 150, 600, 450}, kDiffuse);
    EXPECT_TRUE(AreaIs(PresentAndRead(), {210, 160, 590, 440}, kDiffuse, 0));
}

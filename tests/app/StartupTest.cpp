// Startup's device half: the device's creation and the calls that set its global state, as the
// recording device logs them.
#include "app/Demo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/DemoTestSupport.h"

namespace {

class StartupTest : public DemoTest {
protected:
    void SetUp() override {
        DemoTest::SetUp();
        window = std::make_unique<HWND__>();
        demo.window = window.get();
    }

    std::unique_ptr<HWND__> window;
};

// The left-handed projection for a vertical field of view of π/4, aspect 4/3 and planes −100
// and 100: cot(π/8) on the diagonal (over the aspect for x), zf / (zf − zn) = 0.5 and
// −zn · zf / (zf − zn) = 50.
Matrix ExpectedProjection() {
    const float half = 0.7853982f * 0.5f;
    const float cotangent = std::cos(half) / std::sin(half);
    Matrix m;
    m.m[0][0] = cotangent / 1.3333334f;
    m.m[1][1] = cotangent;
    m.m[2][2] = 0.5f;
    m.m[2][3] = 1.0f;
    m.m[3][2] = 50.0f;
    return m;
}

Matrix ExpectedView() {
    Matrix m;
    m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1.0f;
    m.m[3][2] = 3.0f;
    return m;
}

TEST_F(StartupTest, CreatesAFullScreenDeviceOnTheWindow) {
    ASSERT_TRUE(Startup());
    EXPECT_EQ(sdkVersions, std::vector<UINT>{220});
    ASSERT_EQ(createDeviceCalls.size(), 1u);
    const CreateDeviceCall& call = createDeviceCalls[0];
    EXPECT_EQ(call.adapter, 0u);
    EXPECT_EQ(call.type, D3DDEVTYPE_HAL);
    EXPECT_EQ(call.focusWindow, window.get());
    EXPECT_EQ(call.behaviour, 0x20u);

    const D3DPRESENT_PARAMETERS& pp = call.parameters;
    struct Field {
        const char* name;
        std::uint64_t value;
        std::uint64_t expected;
    } fields[] = {
        {"BackBufferWidth", pp.BackBufferWidth, 800},
        {"BackBufferHeight", pp.BackBufferHeight, 600},
        {"BackBufferFormat", pp.BackBufferFormat, 21},
        {"BackBufferCount", pp.BackBufferCount, 0},
        {"MultiSampleType", pp.MultiSampleType, 0},
        {"SwapEffect", pp.SwapEffect, 1},
        {"hDeviceWindow", reinterpret_cast<std::uintptr_t>(pp.hDeviceWindow), 0},
        {"Windowed", static_cast<std::uint64_t>(pp.Windowed), 0},
        {"EnableAutoDepthStencil", static_cast<std::uint64_t>(pp.EnableAutoDepthStencil), 1},
        {"AutoDepthStencilFormat", pp.AutoDepthStencilFormat, 80},
        {"Flags", pp.Flags, 0},
        {"FullScreen_RefreshRateInHz", pp.FullScreen_RefreshRateInHz, 0},
        {"FullScreen_PresentationInterval", pp.FullScreen_PresentationInterval, 0},
    };
    for (const Field& field : fields) {
        EXPECT_EQ(field.value, field.expected) << field.name;
    }
    EXPECT_TRUE(demo.direct3D);
    EXPECT_EQ(demo.device.Get(), device.Get());
}

TEST_F(StartupTest, SetsTheCursorTransformsAndStatesInTheWrittenOrder) {
    ASSERT_TRUE(Startup());
    ASSERT_NE(Recorder(), nullptr);

    struct Expected {
        std::string method;
        RecordedArgs args;
    };
    const std::vector<Expected> expected = {
        {"ShowCursor", {0}},
        {"SetCursorPosition", {400u, 300u, 1u}},
        {"SetTransform", {D3DTS_PROJECTION, ExpectedProjection()}},
        {"SetRenderState", {D3DRS_CULLMODE, 1u}},
        {"SetRenderState", {D3DRS_LIGHTING, 1u}},
        {"SetRenderState", {D3DRS_DITHERENABLE, 1u}},
        {"SetRenderState", {D3DRS_FILLMODE, 3u}},
        {"SetRenderState", {D3DRS_SHADEMODE, 2u}},
        {"SetTextureStageState", {0u, D3DTSS_COLOROP, 4u}},
        {"SetTextureStageState", {0u, D3DTSS_COLORARG1, 2u}},
        {"SetTextureStageState", {0u, D3DTSS_COLORARG2, 0u}},
        {"SetTextureStageState", {0u, D3DTSS_MIPFILTER, 3u}},
        {"SetTextureStageState", {0u, D3DTSS_MAGFILTER, 3u}},
        {"SetTextureStageState", {0u, D3DTSS_MINFILTER, 3u}},
        {"SetTextureStageState", {0u, D3DTSS_MAXANISOTROPY, 4u}},
        {"SetTextureStageState", {0u, D3DTSS_ALPHAOP, 1u}},
        {"SetTransform", {D3DTS_VIEW, ExpectedView()}},
    };
    const std::vector<RecordedCall>& calls = Recorder()->Calls();
    ASSERT_EQ(calls.size(), expected.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE("call " + std::to_string(i) + ": " + calls[i].ToString());
        EXPECT_EQ(calls[i].method, expected[i].method);
        EXPECT_EQ(calls[i].args, expected[i].args);
    }
}

TEST_F(StartupTest, HidesTheMouseCursor) {
    // A cursor showing before start-up.
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ASSERT_TRUE(Startup());
    EXPECT_EQ(windows.Cursor(), nullptr);
    ASSERT_FALSE(display.cursorShown.empty());
    EXPECT_FALSE(display.cursorShown.back());
}

} // namespace

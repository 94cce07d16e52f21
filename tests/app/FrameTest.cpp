// Frame for now: the clock drives the schedule entry, the scene is begun, ended and presented,
// and the final entry asks for the quit.
#include "app/Demo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DemoTestSupport.h"

namespace {

class FrameTest : public DemoTest {
protected:
    void SetUp() override {
        DemoTest::SetUp();
        window = std::make_unique<HWND__>();
        demo.window = window.get();
        ASSERT_TRUE(Startup());
        Recorder()->ClearCalls();
    }

    std::unique_ptr<HWND__> window;
};

TEST_F(FrameTest, TheClockSelectsTheEntryOfEveryFrame) {
    // The first frame reads the counter twice (the start, then now); each later frame once.
    // Demo time is (now − start) / 10 with start 5000 ms.
    readings = {5000, 5000, 12500, 12510, 20500, 20510, 28010, 118500, 166000, 166010};
    struct Case {
        std::uint32_t demoTime;
        int entry;
    } cases[] = {
        {0, 0},     {750, 0},    {751, 1},    {1550, 1},   {1551, 2},
        {2301, 18}, {11350, 18}, {16100, 21}, {16101, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.demoTime);
        Frame();
        EXPECT_EQ(demo.clock.clockStart, 5000u);
        EXPECT_EQ(demo.clock.demoTime, c.demoTime);
        EXPECT_EQ(demo.currentEntry, c.entry);
        EXPECT_EQ(windows.QuitRequested(), c.entry == 22);
    }
}

TEST_F(FrameTest, BeginsEndsAndPresentsTheScene) {
    Frame();
    const std::vector<RecordedCall>& calls = Recorder()->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].method, "BeginScene");
    EXPECT_EQ(calls[1].method, "EndScene");
    EXPECT_EQ(calls[2].method, "Present");
    EXPECT_EQ(calls[2].args, (RecordedArgs{nullptr, nullptr, nullptr, nullptr}));
    EXPECT_EQ(calls[2].result, D3D_OK);
}

} // namespace

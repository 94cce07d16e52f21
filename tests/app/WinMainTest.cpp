// WinMain from the window class to the teardown, on a scripted display and the recording device.
#include "app/Demo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/DemoTestSupport.h"

namespace {

using WinMainTest = DemoTest;

int RunWinMain() {
    return WinMain(nullptr, nullptr, nullptr, 0);
}

// The trace from the last Present on.
std::vector<std::string> AfterLastPresent() {
    const std::vector<std::string>& trace = Trace();
    const auto last = std::find(trace.rbegin(), trace.rend(), "Present");
    return std::vector<std::string>(last.base(), trace.end());
}

TEST_F(WinMainTest, OpensOneWindowTitledDemoAndCreatesTheDeviceOnIt) {
    display.script[1] = {ScriptedDisplay::Key(VK_ESCAPE)};
    ASSERT_EQ(RunWinMain(), 0);

    EXPECT_EQ(display.openedTitles, std::vector<std::string>{"Demo"});
    ASSERT_EQ(createDeviceCalls.size(), 1u);
    ASSERT_NE(createDeviceCalls[0].focusWindow, nullptr);
    EXPECT_EQ(sdkVersions, std::vector<UINT>{220});
    EXPECT_EQ(musicWindows, std::vector<HWND>{createDeviceCalls[0].focusWindow});
}

TEST_F(WinMainTest, LoadsAndPlaysTheMusicBeforeTheFirstFrame) {
    display.script[1] = {ScriptedDisplay::Key(VK_ESCAPE)};
    ASSERT_EQ(RunWinMain(), 0);

    const std::vector<std::string>& trace = Trace();
    const std::vector<std::string> start(trace.begin(), trace.begin() + 4);
    EXPECT_EQ(start, (std::vector<std::string>{"BASS_Init", "BASS_StreamCreateFile data\\demo.mp3",
                                               "BASS_StreamPlay", "Present"}));
}

// The passes the loop makes for input given at certain polls; each pass polls once and presents
// once, so both count passes.
TEST_F(WinMainTest, EachPassHandlesAtMostOneMessageAndTheQuitPassStillDraws) {
    struct Case {
        const char* name;
        std::map<int, std::vector<DisplayEvent>> script;
        int passes;
        bool windowClosed;
    } cases[] = {
        // Esc dispatched in pass 1; WM_QUIT retrieved in pass 2, which still draws.
        {"Esc", {{1, {ScriptedDisplay::Key(VK_ESCAPE)}}}, 2, false},
        // WM_CLOSE in pass 1 destroys the window, whose WM_DESTROY posts the quit.
        {"close", {{1, {ScriptedDisplay::Close()}}}, 2, true},
        // Three key presses at once still take three passes.
        {"three keys",
         {{1,
           {ScriptedDisplay::Key('A'), ScriptedDisplay::Key('B'),
            ScriptedDisplay::Key(VK_ESCAPE)}}},
         4,
         false},
        {"Esc later", {{3, {ScriptedDisplay::Key(VK_ESCAPE)}}}, 4, false},
        // A key queued behind Esc is still dispatched before WM_QUIT comes.
        {"key behind Esc",
         {{1, {ScriptedDisplay::Key(VK_ESCAPE), ScriptedDisplay::Key(VK_SPACE)}}},
         3,
         false},
        // The mouse is answered at once and takes no pass of its own.
        {"mouse then Esc",
         {{1, {ScriptedDisplay::CursorOver()}}, {2, {ScriptedDisplay::Key(VK_ESCAPE)}}},
         3,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDisplay caseDisplay;
        WindowSystem caseWindows(caseDisplay);
        WindowSystemScope caseScope(caseWindows);
        Restart();
        caseDisplay.script = c.script;

        ASSERT_EQ(RunWinMain(), 0);
        EXPECT_EQ(caseDisplay.polls, c.passes);
        EXPECT_EQ(Presents(), static_cast<UINT>(c.passes));
        // Nothing was left in the queue: every message taken out was dispatched.
        EXPECT_EQ(caseWindows.QueuedMessageCount(), 0u);
        EXPECT_EQ(caseDisplay.closed.size(), c.windowClosed ? 1u : 0u);
        EXPECT_EQ(caseWindows.Cursor(), nullptr);
    }
}

TEST_F(WinMainTest, TheFinalEntryEndsTheDemoAfterThePassThatRetrievesTheQuit) {
    // Pass 1 at demo time 0, pass 2 at 16101 posts the quit, pass 3 retrieves it and draws.
    readings = {5000, 5000, 5000 + 161010};
    ASSERT_EQ(RunWinMain(), 0);
    EXPECT_EQ(display.polls, 3);
    EXPECT_EQ(Presents(), 3u);
}

TEST_F(WinMainTest, TearsDownAfterTheLastFrameInTheWrittenOrder) {
    display.script[1] = {ScriptedDisplay::Key(VK_ESCAPE)};
    ASSERT_EQ(RunWinMain(), 0);

    // The music player's Stop, its destructor (which frees the library once more), then the
    // device and the Direct3D object.
    EXPECT_EQ(AfterLastPresent(),
              (std::vector<std::string>{"BASS_Free", "music player destroyed", "BASS_Free",
                                        "device released", "Direct3D released"}));
    EXPECT_EQ(demo.musicPlayer, nullptr);
    EXPECT_FALSE(demo.device);
    EXPECT_FALSE(demo.direct3D);
}

TEST_F(WinMainTest, StartupFailuresShowTheirMessageBoxAndEndWithoutMusicOrFrames) {
    struct Case {
        const char* name;
        bool failDirect3D;
        bool failDevice;
        const char* text;
        std::vector<std::string> trace;
    } cases[] = {
        {"no Direct3D object", true, false, "Cannot init DirectX 9.0 !", {}},
        {"no device", false, true, "Cannot create DirectX device !", {"Direct3D released"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDisplay caseDisplay;
        WindowSystem caseWindows(caseDisplay);
        WindowSystemScope caseScope(caseWindows);
        Restart();
        failDirect3D = c.failDirect3D;
        failDevice = c.failDevice;

        EXPECT_NE(RunWinMain(), 0);
        ASSERT_EQ(caseDisplay.messageBoxes.size(), 1u);
        EXPECT_EQ(caseDisplay.messageBoxes[0].owner, nullptr);
        EXPECT_EQ(caseDisplay.messageBoxes[0].text, c.text);
        EXPECT_EQ(caseDisplay.messageBoxes[0].caption, "Error!");
        EXPECT_EQ(caseDisplay.messageBoxes[0].type, MB_OK);
        EXPECT_EQ(Trace(), c.trace);
        EXPECT_TRUE(musicWindows.empty());
        EXPECT_EQ(caseDisplay.polls, 0);
        EXPECT_FALSE(demo.device);
        EXPECT_FALSE(demo.direct3D);
    }
}

TEST_F(WinMainTest, WithoutAWindowTheDeviceCannotBeCreated) {
    display.canOpenWindows = false;
    EXPECT_NE(RunWinMain(), 0);
    ASSERT_EQ(createDeviceCalls.size(), 1u);
    EXPECT_EQ(createDeviceCalls[0].focusWindow, nullptr);
    ASSERT_EQ(display.messageBoxes.size(), 1u);
    EXPECT_EQ(display.messageBoxes[0].text, "Cannot create DirectX device !");
}

TEST_F(WinMainTest, ATakenWindowClassEndsAtOnceWithMinusOne) {
    WNDCLASSEXA taken{};
    taken.cbSize = sizeof(WNDCLASSEXA);
    taken.lpfnWndProc = DefWindowProcA;
    taken.lpszClassName = "Demo";
    ASSERT_NE(RegisterClassExA(&taken), 0);

    EXPECT_EQ(RunWinMain(), -1);
    EXPECT_TRUE(display.openedTitles.empty());
    EXPECT_TRUE(sdkVersions.empty());
    EXPECT_TRUE(display.messageBoxes.empty());
}

} // namespace

// The message loop: one message per pass, each one dispatched, a frame after every pass, and the
// end after the pass that retrieves WM_QUIT.
#include "app/Demo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedDisplay.h"
#include "platform/WindowSystem.h"

namespace {

std::vector<std::string> trace;

LRESULT TracingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN) {
        trace.push_back(std::string("key ") + static_cast<char>(wParam));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MessageLoop, DispatchesOneMessagePerPassAndDrawsTheQuitPass) {
    trace.clear();
    ScriptedDisplay display;
    WindowSystem windows(display);
    WindowSystemScope scope(windows);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.lpfnWndProc = TracingProcedure;
    windowClass.lpszClassName = "Traced";
    ASSERT_NE(RegisterClassExA(&windowClass), 0);
    const HWND window = CreateWindowExA(0, "Traced", "Traced", 0, 0, 0, 800, 600, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_KEYDOWN, 'A', 1);
    PostMessageA(window, WM_KEYDOWN, 'B', 1);

    int frames = 0;
    RunMessageLoop([&] {
        ++frames;
        trace.push_back("frame " + std::to_string(frames));
        if (frames == 2) {
            // The quit waits for the message queued after it.
            PostQuitMessage(3);
            PostMessageA(window, WM_KEYDOWN, 'C', 1);
        }
        ASSERT_LT(frames, 10) << "the loop does not end";
    });

    EXPECT_EQ(trace, (std::vector<std::string>{"key A", "frame 1", "key B", "frame 2", "key C",
                                               "frame 3", "frame 4"}));
    EXPECT_EQ(windows.QueuedMessageCount(), 0u);
    EXPECT_FALSE(windows.QuitRequested());
}

TEST(MessageLoop, PassesWithoutMessagesStillDrawAFrame) {
    ScriptedDisplay display;
    WindowSystem windows(display);
    WindowSystemScope scope(windows);
    int frames = 0;
    RunMessageLoop([&] {
        ++frames;
        if (frames == 5) {
            PostQuitMessage(0);
        }
        ASSERT_LT(frames, 10) << "the loop does not end";
    });
    // Passes 1 to 5 find nothing; pass 6 retrieves the quit and still draws.
    EXPECT_EQ(frames, 6);
    EXPECT_EQ(display.polls, 6);
}

} // namespace

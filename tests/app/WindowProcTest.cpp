// WindowProc's three messages, and everything else left to DefWindowProc.
#include "app/Demo.h"

#include <gtest/gtest.h>

#include "platform/ScriptedDisplay.h"
#include "platform/WindowSystem.h"

namespace {

TEST(WindowProc, HandlesDestroySetCursorAndEscapeAndPassesTheRestOn) {
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    struct Case {
        const char* name;
        UINT message;
        WPARAM wParam;
        LRESULT result;
        bool quits;
        bool cursorHidden;
        bool windowDestroyed;
    } cases[] = {
        {"WM_DESTROY", WM_DESTROY, 0, 0, true, false, false},
        // DefWindowProc would put the class's arrow back.
        {"WM_SETCURSOR", WM_SETCURSOR, 0, 1, false, true, false},
        {"Esc", WM_KEYDOWN, VK_ESCAPE, 0, true, false, false},
        {"another key", WM_KEYDOWN, 'A', 0, false, false, false},
        {"Return", WM_KEYDOWN, VK_RETURN, 0, false, false, false},
        {"Esc as a character", WM_CHAR, 27, 0, false, false, false},
        // DefWindowProc destroys the window, and its WM_DESTROY quits.
        {"WM_CLOSE", WM_CLOSE, 0, 0, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDisplay display;
        WindowSystem windows(display);
        WindowSystemScope scope(windows);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(WNDCLASSEXA);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hCursor = arrow;
        windowClass.lpszClassName = "Demo";
        ASSERT_NE(RegisterClassExA(&windowClass), 0);
        const HWND window = CreateWindowExA(0, "Demo", "Demo", WS_POPUP | WS_VISIBLE, 0, 0, 800,
                                            600, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SetCursor(arrow);

        const WPARAM wParam =
            c.message == WM_SETCURSOR ? reinterpret_cast<WPARAM>(window) : c.wParam;
        const LPARAM lParam = c.message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : 0;
        EXPECT_EQ(WindowProc(window, c.message, wParam, lParam), c.result);

        MSG msg{};
        const BOOL quit = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        EXPECT_EQ(quit != FALSE, c.quits);
        if (c.quits) {
            EXPECT_EQ(msg.message, WM_QUIT);
            EXPECT_EQ(msg.wParam, 0u);
        }
        EXPECT_EQ(windows.Cursor(), c.cursorHidden ? nullptr : arrow);
        EXPECT_EQ(windows.IsWindow(window), !c.windowDestroyed);
    }
}

} // namespace

// The window system's Win32 rules: classes, windows, the queue, the quit, the display's input,
// the cursor and the message box, all without a screen.
#include "platform/WindowSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedDisplay.h"

namespace {

struct Delivered {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    friend bool operator==(const Delivered&, const Delivered&) = default;
};

// What the procedures below were called with, in order.
std::vector<Delivered> delivered;

// Records and answers 42, leaving nothing to DefWindowProc.
LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    delivered.push_back({window, message, wParam, lParam});
    return 42;
}

// Records and passes everything to DefWindowProc.
LRESULT DefaultingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    delivered.push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowSystemTest : public testing::Test {
protected:
    void SetUp() override { delivered.clear(); }

    HWND MakeWindow(WNDPROC procedure, const char* className = "Test", HCURSOR cursor = nullptr) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(WNDCLASSEXA);
        windowClass.lpfnWndProc = procedure;
        windowClass.hCursor = cursor;
        windowClass.lpszClassName = className;
        RegisterClassExA(&windowClass);
        return CreateWindowExA(0, className, "Title", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                               nullptr, nullptr, nullptr, nullptr);
    }

    ScriptedDisplay display;
    WindowSystem windows{display};
    WindowSystemScope scope{windows};
};

TEST_F(WindowSystemTest, PeekWithRemoveTakesOneMessageAtATimeOldestFirst) {
    const HWND window = MakeWindow(RecordingProcedure);
    ASSERT_NE(window, nullptr);
    for (WPARAM key : {WPARAM{'A'}, WPARAM{'B'}, WPARAM{'C'}}) {
        ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, key, 1));
    }
    for (WPARAM key : {WPARAM{'A'}, WPARAM{'B'}, WPARAM{'C'}}) {
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.hwnd, window);
        EXPECT_EQ(msg.message, WM_KEYDOWN);
        EXPECT_EQ(msg.wParam, key);
        EXPECT_EQ(msg.lParam, 1);
        EXPECT_EQ(windows.QueuedMessageCount(), static_cast<std::size_t>('C' - key));
    }
    MSG untouched{window, 7, 8, 9};
    EXPECT_FALSE(PeekMessageA(&untouched, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(untouched.message, 7u);
    // Peeking dispatches nothing.
    EXPECT_TRUE(delivered.empty());
}

TEST_F(WindowSystemTest, PeekWithoutRemoveLeavesTheMessageQueued) {
    const HWND window = MakeWindow(RecordingProcedure);
    PostMessageA(window, WM_KEYDOWN, 'A', 1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(windows.QueuedMessageCount(), 1u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(windows.QueuedMessageCount(), 0u);
}

TEST_F(WindowSystemTest, QuitComesAfterTheQueuedMessagesWithItsExitCodeAndOnlyOnce) {
    const HWND window = MakeWindow(RecordingProcedure);
    PostMessageA(window, WM_KEYDOWN, 'A', 1);
    PostQuitMessage(7);
    PostMessageA(window, WM_KEYDOWN, 'B', 1);

    std::vector<UINT> retrieved;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        retrieved.push_back(msg.message);
        ASSERT_LT(retrieved.size(), 10u);
    }
    EXPECT_EQ(retrieved, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_QUIT}));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(windows.QuitRequested());
}

TEST_F(WindowSystemTest, FiltersSelectByWindowAndByMessageRange) {
    const HWND first = MakeWindow(RecordingProcedure, "First");
    const HWND second = MakeWindow(RecordingProcedure, "Second");
    PostMessageA(first, WM_KEYDOWN, 'A', 1);
    PostMessageA(second, WM_CHAR, 'b', 1);
    PostQuitMessage(0);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CHAR);
    // A window filter never gives WM_QUIT, and a range without WM_KEYDOWN skips it.
    EXPECT_FALSE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, first);
}

TEST_F(WindowSystemTest, DispatchCallsTheProcedureOfTheMessageWindow) {
    const HWND window = MakeWindow(RecordingProcedure);
    const MSG key{window, WM_KEYDOWN, 'Q', 5};
    EXPECT_EQ(DispatchMessageA(&key), 42);
    const MSG quit{nullptr, WM_QUIT, 0, 0};
    EXPECT_EQ(DispatchMessageA(&quit), 0);
    HWND__ stranger;
    const MSG lost{&stranger, WM_KEYDOWN, 'Q', 5};
    EXPECT_EQ(DispatchMessageA(&lost), 0);
    EXPECT_EQ(delivered, (std::vector<Delivered>{{window, WM_KEYDOWN, 'Q', 5}}));
    EXPECT_FALSE(TranslateMessage(&key));
}

TEST_F(WindowSystemTest, DisplayInputBecomesMessagesForItsWindow) {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Case {
        const char* name;
        DisplayEvent event;
        // Queued for the next PeekMessage, or sent to the procedure during it.
        std::vector<Message> queued;
        std::vector<Message> sent;
    } cases[] = {
        {"Esc", ScriptedDisplay::Key(VK_ESCAPE), {{WM_KEYDOWN, 0x1B, 1}}, {}},
        {"held key",
         {DisplayEvent::Kind::KeyDown, nullptr, 'A', true},
         {{WM_KEYDOWN, 'A', 0x40000001}},
         {}},
        {"close", ScriptedDisplay::Close(), {{WM_CLOSE, 0, 0}}, {}},
        // The window handle goes in wParam; it is checked apart.
        {"mouse", ScriptedDisplay::CursorOver(), {}, {{WM_SETCURSOR, 0, 0x02000001}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDisplay caseDisplay;
        WindowSystem caseWindows(caseDisplay);
        WindowSystemScope caseScope(caseWindows);
        delivered.clear();
        const HWND window = MakeWindow(RecordingProcedure);
        caseDisplay.script[1] = {c.event};

        MSG msg{};
        std::vector<MSG> queued;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            queued.push_back(msg);
            ASSERT_LT(queued.size(), 10u);
        }
        ASSERT_EQ(queued.size(), c.queued.size());
        for (std::size_t i = 0; i < queued.size(); ++i) {
            EXPECT_EQ(queued[i].hwnd, window);
            EXPECT_EQ(queued[i].message, c.queued[i].message);
            EXPECT_EQ(queued[i].wParam, c.queued[i].wParam);
            EXPECT_EQ(queued[i].lParam, c.queued[i].lParam);
        }
        ASSERT_EQ(delivered.size(), c.sent.size());
        for (std::size_t i = 0; i < delivered.size(); ++i) {
            EXPECT_EQ(delivered[i].window, window);
            EXPECT_EQ(delivered[i].message, c.sent[i].message);
            EXPECT_EQ(delivered[i].wParam, reinterpret_cast<WPARAM>(window));
            EXPECT_EQ(delivered[i].lParam, c.sent[i].lParam);
        }
    }
}

TEST_F(WindowSystemTest, InputForAWindowThatIsGoneIsDropped) {
    const HWND window = MakeWindow(RecordingProcedure);
    HWND__ stranger;
    display.script[1] = {ScriptedDisplay::Key(VK_ESCAPE, &stranger),
                         ScriptedDisplay::CursorOver(&stranger)};
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(DestroyWindow(window));
    display.script[2] = {ScriptedDisplay::Close(window)};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(window, WM_KEYDOWN, 'A', 1));
}

TEST_F(WindowSystemTest, TheCloseCommandDestroysTheWindowThroughDefWindowProc) {
    const HWND window = MakeWindow(DefaultingProcedure);
    // A message queued before the close goes with the window.
    display.script[1] = {ScriptedDisplay::Close(window)};
    PostMessageA(window, WM_KEYDOWN, 'A', 1);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    PostMessageA(window, WM_KEYDOWN, 'B', 1);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(DispatchMessageA(&msg), 0);

    EXPECT_EQ(delivered,
              (std::vector<Delivered>{{window, WM_CLOSE, 0, 0}, {window, WM_DESTROY, 0, 0}}));
    EXPECT_EQ(display.closed, std::vector<HWND>{window});
    EXPECT_FALSE(windows.IsWindow(window));
    EXPECT_EQ(windows.QueuedMessageCount(), 0u);
    EXPECT_FALSE(DestroyWindow(window));
    // Nothing asked for the quit: that is the window procedure's part.
    EXPECT_FALSE(windows.QuitRequested());
}

TEST_F(WindowSystemTest, DefWindowProcPutsTheClassCursorAndSetCursorHidesIt) {
    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    const HWND window = MakeWindow(DefaultingProcedure, "Test", arrow);
    EXPECT_EQ(windows.Cursor(), nullptr);

    EXPECT_EQ(DefWindowProcA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(windows.Cursor(), arrow);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(windows.Cursor(), nullptr);
    EXPECT_EQ(display.cursorShown, (std::vector<bool>{true, false}));
    EXPECT_EQ(DefWindowProcA(window, WM_KEYDOWN, VK_ESCAPE, 1), 0);
    EXPECT_FALSE(windows.QuitRequested());
}

TEST_F(WindowSystemTest, RegistrationRefusesIncompleteOrRepeatedClasses) {
    WNDCLASSEXA good{};
    good.cbSize = sizeof(WNDCLASSEXA);
    good.lpfnWndProc = RecordingProcedure;
    good.lpszClassName = "Good";
    struct Case {
        const char* name;
        WNDCLASSEXA windowClass;
        bool registers;
    } cases[] = {
        {"complete", good, true},
        {"the same name again", good, false},
        {"wrong size",
         [&] {
             auto c = good;
             c.cbSize = 48;
             c.lpszClassName = "Other";
             return c;
         }(),
         false},
        {"no procedure",
         [&] {
             auto c = good;
             c.lpfnWndProc = nullptr;
             c.lpszClassName = "Other";
             return c;
         }(),
         false},
        {"no name",
         [&] {
             auto c = good;
             c.lpszClassName = nullptr;
             return c;
         }(),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RegisterClassExA(&c.windowClass) != 0, c.registers);
    }
    EXPECT_EQ(CreateWindowExA(0, "Other", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_TRUE(display.openedTitles.empty());
}

TEST_F(WindowSystemTest, WindowsOpenOnTheDisplayWithTheirTitle) {
    const HWND window = MakeWindow(RecordingProcedure);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(windows.IsWindow(window));
    EXPECT_EQ(display.openedTitles, std::vector<std::string>{"Title"});

    display.canOpenWindows = false;
    EXPECT_EQ(
        CreateWindowExA(0, "Test", "Second", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
}

TEST_F(WindowSystemTest, MessageBoxesGoToTheDisplayAndAnswerOk) {
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK);
    ASSERT_EQ(display.messageBoxes.size(), 1u);
    EXPECT_EQ(display.messageBoxes[0].owner, nullptr);
    EXPECT_EQ(display.messageBoxes[0].text, "text");
    EXPECT_EQ(display.messageBoxes[0].caption, "caption");
    EXPECT_EQ(display.messageBoxes[0].type, MB_OK);
}

TEST_F(WindowSystemTest, ScopesInstallAndRestoreTheCurrentWindowSystem) {
    EXPECT_EQ(&CurrentWindowSystem(), &windows);
    {
        ScriptedDisplay otherDisplay;
        otherDisplay.available = false;
        WindowSystem other(otherDisplay);
        WindowSystemScope inner(other);
        EXPECT_EQ(&CurrentWindowSystem(), &other);
        EXPECT_FALSE(IsDisplayAvailable());
        PostQuitMessage(0);
        EXPECT_TRUE(other.QuitRequested());
        EXPECT_FALSE(windows.QuitRequested());
    }
    EXPECT_EQ(&CurrentWindowSystem(), &windows);
    EXPECT_TRUE(IsDisplayAvailable());
}

} // namespace

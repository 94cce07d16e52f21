// The state behind the Win32 calls: window classes, windows, the message queue, the quit request
// and the cursor, over a Display that is SDL's in the program and a scripted one in tests.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32.h"

// One piece of input from the display, for a window it opened.
struct DisplayEvent {
    enum class Kind {
        KeyDown,    // `virtualKey` pressed; `repeat` when held down
        Close,      // the window's close command (its close button, the window manager, a signal)
        CursorOver, // the mouse moved over the window
    };
    Kind kind = Kind::KeyDown;
    HWND window = nullptr;
    WPARAM virtualKey = 0;
    bool repeat = false;
};

// What the window system needs from the screen.
class Display {
public:
    virtual ~Display() = default;

    // Whether windows can be opened at all.
    virtual bool Available() = 0;
    // A shown full-screen window of the desktop's size with `title`, or null when none can be
    // opened. The handle stays valid, also after CloseWindow, for as long as the display lives,
    // so that a device created on it never presents into a freed window.
    virtual HWND OpenWindow(const char* title) = 0;
    // Takes the window off the screen; it sends no more events.
    virtual void CloseWindow(HWND window) = 0;
    // Appends the input that arrived since the last call, oldest first.
    virtual void PollEvents(std::vector<DisplayEvent>& events) = 0;
    // Shows or hides the mouse cursor over the display's windows.
    virtual void ShowCursor(bool visible) = 0;
    // Shows the message box and returns when it is dismissed.
    virtual void ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) = 0;
};

// Win32's window manager and message queue for one thread, with Win32's rules for the messages
// the program uses. Owns its window records; the windows themselves belong to the display.
class WindowSystem {
public:
    explicit WindowSystem(Display& display);
    ~WindowSystem();

    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    // The Win32 calls of the same names (see Win32.h).
    ATOM RegisterClassEx(const WNDCLASSEXA& windowClass);
    HWND CreateWindowEx(const char* className, const char* windowName);
    BOOL DestroyWindow(HWND window);
    BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
    LRESULT DispatchMessage(const MSG& msg);
    BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuitMessage(int exitCode);
    LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HCURSOR SetCursor(HCURSOR cursor);
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type);
    bool DisplayAvailable() { return display.Available(); }

    // The cursor set last; null (hidden) at the start, as the display's windows open with the
    // cursor hidden.
    HCURSOR Cursor() const { return cursor; }
    // Whether `window` was created here and not destroyed since.
    bool IsWindow(HWND window) const;
    // Messages queued and not yet retrieved, WM_QUIT not counted.
    std::size_t QueuedMessageCount() const { return queue.size(); }
    bool QuitRequested() const { return quitRequested; }

private:
    struct WindowClass {
        std::string name;
        WNDPROC procedure;
        HCURSOR cursor;
    };
    struct WindowRecord {
        HWND handle;
        WNDPROC procedure;
        HCURSOR classCursor;
        bool destroyed;
    };

    WindowRecord* Find(HWND window);
    const WindowRecord* Find(HWND window) const;
    // Turns the display's pending input into messages.
    void Pump();

    Display& display;
    std::vector<WindowClass> classes;
    std::vector<WindowRecord> windows;
    std::deque<MSG> queue;
    bool quitRequested = false;
    int quitCode = 0;
    HCURSOR cursor = nullptr;
    std::vector<DisplayEvent> pending;
};

// The window system the Win32 calls use: the one installed last by a WindowSystemScope that is
// still alive, otherwise a process-wide one over SDL made on first use.
WindowSystem& CurrentWindowSystem();

// Makes a window system current for its lifetime, then puts the previous one back.
class WindowSystemScope {
public:
    explicit WindowSystemScope(WindowSystem& system);
    ~WindowSystemScope();

    WindowSystemScope(const WindowSystemScope&) = delete;
    WindowSystemScope& operator=(const WindowSystemScope&) = delete;

private:
    WindowSystem* previous;
};

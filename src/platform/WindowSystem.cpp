// Window classes, windows and the message queue with Win32's rules, and the Win32 calls over the
// current window system.
#include "platform/WindowSystem.h"

#include <algorithm>
#include <chrono>

#include "platform/SdlDisplay.h"

namespace {

WindowSystem* installed = nullptr;

struct StockObject {
    int id;
};
StockObject blackBrush{BLACK_BRUSH};

} // namespace

// The system arrow: a handle that only needs to be distinct from null.
struct HCURSOR__ {
    int id;
};
static HCURSOR__ arrowCursor{32512};

WindowSystem::WindowSystem(Display& display) : display(display) {}

WindowSystem::~WindowSystem() = default;

WindowSystem::WindowRecord* WindowSystem::Find(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    for (WindowRecord& record : windows) {
        if (record.handle == window && !record.destroyed) {
            return &record;
        }
    }
    return nullptr;
}

const WindowSystem::WindowRecord* WindowSystem::Find(HWND window) const {
    return const_cast<WindowSystem*>(this)->Find(window);
}

bool WindowSystem::IsWindow(HWND window) const {
    return Find(window) != nullptr;
}

ATOM WindowSystem::RegisterClassEx(const WNDCLASSEXA& windowClass) {
    if (windowClass.cbSize != sizeof(WNDCLASSEXA) || windowClass.lpfnWndProc == nullptr ||
        windowClass.lpszClassName == nullptr) {
        return 0;
    }
    const std::string name = windowClass.lpszClassName;
    for (const WindowClass& known : classes) {
        if (known.name == name) {
            return 0;
        }
    }
    classes.push_back({name, windowClass.lpfnWndProc, windowClass.hCursor});
    // Atoms of registered classes start at 0xC000.
    return static_cast<ATOM>(0xC000 + classes.size() - 1);
}

HWND WindowSystem::CreateWindowEx(const char* className, const char* windowName) {
    if (className == nullptr) {
        return nullptr;
    }
    const auto known = std::find_if(classes.begin(), classes.end(),
                                    [&](const WindowClass& c) { return c.name == className; });
    if (known == classes.end()) {
        return nullptr;
    }
    HWND handle = display.OpenWindow(windowName != nullptr ? windowName : "");
    if (handle == nullptr) {
        return nullptr;
    }
    windows.push_back({handle, known->procedure, known->cursor, false});
    return handle;
}

BOOL WindowSystem::DestroyWindow(HWND window) {
    WindowRecord* record = Find(window);
    if (record == nullptr) {
        return FALSE;
    }
    // As on Win32: off the screen first, then WM_DESTROY, and the window's messages go with it.
    display.CloseWindow(window);
    const WNDPROC procedure = record->procedure;
    procedure(window, WM_DESTROY, 0, 0);
    // The procedure may have created or destroyed windows, so the record is looked up again.
    if (WindowRecord* current = Find(window)) {
        current->destroyed = true;
    }
    std::erase_if(queue, [window](const MSG& msg) { return msg.hwnd == window; });
    return TRUE;
}

void WindowSystem::Pump() {
    pending.clear();
    display.PollEvents(pending);
    for (const DisplayEvent& event : pending) {
        if (!IsWindow(event.window)) {
            continue;
        }
        switch (event.kind) {
        case DisplayEvent::Kind::KeyDown:
            // lParam: repeat count 1 in bits 0-15, bit 30 set when the key was already down.
            PostMessage(event.window, WM_KEYDOWN, event.virtualKey,
                        static_cast<LPARAM>(1 | (event.repeat ? 1 << 30 : 0)));
            break;
        case DisplayEvent::Kind::Close:
            PostMessage(event.window, WM_CLOSE, 0, 0);
            break;
        case DisplayEvent::Kind::CursorOver:
            // Sent, not queued: Win32 asks for the cursor while it processes the mouse input.
            SendMessage(event.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(event.window),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            break;
        }
    }
}

BOOL WindowSystem::PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax,
                               UINT removeMessage) {
    if (msg == nullptr) {
        return FALSE;
    }
    Pump();
    const bool anyMessage = filterMin == 0 && filterMax == 0;
    const auto wanted = [&](UINT message) {
        return anyMessage || (message >= filterMin && message <= filterMax);
    };
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if ((window == nullptr || it->hwnd == window) && wanted(it->message)) {
            *msg = *it;
            if ((removeMessage & PM_REMOVE) != 0) {
                queue.erase(it);
            }
            return TRUE;
        }
    }
    if (quitRequested && window == nullptr && wanted(WM_QUIT)) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(quitCode), 0};
        if ((removeMessage & PM_REMOVE) != 0) {
            quitRequested = false;
        }
        return TRUE;
    }
    return FALSE;
}

LRESULT WindowSystem::DispatchMessage(const MSG& msg) {
    WindowRecord* record = Find(msg.hwnd);
    if (record == nullptr) {
        return 0;
    }
    return record->procedure(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

BOOL WindowSystem::PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(window)) {
        return FALSE;
    }
    queue.push_back(MSG{window, message, wParam, lParam});
    return TRUE;
}

LRESULT WindowSystem::SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = Find(window);
    if (record == nullptr) {
        return 0;
    }
    return record->procedure(window, message, wParam, lParam);
}

void WindowSystem::PostQuitMessage(int exitCode) {
    quitRequested = true;
    quitCode = exitCode;
}

LRESULT WindowSystem::DefWindowProc(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SETCURSOR:
        if (const WindowRecord* record = Find(window)) {
            SetCursor(record->classCursor);
        }
        return TRUE;
    default:
        return 0;
    }
}

HCURSOR WindowSystem::SetCursor(HCURSOR newCursor) {
    const HCURSOR previous = cursor;
    cursor = newCursor;
    display.ShowCursor(newCursor != nullptr);
    return previous;
}

int WindowSystem::MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    display.ShowMessageBox(owner, text != nullptr ? text : "", caption != nullptr ? caption : "",
                           type);
    return IDOK;
}

WindowSystem& CurrentWindowSystem() {
    if (installed != nullptr) {
        return *installed;
    }
    static SdlDisplay display;
    static WindowSystem system(display);
    return system;
}

WindowSystemScope::WindowSystemScope(WindowSystem& system) : previous(installed) {
    installed = &system;
}

WindowSystemScope::~WindowSystemScope() {
    installed = previous;
}

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    return windowClass != nullptr ? CurrentWindowSystem().RegisterClassEx(*windowClass) : 0;
}

HWND CreateWindowExA(DWORD, const char* className, const char* windowName, DWORD, int, int, int,
                     int, HWND, HMENU, HINSTANCE, void*) {
    return CurrentWindowSystem().CreateWindowEx(className, windowName);
}

BOOL DestroyWindow(HWND window) {
    return CurrentWindowSystem().DestroyWindow(window);
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
    return CurrentWindowSystem().PeekMessage(msg, window, filterMin, filterMax, removeMessage);
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    return msg != nullptr ? CurrentWindowSystem().DispatchMessage(*msg) : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CurrentWindowSystem().PostMessage(window, message, wParam, lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CurrentWindowSystem().SendMessage(window, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
    CurrentWindowSystem().PostQuitMessage(exitCode);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CurrentWindowSystem().DefWindowProc(window, message, wParam, lParam);
}

HCURSOR SetCursor(HCURSOR cursor) {
    return CurrentWindowSystem().SetCursor(cursor);
}

HCURSOR LoadCursorA(HINSTANCE instance, const char* name) {
    return instance == nullptr && name == IDC_ARROW ? &arrowCursor : nullptr;
}

HICON LoadIconA(HINSTANCE, const char*) {
    return nullptr;
}

HGDIOBJ GetStockObject(int object) {
    return object == BLACK_BRUSH ? &blackBrush : nullptr;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    return CurrentWindowSystem().MessageBox(owner, text, caption, type);
}

DWORD timeGetTime() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

HRESULT CoInitialize(void*) {
    return 0;
}

bool IsDisplayAvailable() {
    return CurrentWindowSystem().DisplayAvailable();
}

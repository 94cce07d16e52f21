// The Win32 calls the program makes for its window, messages, cursor, message boxes and clock,
// with their names, arguments and values, carried out by the current WindowSystem.
#pragma once

#include <cstdint>

#include "platform/Window.h"

using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BOOL = int;
using ATOM = std::uint16_t;
using HRESULT = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles the program passes around but never looks into.
typedef struct HINSTANCE__* HINSTANCE;
typedef struct HICON__* HICON;
typedef struct HCURSOR__* HCURSOR;
typedef struct HBRUSH__* HBRUSH;
typedef struct HMENU__* HMENU;
using HGDIOBJ = void*;

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
    HICON hIconSm;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_MOUSEMOVE = 0x0200;

// Virtual-key codes; letters and digits are their upper-case ASCII codes.
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F1 = 0x70;

// WM_SETCURSOR's hit-test code for the client area (low word of lParam).
constexpr WORD HTCLIENT = 1;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr UINT MB_OK = 0x00000000;
constexpr int IDOK = 1;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;

constexpr int BLACK_BRUSH = 4;

// A resource named by number, as MAKEINTRESOURCE makes it.
inline const char* MAKEINTRESOURCEA(WORD id) {
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id));
}
inline const char* const IDC_ARROW = MAKEINTRESOURCEA(32512);

constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// The class's name, procedure and cursor are kept; 0 when the structure size is not
// sizeof(WNDCLASSEXA), the procedure or the name is missing, or the name is taken.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
// A window of a registered class: on a display always full screen at the desktop's size, whatever
// the position, size and style asked for. Null for an unknown class or when the display cannot
// open a window.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
// Takes the window off the screen, sends it WM_DESTROY and drops its queued messages. FALSE for
// a window that does not exist (any more).
BOOL DestroyWindow(HWND window);

// First turns the display's pending input into messages (a key press becomes WM_KEYDOWN, the
// window's close command WM_CLOSE, both queued; the mouse over the window sends WM_SETCURSOR at
// once). Then retrieves the oldest queued message for `window` (null: any) within
// [filterMin, filterMax] (both 0: any), removing it with PM_REMOVE. WM_QUIT comes only when no
// queued message qualifies. FALSE, leaving `msg` alone, when there is none.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);
// Character messages are not made: nothing in the program reads them. Always FALSE.
BOOL TranslateMessage(const MSG* msg);
// Calls the procedure of the message's window and gives its result; 0 and nothing called for a
// message without a (living) window, such as WM_QUIT.
LRESULT DispatchMessageA(const MSG* msg);
// Queues a message for a living window; FALSE otherwise.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window's procedure at once; 0 for a window that does not exist.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Asks for WM_QUIT with wParam `exitCode`, delivered after the messages already queued.
void PostQuitMessage(int exitCode);
// WM_CLOSE destroys the window; WM_SETCURSOR sets the class cursor and gives TRUE; anything else
// gives 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Makes `cursor` the mouse cursor over the program's windows; null hides it. Gives the previous
// one.
HCURSOR SetCursor(HCURSOR cursor);
// The system arrow for IDC_ARROW with no instance; null otherwise.
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
// Null: the program carries no icon resources on this system.
HICON LoadIconA(HINSTANCE instance, const char* name);
// A handle standing for the stock object; null for an unknown one.
HGDIOBJ GetStockObject(int object);

// Shows `text` under `caption` with an OK button and waits for it: a dialog where a display
// exists, a line "caption: text" on stderr otherwise. Gives IDOK.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// Milliseconds of the system's monotonic clock, wrapping at 2^32.
DWORD timeGetTime();

// Nothing on this system needs COM; gives 0 (S_OK).
HRESULT CoInitialize(void* reserved);

// Whether the current window system has a display to open windows on.
bool IsDisplayAvailable();

// The window handle the device is created on: an SDL window with an OpenGL surface, or the
// headless target that renders off screen with no display at all.
#pragma once

#include <memory>

struct SDL_Window;

// What an HWND points at. The headless target has no SDL window.
struct HWND__ {
    SDL_Window* sdlWindow = nullptr;
};
typedef struct HWND__* HWND;

// The process-wide headless target: a device created on it draws into its back buffer only,
// and Present finishes the frame without showing it.
HWND GetHeadlessWindow();

bool IsHeadlessWindow(HWND window);

// A top-level SDL window ready for an OpenGL 3.3 core context. Owns the SDL window and keeps
// SDL's video subsystem initialised while it lives.
class Window {
public:
    // A window of width × height pixels, full screen (the desktop's mode) or not, with the mouse
    // cursor hidden over it. Null when SDL has no video device or the window cannot be made.
    static std::unique_ptr<Window> Create(const char* title, int width, int height,
                                          bool fullScreen);
    ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() { return &handle; }
    SDL_Window* Sdl() const { return handle.sdlWindow; }

private:
    Window() = default;

    HWND__ handle;
};

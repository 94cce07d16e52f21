// SDL window creation and the headless target.
#include "platform/Window.h"

#include <SDL.h>

HWND GetHeadlessWindow() {
    static HWND__ headless;
    return &headless;
}

bool IsHeadlessWindow(HWND window) {
    return window == GetHeadlessWindow();
}

std::unique_ptr<Window> Window::Create(const char* title, int width, int height, bool fullScreen) {
    if (width <= 0 || height <= 0) {
        return nullptr;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return nullptr;
    }
    // The context itself is made by the device; the attributes here choose a visual that an
    // OpenGL 3.3 core context can use. Depth lives in the device's own back buffer.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    if (fullScreen) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    SDL_Window* sdlWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                             width, height, flags);
    if (sdlWindow == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    SDL_ShowCursor(SDL_DISABLE);

    std::unique_ptr<Window> window(new Window());
    window->handle.sdlWindow = sdlWindow;
    return window;
}

Window::~Window() {
    SDL_DestroyWindow(handle.sdlWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// SDL's video subsystem as the window system's display.
#include "platform/SdlDisplay.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

struct KeyCode {
    SDL_Keycode sdl;
    WPARAM virtualKey;
};

constexpr std::array<KeyCode, 21> kNamedKeys = {{
    {SDLK_ESCAPE, VK_ESCAPE},  {SDLK_RETURN, VK_RETURN}, {SDLK_SPACE, VK_SPACE},
    {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB},       {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP},          {SDLK_RIGHT, VK_RIGHT},   {SDLK_DOWN, VK_DOWN},
    {SDLK_F1, VK_F1},          {SDLK_F2, VK_F1 + 1},     {SDLK_F3, VK_F1 + 2},
    {SDLK_F4, VK_F1 + 3},      {SDLK_F5, VK_F1 + 4},     {SDLK_F6, VK_F1 + 5},
    {SDLK_F7, VK_F1 + 6},      {SDLK_F8, VK_F1 + 7},     {SDLK_F9, VK_F1 + 8},
    {SDLK_F10, VK_F1 + 9},     {SDLK_F11, VK_F1 + 10},   {SDLK_F12, VK_F1 + 11},
}};

HWND WindowOfId(const std::vector<SdlWindowId>& open, std::uint32_t id) {
    for (const SdlWindowId& window : open) {
        if (window.first == id) {
            return window.second;
        }
    }
    return nullptr;
}

} // namespace

WPARAM VirtualKeyOf(std::int32_t sdlKey) {
    if (sdlKey >= SDLK_a && sdlKey <= SDLK_z) {
        return static_cast<WPARAM>('A' + (sdlKey - SDLK_a));
    }
    if (sdlKey >= SDLK_0 && sdlKey <= SDLK_9) {
        return static_cast<WPARAM>('0' + (sdlKey - SDLK_0));
    }
    for (const KeyCode& key : kNamedKeys) {
        if (key.sdl == sdlKey) {
            return key.virtualKey;
        }
    }
    return 0;
}

void TranslateSdlEvent(const SDL_Event& event, const std::vector<SdlWindowId>& open,
                       std::vector<DisplayEvent>& events) {
    switch (event.type) {
    case SDL_KEYDOWN: {
        const HWND window = WindowOfId(open, event.key.windowID);
        const WPARAM key = VirtualKeyOf(event.key.keysym.sym);
        if (window != nullptr && key != 0) {
            events.push_back({DisplayEvent::Kind::KeyDown, window, key, event.key.repeat != 0});
        }
        break;
    }
    case SDL_MOUSEMOTION:
        if (const HWND window = WindowOfId(open, event.motion.windowID)) {
            events.push_back({DisplayEvent::Kind::CursorOver, window});
        }
        break;
    case SDL_WINDOWEVENT:
        if (const HWND window = WindowOfId(open, event.window.windowID)) {
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                events.push_back({DisplayEvent::Kind::Close, window});
            } else if (event.window.event == SDL_WINDOWEVENT_ENTER) {
                events.push_back({DisplayEvent::Kind::CursorOver, window});
            }
        }
        break;
    case SDL_QUIT:
        for (const SdlWindowId& window : open) {
            events.push_back({DisplayEvent::Kind::Close, window.second});
        }
        break;
    default:
        break;
    }
}

SdlDisplay::~SdlDisplay() {
    windows.clear();
    if (video == Video::Ready) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

bool SdlDisplay::Available() {
    if (video != Video::Unknown) {
        return video == Video::Ready;
    }
    video = Video::Missing;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        return false;
    }
    // SDL falls back to its off-screen driver when it finds no screen. That is no display to
    // show the demo on, unless it was asked for by name (SDL_VIDEODRIVER).
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool onScreen = driver != nullptr && SDL_strcmp(driver, "offscreen") != 0 &&
                          SDL_strcmp(driver, "dummy") != 0;
    if (!onScreen && SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    video = Video::Ready;
    return true;
}

HWND SdlDisplay::OpenWindow(const char* title) {
    if (!Available()) {
        return nullptr;
    }
    // The window is made at the desktop's size as well as full screen, so that it covers the
    // screen even where no window manager applies the full-screen request.
    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) {
        desktop.w = 800;
        desktop.h = 600;
    }
    std::unique_ptr<Window> window = Window::Create(title, desktop.w, desktop.h, true);
    if (window == nullptr) {
        return nullptr;
    }
    const HWND handle = window->Handle();
    open.emplace_back(SDL_GetWindowID(window->Sdl()), handle);
    windows.push_back(std::move(window));
    return handle;
}

void SdlDisplay::CloseWindow(HWND window) {
    const auto closing = std::find_if(
        open.begin(), open.end(), [window](const SdlWindowId& id) { return id.second == window; });
    if (closing == open.end()) {
        return;
    }
    open.erase(closing);
    if (window->sdlWindow != nullptr) {
        SDL_HideWindow(window->sdlWindow);
    }
}

void SdlDisplay::PollEvents(std::vector<DisplayEvent>& events) {
    if (video != Video::Ready) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        TranslateSdlEvent(event, open, events);
    }
}

void SdlDisplay::ShowCursor(bool visible) {
    if (video == Video::Ready) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

void SdlDisplay::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT) {
    // No dialog is tried without a working video subsystem: there is nothing to show it on.
    SDL_Window* parent = owner != nullptr ? owner->sdlWindow : nullptr;
    if (Available() && SDL_ShowSimpleMessageBox(0, caption, text, parent) == 0) {
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

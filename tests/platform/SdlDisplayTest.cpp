// SDL's input as the window system's display events, and the display with no screen.
#include "platform/SdlDisplay.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(VirtualKeyOf, GivesWin32KeyCodes) {
    struct Case {
        SDL_Keycode sdl;
        WPARAM virtualKey;
    } cases[] = {
        {SDLK_ESCAPE, 0x1B}, {SDLK_RETURN, 0x0D}, {SDLK_SPACE, 0x20}, {SDLK_a, 0x41},
        {SDLK_z, 0x5A},      {SDLK_0, 0x30},      {SDLK_9, 0x39},     {SDLK_LEFT, 0x25},
        {SDLK_DOWN, 0x28},   {SDLK_F1, 0x70},     {SDLK_F12, 0x7B},   {SDLK_CAPSLOCK, 0},
        {SDLK_LSHIFT, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VirtualKeyOf(c.sdl), c.virtualKey) << SDL_GetKeyName(c.sdl);
    }
}

SDL_Event KeyDown(Uint32 windowId, SDL_Keycode key, Uint8 repeat) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = windowId;
    event.key.keysym.sym = key;
    event.key.repeat = repeat;
    return event;
}

SDL_Event WindowEvent(Uint32 windowId, Uint8 what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = what;
    return event;
}

SDL_Event Motion(Uint32 windowId) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowId;
    return event;
}

SDL_Event OfType(Uint32 type) {
    SDL_Event event{};
    event.type = type;
    return event;
}

TEST(TranslateSdlEvent, KeepsKeysCloseAndMouseForOpenWindows) {
    HWND__ first;
    HWND__ second;
    const std::vector<SdlWindowId> open = {{3, &first}, {8, &second}};
    using Kind = DisplayEvent::Kind;
    struct Expected {
        Kind kind;
        HWND window;
        WPARAM key;
        bool repeat;
    };
    struct Case {
        const char* name;
        SDL_Event event;
        std::vector<Expected> expected;
    } cases[] = {
        {"Esc", KeyDown(3, SDLK_ESCAPE, 0), {{Kind::KeyDown, &first, 0x1B, false}}},
        {"held key", KeyDown(8, SDLK_q, 1), {{Kind::KeyDown, &second, 'Q', true}}},
        {"key without a code", KeyDown(3, SDLK_CAPSLOCK, 0), {}},
        {"key for no window of ours", KeyDown(5, SDLK_ESCAPE, 0), {}},
        {"key up", OfType(SDL_KEYUP), {}},
        {"close", WindowEvent(8, SDL_WINDOWEVENT_CLOSE), {{Kind::Close, &second, 0, false}}},
        {"enter", WindowEvent(3, SDL_WINDOWEVENT_ENTER), {{Kind::CursorOver, &first, 0, false}}},
        {"resize", WindowEvent(3, SDL_WINDOWEVENT_RESIZED), {}},
        {"motion", Motion(3), {{Kind::CursorOver, &first, 0, false}}},
        {"motion elsewhere", Motion(0), {}},
        {"quit",
         OfType(SDL_QUIT),
         {{Kind::Close, &first, 0, false}, {Kind::Close, &second, 0, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DisplayEvent> events;
        TranslateSdlEvent(c.event, open, events);
        ASSERT_EQ(events.size(), c.expected.size());
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].kind, c.expected[i].kind);
            EXPECT_EQ(events[i].window, c.expected[i].window);
            EXPECT_EQ(events[i].virtualKey, c.expected[i].key);
            EXPECT_EQ(events[i].repeat, c.expected[i].repeat);
        }
    }
}

TEST(SdlDisplay, WithoutAScreenOpensNothingAndWritesMessageBoxesToStderr) {
    // SDL's off-screen fallback is no screen unless asked for by name.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    SdlDisplay display;
    if (display.Available()) {
        GTEST_SKIP() << "SDL found a screen without X11 or Wayland (" << SDL_GetCurrentVideoDriver()
                     << ")";
    }
    EXPECT_EQ(display.OpenWindow("Demo"), nullptr);
    testing::internal::CaptureStderr();
    display.ShowMessageBox(nullptr, "Cannot init DirectX 9.0 !", "Error!", MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error!: Cannot init DirectX 9.0 !\n");
}

} // namespace

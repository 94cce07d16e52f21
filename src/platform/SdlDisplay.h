// The program's display: SDL's video subsystem, its windows and its input events.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/WindowSystem.h"

union SDL_Event;

// The virtual-key code of an SDL key code: letters and digits as their upper-case ASCII codes,
// and Esc, Return, Space, Backspace, Tab, the arrows and F1 to F12; 0 for any other key.
WPARAM VirtualKeyOf(std::int32_t sdlKey);

// An SDL window's id and the handle it stands behind.
using SdlWindowId = std::pair<std::uint32_t, HWND>;

// Appends what `event` means for the windows `open`: a key press with a virtual-key code, the
// window's close command, or the mouse over the window. SDL's quit request (the last window
// closed, or an interrupt signal) closes every open window. Events for other windows and all
// other events are dropped.
void TranslateSdlEvent(const SDL_Event& event, const std::vector<SdlWindowId>& open,
                       std::vector<DisplayEvent>& events);

// Initialises SDL's video subsystem on first need and keeps it until destroyed; owns the windows
// it opens, freeing them only at its end.
class SdlDisplay final : public Display {
public:
    SdlDisplay() = default;
    ~SdlDisplay() override;

    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;

    bool Available() override;
    HWND OpenWindow(const char* title) override;
    void CloseWindow(HWND window) override;
    void PollEvents(std::vector<DisplayEvent>& events) override;
    void ShowCursor(bool visible) override;
    // SDL's simple message box with no icon, or "caption: text" on stderr when it cannot be shown.
    void ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;

private:
    enum class Video { Unknown, Ready, Missing };

    Video video = Video::Unknown;
    std::vector<std::unique_ptr<Window>> windows;
    // The windows not closed yet.
    std::vector<SdlWindowId> open;
};

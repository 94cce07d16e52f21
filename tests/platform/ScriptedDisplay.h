// Test display: windows without a screen, input given by the test per poll, and a record of the
// cursor, the closed windows and the message boxes.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

class ScriptedDisplay final : public Display {
public:
    struct MessageBoxCall {
        HWND owner;
        std::string text;
        std::string caption;
        UINT type;
    };

    bool available = true;
    // Whether OpenWindow gives a window.
    bool canOpenWindows = true;
    // Input delivered by the poll of that number (the first poll is 1). An event without a
    // window is for the window opened last.
    std::map<int, std::vector<DisplayEvent>> script;

    // Beyond this many polls the run is taken as endless: the test fails and the window opened
    // last gets its close command, which ends a demo's message loop.
    int pollLimit = 1000;

    int polls = 0;
    std::vector<std::string> openedTitles;
    std::vector<HWND> closed;
    // Every ShowCursor argument, in order.
    std::vector<bool> cursorShown;
    std::vector<MessageBoxCall> messageBoxes;

    bool Available() override { return available; }
    HWND OpenWindow(const char* title) override {
        if (!canOpenWindows) {
            return nullptr;
        }
        openedTitles.push_back(title);
        windows.push_back(std::make_unique<HWND__>());
        return windows.back().get();
    }
    void CloseWindow(HWND window) override { closed.push_back(window); }
    void PollEvents(std::vector<DisplayEvent>& events) override {
        ++polls;
        if (polls > pollLimit && !windows.empty()) {
            ADD_FAILURE() << "still polled after " << pollLimit << " polls";
            events.push_back(Close(windows.back().get()));
            return;
        }
        const auto due = script.find(polls);
        if (due == script.end()) {
            return;
        }
        for (DisplayEvent event : due->second) {
            if (event.window == nullptr && !windows.empty()) {
                event.window = windows.back().get();
            }
            events.push_back(event);
        }
    }
    void ShowCursor(bool visible) override { cursorShown.push_back(visible); }
    void ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        messageBoxes.push_back({owner, text, caption, type});
    }

    static DisplayEvent Key(WPARAM virtualKey, HWND window = nullptr) {
        return {DisplayEvent::Kind::KeyDown, window, virtualKey, false};
    }
    static DisplayEvent Close(HWND window = nullptr) { return {DisplayEvent::Kind::Close, window}; }
    static DisplayEvent CursorOver(HWND window = nullptr) {
        return {DisplayEvent::Kind::CursorOver, window};
    }

private:
    std::vector<std::unique_ptr<HWND__>> windows;
};

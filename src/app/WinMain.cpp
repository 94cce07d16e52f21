// The process entry, the window procedure and the message loop.
#include "app/Demo.h"

int WinMain(HINSTANCE instance, HINSTANCE, char*, int) {
    demo.currentEntry = 0;
    demo.clock = DemoClock(demo.system.counter, demo.system.counterContext);

    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "Demo";
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(101));
    if (RegisterClassExA(&windowClass) == 0) {
        return -1;
    }

    // A missing window is not an error here: the device cannot be created on it, and Startup
    // says so.
    demo.window = CreateWindowExA(0, "Demo", "Demo", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                  nullptr, instance, nullptr);
    CoInitialize(nullptr);

    if (!Startup()) {
        demo.device.Reset();
        demo.direct3D.Reset();
        return 1;
    }

    demo.musicPlayer = demo.system.createMusicPlayer(demo.window);
    if (demo.musicPlayer != nullptr) {
        demo.musicPlayer->Load("data\\demo.mp3");
        demo.musicPlayer->Play();
    }

    RunMessageLoop(Frame);

    DestroyDemoObjects(demo);
    return 0;
}

void RunMessageLoop(const std::function<void()>& frame) {
    UINT lastRetrieved = 0;
    do {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            lastRetrieved = msg.message;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        frame();
    } while (lastRetrieved != WM_QUIT);
}

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostQuitMessage(0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Choice of the context kind for a window handle, and the letterbox rectangle.
#include "device/gl/GlContext.h"

#include "device/gl/EglHeadlessContext.h"
#include "device/gl/SdlWindowContext.h"
#include "platform/Window.h"

#include <algorithm>
#include <cmath>

PixelRect FitKeepingAspect(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) {
        return {};
    }
    const double scale = std::min(static_cast<double>(windowWidth) / pictureWidth,
                                  static_cast<double>(windowHeight) / pictureHeight);
    PixelRect rect;
    rect.width = std::min(windowWidth, static_cast<int>(std::lround(pictureWidth * scale)));
    rect.height = std::min(windowHeight, static_cast<int>(std::lround(pictureHeight * scale)));
    rect.x = (windowWidth - rect.width) / 2;
    rect.y = (windowHeight - rect.height) / 2;
    return rect;
}

std::unique_ptr<GlContext> GlContext::Create(HWND window, bool vsync) {
    if (window == nullptr) {
        return nullptr;
    }
    if (IsHeadlessWindow(window)) {
        return EglHeadlessContext::Create();
    }
    if (window->sdlWindow == nullptr) {
        return nullptr;
    }
    return SdlWindowContext::Create(window->sdlWindow, vsync);
}

bool GlContext::HeadlessAvailable() {
    static const bool available = [] {
        // Creating a context is the only reliable test; the context made for it is dropped.
        EGLContext previousContext = eglGetCurrentContext();
        EGLDisplay previousDisplay = eglGetCurrentDisplay();
        EGLSurface previousDraw = eglGetCurrentSurface(EGL_DRAW);
        EGLSurface previousRead = eglGetCurrentSurface(EGL_READ);
        const bool made = EglHeadlessContext::Create() != nullptr;
        if (previousContext != EGL_NO_CONTEXT) {
            eglMakeCurrent(previousDisplay, previousDraw, previousRead, previousContext);
        }
        return made;
    }();
    return available;
}

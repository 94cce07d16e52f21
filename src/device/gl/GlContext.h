// An OpenGL 3.3 core context and the place its frames are shown: off screen through EGL with no
// display, or an SDL window. Everything that draws is shared; only Present differs.
#pragma once

#include <epoxy/gl.h>

#include <memory>

typedef struct HWND__* HWND;

// A rectangle in pixels; x and y are its lower-left corner in OpenGL window coordinates.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The largest rectangle of the picture's aspect that fits a window of windowWidth ×
// windowHeight, centred: scale s = min(windowWidth / pictureWidth, windowHeight / pictureHeight),
// size = picture size · s rounded to the nearest pixel, offset = (window − size) / 2 rounded down.
// Empty when any size is not positive.
PixelRect FitKeepingAspect(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

class GlContext {
public:
    virtual ~GlContext() = default;

    // A context for `window`: the headless target gets an EGL surfaceless context, an SDL window
    // a context on that window. vsync asks for presentation in step with the display; a driver
    // that refuses it is not an error. Null when no OpenGL 3.3 core context can be made; the
    // context returned is current on the calling thread.
    static std::unique_ptr<GlContext> Create(HWND window, bool vsync);

    // Whether a headless context can be made on this machine (tried once, then remembered).
    static bool HeadlessAvailable();

    virtual bool MakeCurrent() = 0;

    // Ends the frame whose picture is the colour attachment of `framebuffer` (width × height,
    // row 0 holding the top of the picture). On screen the picture is scaled to fit the window
    // with its aspect kept, black bars around it, and the window's buffers are swapped.
    // Expects the scissor test off and all colour channels writable; leaves `framebuffer` bound
    // for both reading and drawing.
    virtual void Present(GLuint framebuffer, int width, int height) = 0;

protected:
    GlContext() = default;
};

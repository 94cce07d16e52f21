// An OpenGL 3.3 core context on an SDL window; Present shows the back buffer letterboxed in it.
#pragma once

#include "device/gl/GlContext.h"

#include <SDL.h>

class SdlWindowContext final : public GlContext {
public:
    // Null when the window cannot carry an OpenGL 3.3 core context.
    static std::unique_ptr<SdlWindowContext> Create(SDL_Window* window, bool vsync);
    ~SdlWindowContext() override;

    bool MakeCurrent() override;
    void Present(GLuint framebuffer, int width, int height) override;

private:
    SdlWindowContext(SDL_Window* window, SDL_GLContext context);

    SDL_Window* window;
    SDL_GLContext context;
};

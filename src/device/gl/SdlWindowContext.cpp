// OpenGL context on an SDL window and letterboxed presentation.
#include "device/gl/SdlWindowContext.h"

std::unique_ptr<SdlWindowContext> SdlWindowContext::Create(SDL_Window* window, bool vsync) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#ifdef DEMO_GL_DEBUG
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_DEBUG_FLAG);
#endif
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        return nullptr;
    }
    std::unique_ptr<SdlWindowContext> result(new SdlWindowContext(window, context));
    if (!result->MakeCurrent() || epoxy_gl_version() < 33) {
        return nullptr;
    }
    // A driver without vsync control keeps its own interval; that is not a failure.
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);
    return result;
}

SdlWindowContext::SdlWindowContext(SDL_Window* window, SDL_GLContext context)
    : window(window), context(context) {}

SdlWindowContext::~SdlWindowContext() {
    SDL_GL_DeleteContext(context);
}

bool SdlWindowContext::MakeCurrent() {
    if (SDL_GL_GetCurrentContext() == context) {
        return true;
    }
    return SDL_GL_MakeCurrent(window, context) == 0;
}

void SdlWindowContext::Present(GLuint framebuffer, int width, int height) {
    int windowWidth = 0;
    int windowHeight = 0;
    SDL_GL_GetDrawableSize(window, &windowWidth, &windowHeight);
    const PixelRect target = FitKeepingAspect(width, height, windowWidth, windowHeight);

    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (target.width > 0 && target.height > 0) {
        // The back buffer holds the picture's top row in its row 0, so the blit turns it over.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glBlitFramebuffer(0, 0, width, height, target.x, target.y + target.height,
                          target.x + target.width, target.y, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    SDL_GL_SwapWindow(window);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

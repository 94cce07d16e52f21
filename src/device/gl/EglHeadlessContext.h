// A headless OpenGL 3.3 core context through EGL: no window, no display, drawing only into
// framebuffer objects (Mesa's surfaceless platform, or the first EGL device where that is
// missing).
#pragma once

#include "device/gl/GlContext.h"

#include <epoxy/egl.h>

class EglHeadlessContext final : public GlContext {
public:
    // Null when neither platform gives an OpenGL 3.3 core context.
    static std::unique_ptr<EglHeadlessContext> Create();
    ~EglHeadlessContext() override;

    bool MakeCurrent() override;
    void Present(GLuint framebuffer, int width, int height) override;

private:
    EglHeadlessContext(EGLDisplay display, EGLContext context);

    EGLDisplay display;
    EGLContext context;
};

// EGL surfaceless context creation.
#include "device/gl/EglHeadlessContext.h"

#include <cstring>

namespace {

// The EGL display is shared by every headless context of the process and stays initialised
// until the process ends: EGL hands out one display per platform, and terminating it unloads the
// driver, which a later device would load afresh.
EGLDisplay& SharedDisplay() {
    static EGLDisplay display = EGL_NO_DISPLAY;
    return display;
}

bool HasClientExtension(const char* name) {
    const char* list = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

EGLDisplay TryInitialise(EGLDisplay display) {
    if (display == EGL_NO_DISPLAY) {
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (eglInitialize(display, &major, &minor) != EGL_TRUE) {
        return EGL_NO_DISPLAY;
    }
    if (!epoxy_has_egl_extension(display, "EGL_KHR_surfaceless_context") ||
        eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        eglTerminate(display);
        return EGL_NO_DISPLAY;
    }
    return display;
}

// Mesa's surfaceless platform first (software rendering needs nothing else), then the first
// EGL device (a GPU without a display server).
EGLDisplay OpenDisplay() {
    if (!HasClientExtension("EGL_EXT_platform_base")) {
        return EGL_NO_DISPLAY;
    }
    if (HasClientExtension("EGL_MESA_platform_surfaceless")) {
        EGLDisplay display = TryInitialise(
            eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr));
        if (display != EGL_NO_DISPLAY) {
            return display;
        }
    }
    if (HasClientExtension("EGL_EXT_platform_device") &&
        HasClientExtension("EGL_EXT_device_enumeration")) {
        EGLDeviceEXT device = EGL_NO_DEVICE_EXT;
        EGLint count = 0;
        if (eglQueryDevicesEXT(1, &device, &count) == EGL_TRUE && count > 0) {
            return TryInitialise(
                eglGetPlatformDisplayEXT(EGL_PLATFORM_DEVICE_EXT, device, nullptr));
        }
    }
    return EGL_NO_DISPLAY;
}

EGLDisplay AcquireDisplay() {
    EGLDisplay& display = SharedDisplay();
    if (display == EGL_NO_DISPLAY) {
        display = OpenDisplay();
    }
    return display;
}

EGLContext CreateCoreContext(EGLDisplay display) {
    const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE, 0,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (eglChooseConfig(display, configAttributes, &config, 1, &configCount) != EGL_TRUE ||
        configCount == 0) {
        if (!epoxy_has_egl_extension(display, "EGL_KHR_no_config_context")) {
            return EGL_NO_CONTEXT;
        }
        config = EGL_NO_CONFIG_KHR;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                        3,
                                        EGL_CONTEXT_MINOR_VERSION,
                                        3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
#ifdef DEMO_GL_DEBUG
                                        EGL_CONTEXT_OPENGL_DEBUG,
                                        EGL_TRUE,
#endif
                                        EGL_NONE};
    return eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
}

} // namespace

std::unique_ptr<EglHeadlessContext> EglHeadlessContext::Create() {
    EGLDisplay display = AcquireDisplay();
    if (display == EGL_NO_DISPLAY) {
        return nullptr;
    }
    EGLContext context = CreateCoreContext(display);
    if (context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    std::unique_ptr<EglHeadlessContext> result(new EglHeadlessContext(display, context));
    if (!result->MakeCurrent() || epoxy_gl_version() < 33) {
        return nullptr;
    }
    return result;
}

EglHeadlessContext::EglHeadlessContext(EGLDisplay display, EGLContext context)
    : display(display), context(context) {}

EglHeadlessContext::~EglHeadlessContext() {
    if (eglGetCurrentContext() == context) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(display, context);
}

bool EglHeadlessContext::MakeCurrent() {
    if (eglGetCurrentContext() == context) {
        return true;
    }
    return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
}

void EglHeadlessContext::Present(GLuint framebuffer, int, int) {
    // Nothing is shown; the frame is complete once the commands that drew it have run.
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFinish();
}

// The OpenGL device: the device core with clearing, drawing and presentation done by OpenGL 3.3
// through the fixed-function emulation.
#pragma once

#include "device/BaseDevice.h"
#include "device/gl/BackBuffer.h"
#include "device/gl/FixedFunctionKey.h"
#include "device/gl/GlContext.h"
#include "device/gl/GlStateCache.h"
#include "device/gl/ShaderCache.h"
#include "device/gl/ShaderGenerator.h"
#include "device/gl/StreamBuffer.h"

#include <epoxy/gl.h>

#include <memory>

struct FixedFunctionProgram;
struct SDL_Window;

// What the OpenGL context offers the device.
struct GlLimits {
    int maxTextureSize = 0;
    float maxAnisotropy = 1.0f;
    bool s3tc = false;
};

// The limits of the current context.
GlLimits QueryGlLimits();

// Owns its context, back buffer, shader cache and the OpenGL objects of drawing (vertex array,
// samplers, streaming buffers). Its resources (GlTexture, GlVertexBuffer, GlIndexBuffer) own their
// OpenGL objects and make the device's context current before they touch them.
//
// State is resolved into OpenGL just before each draw, from the core's dirty flags: nothing is
// recomputed for states that did not change, and the state cache drops calls that would set a
// value OpenGL already has.
class GlDevice final : public BaseDevice {
public:
    // The context is made and current; creation.caps already fit its limits. Null when the back
    // buffer cannot be made.
    static GlDevice* Create(const DeviceCreation& creation, std::unique_ptr<GlContext> context,
                            const GlLimits& limits);

    // Makes this device's context current (free when it already is).
    void MakeCurrent();
    GlStateCache& GlState() { return gl; }
    // A buffer was deleted: OpenGL detached it from the vertex array, so the attribute set-up
    // is made again before the next draw.
    void BufferDeleted(GLuint buffer);
    const GlLimits& Limits() const { return limits; }

protected:
    ~GlDevice() override;

    HRESULT ClearRects(const RECT* rects, UINT count, DWORD flags, D3DCOLOR color,
                       float z) override;
    HRESULT Draw(const DrawCall& call) override;
    HRESULT PresentBackBuffer() override;
    HRESULT ReadFrontBuffer(MemorySurface& dest) override;
    // On a window: shows or hides the mouse cursor over it and moves it to a new position.
    void CursorChanged() override;

    MemoryTexture* NewTexture(UINT width, UINT height, UINT levels, DWORD usage,
                              const TextureFormat& format, D3DPOOL pool) override;
    MemoryVertexBuffer* NewVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) override;
    MemoryIndexBuffer* NewIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                      D3DPOOL pool) override;

private:
    GlDevice(const DeviceCreation& creation, std::unique_ptr<GlContext> context,
             const GlLimits& limits);
    bool Initialise();

    // The steps of resolving state for a draw; each looks at the dirty flags it owns.
    void ResolveRenderStates();
    void ResolveSamplers();
    void ResolveProgram(bool transformed);
    void ResolveUniforms(bool transformed);
    void BindTextures();
    // Points the attributes of `layout` at the streams (stream 0 at `stream0Buffer` from byte
    // `stream0Offset` with `stream0Stride` for draws from user memory).
    void BindVertexLayout(const VertexDeclaration& layout, GLuint stream0Buffer,
                          UINT stream0Stride);

    // Declared first so that it is destroyed last: every other member needs it.
    std::unique_ptr<GlContext> context;
    // The window presented into; null for the headless target.
    SDL_Window* sdlWindow;
    POINT cursorPosition{};
    GlLimits limits;
    BackBuffer backBuffer;
    GlStateCache gl;
    ShaderCache shaders;
    StreamBuffer userVertices{GL_ARRAY_BUFFER};
    StreamBuffer userIndices{GL_ELEMENT_ARRAY_BUFFER};
    GLuint vertexArray = 0;
    GLuint samplers[kStageTextureUnits] = {};

    FixedFunctionKey key;
    bool lastTransformed = false;
    // Clear and Present changed OpenGL state behind the render states' back.
    bool fixedStateStale = true;
    // An X8R8G8B8 back buffer keeps alpha at 1: clears write 1, draws leave alpha alone.
    bool opaqueBackBuffer = false;
    // World, view or projection changed since the matrix uniform was last formed.
    bool wvpStale = true;
    FixedFunctionProgram* program = nullptr;
    FixedFunctionUniforms uniforms{};
    std::uint64_t uniformVersion = 1;

    // The attribute set-up last made, to skip making it again. The layout is kept by value: a
    // declaration handle may be deleted and its slot reused for another layout.
    struct VertexBinding {
        VertexDeclaration layout;
        GLuint buffers[2] = {};
        UINT strides[2] = {};
        friend bool operator==(const VertexBinding&, const VertexBinding&) = default;
    };
    VertexBinding vertexBinding;
};

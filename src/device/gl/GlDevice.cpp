// Clearing, drawing and presentation of the OpenGL device.
#include "device/gl/GlDevice.h"

#include "device/MemorySurface.h"
#include "device/gl/GlBuffers.h"
#include "device/gl/GlEnums.h"
#include "device/gl/GlTexture.h"
#include "platform/Window.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Attribute location of each Direct3D input register (D3DVSDE_POSITION .. D3DVSDE_NORMAL2); −1
// for point size, which the fixed-function emulation does not read.
constexpr int kRegisterLocations[kVertexRegisterCount] = {
    kAttributePosition,
    kAttributeBlendWeight,
    kAttributeBlendIndices,
    kAttributeNormal,
    -1,
    kAttributeDiffuse,
    kAttributeSpecular,
    kAttributeTexCoord0,
    kAttributeTexCoord0 + 1,
    kAttributeTexCoord0 + 2,
    kAttributeTexCoord0 + 3,
    kAttributeTexCoord0 + 4,
    kAttributeTexCoord0 + 5,
    kAttributeTexCoord0 + 6,
    kAttributeTexCoord0 + 7,
    kAttributePosition2,
    kAttributeNormal2,
};
static_assert(sizeof kRegisterLocations / sizeof kRegisterLocations[0] == D3DVSDE_NORMAL2 + 1);

struct AttributeFormat {
    GLint size;
    GLenum type;
    GLboolean normalized;
};

// D3DVSDT_FLOAT1 .. D3DVSDT_SHORT4. D3DCOLOR is the bytes B, G, R, A: OpenGL's BGRA size.
constexpr AttributeFormat kAttributeFormats[] = {
    {1, GL_FLOAT, GL_FALSE},
    {2, GL_FLOAT, GL_FALSE},
    {3, GL_FLOAT, GL_FALSE},
    {4, GL_FLOAT, GL_FALSE},
    {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE},
    {4, GL_UNSIGNED_BYTE, GL_FALSE},
    {2, GL_SHORT, GL_FALSE},
    {4, GL_SHORT, GL_FALSE},
};
static_assert(sizeof kAttributeFormats / sizeof kAttributeFormats[0] == D3DVSDT_SHORT4 + 1);

float FloatBits(DWORD value) {
    float f;
    std::memcpy(&f, &value, sizeof f);
    return f;
}

void ColourToFloats(D3DCOLOR colour, float (&out)[4]) {
    out[0] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(colour & 0xFF) / 255.0f;
    out[3] = static_cast<float>((colour >> 24) & 0xFF) / 255.0f;
}

#ifdef DEMO_GL_DEBUG
void GLAPIENTRY PrintDebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei,
                                  const GLchar* message, const void*) {
    if (type == GL_DEBUG_TYPE_ERROR || severity == GL_DEBUG_SEVERITY_HIGH) {
        std::fprintf(stderr, "device: OpenGL: %s\n", message);
    }
}
#endif

} // namespace

GlLimits QueryGlLimits() {
    GlLimits limits;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits.maxTextureSize);
    if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
        epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic")) {
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &limits.maxAnisotropy);
    }
    limits.s3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
    return limits;
}

GlDevice* GlDevice::Create(const DeviceCreation& creation, std::unique_ptr<GlContext> context,
                           const GlLimits& limits) {
    auto* device = new GlDevice(creation, std::move(context), limits);
    if (!device->Initialise()) {
        device->Release();
        return nullptr;
    }
    return device;
}

GlDevice::GlDevice(const DeviceCreation& creation, std::unique_ptr<GlContext> context,
                   const GlLimits& limits)
    : BaseDevice(creation), context(std::move(context)),
      sdlWindow(creation.presentation.hDeviceWindow != nullptr
                    ? creation.presentation.hDeviceWindow->sdlWindow
                    : creation.parameters.hFocusWindow->sdlWindow),
      limits(limits) {}

bool GlDevice::Initialise() {
    MakeCurrent();
#ifdef DEMO_GL_DEBUG
    if (epoxy_gl_version() >= 43 || epoxy_has_gl_extension("GL_KHR_debug")) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(PrintDebugMessage, nullptr);
    }
#endif
    const D3DPRESENT_PARAMETERS& pp = PresentParameters();
    opaqueBackBuffer = pp.BackBufferFormat == D3DFMT_X8R8G8B8;
    if (!backBuffer.Create(static_cast<int>(pp.BackBufferWidth),
                           static_cast<int>(pp.BackBufferHeight), HasDepthBuffer())) {
        return false;
    }
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenSamplers(kStageTextureUnits, samplers);
    for (int unit = 0; unit < kStageTextureUnits; ++unit) {
        gl.BindSampler(unit, samplers[unit]);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // What a vertex without these parts reads: opaque white diffuse, black specular.
    glVertexAttrib4f(kAttributeDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    glVertexAttrib4f(kAttributeSpecular, 0.0f, 0.0f, 0.0f, 0.0f);

    // Screen pixels (centres at integers, shifted by +0.5 in the shader) to NDC.
    uniforms.screenToNdc[0] = 2.0f / static_cast<float>(backBuffer.Width());
    uniforms.screenToNdc[1] = 2.0f / static_cast<float>(backBuffer.Height());
    uniforms.screenToNdc[2] = -1.0f;
    uniforms.screenToNdc[3] = -1.0f;
    Dirty().SetAll();
    fixedStateStale = true;
    return glGetError() == GL_NO_ERROR;
}

GlDevice::~GlDevice() {
    MakeCurrent();
    glDeleteSamplers(kStageTextureUnits, samplers);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
}

void GlDevice::MakeCurrent() {
    context->MakeCurrent();
}

void GlDevice::BufferDeleted(GLuint buffer) {
    gl.BufferDeleted(buffer);
    vertexBinding = VertexBinding{};
}

// ---------------------------------------------------------------------------------------------
// Resources
// ---------------------------------------------------------------------------------------------

MemoryTexture* GlDevice::NewTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                    const TextureFormat& format, D3DPOOL pool) {
    return new GlTexture(*this, width, height, levels, usage, format, pool);
}

MemoryVertexBuffer* GlDevice::NewVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool) {
    return new GlVertexBuffer(*this, length, usage, fvf, pool);
}

MemoryIndexBuffer* GlDevice::NewIndexBuffer(UINT length, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool) {
    return new GlIndexBuffer(*this, length, usage, format, pool);
}

// ---------------------------------------------------------------------------------------------
// Clear and present
// ---------------------------------------------------------------------------------------------

HRESULT GlDevice::ClearRects(const RECT* rects, UINT count, DWORD flags, D3DCOLOR color, float z) {
    MakeCurrent();
    GLbitfield bits = 0;
    if ((flags & D3DCLEAR_TARGET) != 0) {
        float rgba[4];
        ColourToFloats(color, rgba);
        glClearColor(rgba[0], rgba[1], rgba[2], opaqueBackBuffer ? 1.0f : rgba[3]);
        gl.SetColorMask(15);
        bits |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && backBuffer.HasDepth()) {
        glClearDepth(z);
        gl.SetDepthWrite(true);
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    if (bits == 0) {
        return D3D_OK;
    }
    // Row 0 of the back buffer is the top row, so device rectangles are scissor boxes as they are.
    for (UINT i = 0; i < count; ++i) {
        const RECT& r = rects[i];
        gl.SetScissor(true, {r.left, r.top, r.right - r.left, r.bottom - r.top});
        glClear(bits);
    }
    // The mask and scissor now differ from what the render states ask for.
    fixedStateStale = true;
    return D3D_OK;
}

HRESULT GlDevice::PresentBackBuffer() {
    MakeCurrent();
    gl.SetScissor(false, {});
    gl.SetColorMask(15);
    backBuffer.KeepPresentedFrame();
    context->Present(backBuffer.Framebuffer(), backBuffer.Width(), backBuffer.Height());
    fixedStateStale = true;
    return D3D_OK;
}

HRESULT GlDevice::ReadFrontBuffer(MemorySurface& dest) {
    MakeCurrent();
    backBuffer.ReadPresentedFrame(dest.Bits(), static_cast<int>(dest.Pitch()));
    return D3D_OK;
}

void GlDevice::CursorChanged() {
    if (sdlWindow == nullptr) {
        return;
    }
    SDL_ShowCursor(CursorVisible() ? SDL_ENABLE : SDL_DISABLE);
    const POINT position = CursorPosition();
    if (!(position == cursorPosition)) {
        cursorPosition = position;
        SDL_WarpMouseInWindow(sdlWindow, position.x, position.y);
    }
}

// ---------------------------------------------------------------------------------------------
// Draw
// ---------------------------------------------------------------------------------------------

HRESULT GlDevice::Draw(const DrawCall& call) {
    MakeCurrent();
    const bool transformed = call.layout->IsPretransformed();
    ResolveRenderStates();
    ResolveSamplers();
    ResolveProgram(transformed);
    StateFlags& dirty = Dirty();
    if (program->id == 0) {
        // The shader could not be built (already reported); nothing can be drawn with it.
        return D3D_OK;
    }
    ResolveUniforms(transformed);
    BindTextures();

    // Screen vertices address the whole back buffer with depth as given; others go through the
    // viewport.
    if (transformed) {
        gl.SetViewport({0, 0, backBuffer.Width(), backBuffer.Height()});
        gl.SetDepthRange(0.0f, 1.0f);
    } else {
        const D3DVIEWPORT8& vp = State().viewport;
        gl.SetViewport({static_cast<int>(vp.X), static_cast<int>(vp.Y), static_cast<int>(vp.Width),
                        static_cast<int>(vp.Height)});
        gl.SetDepthRange(vp.MinZ, vp.MaxZ);
    }

    const GLenum mode = gl_enums::PrimitiveMode(call.type);
    const auto count = static_cast<GLsizei>(call.elementCount);
    switch (call.kind) {
    case DrawCall::Kind::Primitive:
        BindVertexLayout(*call.layout, 0, 0);
        glDrawArrays(mode, static_cast<GLint>(call.start), count);
        break;
    case DrawCall::Kind::IndexedPrimitive: {
        const auto* indices = static_cast<const GlIndexBuffer*>(BoundIndices());
        BindVertexLayout(*call.layout, 0, 0);
        gl.BindElementBuffer(indices->Name());
        const UINT size = indices->IndexSize();
        glDrawElementsBaseVertex(
            mode, count, size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
            reinterpret_cast<const void*>(static_cast<std::uintptr_t>(call.start) * size),
            static_cast<GLint>(call.baseVertexIndex));
        break;
    }
    case DrawCall::Kind::PrimitiveUP: {
        const std::size_t offset = userVertices.Write(
            gl, call.vertexData, std::size_t{call.elementCount} * call.vertexStride,
            call.vertexStride);
        BindVertexLayout(*call.layout, userVertices.Buffer(), call.vertexStride);
        glDrawArrays(mode, static_cast<GLint>(offset / call.vertexStride), count);
        break;
    }
    case DrawCall::Kind::IndexedPrimitiveUP: {
        // The caller's array holds vertices 0 .. minIndex + numVertices − 1.
        const std::size_t vertexBytes =
            (std::size_t{call.minIndex} + call.numVertices) * call.vertexStride;
        const std::size_t vertexOffset =
            userVertices.Write(gl, call.vertexData, vertexBytes, call.vertexStride);
        BindVertexLayout(*call.layout, userVertices.Buffer(), call.vertexStride);
        const std::size_t size = call.indexFormat == D3DFMT_INDEX32 ? 4 : 2;
        const std::size_t indexOffset =
            userIndices.Write(gl, call.indexData, size * call.elementCount, size);
        glDrawElementsBaseVertex(mode, count, size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                 reinterpret_cast<const void*>(indexOffset),
                                 static_cast<GLint>(vertexOffset / call.vertexStride));
        break;
    }
    }
    dirty.Clear();
    return D3D_OK;
}

void GlDevice::ResolveRenderStates() {
    if (!Dirty().renderStates.any() && !fixedStateStale) {
        return;
    }
    fixedStateStale = false;
    const auto& rs = State().renderStates;
    const gl_enums::BlendPair blend =
        gl_enums::BlendFactors(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND]);
    gl.SetBlend(rs[D3DRS_ALPHABLENDENABLE] != FALSE, blend.source, blend.destination,
                gl_enums::BlendOperation(rs[D3DRS_BLENDOP]));
    gl.SetDepth(backBuffer.HasDepth() && rs[D3DRS_ZENABLE] != D3DZB_FALSE,
                gl_enums::CompareFunction(rs[D3DRS_ZFUNC]), rs[D3DRS_ZWRITEENABLE] != FALSE);
    // Clockwise on screen is OpenGL's front face here (see BackBuffer): CW culling removes
    // front faces, CCW culling back faces; an unknown mode culls nothing.
    switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
        gl.SetCull(true, GL_FRONT);
        break;
    case D3DCULL_CCW:
        gl.SetCull(true, GL_BACK);
        break;
    default:
        gl.SetCull(false, GL_BACK);
        break;
    }
    gl.SetFillMode(gl_enums::FillMode(rs[D3DRS_FILLMODE]));
    gl.SetColorMask(rs[D3DRS_COLORWRITEENABLE] & (opaqueBackBuffer ? 7u : 15u));
    gl.SetScissor(false, {});
}

void GlDevice::ResolveSamplers() {
    const StateFlags& dirty = Dirty();
    for (int stage = 0; stage < kStageTextureUnits; ++stage) {
        if (!dirty.stageStates[stage].any()) {
            continue;
        }
        const auto& ss = State().stageStates[stage];
        const GLuint sampler = samplers[stage];
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S,
                            static_cast<GLint>(gl_enums::AddressMode(ss[D3DTSS_ADDRESSU])));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T,
                            static_cast<GLint>(gl_enums::AddressMode(ss[D3DTSS_ADDRESSV])));
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                            static_cast<GLint>(gl_enums::MinificationFilter(ss[D3DTSS_MINFILTER],
                                                                            ss[D3DTSS_MIPFILTER])));
        glSamplerParameteri(
            sampler, GL_TEXTURE_MAG_FILTER,
            static_cast<GLint>(gl_enums::MagnificationFilter(ss[D3DTSS_MAGFILTER])));
        if (limits.maxAnisotropy > 1.0f) {
            glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                                gl_enums::Anisotropy(ss[D3DTSS_MINFILTER], ss[D3DTSS_MAXANISOTROPY],
                                                     limits.maxAnisotropy));
        }
        float border[4];
        ColourToFloats(ss[D3DTSS_BORDERCOLOR], border);
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
        glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, FloatBits(ss[D3DTSS_MIPMAPLODBIAS]));
        // MAXMIPLEVEL is the most detailed level a stage may use.
        glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD,
                            static_cast<float>(ss[D3DTSS_MAXMIPLEVEL]));
    }
}

void GlDevice::ResolveProgram(bool transformed) {
    const StateFlags& dirty = Dirty();
    bool stagesDirty = dirty.textures.any();
    for (const auto& stage : dirty.stageStates) {
        stagesDirty = stagesDirty || stage.any();
    }
    if (program != nullptr && transformed == lastTransformed && !stagesDirty &&
        !dirty.renderStates[D3DRS_ALPHATESTENABLE] && !dirty.renderStates[D3DRS_ALPHAFUNC]) {
        gl.UseProgram(program->id);
        return;
    }
    const DeviceState& state = State();
    FixedFunctionInput input;
    input.transformedPosition = transformed;
    input.alphaTestEnable = state.renderStates[D3DRS_ALPHATESTENABLE] != FALSE;
    input.alphaFunc = state.renderStates[D3DRS_ALPHAFUNC];
    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        const auto& ss = state.stageStates[stage];
        StageInput& in = input.stages[stage];
        in.colorOp = ss[D3DTSS_COLOROP];
        in.colorArg0 = ss[D3DTSS_COLORARG0];
        in.colorArg1 = ss[D3DTSS_COLORARG1];
        in.colorArg2 = ss[D3DTSS_COLORARG2];
        in.alphaOp = ss[D3DTSS_ALPHAOP];
        in.alphaArg0 = ss[D3DTSS_ALPHAARG0];
        in.alphaArg1 = ss[D3DTSS_ALPHAARG1];
        in.alphaArg2 = ss[D3DTSS_ALPHAARG2];
        in.texCoordIndex = ss[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
        const auto* texture = static_cast<const GlTexture*>(BoundTexture(stage));
        in.textureBound = texture != nullptr && texture->Name() != 0;
    }
    const FixedFunctionKey newKey = MakeFixedFunctionKey(input);
    if (program == nullptr || !(newKey == key)) {
        key = newKey;
        program = &shaders.ProgramFor(key);
    }
    lastTransformed = transformed;
    gl.UseProgram(program->id);
}

void GlDevice::ResolveUniforms(bool transformed) {
    const StateFlags& dirty = Dirty();
    const DeviceState& state = State();
    if (dirty.transforms[kWorldTransform0] || dirty.transforms[kViewTransform] ||
        dirty.transforms[kProjectionTransform]) {
        wvpStale = true;
    }
    // Screen vertices do not read the matrix; it is formed for the next draw that does.
    if (!transformed && wvpStale) {
        wvpStale = false;
        const Matrix wvp = MatrixMultiply(
            MatrixMultiply(state.transforms[kWorldTransform0], state.transforms[kViewTransform]),
            state.transforms[kProjectionTransform]);
        if (std::memcmp(uniforms.worldViewProjection, wvp.m, sizeof wvp.m) != 0) {
            std::memcpy(uniforms.worldViewProjection, wvp.m, sizeof wvp.m);
            ++uniformVersion;
        }
    }
    if (dirty.viewport) {
        const D3DVIEWPORT8& vp = state.viewport;
        const float x = vp.Width != 0 ? 1.0f / static_cast<float>(vp.Width) : 0.0f;
        const float y = vp.Height != 0 ? 1.0f / static_cast<float>(vp.Height) : 0.0f;
        if (uniforms.pixelCentreOffset[0] != x || uniforms.pixelCentreOffset[1] != y) {
            uniforms.pixelCentreOffset[0] = x;
            uniforms.pixelCentreOffset[1] = y;
            ++uniformVersion;
        }
    }
    if (dirty.renderStates[D3DRS_TEXTUREFACTOR] || dirty.renderStates[D3DRS_ALPHAREF]) {
        ColourToFloats(state.renderStates[D3DRS_TEXTUREFACTOR], uniforms.textureFactor);
        // ALPHAREF compares with 8-bit alpha; only its low byte counts.
        uniforms.alphaReference[0] = static_cast<float>(state.renderStates[D3DRS_ALPHAREF] & 0xFF);
        ++uniformVersion;
    }
    if (program->uniformVersion == uniformVersion) {
        return;
    }
    program->uniformVersion = uniformVersion;
    const GLint* at = program->uniforms;
    glUniformMatrix4fv(at[kUniformWorldViewProjection], 1, GL_FALSE, uniforms.worldViewProjection);
    glUniform4fv(at[kUniformScreenToNdc], 1, uniforms.screenToNdc);
    glUniform4fv(at[kUniformPixelCentreOffset], 1, uniforms.pixelCentreOffset);
    glUniform4fv(at[kUniformTextureFactor], 1, uniforms.textureFactor);
    glUniform4fv(at[kUniformAlphaReference], 1, uniforms.alphaReference);
}

void GlDevice::BindTextures() {
    for (int stage = 0; stage < key.stageCount; ++stage) {
        const auto* texture = static_cast<const GlTexture*>(BoundTexture(stage));
        gl.BindTexture(stage, texture != nullptr ? texture->Name() : 0);
    }
}

void GlDevice::BindVertexLayout(const VertexDeclaration& layout, GLuint stream0Buffer,
                                UINT stream0Stride) {
    VertexBinding binding;
    binding.layout = layout;
    for (UINT stream = 0; stream < kVertexStreamCount; ++stream) {
        if (stream == 0 && stream0Buffer != 0) {
            binding.buffers[0] = stream0Buffer;
            binding.strides[0] = stream0Stride;
            continue;
        }
        const auto* buffer = static_cast<const GlVertexBuffer*>(BoundStream(stream));
        binding.buffers[stream] = buffer != nullptr ? buffer->Name() : 0;
        binding.strides[stream] = State().streams[stream].stride;
    }
    if (binding == vertexBinding) {
        return;
    }
    vertexBinding = binding;

    unsigned used = 0;
    for (UINT i = 0; i < layout.ElementCount(); ++i) {
        const VertexElement& element = layout.Element(i);
        const int location =
            element.reg < kVertexRegisterCount ? kRegisterLocations[element.reg] : -1;
        if (location < 0 || element.type > D3DVSDT_SHORT4 || binding.buffers[element.stream] == 0) {
            continue;
        }
        const AttributeFormat& format = kAttributeFormats[element.type];
        gl.BindArrayBuffer(binding.buffers[element.stream]);
        glVertexAttribPointer(
            static_cast<GLuint>(location), format.size, format.type, format.normalized,
            static_cast<GLsizei>(binding.strides[element.stream]),
            reinterpret_cast<const void*>(static_cast<std::uintptr_t>(element.offset)));
        used |= 1u << location;
    }
    for (unsigned location = 0; location < 16; ++location) {
        gl.EnableAttribute(location, (used & (1u << location)) != 0);
    }
}

// The OpenGL state last set, so that setting a value equal to it costs nothing.
#pragma once

#include <epoxy/gl.h>

#include "device/gl/GlContext.h"

// Units 0..7 carry the texture stages; unit 8 is where textures are bound to upload them.
inline constexpr int kStageTextureUnits = 8;
inline constexpr int kUploadTextureUnit = 8;
inline constexpr int kTextureUnits = 9;

// Mirrors the OpenGL state the device changes. Everything starts at OpenGL's initial values,
// which hold for a fresh context with the device's vertex array object bound; all changes of
// this state go through the cache.
class GlStateCache {
public:
    void SetBlend(bool enable, GLenum source, GLenum destination, GLenum equation);
    void SetDepth(bool test, GLenum func, bool write);
    // The depth write mask alone (clears write depth whatever the depth test says).
    void SetDepthWrite(bool write);
    void SetCull(bool enable, GLenum face);
    void SetFillMode(GLenum mode);
    // Bits 0..3 enable red, green, blue, alpha.
    void SetColorMask(unsigned mask);
    void SetViewport(const PixelRect& rect);
    void SetDepthRange(float nearZ, float farZ);
    void SetScissor(bool enable, const PixelRect& rect);
    void UseProgram(GLuint program);
    void BindArrayBuffer(GLuint buffer);
    // Element buffer binding of the device's one vertex array object.
    void BindElementBuffer(GLuint buffer);
    void BindTexture(int unit, GLuint texture);
    void BindSampler(int unit, GLuint sampler);
    void EnableAttribute(unsigned location, bool enable);

    // OpenGL unbinds a texture or buffer when it is deleted, and may hand its name out again:
    // the cache forgets it too.
    void TextureDeleted(GLuint texture);
    void BufferDeleted(GLuint buffer);

    GLuint Program() const { return program; }

private:
    void ActiveUnit(int unit);

    bool blend = false;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    GLenum blendEquation = GL_FUNC_ADD;
    bool depthTest = false;
    GLenum depthFunc = GL_LESS;
    bool depthWrite = true;
    bool cull = false;
    GLenum cullFace = GL_BACK;
    GLenum fillMode = GL_FILL;
    unsigned colorMask = 15;
    PixelRect viewport{-1, -1, -1, -1};
    float depthNear = 0.0f;
    float depthFar = 1.0f;
    bool scissor = false;
    PixelRect scissorRect{-1, -1, -1, -1};
    GLuint program = 0;
    GLuint arrayBuffer = 0;
    GLuint elementBuffer = 0;
    int activeUnit = 0;
    GLuint textures[kTextureUnits] = {};
    GLuint samplers[kTextureUnits] = {};
    unsigned enabledAttributes = 0;
};

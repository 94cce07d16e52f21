// Redundancy filter in front of OpenGL's state calls.
#include "device/gl/GlStateCache.h"

void GlStateCache::SetBlend(bool enable, GLenum source, GLenum destination, GLenum equation) {
    if (enable != blend) {
        blend = enable;
        enable ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    }
    if (!enable) {
        return;
    }
    if (source != blendSource || destination != blendDestination) {
        blendSource = source;
        blendDestination = destination;
        glBlendFunc(source, destination);
    }
    if (equation != blendEquation) {
        blendEquation = equation;
        glBlendEquation(equation);
    }
}

void GlStateCache::SetDepth(bool test, GLenum func, bool write) {
    if (test != depthTest) {
        depthTest = test;
        test ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    }
    if (test && func != depthFunc) {
        depthFunc = func;
        glDepthFunc(func);
    }
    // With the test off OpenGL writes no depth anyway, so the mask matters only with it on.
    if (test) {
        SetDepthWrite(write);
    }
}

void GlStateCache::SetDepthWrite(bool write) {
    if (write != depthWrite) {
        depthWrite = write;
        glDepthMask(write ? GL_TRUE : GL_FALSE);
    }
}

void GlStateCache::SetCull(bool enable, GLenum face) {
    if (enable != cull) {
        cull = enable;
        enable ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    }
    if (enable && face != cullFace) {
        cullFace = face;
        glCullFace(face);
    }
}

void GlStateCache::SetFillMode(GLenum mode) {
    if (mode != fillMode) {
        fillMode = mode;
        glPolygonMode(GL_FRONT_AND_BACK, mode);
    }
}

void GlStateCache::SetColorMask(unsigned mask) {
    mask &= 15;
    if (mask != colorMask) {
        colorMask = mask;
        glColorMask((mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
    }
}

void GlStateCache::SetViewport(const PixelRect& rect) {
    if (!(rect == viewport)) {
        viewport = rect;
        glViewport(rect.x, rect.y, rect.width, rect.height);
    }
}

void GlStateCache::SetDepthRange(float nearZ, float farZ) {
    if (nearZ != depthNear || farZ != depthFar) {
        depthNear = nearZ;
        depthFar = farZ;
        glDepthRange(nearZ, farZ);
    }
}

void GlStateCache::SetScissor(bool enable, const PixelRect& rect) {
    if (enable != scissor) {
        scissor = enable;
        enable ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
    }
    if (enable && !(rect == scissorRect)) {
        scissorRect = rect;
        glScissor(rect.x, rect.y, rect.width, rect.height);
    }
}

void GlStateCache::UseProgram(GLuint newProgram) {
    if (newProgram != program) {
        program = newProgram;
        glUseProgram(newProgram);
    }
}

void GlStateCache::BindArrayBuffer(GLuint buffer) {
    if (buffer != arrayBuffer) {
        arrayBuffer = buffer;
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
    }
}

void GlStateCache::BindElementBuffer(GLuint buffer) {
    if (buffer != elementBuffer) {
        elementBuffer = buffer;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    }
}

void GlStateCache::ActiveUnit(int unit) {
    if (unit != activeUnit) {
        activeUnit = unit;
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    }
}

void GlStateCache::BindTexture(int unit, GLuint texture) {
    if (texture != textures[unit]) {
        textures[unit] = texture;
        ActiveUnit(unit);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
}

void GlStateCache::BindSampler(int unit, GLuint sampler) {
    if (sampler != samplers[unit]) {
        samplers[unit] = sampler;
        glBindSampler(static_cast<GLuint>(unit), sampler);
    }
}

void GlStateCache::EnableAttribute(unsigned location, bool enable) {
    const unsigned bit = 1u << location;
    if (enable == ((enabledAttributes & bit) != 0)) {
        return;
    }
    if (enable) {
        enabledAttributes |= bit;
        glEnableVertexAttribArray(location);
    } else {
        enabledAttributes &= ~bit;
        glDisableVertexAttribArray(location);
    }
}

void GlStateCache::TextureDeleted(GLuint texture) {
    for (GLuint& bound : textures) {
        if (bound == texture) {
            bound = 0;
        }
    }
}

void GlStateCache::BufferDeleted(GLuint buffer) {
    if (arrayBuffer == buffer) {
        arrayBuffer = 0;
    }
    if (elementBuffer == buffer) {
        elementBuffer = 0;
    }
}

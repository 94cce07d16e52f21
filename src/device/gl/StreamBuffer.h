// The buffer that vertices drawn from user memory stream through: one OpenGL buffer, written
// front to back and started afresh (orphaned) when full, grown (doubled) only when one draw
// needs more than it holds.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>

class GlStateCache;

// Owns its buffer; needs its context current when used and destroyed.
class StreamBuffer {
public:
    // target is GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER.
    explicit StreamBuffer(GLenum target) : target(target) {}
    ~StreamBuffer();

    StreamBuffer(const StreamBuffer&) = delete;
    StreamBuffer& operator=(const StreamBuffer&) = delete;

    // Copies `size` bytes to an offset that is a multiple of `alignment` (a vertex stride, so
    // that the offset is a whole number of vertices) and returns that offset. The buffer stays
    // bound to its target (through `state`). The buffer's name never changes, so attribute
    // pointers into it stay valid across orphaning and growth.
    std::size_t Write(GlStateCache& state, const void* data, std::size_t size,
                      std::size_t alignment);

    GLuint Buffer() const { return buffer; }
    std::size_t Capacity() const { return capacity; }

private:
    GLenum target;
    GLuint buffer = 0;
    std::size_t capacity = 0;
    std::size_t used = 0;
};

// Streaming of user-memory vertices.
#include "device/gl/StreamBuffer.h"

#include "device/gl/GlStateCache.h"

#include <cstring>

namespace {

constexpr std::size_t kInitialCapacity = 4 << 20;

} // namespace

StreamBuffer::~StreamBuffer() {
    glDeleteBuffers(1, &buffer);
}

std::size_t StreamBuffer::Write(GlStateCache& state, const void* data, std::size_t size,
                                std::size_t alignment) {
    if (buffer == 0) {
        glGenBuffers(1, &buffer);
    }
    if (target == GL_ELEMENT_ARRAY_BUFFER) {
        state.BindElementBuffer(buffer);
    } else {
        state.BindArrayBuffer(buffer);
    }
    if (alignment == 0) {
        alignment = 1;
    }
    std::size_t offset = (used + alignment - 1) / alignment * alignment;
    if (offset + size > capacity) {
        // A fresh store: draws still reading the old one keep it until they finish, so nothing
        // waits for them.
        while (capacity < size || capacity < kInitialCapacity) {
            capacity = capacity == 0 ? kInitialCapacity : capacity * 2;
        }
        glBufferData(target, static_cast<GLsizeiptr>(capacity), nullptr, GL_STREAM_DRAW);
        offset = 0;
    }
    if (size > 0) {
        void* destination = glMapBufferRange(
            target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(size),
            GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
        if (destination != nullptr) {
            std::memcpy(destination, data, size);
            glUnmapBuffer(target);
        }
    }
    used = offset + size;
    return offset;
}

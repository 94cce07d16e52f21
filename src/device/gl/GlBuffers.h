// Vertex and index buffers of the OpenGL device: the in-memory bytes of the core plus an OpenGL
// buffer that receives every change of them at Unlock.
#pragma once

#include "device/MemoryBuffer.h"

#include <epoxy/gl.h>

class GlDevice;

// Owns its OpenGL buffer, made with the buffer's whole length (zero bytes).
class GlVertexBuffer final : public MemoryVertexBuffer {
public:
    GlVertexBuffer(GlDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    ~GlVertexBuffer() override;

    void OnBufferChanged(UINT offset, UINT size) override;
    GLuint Name() const { return name; }

private:
    GLuint name = 0;
};

class GlIndexBuffer final : public MemoryIndexBuffer {
public:
    GlIndexBuffer(GlDevice& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    ~GlIndexBuffer() override;

    void OnBufferChanged(UINT offset, UINT size) override;
    GLuint Name() const { return name; }

private:
    GLuint name = 0;
};

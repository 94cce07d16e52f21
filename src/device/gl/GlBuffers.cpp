// Uploads of vertex and index buffers.
#include "device/gl/GlBuffers.h"

#include "device/gl/GlDevice.h"

namespace {

// Buffers are written through the copy-write target, which no draw state depends on.
GLuint MakeBuffer(GlDevice& device, const BufferStorage& storage, DWORD usage) {
    device.MakeCurrent();
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(storage.Length()), storage.Bytes(),
                 (usage & D3DUSAGE_DYNAMIC) != 0 ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    return name;
}

void Update(GlDevice& device, GLuint name, const BufferStorage& storage, UINT offset, UINT size) {
    device.MakeCurrent();
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, storage.Bytes() + offset);
}

} // namespace

GlVertexBuffer::GlVertexBuffer(GlDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : MemoryVertexBuffer(device, length, usage, fvf, pool),
      name(MakeBuffer(device, Storage(), usage)) {}

GlVertexBuffer::~GlVertexBuffer() {
    GlDevice& device = static_cast<GlDevice&>(Device());
    device.MakeCurrent();
    glDeleteBuffers(1, &name);
    device.BufferDeleted(name);
}

void GlVertexBuffer::OnBufferChanged(UINT offset, UINT size) {
    Update(static_cast<GlDevice&>(Device()), name, Storage(), offset, size);
}

GlIndexBuffer::GlIndexBuffer(GlDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool)
    : MemoryIndexBuffer(device, length, usage, format, pool),
      name(MakeBuffer(device, Storage(), usage)) {}

GlIndexBuffer::~GlIndexBuffer() {
    GlDevice& device = static_cast<GlDevice&>(Device());
    device.MakeCurrent();
    glDeleteBuffers(1, &name);
    device.BufferDeleted(name);
}

void GlIndexBuffer::OnBufferChanged(UINT offset, UINT size) {
    Update(static_cast<GlDevice&>(Device()), name, Storage(), offset, size);
}

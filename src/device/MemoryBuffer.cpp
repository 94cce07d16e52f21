// Vertex and index buffers whose bytes live in memory; the OpenGL device derives from them to
// upload changes.
#include "device/MemoryBuffer.h"

#include <algorithm>
#include <cstring>

HRESULT BufferStorage::Lock(UINT offset, UINT size, BYTE** ppbData, DWORD flags) {
    if (ppbData == nullptr || locked_ || offset >= Length()) {
        return D3DERR_INVALIDCALL;
    }
    if (size == 0) {
        size = Length() - offset;
    }
    if (size > Length() - offset) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    lockFlags_ = flags;
    lockOffset_ = offset;
    lockSize_ = size;
    *ppbData = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT BufferStorage::Unlock(bool& changed, UINT& offset, UINT& size) {
    changed = false;
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    changed = (lockFlags_ & D3DLOCK_READONLY) == 0;
    offset = lockOffset_;
    size = lockSize_;
    return D3D_OK;
}

MemoryVertexBuffer::MemoryVertexBuffer(BaseDevice& device, UINT length, DWORD usage, DWORD fvf,
                                       D3DPOOL pool)
    : MemoryResource(device, usage, pool), storage_(length), fvf_(fvf) {}

HRESULT MemoryVertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) {
    return storage_.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT MemoryVertexBuffer::Unlock() {
    bool changed = false;
    UINT offset = 0;
    UINT size = 0;
    const HRESULT hr = storage_.Unlock(changed, offset, size);
    if (changed) {
        OnBufferChanged(offset, size);
    }
    return hr;
}

HRESULT MemoryVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pDesc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, Usage(), Pool(), storage_.Length(), fvf_};
    return D3D_OK;
}

void MemoryVertexBuffer::OnBufferChanged(UINT, UINT) {}

MemoryIndexBuffer::MemoryIndexBuffer(BaseDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool)
    : MemoryResource(device, usage, pool), storage_(length), format_(format) {}

HRESULT MemoryIndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) {
    return storage_.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT MemoryIndexBuffer::Unlock() {
    bool changed = false;
    UINT offset = 0;
    UINT size = 0;
    const HRESULT hr = storage_.Unlock(changed, offset, size);
    if (changed) {
        maxKnown_ = false;
        OnBufferChanged(offset, size);
    }
    return hr;
}

HRESULT MemoryIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pDesc = {format_, D3DRTYPE_INDEXBUFFER, Usage(), Pool(), storage_.Length()};
    return D3D_OK;
}

DWORD MemoryIndexBuffer::LargestIndex(UINT first, UINT count) const {
    DWORD largest = 0;
    const BYTE* bytes = storage_.Bytes();
    for (UINT i = first; i < first + count; ++i) {
        if (format_ == D3DFMT_INDEX32) {
            std::uint32_t v;
            std::memcpy(&v, bytes + std::size_t{i} * 4, 4);
            largest = std::max<DWORD>(largest, v);
        } else {
            std::uint16_t v;
            std::memcpy(&v, bytes + std::size_t{i} * 2, 2);
            largest = std::max<DWORD>(largest, v);
        }
    }
    return largest;
}

DWORD MemoryIndexBuffer::LargestIndex() const {
    if (!maxKnown_) {
        maxIndex_ = LargestIndex(0, IndexCount());
        maxKnown_ = true;
    }
    return maxIndex_;
}

void MemoryIndexBuffer::OnBufferChanged(UINT, UINT) {}

// Vertex and index buffers whose bytes live in memory; the OpenGL device derives from them to
// upload changes.
#pragma once

#include <vector>

#include "device/MemoryResource.h"

// The bytes of a buffer and its lock. Lock(offset, size) maps bytes offset..offset+size; size 0
// means "to the end". Locking a locked buffer, a range past the end, an empty range or a null
// out-pointer fails with D3DERR_INVALIDCALL.
class BufferStorage {
public:
    explicit BufferStorage(UINT length) : bytes_(length) {}

    HRESULT Lock(UINT offset, UINT size, BYTE** ppbData, DWORD flags);
    // Ends the lock; changed is set to whether the locked bytes may have been written (not
    // D3DLOCK_READONLY), with their range.
    HRESULT Unlock(bool& changed, UINT& offset, UINT& size);

    UINT Length() const { return static_cast<UINT>(bytes_.size()); }
    BYTE* Bytes() { return bytes_.data(); }
    const BYTE* Bytes() const { return bytes_.data(); }
    bool IsLocked() const { return locked_; }

private:
    std::vector<BYTE> bytes_;
    bool locked_ = false;
    DWORD lockFlags_ = 0;
    UINT lockOffset_ = 0;
    UINT lockSize_ = 0;
};

class MemoryVertexBuffer : public MemoryResource<IDirect3DVertexBuffer8> {
public:
    MemoryVertexBuffer(BaseDevice& device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

    const BufferStorage& Storage() const { return storage_; }
    BufferStorage& Storage() { return storage_; }
    DWORD Fvf() const { return fvf_; }

    // Bytes offset..offset+size may have changed; the OpenGL buffer uploads them here.
    virtual void OnBufferChanged(UINT offset, UINT size);

private:
    BufferStorage storage_;
    DWORD fvf_;
};

class MemoryIndexBuffer : public MemoryResource<IDirect3DIndexBuffer8> {
public:
    // format is D3DFMT_INDEX16 or D3DFMT_INDEX32.
    MemoryIndexBuffer(BaseDevice& device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, BYTE** ppbData, DWORD Flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

    const BufferStorage& Storage() const { return storage_; }
    BufferStorage& Storage() { return storage_; }
    D3DFORMAT Format() const { return format_; }
    // 2 or 4.
    UINT IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }
    UINT IndexCount() const { return storage_.Length() / IndexSize(); }
    // The largest index of the whole buffer, kept until the buffer next changes.
    DWORD LargestIndex() const;
    // The largest of indices first..first+count-1, which must lie inside the buffer.
    DWORD LargestIndex(UINT first, UINT count) const;

    // Bytes offset..offset+size may have changed; the OpenGL buffer uploads them here.
    virtual void OnBufferChanged(UINT offset, UINT size);

private:
    BufferStorage storage_;
    D3DFORMAT format_;
    mutable bool maxKnown_ = false;
    mutable DWORD maxIndex_ = 0;
};

// The part every in-memory device resource shares: its reference count, the link to its device
// (kept alive by an internal reference), pool, usage and priority.
#pragma once

#include "device/BaseDevice.h"
#include "device/D3D8.h"

// Implements IUnknown and IDirect3DResource8 for a resource interface. The object starts with
// one reference (the creator's) and destroys itself on the last Release; while it lives it
// holds an internal reference on its device, so the device object outlives it even after the
// application's last Release of the device.
template <typename Interface>
class MemoryResource : public Interface {
public:
    MemoryResource(BaseDevice& device, DWORD usage, D3DPOOL pool)
        : device_(device), usage_(usage), pool_(pool) {
        device_.AddInternalRef();
    }
    ~MemoryResource() override { device_.ReleaseInternalRef(); }
    MemoryResource(const MemoryResource&) = delete;
    MemoryResource& operator=(const MemoryResource&) = delete;

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override {
        if (ppDevice == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        device_.AddRef();
        *ppDevice = &device_;
        return D3D_OK;
    }
    // Priorities only mean something for managed resources; others keep 0.
    DWORD SetPriority(DWORD priorityNew) override {
        if (pool_ != D3DPOOL_MANAGED) {
            return 0;
        }
        const DWORD old = priority_;
        priority_ = priorityNew;
        return old;
    }
    DWORD GetPriority() override { return pool_ == D3DPOOL_MANAGED ? priority_ : 0; }
    void PreLoad() override {}

    BaseDevice& Device() const { return device_; }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }
    ULONG RefCount() const { return refs_; }

private:
    BaseDevice& device_;
    DWORD usage_;
    D3DPOOL pool_;
    ULONG refs_ = 1;
    DWORD priority_ = 0;
};

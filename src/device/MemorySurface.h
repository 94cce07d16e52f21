// A surface whose pixels live in memory: a level of a MemoryTexture, or a standalone image
// surface made by CreateImageSurface.
#pragma once

#include <vector>

#include "device/D3D8.h"
#include "device/TextureFormat.h"

class BaseDevice;
class MemoryTexture;

// Owns its pixel bytes (TextureFormat's layout: rows Pitch() bytes apart, top row first). A
// level surface belongs to its texture and shares the texture's reference count; an image
// surface counts its own references and holds an internal reference on the device.
class MemorySurface : public IDirect3DSurface8 {
public:
    // A level of container (which owns it).
    MemorySurface(MemoryTexture& container, UINT level, const TextureFormat& format, UINT width,
                  UINT height);
    // A standalone system-memory image surface of device.
    MemorySurface(BaseDevice& device, const TextureFormat& format, UINT width, UINT height);
    ~MemorySurface() override;
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
    HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
    // Fails with D3DERR_INVALIDCALL for a null pLockedRect, a surface already locked, a level of
    // a default-pool texture without D3DUSAGE_DYNAMIC, or a rectangle that is empty, reaches
    // outside the surface or (block formats) does not start and end on 4x4 block edges (an
    // edge at the surface's right or bottom border counts).
    HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
    // Ends the lock; unless it was D3DLOCK_READONLY, the locked rectangle counts as changed.
    HRESULT UnlockRect() override;

    BaseDevice& Device() const { return device_; }
    MemoryTexture* Container() const { return container_; }
    UINT Level() const { return level_; }
    const TextureFormat& Format() const { return format_; }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    UINT Pitch() const { return pitch_; }
    BYTE* Bits() { return bits_.data(); }
    const BYTE* Bits() const { return bits_.data(); }
    UINT ByteSize() const { return static_cast<UINT>(bits_.size()); }
    bool IsLocked() const { return locked_; }
    DWORD Usage() const;
    D3DPOOL Pool() const;
    // Whether LockRect may be used: everything but levels of non-dynamic default-pool textures.
    bool IsLockable() const;

    // A rectangle inside the surface, not empty, on block edges for block formats.
    bool IsValidRect(const RECT& rect) const;
    // The whole surface as a rectangle.
    RECT Bounds() const;
    // Reports changed pixels inside rect to the container texture (its backend uploads them).
    void NotifyChanged(const RECT& rect);

private:
    BaseDevice& device_;
    MemoryTexture* container_;
    UINT level_;
    const TextureFormat& format_;
    UINT width_;
    UINT height_;
    UINT pitch_;
    std::vector<BYTE> bits_;
    ULONG refs_ = 1;
    bool locked_ = false;
    DWORD lockFlags_ = 0;
    RECT lockedRect_{};
};

// A surface whose pixels live in memory: a level of a MemoryTexture, or a standalone image
// surface made by CreateImageSurface.
#include "device/MemorySurface.h"

#include "device/BaseDevice.h"
#include "device/MemoryTexture.h"

MemorySurface::MemorySurface(MemoryTexture& container, UINT level, const TextureFormat& format,
                             UINT width, UINT height)
    : device_(container.Device()), container_(&container), level_(level), format_(format),
      width_(width), height_(height), pitch_(format.Pitch(width)),
      bits_(format.SurfaceBytes(width, height)) {}

MemorySurface::MemorySurface(BaseDevice& device, const TextureFormat& format, UINT width,
                             UINT height)
    : device_(device), container_(nullptr), level_(0), format_(format), width_(width),
      height_(height), pitch_(format.Pitch(width)), bits_(format.SurfaceBytes(width, height)) {
    device_.AddInternalRef();
}

MemorySurface::~MemorySurface() {
    if (container_ == nullptr) {
        device_.ReleaseInternalRef();
    }
}

ULONG MemorySurface::AddRef() {
    if (container_ != nullptr) {
        return container_->AddRef();
    }
    return ++refs_;
}

ULONG MemorySurface::Release() {
    if (container_ != nullptr) {
        return container_->Release();
    }
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT MemorySurface::GetDevice(IDirect3DDevice8** ppDevice) {
    if (ppDevice == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    device_.AddRef();
    *ppDevice = &device_;
    return D3D_OK;
}

DWORD MemorySurface::Usage() const {
    return container_ != nullptr ? container_->Usage() : 0;
}

D3DPOOL MemorySurface::Pool() const {
    return container_ != nullptr ? container_->Pool() : D3DPOOL_SYSTEMMEM;
}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (pDesc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    pDesc->Format = format_.format;
    pDesc->Type = D3DRTYPE_SURFACE;
    pDesc->Usage = Usage();
    pDesc->Pool = Pool();
    pDesc->Size = ByteSize();
    pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
    pDesc->Width = width_;
    pDesc->Height = height_;
    return D3D_OK;
}

bool MemorySurface::IsLockable() const {
    return Pool() != D3DPOOL_DEFAULT || (Usage() & D3DUSAGE_DYNAMIC) != 0;
}

RECT MemorySurface::Bounds() const {
    return {0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)};
}

bool MemorySurface::IsValidRect(const RECT& rect) const {
    if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom ||
        static_cast<UINT>(rect.right) > width_ || static_cast<UINT>(rect.bottom) > height_) {
        return false;
    }
    if (format_.IsCompressed()) {
        const auto onEdge = [](LONG v, UINT size) {
            return v % 4 == 0 || static_cast<UINT>(v) == size;
        };
        return rect.left % 4 == 0 && rect.top % 4 == 0 && onEdge(rect.right, width_) &&
               onEdge(rect.bottom, height_);
    }
    return true;
}

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
    if (pLockedRect == nullptr || locked_ || !IsLockable()) {
        return D3DERR_INVALIDCALL;
    }
    const RECT rect = pRect != nullptr ? *pRect : Bounds();
    if (!IsValidRect(rect)) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = true;
    lockFlags_ = Flags;
    lockedRect_ = rect;
    pLockedRect->Pitch = static_cast<INT>(pitch_);
    pLockedRect->pBits = bits_.data() + format_.Offset(static_cast<UINT>(rect.left),
                                                       static_cast<UINT>(rect.top), pitch_);
    return D3D_OK;
}

HRESULT MemorySurface::UnlockRect() {
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    if ((lockFlags_ & D3DLOCK_READONLY) == 0) {
        NotifyChanged(lockedRect_);
    }
    return D3D_OK;
}

void MemorySurface::NotifyChanged(const RECT& rect) {
    if (container_ != nullptr) {
        container_->OnLevelChanged(level_, rect);
    }
}

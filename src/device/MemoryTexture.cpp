// A texture whose levels live in memory; the OpenGL device derives from it to upload changes.
#include "device/MemoryTexture.h"

#include <algorithm>

MemoryTexture::MemoryTexture(BaseDevice& device, UINT width, UINT height, UINT levels, DWORD usage,
                             const TextureFormat& format, D3DPOOL pool, LevelFactory makeLevel)
    : MemoryResource(device, usage, pool), format_(format) {
    levels_.reserve(levels);
    for (UINT level = 0; level < levels; ++level) {
        const UINT w = std::max(1u, width >> level);
        const UINT h = std::max(1u, height >> level);
        if (makeLevel != nullptr) {
            levels_.push_back(makeLevel(*this, level, w, h));
        } else {
            levels_.push_back(std::make_unique<MemorySurface>(*this, level, format, w, h));
        }
    }
}

MemoryTexture::~MemoryTexture() = default;

UINT MemoryTexture::FullChainLength(UINT width, UINT height) {
    UINT side = std::max(width, height);
    UINT levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

DWORD MemoryTexture::SetLOD(DWORD LODNew) {
    if (Pool() != D3DPOOL_MANAGED) {
        return 0;
    }
    const DWORD old = lod_;
    lod_ = std::min<DWORD>(LODNew, LevelCount() - 1);
    return old;
}

DWORD MemoryTexture::GetLOD() {
    return Pool() == D3DPOOL_MANAGED ? lod_ : 0;
}

DWORD MemoryTexture::GetLevelCount() {
    return LevelCount();
}

HRESULT MemoryTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    if (Level >= LevelCount()) {
        return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->GetDesc(pDesc);
}

HRESULT MemoryTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) {
    if (Level >= LevelCount() || ppSurfaceLevel == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    AddRef();
    *ppSurfaceLevel = levels_[Level].get();
    return D3D_OK;
}

HRESULT MemoryTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                                DWORD Flags) {
    if (Level >= LevelCount()) {
        return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT MemoryTexture::UnlockRect(UINT Level) {
    if (Level >= LevelCount()) {
        return D3DERR_INVALIDCALL;
    }
    return levels_[Level]->UnlockRect();
}

HRESULT MemoryTexture::AddDirtyRect(const RECT* pDirtyRect) {
    // Every update copies whole levels, so dirty regions need no tracking; a given rectangle
    // must still lie on level 0.
    if (pDirtyRect != nullptr && !levels_[0]->IsValidRect(*pDirtyRect)) {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

void MemoryTexture::OnLevelChanged(UINT, const RECT&) {}

// A texture whose levels live in memory; the OpenGL device derives from it to upload changes.
#pragma once

#include <memory>
#include <vector>

#include "device/MemoryResource.h"
#include "device/MemorySurface.h"
#include "device/TextureFormat.h"

// Owns its level surfaces (level 0 is width x height, each next level halves both sides down to
// 1). Any change to a level's pixels (UnlockRect, CopyRects, UpdateTexture) is reported through
// OnLevelChanged.
class MemoryTexture : public MemoryResource<IDirect3DTexture8> {
public:
    // Makes a level surface; a device that records surface calls gives its own surface class.
    using LevelFactory = std::unique_ptr<MemorySurface> (*)(MemoryTexture& texture, UINT level,
                                                            UINT width, UINT height);

    // levels is the count to make (1 or more, already checked against the full chain).
    MemoryTexture(BaseDevice& device, UINT width, UINT height, UINT levels, DWORD usage,
                  const TextureFormat& format, D3DPOOL pool, LevelFactory makeLevel = nullptr);
    ~MemoryTexture() override;

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    // The level of detail only applies to managed textures; it is clamped to the last level and
    // the previous value is returned.
    DWORD SetLOD(DWORD LODNew) override;
    DWORD GetLOD() override;
    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) override;
    HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                     DWORD Flags) override;
    HRESULT UnlockRect(UINT Level) override;
    HRESULT AddDirtyRect(const RECT* pDirtyRect) override;

    UINT LevelCount() const { return static_cast<UINT>(levels_.size()); }
    MemorySurface& Level(UINT level) const { return *levels_[level]; }
    UINT Width() const { return levels_[0]->Width(); }
    UINT Height() const { return levels_[0]->Height(); }
    const TextureFormat& Format() const { return format_; }

    // Pixels inside rect of the level changed; the OpenGL texture uploads them here.
    virtual void OnLevelChanged(UINT level, const RECT& rect);

    // Levels of a full chain for a width x height level 0: floor(log2(max(width, height))) + 1.
    static UINT FullChainLength(UINT width, UINT height);

private:
    const TextureFormat& format_;
    std::vector<std::unique_ptr<MemorySurface>> levels_;
    DWORD lod_ = 0;
};

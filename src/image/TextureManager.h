// The process-wide cache of device textures made from picture files, keyed by file name.
#pragma once

#include "device/D3D8.h"
#include "device/DevicePtr.h"
#include "scene/NamedList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ImageBuffer;

// Thrown for a call without a texture name (code 3).
struct CTextureException {
    int code;
};

// One cache entry's value: the texture of a name, none before creation and after a failure.
struct TextureRef {
    DevicePtr<IDirect3DTexture8> texture;
};

class TextureManager {
public:
    // The one instance the program uses.
    static TextureManager& Instance();

    // Sets the fallback folder; it always ends with a backslash ("" gives "\").
    void SetDataDirectory(const char* path);
    // Enables the manager with device (a link) and format and gives it a new, empty cache; the
    // textures of an earlier cache are released.
    void Init(IDirect3DDevice8* device, D3DFORMAT format);
    // The cached texture of name (letter case aside), or null; the cache keeps the reference.
    IDirect3DTexture8* FindTexture(const char* name) const;
    // Makes the texture of name unless it is cached. Gives 0 when an alpha-mask file (the name
    // with its last three characters replaced by "a"; names shorter than three characters have
    // none) exists beside it or in the data folder, and 1 otherwise, whether or not the texture
    // could be made. Throws CTextureException{3}
    // for a null name. flags is not used.
    int LoadTexture(const char* name, std::uint32_t flags);
    // Removes name's entry and releases its texture; unknown names change nothing.
    void ReleaseTexture(const char* name);

    bool IsEnabled() const { return enabled; }
    D3DFORMAT GetTextureFormat() const { return textureFormat; }
    const std::string& GetDataDirectory() const { return dataDirectory; }
    // Cache entries in order of first loading (for tools and tests).
    const NamedList<TextureRef>& GetCache() const { return cache; }

private:
    void CreateTexture(const char* name);
    void CreateTextureWithAlpha(const char* name, const char* maskName);
    // The picture of name as passed, else in the data folder; null when neither reads.
    std::unique_ptr<ImageBuffer> LoadPicture(const char* name) const;
    // The entry of name, made and added to the cache when there is none.
    TextureRef& EntryFor(const char* name);
    // Creates ref's texture with the power-of-two size that covers the picture and fills its
    // levels; on any failure ref is left without texture.
    void MakeTexture(TextureRef& ref, const ImageBuffer& picture, UINT levels);

    bool enabled = false;
    D3DFORMAT textureFormat = D3DFMT_A8R8G8B8;
    IDirect3DDevice8* device = nullptr;
    NamedList<TextureRef> cache;
    std::vector<std::unique_ptr<TextureRef>> ownedRefs;
    std::string dataDirectory;
};

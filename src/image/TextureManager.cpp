// The texture cache: pictures read with the picture readers, alpha masks merged in, textures made
// on the device and kept under the caller's file name.
#include "image/TextureManager.h"

#include "device/D3DX.h"
#include "device/D3DXSurface.h"
#include "image/BmpReader.h"
#include "image/ImageBuffer.h"
#include "image/LoadImage.h"
#include "image/MergeAlpha.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr UINT kMipLevels = 4;
constexpr UINT kMaskedLevels = 1;
constexpr DWORD kLevelFilter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;

// Whether name opens for reading as a file. A folder of that name does not count, as on the
// system the data was made for, where folders cannot be opened as files.
bool FileExists(const std::string& name) {
    std::FILE* file = OpenFile(name.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    struct stat info {};
    const bool regular = fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
    std::fclose(file);
    return regular;
}

// The smallest power of two not below size (1 for 0 and 1); nothing when it does not fit a UINT.
std::optional<UINT> PowerOfTwoAtLeast(std::uint32_t size) {
    std::uint64_t power = 1;
    while (power < size) {
        power <<= 1;
    }
    if (power > std::numeric_limits<UINT>::max()) {
        return std::nullopt;
    }
    return static_cast<UINT>(power);
}

bool HasPixels(const ImageBuffer& picture) {
    return picture.width != 0 && picture.height != 0;
}

// Whether textures of format can take the merged alpha mask.
bool TakesAlphaMask(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A4R4G4B4 || format == D3DFMT_A8R3G3B2;
}

// Fills every level of texture with the whole picture, resampled to the level's size by the
// triangle filter with dithering. False when a level's surface or fill fails.
bool FillLevels(IDirect3DTexture8& texture, const ImageBuffer& picture) {
    // The source pitch and rectangle are 32-bit; larger pictures are beyond every device anyway.
    constexpr std::uint32_t kMaxSide = std::numeric_limits<LONG>::max() / 4;
    if (picture.width > kMaxSide || picture.height > kMaxSide) {
        return false;
    }
    const RECT source = {0, 0, static_cast<LONG>(picture.width), static_cast<LONG>(picture.height)};
    const UINT pitch = picture.width * 4;
    for (DWORD level = 0; level < texture.GetLevelCount(); ++level) {
        DevicePtr<IDirect3DSurface8> surface;
        if (FAILED(texture.GetSurfaceLevel(level, surface.ReleaseAndGetAddressOf()))) {
            return false;
        }
        if (FAILED(D3DXLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, picture.pixels.get(),
                                             D3DFMT_A8R8G8B8, pitch, nullptr, &source, kLevelFilter,
                                             0))) {
            return false;
        }
    }
    return true;
}

} // namespace

TextureManager& TextureManager::Instance() {
    static TextureManager instance;
    return instance;
}

void TextureManager::SetDataDirectory(const char* path) {
    dataDirectory = path != nullptr ? path : "";
    if (dataDirectory.empty() || dataDirectory.back() != '\\') {
        dataDirectory += '\\';
    }
}

void TextureManager::Init(IDirect3DDevice8* newDevice, D3DFORMAT format) {
    enabled = true;
    device = newDevice;
    textureFormat = format;
    // The links go first, then the entries they point to, releasing their textures.
    cache = NamedList<TextureRef>();
    ownedRefs.clear();
}

IDirect3DTexture8* TextureManager::FindTexture(const char* name) const {
    if (name == nullptr) {
        return nullptr;
    }
    const TextureRef* ref = cache.Find(name);
    return ref != nullptr ? ref->texture.Get() : nullptr;
}

int TextureManager::LoadTexture(const char* name, std::uint32_t /*flags*/) {
    if (name == nullptr) {
        throw CTextureException{3};
    }
    // The mask name replaces the last three characters by "a" (wood.jpg: wood.a); shorter names
    // have none and go straight to the plain texture.
    const std::size_t length = std::strlen(name);
    if (length >= 3) {
        const std::string maskName = std::string(name, length - 3) + 'a';
        if (FileExists(maskName) || FileExists(dataDirectory + maskName)) {
            CreateTextureWithAlpha(name, maskName.c_str());
            return 0;
        }
    }
    CreateTexture(name);
    return 1;
}

void TextureManager::ReleaseTexture(const char* name) {
    if (name == nullptr) {
        return;
    }
    TextureRef* ref = cache.Remove(name);
    if (ref == nullptr) {
        return;
    }
    const auto owned = std::find_if(ownedRefs.begin(), ownedRefs.end(),
                                    [ref](const auto& held) { return held.get() == ref; });
    if (owned != ownedRefs.end()) {
        ownedRefs.erase(owned);
    }
}

std::unique_ptr<ImageBuffer> TextureManager::LoadPicture(const char* name) const {
    std::unique_ptr<ImageBuffer> picture = LoadImage(name);
    if (!picture) {
        picture = LoadImage((dataDirectory + name).c_str());
    }
    return picture;
}

TextureRef& TextureManager::EntryFor(const char* name) {
    // A name whose earlier creation failed keeps its entry; the new texture goes there, where
    // FindTexture can reach it.
    if (TextureRef* existing = cache.Find(name)) {
        return *existing;
    }
    ownedRefs.push_back(std::make_unique<TextureRef>());
    TextureRef& ref = *ownedRefs.back();
    cache.Add(name, &ref);
    return ref;
}

void TextureManager::MakeTexture(TextureRef& ref, const ImageBuffer& picture, UINT levels) {
    const std::optional<UINT> width2 = PowerOfTwoAtLeast(picture.width);
    const std::optional<UINT> height2 = PowerOfTwoAtLeast(picture.height);
    if (!width2 || !height2 ||
        FAILED(device->CreateTexture(*width2, *height2, levels, 0, textureFormat, D3DPOOL_MANAGED,
                                     ref.texture.ReleaseAndGetAddressOf()))) {
        ref.texture.Reset();
        return;
    }
    if (!FillLevels(*ref.texture, picture)) {
        ref.texture.Reset();
    }
}

void TextureManager::CreateTexture(const char* name) {
    if (name == nullptr || !enabled || device == nullptr) {
        return;
    }
    if (FindTexture(name) != nullptr) {
        return;
    }
    const std::unique_ptr<ImageBuffer> picture = LoadPicture(name);
    if (!picture || !HasPixels(*picture)) {
        return;
    }
    MakeTexture(EntryFor(name), *picture, kMipLevels);
}

void TextureManager::CreateTextureWithAlpha(const char* name, const char* maskName) {
    // Without Init there is no device to make the texture on.
    if (name == nullptr || maskName == nullptr || device == nullptr) {
        return;
    }
    if (FindTexture(name) != nullptr || !TakesAlphaMask(textureFormat)) {
        return;
    }
    const std::unique_ptr<ImageBuffer> picture = LoadPicture(name);
    std::unique_ptr<ImageBuffer> mask = LoadAlphaBmp(maskName);
    if (!mask) {
        mask = LoadAlphaBmp((dataDirectory + maskName).c_str());
    }
    if (!picture || !mask || !HasPixels(*picture)) {
        return;
    }
    MergeAlpha(picture.get(), mask.get());
    MakeTexture(EntryFor(name), *picture, kMaskedLevels);
}

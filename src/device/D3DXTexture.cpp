// Textures made from picture files.
#include "device/D3DXTexture.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "device/D3DXImage.h"
#include "device/DevicePtr.h"
#include "device/picture/Picture.h"
#include "device/picture/PixelCodec.h"
#include "platform/FileSystem.h"

namespace {

// What the creators ask of the device: its capabilities and the formats its textures take.
class DeviceFacts {
public:
    explicit DeviceFacts(IDirect3DDevice8* device) {
        ok_ = SUCCEEDED(device->GetDeviceCaps(&caps_)) &&
              SUCCEEDED(device->GetCreationParameters(&creation_)) &&
              SUCCEEDED(device->GetDisplayMode(&mode_)) &&
              SUCCEEDED(device->GetDirect3D(d3d_.ReleaseAndGetAddressOf()));
    }

    bool Ok() const { return ok_; }
    const D3DCAPS8& Caps() const { return caps_; }
    bool TakesTexture(D3DFORMAT format, DWORD usage) const {
        return SUCCEEDED(d3d_->CheckDeviceFormat(creation_.AdapterOrdinal, creation_.DeviceType,
                                                 mode_.Format, usage, D3DRTYPE_TEXTURE, format));
    }

private:
    bool ok_ = false;
    D3DCAPS8 caps_{};
    D3DDEVICE_CREATION_PARAMETERS creation_{};
    D3DDISPLAYMODE mode_{};
    DevicePtr<IDirect3D8> d3d_;
};

// The formats that can stand in for `wanted`, closest first: the same channels with as many bits
// or more, then fewer bits.
std::vector<D3DFORMAT> Candidates(D3DFORMAT wanted) {
    switch (wanted) {
    case D3DFMT_R8G8B8:
    case D3DFMT_X8R8G8B8:
        return {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A2B10G10R10:
        return {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
    case D3DFMT_R5G6B5:
        return {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    case D3DFMT_X1R5G5B5:
        return {D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8};
    case D3DFMT_A1R5G5B5:
        return {D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8};
    case D3DFMT_A4R4G4B4:
        return {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5};
    case D3DFMT_X4R4G4B4:
        return {D3DFMT_X4R4G4B4, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8};
    case D3DFMT_R3G3B2:
        return {D3DFMT_R3G3B2, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8};
    case D3DFMT_A8R3G3B2:
        return {D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    case D3DFMT_A8:
        return {D3DFMT_A8, D3DFMT_A8L8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    case D3DFMT_L8:
        return {D3DFMT_L8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5};
    case D3DFMT_A8L8:
        return {D3DFMT_A8L8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    case D3DFMT_A4L4:
        return {D3DFMT_A4L4, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8};
    case D3DFMT_DXT1:
        return {D3DFMT_DXT1, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5};
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        return {wanted, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    default:
        return {wanted};
    }
}

// A format with alpha for a picture in `format` whose colour key must become transparent.
D3DFORMAT WithAlpha(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
        return D3DFMT_A1R5G5B5;
    case D3DFMT_X4R4G4B4:
        return D3DFMT_A4R4G4B4;
    case D3DFMT_R3G3B2:
        return D3DFMT_A8R3G3B2;
    case D3DFMT_L8:
        return D3DFMT_A8L8;
    default:
        return D3DFMT_A8R8G8B8;
    }
}

bool HasAlpha(D3DFORMAT format) {
    const picture::PixelLayout* layout = picture::FindPixelLayout(format);
    return format == D3DFMT_DXT1 || (layout && layout->HasAlpha());
}

// The texture format for the picture; D3DFMT_UNKNOWN when the device takes none that fits.
D3DFORMAT ChooseFormat(D3DFORMAT requested, const picture::Picture& picture, D3DCOLOR colorKey,
                       DWORD usage, const DeviceFacts& device) {
    D3DFORMAT format = requested == D3DFMT_UNKNOWN ? picture.format : requested;
    if (format == D3DFMT_P8 || format == D3DFMT_A8P8) {
        const bool translucent = std::any_of(picture.palette.begin(), picture.palette.end(),
                                             [](D3DCOLOR entry) { return (entry >> 24) != 0xFF; });
        format = (format == D3DFMT_A8P8 || translucent) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
    if (requested == D3DFMT_UNKNOWN && colorKey != 0 && !HasAlpha(format)) {
        format = WithAlpha(format);
    }
    for (D3DFORMAT candidate : Candidates(format)) {
        if (device.TakesTexture(candidate, usage)) {
            return candidate;
        }
    }
    return D3DFMT_UNKNOWN;
}

bool IsPowerOfTwo(UINT v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// The smallest power of two at least v, but no more than `limit` (then the largest below it).
UINT PowerOfTwoAtLeast(UINT v, UINT limit) {
    const UINT up = std::bit_ceil(v);
    return (limit != 0 && up > limit) ? std::bit_floor(limit) : up;
}

// The picture's size fitted to what the device's textures can be.
void FitSize(const D3DCAPS8& caps, D3DFORMAT format, UINT& width, UINT& height) {
    if (caps.MaxTextureWidth != 0) {
        width = std::min<UINT>(width, caps.MaxTextureWidth);
    }
    if (caps.MaxTextureHeight != 0) {
        height = std::min<UINT>(height, caps.MaxTextureHeight);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
        width = height = std::min(width, height);
    } else if (caps.MaxTextureAspectRatio != 0) {
        const std::uint64_t ratio = caps.MaxTextureAspectRatio;
        width = static_cast<UINT>(std::min<std::uint64_t>(width, height * ratio));
        height = static_cast<UINT>(std::min<std::uint64_t>(height, width * ratio));
    }
    if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
        !(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL)) {
        width = PowerOfTwoAtLeast(width, caps.MaxTextureWidth);
        height = PowerOfTwoAtLeast(height, caps.MaxTextureHeight);
    }
    const picture::PixelLayout* layout = picture::FindPixelLayout(format);
    if (layout && layout->IsBlock()) {
        width = (width + 3) / 4 * 4;
        height = (height + 3) / 4 * 4;
    }
}

UINT LevelCount(const D3DCAPS8& caps, UINT width, UINT height, UINT requested) {
    const UINT full = static_cast<UINT>(std::bit_width(std::max(width, height)));
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP)) {
        return 1;
    }
    if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
        (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) &&
        (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))) {
        return 1;
    }
    return (requested == 0 || requested == D3DX_DEFAULT || requested > full) ? full : requested;
}

// Fills every level of `texture` (lockable) from the picture, as the creators describe.
HRESULT FillLevels(IDirect3DTexture8* texture, const picture::Picture& picture, DWORD filter,
                   DWORD mipFilter, D3DCOLOR colorKey) {
    const DWORD filterType = filter & 0xFFFF;
    const DWORD mipType = mipFilter & 0xFFFF;
    const bool fromLevelAbove = filterType == D3DX_FILTER_NONE || mipType == D3DX_FILTER_POINT ||
                                mipType == D3DX_FILTER_BOX;
    D3DXImage whole;
    const UINT levels = texture->GetLevelCount();
    for (UINT i = 0; i < levels; ++i) {
        DevicePtr<IDirect3DSurface8> surface;
        HRESULT hr = texture->GetSurfaceLevel(i, surface.ReleaseAndGetAddressOf());
        D3DSURFACE_DESC desc{};
        if (SUCCEEDED(hr)) {
            hr = surface->GetDesc(&desc);
        }
        if (FAILED(hr)) {
            return hr;
        }
        if (i < picture.levels.size()) {
            const picture::PictureLevel& own = picture.levels[i];
            if (colorKey == 0 && picture.format == desc.Format && own.width == desc.Width &&
                own.height == desc.Height) {
                // Same format and size: every filter leaves the pixels as they are.
                hr = WriteSurfaceBytes(surface.Get(), own.bits.data(), own.pitch);
            } else {
                const std::vector<D3DCOLOR> argb = picture::LevelToArgb(picture, i);
                const D3DXImage image = ImageFromArgb(argb.data(), own.width, own.height, colorKey);
                hr = WriteSurface(surface.Get(), nullptr,
                                  Resample(image, desc.Width, desc.Height, filter),
                                  (filter & D3DX_FILTER_DITHER) != 0);
            }
        } else if (fromLevelAbove) {
            DevicePtr<IDirect3DSurface8> above;
            D3DXImage image;
            hr = texture->GetSurfaceLevel(i - 1, above.ReleaseAndGetAddressOf());
            if (SUCCEEDED(hr)) {
                hr = ReadSurface(above.Get(), image);
            }
            if (SUCCEEDED(hr)) {
                hr = WriteSurface(surface.Get(), nullptr,
                                  Resample(image, desc.Width, desc.Height, mipFilter),
                                  (mipFilter & D3DX_FILTER_DITHER) != 0);
            }
        } else {
            if (whole.rgba.empty()) {
                const std::vector<D3DCOLOR> argb = picture::LevelToArgb(picture, 0);
                whole = ImageFromArgb(argb.data(), picture.Width(), picture.Height(), colorKey);
            }
            hr = WriteSurface(surface.Get(), nullptr,
                              Resample(whole, desc.Width, desc.Height, filter),
                              (filter & D3DX_FILTER_DITHER) != 0);
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
    return D3D_OK;
}

} // namespace

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* pDevice, const void* pSrcData,
                                            UINT SrcDataSize, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                            D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                            PALETTEENTRY*, IDirect3DTexture8** ppTexture) {
    if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture) {
        return D3DERR_INVALIDCALL;
    }
    const DWORD filter =
        Filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER : Filter;
    const DWORD mipFilter = MipFilter == D3DX_DEFAULT ? D3DX_FILTER_BOX : MipFilter;
    if (!IsValidFilter(filter) || !IsValidFilter(mipFilter)) {
        return D3DERR_INVALIDCALL;
    }
    picture::Picture picture;
    if (!picture::DecodePicture(pSrcData, SrcDataSize, picture)) {
        return D3DXERR_INVALIDDATA;
    }
    const DeviceFacts device(pDevice);
    if (!device.Ok()) {
        return D3DERR_INVALIDCALL;
    }
    const D3DFORMAT format = ChooseFormat(Format, picture, ColorKey, Usage, device);
    if (format == D3DFMT_UNKNOWN) {
        return D3DERR_NOTAVAILABLE;
    }
    UINT width = (Width == 0 || Width == D3DX_DEFAULT) ? picture.Width() : Width;
    UINT height = (Height == 0 || Height == D3DX_DEFAULT) ? picture.Height() : Height;
    FitSize(device.Caps(), format, width, height);
    const UINT levels = LevelCount(device.Caps(), width, height, MipLevels);

    DevicePtr<IDirect3DTexture8> texture;
    HRESULT hr = pDevice->CreateTexture(width, height, levels, Usage, format, Pool,
                                        texture.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        return hr;
    }
    // A default-pool texture cannot be locked: its levels are filled in system memory and
    // moved over in one update.
    const bool twin = Pool == D3DPOOL_DEFAULT && !(Usage & D3DUSAGE_DYNAMIC);
    DevicePtr<IDirect3DTexture8> staging;
    if (twin) {
        hr = pDevice->CreateTexture(width, height, levels, 0, format, D3DPOOL_SYSTEMMEM,
                                    staging.ReleaseAndGetAddressOf());
        if (FAILED(hr)) {
            return hr;
        }
    }
    hr = FillLevels(twin ? staging.Get() : texture.Get(), picture, filter, mipFilter, ColorKey);
    if (SUCCEEDED(hr) && twin) {
        hr = pDevice->UpdateTexture(staging.Get(), texture.Get());
    }
    if (FAILED(hr)) {
        return hr;
    }
    if (pSrcInfo) {
        *pSrcInfo = {picture.Width(),
                     picture.Height(),
                     1,
                     static_cast<UINT>(picture.levels.size()),
                     picture.format,
                     D3DRTYPE_TEXTURE,
                     picture.fileFormat};
    }
    *ppTexture = texture.Detach();
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* pDevice, const void* pSrcData,
                                          UINT SrcDataSize, IDirect3DTexture8** ppTexture) {
    return D3DXCreateTextureFromFileInMemoryEx(
        pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
        D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* pDevice, const char* pSrcFile, UINT Width,
                                     UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                     D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                     IDirect3DTexture8** ppTexture) {
    if (!pDevice || !pSrcFile || !ppTexture) {
        return D3DERR_INVALIDCALL;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(pSrcFile);
    if (!bytes || bytes->empty() || bytes->size() > 0xFFFFFFFFu) {
        return D3DXERR_INVALIDDATA;
    }
    return D3DXCreateTextureFromFileInMemoryEx(
        pDevice, bytes->data(), static_cast<UINT>(bytes->size()), Width, Height, MipLevels, Usage,
        Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo, pPalette, ppTexture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* pDevice, const char* pSrcFile,
                                   IDirect3DTexture8** ppTexture) {
    return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                        0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                        D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

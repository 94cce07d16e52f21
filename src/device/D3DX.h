// The graphics utility layer over the rendering device: its constants and records. Its operations
// are declared beside their implementations: D3DXTexture.h, D3DXSurface.h, D3DXSprite.h.
#pragma once

#include "device/D3D8.h"

// Status of a picture that no reader accepts, or a file that cannot be opened.
constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);

// "Use the default" for sizes, level counts and filters.
constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;

// Filters: one of the first five, optionally with the flags after them.
constexpr DWORD D3DX_FILTER_NONE = 0x00000001;
constexpr DWORD D3DX_FILTER_POINT = 0x00000002;
constexpr DWORD D3DX_FILTER_LINEAR = 0x00000003;
constexpr DWORD D3DX_FILTER_TRIANGLE = 0x00000004;
constexpr DWORD D3DX_FILTER_BOX = 0x00000005;
constexpr DWORD D3DX_FILTER_MIRROR_U = 0x00010000;
constexpr DWORD D3DX_FILTER_MIRROR_V = 0x00020000;
constexpr DWORD D3DX_FILTER_MIRROR_W = 0x00040000;
constexpr DWORD D3DX_FILTER_MIRROR = 0x00070000;
constexpr DWORD D3DX_FILTER_DITHER = 0x00080000;

// File formats of a decoded picture.
enum D3DXIMAGE_FILEFORMAT : DWORD {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
};

// What a creator found in the picture file: its size, levels and format as stored.
struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// A two-component vector: screen pixels for sprites.
struct D3DXVECTOR2 {
    float x;
    float y;
};

// One palette entry as the device stores palettes: red, green, blue and flags (alpha).
struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};

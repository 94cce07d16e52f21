// Textures made from picture files (BMP, PPM, DDS, JPEG, PNG, TGA, device-independent bitmaps),
// on disk or in memory, as the utility layer makes them.
#pragma once

#include "device/D3DX.h"

// The texture of a picture in memory. Readers are tried in the order BMP, PPM, DDS, JPEG, PNG,
// TGA, device-independent bitmap; none accepting gives D3DXERR_INVALIDDATA.
// - Width and Height 0 or D3DX_DEFAULT take the picture's size. The size is then fitted to the
//   device: clamped to its largest texture, the longer side cut to its largest aspect ratio
//   (square on a device that takes only square textures), both sides rounded up to powers of
//   two on a device that requires them (down where that would pass the largest texture), and
//   to multiples of 4 for DXT formats.
// - MipLevels 0 or D3DX_DEFAULT, or more than the full chain, give the full chain down to a side
//   of 1; a device that cannot mipmap, or that takes sizes other than powers of two only without
//   mip maps when a side is not one, gets 1 level.
// - Format D3DFMT_UNKNOWN takes the picture's own; with a colour key and no alpha in that format
//   a format with alpha is looked for. P8 pictures become A8R8G8B8 when a palette entry is not
//   opaque and X8R8G8B8 otherwise (devices here have no palette textures); a format the device
//   does not take becomes the closest one it does, R8G8B8 becoming X8R8G8B8. No acceptable format
//   gives D3DERR_NOTAVAILABLE.
// - Filter D3DX_DEFAULT is D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER, MipFilter D3DX_DEFAULT is
//   D3DX_FILTER_BOX. Levels the file carries are filled from their own pictures: with
//   D3DX_FILTER_NONE unscaled in the top-left corner, transparent black (black without alpha)
//   beyond, otherwise resampled to the level. Further levels are made from the level above with
//   MipFilter when Filter is D3DX_FILTER_NONE or MipFilter is point or box, and from the picture
//   with Filter otherwise.
// - D3DPOOL_DEFAULT without D3DUSAGE_DYNAMIC fills a system-memory twin and moves it over with
//   one UpdateTexture.
// - A non-zero ColorKey makes picture pixels equal to it (0xAARRGGBB) transparent black.
// - pSrcInfo, when given, receives the picture's size, level count, format and file format;
//   pPalette is not written (no palette textures).
// D3DERR_INVALIDCALL for a null device, data or ppTexture, a size of 0, or an unknown filter;
// failures of the device's calls are passed on. On failure nothing is stored and whatever was
// made is released; on success the texture is stored through ppTexture and 0 returned.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* pDevice, const void* pSrcData,
                                            UINT SrcDataSize, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                            D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                            PALETTEENTRY* pPalette, IDirect3DTexture8** ppTexture);

// The "Ex" form with the picture's size, a full mip chain, usage 0, the picture's format, the
// managed pool, the default filters, no colour key, no information and no palette.
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* pDevice, const void* pSrcData,
                                          UINT SrcDataSize, IDirect3DTexture8** ppTexture);

// The memory forms on the whole content of the file pSrcFile, opened with the program's file
// opening (names as the data writes them). A file that cannot be opened or read, or is empty,
// gives D3DXERR_INVALIDDATA; a null name D3DERR_INVALIDCALL.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* pDevice, const char* pSrcFile, UINT Width,
                                     UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                     D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                     IDirect3DTexture8** ppTexture);
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice8* pDevice, const char* pSrcFile,
                                   IDirect3DTexture8** ppTexture);

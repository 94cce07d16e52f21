// Filling a device surface from pixels in memory, as the utility layer does.
#pragma once

#include "device/D3DX.h"

// Converts the source rectangle of the pixels at pSrcMemory (rows SrcPitch bytes apart, in
// SrcFormat; P8 and A8P8 look up pSrcPalette's 256 entries) to the destination surface's format
// and puts it on pDestRect (the whole surface when null), resampled to that rectangle's size by
// Filter (D3DX_DEFAULT: D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER) with ordered dithering where
// D3DX_FILTER_DITHER is given. A non-zero ColorKey turns source pixels equal to it (as
// 0xAARRGGBB) into transparent black. The destination palette is not used: devices here have no
// palette textures. D3DERR_INVALIDCALL for a null destination, pixels or source rectangle, an
// empty source rectangle, a destination rectangle outside the surface, an unknown filter or
// source format, or a palette format without a palette; 0 on success.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* pDestSurface, const PALETTEENTRY* pDestPalette,
                                  const RECT* pDestRect, const void* pSrcMemory,
                                  D3DFORMAT SrcFormat, UINT SrcPitch,
                                  const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                  DWORD Filter, D3DCOLOR ColorKey);

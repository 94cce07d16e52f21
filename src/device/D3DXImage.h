// The utility layer's working pictures: pixels as floats, resampled by its filters, read from
// and written to device surfaces.
#pragma once

#include <vector>

#include "device/D3DX.h"

// width × height pixels of R, G, B, A floats on the 0..255 scale, rows top-down.
struct D3DXImage {
    UINT width = 0;
    UINT height = 0;
    std::vector<float> rgba;

    float* Pixel(UINT x, UINT y) { return rgba.data() + (std::size_t{y} * width + x) * 4; }
    const float* Pixel(UINT x, UINT y) const {
        return rgba.data() + (std::size_t{y} * width + x) * 4;
    }
};

// A picture of 0xAARRGGBB pixels as a working picture; pixels equal to `colorKey` (when it is
// not 0) become transparent black.
D3DXImage ImageFromArgb(const D3DCOLOR* argb, UINT width, UINT height, D3DCOLOR colorKey);

// Whether `filter` names one of the five filters (its low 16 bits 1..5), with only the mirror and
// dither flags besides.
bool IsValidFilter(DWORD filter);

// `source` resampled to width × height by the filter in the low bits of `filter`:
// - D3DX_FILTER_NONE: no scaling; the source is copied to the top-left corner, what does not fit
//   is cut off, and pixels beyond it are transparent black.
// - D3DX_FILTER_POINT: each pixel takes the source pixel under its centre.
// - D3DX_FILTER_LINEAR: bilinear interpolation between the four source pixels around its centre.
// - D3DX_FILTER_TRIANGLE: a tent-weighted average whose radius is one source pixel when
//   enlarging and one destination pixel (in source pixels: the reduction factor) when reducing,
//   so that every source pixel contributes; smooth in both directions.
// - D3DX_FILTER_BOX: the average of the source area the pixel covers, each source pixel weighted
//   by the part of it inside (so a halving averages 2x2 pixels equally).
// Pixel centres sit at half-integer positions. Beyond the edges the source repeats its edge
// pixels, or mirrors itself in U and V with D3DX_FILTER_MIRROR_U / _V.
D3DXImage Resample(const D3DXImage& source, UINT width, UINT height, DWORD filter);

// Reads the whole surface as a working picture: locked for reading, or, when it cannot be
// locked, copied to an image surface first.
HRESULT ReadSurface(IDirect3DSurface8* surface, D3DXImage& out);

// Writes `image` (already the size of `rect`, or of the whole surface for a null rect) into the
// surface, converted to the surface's format, with ordered dithering when `dither` is set. A
// surface that cannot be locked is written through an image surface and CopyRects.
HRESULT WriteSurface(IDirect3DSurface8* surface, const RECT* rect, const D3DXImage& image,
                     bool dither);

// Copies rows of `bytes` bytes from source to a locked surface region (formats already equal).
HRESULT WriteSurfaceBytes(IDirect3DSurface8* surface, const BYTE* bits, std::size_t pitch);

// Filling a device surface from pixels in memory.
#include "device/D3DXSurface.h"

#include <vector>

#include "device/D3DXImage.h"
#include "device/picture/PixelCodec.h"

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface8* pDestSurface, const PALETTEENTRY*,
                                  const RECT* pDestRect, const void* pSrcMemory,
                                  D3DFORMAT SrcFormat, UINT SrcPitch,
                                  const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                  DWORD Filter, D3DCOLOR ColorKey) {
    if (!pDestSurface || !pSrcMemory || !pSrcRect) {
        return D3DERR_INVALIDCALL;
    }
    if (Filter == D3DX_DEFAULT) {
        Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
    }
    const picture::PixelLayout* layout = picture::FindPixelLayout(SrcFormat);
    const RECT& src = *pSrcRect;
    if (!IsValidFilter(Filter) || !layout || src.left < 0 || src.top < 0 || src.right <= src.left ||
        src.bottom <= src.top || (layout->kind == picture::PixelLayout::Palette && !pSrcPalette) ||
        (layout->IsBlock() && (src.left % 4 != 0 || src.top % 4 != 0))) {
        return D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC desc{};
    HRESULT hr = pDestSurface->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    const RECT whole = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    const RECT dest = pDestRect ? *pDestRect : whole;
    if (dest.left < 0 || dest.top < 0 || dest.right <= dest.left || dest.bottom <= dest.top ||
        dest.right > whole.right || dest.bottom > whole.bottom) {
        return D3DERR_INVALIDCALL;
    }

    std::vector<D3DCOLOR> palette;
    if (pSrcPalette) {
        palette.resize(256);
        for (std::size_t i = 0; i < 256; ++i) {
            const PALETTEENTRY& e = pSrcPalette[i];
            palette[i] = (static_cast<D3DCOLOR>(e.peFlags) << 24) |
                         (static_cast<D3DCOLOR>(e.peRed) << 16) | (e.peGreen << 8) | e.peBlue;
        }
    }
    const UINT width = static_cast<UINT>(src.right - src.left);
    const UINT height = static_cast<UINT>(src.bottom - src.top);
    const BYTE* first =
        static_cast<const BYTE*>(pSrcMemory) +
        static_cast<std::size_t>(layout->RowCount(static_cast<UINT>(src.top))) * SrcPitch +
        layout->RowBytes(static_cast<UINT>(src.left));
    std::vector<D3DCOLOR> argb(std::size_t{width} * height);
    picture::DecodeToArgb(SrcFormat, first, SrcPitch, width, height,
                          palette.empty() ? nullptr : palette.data(), argb.data());
    const D3DXImage source = ImageFromArgb(argb.data(), width, height, ColorKey);
    const D3DXImage placed = Resample(source, static_cast<UINT>(dest.right - dest.left),
                                      static_cast<UINT>(dest.bottom - dest.top), Filter);
    return WriteSurface(pDestSurface, pDestRect ? &dest : nullptr, placed,
                        (Filter & D3DX_FILTER_DITHER) != 0);
}

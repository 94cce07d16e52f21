// The utility layer's working pictures: conversion, filters and surface access.
#include "device/D3DXImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/DevicePtr.h"
#include "device/picture/PixelCodec.h"

namespace {

struct Tap {
    UINT index;
    float weight;
};

// A source index outside 0..n−1 brought back inside: the edge repeated, or the source mirrored.
UINT EdgeIndex(long long i, UINT n, bool mirror) {
    if (mirror) {
        const long long period = 2LL * n;
        long long m = i % period;
        if (m < 0) {
            m += period;
        }
        return static_cast<UINT>(m < n ? m : period - 1 - m);
    }
    return static_cast<UINT>(std::clamp<long long>(i, 0, static_cast<long long>(n) - 1));
}

// For each destination position along one axis, the source positions it reads and their
// weights (summing to 1).
std::vector<std::vector<Tap>> AxisTaps(UINT source, UINT destination, DWORD type, bool mirror) {
    std::vector<std::vector<Tap>> taps(destination);
    const double scale = static_cast<double>(source) / destination;
    for (UINT d = 0; d < destination; ++d) {
        std::vector<Tap>& t = taps[d];
        const double centre = (d + 0.5) * scale - 0.5;
        auto add = [&](long long i, double w) {
            if (w > 0.0) {
                t.push_back({EdgeIndex(i, source, mirror), static_cast<float>(w)});
            }
        };
        switch (type) {
        case D3DX_FILTER_POINT:
            add(static_cast<long long>(std::floor((d + 0.5) * scale)), 1.0);
            break;
        case D3DX_FILTER_LINEAR: {
            const double i0 = std::floor(centre);
            add(static_cast<long long>(i0), 1.0 - (centre - i0));
            add(static_cast<long long>(i0) + 1, centre - i0);
            break;
        }
        case D3DX_FILTER_TRIANGLE: {
            const double radius = std::max(1.0, scale);
            for (long long i = static_cast<long long>(std::ceil(centre - radius));
                 i <= static_cast<long long>(std::floor(centre + radius)); ++i) {
                add(i, 1.0 - std::abs(static_cast<double>(i) - centre) / radius);
            }
            break;
        }
        default: { // D3DX_FILTER_BOX
            const double low = d * scale;
            const double high = (d + 1) * scale;
            for (long long i = static_cast<long long>(std::floor(low));
                 static_cast<double>(i) < high; ++i) {
                add(i, std::min(high, static_cast<double>(i + 1)) -
                           std::max(low, static_cast<double>(i)));
            }
            break;
        }
        }
        float sum = 0.0f;
        for (const Tap& tap : t) {
            sum += tap.weight;
        }
        for (Tap& tap : t) {
            tap.weight /= sum;
        }
    }
    return taps;
}

// The device behind a surface, with its own reference.
DevicePtr<IDirect3DDevice8> SurfaceDevice(IDirect3DSurface8* surface) {
    DevicePtr<IDirect3DDevice8> device;
    surface->GetDevice(device.ReleaseAndGetAddressOf());
    return device;
}

} // namespace

D3DXImage ImageFromArgb(const D3DCOLOR* argb, UINT width, UINT height, D3DCOLOR colorKey) {
    D3DXImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t{width} * height * 4);
    for (std::size_t i = 0; i < std::size_t{width} * height; ++i) {
        const D3DCOLOR c = (colorKey != 0 && argb[i] == colorKey) ? 0 : argb[i];
        float* p = image.rgba.data() + i * 4;
        p[0] = static_cast<float>((c >> 16) & 0xFF);
        p[1] = static_cast<float>((c >> 8) & 0xFF);
        p[2] = static_cast<float>(c & 0xFF);
        p[3] = static_cast<float>(c >> 24);
    }
    return image;
}

bool IsValidFilter(DWORD filter) {
    const DWORD type = filter & 0xFFFF;
    const DWORD flags = filter & ~DWORD{0xFFFF};
    return type >= D3DX_FILTER_NONE && type <= D3DX_FILTER_BOX &&
           (flags & ~(D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER)) == 0;
}

D3DXImage Resample(const D3DXImage& source, UINT width, UINT height, DWORD filter) {
    D3DXImage out;
    out.width = width;
    out.height = height;
    out.rgba.assign(std::size_t{width} * height * 4, 0.0f);
    const DWORD type = filter & 0xFFFF;
    if (type == D3DX_FILTER_NONE) {
        const UINT w = std::min(width, source.width);
        for (UINT y = 0; y < std::min(height, source.height); ++y) {
            std::memcpy(out.Pixel(0, y), source.Pixel(0, y), sizeof(float) * 4 * w);
        }
        return out;
    }
    const auto columns = AxisTaps(source.width, width, type, (filter & D3DX_FILTER_MIRROR_U) != 0);
    const auto rows = AxisTaps(source.height, height, type, (filter & D3DX_FILTER_MIRROR_V) != 0);
    // Across first (source rows, destination columns), then down.
    std::vector<float> across(std::size_t{width} * source.height * 4, 0.0f);
    for (UINT y = 0; y < source.height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            float* o = across.data() + (std::size_t{y} * width + x) * 4;
            for (const Tap& tap : columns[x]) {
                const float* p = source.Pixel(tap.index, y);
                for (int c = 0; c < 4; ++c) {
                    o[c] += tap.weight * p[c];
                }
            }
        }
    }
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            float* o = out.Pixel(x, y);
            for (const Tap& tap : rows[y]) {
                const float* p = across.data() + (std::size_t{tap.index} * width + x) * 4;
                for (int c = 0; c < 4; ++c) {
                    o[c] += tap.weight * p[c];
                }
            }
        }
    }
    return out;
}

HRESULT ReadSurface(IDirect3DSurface8* surface, D3DXImage& out) {
    D3DSURFACE_DESC desc{};
    HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    DevicePtr<IDirect3DSurface8> copy;
    IDirect3DSurface8* readable = surface;
    D3DLOCKED_RECT locked{};
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        DevicePtr<IDirect3DDevice8> device = SurfaceDevice(surface);
        if (!device) {
            return D3DERR_INVALIDCALL;
        }
        hr = device->CreateImageSurface(desc.Width, desc.Height, desc.Format,
                                        copy.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) {
            hr = device->CopyRects(surface, nullptr, 0, copy.Get(), nullptr);
        }
        if (SUCCEEDED(hr)) {
            hr = copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        }
        if (FAILED(hr)) {
            return hr;
        }
        readable = copy.Get();
    }
    std::vector<D3DCOLOR> argb(std::size_t{desc.Width} * desc.Height);
    const bool ok = picture::DecodeToArgb(desc.Format, static_cast<const BYTE*>(locked.pBits),
                                          static_cast<std::size_t>(locked.Pitch), desc.Width,
                                          desc.Height, nullptr, argb.data());
    readable->UnlockRect();
    if (!ok) {
        return D3DERR_INVALIDCALL;
    }
    out = ImageFromArgb(argb.data(), desc.Width, desc.Height, 0);
    return D3D_OK;
}

namespace {

// Runs `fill(bits, pitch)` on the surface's `rect` (the whole surface for null) while it is
// locked for writing; a surface that cannot be locked gets the pixels through an image surface
// of the rectangle's size and CopyRects.
template <typename Fill>
HRESULT WriteLocked(IDirect3DSurface8* surface, const RECT* rect, Fill fill) {
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(surface->LockRect(&locked, rect, 0))) {
        const bool ok = fill(static_cast<BYTE*>(locked.pBits), locked.Pitch);
        surface->UnlockRect();
        return ok ? D3D_OK : D3DERR_INVALIDCALL;
    }
    D3DSURFACE_DESC desc{};
    HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    const RECT whole = {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
    const RECT r = rect ? *rect : whole;
    DevicePtr<IDirect3DDevice8> device = SurfaceDevice(surface);
    DevicePtr<IDirect3DSurface8> staging;
    if (!device) {
        return D3DERR_INVALIDCALL;
    }
    hr = device->CreateImageSurface(static_cast<UINT>(r.right - r.left),
                                    static_cast<UINT>(r.bottom - r.top), desc.Format,
                                    staging.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) {
        hr = staging->LockRect(&locked, nullptr, 0);
    }
    if (FAILED(hr)) {
        return hr;
    }
    const bool ok = fill(static_cast<BYTE*>(locked.pBits), locked.Pitch);
    staging->UnlockRect();
    if (!ok) {
        return D3DERR_INVALIDCALL;
    }
    const POINT at = {r.left, r.top};
    return device->CopyRects(staging.Get(), nullptr, 0, surface, &at);
}

} // namespace

HRESULT WriteSurface(IDirect3DSurface8* surface, const RECT* rect, const D3DXImage& image,
                     bool dither) {
    D3DSURFACE_DESC desc{};
    const HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    return WriteLocked(surface, rect, [&](BYTE* bits, INT pitch) {
        return picture::EncodeFromRgba(desc.Format, image.rgba.data(), image.width, image.height,
                                       dither, bits, static_cast<std::size_t>(pitch));
    });
}

HRESULT WriteSurfaceBytes(IDirect3DSurface8* surface, const BYTE* bits, std::size_t pitch) {
    D3DSURFACE_DESC desc{};
    const HRESULT hr = surface->GetDesc(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    const picture::PixelLayout* layout = picture::FindPixelLayout(desc.Format);
    if (!layout) {
        return D3DERR_INVALIDCALL;
    }
    const std::size_t rowBytes = layout->RowBytes(desc.Width);
    const std::size_t rows = layout->RowCount(desc.Height);
    return WriteLocked(surface, nullptr, [&](BYTE* out, INT outPitch) {
        for (std::size_t y = 0; y < rows; ++y) {
            std::memcpy(out + y * static_cast<std::size_t>(outPitch), bits + y * pitch, rowBytes);
        }
        return true;
    });
}

// Direct3D state values to OpenGL enums: constexpr tables indexed by the Direct3D value, each
// with an explicit answer for values outside the table.
#pragma once

#include "device/D3D8.h"

#include <epoxy/gl.h>

#include <array>
#include <cstddef>

namespace gl_enums {

// Every table starts at the Direct3D value 1; entry 0 is never read.
template <typename T, std::size_t N>
constexpr T Lookup(const std::array<T, N>& table, DWORD value, T unknown) {
    return value >= 1 && value < N ? table[value] : unknown;
}

// D3DBLEND_ZERO (1) .. D3DBLEND_SRCALPHASAT (11). BOTHSRCALPHA and BOTHINVSRCALPHA set both
// factors and are resolved by BlendFactors.
inline constexpr std::array<GLenum, 12> kBlendFactors = {
    0,
    GL_ZERO,
    GL_ONE,
    GL_SRC_COLOR,
    GL_ONE_MINUS_SRC_COLOR,
    GL_SRC_ALPHA,
    GL_ONE_MINUS_SRC_ALPHA,
    GL_DST_ALPHA,
    GL_ONE_MINUS_DST_ALPHA,
    GL_DST_COLOR,
    GL_ONE_MINUS_DST_COLOR,
    GL_SRC_ALPHA_SATURATE,
};
static_assert(kBlendFactors.size() == D3DBLEND_SRCALPHASAT + 1);

struct BlendPair {
    GLenum source;
    GLenum destination;
};

// OpenGL factors for D3DRS_SRCBLEND and D3DRS_DESTBLEND. An unknown value takes the factor's
// default (ONE for the source, ZERO for the destination).
constexpr BlendPair BlendFactors(DWORD source, DWORD destination) {
    if (source == D3DBLEND_BOTHSRCALPHA) {
        return {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};
    }
    if (source == D3DBLEND_BOTHINVSRCALPHA) {
        return {GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA};
    }
    return {Lookup(kBlendFactors, source, static_cast<GLenum>(GL_ONE)),
            Lookup(kBlendFactors, destination, static_cast<GLenum>(GL_ZERO))};
}

// D3DBLENDOP_ADD (1) .. D3DBLENDOP_MAX (5); unknown values add.
inline constexpr std::array<GLenum, 6> kBlendOperations = {
    0, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX,
};
static_assert(kBlendOperations.size() == D3DBLENDOP_MAX + 1);

constexpr GLenum BlendOperation(DWORD op) {
    return Lookup(kBlendOperations, op, static_cast<GLenum>(GL_FUNC_ADD));
}

// D3DCMP_NEVER (1) .. D3DCMP_ALWAYS (8); unknown values always pass.
inline constexpr std::array<GLenum, 9> kCompareFunctions = {
    0, GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS,
};
static_assert(kCompareFunctions.size() == D3DCMP_ALWAYS + 1);

constexpr GLenum CompareFunction(DWORD func) {
    return Lookup(kCompareFunctions, func, static_cast<GLenum>(GL_ALWAYS));
}

// D3DTADDRESS_WRAP (1) .. D3DTADDRESS_MIRRORONCE (5); mirror-once clamps (OpenGL 3.3 has no
// mirrored clamp); unknown values wrap.
inline constexpr std::array<GLenum, 6> kAddressModes = {
    0, GL_REPEAT, GL_MIRRORED_REPEAT, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_BORDER, GL_CLAMP_TO_EDGE,
};
static_assert(kAddressModes.size() == D3DTADDRESS_MIRRORONCE + 1);

constexpr GLenum AddressMode(DWORD mode) {
    return Lookup(kAddressModes, mode, static_cast<GLenum>(GL_REPEAT));
}

// D3DFILL_POINT (1) .. D3DFILL_SOLID (3); unknown values fill.
inline constexpr std::array<GLenum, 4> kFillModes = {0, GL_POINT, GL_LINE, GL_FILL};
static_assert(kFillModes.size() == D3DFILL_SOLID + 1);

constexpr GLenum FillMode(DWORD mode) {
    return Lookup(kFillModes, mode, static_cast<GLenum>(GL_FILL));
}

// D3DPT_POINTLIST (1) .. D3DPT_TRIANGLEFAN (6); 0 for anything else (not drawable).
inline constexpr std::array<GLenum, 7> kPrimitiveModes = {
    0, GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN,
};
static_assert(kPrimitiveModes.size() == D3DPT_TRIANGLEFAN + 1);

constexpr bool IsPrimitiveType(DWORD type) {
    return type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN;
}

constexpr GLenum PrimitiveMode(DWORD type) {
    return Lookup(kPrimitiveModes, type, static_cast<GLenum>(GL_POINTS));
}

// Vertices (or indices) that `count` primitives of the type take; 0 for an unknown type.
constexpr unsigned long long VertexCount(DWORD type, unsigned long long count) {
    switch (type) {
    case D3DPT_POINTLIST:
        return count;
    case D3DPT_LINELIST:
        return count * 2;
    case D3DPT_LINESTRIP:
        return count + 1;
    case D3DPT_TRIANGLELIST:
        return count * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return count + 2;
    default:
        return 0;
    }
}

// A filter slot takes the nearest value it can: NONE reads as POINT, anything above LINEAR
// (anisotropic, the cubic filters) as LINEAR. True for LINEAR.
constexpr bool FilterIsLinear(DWORD filter) {
    return filter >= D3DTEXF_LINEAR;
}

// OpenGL minification filter for D3DTSS_MINFILTER and D3DTSS_MIPFILTER (NONE: no mip maps).
constexpr GLenum MinificationFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = FilterIsLinear(minFilter);
    if (mipFilter == D3DTEXF_NONE) {
        return linear ? GL_LINEAR : GL_NEAREST;
    }
    if (FilterIsLinear(mipFilter)) {
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
    return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
}

constexpr GLenum MagnificationFilter(DWORD magFilter) {
    return FilterIsLinear(magFilter) ? GL_LINEAR : GL_NEAREST;
}

// Anisotropy for a stage: D3DTSS_MAXANISOTROPY (at least 1, at most the driver's limit) when
// the minification filter is ANISOTROPIC, else 1. Anisotropy only matters when a texture is
// minified; a magnification slot set to ANISOTROPIC filters linearly.
constexpr float Anisotropy(DWORD minFilter, DWORD maxAnisotropy, float limit) {
    if (minFilter != D3DTEXF_ANISOTROPIC) {
        return 1.0f;
    }
    const float wanted = maxAnisotropy < 1 ? 1.0f : static_cast<float>(maxAnisotropy);
    return wanted < limit ? wanted : (limit < 1.0f ? 1.0f : limit);
}

} // namespace gl_enums

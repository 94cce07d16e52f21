// Vertex layouts: which input register reads which bytes of which stream, made from a
// flexible vertex format code or from the tokens of a vertex shader declaration.
#pragma once

#include <array>

#include "device/D3D8.h"

// One input register fed from a stream.
struct VertexElement {
    DWORD stream; // 0 or 1
    DWORD offset; // bytes from the start of the stream's vertex
    DWORD reg;    // D3DVSDE_* input register
    DWORD type;   // D3DVSDT_* data type
    friend bool operator==(const VertexElement&, const VertexElement&) = default;
};

constexpr UINT kVertexStreamCount = 2;
// Input registers D3DVSDE_POSITION..D3DVSDE_NORMAL2.
constexpr UINT kVertexRegisterCount = 17;

// Bytes of one element of a D3DVSDT_* type (4 to 16), or 0 for an unknown type.
UINT VertexElementSize(DWORD type);

// The elements of a vertex layout, in declaration order, with the bytes each stream's vertex
// spans. Fixed capacity: a layout holds at most one element per input register.
class VertexDeclaration {
public:
    // The layout of a flexible vertex format code, all in stream 0; false for a code with
    // reserved bits set or without a position. XYZRHW marks the layout as pre-transformed.
    // Blend weights of XYZB1..XYZB5 go to BLENDWEIGHT; with D3DFVF_LASTBETA_UBYTE4 the last
    // one is four bytes of BLENDINDICES instead. Size bits of coordinate sets beyond the code's
    // count are ignored.
    static bool FromFvf(DWORD fvf, VertexDeclaration& out);

    // The layout of declaration tokens ending with D3DVSD_END(); tokens past maxTokens are never
    // read. False (D3DERR_INVALIDCALL for the caller) for data before any D3DVSD_STREAM, a
    // stream past kVertexStreamCount, a register past D3DVSDE_NORMAL2 or given twice, an unknown
    // data type or token, tessellator streams, or no D3DVSD_END within maxTokens. Constant
    // loads and extension tokens are skipped with the DWORDs they carry.
    static bool FromTokens(const DWORD* tokens, UINT maxTokens, VertexDeclaration& out);

    UINT ElementCount() const { return count_; }
    const VertexElement& Element(UINT i) const { return elements_[i]; }
    // The element feeding reg, or null.
    const VertexElement* Find(DWORD reg) const;
    // Bytes of one vertex in the stream: the end of its last element or skip; 0 when unused.
    UINT StreamSize(UINT stream) const {
        return stream < kVertexStreamCount ? streamSize_[stream] : 0;
    }
    bool UsesStream(UINT stream) const { return StreamSize(stream) != 0; }
    bool IsPretransformed() const { return pretransformed_; }
    // The FVF code the layout came from, or 0 for one made from tokens.
    DWORD Fvf() const { return fvf_; }

    friend bool operator==(const VertexDeclaration&, const VertexDeclaration&) = default;

private:
    bool Add(DWORD stream, DWORD reg, DWORD type);

    std::array<VertexElement, kVertexRegisterCount> elements_{};
    UINT count_ = 0;
    std::array<UINT, kVertexStreamCount> streamSize_{};
    bool pretransformed_ = false;
    DWORD fvf_ = 0;
};

// Bytes of one vertex of a flexible vertex format code (0 when FromFvf would reject it).
UINT FvfVertexSize(DWORD fvf);

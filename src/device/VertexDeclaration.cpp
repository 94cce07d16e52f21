// Vertex layouts: which input register reads which bytes of which stream, made from a
// flexible vertex format code or from the tokens of a vertex shader declaration.
#include "device/VertexDeclaration.h"

UINT VertexElementSize(DWORD type) {
    switch (type) {
    case D3DVSDT_FLOAT1:
        return 4;
    case D3DVSDT_FLOAT2:
        return 8;
    case D3DVSDT_FLOAT3:
        return 12;
    case D3DVSDT_FLOAT4:
        return 16;
    case D3DVSDT_D3DCOLOR:
        return 4;
    case D3DVSDT_UBYTE4:
        return 4;
    case D3DVSDT_SHORT2:
        return 4;
    case D3DVSDT_SHORT4:
        return 8;
    default:
        return 0;
    }
}

bool VertexDeclaration::Add(DWORD stream, DWORD reg, DWORD type) {
    const UINT size = VertexElementSize(type);
    if (stream >= kVertexStreamCount || reg >= kVertexRegisterCount || size == 0 ||
        Find(reg) != nullptr || count_ >= elements_.size()) {
        return false;
    }
    elements_[count_++] = {stream, streamSize_[stream], reg, type};
    streamSize_[stream] += size;
    return true;
}

const VertexElement* VertexDeclaration::Find(DWORD reg) const {
    for (UINT i = 0; i < count_; ++i) {
        if (elements_[i].reg == reg) {
            return &elements_[i];
        }
    }
    return nullptr;
}

bool VertexDeclaration::FromFvf(DWORD fvf, VertexDeclaration& out) {
    out = VertexDeclaration();
    constexpr DWORD kKnownBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE |
                                 D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK |
                                 D3DFVF_LASTBETA_UBYTE4 | 0xFFFF0000u;
    if ((fvf & ~kKnownBits) != 0) {
        return false;
    }
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (position == 0 || texCount > 8) {
        return false;
    }
    if (position == D3DFVF_XYZRHW) {
        if ((fvf & D3DFVF_LASTBETA_UBYTE4) != 0) {
            return false;
        }
        out.Add(0, D3DVSDE_POSITION, D3DVSDT_FLOAT4);
        out.pretransformed_ = true;
    } else {
        out.Add(0, D3DVSDE_POSITION, D3DVSDT_FLOAT3);
        // XYZ carries no betas, XYZB1..XYZB5 carry 1..5.
        const DWORD betas = position == D3DFVF_XYZ ? 0 : (position - D3DFVF_XYZB1) / 2 + 1;
        const bool lastIsIndices = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
        if (lastIsIndices && betas == 0) {
            return false;
        }
        const DWORD weights = lastIsIndices ? betas - 1 : betas;
        if (weights > 4) {
            return false;
        }
        if (weights > 0) {
            out.Add(0, D3DVSDE_BLENDWEIGHT, D3DVSDT_FLOAT1 + (weights - 1));
        }
        if (lastIsIndices) {
            out.Add(0, D3DVSDE_BLENDINDICES, D3DVSDT_UBYTE4);
        }
    }
    if (fvf & D3DFVF_NORMAL) {
        out.Add(0, D3DVSDE_NORMAL, D3DVSDT_FLOAT3);
    }
    if (fvf & D3DFVF_PSIZE) {
        out.Add(0, D3DVSDE_PSIZE, D3DVSDT_FLOAT1);
    }
    if (fvf & D3DFVF_DIFFUSE) {
        out.Add(0, D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR);
    }
    if (fvf & D3DFVF_SPECULAR) {
        out.Add(0, D3DVSDE_SPECULAR, D3DVSDT_D3DCOLOR);
    }
    for (DWORD set = 0; set < texCount; ++set) {
        // Size code 0: two floats, 1: three, 2: four, 3: one.
        static constexpr DWORD kTypes[4] = {D3DVSDT_FLOAT2, D3DVSDT_FLOAT3, D3DVSDT_FLOAT4,
                                            D3DVSDT_FLOAT1};
        out.Add(0, D3DVSDE_TEXCOORD0 + set, kTypes[(fvf >> (16 + 2 * set)) & 3]);
    }
    out.fvf_ = fvf;
    return true;
}

bool VertexDeclaration::FromTokens(const DWORD* tokens, UINT maxTokens, VertexDeclaration& out) {
    out = VertexDeclaration();
    if (tokens == nullptr) {
        return false;
    }
    bool haveStream = false;
    DWORD stream = 0;
    UINT i = 0;
    while (i < maxTokens) {
        const DWORD token = tokens[i++];
        if (token == D3DVSD_END()) {
            return true;
        }
        const DWORD type = (token & D3DVSD_TOKENTYPEMASK) >> D3DVSD_TOKENTYPESHIFT;
        switch (type) {
        case D3DVSD_TOKEN_NOP:
            if (token != D3DVSD_NOP()) {
                return false;
            }
            break;
        case D3DVSD_TOKEN_STREAM:
            if ((token & D3DVSD_STREAMTESSMASK) != 0) {
                return false;
            }
            stream = token & D3DVSD_STREAMNUMBERMASK;
            if (stream >= kVertexStreamCount) {
                return false;
            }
            haveStream = true;
            break;
        case D3DVSD_TOKEN_STREAMDATA:
            if (!haveStream) {
                return false;
            }
            if ((token & D3DVSD_DATALOADTYPEMASK) != 0) {
                const DWORD skip = (token & D3DVSD_SKIPCOUNTMASK) >> D3DVSD_SKIPCOUNTSHIFT;
                out.streamSize_[stream] += skip * 4;
            } else if (!out.Add(stream, token & D3DVSD_VERTEXREGMASK,
                                (token & D3DVSD_DATATYPEMASK) >> D3DVSD_DATATYPESHIFT)) {
                return false;
            }
            break;
        case D3DVSD_TOKEN_CONSTMEM: {
            const DWORD count = (token & D3DVSD_CONSTCOUNTMASK) >> D3DVSD_CONSTCOUNTSHIFT;
            if (count * 4 > maxTokens - i) {
                return false;
            }
            i += count * 4;
            break;
        }
        case D3DVSD_TOKEN_EXT: {
            const DWORD count = (token & D3DVSD_EXTCOUNTMASK) >> D3DVSD_EXTCOUNTSHIFT;
            if (count > maxTokens - i) {
                return false;
            }
            i += count;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

UINT FvfVertexSize(DWORD fvf) {
    VertexDeclaration layout;
    if (!VertexDeclaration::FromFvf(fvf, layout)) {
        return 0;
    }
    return layout.StreamSize(0);
}

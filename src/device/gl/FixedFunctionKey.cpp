// Canonical fixed-function keys.
#include "device/gl/FixedFunctionKey.h"

#include <cstring>

namespace {

constexpr DWORD kArgumentSelectMask = 0x0f;
constexpr DWORD kArgumentModifierMask = D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE;

bool IsKnownOperation(DWORD op) {
    return op >= D3DTOP_DISABLE && op <= D3DTOP_LERP;
}

// Operations this device cannot emulate (bump mapping, pre-modulation) read arg1 alone.
DWORD SupportedOperation(DWORD op) {
    switch (op) {
    case D3DTOP_PREMODULATE:
    case D3DTOP_BUMPENVMAP:
    case D3DTOP_BUMPENVMAPLUMINANCE:
        return D3DTOP_SELECTARG1;
    default:
        return op;
    }
}

DWORD CanonicalArgument(DWORD argument, int stage) {
    DWORD select = argument & kArgumentSelectMask;
    if (select > D3DTA_SPECULAR) {
        select = D3DTA_CURRENT;
    }
    if (stage == 0 && select == D3DTA_CURRENT) {
        select = D3DTA_DIFFUSE;
    }
    return select | (argument & kArgumentModifierMask);
}

struct Operation {
    DWORD op;
    DWORD args[3];
};

// One channel group (colour or alpha) of a live stage.
Operation CanonicalOperation(DWORD op, const DWORD (&args)[3], bool textureBound, int stage) {
    Operation result{};
    op = SupportedOperation(op);
    if (!IsKnownOperation(op) || op == D3DTOP_DISABLE) {
        op = D3DTOP_SELECTARG1;
        result.op = op;
        result.args[1] = CanonicalArgument(D3DTA_CURRENT, stage);
        return result;
    }
    const unsigned used = OperationArguments(op);
    bool readsTexture = OperationReadsTextureAlpha(op);
    for (int i = 0; i < 3; ++i) {
        if ((used & (1u << i)) != 0 && (args[i] & kArgumentSelectMask) == D3DTA_TEXTURE) {
            readsTexture = true;
        }
    }
    if (readsTexture && !textureBound) {
        result.op = D3DTOP_SELECTARG1;
        result.args[1] = CanonicalArgument(D3DTA_CURRENT, stage);
        return result;
    }
    result.op = op;
    for (int i = 0; i < 3; ++i) {
        if ((used & (1u << i)) != 0) {
            result.args[i] = CanonicalArgument(args[i], stage);
        }
    }
    return result;
}

bool ReadsTexture(const Operation& operation) {
    if (OperationReadsTextureAlpha(operation.op)) {
        return true;
    }
    for (DWORD argument : operation.args) {
        if ((argument & kArgumentSelectMask) == D3DTA_TEXTURE) {
            return true;
        }
    }
    return false;
}

} // namespace

unsigned OperationArguments(DWORD op) {
    switch (op) {
    case D3DTOP_DISABLE:
        return 0;
    case D3DTOP_SELECTARG1:
    case D3DTOP_PREMODULATE:
    case D3DTOP_BUMPENVMAP:
    case D3DTOP_BUMPENVMAPLUMINANCE:
        return 2;
    case D3DTOP_SELECTARG2:
        return 4;
    case D3DTOP_MULTIPLYADD:
    case D3DTOP_LERP:
        return 7;
    default:
        return 6;
    }
}

bool OperationReadsTextureAlpha(DWORD op) {
    return op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM;
}

std::size_t FixedFunctionKeyHash::operator()(const FixedFunctionKey& key) const {
    // FNV-1a over the key's bytes; the key is made of bytes only, so it has no padding.
    static_assert(sizeof(StageKey) == 9 && sizeof(FixedFunctionKey) == 3 + 9 * kMaxTextureStages);
    unsigned char bytes[sizeof(FixedFunctionKey)];
    std::memcpy(bytes, &key, sizeof bytes);
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : bytes) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

FixedFunctionKey MakeFixedFunctionKey(const FixedFunctionInput& input) {
    FixedFunctionKey key;
    key.position =
        input.transformedPosition ? PositionKind::Transformed : PositionKind::Untransformed;
    const bool knownFunc = input.alphaFunc >= D3DCMP_NEVER && input.alphaFunc <= D3DCMP_ALWAYS;
    key.alphaFunc = static_cast<std::uint8_t>(input.alphaTestEnable && knownFunc ? input.alphaFunc
                                                                                 : D3DCMP_ALWAYS);

    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        const StageInput& in = input.stages[stage];
        const DWORD colorOp = SupportedOperation(in.colorOp);
        if (colorOp == D3DTOP_DISABLE || !IsKnownOperation(colorOp)) {
            break;
        }
        const Operation color = CanonicalOperation(
            colorOp, {in.colorArg0, in.colorArg1, in.colorArg2}, in.textureBound, stage);
        const Operation alpha = CanonicalOperation(
            in.alphaOp, {in.alphaArg0, in.alphaArg1, in.alphaArg2}, in.textureBound, stage);

        StageKey& out = key.stages[stage];
        out.colorOp = static_cast<std::uint8_t>(color.op);
        out.colorArg0 = static_cast<std::uint8_t>(color.args[0]);
        out.colorArg1 = static_cast<std::uint8_t>(color.args[1]);
        out.colorArg2 = static_cast<std::uint8_t>(color.args[2]);
        out.alphaOp = static_cast<std::uint8_t>(alpha.op);
        out.alphaArg0 = static_cast<std::uint8_t>(alpha.args[0]);
        out.alphaArg1 = static_cast<std::uint8_t>(alpha.args[1]);
        out.alphaArg2 = static_cast<std::uint8_t>(alpha.args[2]);
        if (ReadsTexture(color) || ReadsTexture(alpha)) {
            out.texCoordIndex = static_cast<std::uint8_t>(in.texCoordIndex & 7);
        }
        key.stageCount = static_cast<std::uint8_t>(stage + 1);
    }
    return key;
}

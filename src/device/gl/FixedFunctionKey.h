// The part of the fixed-function state that changes the generated shaders, in canonical form:
// two states that draw alike give equal keys. Everything else (matrices, colours, reference
// values) reaches the shaders as uniforms.
#pragma once

#include "device/D3D8.h"

#include <cstddef>
#include <cstdint>

inline constexpr int kMaxTextureStages = 8;

// One texture stage. Operations and arguments keep their D3DTOP / D3DTA values; arguments a
// stage's operation does not read are zero.
struct StageKey {
    std::uint8_t colorOp = D3DTOP_DISABLE;
    std::uint8_t colorArg0 = 0;
    std::uint8_t colorArg1 = 0;
    std::uint8_t colorArg2 = 0;
    std::uint8_t alphaOp = D3DTOP_DISABLE;
    std::uint8_t alphaArg0 = 0;
    std::uint8_t alphaArg1 = 0;
    std::uint8_t alphaArg2 = 0;
    // Vertex texture coordinate set the stage samples with; 0 when it samples nothing.
    std::uint8_t texCoordIndex = 0;

    friend bool operator==(const StageKey&, const StageKey&) = default;
};

enum class PositionKind : std::uint8_t {
    Untransformed, // D3DFVF_XYZ: world · view · projection
    Transformed,   // D3DFVF_XYZRHW: screen pixels, depth and 1/w
};

struct FixedFunctionKey {
    PositionKind position = PositionKind::Untransformed;
    // D3DCMP_ALWAYS when the alpha test is off.
    std::uint8_t alphaFunc = D3DCMP_ALWAYS;
    // Stages before the first whose colour operation is DISABLE; later stages are all default.
    std::uint8_t stageCount = 0;
    StageKey stages[kMaxTextureStages];

    friend bool operator==(const FixedFunctionKey&, const FixedFunctionKey&) = default;
};

struct FixedFunctionKeyHash {
    std::size_t operator()(const FixedFunctionKey& key) const;
};

// The raw state of one texture stage as set on the device.
struct StageInput {
    DWORD colorOp = D3DTOP_DISABLE;
    DWORD colorArg0 = D3DTA_CURRENT;
    DWORD colorArg1 = D3DTA_TEXTURE;
    DWORD colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_DISABLE;
    DWORD alphaArg0 = D3DTA_CURRENT;
    DWORD alphaArg1 = D3DTA_TEXTURE;
    DWORD alphaArg2 = D3DTA_CURRENT;
    DWORD texCoordIndex = 0;
    bool textureBound = false;
};

struct FixedFunctionInput {
    bool transformedPosition = false;
    bool alphaTestEnable = false;
    DWORD alphaFunc = D3DCMP_ALWAYS;
    StageInput stages[kMaxTextureStages];
};

// Canonical key of the input:
// - the stages end at the first colour operation DISABLE (or one this device does not know);
// - an operation that reads TEXTURE (as an argument, or a texture-alpha blend) on a stage with no
//   texture bound becomes SELECTARG1 of CURRENT, for colour and alpha separately;
// - alpha operation DISABLE on a live stage passes the current alpha on (SELECTARG1 of CURRENT);
// - on stage 0 CURRENT means the diffuse colour, so it is written as DIFFUSE;
// - an argument register this device does not know reads CURRENT;
// - the alpha test off, or with function ALWAYS, is alphaFunc ALWAYS; an unknown function acts
//   as ALWAYS.
FixedFunctionKey MakeFixedFunctionKey(const FixedFunctionInput& input);

// Which arguments an operation reads: bit 0 for arg0, bit 1 for arg1, bit 2 for arg2.
unsigned OperationArguments(DWORD op);

// Whether the operation samples the stage's texture besides its arguments (texture-alpha blends).
bool OperationReadsTextureAlpha(DWORD op);

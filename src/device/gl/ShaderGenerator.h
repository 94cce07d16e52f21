// GLSL 3.30 source for a fixed-function key. The vertex stage turns positions into OpenGL clip
// space and hands colours and texture coordinates on; the fragment stage runs the texture stages
// and the alpha test.
#pragma once

#include "device/gl/FixedFunctionKey.h"

#include <string>

// Vertex attribute locations: Direct3D's vertex registers, except NORMAL2, which takes the
// point-size register's location (point size is not read by the fixed-function emulation), so
// every location is below OpenGL's guaranteed sixteen.
enum AttributeLocation : unsigned {
    kAttributePosition = 0,
    kAttributeBlendWeight = 1,
    kAttributeBlendIndices = 2,
    kAttributeNormal = 3,
    kAttributeNormal2 = 4,
    kAttributeDiffuse = 5,
    kAttributeSpecular = 6,
    kAttributeTexCoord0 = 7, // to 14 for sets 0..7
    kAttributePosition2 = 15,
};

// The uniforms every generated program declares, in the order of FixedFunctionUniform. Each
// program keeps its own copy; the device uploads them to a program whose copy is stale.
struct FixedFunctionUniforms {
    // World · view · projection as Direct3D row-major floats; read by GLSL as column-major it is
    // the transpose, so the shader's M · p is the row-vector product p · M.
    float worldViewProjection[16];
    // Transformed vertices: OpenGL NDC = (xy + 0.5) · scale.xy + scale.zw.
    float screenToNdc[4];
    // Untransformed vertices: clip.xy += offset.xy · clip.w, which moves pixel centres to
    // Direct3D's integer coordinates (1 / viewport width, 1 / viewport height).
    float pixelCentreOffset[4];
    // D3DRS_TEXTUREFACTOR, 0..1 per channel, RGBA.
    float textureFactor[4];
    // x: D3DRS_ALPHAREF, 0..255.
    float alphaReference[4];
};

enum FixedFunctionUniform : unsigned {
    kUniformWorldViewProjection,
    kUniformScreenToNdc,
    kUniformPixelCentreOffset,
    kUniformTextureFactor,
    kUniformAlphaReference,
    kUniformCount,
};

// GLSL name of a uniform.
const char* UniformName(FixedFunctionUniform uniform);

std::string GenerateVertexShader(const FixedFunctionKey& key);
std::string GenerateFragmentShader(const FixedFunctionKey& key);

// Name of the sampler uniform of a stage ("uTexture0" ...).
const char* SamplerName(int stage);

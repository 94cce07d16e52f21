// GLSL generation for the fixed-function emulation.
#include "device/gl/ShaderGenerator.h"

#include <string_view>

namespace {

constexpr std::string_view kUniformDeclarations = R"(uniform mat4 worldViewProjection;
uniform vec4 screenToNdc;
uniform vec4 pixelCentreOffset;
uniform vec4 textureFactor;
uniform vec4 alphaReference;
)";

const char* const kUniformNames[kUniformCount] = {
    "worldViewProjection", "screenToNdc", "pixelCentreOffset", "textureFactor", "alphaReference",
};

const char* const kSamplerNames[kMaxTextureStages] = {"uTexture0", "uTexture1", "uTexture2",
                                                      "uTexture3", "uTexture4", "uTexture5",
                                                      "uTexture6", "uTexture7"};

void Append(std::string& out, std::string_view a) {
    out.append(a);
}

template <typename... Rest>
void Append(std::string& out, std::string_view a, Rest... rest) {
    out.append(a);
    Append(out, rest...);
}

std::string Digit(int value) {
    return std::string(1, static_cast<char>('0' + value));
}

bool StageSamples(const StageKey& stage) {
    const auto reads = [](DWORD op, const std::uint8_t(&args)[3]) {
        if (OperationReadsTextureAlpha(op)) {
            return true;
        }
        const unsigned used = OperationArguments(op);
        for (int i = 0; i < 3; ++i) {
            if ((used & (1u << i)) != 0 && (args[i] & 0x0f) == D3DTA_TEXTURE) {
                return true;
            }
        }
        return false;
    };
    return reads(stage.colorOp, {stage.colorArg0, stage.colorArg1, stage.colorArg2}) ||
           reads(stage.alphaOp, {stage.alphaArg0, stage.alphaArg1, stage.alphaArg2});
}

// The value of an argument register with its modifiers, as a vec4.
std::string Argument(std::uint8_t argument) {
    std::string base;
    switch (argument & 0x0f) {
    case D3DTA_DIFFUSE:
        base = "vDiffuse";
        break;
    case D3DTA_TEXTURE:
        base = "texel";
        break;
    case D3DTA_TFACTOR:
        base = "textureFactor";
        break;
    case D3DTA_SPECULAR:
        base = "vSpecular";
        break;
    default:
        base = "current";
        break;
    }
    if ((argument & D3DTA_ALPHAREPLICATE) != 0) {
        base = "vec4(" + base + ".a)";
    }
    if ((argument & D3DTA_COMPLEMENT) != 0) {
        base = "(vec4(1.0) - " + base + ")";
    }
    return base;
}

// The expression of an operation over vec4 arguments; the caller takes .rgb or .a of it.
std::string Operation(std::uint8_t op, const std::string& a0, const std::string& a1,
                      const std::string& a2) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return a1;
    case D3DTOP_SELECTARG2:
        return a2;
    case D3DTOP_MODULATE:
        return "(" + a1 + " * " + a2 + ")";
    case D3DTOP_MODULATE2X:
        return "(" + a1 + " * " + a2 + " * 2.0)";
    case D3DTOP_MODULATE4X:
        return "(" + a1 + " * " + a2 + " * 4.0)";
    case D3DTOP_ADD:
        return "(" + a1 + " + " + a2 + ")";
    case D3DTOP_ADDSIGNED:
        return "(" + a1 + " + " + a2 + " - vec4(0.5))";
    case D3DTOP_ADDSIGNED2X:
        return "((" + a1 + " + " + a2 + " - vec4(0.5)) * 2.0)";
    case D3DTOP_SUBTRACT:
        return "(" + a1 + " - " + a2 + ")";
    case D3DTOP_ADDSMOOTH:
        return "(" + a1 + " + " + a2 + " - " + a1 + " * " + a2 + ")";
    case D3DTOP_BLENDDIFFUSEALPHA:
        return "mix(" + a2 + ", " + a1 + ", vDiffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA:
        return "mix(" + a2 + ", " + a1 + ", texel.a)";
    case D3DTOP_BLENDFACTORALPHA:
        return "mix(" + a2 + ", " + a1 + ", textureFactor.a)";
    case D3DTOP_BLENDTEXTUREALPHAPM:
        return "(" + a1 + " + " + a2 + " * (1.0 - texel.a))";
    case D3DTOP_BLENDCURRENTALPHA:
        return "mix(" + a2 + ", " + a1 + ", current.a)";
    case D3DTOP_MODULATEALPHA_ADDCOLOR:
        return "(" + a1 + " + " + a1 + ".a * " + a2 + ")";
    case D3DTOP_MODULATECOLOR_ADDALPHA:
        return "(" + a1 + " * " + a2 + " + vec4(" + a1 + ".a))";
    case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
        return "(" + a1 + " + (1.0 - " + a1 + ".a) * " + a2 + ")";
    case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
        return "((vec4(1.0) - " + a1 + ") * " + a2 + " + vec4(" + a1 + ".a))";
    case D3DTOP_DOTPRODUCT3:
        return "vec4(4.0 * dot(" + a1 + ".rgb - vec3(0.5), " + a2 + ".rgb - vec3(0.5)))";
    case D3DTOP_MULTIPLYADD:
        return "(" + a0 + " + " + a1 + " * " + a2 + ")";
    case D3DTOP_LERP:
        return "mix(" + a2 + ", " + a1 + ", " + a0 + ")";
    default:
        return a1;
    }
}

// GLSL comparison that passes when the 0..255 alpha `a` compares to the reference as asked.
const char* AlphaComparison(std::uint8_t func) {
    switch (func) {
    case D3DCMP_NEVER:
        return "false";
    case D3DCMP_LESS:
        return "a < alphaReference.x";
    case D3DCMP_EQUAL:
        return "a == alphaReference.x";
    case D3DCMP_LESSEQUAL:
        return "a <= alphaReference.x";
    case D3DCMP_GREATER:
        return "a > alphaReference.x";
    case D3DCMP_NOTEQUAL:
        return "a != alphaReference.x";
    case D3DCMP_GREATEREQUAL:
        return "a >= alphaReference.x";
    default:
        return "true";
    }
}

} // namespace

const char* SamplerName(int stage) {
    return kSamplerNames[stage];
}

const char* UniformName(FixedFunctionUniform uniform) {
    return kUniformNames[uniform];
}

std::string GenerateVertexShader(const FixedFunctionKey& key) {
    std::string s;
    s.reserve(2048);
    Append(s, "#version 330 core\n", kUniformDeclarations);
    Append(s, "layout(location = 0) in vec4 inPosition;\n",
           "layout(location = 5) in vec4 inDiffuse;\n",
           "layout(location = 6) in vec4 inSpecular;\n");
    for (int set = 0; set < kMaxTextureStages; ++set) {
        Append(s, "layout(location = ", std::to_string(kAttributeTexCoord0 + set),
               ") in vec4 inTexCoord", Digit(set), ";\n");
    }
    Append(s, "out vec4 vDiffuse;\nout vec4 vSpecular;\n");
    for (int stage = 0; stage < key.stageCount; ++stage) {
        Append(s, "out vec4 vTexCoord", Digit(stage), ";\n");
    }
    Append(s, "void main() {\n");
    if (key.position == PositionKind::Transformed) {
        // x, y in pixels (centres at integers), z the depth 0..1, w holding 1/w. A zero or
        // negative 1/w is taken as 1 so that nothing divides by zero.
        Append(s, "    float w = inPosition.w > 0.0 ? 1.0 / inPosition.w : 1.0;\n",
               "    vec2 ndc = (inPosition.xy + vec2(0.5)) * screenToNdc.xy + screenToNdc.zw;\n",
               "    gl_Position = vec4(ndc * w, (2.0 * inPosition.z - 1.0) * w, w);\n");
    } else {
        // Direct3D clip space (y up, 0 <= z <= w) to OpenGL's: y turns over because row 0 of
        // the back buffer holds the top of the picture, z spreads to -w..w.
        Append(s, "    vec4 clip = worldViewProjection * vec4(inPosition.xyz, 1.0);\n",
               "    clip.y = -clip.y;\n", "    clip.xy += pixelCentreOffset.xy * clip.w;\n",
               "    clip.z = 2.0 * clip.z - clip.w;\n", "    gl_Position = clip;\n");
    }
    Append(s, "    vDiffuse = inDiffuse;\n    vSpecular = inSpecular;\n");
    for (int stage = 0; stage < key.stageCount; ++stage) {
        Append(s, "    vTexCoord", Digit(stage), " = inTexCoord",
               Digit(key.stages[stage].texCoordIndex), ";\n");
    }
    Append(s, "}\n");
    return s;
}

std::string GenerateFragmentShader(const FixedFunctionKey& key) {
    std::string s;
    s.reserve(2048);
    Append(s, "#version 330 core\n", kUniformDeclarations);
    Append(s, "in vec4 vDiffuse;\nin vec4 vSpecular;\n");
    for (int stage = 0; stage < key.stageCount; ++stage) {
        Append(s, "in vec4 vTexCoord", Digit(stage), ";\n");
        if (StageSamples(key.stages[stage])) {
            Append(s, "uniform sampler2D ", kSamplerNames[stage], ";\n");
        }
    }
    Append(s, "out vec4 fragColor;\n", "void main() {\n",
           "    vec4 current = vDiffuse;\n    vec4 texel = vec4(1.0);\n");
    for (int stage = 0; stage < key.stageCount; ++stage) {
        const StageKey& k = key.stages[stage];
        if (StageSamples(k)) {
            Append(s, "    texel = texture(", kSamplerNames[stage], ", vTexCoord", Digit(stage),
                   ".xy);\n");
        }
        const std::string color = Operation(k.colorOp, Argument(k.colorArg0), Argument(k.colorArg1),
                                            Argument(k.colorArg2));
        const std::string alpha = Operation(k.alphaOp, Argument(k.alphaArg0), Argument(k.alphaArg1),
                                            Argument(k.alphaArg2));
        // Both results are formed from the stage's inputs before `current` changes; every
        // stage's result is clamped to 0..1 as fixed-function hardware does.
        Append(s, "    current = clamp(vec4((", color, ").rgb, (", alpha, ").a), 0.0, 1.0);\n");
    }
    if (key.alphaFunc != D3DCMP_ALWAYS) {
        // The test compares 8-bit alpha, as stored in the back buffer, with ALPHAREF.
        Append(s, "    float a = floor(current.a * 255.0 + 0.5);\n", "    if (!(",
               AlphaComparison(key.alphaFunc), ")) discard;\n");
    }
    Append(s, "    fragColor = current;\n}\n");
    return s;
}

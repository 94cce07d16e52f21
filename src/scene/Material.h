// How a mesh group is shaded: colour, opacity, up to two textures by file name, flag bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class Scene;

// Flag bits of Material::flags.
enum MaterialFlag : std::uint32_t {
    kMaterialSecondTexture = 0x01,      // reflection texture on stage 1
    kMaterialStage1Modulate = 0x02,     // stage 1 MODULATE
    kMaterialBlend = 0x04,              // alpha blending with blendMode, no culling, no z writes
    kMaterialTextureAlpha = 0x10,       // stage 0 alpha from the base texture
    kMaterialSphereMap = 0x20,          // stage 0 coordinates from camera-space normals
    kMaterialUntextured = 0x40,         // no texture names in the file
    kMaterialSecondTextureAlpha = 0x80, // stage 1 alpha from the second texture
    kMaterialStage1BlendTextureAlpha = 0x100,
    kMaterialStage1ModulateAlphaAddColor = 0x200,
};

class Material {
public:
    explicit Material(Scene* scene) : scene(scene) {}
    virtual ~Material() = default;

    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    // Set the device for drawing with this material, and undo it after the draw.
    virtual void Apply();
    virtual void Restore();

    std::uint32_t savedCullMode = 0; // meaningful between Apply and Restore
    Scene* scene;
    std::uint32_t flags = 0;
    std::uint32_t blendMode = 0; // 0: SRCALPHA/ONE, 1: SRCALPHA/INVSRCALPHA, other: ONE/ONE
    float opacity = 0.0f;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    std::optional<std::string> textureName;       // key of the texture cache; none or "" for none
    std::optional<std::string> secondTextureName; // reflection texture
};

// The built-in material every scene registers under "$EMPTYMATERIAL": untextured white.
class EmptyMaterial final : public Material {
public:
    explicit EmptyMaterial(Scene* scene) : Material(scene) { flags = kMaterialUntextured; }
};

inline constexpr const char* kEmptyMaterialName = "$EMPTYMATERIAL";

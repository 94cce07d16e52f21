// The material section of a scene file: materials with their colours, flags and textures.
#include "scene/MaterialLoader.h"

#include "image/TextureManager.h"
#include "scene/Material.h"
#include "scene/Scene.h"
#include "scene/SceneStream.h"

#include <memory>
#include <optional>
#include <string>

namespace {

// Smallest material record: a 1-byte name, flags and four floats.
constexpr std::uint64_t kMaterialRecordBytes = 21;

// Loads the texture of a name read from the file into the texture cache; true when the manager
// found and merged an alpha mask for it. A missing or empty name loads nothing.
bool LoadTextureHasAlpha(const std::optional<std::string>& name) {
    if (!name || name->empty()) {
        return false;
    }
    return TextureManager::Instance().LoadTexture(name->c_str(), 2) == 0;
}

} // namespace

void LoadMaterials(Scene& scene, SceneStream& stream) {
    std::uint32_t count = stream.ReadU32();
    if (!stream.CanHold(count, kMaterialRecordBytes)) {
        count = 0;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::optional<std::string> name = stream.ReadString();
        Material* material = scene.AdoptMaterial(std::make_unique<Material>(&scene));
        // A name already taken keeps its first material; this one is still read whole so that
        // the section stays in step.
        scene.materials.Add(name.value_or(""), material);

        material->flags = stream.ReadU32();
        material->opacity = stream.ReadF32();
        material->red = stream.ReadF32();
        material->green = stream.ReadF32();
        material->blue = stream.ReadF32();
        if ((material->flags & kMaterialUntextured) != 0) {
            continue;
        }

        material->textureName = stream.ReadString();
        if (LoadTextureHasAlpha(material->textureName)) {
            // A base texture with an alpha mask blends additively with the texture's alpha.
            material->flags |= kMaterialBlend | kMaterialTextureAlpha;
            material->blendMode = 0;
        }
        if ((material->flags & kMaterialSecondTexture) != 0) {
            material->secondTextureName = stream.ReadString();
            if (LoadTextureHasAlpha(material->secondTextureName)) {
                material->flags |= kMaterialSecondTextureAlpha;
            }
        }
    }
}

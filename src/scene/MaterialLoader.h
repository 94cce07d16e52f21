// Reading the material section of a scene file.
#pragma once

class Scene;
class SceneStream;

// Reads the material count and records after the 0x1010 marker, registers each material by
// name (the first of a name wins; a later one is still read whole) and loads every non-empty
// texture name through the texture manager, completing the flags when an alpha mask was found.
void LoadMaterials(Scene& scene, SceneStream& stream);

#include "scene/Material.h"

// Setting the device up for a material comes with the scene renderer; until then nothing is
// drawn with materials.
void Material::Apply() {}
void Material::Restore() {}

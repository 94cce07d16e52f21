// Effect: the loaded flag.
#include "effects/Effect.h"

Effect::~Effect() = default;

void Effect::SetLoaded(bool flag) {
    loaded = flag;
}

bool Effect::IsLoaded() const {
    return loaded;
}

// A recorded state block: the states set between BeginStateBlock and EndStateBlock, with the
// values they hold.
#include "device/StateBlock.h"

void StateBlock::Capture(const DeviceState& current) {
    for (UINT i = 0; i < kRenderStateLimit; ++i) {
        if (recorded.renderStates.test(i)) {
            values.renderStates[i] = current.renderStates[i];
        }
    }
    for (UINT stage = 0; stage < kTextureStageCount; ++stage) {
        for (UINT i = 0; i < kStageStateLimit; ++i) {
            if (recorded.stageStates[stage].test(i)) {
                values.stageStates[stage][i] = current.stageStates[stage][i];
            }
        }
        if (recorded.textures.test(stage)) {
            values.textures[stage] = current.textures[stage];
        }
    }
    for (UINT i = 0; i < kTransformCount; ++i) {
        if (recorded.transforms.test(i)) {
            values.transforms[i] = current.transforms[i];
        }
    }
    if (recorded.material) {
        values.material = current.material;
    }
    if (recorded.viewport) {
        values.viewport = current.viewport;
    }
    for (DWORD index : lightValues) {
        auto it = current.lights.find(index);
        if (it != current.lights.end()) {
            values.lights[index].light = it->second.light;
        }
    }
    for (DWORD index : lightEnables) {
        auto it = current.lights.find(index);
        if (it != current.lights.end()) {
            values.lights[index].enabled = it->second.enabled;
        } else {
            values.lights[index].enabled = false;
        }
    }
    for (UINT stream = 0; stream < kVertexStreamCount; ++stream) {
        if (recorded.streams.test(stream)) {
            values.streams[stream].buffer = current.streams[stream].buffer;
            values.streams[stream].stride = current.streams[stream].stride;
        }
    }
    if (recorded.indices) {
        values.indices = current.indices;
        values.baseVertexIndex = current.baseVertexIndex;
    }
    if (recorded.vertexShader) {
        values.vertexShader = current.vertexShader;
    }
}

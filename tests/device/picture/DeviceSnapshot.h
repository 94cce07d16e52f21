// What a sprite must leave as it found it: every render state and texture stage state the device
// answers for, the bound textures, the vertex shader and stream 0.
#pragma once

#include "device/D3D8.h"

#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

struct DeviceSnapshot {
    std::map<DWORD, DWORD> renderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates;
    std::vector<IDirect3DBaseTexture8*> textures; // compared by address only
    DWORD vertexShader = 0;
    IDirect3DVertexBuffer8* stream0 = nullptr;
    UINT stride0 = 0;

    friend bool operator==(const DeviceSnapshot&, const DeviceSnapshot&) = default;
};

inline DeviceSnapshot Snapshot(IDirect3DDevice8* device) {
    DeviceSnapshot s;
    for (DWORD state = 0; state < 256; ++state) {
        DWORD value = 0;
        if (SUCCEEDED(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &value))) {
            s.renderStates[state] = value;
        }
    }
    for (DWORD stage = 0; stage < 8; ++stage) {
        for (DWORD type = 0; type < 64; ++type) {
            DWORD value = 0;
            if (SUCCEEDED(device->GetTextureStageState(
                    stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), &value))) {
                s.stageStates[{stage, type}] = value;
            }
        }
        IDirect3DBaseTexture8* texture = nullptr;
        device->GetTexture(stage, &texture);
        s.textures.push_back(texture);
        if (texture) {
            texture->Release();
        }
    }
    device->GetVertexShader(&s.vertexShader);
    device->GetStreamSource(0, &s.stream0, &s.stride0);
    if (s.stream0) {
        s.stream0->Release();
    }
    return s;
}

// Every difference between two snapshots, one per line; empty when they agree.
inline std::string Differences(const DeviceSnapshot& before, const DeviceSnapshot& after) {
    std::ostringstream out;
    for (const auto& [state, value] : before.renderStates) {
        const auto it = after.renderStates.find(state);
        if (it == after.renderStates.end() || it->second != value) {
            out << "render state " << state << " was " << value << ", now "
                << (it == after.renderStates.end() ? 0 : it->second) << "\n";
        }
    }
    for (const auto& [key, value] : before.stageStates) {
        const auto it = after.stageStates.find(key);
        if (it == after.stageStates.end() || it->second != value) {
            out << "stage " << key.first << " state " << key.second << " was " << value << ", now "
                << (it == after.stageStates.end() ? 0 : it->second) << "\n";
        }
    }
    for (std::size_t stage = 0; stage < before.textures.size(); ++stage) {
        if (before.textures[stage] != after.textures[stage]) {
            out << "texture of stage " << stage << " changed\n";
        }
    }
    if (before.vertexShader != after.vertexShader) {
        out << "vertex shader was " << before.vertexShader << ", now " << after.vertexShader
            << "\n";
    }
    if (before.stream0 != after.stream0 || before.stride0 != after.stride0) {
        out << "stream 0 changed\n";
    }
    return out.str();
}

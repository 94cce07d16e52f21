// Linked OpenGL programs for fixed-function keys, each generated and compiled once.
#pragma once

#include "device/gl/FixedFunctionKey.h"
#include "device/gl/ShaderGenerator.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <unordered_map>

// A linked program with its uniform locations (−1 where the linker dropped a uniform) and the
// version of the uniform values it last received.
struct FixedFunctionProgram {
    GLuint id = 0;
    GLint uniforms[kUniformCount] = {};
    std::uint64_t uniformVersion = 0;
};

// Owns its programs; needs its context current when used and destroyed. A lookup of a key seen
// before neither compiles nor allocates.
class ShaderCache {
public:
    ShaderCache() = default;
    ~ShaderCache();

    ShaderCache(const ShaderCache&) = delete;
    ShaderCache& operator=(const ShaderCache&) = delete;

    // The program for `key`, made on first use with each stage's sampler on the texture unit
    // of the same number. Its id is 0 when the generated code fails to build (the failure is
    // printed to stderr once, and the key is remembered as failed). The reference stays valid
    // for the cache's life.
    FixedFunctionProgram& ProgramFor(const FixedFunctionKey& key);

    std::size_t Size() const { return programs.size(); }

private:
    std::unordered_map<FixedFunctionKey, FixedFunctionProgram, FixedFunctionKeyHash> programs;
};

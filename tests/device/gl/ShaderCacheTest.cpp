// Generated fixed-function shaders build for every operation, argument and test function, and
// the cache builds each key once.
#include "device/gl/ShaderCache.h"
#include "device/gl/EglHeadlessContext.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Keys covering every operation on colour and alpha of two stages, with every argument
// register and modifier, both position kinds and every alpha function.
std::vector<FixedFunctionKey> CoveringKeys() {
    const DWORD arguments[] = {D3DTA_DIFFUSE, D3DTA_CURRENT | D3DTA_COMPLEMENT,
                               D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_TFACTOR,
                               D3DTA_SPECULAR | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE};
    constexpr int kArguments = sizeof arguments / sizeof arguments[0];
    std::vector<FixedFunctionKey> keys;
    for (DWORD op = D3DTOP_SELECTARG1; op <= D3DTOP_LERP; ++op) {
        FixedFunctionInput input;
        input.transformedPosition = op % 2 == 0;
        input.alphaTestEnable = true;
        input.alphaFunc = D3DCMP_NEVER + op % 8;
        for (int stage = 0; stage < 2; ++stage) {
            StageInput& s = input.stages[stage];
            s.colorOp = stage == 0 ? op : D3DTOP_LERP + D3DTOP_SELECTARG1 - op;
            s.alphaOp = op;
            s.colorArg0 = arguments[(op + 0) % kArguments];
            s.colorArg1 = arguments[(op + 1) % kArguments];
            s.colorArg2 = arguments[(op + 2) % kArguments];
            s.alphaArg0 = arguments[(op + 3) % kArguments];
            s.alphaArg1 = arguments[(op + 4) % kArguments];
            s.alphaArg2 = arguments[(op + 2 + stage) % kArguments];
            s.texCoordIndex = (op + stage) % 8;
            s.textureBound = true;
        }
        keys.push_back(MakeFixedFunctionKey(input));
    }
    return keys;
}

} // namespace

TEST(ShaderCache, EveryGeneratedProgramBuildsAndIsMadeOnce) {
    const auto context = EglHeadlessContext::Create();
    ASSERT_NE(context, nullptr) << "no headless OpenGL 3.3 context";
    ShaderCache cache;
    const std::vector<FixedFunctionKey> keys = CoveringKeys();
    std::vector<GLuint> ids;
    for (const FixedFunctionKey& key : keys) {
        const FixedFunctionProgram& program = cache.ProgramFor(key);
        EXPECT_NE(program.id, 0u) << "colour operation " << int(key.stages[0].colorOp);
        ids.push_back(program.id);
    }
    const std::size_t built = cache.Size();
    EXPECT_EQ(built, keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(cache.ProgramFor(keys[i]).id, ids[i]);
    }
    EXPECT_EQ(cache.Size(), built);
}

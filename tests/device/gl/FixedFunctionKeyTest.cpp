// Canonical fixed-function keys: equal drawing gives equal keys, and the no-texture rule.
#include "device/gl/FixedFunctionKey.h"

#include <gtest/gtest.h>

namespace {

// Stage states as a device has them after creation: stage 0 modulates texture by current colour
// with alpha from the texture, every other stage disabled.
FixedFunctionInput DefaultInput() {
    FixedFunctionInput input;
    input.stages[0].colorOp = D3DTOP_MODULATE;
    input.stages[0].alphaOp = D3DTOP_SELECTARG1;
    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        input.stages[stage].texCoordIndex = static_cast<DWORD>(stage);
    }
    return input;
}

StageKey Stage(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1,
               DWORD alphaArg2, DWORD texCoordIndex = 0) {
    StageKey key;
    key.colorOp = static_cast<std::uint8_t>(colorOp);
    key.colorArg1 = static_cast<std::uint8_t>(colorArg1);
    key.colorArg2 = static_cast<std::uint8_t>(colorArg2);
    key.alphaOp = static_cast<std::uint8_t>(alphaOp);
    key.alphaArg1 = static_cast<std::uint8_t>(alphaArg1);
    key.alphaArg2 = static_cast<std::uint8_t>(alphaArg2);
    key.texCoordIndex = static_cast<std::uint8_t>(texCoordIndex);
    return key;
}

} // namespace

TEST(FixedFunctionKey, StageZeroFollowsTheNoTextureRuleForColourAndAlphaSeparately) {
    constexpr DWORD none = 0;
    struct Case {
        const char* name;
        DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
        bool texture;
        StageKey expected;
    } cases[] = {
        {"defaults without texture read the diffuse colour", D3DTOP_MODULATE, D3DTA_TEXTURE,
         D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, false,
         Stage(D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none)},
        {"defaults with texture modulate by diffuse", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT,
         D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT, true,
         Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
               none)},
        {"only the channel group that reads the texture changes", D3DTOP_MODULATE, D3DTA_TEXTURE,
         D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, false,
         Stage(D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none, D3DTOP_SELECTARG2, none, D3DTA_TFACTOR)},
        {"an argument the operation does not read is no texture read", D3DTOP_SELECTARG2,
         D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, false,
         Stage(D3DTOP_SELECTARG2, none, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none)},
        {"alpha DISABLE passes the diffuse alpha on", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
         D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT, true,
         Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE,
               none)},
        {"a texture-alpha blend reads the texture", D3DTOP_BLENDTEXTUREALPHA, D3DTA_TFACTOR,
         D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none, false,
         Stage(D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none)},
        {"modifiers stay with their argument", D3DTOP_MODULATE, D3DTA_CURRENT | D3DTA_COMPLEMENT,
         D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none, false,
         Stage(D3DTOP_MODULATE, D3DTA_DIFFUSE | D3DTA_COMPLEMENT,
               D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, none)},
    };
    for (const Case& c : cases) {
        FixedFunctionInput input = DefaultInput();
        StageInput& s = input.stages[0];
        s.colorOp = c.colorOp;
        s.colorArg1 = c.colorArg1;
        s.colorArg2 = c.colorArg2;
        s.alphaOp = c.alphaOp;
        s.alphaArg1 = c.alphaArg1;
        s.alphaArg2 = c.alphaArg2;
        s.textureBound = c.texture;
        const FixedFunctionKey key = MakeFixedFunctionKey(input);
        EXPECT_EQ(key.stageCount, 1) << c.name;
        EXPECT_TRUE(key.stages[0] == c.expected) << c.name;
    }
}

TEST(FixedFunctionKey, LaterStageReadsCurrentAndItsOwnCoordinateSet) {
    FixedFunctionInput input = DefaultInput();
    input.stages[0].textureBound = true;
    input.stages[1].colorOp = D3DTOP_MODULATE;
    input.stages[1].alphaOp = D3DTOP_SELECTARG2;
    input.stages[1].texCoordIndex = 3 | D3DTSS_TCI_PASSTHRU;
    input.stages[1].textureBound = true;
    const FixedFunctionKey key = MakeFixedFunctionKey(input);
    EXPECT_EQ(key.stageCount, 2);
    EXPECT_TRUE(key.stages[1] == Stage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT,
                                       D3DTOP_SELECTARG2, 0, D3DTA_CURRENT, 3));

    // Without its texture the stage keeps only the current colour and alpha.
    input.stages[1].textureBound = false;
    const FixedFunctionKey bare = MakeFixedFunctionKey(input);
    EXPECT_TRUE(bare.stages[1] ==
                Stage(D3DTOP_SELECTARG1, D3DTA_CURRENT, 0, D3DTOP_SELECTARG2, 0, D3DTA_CURRENT));
}

TEST(FixedFunctionKey, StatesThatDoNotChangeTheDrawingGiveEqualKeys) {
    const FixedFunctionInput base = DefaultInput();
    struct Case {
        const char* name;
        void (*change)(FixedFunctionInput&);
    } cases[] = {
        {"states of stages after the first disabled one",
         [](FixedFunctionInput& in) {
             in.stages[2].colorOp = D3DTOP_ADD;
             in.stages[2].textureBound = true;
         }},
        {"alpha function while the alpha test is off",
         [](FixedFunctionInput& in) { in.alphaFunc = D3DCMP_GREATER; }},
        {"alpha test on with function ALWAYS",
         [](FixedFunctionInput& in) { in.alphaTestEnable = true; }},
        {"coordinate set of a stage that samples nothing",
         [](FixedFunctionInput& in) { in.stages[0].texCoordIndex = 5; }},
    };
    for (const Case& c : cases) {
        FixedFunctionInput changed = base;
        c.change(changed);
        const FixedFunctionKey a = MakeFixedFunctionKey(base);
        const FixedFunctionKey b = MakeFixedFunctionKey(changed);
        EXPECT_TRUE(a == b) << c.name;
        EXPECT_EQ(FixedFunctionKeyHash{}(a), FixedFunctionKeyHash{}(b)) << c.name;
    }
}

TEST(FixedFunctionKey, TextureBoundToAStageThatDoesNotReadItChangesNothing) {
    FixedFunctionInput input = DefaultInput();
    input.stages[0].colorOp = D3DTOP_SELECTARG2;
    input.stages[0].alphaOp = D3DTOP_SELECTARG2;
    const FixedFunctionKey without = MakeFixedFunctionKey(input);
    input.stages[0].textureBound = true;
    EXPECT_TRUE(MakeFixedFunctionKey(input) == without);
}

TEST(FixedFunctionKey, StatesThatChangeTheDrawingGiveDifferentKeys) {
    FixedFunctionInput base = DefaultInput();
    base.stages[0].textureBound = true;
    struct Case {
        const char* name;
        void (*change)(FixedFunctionInput&);
    } cases[] = {
        {"transformed positions", [](FixedFunctionInput& in) { in.transformedPosition = true; }},
        {"alpha test with a real comparison",
         [](FixedFunctionInput& in) {
             in.alphaTestEnable = true;
             in.alphaFunc = D3DCMP_GREATEREQUAL;
         }},
        {"texture removed", [](FixedFunctionInput& in) { in.stages[0].textureBound = false; }},
        {"colour operation", [](FixedFunctionInput& in) { in.stages[0].colorOp = D3DTOP_ADD; }},
        {"coordinate set of a sampling stage",
         [](FixedFunctionInput& in) { in.stages[0].texCoordIndex = 1; }},
        {"second stage enabled",
         [](FixedFunctionInput& in) { in.stages[1].colorOp = D3DTOP_SELECTARG2; }},
    };
    const FixedFunctionKey reference = MakeFixedFunctionKey(base);
    for (const Case& c : cases) {
        FixedFunctionInput changed = base;
        c.change(changed);
        EXPECT_FALSE(MakeFixedFunctionKey(changed) == reference) << c.name;
    }
}

TEST(FixedFunctionKey, UnknownValuesTakeTheirSafeMeaning) {
    FixedFunctionInput input = DefaultInput();
    input.stages[0].textureBound = true;
    input.alphaTestEnable = true;
    input.alphaFunc = 99;
    input.stages[0].colorArg2 = D3DTA_TEMP;
    input.stages[1].colorOp = 77;
    input.stages[1].textureBound = true;
    const FixedFunctionKey key = MakeFixedFunctionKey(input);
    EXPECT_EQ(key.alphaFunc, D3DCMP_ALWAYS);
    EXPECT_EQ(key.stages[0].colorArg2, D3DTA_DIFFUSE); // CURRENT on stage 0
    EXPECT_EQ(key.stageCount, 1);
}

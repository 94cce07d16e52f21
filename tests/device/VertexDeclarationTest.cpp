// Vertex layouts from flexible vertex format codes and from declaration tokens.
#include <gtest/gtest.h>

#include <vector>

#include "device/VertexDeclaration.h"

TEST(VertexDeclaration, FvfVertexSizesAddUpTheirParts) {
    const struct Case {
        DWORD fvf;
        UINT size;
    } cases[] = {
        {0x002, 12},  // XYZ
        {0x112, 32},  // XYZ, normal, one 2D set: 12 + 12 + 8
        {0x144, 28},  // XYZRHW, diffuse, one 2D set: 16 + 4 + 8
        {0x111C, 48}, // XYZB4 with the last beta as indices, normal, one set: 12+12+4+12+8
        {0x0A, 24},   // XYZB3: 12 + 3 weights
        {0x0C2, 20},  // XYZ, diffuse, specular
        {0x022, 16},  // XYZ, point size
        {0x40202, 12 + 8 + 12},      // two sets, the second of three floats
        {0x30102, 12 + 4},           // one set of one float
        {0x800 | 0x002, 12 + 8 * 8}, // eight 2D sets
        {0x000, 0},                  // no position
        {0x003, 0},                  // reserved bit 0
        {0x8002, 0},                 // reserved high bit
        {0x1002, 0},                 // indices without any beta
        {0x1004, 0},                 // indices with a pre-transformed position
        {0x902, 0},                  // nine sets
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FvfVertexSize(c.fvf), c.size) << std::hex << c.fvf;
    }
}

TEST(VertexDeclaration, SkinnedFvfPlacesWeightsIndicesNormalAndCoordinates) {
    VertexDeclaration layout;
    ASSERT_TRUE(VertexDeclaration::FromFvf(0x111C, layout));
    const VertexElement expected[] = {
        {0, 0, 0, 2},  // position, float3
        {0, 12, 1, 2}, // three blend weights, float3
        {0, 24, 2, 5}, // blend indices, ubyte4
        {0, 28, 3, 2}, // normal, float3
        {0, 40, 7, 1}, // texture coordinates 0, float2
    };
    ASSERT_EQ(layout.ElementCount(), 5u);
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(layout.Element(i), expected[i]) << i;
    }
    EXPECT_FALSE(layout.IsPretransformed());
    EXPECT_EQ(layout.Fvf(), 0x111Cu);
    EXPECT_FALSE(layout.UsesStream(1));
}

TEST(VertexDeclaration, PretransformedFvfHasFourFloatPosition) {
    VertexDeclaration layout;
    ASSERT_TRUE(VertexDeclaration::FromFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, layout));
    EXPECT_TRUE(layout.IsPretransformed());
    ASSERT_NE(layout.Find(D3DVSDE_POSITION), nullptr);
    EXPECT_EQ(layout.Find(D3DVSDE_POSITION)->type, D3DVSDT_FLOAT4);
    EXPECT_EQ(layout.Find(D3DVSDE_DIFFUSE)->offset, 16u);
    EXPECT_EQ(layout.Find(D3DVSDE_TEXCOORD0)->offset, 20u);
    EXPECT_EQ(layout.Find(D3DVSDE_NORMAL), nullptr);
}

TEST(VertexDeclaration, TweenDeclarationReadsTwoStreams) {
    const DWORD tokens[] = {0x20000000, 0x40020000, 0x40020003, 0x40010007,
                            0x20000001, 0x4002000F, 0x40020010, 0xFFFFFFFF};
    VertexDeclaration layout;
    ASSERT_TRUE(VertexDeclaration::FromTokens(tokens, 8, layout));
    const VertexElement expected[] = {
        {0, 0, 0, 2}, {0, 12, 3, 2}, {0, 24, 7, 1}, {1, 0, 15, 2}, {1, 12, 16, 2},
    };
    ASSERT_EQ(layout.ElementCount(), 5u);
    for (UINT i = 0; i < 5; ++i) {
        EXPECT_EQ(layout.Element(i), expected[i]) << i;
    }
    EXPECT_EQ(layout.StreamSize(0), 32u);
    EXPECT_EQ(layout.StreamSize(1), 24u);
    EXPECT_EQ(layout.Fvf(), 0u);
}

TEST(VertexDeclaration, SkipsAndConstantsMoveOnWithoutElements) {
    // Stream 0: skip two DWORDs, then a colour; a constant load of one register (four DWORDs
    // of data) and an extension token with one DWORD are stepped over.
    const DWORD tokens[] = {
        D3DVSD_STREAM(0),
        D3DVSD_SKIP(2),
        D3DVSD_REG(D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR),
        D3DVSD_CONST(0, 1),
        0x3F800000,
        0,
        0,
        0x3F800000,
        D3DVSD_MAKETOKENTYPE(D3DVSD_TOKEN_EXT) | (1u << D3DVSD_EXTCOUNTSHIFT),
        0x12345678,
        D3DVSD_REG(D3DVSDE_POSITION, D3DVSDT_FLOAT3),
        D3DVSD_END(),
    };
    VertexDeclaration layout;
    ASSERT_TRUE(VertexDeclaration::FromTokens(tokens, std::size(tokens), layout));
    ASSERT_EQ(layout.ElementCount(), 2u);
    EXPECT_EQ(layout.Element(0), (VertexElement{0, 8, D3DVSDE_DIFFUSE, D3DVSDT_D3DCOLOR}));
    EXPECT_EQ(layout.Element(1), (VertexElement{0, 12, D3DVSDE_POSITION, D3DVSDT_FLOAT3}));
    EXPECT_EQ(layout.StreamSize(0), 24u);
}

TEST(VertexDeclaration, MalformedTokenListsAreRefused) {
    const struct Case {
        const char* name;
        std::vector<DWORD> tokens;
    } cases[] = {
        {"data before a stream", {0x40020000, 0xFFFFFFFF}},
        {"stream 2", {0x20000002, 0x40020000, 0xFFFFFFFF}},
        {"register 17", {0x20000000, 0x40020011, 0xFFFFFFFF}},
        {"register twice", {0x20000000, 0x40020000, 0x40020000, 0xFFFFFFFF}},
        {"data type 8", {0x20000000, 0x40080000, 0xFFFFFFFF}},
        {"tessellator stream", {0x30000000, 0xFFFFFFFF}},
        {"tessellator token", {0x20000000, 0x40020000, 0x60020000, 0xFFFFFFFF}},
        {"no end", {0x20000000, 0x40020000}},
        {"constants past the end", {0x20000000, 0x82000000, 0, 0}},
        {"nop with bits", {0x00000001, 0xFFFFFFFF}},
    };
    for (const Case& c : cases) {
        VertexDeclaration layout;
        EXPECT_FALSE(VertexDeclaration::FromTokens(c.tokens.data(),
                                                   static_cast<UINT>(c.tokens.size()), layout))
            << c.name;
    }
    VertexDeclaration layout;
    EXPECT_FALSE(VertexDeclaration::FromTokens(nullptr, 10, layout));
}

// The utility layer's start-up projection and view builders.
#include "device/D3DXMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(D3DXMathTest, TranslationIsIdentityWithFourthRow) {
    D3DXMATRIX m;
    m.Fill(7.0f);
    EXPECT_EQ(D3DXMatrixTranslation(&m, 0.0f, 0.0f, 3.0f), &m);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const float expected = (i == j) ? 1.0f : (i == 3 && j == 2) ? 3.0f : 0.0f;
            EXPECT_EQ(m.m[i][j], expected) << i << "," << j;
        }
    }
    D3DXMatrixTranslation(&m, -1.5f, 2.0f, 4.25f);
    EXPECT_EQ(m.m[3][0], -1.5f);
    EXPECT_EQ(m.m[3][1], 2.0f);
    EXPECT_EQ(m.m[3][2], 4.25f);
    EXPECT_EQ(m.m[3][3], 1.0f);
}

TEST(D3DXMathTest, PerspectiveWithStartupArguments) {
    D3DXMATRIX m;
    m.Fill(7.0f);
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&m, 0.7853982f, 1.3333334f, -100.0f, 100.0f), &m);
    // k = cot(π/8) = 1 + √2 to single precision.
    const double k = 1.0 + std::sqrt(2.0);
    EXPECT_NEAR(m.m[0][0], k / (4.0 / 3.0), 1e-5);
    EXPECT_NEAR(m.m[1][1], k, 1e-5);
    EXPECT_EQ(m.m[2][2], 0.5f);
    EXPECT_EQ(m.m[2][3], 1.0f);
    // The negative near plane is used as given, which makes m43 positive.
    EXPECT_EQ(m.m[3][2], 50.0f);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            const bool set = (i == j && i < 3) || (i == 2 && j == 3) || (i == 3 && j == 2);
            if (!set) {
                EXPECT_EQ(m.m[i][j], 0.0f) << i << "," << j;
            }
        }
    }
}

TEST(D3DXMathTest, PerspectiveRoundsSineAndCosineToSinglePrecision) {
    struct Case {
        float fovY, aspect, zn, zf;
    } cases[] = {
        {0.7853982f, 1.3333334f, -100.0f, 100.0f},
        {1.2f, 1.0f, 1.0f, 1000.0f},
        {0.1f, 0.75f, 5.0f, 50000.0f},
    };
    for (const Case& c : cases) {
        D3DXMATRIX m;
        D3DXMatrixPerspectiveFovLH(&m, c.fovY, c.aspect, c.zn, c.zf);
        const float h = c.fovY * 0.5f;
        const float k = static_cast<float>(std::cos(static_cast<double>(h))) /
                        static_cast<float>(std::sin(static_cast<double>(h)));
        EXPECT_EQ(m.m[1][1], k);
        EXPECT_EQ(m.m[0][0], k / c.aspect);
        EXPECT_FLOAT_EQ(m.m[2][2], c.zf / (c.zf - c.zn));
        EXPECT_FLOAT_EQ(m.m[3][2], -c.zn * c.zf / (c.zf - c.zn));
        // A point on the near plane maps to depth 0, one on the far plane to depth 1.
        const float nearDepth = (c.zn * m.m[2][2] + m.m[3][2]) / c.zn;
        const float farDepth = (c.zf * m.m[2][2] + m.m[3][2]) / c.zf;
        EXPECT_NEAR(nearDepth, 0.0f, 1e-5f);
        EXPECT_NEAR(farDepth, 1.0f, 1e-5f);
    }
}

} // namespace

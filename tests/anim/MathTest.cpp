// Tests of the scene engine's vector, quaternion and matrix operations. Expected values are worked
// out by hand or built in double precision from the single-axis matrices written out below.
#include "anim/Matrix.h"
#include "anim/Quaternion.h"
#include "anim/Vector3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Degrees to radians for the roll, with the f32 constant the view matrix uses.
const double kRollRadiansPerDegree = static_cast<double>(0.01745328f);
// Degrees to half-angle radians for the field of view, with the f32 constant the projection uses.
const double kHalfFovRadiansPerDegree = static_cast<double>(0.00872664f);

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

// Reference matrix in double, row-major, used with row vectors like Matrix.
struct DMat {
    double m[4][4];
};

struct DVec {
    double x, y, z;
};

struct DQuat {
    double w, x, y, z;
};

DMat DIdentity() {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

DMat DRotX(double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}

DMat DRotY(double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}

DMat DRotZ(double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

DMat DScale(double x, double y, double z) {
    return {{{x, 0, 0, 0}, {0, y, 0, 0}, {0, 0, z, 0}, {0, 0, 0, 1}}};
}

DMat DTranslate(double x, double y, double z) {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {x, y, z, 1}}};
}

DMat DMul(const DMat& a, const DMat& b) {
    DMat r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            for (int k = 0; k < 4; ++k) {
                r.m[i][j] += a.m[i][k] * b.m[k][j];
            }
        }
    }
    return r;
}

DMat DTranspose(const DMat& a) {
    DMat r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[j][i];
        }
    }
    return r;
}

// The point p with w = 1 times m.
DVec DTransform(const DVec& p, const DMat& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

DMat ToDMat(const Matrix& a) {
    DMat r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][j];
        }
    }
    return r;
}

Matrix ToMatrix(const DMat& a) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = static_cast<float>(a.m[i][j]);
        }
    }
    return r;
}

double Distance(const DVec& a, const DVec& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

DVec ToDVec(const Vector3& v) {
    return {v.x, v.y, v.z};
}

void ExpectMatrixNear(const Matrix& actual, const DMat& expected, double tolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance)
                << "element (" << i << ", " << j << ")";
        }
    }
}

void ExpectVectorNear(const Vector3& actual, const DVec& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectQuaternionNear(const Quaternion& actual, const DQuat& expected, double tolerance) {
    EXPECT_NEAR(actual.w, expected.w, tolerance);
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// Rotation about a unit axis n by half-angle h: (cos h, sin h·n).
DQuat DRotationQuat(const DVec& n, double halfAngle) {
    const double s = std::sin(halfAngle);
    return {std::cos(halfAngle), s * n.x, s * n.y, s * n.z};
}

Quaternion ToQuaternion(const DQuat& q) {
    return {static_cast<float>(q.w), static_cast<float>(q.x), static_cast<float>(q.y),
            static_cast<float>(q.z)};
}

double Dot(const Quaternion& a, const Quaternion& b) {
    return static_cast<double>(a.w) * b.w + static_cast<double>(a.x) * b.x +
           static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

// A unit-length rotation whose f32 components, squared and summed in double, come to slightly
// more than 1: the case where an unclamped slerp would take acos of a value above 1.
Quaternion UnitQuaternionWithSelfDotAboveOne() {
    for (int i = 1; i < 100000; ++i) {
        const double half = i * 0.0001;
        const Quaternion q = ToQuaternion(DRotationQuat({0.6, 0.0, 0.8}, half));
        if (Dot(q, q) > 1.0) {
            return q;
        }
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Vector3

TEST(Vector3Test, ArithmeticWorksComponentByComponent) {
    const Vector3 a(1.5f, -2.0f, 4.0f);
    const Vector3 b(0.5f, 3.0f, -1.0f);
    ExpectVectorNear(a + b, {2.0, 1.0, 3.0}, 0.0);
    ExpectVectorNear(a - b, {1.0, -5.0, 5.0}, 0.0);
    ExpectVectorNear(-a, {-1.5, 2.0, -4.0}, 0.0);
    ExpectVectorNear(2.5f * a, {3.75, -5.0, 10.0}, 0.0);
}

TEST(Vector3Test, LengthIsEuclideanNorm) {
    struct Case {
        Vector3 v;
        float length;
    } cases[] = {
        {{3.0f, 4.0f, 0.0f}, 5.0f},  {{1.0f, 2.0f, 2.0f}, 3.0f}, {{-2.0f, 3.0f, -6.0f}, 7.0f},
        {{0.0f, 0.0f, -9.0f}, 9.0f}, {{0.0f, 0.0f, 0.0f}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "v = (" << c.v.x << ", " << c.v.y << ", " << c.v.z << ")");
        EXPECT_FLOAT_EQ(Vector3Length(c.v), c.length);
    }
}

// Rows (1,2,3,9), (4,5,6,9), (7,8,10,9), (-1,-2,-3,9): column 3 is not that of an affine matrix,
// so any use of it (or a division by w) shows in the result.
Matrix MatrixWithJunkColumn3() {
    return ToMatrix({{{1, 2, 3, 9}, {4, 5, 6, 9}, {7, 8, 10, 9}, {-1, -2, -3, 9}}});
}

TEST(Vector3Test, TransformTreatsPointAsRowVectorWithUnitW) {
    // (1, -1, 2): x' = 1 - 4 + 14 - 1, y' = 2 - 5 + 16 - 2, z' = 3 - 6 + 20 - 3.
    ExpectVectorNear(Vector3Transform({1.0f, -1.0f, 2.0f}, MatrixWithJunkColumn3()),
                     {10.0, 11.0, 14.0}, 0.0);
}

TEST(Vector3Test, TransformOfOriginReturnsRow3) {
    ExpectVectorNear(Vector3Transform({0.0f, 0.0f, 0.0f}, MatrixWithJunkColumn3()),
                     {-1.0, -2.0, -3.0}, 0.0);
    ExpectVectorNear(Vector3Transform({0.0f, 0.0f, 0.0f}, MatrixTranslation(4.0f, -5.0f, 6.5f)),
                     {4.0, -5.0, 6.5}, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Quaternion

TEST(QuaternionTest, ArithmeticWorksOnAllFourComponents) {
    const Quaternion a(1.0f, -2.0f, 3.5f, 0.25f);
    const Quaternion b(0.5f, 4.0f, -1.5f, 2.0f);
    ExpectQuaternionNear(a + b, {1.5, 2.0, 2.0, 2.25}, 0.0);
    ExpectQuaternionNear(a - b, {0.5, -6.0, 5.0, -1.75}, 0.0);
    ExpectQuaternionNear(-a, {-1.0, 2.0, -3.5, -0.25}, 0.0);
    ExpectQuaternionNear(-2.0f * a, {-2.0, 4.0, -7.0, -0.5}, 0.0);
}

TEST(QuaternionTest, MultiplyFollowsHamiltonTable) {
    const Quaternion one(1, 0, 0, 0), i(0, 1, 0, 0), j(0, 0, 1, 0), k(0, 0, 0, 1);
    struct Case {
        const char* name;
        Quaternion a, b;
        DQuat product;
    } cases[] = {
        {"i*j = k", i, j, {0, 0, 0, 1}},
        {"j*k = i", j, k, {0, 1, 0, 0}},
        {"k*i = j", k, i, {0, 0, 1, 0}},
        {"j*i = -k", j, i, {0, 0, 0, -1}},
        {"k*j = -i", k, j, {0, -1, 0, 0}},
        {"i*k = -j", i, k, {0, 0, -1, 0}},
        {"i*i = -1", i, i, {-1, 0, 0, 0}},
        {"j*j = -1", j, j, {-1, 0, 0, 0}},
        {"k*k = -1", k, k, {-1, 0, 0, 0}},
        {"1*i = i", one, i, {0, 1, 0, 0}},
        {"k*1 = k", k, one, {0, 0, 0, 1}},
        // Vector parts (2,3,4) and (6,7,8): w = 5 - 12 - 21 - 32, cross product (-4, 8, -4)
        // added for a*b and subtracted for b*a, on top of aw*bv + bw*av = (16, 22, 28).
        {"(1,2,3,4)*(5,6,7,8)", {1, 2, 3, 4}, {5, 6, 7, 8}, {-60, 12, 30, 24}},
        {"(5,6,7,8)*(1,2,3,4)", {5, 6, 7, 8}, {1, 2, 3, 4}, {-60, 20, 14, 32}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectQuaternionNear(QuaternionMultiply(c.a, c.b), c.product, 0.0);
    }
}

TEST(QuaternionTest, MultiplyOfRotationsAboutOneAxisAddsAngles) {
    const DVec n{2.0 / 7.0, -3.0 / 7.0, 6.0 / 7.0};
    const Quaternion a = ToQuaternion(DRotationQuat(n, 0.35));
    const Quaternion b = ToQuaternion(DRotationQuat(n, 0.9));
    ExpectQuaternionNear(QuaternionMultiply(a, b), DRotationQuat(n, 1.25), 1e-6);
}

TEST(QuaternionTest, FromAxisAngleUsesHalfAngleAndAxisAsGiven) {
    struct Case {
        Vector3 axis;
        double angle;
        DQuat expected;
    } cases[] = {
        {{0, 0, 1}, kPi / 2, {std::sqrt(0.5), 0, 0, std::sqrt(0.5)}},
        {{1, 0, 0}, kPi / 3, {std::sqrt(3.0) / 2, 0.5, 0, 0}},
        // The axis is not normalised: its length scales the vector part.
        {{0, 2, 0}, kPi / 3, {std::sqrt(3.0) / 2, 0, 1.0, 0}},
        {{0.6f, 0, -0.8f}, 0.0, {1, 0, 0, 0}},
        {{0.6f, 0, -0.8f}, kPi, {0, 0.6, 0, -0.8}},
        {{0, 0, 1}, 2 * kPi, {-1, 0, 0, 0}},
        {{0, 1, 0}, -kPi / 2, {std::sqrt(0.5), 0, -std::sqrt(0.5), 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "axis (" << c.axis.x << ", " << c.axis.y << ", "
                                        << c.axis.z << ") angle " << c.angle);
        ExpectQuaternionNear(QuaternionFromAxisAngle(c.axis, static_cast<float>(c.angle)),
                             c.expected, 1e-6);
    }
}

TEST(QuaternionTest, ExpOfScalarOnlyQuaternionIsIdentity) {
    const float ws[] = {0.0f, 1.0f, -3.5f, 100.0f};
    for (float w : ws) {
        SCOPED_TRACE(testing::Message() << "w = " << w);
        ExpectQuaternionNear(QuaternionExp({w, 0.0f, 0.0f, 0.0f}), {1, 0, 0, 0}, 0.0);
    }
}

TEST(QuaternionTest, ExpTurnsVectorPartIntoRotation) {
    struct Case {
        Quaternion q;
        DQuat expected;
    } cases[] = {
        // |(0.3, -0.4, 1.2)| = 1.3; w is ignored.
        {{7.0f, 0.3f, -0.4f, 1.2f},
         {std::cos(1.3), std::sin(1.3) / 1.3 * 0.3, std::sin(1.3) / 1.3 * -0.4,
          std::sin(1.3) / 1.3 * 1.2}},
        {{0.0f, 0.0f, static_cast<float>(kPi / 2), 0.0f}, {0, 0, 1, 0}},
        {{-2.0f, 0.0f, 0.0f, static_cast<float>(kPi)}, {-1, 0, 0, 0}},
        {{0.0f, 0.6f, 0.0f, 0.8f}, {std::cos(1.0), 0.6 * std::sin(1.0), 0, 0.8 * std::sin(1.0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "q = (" << c.q.w << ", " << c.q.x << ", " << c.q.y << ", " << c.q.z << ")");
        ExpectQuaternionNear(QuaternionExp(c.q), c.expected, 1e-6);
    }
}

TEST(QuaternionTest, SlerpOfEqualUnitQuaternionsReturnsThatQuaternion) {
    const Quaternion aboveOne = UnitQuaternionWithSelfDotAboveOne();
    ASSERT_GT(Dot(aboveOne, aboveOne), 1.0);
    const Quaternion quaternions[] = {
        {1.0f, 0.0f, 0.0f, 0.0f},
        {0.5f, 0.5f, -0.5f, 0.5f},
        aboveOne,
    };
    const float ts[] = {0.0f, 0.1f, 0.5f, 0.75f, 1.0f};
    for (const Quaternion& q : quaternions) {
        for (float t : ts) {
            SCOPED_TRACE(testing::Message() << "q = (" << q.w << ", " << q.x << ", " << q.y << ", "
                                            << q.z << ") t = " << t);
            const Quaternion r = QuaternionSlerp(t, q, q);
            EXPECT_FALSE(std::isnan(r.w) || std::isnan(r.x) || std::isnan(r.y) || std::isnan(r.z));
            ExpectQuaternionNear(r, {q.w, q.x, q.y, q.z}, 1e-7);
        }
    }
}

TEST(QuaternionTest, SlerpAgainstTheNegationPastMinusOneStaysFinite) {
    // The dot product of q and −q rounds to just below −1 here; acos has no value there, so the
    // blend must fall back to the linear one instead of producing NaN.
    const Quaternion q = UnitQuaternionWithSelfDotAboveOne();
    ASSERT_LT(Dot(q, -q), -1.0);
    const float ts[] = {0.0f, 0.25f, 0.5f, 1.0f};
    for (float t : ts) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        const Quaternion r = QuaternionSlerp(t, q, -q);
        const double w = 1.0 - 2.0 * t;
        ExpectQuaternionNear(r, {w * q.w, w * q.x, w * q.y, w * q.z}, 1e-6);
    }
}

TEST(QuaternionTest, SlerpOfOppositeQuaternionsBlendsLinearlyThroughZero) {
    const Quaternion quaternions[] = {
        {1.0f, 0.0f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 1.0f},
        {0.5f, -0.5f, 0.5f, 0.5f},
    };
    const float ts[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    for (const Quaternion& a : quaternions) {
        for (float t : ts) {
            SCOPED_TRACE(testing::Message() << "a = (" << a.w << ", " << a.x << ", " << a.y << ", "
                                            << a.z << ") t = " << t);
            // (1 - t)·a + t·(-a) = (1 - 2t)·a.
            const double k = 1.0 - 2.0 * t;
            ExpectQuaternionNear(QuaternionSlerp(t, a, -a), {k * a.w, k * a.x, k * a.y, k * a.z},
                                 1e-7);
        }
    }
}

TEST(QuaternionTest, SlerpFollowsGreatArcAtConstantSpeed) {
    // Rotations about one axis: slerp moves the half-angle linearly from a's to b's.
    struct Case {
        const char* name;
        DVec axis;
        double halfA, halfB;
    } cases[] = {
        {"identity to 90 degrees about z", {0, 0, 1}, 0.0, kPi / 4},
        {"identity to 180 degrees about x (orthogonal pair)", {1, 0, 0}, 0.0, kPi / 2},
        {"40 to 160 degrees about a tilted axis", {0.6, 0.0, -0.8}, Radians(20), Radians(80)},
        {"backwards 90 degrees about y", {0, 1, 0}, Radians(30), Radians(-15)},
    };
    const double ts[] = {0.0, 0.25, 0.5, 0.8, 1.0};
    for (const Case& c : cases) {
        const Quaternion a = ToQuaternion(DRotationQuat(c.axis, c.halfA));
        const Quaternion b = ToQuaternion(DRotationQuat(c.axis, c.halfB));
        for (double t : ts) {
            SCOPED_TRACE(testing::Message() << c.name << ", t = " << t);
            ExpectQuaternionNear(QuaternionSlerp(static_cast<float>(t), a, b),
                                 DRotationQuat(c.axis, (1 - t) * c.halfA + t * c.halfB), 2e-6);
        }
    }
}

TEST(QuaternionTest, SlerpBetweenOrthogonalQuaternionsIsCosineSineBlend) {
    const Quaternion a(0.5f, 0.5f, 0.5f, 0.5f);
    const Quaternion b(0.5f, -0.5f, 0.5f, -0.5f);
    const double ts[] = {0.0, 0.2, 0.5, 0.9, 1.0};
    for (double t : ts) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        const double ca = std::cos(t * kPi / 2), cb = std::sin(t * kPi / 2);
        ExpectQuaternionNear(
            QuaternionSlerp(static_cast<float>(t), a, b),
            {0.5 * ca + 0.5 * cb, 0.5 * ca - 0.5 * cb, 0.5 * ca + 0.5 * cb, 0.5 * ca - 0.5 * cb},
            2e-6);
    }
}

TEST(QuaternionTest, SlerpWithNegativeDotTakesLongerArc) {
    // b = (cos(-150°), 0, 0, sin(-150°)) is the same rotation as the half-angle +30°, but the dot
    // product with the identity is negative; without a sign flip the half-angle runs 0 → -150°
    // instead of 0 → +30°.
    const DVec z{0, 0, 1};
    const Quaternion a(1.0f, 0.0f, 0.0f, 0.0f);
    const Quaternion b = ToQuaternion(DRotationQuat(z, Radians(-150)));
    ASSERT_LT(Dot(a, b), 0.0);
    const double ts[] = {0.25, 0.5, 0.75};
    for (double t : ts) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        ExpectQuaternionNear(QuaternionSlerp(static_cast<float>(t), a, b),
                             DRotationQuat(z, t * Radians(-150)), 2e-6);
    }
}

TEST(QuaternionTest, SquadAtEndpointsReturnsOuterKeys) {
    const DVec n{2.0 / 3.0, 1.0 / 3.0, -2.0 / 3.0};
    const DVec m{0.0, 0.6, 0.8};
    const Quaternion q0 = ToQuaternion(DRotationQuat(n, 0.3));
    const Quaternion a = ToQuaternion(DRotationQuat(m, 0.9));
    const Quaternion b = ToQuaternion(DRotationQuat(n, -0.4));
    const Quaternion q1 = ToQuaternion(DRotationQuat(m, 1.1));
    ExpectQuaternionNear(QuaternionSquad(0.0f, q0, a, b, q1), {q0.w, q0.x, q0.y, q0.z}, 1e-6);
    ExpectQuaternionNear(QuaternionSquad(1.0f, q0, a, b, q1), {q1.w, q1.x, q1.y, q1.z}, 1e-6);
}

TEST(QuaternionTest, SquadBlendsOuterAndInnerSlerpsByTwoTOneMinusT) {
    // All four keys turn about z, so every slerp moves the half-angle linearly. Half-angles:
    // q0 0°, q1 45°, a 15°, b 60°. Slerp(t, q0, q1) is at 45t, Slerp(t, a, b) at 15 + 45t, and the
    // outer slerp with weight h = 2t(1 - t) lands at 45t + 15h.
    const DVec z{0, 0, 1};
    const Quaternion q0 = ToQuaternion(DRotationQuat(z, 0.0));
    const Quaternion q1 = ToQuaternion(DRotationQuat(z, Radians(45)));
    const Quaternion a = ToQuaternion(DRotationQuat(z, Radians(15)));
    const Quaternion b = ToQuaternion(DRotationQuat(z, Radians(60)));
    const double ts[] = {0.0, 0.25, 0.5, 0.7, 1.0};
    for (double t : ts) {
        SCOPED_TRACE(testing::Message() << "t = " << t);
        const double h = 2.0 * t * (1.0 - t);
        ExpectQuaternionNear(QuaternionSquad(static_cast<float>(t), q0, a, b, q1),
                             DRotationQuat(z, Radians(45 * t + 15 * h)), 2e-6);
    }
}

// ---------------------------------------------------------------------------------------------
// Matrix

TEST(MatrixTest, ElementIsOneBased) {
    Matrix m;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m.m[i][j] = static_cast<float>(10 * i + j);
        }
    }
    const Matrix& constM = m;
    for (int row = 1; row <= 4; ++row) {
        for (int column = 1; column <= 4; ++column) {
            EXPECT_EQ(m.Element(row, column), static_cast<float>(10 * (row - 1) + column - 1));
            EXPECT_EQ(constM.Element(row, column), m.Element(row, column));
        }
    }
    m.Element(2, 3) = -7.0f;
    m.Element(4, 1) = 99.0f;
    EXPECT_EQ(m.m[1][2], -7.0f);
    EXPECT_EQ(m.m[3][0], 99.0f);
}

TEST(MatrixTest, FillSetsEveryElement) {
    Matrix m = MatrixWithJunkColumn3();
    m.Fill(0.0f);
    ExpectMatrixNear(m, DMat{}, 0.0);
    m.Fill(-2.5f);
    ExpectMatrixNear(m,
                     {{{-2.5, -2.5, -2.5, -2.5},
                       {-2.5, -2.5, -2.5, -2.5},
                       {-2.5, -2.5, -2.5, -2.5},
                       {-2.5, -2.5, -2.5, -2.5}}},
                     0.0);
}

TEST(MatrixTest, BuildersGiveExpectedMatrices) {
    struct Case {
        const char* name;
        Matrix actual;
        DMat expected;
    } cases[] = {
        {"identity", MatrixIdentity(), {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}},
        {"scaling vector",
         MatrixScaling(Vector3(2.0f, -3.0f, 0.5f)),
         {{{2, 0, 0, 0}, {0, -3, 0, 0}, {0, 0, 0.5, 0}, {0, 0, 0, 1}}}},
        {"scaling uniform",
         MatrixScaling(4.0f),
         {{{4, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}}}},
        {"translation vector",
         MatrixTranslation(Vector3(1.0f, -2.0f, 3.5f)),
         {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, -2, 3.5, 1}}}},
        {"translation xyz",
         MatrixTranslation(-4.0f, 0.25f, 8.0f),
         {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-4, 0.25, 8, 1}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectMatrixNear(c.actual, c.expected, 0.0);
    }
}

// Rows (1..4), (5..8), (9..12), (13..16).
Matrix Counting() {
    return ToMatrix({{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}});
}

// Swaps columns 0↔1 and 2↔3 when on the right, rows 0↔1 and 2↔3 when on the left.
Matrix Swapper() {
    return ToMatrix({{{0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 1, 0}}});
}

TEST(MatrixTest, MultiplyKeepsOperandOrder) {
    ExpectMatrixNear(MatrixMultiply(Counting(), Swapper()),
                     {{{2, 1, 4, 3}, {6, 5, 8, 7}, {10, 9, 12, 11}, {14, 13, 16, 15}}}, 0.0);
    ExpectMatrixNear(MatrixMultiply(Swapper(), Counting()),
                     {{{5, 6, 7, 8}, {1, 2, 3, 4}, {13, 14, 15, 16}, {9, 10, 11, 12}}}, 0.0);
    // Scale then translate moves by the unscaled offset; translate then scale scales it.
    ExpectMatrixNear(MatrixMultiply(MatrixScaling(2.0f), MatrixTranslation(1.0f, 2.0f, 3.0f)),
                     {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {1, 2, 3, 1}}}, 0.0);
    ExpectMatrixNear(MatrixMultiply(MatrixTranslation(1.0f, 2.0f, 3.0f), MatrixScaling(2.0f)),
                     {{{2, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, 2, 0}, {2, 4, 6, 1}}}, 0.0);
}

TEST(MatrixTest, MultiplyMatchesReferenceProduct) {
    const DMat a = {{{0.5, -1.25, 2.0, 0.1},
                     {3.0, 0.75, -0.5, 0.2},
                     {-1.5, 2.25, 1.0, -0.3},
                     {4.0, -2.0, 0.5, 1.5}}};
    const DMat b = {{{1.0, 0.25, -3.0, 0.0},
                     {-0.5, 2.0, 1.5, 0.4},
                     {2.5, -1.0, 0.75, -0.6},
                     {0.3, 1.2, -0.8, 2.0}}};
    ExpectMatrixNear(MatrixMultiply(ToMatrix(a), ToMatrix(b)), DMul(a, b), 1e-5);
}

TEST(MatrixTest, MultiplyResultMayOverwriteAnOperand) {
    const DMat expected = DMul(ToDMat(Counting()), ToDMat(Swapper()));

    Matrix left = Counting();
    MatrixMultiplyInPlace(left, Swapper());
    ExpectMatrixNear(left, expected, 0.0);

    left = Counting();
    left = MatrixMultiply(left, Swapper());
    ExpectMatrixNear(left, expected, 0.0);

    Matrix right = Swapper();
    right = MatrixMultiply(Counting(), right);
    ExpectMatrixNear(right, expected, 0.0);

    // Both operands and the output are one object: Counting squared.
    Matrix both = Counting();
    MatrixMultiplyInPlace(both, both);
    ExpectMatrixNear(both, DMul(ToDMat(Counting()), ToDMat(Counting())), 0.0);
}

TEST(MatrixTest, FromIdentityQuaternionIsIdentity) {
    ExpectMatrixNear(MatrixFromQuaternion({1.0f, 0.0f, 0.0f, 0.0f}), DIdentity(), 0.0);
}

TEST(MatrixTest, FromQuaternionAboutZMapsUnitXToCosMinusSin) {
    const double angles[] = {0.3, kPi / 2, 2.0, -1.0, kPi};
    for (double angle : angles) {
        SCOPED_TRACE(testing::Message() << "angle " << angle);
        const Matrix m =
            MatrixFromQuaternion(QuaternionFromAxisAngle({0, 0, 1}, static_cast<float>(angle)));
        ExpectVectorNear(Vector3Transform({1.0f, 0.0f, 0.0f}, m),
                         {std::cos(angle), -std::sin(angle), 0.0}, 1e-6);
    }
}

TEST(MatrixTest, FromAxisQuaternionEqualsSingleAxisRotationByMinusAngle) {
    struct Case {
        const char* name;
        DVec axis;
        DMat (*rotation)(double);
    } cases[] = {
        {"x", {1, 0, 0}, DRotX},
        {"y", {0, 1, 0}, DRotY},
        {"z", {0, 0, 1}, DRotZ},
    };
    const double angles[] = {0.4, -1.3, 2.8};
    for (const Case& c : cases) {
        for (double angle : angles) {
            SCOPED_TRACE(testing::Message() << "axis " << c.name << " angle " << angle);
            const Quaternion q = ToQuaternion(DRotationQuat(c.axis, angle / 2));
            ExpectMatrixNear(MatrixFromQuaternion(q), c.rotation(-angle), 1e-6);
        }
    }
}

TEST(MatrixTest, FromQuaternionAboutGeneralAxis) {
    // (0.5, 0.5, 0.5, 0.5) turns 120° about (1,1,1); worked through the rotation table by hand it
    // is the cyclic permutation rows (0,0,1), (1,0,0), (0,1,0).
    ExpectMatrixNear(MatrixFromQuaternion({0.5f, 0.5f, 0.5f, 0.5f}),
                     {{{0, 0, 1, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}}}, 0.0);

    // A general unit axis against Rodrigues' formula for turning row vectors by -θ, which is the
    // column-vector rotation by +θ: cosθ·I + sinθ·[n]x + (1 - cosθ)·n·nᵀ.
    const DVec n{2.0 / 7.0, 3.0 / 7.0, -6.0 / 7.0};
    const double theta = 1.1;
    const double c = std::cos(theta), s = std::sin(theta), k = 1 - c;
    const DMat expected = {
        {{c + k * n.x * n.x, k * n.x * n.y - s * n.z, k * n.x * n.z + s * n.y, 0},
         {k * n.y * n.x + s * n.z, c + k * n.y * n.y, k * n.y * n.z - s * n.x, 0},
         {k * n.z * n.x - s * n.y, k * n.z * n.y + s * n.x, c + k * n.z * n.z, 0},
         {0, 0, 0, 1}}};
    ExpectMatrixNear(MatrixFromQuaternion(ToQuaternion(DRotationQuat(n, theta / 2))), expected,
                     1e-6);
}

TEST(MatrixTest, FromEulerZeroIsIdentity) {
    ExpectMatrixNear(MatrixFromEuler({0.0f, 0.0f, 0.0f}), DIdentity(), 0.0);
}

TEST(MatrixTest, FromEulerSingleAngleIsSingleAxisRotation) {
    struct Case {
        Vector3 angles;
        DMat expected;
    } cases[] = {
        {{0.7f, 0.0f, 0.0f}, DRotX(0.7f)},
        {{0.0f, -1.2f, 0.0f}, DRotY(-1.2f)},
        {{0.0f, 0.0f, 2.5f}, DRotZ(2.5f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angles (" << c.angles.x << ", " << c.angles.y << ", "
                                        << c.angles.z << ")");
        ExpectMatrixNear(MatrixFromEuler(c.angles), c.expected, 1e-6);
    }
}

TEST(MatrixTest, FromEulerTurnsAboutZThenXThenY) {
    const float quarter = static_cast<float>(kPi / 2);
    struct Case {
        const char* name;
        Vector3 angles;
        Vector3 point;
        DVec expected;
    } cases[] = {
        // Worked by hand. z then x: (1,0,0) → (0,1,0) → (0,0,1); x first would give (0,1,0).
        {"x and z quarter turns", {quarter, 0, quarter}, {1, 0, 0}, {0, 0, 1}},
        // x then y: (0,1,0) → (0,0,1) → (1,0,0); y first would give (0,0,1).
        {"x and y quarter turns", {quarter, quarter, 0}, {0, 1, 0}, {1, 0, 0}},
        // z then y: (1,0,0) → (0,1,0) → (0,1,0); y first would give (0,0,-1).
        {"y and z quarter turns", {0, quarter, quarter}, {1, 0, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectVectorNear(Vector3Transform(c.point, MatrixFromEuler(c.angles)), c.expected, 1e-6);
    }
}

TEST(MatrixTest, FromEulerMatchesProductOfSingleAxisMatrices) {
    struct Case {
        Vector3 angles;
        Vector3 point;
    } cases[] = {
        {{0.7f, 0.0f, -1.1f}, {1.0f, 2.0f, 3.0f}},
        {{0.0f, 0.4f, 2.2f}, {-3.0f, 0.5f, 1.5f}},
        {{-0.9f, 1.3f, 0.0f}, {2.0f, -1.0f, 4.0f}},
        {{0.3f, -2.0f, 1.7f}, {0.5f, 5.0f, -2.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angles (" << c.angles.x << ", " << c.angles.y << ", "
                                        << c.angles.z << ")");
        const DMat rz = DRotZ(c.angles.z), rx = DRotX(c.angles.x), ry = DRotY(c.angles.y);
        const DVec expected = DTransform(DTransform(DTransform(ToDVec(c.point), rz), rx), ry);
        ExpectVectorNear(Vector3Transform(c.point, MatrixFromEuler(c.angles)), expected, 1e-5);
        ExpectMatrixNear(MatrixFromEuler(c.angles), DMul(DMul(rz, rx), ry), 1e-6);
    }
}

// Hand-worked affine matrix: the 3×3 block is a shear rows (1,2,0), (0,1,0), (0,0,1) with inverse
// rows (1,-2,0), (0,1,0), (0,0,1); t = (3,4,5), so row 3 of the inverse is -(t·N⁻¹) = (-3, 2, -5).
Matrix Shear() {
    return ToMatrix({{{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {3, 4, 5, 1}}});
}

TEST(MatrixTest, AffineInverseOfShearWithTranslation) {
    ExpectMatrixNear(MatrixAffineInverse(Shear()),
                     {{{1, -2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {-3, 2, -5, 1}}}, 1e-6);
}

TEST(MatrixTest, AffineInverseOfScaleRotationTranslation) {
    struct Case {
        DVec scale;
        DVec euler;
        DVec translation;
    } cases[] = {
        {{2.0, 3.0, 0.5}, {0.3, -1.2, 0.8}, {4.0, -5.0, 6.0}},
        {{1.0, 1.0, 1.0}, {0.0, 0.0, 1.0}, {-2.0, 0.0, 7.5}},
        {{0.25, 4.0, 1.5}, {-2.1, 0.4, -0.6}, {10.0, 20.0, -30.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "translation (" << c.translation.x << ", "
                                        << c.translation.y << ", " << c.translation.z << ")");
        const DMat s = DScale(c.scale.x, c.scale.y, c.scale.z);
        const DMat r = DMul(DMul(DRotZ(c.euler.z), DRotX(c.euler.x)), DRotY(c.euler.y));
        const DMat t = DTranslate(c.translation.x, c.translation.y, c.translation.z);
        const Matrix m = ToMatrix(DMul(DMul(s, r), t));

        const Matrix inverse = MatrixAffineInverse(m);
        // (S·R·T)⁻¹ = T⁻¹·Rᵀ·S⁻¹.
        const DMat expected = DMul(
            DMul(DTranslate(-c.translation.x, -c.translation.y, -c.translation.z), DTranspose(r)),
            DScale(1 / c.scale.x, 1 / c.scale.y, 1 / c.scale.z));
        ExpectMatrixNear(inverse, expected, 1e-4);
        ExpectMatrixNear(MatrixMultiply(inverse, m), DIdentity(), 1e-5);
        ExpectMatrixNear(MatrixMultiply(m, inverse), DIdentity(), 1e-5);
        EXPECT_EQ(inverse.m[0][3], 0.0f);
        EXPECT_EQ(inverse.m[1][3], 0.0f);
        EXPECT_EQ(inverse.m[2][3], 0.0f);
        EXPECT_EQ(inverse.m[3][3], 1.0f);
    }
}

TEST(MatrixTest, AffineInverseOfTranslationNegatesIt) {
    ExpectMatrixNear(MatrixAffineInverse(MatrixTranslation(1.5f, -2.0f, 8.0f)),
                     DTranslate(-1.5, 2.0, -8.0), 0.0);
}

TEST(MatrixTest, RotationInverseInvertsBlockAndDropsTranslation) {
    ExpectMatrixNear(MatrixRotationInverse(Shear()),
                     {{{1, -2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}}, 1e-6);

    const DMat s = DScale(2.0, 0.5, 4.0);
    const DMat r = DMul(DMul(DRotZ(0.9), DRotX(-0.4)), DRotY(1.7));
    const Matrix m = ToMatrix(DMul(DMul(s, r), DTranslate(3.0, -6.0, 9.0)));
    const DMat expected = DMul(DTranspose(r), DScale(0.5, 2.0, 0.25));
    ExpectMatrixNear(MatrixRotationInverse(m), expected, 1e-5);
}

// p = (x, y, z, 1) times m, all four components.
struct Homogeneous {
    double x, y, z, w;
};

Homogeneous Project(const DVec& p, const Matrix& m) {
    Homogeneous r{};
    double* out[] = {&r.x, &r.y, &r.z, &r.w};
    for (int j = 0; j < 4; ++j) {
        *out[j] = p.x * m.m[0][j] + p.y * m.m[1][j] + p.z * m.m[2][j] + m.m[3][j];
    }
    return r;
}

TEST(MatrixTest, Perspective90Degrees) {
    const Matrix m = MatrixPerspective(90.0f, 1.0f, 1.0f, 2.0f);
    const double f = 1.0 / std::tan(90.0 * kHalfFovRadiansPerDegree);
    // The constant is a little below π/360, so the half angle is a little below 45°.
    EXPECT_GT(m.m[0][0], 1.0f);
    EXPECT_GT(m.m[1][1], 1.0f);
    ExpectMatrixNear(m, {{{f, 0, 0, 0}, {0, f, 0, 0}, {0, 0, 2, 1}, {0, 0, -2, 0}}}, 1e-7);
}

TEST(MatrixTest, PerspectiveScalesByFovAspectAndDepthRange) {
    struct Case {
        float fov, aspect, nearPlane, farPlane;
    } cases[] = {
        {60.0f, 0.75f, 0.5f, 100.0f},
        {45.0f, 1.5f, 10.0f, 1000.0f},
        {120.0f, 0.5625f, 2.0f, 3.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fov " << c.fov << " aspect " << c.aspect << " near "
                                        << c.nearPlane << " far " << c.farPlane);
        const Matrix m = MatrixPerspective(c.fov, c.aspect, c.nearPlane, c.farPlane);
        const double f = 1.0 / std::tan(c.fov * kHalfFovRadiansPerDegree);
        const double q = static_cast<double>(c.farPlane) / (c.farPlane - c.nearPlane);
        ExpectMatrixNear(
            m, {{{f * c.aspect, 0, 0, 0}, {0, f, 0, 0}, {0, 0, q, 1}, {0, 0, -q * c.nearPlane, 0}}},
            1e-5 * q * c.nearPlane);

        // Depth: near maps to 0, far to 1. Edges: the top of the vertical field of view maps to
        // y = 1, and the horizontal edge sits at tan(fov/2) / aspect, since aspect multiplies x.
        const double tanHalf = std::tan(Radians(c.fov) / 2);
        const double z = 0.5 * (c.nearPlane + c.farPlane);
        const Homogeneous nearPoint = Project({0, 0, c.nearPlane}, m);
        const Homogeneous farPoint = Project({0, 0, c.farPlane}, m);
        const Homogeneous top = Project({0, z * tanHalf, z}, m);
        const Homogeneous right = Project({z * tanHalf / c.aspect, 0, z}, m);
        EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0, 1e-5);
        EXPECT_NEAR(farPoint.z / farPoint.w, 1.0, 1e-5);
        EXPECT_NEAR(top.y / top.w, 1.0, 1e-5);
        EXPECT_NEAR(right.x / right.w, 1.0, 1e-5);
    }
}

TEST(MatrixTest, LookAtAlongPlusZIsIdentity) {
    ExpectMatrixNear(MatrixLookAtRoll({0, 0, 0}, {0, 0, 10}, 0.0f), DIdentity(), 1e-7);
}

TEST(MatrixTest, LookAtAlongPlusXMapsTargetOntoPlusZ) {
    const Matrix m = MatrixLookAtRoll({0, 0, 0}, {10, 0, 0}, 0.0f);
    ExpectVectorNear(Vector3Transform({10, 0, 0}, m), {0, 0, 10}, 1e-5);
    // Left-handed with +y up: the world +z direction ends up on view -x.
    ExpectVectorNear(Vector3Transform({0, 0, 1}, m), {-1, 0, 0}, 1e-6);
    ExpectVectorNear(Vector3Transform({0, 1, 0}, m), {0, 1, 0}, 1e-6);
}

struct EyeTarget {
    Vector3 eye, target;
};

const EyeTarget kEyeTargets[] = {
    {{0, 0, 0}, {0, 0, 10}}, {{1, 2, 3}, {-4, 5, -6}}, {{0, 0, 0}, {0, -3, 4}},
    {{-2, 1, 7}, {3, 1, 7}}, {{0, 0, 5}, {0, 0, -5}},  {{10, -4, 2}, {9, 6, 1.5f}},
    {{3, 3, 3}, {-1, 0, 8}},
};

TEST(MatrixTest, LookAtMapsEyeToOriginAndTargetOntoPlusZ) {
    for (const EyeTarget& c : kEyeTargets) {
        SCOPED_TRACE(testing::Message()
                     << "eye (" << c.eye.x << ", " << c.eye.y << ", " << c.eye.z << ") target ("
                     << c.target.x << ", " << c.target.y << ", " << c.target.z << ")");
        const Matrix m = MatrixLookAtRoll(c.eye, c.target, 0.0f);
        const DVec eye = ToDVec(c.eye), target = ToDVec(c.target);
        const double distance = Distance(eye, target);
        ExpectVectorNear(Vector3Transform(c.eye, m), {0, 0, 0}, 1e-5);
        ExpectVectorNear(Vector3Transform(c.target, m), {0, 0, distance}, 1e-4);

        // A rigid motion: distances from another point are kept.
        const Vector3 other(c.eye.x + 1.0f, c.eye.y - 2.0f, c.eye.z + 3.0f);
        EXPECT_NEAR(Distance(ToDVec(Vector3Transform(other, m)), {0, 0, 0}),
                    Distance(ToDVec(other), eye), 1e-5);

        // Without roll, view +x is horizontal: world up has no view-x component and points up.
        EXPECT_NEAR(m.m[1][0], 0.0, 1e-6);
        EXPECT_GT(m.m[1][1], 0.0f);
    }
}

TEST(MatrixTest, LookAtRollTurnsAboutLineOfSight) {
    const float rolls[] = {30.0f, 90.0f, 135.0f, 7.5f, -60.0f};
    for (const EyeTarget& c : kEyeTargets) {
        const DMat unrolled = ToDMat(MatrixLookAtRoll(c.eye, c.target, 0.0f));
        for (float roll : rolls) {
            SCOPED_TRACE(testing::Message()
                         << "eye (" << c.eye.x << ", " << c.eye.y << ", " << c.eye.z << ") target ("
                         << c.target.x << ", " << c.target.y << ", " << c.target.z << ") roll "
                         << roll);
            ExpectMatrixNear(MatrixLookAtRoll(c.eye, c.target, roll),
                             DMul(unrolled, DRotZ(roll * kRollRadiansPerDegree)), 1e-5);
        }
    }
}

TEST(MatrixTest, LookAtPositiveRollTurnsViewAxesCounterClockwise) {
    // Looking along +z, a roll of about 90° is Rz on the right: world +x lands on view +y. The
    // degree constant is a little below π/180, which leaves a cosine of about 1.2e-6.
    const Matrix m = MatrixLookAtRoll({0, 0, 0}, {0, 0, 10}, 90.0f);
    const double r = 90.0 * kRollRadiansPerDegree;
    ExpectVectorNear(Vector3Transform({1, 0, 0}, m), {std::cos(r), std::sin(r), 0}, 1e-7);
    ExpectVectorNear(Vector3Transform({0, 1, 0}, m), {-std::sin(r), std::cos(r), 0}, 1e-7);
    ExpectVectorNear(Vector3Transform({0, 0, 1}, m), {0, 0, 1}, 1e-7);
}

} // namespace

// Tests of the animation tracks: ease curve, TCB tangents, segment search, rotation paths, steps.
#include "anim/Track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

VectorKey MakeVectorKey(float time, Vector3 value, float tension = 0.0f, float bias = 0.0f,
                        float continuity = 0.0f) {
    VectorKey k;
    k.time = time;
    k.value = value;
    k.tension = tension;
    k.bias = bias;
    k.continuity = continuity;
    return k;
}

FloatKey MakeFloatKey(float time, float value, float tension = 0.0f, float bias = 0.0f,
                      float continuity = 0.0f) {
    FloatKey k;
    k.time = time;
    k.value = value;
    k.tension = tension;
    k.bias = bias;
    k.continuity = continuity;
    return k;
}

RotationKey MakeRotationKey(float time, Vector3 axis, float angle) {
    RotationKey k;
    k.time = time;
    k.axis = axis;
    k.angle = angle;
    return k;
}

// Reference quaternion arithmetic in double, written from the definitions rather than taken from
// the library, so that the rotation tests do not share a mistake with the code under test.
struct Quat {
    double w, x, y, z;
};

Quat AxisAngle(Vector3 axis, double angle) {
    const double s = std::sin(angle / 2);
    return {std::cos(angle / 2), s * axis.x, s * axis.y, s * axis.z};
}

Quat Mul(const Quat& a, const Quat& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z,
            a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x};
}

Quat Conjugate(const Quat& q) {
    return {q.w, -q.x, -q.y, -q.z};
}

Quat ToQuat(const Quaternion& q) {
    return {q.w, q.x, q.y, q.z};
}

// q and −q are the same orientation; the distance takes the nearer of the two.
double OrientationDistance(const Quat& a, const Quat& b) {
    const double plus =
        std::fabs(a.w - b.w) + std::fabs(a.x - b.x) + std::fabs(a.y - b.y) + std::fabs(a.z - b.z);
    const double minus =
        std::fabs(a.w + b.w) + std::fabs(a.x + b.x) + std::fabs(a.y + b.y) + std::fabs(a.z + b.z);
    return std::fmin(plus, minus);
}

void ExpectQuatNear(const Quaternion& actual, const Quat& expected, double tolerance) {
    EXPECT_NEAR(actual.w, expected.w, tolerance);
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectVectorNear(const Vector3& actual, const Vector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

double MatrixDistance(const Matrix& a, const Matrix& b) {
    double d = 0;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            d = std::fmax(d, std::fabs(static_cast<double>(a.m[i][j]) - b.m[i][j]));
        }
    }
    return d;
}

bool IsFinite(const Matrix& m) {
    for (const auto& row : m.m) {
        for (float e : row) {
            if (!std::isfinite(e)) {
                return false;
            }
        }
    }
    return true;
}

bool IsFinite(const Quaternion& q) {
    return std::isfinite(q.w) && std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z);
}

// Times at which every track is probed: before, at and after its keys.
constexpr float kProbeTimes[] = {-100.0f, -1.0f, 0.0f, 2.5f, 10.0f, 10.5f, 1000.0f};

// --- Ease -------------------------------------------------------------------------------------

TEST(Ease, MatchesWorkedValues) {
    struct Case {
        float u, easeFrom, easeTo, expected;
    } cases[] = {
        {0.25f, 0.5f, 0.5f, 0.125f},   {0.5f, 0.5f, 0.5f, 0.5f},      {0.75f, 0.5f, 0.5f, 0.875f},
        {0.1f, 0.2f, 0.0f, 0.027778f}, {0.2f, 0.2f, 0.0f, 0.111111f}, {0.6f, 0.2f, 0.0f, 0.555556f},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Ease(c.u, c.easeFrom, c.easeTo), c.expected, 1e-6f)
            << "u " << c.u << " from " << c.easeFrom << " to " << c.easeTo;
    }
}

TEST(Ease, ReachesExactlyOneAtTheEndEvenWithoutEaseTo) {
    EXPECT_EQ(Ease(1.0f, 0.2f, 0.0f), 1.0f);
    EXPECT_EQ(Ease(1.0f, 1.0f, 0.0f), 1.0f);
    EXPECT_EQ(Ease(1.0f, 0.3f, 0.4f), 1.0f);
    EXPECT_EQ(Ease(0.0f, 0.3f, 0.4f), 0.0f);
}

TEST(Ease, WithBothLengthsZeroIsTheIdentity) {
    for (float u : {0.0f, 0.1f, 0.37f, 0.5f, 0.999f, 1.0f}) {
        EXPECT_EQ(Ease(u, 0.0f, 0.0f), u);
    }
}

TEST(Ease, LengthsSummingAboveOneAreNormalised) {
    for (float u : {0.0f, 0.1f, 0.25f, 0.5f, 0.6f, 0.75f, 0.9f, 1.0f}) {
        EXPECT_FLOAT_EQ(Ease(u, 1.0f, 1.0f), Ease(u, 0.5f, 0.5f)) << "u " << u;
    }
}

TEST(Ease, IsContinuousWhereThePiecesMeet) {
    const float a = 0.3f, b = 0.2f, d = 1e-4f;
    EXPECT_NEAR(Ease(a - d, a, b), Ease(a + d, a, b), 1e-3f);
    EXPECT_NEAR(Ease(1.0f - b - d, a, b), Ease(1.0f - b + d, a, b), 1e-3f);
}

// --- Vector and float tracks ------------------------------------------------------------------

TEST(VectorTrack, TwoKeysWithoutTcbGiveTangentsOfTenAndAStraightLine) {
    PositionTrack track;
    track.keys = {MakeVectorKey(0.0f, {0.0f, 0.0f, 0.0f}),
                  MakeVectorKey(10.0f, {10.0f, 20.0f, -10.0f})};
    track.PrepareKeys();
    for (const VectorKey& k : track.keys) {
        ExpectVectorNear(k.outTangent, {10.0f, 20.0f, -10.0f}, 1e-6f);
        ExpectVectorNear(k.inTangent, {10.0f, 20.0f, -10.0f}, 1e-6f);
    }
    ExpectVectorNear(track.Evaluate(5.0f), {5.0f, 10.0f, -5.0f}, 1e-5f);
    ExpectVectorNear(track.Evaluate(2.5f), {2.5f, 5.0f, -2.5f}, 1e-5f);
}

TEST(FloatTrack, TwoKeysWithoutTcbGiveTangentsOfTenAndAStraightLine) {
    FloatTrack track;
    track.keys = {MakeFloatKey(0.0f, 0.0f), MakeFloatKey(10.0f, 10.0f)};
    track.PrepareKeys();
    for (const FloatKey& k : track.keys) {
        EXPECT_FLOAT_EQ(k.outTangent, 10.0f);
        EXPECT_FLOAT_EQ(k.inTangent, 10.0f);
    }
    EXPECT_NEAR(track.Evaluate(5.0f), 5.0f, 1e-5f);
    EXPECT_NEAR(track.Evaluate(7.5f), 7.5f, 1e-5f);
}

// Values 0, 4, 10 at times 0, 2, 6; the middle key has tension 0.2, bias 0.3, continuity −0.4.
// By hand: IN = 4, OUT = 6, A = (6 − 2) / 6 = 2/3, B = (2 − 0) / 6 = 1/3;
//   out = 2/3 · (0.8·1.3·0.6·4 + 0.8·0.7·1.4·6) = 2/3 · (2.496 + 4.704) = 4.8
//   in  = 1/3 · (0.8·1.3·1.4·4 + 0.8·0.7·0.6·6) = 1/3 · (5.824 + 2.016) = 2.6133333
// The end keys have no TCB and take their one difference for both: 4 at key 0, 6 at key 2.
// At time 1 (u = s = 0.5): h1 = h2 = 0.5, h3 = 0.125, h4 = −0.125, so
//   value = 0.5·0 + 0.5·4 + 0.125·4 − 0.125·2.6133333 = 2.1733333.
constexpr float kMidOut = 4.8f, kMidIn = 2.6133333f, kValueAtOne = 2.1733333f;

TEST(VectorTrack, ThreeKeyTcbTangentsMatchTheFormula) {
    ScaleTrack track;
    track.keys = {MakeVectorKey(0.0f, {0.0f, 0.0f, 0.0f}),
                  MakeVectorKey(2.0f, {4.0f, 8.0f, -4.0f}, 0.2f, 0.3f, -0.4f),
                  MakeVectorKey(6.0f, {10.0f, 20.0f, -10.0f})};
    track.PrepareKeys();
    ExpectVectorNear(track.keys[0].outTangent, {4.0f, 8.0f, -4.0f}, 1e-5f);
    ExpectVectorNear(track.keys[0].inTangent, {4.0f, 8.0f, -4.0f}, 1e-5f);
    ExpectVectorNear(track.keys[1].outTangent, {kMidOut, 2 * kMidOut, -kMidOut}, 1e-5f);
    ExpectVectorNear(track.keys[1].inTangent, {kMidIn, 2 * kMidIn, -kMidIn}, 1e-5f);
    ExpectVectorNear(track.keys[2].outTangent, {6.0f, 12.0f, -6.0f}, 1e-5f);
    ExpectVectorNear(track.keys[2].inTangent, {6.0f, 12.0f, -6.0f}, 1e-5f);
    ExpectVectorNear(track.Evaluate(1.0f), {kValueAtOne, 2 * kValueAtOne, -kValueAtOne}, 1e-5f);
}

TEST(FloatTrack, ThreeKeyTcbTangentsMatchTheFormula) {
    FloatTrack track;
    track.keys = {MakeFloatKey(0.0f, 0.0f), MakeFloatKey(2.0f, 4.0f, 0.2f, 0.3f, -0.4f),
                  MakeFloatKey(6.0f, 10.0f)};
    track.PrepareKeys();
    EXPECT_NEAR(track.keys[1].outTangent, kMidOut, 1e-5f);
    EXPECT_NEAR(track.keys[1].inTangent, kMidIn, 1e-5f);
    EXPECT_NEAR(track.Evaluate(1.0f), kValueAtOne, 1e-5f);
}

TEST(VectorTrack, EaseOfTheStartingKeyShapesTheSegment) {
    FloatTrack track;
    track.keys = {MakeFloatKey(0.0f, 0.0f), MakeFloatKey(10.0f, 10.0f)};
    track.keys[0].easeFrom = 0.5f;
    track.keys[0].easeTo = 0.5f;
    track.PrepareKeys();
    // u = 0.25 eases to s = 0.125; the Hermite curve with tangents 10 is the line 10·s.
    EXPECT_NEAR(track.Evaluate(2.5f), 1.25f, 1e-5f);
}

TEST(VectorTrack, EmptyTracksYieldTheirNeutralValueAndIdentityMatrix) {
    PositionTrack position;
    EulerRotationTrack euler;
    ScaleTrack scale;
    position.PrepareKeys();
    euler.PrepareKeys();
    scale.PrepareKeys();
    for (float t : kProbeTimes) {
        EXPECT_EQ(position.Evaluate(t), Vector3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(euler.Evaluate(t), Vector3(0.0f, 0.0f, 0.0f));
        EXPECT_EQ(scale.Evaluate(t), Vector3(1.0f, 1.0f, 1.0f));
        EXPECT_EQ(position.GetMatrix(t), MatrixIdentity());
        EXPECT_EQ(euler.GetMatrix(t), MatrixIdentity());
        EXPECT_EQ(scale.GetMatrix(t), MatrixIdentity());
    }
}

TEST(VectorTrack, OneKeyHoldsItsValueAtEveryTime) {
    PositionTrack position;
    EulerRotationTrack euler;
    ScaleTrack scale;
    const Vector3 v(1.0f, -2.0f, 3.0f);
    for (VectorTrack* track : std::initializer_list<VectorTrack*>{&position, &euler, &scale}) {
        track->keys = {MakeVectorKey(4.0f, v, 0.5f, 0.5f, 0.5f)};
        track->PrepareKeys();
        for (float t : kProbeTimes) {
            EXPECT_EQ(track->Evaluate(t), v) << "t " << t;
        }
    }
}

TEST(VectorTrack, OutsideTheKeysHoldsTheFirstAndLastValue) {
    EulerRotationTrack track;
    track.keys = {MakeVectorKey(0.0f, {1.0f, 2.0f, 3.0f}), MakeVectorKey(5.0f, {0.0f, 0.0f, 0.0f}),
                  MakeVectorKey(10.0f, {-1.0f, 4.0f, 2.0f})};
    track.PrepareKeys();
    EXPECT_EQ(track.Evaluate(-1.0f), Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(track.Evaluate(0.0f), Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(track.Evaluate(10.5f), Vector3(-1.0f, 4.0f, 2.0f));
    EXPECT_EQ(track.Evaluate(1000.0f), Vector3(-1.0f, 4.0f, 2.0f));
}

TEST(VectorTrack, TimeOfALaterKeyGivesExactlyThatKeysValue) {
    PositionTrack track;
    track.keys = {MakeVectorKey(0.0f, {1.0f, 2.0f, 3.0f}),
                  MakeVectorKey(5.0f, {7.0f, -1.0f, 0.5f}, 0.3f, -0.2f, 0.1f),
                  MakeVectorKey(10.0f, {-1.0f, 4.0f, 2.0f})};
    track.keys[0].easeFrom = 0.3f;
    track.keys[0].easeTo = 0.1f;
    track.PrepareKeys();
    EXPECT_EQ(track.Evaluate(5.0f), Vector3(7.0f, -1.0f, 0.5f));
    EXPECT_EQ(track.Evaluate(10.0f), Vector3(-1.0f, 4.0f, 2.0f));
}

TEST(FloatTrack, EmptyOneKeyAndOutsideBehaviour) {
    FloatTrack empty;
    empty.PrepareKeys();
    FloatTrack one;
    one.keys = {MakeFloatKey(3.0f, 42.0f)};
    one.PrepareKeys();
    for (float t : kProbeTimes) {
        EXPECT_EQ(empty.Evaluate(t), 0.0f);
        EXPECT_EQ(one.Evaluate(t), 42.0f);
    }
    FloatTrack two;
    two.keys = {MakeFloatKey(0.0f, 1.0f), MakeFloatKey(10.0f, 3.0f)};
    two.PrepareKeys();
    EXPECT_EQ(two.Evaluate(-1.0f), 1.0f);
    EXPECT_EQ(two.Evaluate(10.0f), 3.0f);
    EXPECT_EQ(two.Evaluate(11.0f), 3.0f);
}

TEST(VectorTrack, GetMatrixOfEachKindBuildsItsTransform) {
    const Vector3 v(0.5f, -0.25f, 2.0f);
    PositionTrack position;
    EulerRotationTrack euler;
    ScaleTrack scale;
    for (VectorTrack* track : std::initializer_list<VectorTrack*>{&position, &euler, &scale}) {
        track->keys = {MakeVectorKey(0.0f, v)};
        track->PrepareKeys();
    }
    const Matrix translation = position.GetMatrix(1.0f);
    EXPECT_EQ(translation, MatrixTranslation(v));
    ExpectVectorNear(Vector3Transform({0.0f, 0.0f, 0.0f}, translation), v, 0.0f);

    const Matrix scaling = scale.GetMatrix(1.0f);
    EXPECT_EQ(scaling, MatrixScaling(v));
    ExpectVectorNear(Vector3Transform({1.0f, 1.0f, 1.0f}, scaling), v, 0.0f);

    EXPECT_EQ(euler.GetMatrix(1.0f), MatrixFromEuler(v));
    // A pure z angle turns (1, 0, 0) to (cos, sin, 0) under Rz's rows (c, s, 0), (−s, c, 0).
    EulerRotationTrack zOnly;
    zOnly.keys = {MakeVectorKey(0.0f, {0.0f, 0.0f, 0.5f})};
    ExpectVectorNear(Vector3Transform({1.0f, 0.0f, 0.0f}, zOnly.GetMatrix(0.0f)),
                     {static_cast<float>(std::cos(0.5)), static_cast<float>(std::sin(0.5)), 0.0f},
                     1e-6f);
}

TEST(VectorTrack, PolymorphicGetMatrixGoesThroughTheTransformSlot) {
    ScaleTrack scale;
    scale.keys = {MakeVectorKey(0.0f, {2.0f, 3.0f, 4.0f})};
    RotationTrack rotation;
    const TransformTrack* tracks[] = {&scale, &rotation};
    EXPECT_EQ(tracks[0]->GetMatrix(0.0f), MatrixScaling(Vector3(2.0f, 3.0f, 4.0f)));
    EXPECT_EQ(tracks[1]->GetMatrix(0.0f), MatrixIdentity());
}

// --- Equal key times --------------------------------------------------------------------------

TEST(VectorTrack, FirstTwoKeysAtOneTimeGiveTheLaterKeyThere) {
    PositionTrack track;
    track.keys = {MakeVectorKey(2.0f, {1.0f, 1.0f, 1.0f}), MakeVectorKey(2.0f, {5.0f, 6.0f, 7.0f}),
                  MakeVectorKey(4.0f, {0.0f, 0.0f, 0.0f})};
    track.PrepareKeys();
    EXPECT_EQ(track.Evaluate(2.0f), Vector3(5.0f, 6.0f, 7.0f));
    EXPECT_TRUE(IsFinite(track.GetMatrix(2.0f)));
    EXPECT_TRUE(IsFinite(track.GetMatrix(3.0f)));
}

TEST(VectorTrack, KeysAllAtOneTimeGiveFiniteTangentsAndMatrices) {
    ScaleTrack track;
    track.keys = {MakeVectorKey(3.0f, {1.0f, 1.0f, 1.0f}), MakeVectorKey(3.0f, {2.0f, 2.0f, 2.0f}),
                  MakeVectorKey(3.0f, {3.0f, 3.0f, 3.0f}, 0.5f, 0.5f, 0.5f)};
    track.PrepareKeys();
    // The zero span t[2] − t[0] at the middle key splits as A = B = 0.5: with IN = OUT = (1, 1, 1)
    // and no TCB both tangents are (1, 1, 1).
    ExpectVectorNear(track.keys[1].outTangent, {1.0f, 1.0f, 1.0f}, 1e-6f);
    ExpectVectorNear(track.keys[1].inTangent, {1.0f, 1.0f, 1.0f}, 1e-6f);
    for (float t : {2.0f, 3.0f, 4.0f}) {
        EXPECT_TRUE(IsFinite(track.GetMatrix(t))) << "t " << t;
    }
    EXPECT_EQ(track.Evaluate(3.0f), Vector3(2.0f, 2.0f, 2.0f));
}

TEST(FloatTrack, KeysAllAtOneTimeGiveFiniteValues) {
    FloatTrack track;
    track.keys = {MakeFloatKey(1.0f, 1.0f), MakeFloatKey(1.0f, 2.0f), MakeFloatKey(1.0f, 5.0f)};
    track.PrepareKeys();
    EXPECT_TRUE(std::isfinite(track.keys[1].outTangent));
    EXPECT_TRUE(std::isfinite(track.keys[1].inTangent));
    EXPECT_EQ(track.Evaluate(1.0f), 2.0f);
}

TEST(RotationTrack, KeysAllAtOneTimeGiveFiniteRotations) {
    RotationTrack track;
    track.keys = {MakeRotationKey(1.0f, {0.0f, 0.0f, 1.0f}, 0.5f),
                  MakeRotationKey(1.0f, {0.0f, 1.0f, 0.0f}, 0.5f),
                  MakeRotationKey(1.0f, {1.0f, 0.0f, 0.0f}, 7.0f)};
    track.PrepareKeys();
    for (const RotationKey& k : track.keys) {
        EXPECT_TRUE(IsFinite(k.outControl));
        EXPECT_TRUE(IsFinite(k.inControl));
    }
    EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(1.0f)), ToQuat(track.keys[1].rotation)),
              1e-5);
    EXPECT_TRUE(IsFinite(track.GetMatrix(1.0f)));
}

// --- Rotation tracks --------------------------------------------------------------------------

TEST(RotationTrack, EmptyTrackIsTheIdentityRotation) {
    RotationTrack track;
    track.PrepareKeys();
    for (float t : kProbeTimes) {
        EXPECT_EQ(track.Evaluate(t), Quaternion(1.0f, 0.0f, 0.0f, 0.0f));
        EXPECT_EQ(track.GetMatrix(t), MatrixIdentity());
    }
}

TEST(RotationTrack, OneKeyHoldsItsAxisAngleRotation) {
    RotationTrack track;
    track.keys = {MakeRotationKey(2.0f, {0.0f, 0.0f, 1.0f}, 0.8f)};
    track.PrepareKeys();
    for (float t : kProbeTimes) {
        ExpectQuatNear(track.Evaluate(t), AxisAngle({0.0f, 0.0f, 1.0f}, 0.8), 1e-6);
    }
}

TEST(RotationTrack, OutsideTheKeysHoldsTheFirstAndLastRotation) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.5f),
                  MakeRotationKey(10.0f, {0.0f, 1.0f, 0.0f}, 1.0f)};
    track.PrepareKeys();
    EXPECT_EQ(track.Evaluate(-5.0f), track.keys[0].rotation);
    EXPECT_EQ(track.Evaluate(10.5f), track.keys[1].rotation);
    EXPECT_EQ(track.Evaluate(100.0f), track.keys[1].rotation);
}

TEST(RotationTrack, NegativeAngleFlipsTheAxis) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {1.0f, 0.0f, 0.0f}, 0.2f),
                  MakeRotationKey(5.0f, {0.0f, 1.0f, 0.0f}, -1.0f)};
    track.PrepareKeys();
    EXPECT_EQ(track.keys[1].angle, 1.0f);
    EXPECT_EQ(track.keys[1].axis, Vector3(0.0f, -1.0f, 0.0f));
    EXPECT_EQ(track.keys[1].turns, 0);
}

TEST(RotationTrack, NegativeFirstKeyKeepsItsOrientation) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 1.0f, 0.0f}, -1.0f)};
    track.PrepareKeys();
    EXPECT_EQ(track.keys[0].angle, 1.0f);
    EXPECT_EQ(track.keys[0].axis, Vector3(0.0f, -1.0f, 0.0f));
    ExpectQuatNear(track.keys[0].rotation, AxisAngle({0.0f, 1.0f, 0.0f}, -1.0), 1e-6);
}

TEST(RotationTrack, SevenRadianKeyHasOneTurnAndTheRemainder) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.0f),
                  MakeRotationKey(1.0f, {0.0f, 1.0f, 0.0f}, 7.0f)};
    track.PrepareKeys();
    EXPECT_EQ(track.keys[1].turns, 1);
    EXPECT_FLOAT_EQ(track.keys[1].angle, 0.7168145f);
    EXPECT_EQ(track.keys[1].angle, static_cast<float>(7.0 - 6.2831854820251465));
}

TEST(RotationTrack, WholeMultiplesOfTheF32TurnCountExactly) {
    for (int k = 1; k <= 10; ++k) {
        RotationTrack track;
        track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.0f),
                      MakeRotationKey(1.0f, {0.0f, 0.0f, 1.0f}, k * 6.2831855f + 0.5f)};
        track.PrepareKeys();
        EXPECT_EQ(track.keys[1].turns, k);
        EXPECT_NEAR(track.keys[1].angle, 0.5f, 1e-5f);
    }
}

TEST(RotationTrack, AbsurdAnglesDoNotOverflowTheTurnCount) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.0f),
                  MakeRotationKey(1.0f, {0.0f, 0.0f, 1.0f}, 1e30f),
                  MakeRotationKey(2.0f, {0.0f, 0.0f, 1.0f}, std::nanf(""))};
    track.PrepareKeys();
    EXPECT_GT(track.keys[1].turns, 0);
    EXPECT_EQ(track.keys[2].turns, 0);
}

TEST(RotationTrack, RotationsAccumulateFromKeyToKey) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.4f),
                  MakeRotationKey(1.0f, {1.0f, 0.0f, 0.0f}, 0.7f),
                  MakeRotationKey(2.0f, {0.0f, 1.0f, 0.0f}, 0.3f)};
    track.PrepareKeys();
    const Quat q0 = AxisAngle({0.0f, 0.0f, 1.0f}, 0.4);
    const Quat q1 = Mul(q0, AxisAngle({1.0f, 0.0f, 0.0f}, 0.7));
    const Quat q2 = Mul(q1, AxisAngle({0.0f, 1.0f, 0.0f}, 0.3));
    ExpectQuatNear(track.keys[0].rotation, q0, 1e-6);
    ExpectQuatNear(track.keys[1].rotation, q1, 1e-6);
    ExpectQuatNear(track.keys[2].rotation, q2, 1e-6);
}

TEST(RotationTrack, TwoKeysWithoutTcbHaveControlsAtTheirRotations) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.4f),
                  MakeRotationKey(1.0f, {1.0f, 0.0f, 0.0f}, 0.7f)};
    track.PrepareKeys();
    for (const RotationKey& k : track.keys) {
        ExpectQuatNear(k.outControl, ToQuat(k.rotation), 1e-6);
        ExpectQuatNear(k.inControl, ToQuat(k.rotation), 1e-6);
    }
}

// Key 1 turns 4 rad about z (no whole turn): its tangent uses h = 4/2 − 1.5707964, folded because
// 2 exceeds a quarter turn. With tension 0.5 at key 0 (an end key: A = 0.5, Lin = Lout = L):
// TO = 0.5 · 0.5 · (L + L) = 0.5·L, so outControl = rotation · exp(0.5 · (0.5·L − L)), which is
// rotation · (cos(h/4), 0, 0, −sin(h/4)).
TEST(RotationTrack, ControlPointsFollowTheFoldedTangent) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {1.0f, 0.0f, 0.0f}, 0.3f),
                  MakeRotationKey(1.0f, {0.0f, 0.0f, 1.0f}, 4.0f)};
    track.keys[0].tension = 0.5f;
    track.PrepareKeys();
    const double h = 2.0 - 1.5707964;
    const Quat expected =
        Mul(AxisAngle({1.0f, 0.0f, 0.0f}, 0.3), Quat{std::cos(h / 4), 0, 0, -std::sin(h / 4)});
    ExpectQuatNear(track.keys[0].outControl, expected, 1e-6);
}

TEST(RotationTrack, SquadSegmentStartsAndEndsAtTheKeyRotations) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.4f),
                  MakeRotationKey(10.0f, {0.6f, 0.8f, 0.0f}, 1.2f),
                  MakeRotationKey(25.0f, {0.0f, 1.0f, 0.0f}, 0.5f)};
    track.keys[1].tension = 0.3f;
    track.keys[1].bias = -0.2f;
    track.keys[1].continuity = 0.4f;
    track.keys[0].easeFrom = 0.2f;
    track.PrepareKeys();
    for (const RotationKey& k : track.keys) {
        EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(k.time)), ToQuat(k.rotation)), 1e-5)
            << "t " << k.time;
    }
    // Just inside a segment the orientation is close to its start key's.
    EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(10.001f)), ToQuat(track.keys[1].rotation)),
              1e-3);
}

TEST(RotationTrack, KeysAboutOneAxisInterpolateAboutThatAxis) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.3f),
                  MakeRotationKey(10.0f, {0.0f, 0.0f, 1.0f}, 0.8f),
                  MakeRotationKey(25.0f, {0.0f, 0.0f, 1.0f}, 1.1f)};
    track.keys[1].tension = 0.3f;
    track.keys[1].bias = 0.5f;
    track.keys[1].continuity = -0.3f;
    track.keys[1].easeTo = 0.4f;
    track.PrepareKeys();
    for (float t = 0.0f; t <= 25.0f; t += 0.5f) {
        const Quaternion q = track.Evaluate(t);
        EXPECT_NEAR(q.x, 0.0f, 1e-6f) << "t " << t;
        EXPECT_NEAR(q.y, 0.0f, 1e-6f) << "t " << t;
        EXPECT_NEAR(q.w * q.w + q.z * q.z, 1.0f, 1e-3f) << "t " << t;
    }
}

// Whole-turn segments from key 0 (0.4 rad about (0.6, 0, 0.8)) to key 1 over times 0..1 with no
// ease, so the eased parameter s equals the time. With total = turns·2π + angle the middle piece
// gives q0 · R(n, π + (s − F1)/(F2 − F1)·(total − 2π)); since F1 = π/total that angle is s·total,
// the key's whole file angle: the orientation turns at the constant rate total per unit s.
struct WholeTurnCase {
    float angle;
    Vector3 axis;
    int turns;
};

const WholeTurnCase kWholeTurnCases[] = {
    {7.0f, {0.0f, 1.0f, 0.0f}, 1},
    {13.0f, {1.0f, 0.0f, 0.0f}, 2},
    {20.0f, {2.0f / 3.0f, 2.0f / 3.0f, -1.0f / 3.0f}, 3},
};

RotationTrack MakeWholeTurnTrack(const WholeTurnCase& c) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.6f, 0.0f, 0.8f}, 0.4f),
                  MakeRotationKey(1.0f, c.axis, c.angle)};
    track.PrepareKeys();
    return track;
}

TEST(RotationTrack, WholeTurnMiddleTurnsAtAConstantRateAboutTheKeyAxis) {
    for (const WholeTurnCase& c : kWholeTurnCases) {
        const RotationTrack track = MakeWholeTurnTrack(c);
        ASSERT_EQ(track.keys[1].turns, c.turns);
        const double f1 = kPi / c.angle;
        const Quat q0 = AxisAngle({0.6f, 0.0f, 0.8f}, 0.4);
        for (double s = f1 + 0.01; s < 1.0 - f1 - 0.01; s += 0.01) {
            const Quat expected = Mul(q0, AxisAngle(c.axis, s * c.angle));
            EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(static_cast<float>(s))), expected),
                      1e-4)
                << "angle " << c.angle << " s " << s;
        }
    }
}

TEST(RotationTrack, WholeTurnMiddleRelativeRotationMatchesAxisAngle) {
    for (const WholeTurnCase& c : kWholeTurnCases) {
        const RotationTrack track = MakeWholeTurnTrack(c);
        const double f1 = kPi / c.angle;
        const double sa = f1 + 0.1 * (1 - 2 * f1), sb = f1 + 0.8 * (1 - 2 * f1);
        const Quat qa = ToQuat(track.Evaluate(static_cast<float>(sa)));
        const Quat qb = ToQuat(track.Evaluate(static_cast<float>(sb)));
        const Quat relative = Mul(Conjugate(qa), qb);
        EXPECT_LT(OrientationDistance(relative, AxisAngle(c.axis, (sb - sa) * c.angle)), 1e-4)
            << "angle " << c.angle;
    }
}

TEST(RotationTrack, WholeTurnPiecesMeetWithoutAJump) {
    for (const WholeTurnCase& c : kWholeTurnCases) {
        const RotationTrack track = MakeWholeTurnTrack(c);
        const float total = static_cast<float>(c.turns) * 6.2831855f + track.keys[1].angle;
        const float f1 = 3.1415927f / total;
        const float f2 = 1.0f - f1;
        const float d = 1e-5f;
        for (float join : {f1, f2}) {
            const Matrix before = track.GetMatrix(join - d);
            const Matrix at = track.GetMatrix(join);
            const Matrix after = track.GetMatrix(join + d);
            EXPECT_LT(MatrixDistance(before, at), 1e-3) << "angle " << c.angle << " at " << join;
            EXPECT_LT(MatrixDistance(at, after), 1e-3) << "angle " << c.angle << " at " << join;
        }
        // At F1 the first piece reaches q0 · R(n, π), the middle piece's start.
        const Quat half = Mul(ToQuat(track.keys[0].rotation), AxisAngle(c.axis, kPi));
        EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(f1)), half), 1e-5);
        EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(f1 - d)), half), 1e-3);
    }
}

// Rotation angle from a to b in radians, sign of the quaternions ignored.
double AngleBetween(const Quat& a, const Quat& b) {
    const Quat r = Mul(Conjugate(a), b);
    return 2.0 * std::atan2(std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z), std::fabs(r.w));
}

// Without TCB the control points equal the key rotations, so the blended first and last half
// turns also run at the rate total: the whole segment turns at one speed, which fails on a jump
// or on a blend that takes the long way round.
TEST(RotationTrack, WholeTurnSegmentWithoutTcbTurnsAtOneRateThroughout) {
    for (const WholeTurnCase& c : kWholeTurnCases) {
        const RotationTrack track = MakeWholeTurnTrack(c);
        const double h = 0.01;
        for (int step = 0; step < 100; ++step) {
            const double s = step * h;
            const double turned = AngleBetween(ToQuat(track.Evaluate(static_cast<float>(s))),
                                               ToQuat(track.Evaluate(static_cast<float>(s + h))));
            EXPECT_NEAR(turned, c.angle * h, 0.05 * c.angle * h)
                << "angle " << c.angle << " s " << s;
        }
    }
}

TEST(RotationTrack, WholeTurnSegmentStartsAndEndsAtTheKeyRotations) {
    for (const WholeTurnCase& c : kWholeTurnCases) {
        const RotationTrack track = MakeWholeTurnTrack(c);
        EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(0.0f)), ToQuat(track.keys[0].rotation)),
                  1e-5);
        EXPECT_LT(OrientationDistance(ToQuat(track.Evaluate(1.0f)), ToQuat(track.keys[1].rotation)),
                  1e-5);
    }
}

TEST(RotationTrack, ExactlyOneTurnIsFinite) {
    RotationTrack track;
    track.keys = {MakeRotationKey(0.0f, {0.0f, 0.0f, 1.0f}, 0.0f),
                  MakeRotationKey(1.0f, {0.0f, 0.0f, 1.0f}, 6.2831855f)};
    track.PrepareKeys();
    ASSERT_EQ(track.keys[1].turns, 1);
    for (float t = 0.0f; t <= 1.0f; t += 0.125f) {
        EXPECT_TRUE(IsFinite(track.Evaluate(t))) << "t " << t;
    }
}

// --- Step tracks ------------------------------------------------------------------------------

StepKey<std::uint32_t> MakeStepKey(float time, std::uint32_t value) {
    StepKey<std::uint32_t> k;
    k.time = time;
    k.value = value;
    return k;
}

TEST(StepTrack, MatchesWorkedValues) {
    StepTrack track;
    track.keys = {MakeStepKey(0.0f, 0), MakeStepKey(10.0f, 1)};
    EXPECT_EQ(track.ValueAt(5.0f), 0u);
    EXPECT_EQ(track.NextValueAt(5.0f), 1u);
    EXPECT_FLOAT_EQ(track.FractionAt(5.0f), 0.5f);
    EXPECT_EQ(track.ValueAt(10.0f), 0u);
    EXPECT_EQ(track.NextValueAt(10.0f), 1u);
    EXPECT_EQ(track.FractionAt(10.0f), 1.0f);
    EXPECT_EQ(track.ValueAt(10.5f), 1u);
}

TEST(StepTrack, OutsideTheKeysHoldsTheEndValues) {
    StepTrack track;
    track.keys = {MakeStepKey(0.0f, 7), MakeStepKey(10.0f, 8), MakeStepKey(20.0f, 9)};
    EXPECT_EQ(track.ValueAt(-1.0f), 7u);
    EXPECT_EQ(track.NextValueAt(-1.0f), 7u);
    EXPECT_EQ(track.FractionAt(-1.0f), 0.0f);
    EXPECT_EQ(track.ValueAt(0.0f), 7u);
    EXPECT_EQ(track.NextValueAt(0.0f), 8u);
    EXPECT_EQ(track.FractionAt(0.0f), 0.0f);
    EXPECT_EQ(track.ValueAt(15.0f), 8u);
    EXPECT_EQ(track.NextValueAt(15.0f), 9u);
    EXPECT_EQ(track.ValueAt(21.0f), 9u);
    EXPECT_EQ(track.NextValueAt(21.0f), 9u);
    EXPECT_EQ(track.FractionAt(21.0f), 1.0f);
}

TEST(StepTrack, OneKeyAndNoKeys) {
    StepTrack one;
    one.keys = {MakeStepKey(5.0f, 3)};
    StepTrack empty;
    for (float t : kProbeTimes) {
        EXPECT_EQ(one.ValueAt(t), 3u);
        EXPECT_EQ(one.NextValueAt(t), 3u);
        EXPECT_EQ(one.FractionAt(t), 0.0f);
        EXPECT_EQ(empty.ValueAt(t), 0u);
        EXPECT_EQ(empty.NextValueAt(t), 0u);
        EXPECT_EQ(empty.FractionAt(t), 0.0f);
    }
}

TEST(StepTrack, FractionIsEasedByTheStartingKey) {
    StepTrack track;
    track.keys = {MakeStepKey(0.0f, 0), MakeStepKey(10.0f, 1)};
    track.keys[0].easeFrom = 0.5f;
    track.keys[0].easeTo = 0.5f;
    EXPECT_FLOAT_EQ(track.FractionAt(2.5f), 0.125f);
    EXPECT_FLOAT_EQ(track.FractionAt(7.5f), 0.875f);
}

TEST(StepTrack, FirstTwoKeysAtOneTimeGiveAFiniteFraction) {
    StepTrack track;
    track.keys = {MakeStepKey(2.0f, 4), MakeStepKey(2.0f, 5), MakeStepKey(3.0f, 6)};
    EXPECT_EQ(track.FractionAt(2.0f), 1.0f);
    EXPECT_EQ(track.ValueAt(2.0f), 4u);
    EXPECT_EQ(track.NextValueAt(2.0f), 5u);
}

TEST(StepTrack, HoldsPointerValuesForMorphTracks) {
    struct FakeMesh {
        int id;
    } m1{1}, m2{2};
    BasicStepTrack<const FakeMesh*> track;
    track.keys = {{0.0f, &m1, 0.0f, 0.0f}, {4.0f, &m2, 0.0f, 0.0f}, {8.0f, nullptr, 0.0f, 0.0f}};
    EXPECT_EQ(track.ValueAt(1.0f), &m1);
    EXPECT_EQ(track.NextValueAt(1.0f), &m2);
    EXPECT_EQ(track.ValueAt(5.0f), &m2);
    EXPECT_EQ(track.NextValueAt(5.0f), nullptr);
    BasicStepTrack<const FakeMesh*> empty;
    EXPECT_EQ(empty.ValueAt(1.0f), nullptr);
}

} // namespace

// Key preparation and evaluation of the vector, rotation and float tracks, and the ease curve.
#include "anim/Track.h"

#include <climits>
#include <cmath>

namespace {

// f32 constants of the rotation path.
constexpr float kTurnsPerRadian = 0.15915494f;
constexpr float kQuarterTurn = 1.5707964f;
constexpr float kHalfTurn = 3.1415927f;
constexpr float kWholeTurn = 6.2831855f;
// The f32 value of 2π widened to double: the modulus of the angle reductions.
constexpr double kWholeTurnDouble = 6.2831854820251465;

// The A and B factors of the TCB tangents at key i: 0.5 at the end keys, otherwise the shares of
// the two neighbouring segments in the span t[i+1] − t[i−1]. A zero span (three keys at one time)
// would divide by zero, so it splits evenly like an end key.
template <typename Key>
void TangentWeights(const std::vector<Key>& keys, std::size_t i, float& a, float& b) {
    a = b = 0.5f;
    if (i == 0 || i + 1 == keys.size()) {
        return;
    }
    const float span = keys[i + 1].time - keys[i - 1].time;
    if (span != 0.0f) {
        a = (keys[i + 1].time - keys[i].time) / span;
        b = (keys[i].time - keys[i - 1].time) / span;
    }
}

// The products of A or B with the (1 − tension)(1 ± bias)(1 ± continuity) factors of one key:
// outTangent = outFromIn·IN + outFromOut·OUT and inTangent = inFromIn·IN + inFromOut·OUT.
struct TcbWeights {
    float outFromIn, outFromOut, inFromIn, inFromOut;
};

template <typename Key>
TcbWeights Weights(const std::vector<Key>& keys, std::size_t i) {
    const Key& k = keys[i];
    float a, b;
    TangentWeights(keys, i, a, b);
    const float t = 1.0f - k.tension;
    return {a * t * (1.0f + k.bias) * (1.0f + k.continuity),
            a * t * (1.0f - k.bias) * (1.0f - k.continuity),
            b * t * (1.0f + k.bias) * (1.0f - k.continuity),
            b * t * (1.0f - k.bias) * (1.0f + k.continuity)};
}

// Kochanek–Bartels tangents of VectorKeys or FloatKeys: IN and OUT are the differences to the
// neighbours, and each end key borrows the one difference it has for both.
template <typename Key>
void PrepareHermiteKeys(std::vector<Key>& keys) {
    const std::size_t n = keys.size();
    if (n <= 1) {
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const auto out =
            i + 1 < n ? keys[i + 1].value - keys[i].value : keys[i].value - keys[i - 1].value;
        const auto in = i > 0 ? keys[i].value - keys[i - 1].value : out;
        const TcbWeights w = Weights(keys, i);
        keys[i].outTangent = w.outFromIn * in + w.outFromOut * out;
        keys[i].inTangent = w.inFromIn * in + w.inFromOut * out;
    }
}

// Cubic Hermite value of a vector or float track at time, or neutral without keys.
template <typename Key, typename Value>
Value EvaluateHermite(const std::vector<Key>& keys, float time, const Value& neutral) {
    const KeySpan at = LocateTime<Key>(keys, time);
    if (at.where == KeySpan::Where::NoKeys) {
        return neutral;
    }
    if (at.where != KeySpan::Where::Inside) {
        return keys[at.index].value;
    }
    const Key& k0 = keys[at.index];
    const Key& k1 = keys[at.index + 1];
    const float s = at.s, s2 = s * s, s3 = s2 * s;
    const float h1 = 2.0f * s3 - 3.0f * s2 + 1.0f;
    const float h2 = 3.0f * s2 - 2.0f * s3;
    const float h3 = s3 - 2.0f * s2 + s;
    const float h4 = s3 - s2;
    return h1 * k0.value + h2 * k1.value + h3 * k0.outTangent + h4 * k1.inTangent;
}

// ⌊angle / 2π⌋ with an f32 product, which lands exactly on k for k whole f32 turns (a
// double product would fall just below). Saturated so that an absurd or NaN angle from a file
// cannot overflow the conversion.
std::int32_t WholeTurns(float angle) {
    const double turns = std::floor(static_cast<double>(angle * kTurnsPerRadian));
    if (!(turns >= 0.0)) {
        return 0;
    }
    return turns >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<std::int32_t>(turns);
}

// Tangent quaternion (0, h·axis) of key j ≥ 1: a quarter turn for a key with whole turns,
// otherwise half its angle, folded down by a quarter turn when it exceeds one.
Quaternion Log(const RotationKey& key) {
    float h;
    if (key.turns != 0) {
        h = kQuarterTurn;
    } else {
        h = key.angle * 0.5f;
        if (h > kQuarterTurn) {
            h -= kQuarterTurn;
        }
    }
    return {0.0f, h * key.axis.x, h * key.axis.y, h * key.axis.z};
}

} // namespace

float Ease(float u, float easeFrom, float easeTo) {
    double a = easeFrom, b = easeTo;
    const double sum = a + b;
    if (std::fabs(sum) <= 0.001) {
        return u;
    }
    if (sum > 1.0) {
        a /= sum;
        b /= sum;
    }
    const double k = 1.0 / (2.0 - a - b);
    const double x = u;
    if (x < a) {
        return static_cast<float>(k / a * x * x);
    }
    if (x < 1.0 - b) {
        return static_cast<float>(k * (2.0 * x - a));
    }
    if (b == 0.0) {
        return 1.0f;
    }
    return static_cast<float>(1.0 - k / b * (1.0 - x) * (1.0 - x));
}

void VectorTrack::PrepareKeys() {
    PrepareHermiteKeys(keys);
}

Vector3 VectorTrack::Evaluate(float time) const {
    return EvaluateHermite(keys, time, neutral);
}

Matrix PositionTrack::GetMatrix(float time) const {
    return MatrixTranslation(Evaluate(time));
}

Matrix EulerRotationTrack::GetMatrix(float time) const {
    return MatrixFromEuler(Evaluate(time));
}

Matrix ScaleTrack::GetMatrix(float time) const {
    return MatrixScaling(Evaluate(time));
}

void FloatTrack::PrepareKeys() {
    PrepareHermiteKeys(keys);
}

float FloatTrack::Evaluate(float time) const {
    return EvaluateHermite(keys, time, 0.0f);
}

void RotationTrack::PrepareKeys() {
    const std::size_t n = keys.size();
    if (n == 0) {
        return;
    }
    keys[0].rotation = QuaternionFromAxisAngle(keys[0].axis, keys[0].angle);
    keys[0].turns = 0;
    for (RotationKey& key : keys) {
        if (key.angle < 0.0f) {
            key.angle = -key.angle;
            key.axis = -key.axis;
        }
    }
    if (n == 1) {
        return;
    }
    for (std::size_t i = 1; i < n; ++i) {
        RotationKey& key = keys[i];
        key.turns = WholeTurns(key.angle);
        key.angle = static_cast<float>(std::fmod(static_cast<double>(key.angle), kWholeTurnDouble));
        key.rotation =
            QuaternionMultiply(keys[i - 1].rotation, QuaternionFromAxisAngle(key.axis, key.angle));
    }
    for (std::size_t i = 0; i < n; ++i) {
        const Quaternion lOut = i + 1 < n ? Log(keys[i + 1]) : Log(keys[i]);
        const Quaternion lIn = i > 0 ? Log(keys[i]) : lOut;
        const TcbWeights w = Weights(keys, i);
        const Quaternion to = w.outFromIn * lIn + w.outFromOut * lOut;
        const Quaternion ti = w.inFromIn * lIn + w.inFromOut * lOut;
        RotationKey& key = keys[i];
        key.outControl = QuaternionMultiply(key.rotation, QuaternionExp(0.5f * (to - lOut)));
        key.inControl = QuaternionMultiply(key.rotation, QuaternionExp(0.5f * (lIn - ti)));
    }
}

Quaternion RotationTrack::Evaluate(float time) const {
    const KeySpan at = LocateTime<RotationKey>(keys, time);
    if (at.where == KeySpan::Where::NoKeys) {
        return {1.0f, 0.0f, 0.0f, 0.0f};
    }
    if (at.where != KeySpan::Where::Inside) {
        return keys[at.index].rotation;
    }
    const RotationKey& k0 = keys[at.index];
    const RotationKey& k1 = keys[at.index + 1];
    const float s = at.s;
    if (k1.turns == 0) {
        return QuaternionSquad(s, k0.rotation, k0.outControl, k1.inControl, k1.rotation);
    }
    // Whole turns: the first and last half turn (fractions F1 of the segment) blend with the
    // spline; in between the orientation turns at a constant rate about the end key's axis.
    const float total = static_cast<float>(k1.turns) * kWholeTurn + k1.angle;
    const float f1 = kHalfTurn / total;
    const float f2 = 1.0f - f1;
    if (s < f1) {
        const float s1 = s / f1;
        const Quaternion m =
            QuaternionMultiply(k0.rotation, QuaternionFromAxisAngle(k1.axis, f1 * total));
        return QuaternionSlerp(2.0f * s1 * (1.0f - s1), QuaternionSlerp(s1, k0.rotation, m),
                               QuaternionSlerp(s1, k0.outControl, m));
    }
    if (s <= f2) {
        // F1 = F2 when total rounds to exactly one turn: the middle piece is the single point M.
        const float v = f2 > f1 ? (s - f1) / (f2 - f1) : 0.0f;
        const float theta = static_cast<float>(
            std::fmod(static_cast<double>(v * (total - kWholeTurn) + kHalfTurn), kWholeTurnDouble));
        return QuaternionMultiply(k0.rotation, QuaternionFromAxisAngle(k1.axis, theta));
    }
    const float s3 = (s - f2) / f1;
    Quaternion m = QuaternionMultiply(k0.rotation, QuaternionFromAxisAngle(k1.axis, f2 * total));
    if (k1.turns % 2 != 0) {
        m = -m;
    }
    return QuaternionSlerp(2.0f * s3 * (1.0f - s3), QuaternionSlerp(s3, m, k1.rotation),
                           QuaternionSlerp(s3, m, k1.inControl));
}

Matrix RotationTrack::GetMatrix(float time) const {
    return MatrixFromQuaternion(Evaluate(time));
}

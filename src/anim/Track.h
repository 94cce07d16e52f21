// Keyed animation tracks: key records, one-time key preparation and evaluation at a scene time.
#pragma once

#include "anim/Matrix.h"
#include "anim/Quaternion.h"
#include "anim/Vector3.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Times are f32 scene times in animation frames; angles are radians. Every key array is kept in
// ascending time order (the file's order); nothing sorts it and every evaluation assumes it.
// Unordered times never make an evaluation read outside the array, but the values are then
// meaningless.

struct VectorKey {
    float time = 0.0f;
    Vector3 value;
    Vector3 outTangent; // computed by PrepareKeys
    Vector3 inTangent;  // computed by PrepareKeys
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
    float easeTo = 0.0f;   // fraction of the segment starting here spent slowing down at its end
    float easeFrom = 0.0f; // fraction of that segment spent speeding up at its start
};

struct FloatKey {
    float time = 0.0f;
    float value = 0.0f;
    float outTangent = 0.0f; // computed by PrepareKeys
    float inTangent = 0.0f;  // computed by PrepareKeys
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

// Unlike the other key records, easeFrom stands before easeTo here.
struct RotationKey {
    float time = 0.0f;
    Quaternion rotation;   // absolute orientation; computed by PrepareKeys
    Quaternion outControl; // squad control point leaving the key; computed
    Quaternion inControl;  // squad control point arriving at the key; computed
    // From the file: key 0 holds the orientation itself, every later key the rotation from the
    // previous key's orientation. PrepareKeys makes angle non-negative (negating axis with it) and,
    // for keys after the first, reduces it below 2π, counting the whole turns removed in turns.
    Vector3 axis;
    float angle = 0.0f;
    std::int32_t turns = 0;
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
    float easeFrom = 0.0f;
    float easeTo = 0.0f;
};

// Value is 32 bits in the file: a u32 (visibility tracks) or, for morph tracks, the Mesh the
// key's name resolved to (a link, not owned; null when no object matched).
template <typename Value>
struct StepKey {
    float time = 0.0f;
    Value value{};
    float easeTo = 0.0f;
    float easeFrom = 0.0f;
};

// Ease-in/ease-out remapping of a segment parameter u in 0..1 onto 0..1. easeFrom and easeTo are
// the fractions of the segment spent speeding up and slowing down; when their sum exceeds 1 both
// are divided by it, and when |sum| ≤ 0.001 the result is u. The curve is quadratic over the
// first easeFrom and the last easeTo of the segment and linear between, continuous in value and
// slope; Ease(0) = 0, Ease(1) = 1 (exactly 1 at u = 1 even when easeTo is 0). Carried in double.
float Ease(float u, float easeFrom, float easeTo);

// Where a time falls among a track's keys, as found by the segment search.
struct KeySpan {
    enum class Where : std::uint8_t {
        NoKeys, // the track is empty: it yields its neutral value
        First,  // one key, or before the first key: key 0's value, fraction 0
        Last,   // after the last key: its value, fraction 1
        Inside, // in the segment from key index to key index + 1, at eased parameter s
    };
    Where where = Where::NoKeys;
    std::size_t index = 0;
    float s = 0.0f;
};

// The segment search shared by every track. Outside the keys the comparisons are strict, so a time
// equal to key 0's time is interpolated with u = 0 and a time equal to a later key's time lands
// in the segment ending at that key with u = 1. The segment is the first whose end time is ≥ time,
// found by a linear scan from key 0 (there is no cached segment). A zero-length segment (possible
// only when time equals the first two keys' shared time) takes u = 1, the later key. The eased
// parameter uses the ease lengths of the key that starts the segment.
template <typename Key>
KeySpan LocateTime(std::span<const Key> keys, float time) {
    const std::size_t n = keys.size();
    if (n == 0) {
        return {KeySpan::Where::NoKeys, 0, 0.0f};
    }
    if (n == 1 || time < keys[0].time) {
        return {KeySpan::Where::First, 0, 0.0f};
    }
    if (time > keys[n - 1].time) {
        return {KeySpan::Where::Last, n - 1, 1.0f};
    }
    // Bounded by n − 2 so that a NaN time, which fails every comparison, still stays in range.
    std::size_t i = 0;
    while (i + 2 < n && keys[i + 1].time < time) {
        ++i;
    }
    const float length = keys[i + 1].time - keys[i].time;
    const float u = length != 0.0f ? (time - keys[i].time) / length : 1.0f;
    return {KeySpan::Where::Inside, i, Ease(u, keys[i].easeFrom, keys[i].easeTo)};
}

// Root of the track family; owners delete every kind of track through their own pointer type.
// Copying is kept away from the polymorphic bases so that a track cannot be sliced.
class Track {
public:
    virtual ~Track() = default;

protected:
    Track() = default;
    Track(const Track&) = default;
    Track(Track&&) = default;
    Track& operator=(const Track&) = default;
    Track& operator=(Track&&) = default;
};

// The slots VectorTrack and RotationTrack share (destructor, GetMatrix, PrepareKeys), so that a
// Controller's rotation track can be either a RotationTrack or an EulerRotationTrack.
class TransformTrack : public Track {
public:
    // The track's transform at time (row vectors: p' = p · M).
    virtual Matrix GetMatrix(float time) const = 0;
    // Computes tangents or control points once, after the loader has stored the keys.
    virtual void PrepareKeys() = 0;
};

// Kochanek–Bartels spline through Vector3 keys; the subclasses turn the value into a matrix.
class VectorTrack : public TransformTrack {
public:
    std::vector<VectorKey> keys;

    std::uint32_t Count() const { return static_cast<std::uint32_t>(keys.size()); }

    // Sets inTangent and outTangent of every key from its neighbours and its tension, bias and
    // continuity; does nothing for fewer than two keys.
    void PrepareKeys() override;

    // Hermite interpolation of the keys at time with the prepared tangents (not rescaled by the
    // segment's length); the class's neutral value when there are no keys.
    Vector3 Evaluate(float time) const;

protected:
    explicit VectorTrack(const Vector3& neutral) : neutral(neutral) {}

private:
    Vector3 neutral; // value of an empty track: the one whose matrix is the identity
};

class PositionTrack final : public VectorTrack {
public:
    PositionTrack() : VectorTrack(Vector3(0.0f, 0.0f, 0.0f)) {}
    // MatrixTranslation of the value.
    Matrix GetMatrix(float time) const override;
};

class EulerRotationTrack final : public VectorTrack {
public:
    EulerRotationTrack() : VectorTrack(Vector3(0.0f, 0.0f, 0.0f)) {}
    // MatrixFromEuler of the value; the angles are interpolated component by component.
    Matrix GetMatrix(float time) const override;
};

class ScaleTrack final : public VectorTrack {
public:
    ScaleTrack() : VectorTrack(Vector3(1.0f, 1.0f, 1.0f)) {}
    // MatrixScaling of the value.
    Matrix GetMatrix(float time) const override;
};

// Orientation track: axis-angle keys, each relative to the previous one, turned into absolute
// quaternions and interpolated with squad, with a constant-rate path for whole revolutions.
class RotationTrack final : public TransformTrack {
public:
    std::vector<RotationKey> keys;

    std::uint32_t Count() const { return static_cast<std::uint32_t>(keys.size()); }

    // Normalises the angles (non-negative, whole turns split off for keys after the first),
    // accumulates the absolute rotations and computes the squad control points.
    void PrepareKeys() override;

    // Unit-ish quaternion (w first) at time; (1, 0, 0, 0) when there are no keys. A segment whose
    // end key has whole turns turns at a constant rate about that key's axis between its first
    // and last half turn, which blend with the spline's control points.
    Quaternion Evaluate(float time) const;

    // MatrixFromQuaternion(Evaluate(time)).
    Matrix GetMatrix(float time) const override;
};

// Kochanek–Bartels spline through f32 keys (camera field of view and roll).
class FloatTrack final : public Track {
public:
    std::vector<FloatKey> keys;

    std::uint32_t Count() const { return static_cast<std::uint32_t>(keys.size()); }

    // As VectorTrack::PrepareKeys.
    void PrepareKeys();
    // Hermite interpolation as for VectorTrack; 0.0 when there are no keys.
    float Evaluate(float time) const;
};

// Discrete values held from one key to the next, with the eased fraction between them for morph
// tweening. Value is std::uint32_t for visibility tracks; morph tracks (scene layer) use a
// pointer to their Mesh, which this layer never dereferences. An empty track yields Value{}.
template <typename Value>
class BasicStepTrack final : public Track {
public:
    using Key = StepKey<Value>;

    std::vector<Key> keys;

    std::uint32_t Count() const { return static_cast<std::uint32_t>(keys.size()); }

    // Value of the key in force: key i inside segment i, so a key takes over only after its time.
    Value ValueAt(float time) const {
        const KeySpan at = LocateTime<Key>(keys, time);
        return at.where == KeySpan::Where::NoKeys ? Value{} : keys[at.index].value;
    }

    // Value of the key after the one in force; outside the keys, the same as ValueAt.
    Value NextValueAt(float time) const {
        const KeySpan at = LocateTime<Key>(keys, time);
        switch (at.where) {
        case KeySpan::Where::NoKeys:
            return Value{};
        case KeySpan::Where::Inside:
            return keys[at.index + 1].value;
        default:
            return keys[at.index].value;
        }
    }

    // Eased fraction 0..1 of the way from ValueAt to NextValueAt: 0 with at most one key or
    // before the first key, 1 after the last.
    float FractionAt(float time) const { return LocateTime<Key>(keys, time).s; }
};

using StepTrack = BasicStepTrack<std::uint32_t>;

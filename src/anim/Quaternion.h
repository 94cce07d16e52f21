// Quaternion of the scene engine, stored scalar first (w, x, y, z). A rotation by angle θ about a
// unit axis n is (cos θ/2, sin θ/2·n). Nothing here normalises; callers keep quaternions unit
// length.
#pragma once

#include "anim/Vector3.h"

struct Quaternion {
    float w = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Quaternion() = default;
    constexpr Quaternion(float w, float x, float y, float z) : w(w), x(x), y(y), z(z) {}

    friend constexpr bool operator==(const Quaternion&, const Quaternion&) = default;
};

constexpr Quaternion operator+(const Quaternion& a, const Quaternion& b) {
    return {a.w + b.w, a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr Quaternion operator-(const Quaternion& a, const Quaternion& b) {
    return {a.w - b.w, a.x - b.x, a.y - b.y, a.z - b.z};
}
constexpr Quaternion operator-(const Quaternion& a) {
    return {-a.w, -a.x, -a.y, -a.z};
}
constexpr Quaternion operator*(float s, const Quaternion& q) {
    return {s * q.w, s * q.x, s * q.y, s * q.z};
}

// Hamilton product a · b.
Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b);

// (cos(angle/2), sin(angle/2)·axis); the axis is used as given, not normalised. Radians.
Quaternion QuaternionFromAxisAngle(const Vector3& axis, float angle);

// Exponential of the vector part (w is ignored): with θ = |(x, y, z)|, (cos θ, k·x, k·y, k·z)
// where k = sin θ / θ, or 1 when θ ≤ 0.001.
Quaternion QuaternionExp(const Quaternion& q);

// Spherical interpolation from a (t = 0) to b (t = 1). The dot product is held inside [−1, 1];
// when |sin θ| ≤ 0.001 the blend is linear. No shortest-arc correction: a negative dot product
// takes the longer arc, which the rotation tracks rely on. The result is not normalised.
Quaternion QuaternionSlerp(float t, const Quaternion& a, const Quaternion& b);

// Slerp(2t(1 − t), Slerp(t, q0, q1), Slerp(t, a, b)).
Quaternion QuaternionSquad(float t, const Quaternion& q0, const Quaternion& a, const Quaternion& b,
                           const Quaternion& q1);

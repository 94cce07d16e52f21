// Quaternion products, exponential and interpolation; intermediates are carried in double.
#include "anim/Quaternion.h"

#include <cmath>

Quaternion QuaternionMultiply(const Quaternion& a, const Quaternion& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y + a.y * b.w + a.z * b.x - a.x * b.z,
            a.w * b.z + a.z * b.w + a.x * b.y - a.y * b.x};
}

Quaternion QuaternionFromAxisAngle(const Vector3& axis, float angle) {
    const double half = static_cast<double>(angle) * 0.5;
    const double s = std::sin(half);
    return {static_cast<float>(std::cos(half)), static_cast<float>(s * axis.x),
            static_cast<float>(s * axis.y), static_cast<float>(s * axis.z)};
}

Quaternion QuaternionExp(const Quaternion& q) {
    const double x = q.x, y = q.y, z = q.z;
    const double theta = std::sqrt(x * x + y * y + z * z);
    const double k = std::fabs(theta) <= 0.001 ? 1.0 : std::sin(theta) / theta;
    return {static_cast<float>(std::cos(theta)), static_cast<float>(k * x),
            static_cast<float>(k * y), static_cast<float>(k * z)};
}

Quaternion QuaternionSlerp(float t, const Quaternion& a, const Quaternion& b) {
    double d = static_cast<double>(a.w) * b.w + static_cast<double>(a.x) * b.x +
               static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
    // Rounding can push the dot product of unit quaternions just past ±1, where acos has no
    // value; held at the end of the range the blend is linear there instead of NaN.
    if (d > 1.0) {
        d = 1.0;
    } else if (d < -1.0) {
        d = -1.0;
    }
    const double theta = std::acos(d);
    const double sinTheta = std::sin(theta);
    double wa, wb;
    if (std::fabs(sinTheta) <= 0.001) {
        wa = 1.0 - t;
        wb = t;
    } else {
        wa = std::sin((1.0 - t) * theta) / sinTheta;
        wb = std::sin(t * theta) / sinTheta;
    }
    return {static_cast<float>(wa * a.w + wb * b.w), static_cast<float>(wa * a.x + wb * b.x),
            static_cast<float>(wa * a.y + wb * b.y), static_cast<float>(wa * a.z + wb * b.z)};
}

Quaternion QuaternionSquad(float t, const Quaternion& q0, const Quaternion& a, const Quaternion& b,
                           const Quaternion& q1) {
    return QuaternionSlerp(2.0f * t * (1.0f - t), QuaternionSlerp(t, q0, q1),
                           QuaternionSlerp(t, a, b));
}

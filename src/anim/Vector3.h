// Three-component vector of the scene engine: positions, directions, scales, axes, Euler angles.
#pragma once

struct Matrix;

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float x, float y, float z) : x(x), y(y), z(z) {}

    friend constexpr bool operator==(const Vector3&, const Vector3&) = default;
};

constexpr Vector3 operator+(const Vector3& a, const Vector3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr Vector3 operator-(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
constexpr Vector3 operator-(const Vector3& a) {
    return {-a.x, -a.y, -a.z};
}
constexpr Vector3 operator*(float s, const Vector3& v) {
    return {s * v.x, s * v.y, s * v.z};
}

// sqrt(x² + y² + z²), carried in double precision.
float Vector3Length(const Vector3& v);

// The point v with w = 1 times M (row vector on the left); column 3 of M is ignored and nothing
// is divided.
Vector3 Vector3Transform(const Vector3& v, const Matrix& m);

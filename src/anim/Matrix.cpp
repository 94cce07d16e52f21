// Matrix builders and products; trigonometry is carried in double, results stored as float.
#include "anim/Matrix.h"

#include <cmath>

void Matrix::Fill(float value) {
    for (auto& row : m) {
        for (float& e : row) {
            e = value;
        }
    }
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

void MatrixMultiplyInPlace(Matrix& a, const Matrix& b) {
    a = MatrixMultiply(a, b);
}

Matrix MatrixIdentity() {
    Matrix r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
}

Matrix MatrixScaling(const Vector3& v) {
    Matrix r;
    r.m[0][0] = v.x;
    r.m[1][1] = v.y;
    r.m[2][2] = v.z;
    r.m[3][3] = 1.0f;
    return r;
}

Matrix MatrixScaling(float s) {
    return MatrixScaling(Vector3(s, s, s));
}

Matrix MatrixTranslation(const Vector3& v) {
    return MatrixTranslation(v.x, v.y, v.z);
}

Matrix MatrixTranslation(float x, float y, float z) {
    Matrix r = MatrixIdentity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix MatrixFromQuaternion(const Quaternion& q) {
    const float w = q.w, x = q.x, y = q.y, z = q.z;
    Matrix r;
    r.m[0][0] = 1.0f - 2.0f * (y * y + z * z);
    r.m[0][1] = 2.0f * (x * y - w * z);
    r.m[0][2] = 2.0f * (x * z + w * y);
    r.m[1][0] = 2.0f * (x * y + w * z);
    r.m[1][1] = 1.0f - 2.0f * (x * x + z * z);
    r.m[1][2] = 2.0f * (y * z - w * x);
    r.m[2][0] = 2.0f * (x * z - w * y);
    r.m[2][1] = 2.0f * (y * z + w * x);
    r.m[2][2] = 1.0f - 2.0f * (x * x + y * y);
    r.m[3][3] = 1.0f;
    return r;
}

namespace {

Matrix RotationX(double angle) {
    const float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    Matrix r = MatrixIdentity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Matrix RotationY(double angle) {
    const float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    Matrix r = MatrixIdentity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Matrix RotationZ(double angle) {
    const float c = static_cast<float>(std::cos(angle)), s = static_cast<float>(std::sin(angle));
    Matrix r = MatrixIdentity();
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    return r;
}

// Inverse of m's upper-left 3×3 block through its adjugate, column 3 = (0, 0, 0, 1), row 3 zero.
Matrix InverseBlock(const Matrix& m) {
    const auto& a = m.m;
    const double c00 =
        static_cast<double>(a[1][1]) * a[2][2] - static_cast<double>(a[2][1]) * a[1][2];
    const double c01 =
        static_cast<double>(a[1][0]) * a[2][2] - static_cast<double>(a[2][0]) * a[1][2];
    const double c02 =
        static_cast<double>(a[1][0]) * a[2][1] - static_cast<double>(a[2][0]) * a[1][1];
    const double det = a[0][0] * c00 - a[0][1] * c01 + a[0][2] * c02;
    const double inv = 1.0 / det;
    Matrix r;
    r.m[0][0] = static_cast<float>(c00 * inv);
    r.m[0][1] = static_cast<float>(
        (static_cast<double>(a[0][2]) * a[2][1] - static_cast<double>(a[0][1]) * a[2][2]) * inv);
    r.m[0][2] = static_cast<float>(
        (static_cast<double>(a[0][1]) * a[1][2] - static_cast<double>(a[0][2]) * a[1][1]) * inv);
    r.m[1][0] = static_cast<float>(-c01 * inv);
    r.m[1][1] = static_cast<float>(
        (static_cast<double>(a[0][0]) * a[2][2] - static_cast<double>(a[0][2]) * a[2][0]) * inv);
    r.m[1][2] = static_cast<float>(
        (static_cast<double>(a[0][2]) * a[1][0] - static_cast<double>(a[0][0]) * a[1][2]) * inv);
    r.m[2][0] = static_cast<float>(c02 * inv);
    r.m[2][1] = static_cast<float>(
        (static_cast<double>(a[0][1]) * a[2][0] - static_cast<double>(a[0][0]) * a[2][1]) * inv);
    r.m[2][2] = static_cast<float>(
        (static_cast<double>(a[0][0]) * a[1][1] - static_cast<double>(a[0][1]) * a[1][0]) * inv);
    r.m[3][3] = 1.0f;
    return r;
}

} // namespace

Matrix MatrixFromEuler(const Vector3& v) {
    return MatrixMultiply(MatrixMultiply(RotationZ(v.z), RotationX(v.x)), RotationY(v.y));
}

Matrix MatrixAffineInverse(const Matrix& m) {
    Matrix r = InverseBlock(m);
    const double tx = m.m[3][0], ty = m.m[3][1], tz = m.m[3][2];
    for (int j = 0; j < 3; ++j) {
        r.m[3][j] = static_cast<float>(-(tx * r.m[0][j] + ty * r.m[1][j] + tz * r.m[2][j]));
    }
    return r;
}

Matrix MatrixRotationInverse(const Matrix& m) {
    return InverseBlock(m);
}

Matrix MatrixPerspective(float fovDegrees, float aspect, float nearPlane, float farPlane) {
    const double f = 1.0 / std::tan(static_cast<double>(fovDegrees) * 0.00872664f);
    const double q = static_cast<double>(farPlane) / (static_cast<double>(farPlane) - nearPlane);
    Matrix r;
    r.m[0][0] = static_cast<float>(f * aspect);
    r.m[1][1] = static_cast<float>(f);
    r.m[2][2] = static_cast<float>(q);
    r.m[2][3] = 1.0f;
    r.m[3][2] = static_cast<float>(-q * nearPlane);
    return r;
}

Matrix MatrixLookAtRoll(const Vector3& eye, const Vector3& target, float rollDegrees) {
    const Vector3 d = target - eye;
    const double yaw = -std::atan2(static_cast<double>(d.x), static_cast<double>(d.z));
    const double pitch = std::asin(d.y / static_cast<double>(Vector3Length(d)));
    const double roll = static_cast<double>(rollDegrees) * -0.01745328f;
    const double cy = std::cos(yaw), sy = std::sin(yaw);
    const double cp = std::cos(pitch), sp = std::sin(pitch);
    const double cr = std::cos(roll), sr = std::sin(roll);
    Matrix r;
    r.m[0][0] = static_cast<float>(cr * cy + sr * sp * sy);
    r.m[0][1] = static_cast<float>(cr * sp * sy - sr * cy);
    r.m[0][2] = static_cast<float>(-cp * sy);
    r.m[1][0] = static_cast<float>(sr * cp);
    r.m[1][1] = static_cast<float>(cr * cp);
    r.m[1][2] = static_cast<float>(sp);
    r.m[2][0] = static_cast<float>(cr * sy - sr * sp * cy);
    r.m[2][1] = static_cast<float>(-cr * sp * cy - sr * sy);
    r.m[2][2] = static_cast<float>(cp * cy);
    r.m[3][3] = 1.0f;
    return MatrixMultiply(MatrixTranslation(-eye), r);
}

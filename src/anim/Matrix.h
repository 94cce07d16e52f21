// 4×4 matrix of the scene engine: sixteen floats, row-major, used with row vectors (p' = p · M),
// translation in row 3. A transform A followed by B is A · B. This is the layout the device's
// transform calls take, so a Matrix goes to the device unchanged.
#pragma once

#include "anim/Quaternion.h"
#include "anim/Vector3.h"

struct Matrix {
    float m[4][4] = {};

    // Element (row − 1, column − 1): scene files address matrix elements 1-based.
    float& Element(int row, int column) { return m[row - 1][column - 1]; }
    float Element(int row, int column) const { return m[row - 1][column - 1]; }

    // Every element set to value.
    void Fill(float value);

    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// A · B, formed completely before it is returned.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
// a := a · b.
void MatrixMultiplyInPlace(Matrix& a, const Matrix& b);

Matrix MatrixIdentity();
// Diagonal (v.x, v.y, v.z, 1).
Matrix MatrixScaling(const Vector3& v);
// Diagonal (s, s, s, 1).
Matrix MatrixScaling(float s);
// Identity with row 3 = (x, y, z, 1).
Matrix MatrixTranslation(const Vector3& v);
Matrix MatrixTranslation(float x, float y, float z);

// Rotation matrix of q (w first). With row vectors, MatrixFromQuaternion(
// QuaternionFromAxisAngle(n, θ)) turns points by −θ about n.
Matrix MatrixFromQuaternion(const Quaternion& q);

// Rz(v.z) · Rx(v.x) · Ry(v.y), angles in radians: points turn about z first, then x, then y.
// Rx rows (1,0,0), (0,c,s), (0,−s,c); Ry rows (c,0,−s), (0,1,0), (s,0,c); Rz rows (c,s,0),
// (−s,c,0), (0,0,1).
Matrix MatrixFromEuler(const Vector3& v);

// Inverse of an affine matrix: the 3×3 block inverted through its adjugate, row 3 = −t · N⁻¹,
// column 3 = (0, 0, 0, 1). A zero determinant is not tested for.
Matrix MatrixAffineInverse(const Matrix& m);
// Inverse of the upper-left 3×3 block, with row 3 = (0, 0, 0, 1).
Matrix MatrixRotationInverse(const Matrix& m);

// Left-handed projection mapping view-space depth near..far onto 0..1. fovDegrees is the full
// vertical angle; aspect multiplies the horizontal scale (height / width). With
// f = 1 / tan(fovDegrees · 0.00872664) and Q = far / (far − near): (0,0) = f · aspect, (1,1) = f,
// (2,2) = Q, (2,3) = 1, (3,2) = −Q · near, all else 0.
Matrix MatrixPerspective(float fovDegrees, float aspect, float nearPlane, float farPlane);

// View matrix looking from eye toward target (view space +z), turned by rollDegrees about the
// line of sight: MatrixTranslation(−eye) · R with yaw = −atan2(D.x, D.z),
// pitch = asin(D.y / |D|), roll = rollDegrees · −0.01745328, D = target − eye.
Matrix MatrixLookAtRoll(const Vector3& eye, const Vector3& target, float rollDegrees);

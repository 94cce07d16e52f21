// The two matrix builders of the utility layer that set the device's start-up projection and
// view. They write into the caller's matrix and return the same pointer.
#pragma once

#include "anim/Matrix.h"

using D3DXMATRIX = Matrix;

// Left-handed perspective. fovY is the vertical field of view in radians, aspect is width /
// height. h = fovY · 0.5 in single precision; k = cos h / sin h with the sine and cosine each
// rounded to single precision first. All zero except m11 = k / aspect, m22 = k,
// m33 = zf / (zf − zn), m34 = 1, m43 = −zn · zf / (zf − zn); zn and zf are used as given, so a
// negative near plane gives a positive m43.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zn,
                                       float zf);

// The identity with the fourth row (x, y, z, 1).
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);

// Utility-layer matrix builders, rounded to single precision where the reference layer rounds.
#include "device/D3DXMath.h"

#include <cmath>

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zn,
                                       float zf) {
    const float h = fovY * 0.5f;
    const float sine = std::sin(h);
    const float cosine = std::cos(h);
    const float k = cosine / sine;
    *out = Matrix{};
    out->m[0][0] = k / aspect;
    out->m[1][1] = k;
    out->m[2][2] = zf / (zf - zn);
    out->m[2][3] = 1.0f;
    out->m[3][2] = -zn * zf / (zf - zn);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    *out = MatrixTranslation(x, y, z);
    return out;
}

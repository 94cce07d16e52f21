// Vector operations that are not inline.
#include "anim/Vector3.h"

#include "anim/Matrix.h"

#include <cmath>

float Vector3Length(const Vector3& v) {
    const double x = v.x, y = v.y, z = v.z;
    return static_cast<float>(std::sqrt(x * x + y * y + z * z));
}

Vector3 Vector3Transform(const Vector3& v, const Matrix& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

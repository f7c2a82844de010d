// Small vector operations on three-float arrays.
#include "render/vector_math.h"

#include <cmath>

namespace Tamrik {

float SquareRoot(float x)
{
    return std::sqrt(x);
}

void Normalize(float v[3])
{
    const float length = SquareRoot(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f || length == 1.0f)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void RotateAroundAxis(float axis[3], float v[3], float angle)
{
    Normalize(axis);
    const float x = axis[0], y = axis[1], z = axis[2];
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    const float vx = v[0], vy = v[1], vz = v[2];
    v[0] = (t * x * x + c) * vx + (t * x * y - s * z) * vy + (t * x * z + s * y) * vz;
    v[1] = (t * x * y + s * z) * vx + (t * y * y + c) * vy + (t * y * z - s * x) * vz;
    v[2] = (t * x * z - s * y) * vx + (t * y * z + s * x) * vy + (t * z * z + c) * vz;
}

float AngleBetween(const float a[3], const float b[3])
{
    float u[3] = {a[0], a[1], a[2]};
    float w[3] = {b[0], b[1], b[2]};
    Normalize(u);
    Normalize(w);
    const float lengths = SquareRoot(Dot(u, u)) * SquareRoot(Dot(w, w));
    // A zero vector has no direction: call it perpendicular, so a slide built on the cosine
    // takes nothing away. Rounding can push the cosine of (anti)parallel unit vectors just past
    // 1, where acos has no value; clamp so opposite vectors give pi, not NaN.
    if (lengths == 0.0f)
        return std::acos(0.0f);
    float cosine = Dot(u, w) / lengths;
    if (cosine > 1.0f)
        cosine = 1.0f;
    if (cosine < -1.0f)
        cosine = -1.0f;
    return std::acos(cosine);
}

} // namespace Tamrik

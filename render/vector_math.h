// Small vector operations on three-float arrays, shared by the camera update and the switch pick.
#pragma once

namespace Tamrik {

// Square root in single precision.
float SquareRoot(float x);

// Scales v to unit length in place; leaves it alone when its length is exactly 0 or exactly 1.
void Normalize(float v[3]);

// Normalizes axis in place, then turns v right-handedly about it by angle radians.
void RotateAroundAxis(float axis[3], float v[3], float angle);

// The angle in radians between a and b, 0 to pi; the arguments are copied, never changed.
// A zero vector counts as perpendicular to everything.
float AngleBetween(const float a[3], const float b[3]);

inline float Dot(const float a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // namespace Tamrik

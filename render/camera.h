// The viewer's camera: eye point, orientation, arrow-key flags and gathered mouse-look angles.
#pragma once

namespace Tamrik {

// Level coordinates, z up.
class CCamera {
public:
    CCamera();

    float position[3];
    float lookAt[3];
    float forward[3];
    float up[3];
    float right[3];
    bool moveLeft;
    bool moveRight;
    bool moveForward;
    bool moveBack;
    float yawDelta;
    float pitchDelta;
};

} // namespace Tamrik

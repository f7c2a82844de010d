// The viewer's camera: its starting pose.
#include "render/camera.h"

namespace Tamrik {

CCamera::CCamera()
    : position{0.0f, 0.0f, 0.0f},
      lookAt{1.0f, 0.0f, 0.0f},
      forward{1.0f, 0.0f, 0.0f},
      up{0.0f, 0.0f, 1.0f},
      right{0.0f, -1.0f, 0.0f},
      moveLeft(false),
      moveRight(false),
      moveForward(false),
      moveBack(false),
      yawDelta(0.0f),
      pitchDelta(0.0f)
{
}

} // namespace Tamrik

// The frame's light list: the camera's spot light first, then the scene lights seen this frame.
#pragma once
#include <cstdint>

namespace Tamrik {

class CCamera;
class CEntitySet;
struct Light;

constexpr int32_t MAX_FRAME_LIGHTS = 64;

// Start of a frame: every list record back to the Light defaults, every scene light culled.
void ResetFrameLights(Light lights[MAX_FRAME_LIGHTS], CEntitySet& entities);

// Record 0 becomes the camera's spot light in OpenGL axis order (y, z, x); then each scene
// light with culled 0 is copied, in array order, while there is room. Every scene light is
// culled again afterwards. Returns the number of filled records, 1 to 64.
int32_t BuildLightList(Light lights[MAX_FRAME_LIGHTS], const CCamera& camera, CEntitySet& entities);

} // namespace Tamrik

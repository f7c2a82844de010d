// The frame's light list: reset, the camera's spot light, and the scene lights not culled.
#include "render/light_selection.h"

#include "level/entities.h"
#include "render/camera.h"

namespace Tamrik {

void ResetFrameLights(Light lights[MAX_FRAME_LIGHTS], CEntitySet& entities)
{
    const Light defaults;
    for (int32_t i = 0; i < MAX_FRAME_LIGHTS; ++i)
        lights[i] = defaults;
    for (int32_t i = 0; i < entities.lightCount; ++i)
        entities.lights[i].culled = 1;
}

int32_t BuildLightList(Light lights[MAX_FRAME_LIGHTS], const CCamera& camera, CEntitySet& entities)
{
    const float* p = camera.position;
    const float* t = camera.lookAt;
    Light& spot = lights[0];
    spot.origin[0] = p[1];
    spot.origin[1] = p[2];
    spot.origin[2] = p[0];
    spot.origin[3] = 1.0f;
    spot.spotDirection[0] = t[1] - p[1];
    spot.spotDirection[1] = t[2] - p[2];
    spot.spotDirection[2] = t[0] - p[0];
    const float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        spot.ambient[i] = ambient[i];
        spot.diffuse[i] = 1.0f;
        spot.specular[i] = 1.0f;
    }
    spot.spotExponention = 60.0f;
    spot.spotAngle = 0.6f;
    spot.constAtten = 0.5f;
    spot.linAtten = -0.001f;
    spot.quadAtten = 0.0005f;
    spot.state = 0;
    spot.ID = -1;
    spot.culled = 0;

    int32_t count = 1;
    for (int32_t i = 0; i < entities.lightCount; ++i) {
        Light& light = entities.lights[i];
        if (light.culled == 0 && count < MAX_FRAME_LIGHTS)
            lights[count++] = light;
        light.culled = 1;
    }
    return count;
}

} // namespace Tamrik

// Using the level's switches: reach, in front of the camera, first light of the target ID.
#include "render/switch_use.h"

#include "level/entities.h"
#include "render/camera.h"
#include "render/vector_math.h"

namespace Tamrik {

void UseSwitches(CEntitySet& entities, const CCamera& camera, int32_t& toggledLightId, bool& toggledLightOn)
{
    const float* p = camera.position;
    const float view[3] = {camera.lookAt[0] - p[0], camera.lookAt[1] - p[1], camera.lookAt[2] - p[2]};
    for (int32_t b = 0; b < entities.buttonCount; ++b) {
        const FuncButton& button = entities.buttons[b];
        const float toCentre[3] = {button.centre[0] - p[0], button.centre[1] - p[1], button.centre[2] - p[2]};
        if (!(SquareRoot(Dot(toCentre, toCentre)) < button.radius))
            continue;
        if (!(Dot(view, toCentre) > 0.0f))
            continue;
        if (button.target < 0)
            continue;
        for (int32_t i = 0; i < entities.lightCount; ++i) {
            Light& light = entities.lights[i];
            if (light.ID != button.target)
                continue;
            light.state = light.state == 0 ? 1 : 0;
            toggledLightId = button.target;
            toggledLightOn = light.state != 0;
            break;
        }
    }
}

} // namespace Tamrik

// Using the level's switches with the left mouse button.
#pragma once
#include <cstdint>

namespace Tamrik {

class CCamera;
class CEntitySet;

// Every switch within its reach of the camera, in front of it and with a target toggles the
// first light of that ID; the last toggle is reported in toggledLightId and toggledLightOn.
void UseSwitches(CEntitySet& entities, const CCamera& camera, int32_t& toggledLightId, bool& toggledLightOn);

} // namespace Tamrik

// The camera's start: the origin of the level's first "info_player_deathmatch" entity.
#pragma once

namespace Tamrik {

class CCamera;

// Adds the three integers of the "origin" value after the first "info_player_deathmatch" to
// the camera's position and lookAt. A missing entity or key leaves the camera alone; a number
// that cannot be read counts as 0.
void ApplyStartPosition(const char* entityText, CCamera& camera);

} // namespace Tamrik

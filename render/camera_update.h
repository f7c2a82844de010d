// The camera's per-frame update: mouse-look turn, arrow-key move, collision and slide.
#pragma once
#include <cstddef>

namespace Tamrik {

class CBSPLoader;
class CCamera;

// Walking speed in level units per second.
constexpr float CAMERA_SPEED = 200.0f;
// Radius of the sphere the camera sweeps through the level.
constexpr float CAMERA_RADIUS = 10.0f;

// Turns the camera by its gathered angles (and clears them), then moves it by its flags over dt
// seconds, sliding along the solid brushes in its way, and writes the collision line into
// statusText. On a level without a tree (not read, or refused) the camera only turns.
void TurnAndMoveCamera(CCamera& camera, CBSPLoader* level, double dt, char* statusText, size_t statusSize);

} // namespace Tamrik

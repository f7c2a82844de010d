// The camera's per-frame update: turn, move with up to three collision passes, status line.
#include "render/camera_update.h"

#include <cstdio>

#include "core/system.h"
#include "level/bsp_loader.h"
#include "render/camera.h"
#include "render/render_device.h"
#include "render/trace.h"
#include "render/vector_math.h"

namespace Tamrik {

namespace {

void Turn(CCamera& camera)
{
    RotateAroundAxis(camera.up, camera.forward, camera.yawDelta);
    RotateAroundAxis(camera.up, camera.right, camera.yawDelta);
    RotateAroundAxis(camera.right, camera.forward, camera.pitchDelta);
    camera.yawDelta = 0.0f;
    camera.pitchDelta = 0.0f;
}

void WantedDirection(const CCamera& camera, float m[3])
{
    m[0] = m[1] = m[2] = 0.0f;
    if (camera.moveLeft)
        for (int i = 0; i < 3; ++i)
            m[i] = -camera.right[i];
    if (camera.moveRight)
        for (int i = 0; i < 3; ++i)
            m[i] += camera.right[i];
    if (camera.moveForward)
        for (int i = 0; i < 3; ++i)
            m[i] += camera.forward[i];
    if (camera.moveBack)
        for (int i = 0; i < 3; ++i)
            m[i] -= camera.forward[i];
    Normalize(m);
}

// Back to full speed along what is left of the move after a slide. What is left of a move
// straight into a wall is rounding noise with no direction of its own; scaling that up would
// send the camera off at full speed in an arbitrary direction, so it is dropped instead.
void Rescale(float m[3], float s)
{
    const float length = SquareRoot(Dot(m, m));
    if (!(length > s * 1e-3f)) {
        m[0] = m[1] = m[2] = 0.0f;
        return;
    }
    Normalize(m);
    for (int i = 0; i < 3; ++i)
        m[i] *= s;
}

// A camera closer to the hit plane than the trace's epsilon, or inside the brush, moves out to
// that distance (by at most the epsilon per pass) while it slides. Otherwise rounding can leave
// a move along the plane pointing slightly into it, which the trace then blocks: the camera
// would stick to the wall instead of sliding. distance is the start's, beyond the grown plane.
void KeepOff(float m[3], const float n[3], float distance)
{
    if (!(distance < TRACE_EPSILON))
        return;
    const float wanted = distance > 0.0f ? TRACE_EPSILON - distance : TRACE_EPSILON;
    const float along = Dot(m, n);
    if (along < wanted)
        for (int i = 0; i < 3; ++i)
            m[i] += (wanted - along) * n[i];
}

} // namespace

void TurnAndMoveCamera(CCamera& camera, CBSPLoader* level, double dt, char* statusText, size_t statusSize)
{
    Turn(camera);

    float m[3];
    WantedDirection(camera, m);
    const float s = CAMERA_SPEED * static_cast<float>(dt);
    for (int i = 0; i < 3; ++i)
        m[i] *= s;

    CTrace trace(level);
    trace.radius = CAMERA_RADIUS;
    const bool hasTree = level && level->nodes && level->leafs && level->RecordCount(LUMP_NODE) > 0 &&
                         level->RecordCount(LUMP_LEAF) > 0;
    if (!hasTree) {
        // Nothing to walk in: no trace, no move.
        m[0] = m[1] = m[2] = 0.0f;
    } else {
        const float* start = camera.position;
        float end[3];
        bool clear = false;
        for (int pass = 1; pass <= 3 && !clear; ++pass) {
            // The segment traced is always the one the camera would move along.
            for (int i = 0; i < 3; ++i)
                end[i] = start[i] + m[i];
            trace.Trace(start, end);
            if (trace.brush < 0 || trace.fraction >= 1.0f) {
                clear = true;
                break;
            }
            // Take the component along the hit plane's normal out of the move and go on at full
            // speed along the plane. The trace only reports sides whose plane it has checked.
            const BSPPlane& plane = level->planes[level->brushsides[trace.side].plane];
            float n[3] = {plane.normal[0], plane.normal[1], plane.normal[2]};
            Normalize(n);
            // The projection itself rather than cos(angle) x s: the move is not always s long
            // here (KeepOff below), and a short one must not be pushed off at full speed.
            const float into = Dot(m, n);
            for (int i = 0; i < 3; ++i)
                m[i] -= into * n[i];
            Rescale(m, s);
            KeepOff(m, n, Dot(plane.normal, start) - plane.dist - CAMERA_RADIUS);
        }
        // Three passes all blocked: any move left would be untested, so the camera waits.
        if (!clear)
            m[0] = m[1] = m[2] = 0.0f;
    }

    for (int i = 0; i < 3; ++i) {
        camera.position[i] += m[i];
        camera.lookAt[i] = camera.position[i] + camera.forward[i];
    }

    if (trace.brush == -1)
        std::snprintf(statusText, statusSize, "No collisions detected.");
    else
        std::snprintf(statusText, statusSize, "Collision with brush %d.", trace.brush);
}

} // namespace Tamrik

namespace Tamrik {

// The device's base body of the slot: the back-ends call it before setting their view.
void CRenderDevice::UpdateCamera()
{
    // The first update only starts the clock: turning and walking begin with the next frame.
    if (lastCameraUpdate != 0) {
        const uint64_t now = static_cast<uint64_t>(system->GetCounter());
        const double dt = timerFrequency ? static_cast<double>(now - lastCameraUpdate) / static_cast<double>(timerFrequency)
                                         : 0.0;
        TurnAndMoveCamera(*camera, level, dt, statusText, sizeof statusText);
    }
    lastCameraUpdate = static_cast<uint64_t>(system->GetCounter());
}

} // namespace Tamrik

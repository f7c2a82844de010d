// Random walks through a level with the camera's own update, checked frame by frame against the
// world box and every solid brush grown by the camera's radius. Shared by tests and benchmarks.
#pragma once
#include <cfloat>
#include <cstdint>
#include <random>
#include <vector>

#include "level/bsp_loader.h"
#include "render/camera.h"
#include "render/camera_update.h"
#include "render/start_position.h"
#include "render/vector_math.h"

namespace kestrova_test {

// Where and how a walk went wrong (frame is -1 when it did not), and how far it got.
struct WalkResult {
    int frame = -1;
    float where[3] = {0.0f, 0.0f, 0.0f};
    int32_t brush = -1; // the solid brush the camera ended in, -1 when it left the world box
    double wanted = 0;    // distance the keys asked for
    double travelled = 0; // distance the camera moved
};

class LevelWalk {
public:
    explicit LevelWalk(Tamrik::CBSPLoader& walked) : level(walked)
    {
        using namespace Tamrik;
        if (level.models && level.RecordCount(LUMP_MODEL) > 0) {
            for (int i = 0; i < 3; ++i) {
                worldMins[i] = level.models[0].mins[i];
                worldMaxs[i] = level.models[0].maxs[i];
            }
        }
        const int32_t brushes = level.brushes ? level.RecordCount(LUMP_BRUSH) : 0;
        const int32_t sides = level.brushsides ? level.RecordCount(LUMP_BRUSHSIDE) : 0;
        const int32_t planes = level.planes ? level.RecordCount(LUMP_PLANE) : 0;
        const int32_t textures = level.textures ? level.RecordCount(LUMP_TEXTURE) : 0;
        for (int32_t b = 0; b < brushes; ++b) {
            const BSPBrush& brush = level.brushes[b];
            if (brush.texture < 0 || brush.texture >= textures || !(level.textures[brush.texture].contents & 1) ||
                brush.n_brushsides < 1 || brush.brushside < 0 || brush.brushside + brush.n_brushsides > sides)
                continue;
            Solid solid{b, {-FLT_MAX, -FLT_MAX, -FLT_MAX}, {FLT_MAX, FLT_MAX, FLT_MAX}};
            bool valid = true;
            for (int32_t i = 0; i < brush.n_brushsides; ++i) {
                const int32_t p = level.brushsides[brush.brushside + i].plane;
                if (p < 0 || p >= planes) {
                    valid = false;
                    break;
                }
                // Axial sides bound a box that rejects most brushes before the exact test.
                const BSPPlane& plane = level.planes[p];
                for (int a = 0; a < 3; ++a) {
                    const bool axial = plane.normal[(a + 1) % 3] == 0.0f && plane.normal[(a + 2) % 3] == 0.0f;
                    if (axial && plane.normal[a] == 1.0f)
                        solid.maxs[a] = plane.dist + MARGIN;
                    if (axial && plane.normal[a] == -1.0f)
                        solid.mins[a] = -plane.dist - MARGIN;
                }
            }
            if (valid)
                solids.push_back(solid);
        }
    }

    bool InWorld(const float p[3]) const
    {
        for (int i = 0; i < 3; ++i)
            if (!(p[i] >= worldMins[i] && p[i] <= worldMaxs[i]))
                return false;
        return true;
    }

    // The first solid brush that holds p when grown by the camera's radius, on its surface
    // included; -1 for none. The same arithmetic as the trace's.
    int32_t SolidBrushAt(const float p[3]) const
    {
        using namespace Tamrik;
        for (const Solid& solid : solids) {
            bool near = true;
            for (int a = 0; a < 3; ++a)
                near = near && p[a] >= solid.mins[a] && p[a] <= solid.maxs[a];
            if (!near)
                continue;
            const BSPBrush& brush = level.brushes[solid.brush];
            bool inside = true;
            for (int32_t i = 0; i < brush.n_brushsides && inside; ++i) {
                const BSPPlane& plane = level.planes[level.brushsides[brush.brushside + i].plane];
                inside = Dot(plane.normal, p) - plane.dist - CAMERA_RADIUS <= 0.0f;
            }
            if (inside)
                return solid.brush;
        }
        return -1;
    }

    // Walks from the level's start for the given frames, with frame times from 2 to 33 ms,
    // arrow keys that change now and then and a mouse that never rests; stops at the first
    // frame that ends outside the world box or in a solid brush.
    WalkResult Walk(uint32_t seed, int frames) const
    {
        using namespace Tamrik;
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> frameTime(0.002, 0.033);
        std::uniform_real_distribution<float> turn(-0.2f, 0.2f);
        std::uniform_int_distribution<int> three(0, 2);
        std::uniform_int_distribution<int> twenty(0, 19);
        CCamera camera;
        ApplyStartPosition(level.EntityText(), camera);
        char status[64];
        WalkResult result;
        for (int frame = 0; frame < frames; ++frame) {
            if (twenty(random) == 0 || frame == 0) {
                const int ahead = three(random), side = three(random);
                camera.moveForward = ahead == 1;
                camera.moveBack = ahead == 2;
                camera.moveLeft = side == 1;
                camera.moveRight = side == 2;
            }
            camera.yawDelta = turn(random);
            camera.pitchDelta = turn(random) * 0.5f;
            const double dt = frameTime(random);
            const float before[3] = {camera.position[0], camera.position[1], camera.position[2]};
            TurnAndMoveCamera(camera, &level, dt, status, sizeof status);
            if (camera.moveForward || camera.moveBack || camera.moveLeft || camera.moveRight)
                result.wanted += CAMERA_SPEED * dt;
            const float moved[3] = {camera.position[0] - before[0], camera.position[1] - before[1],
                                    camera.position[2] - before[2]};
            result.travelled += SquareRoot(Dot(moved, moved));
            const int32_t brush = SolidBrushAt(camera.position);
            if (!InWorld(camera.position) || brush >= 0) {
                result.frame = frame;
                result.brush = brush;
                for (int i = 0; i < 3; ++i)
                    result.where[i] = camera.position[i];
                break;
            }
        }
        return result;
    }

private:
    // Reach of the quick reject box beyond a brush: more than the camera's radius.
    static constexpr float MARGIN = Tamrik::CAMERA_RADIUS + 1.0f;

    struct Solid {
        int32_t brush;
        float mins[3];
        float maxs[3];
    };

    Tamrik::CBSPLoader& level;
    float worldMins[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    float worldMaxs[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
    std::vector<Solid> solids;
};

} // namespace kestrova_test

// Fuzz target: a level file of any bytes, read without the load-time checks, walked by the
// frame's own logic: start position, camera update with its traces, visibility, light list and
// switches. None of it may read outside the lumps or loop forever.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "level/bsp_loader.h"
#include "level/entities.h"
#include "render/camera.h"
#include "render/camera_update.h"
#include "render/face_set.h"
#include "render/light_selection.h"
#include "render/start_position.h"
#include "render/switch_use.h"
#include "render/visibility.h"

using namespace Tamrik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<uint8_t> bytes(data, data + size);
    FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!file)
        return 0;
    CBSPLoader level(nullptr);
    level.levelFile = file;
    level.dump = false;
    level.Load("fuzz.bsp");

    CEntitySet entities;
    ParseEntities(entities, level.EntityText());
    // Lights on and switches at their places as the file says, unchecked.
    for (int32_t i = 0; i < entities.lightCount; ++i)
        entities.lights[i].state = 1;

    CCamera camera;
    ApplyStartPosition(level.EntityText(), camera);
    camera.moveForward = true;
    camera.moveLeft = true;
    CFaceSet faces;
    Light lights[MAX_FRAME_LIGHTS];
    char status[256];
    int32_t toggledId = 1;
    bool toggledOn = false;
    for (int frame = 0; frame < 4; ++frame) {
        camera.yawDelta = 0.7f;
        camera.pitchDelta = frame % 2 ? 0.3f : -0.3f;
        ResetFrameLights(lights, entities);
        TurnAndMoveCamera(camera, &level, 0.05, status, sizeof status);
        CollectVisible(level, camera.position, entities, faces);
        const int32_t count = BuildLightList(lights, camera, entities);
        if (count < 1 || count > MAX_FRAME_LIGHTS)
            __builtin_trap();
        for (int32_t face : faces)
            if (face < 0 || face >= level.RecordCount(LUMP_FACE))
                __builtin_trap();
        UseSwitches(entities, camera, toggledId, toggledOn);
        faces.clear();
    }
    return 0;
}

// The frame driver: one loading step per call behind the splash, then the whole frame with its
// camera, visibility, lights, level, GUI, three text lines and frame-rate count.
#include "render/render_device.h"

#include <cstdio>

#include "core/main_window.h"
#include "core/system.h"
#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "render/camera.h"
#include "render/frame_rate.h"
#include "render/light_selection.h"
#include "render/start_position.h"
#include "render/visibility.h"

namespace Tamrik {

namespace {

// One for the whole program, as the rate is.
CFrameRate g_FrameRate;

const char* const LOADING_MESSAGES[LOADING_DONE] = {
    "Reading BSP file...",  "Reading textures...", "Reading models...",  "Reading entities...",
    "Loading textures...",  "Loading models...",   nullptr,              "Press any key to continue...",
};

} // namespace

bool CRenderDevice::ReadBSPFile()
{
    const bool read = ::Tamrik::ReadBSPFile(*level, *system->settings, system->log);
    ++loadingStep;
    return read;
}

void CRenderDevice::ReadTextures()
{
    ::Tamrik::ReadTextures(*level, *materials);
    ++loadingStep;
}

void CRenderDevice::ReadEntities()
{
    ::Tamrik::ReadEntities(*level, entities);
    ++loadingStep;
}

void CRenderDevice::RenderFrame()
{
    if (loadingStep < LOADING_DONE) {
        BeginFrame();
        Set2DMode();
        DrawSplash();
        const int32_t step = loadingStep;
        if (LOADING_MESSAGES[step]) {
            const uint32_t width = mainWindow ? static_cast<uint32_t>(mainWindow->width) : 0;
            const uint32_t height = mainWindow ? static_cast<uint32_t>(mainWindow->height) : 0;
            DrawString(LOADING_MESSAGES[step], static_cast<int32_t>(width / 3), static_cast<int32_t>((3 * height) / 4),
                       0, 0, 0);
        }
        switch (step) {
        case LOADING_READ_BSP_FILE:
            EndFrame();
            ReadBSPFile();
            break;
        case LOADING_READ_TEXTURES:
            EndFrame();
            ReadTextures();
            break;
        case LOADING_READ_MODELS:
            EndFrame();
            ++loadingStep;
            break;
        case LOADING_READ_ENTITIES:
            EndFrame();
            ReadEntities();
            break;
        case LOADING_LOAD_TEXTURES:
            EndFrame();
            LoadLevelTextures();
            ++loadingStep;
            break;
        case LOADING_LOAD_MODELS:
            EndFrame();
            LoadLevelGeometry();
            ++loadingStep;
            break;
        case LOADING_START_POSITION:
            // Begun and drawn but never shown: the next call begins a new frame.
            ApplyStartPosition(level->EntityText(), *camera);
            ++loadingStep;
            break;
        default:
            // LOADING_WAIT_FOR_KEY: HandleKeyDown ends the wait.
            EndFrame();
            break;
        }
        return;
    }

    Light lights[MAX_FRAME_LIGHTS];
    ResetFrameLights(lights, entities);
    const uint64_t t1 = static_cast<uint64_t>(system->GetCounter());

    BeginFrame();
    Set3DMode();
    UpdateCamera();

    CollectVisible(*level, camera->position, entities, visibleFaces);
    const int32_t count = BuildLightList(lights, *camera, entities);
    SetLights(lights, count);

    RenderLevel();
    visibleFaces.clear();

    Set2DMode();
    if (GUIActive())
        DrawGUI();

    DrawString(g_FrameRate.Text(), 5, 5, 255, 255, 255);
    DrawString(statusText, 5, 25, 255, 255, 255);
    char lightLine[32];
    std::snprintf(lightLine, sizeof lightLine, "light%d%s", toggledLightId, toggledLightOn ? " on" : " off");
    DrawString(lightLine, 5, 45, 255, 255, 255);

    EndFrame();

    const uint64_t t2 = static_cast<uint64_t>(system->GetCounter());
    g_FrameRate.Count(t2 - t1, timerFrequency);
}

} // namespace Tamrik

// The device's input listeners: the end of the wait, walking, mouse-look, switches, F9 and F10.
#include "render/render_device.h"

#include "gui/gui.h"
#include "render/camera.h"
#include "render/switch_use.h"

namespace Tamrik {

namespace {

constexpr int32_t KEY_UP = 200;
constexpr int32_t KEY_DOWN = 208;
constexpr int32_t KEY_LEFT = 203;
constexpr int32_t KEY_RIGHT = 205;
constexpr int32_t KEY_F9 = 67;
constexpr int32_t KEY_F10 = 68;

// 300 mouse counts turn the view by one radian.
constexpr double COUNTS_PER_RADIAN = 300.0;

} // namespace

void CRenderDevice::HandleMouseButtonDown(int32_t button, int32_t)
{
    // Switches work with the GUI shown as well.
    if (loadingStep < LOADING_DONE || button != 0)
        return;
    UseSwitches(entities, *camera, toggledLightId, toggledLightOn);
}

void CRenderDevice::HandleMouseMove(int32_t dx, int32_t dy)
{
    if (loadingStep < LOADING_DONE || GUIActive())
        return;
    camera->yawDelta = static_cast<float>(camera->yawDelta - dx / COUNTS_PER_RADIAN);
    camera->pitchDelta = static_cast<float>(camera->pitchDelta - dy / COUNTS_PER_RADIAN);
}

void CRenderDevice::HandleKeyDown(int32_t scanCode, int32_t)
{
    if (loadingStep < LOADING_DONE) {
        // The key that ends the wait does nothing else.
        if (loadingStep == LOADING_WAIT_FOR_KEY)
            loadingStep = LOADING_DONE;
        return;
    }
    if (GUIActive())
        return;
    switch (scanCode) {
    case KEY_LEFT:
        camera->moveLeft = true;
        camera->moveRight = false;
        break;
    case KEY_RIGHT:
        camera->moveRight = true;
        camera->moveLeft = false;
        break;
    case KEY_UP:
        camera->moveForward = true;
        camera->moveBack = false;
        break;
    case KEY_DOWN:
        camera->moveBack = true;
        camera->moveForward = false;
        break;
    default:
        break;
    }
}

void CRenderDevice::HandleKeyUp(int32_t scanCode, int32_t)
{
    if (loadingStep < LOADING_DONE)
        return;
    if (GUIActive()) {
        if (scanCode == KEY_F10)
            gui->SetActive(false);
        return;
    }
    switch (scanCode) {
    case KEY_LEFT:
        camera->moveLeft = false;
        break;
    case KEY_RIGHT:
        camera->moveRight = false;
        break;
    case KEY_UP:
        camera->moveForward = false;
        break;
    case KEY_DOWN:
        camera->moveBack = false;
        break;
    case KEY_F9:
        shaderUsage = !shaderUsage;
        break;
    case KEY_F10:
        if (gui)
            gui->SetActive(true);
        break;
    default:
        break;
    }
}

} // namespace Tamrik

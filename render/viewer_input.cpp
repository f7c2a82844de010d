// The device's input listeners: the end of the wait, walking, mouse-look, switches, F9 and F10.
#include "render/render_device.h"

#include "gui/gui.h"
#include "render/camera.h"
#include "render/switch_use.h"

namespace Tamrik {

namespace {

constexpr int32_t kKeyUp = 200;
constexpr int32_t kKeyDown = 208;
constexpr int32_t kKeyLeft = 203;
constexpr int32_t kKeyRight = 205;
constexpr int32_t kKeyF9 = 67;
constexpr int32_t kKeyF10 = 68;

// 300 mouse counts turn the view by one radian.
constexpr double kCountsPerRadian = 300.0;

} // namespace

void CRenderDevice::HandleMouseButtonDown(int32_t button, int32_t)
{
    // Switches work with the GUI shown as well.
    if (loadingStep < 8 || button != 0)
        return;
    UseSwitches(entities, *camera, toggledLightId, toggledLightOn);
}

void CRenderDevice::HandleMouseMove(int32_t dx, int32_t dy)
{
    if (loadingStep < 8 || GUIActive())
        return;
    camera->yawDelta = static_cast<float>(camera->yawDelta - dx / kCountsPerRadian);
    camera->pitchDelta = static_cast<float>(camera->pitchDelta - dy / kCountsPerRadian);
}

void CRenderDevice::HandleKeyDown(int32_t scanCode, int32_t)
{
    if (loadingStep < 8) {
        // The key that ends the wait does nothing else.
        if (loadingStep == 7)
            loadingStep = 8;
        return;
    }
    if (GUIActive())
        return;
    switch (scanCode) {
    case kKeyLeft:
        camera->moveLeft = true;
        camera->moveRight = false;
        break;
    case kKeyRight:
        camera->moveRight = true;
        camera->moveLeft = false;
        break;
    case kKeyUp:
        camera->moveForward = true;
        camera->moveBack = false;
        break;
    case kKeyDown:
        camera->moveBack = true;
        camera->moveForward = false;
        break;
    default:
        break;
    }
}

void CRenderDevice::HandleKeyUp(int32_t scanCode, int32_t)
{
    if (loadingStep < 8)
        return;
    if (GUIActive()) {
        if (scanCode == kKeyF10)
            gui->SetActive(false);
        return;
    }
    switch (scanCode) {
    case kKeyLeft:
        camera->moveLeft = false;
        break;
    case kKeyRight:
        camera->moveRight = false;
        break;
    case kKeyUp:
        camera->moveForward = false;
        break;
    case kKeyDown:
        camera->moveBack = false;
        break;
    case kKeyF9:
        shaderUsage = !shaderUsage;
        break;
    case kKeyF10:
        if (gui)
            gui->SetActive(true);
        break;
    default:
        break;
    }
}

} // namespace Tamrik

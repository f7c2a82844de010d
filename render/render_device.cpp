// The render device's common part: construction with its listener subscriptions and registry
// entry, and the frame (clear and present for now).
#include "render/render_device.h"

#include "core/input_listener.h"
#include "core/system.h"
#include "script/virtual_machine.h"

namespace Tamrik {

CRenderDevice::CRenderDevice(CSystem* system) : system(system)
{
    // The device subscribes before the GUI ever does, so it hears every event first.
    system->AddListener(INPUT_MOUSE_MOVE, MakeListener<&CRenderDevice::HandleMouseMove>(this));
    system->AddListener(INPUT_MOUSE_BUTTON_DOWN,
                        MakeListener<&CRenderDevice::HandleMouseButtonDown>(this));
    system->AddListener(INPUT_KEY_DOWN, MakeListener<&CRenderDevice::HandleKeyDown>(this));
    system->AddListener(INPUT_KEY_UP, MakeListener<&CRenderDevice::HandleKeyUp>(this));
    shaderUsage = false;
    system->vm->RegisterObject("RenderDevice", this);
}

CRenderDevice::~CRenderDevice() = default;

bool CRenderDevice::Destroy()
{
    return true;
}

void CRenderDevice::LoadGUITextures(CGUI* gui)
{
    this->gui = gui;
}

void CRenderDevice::ReleaseGUITextures()
{
    gui = nullptr;
}

void CRenderDevice::UpdateCamera() {}

void CRenderDevice::RenderFrame()
{
    BeginFrame();
    EndFrame();
}

void CRenderDevice::InitFont() {}

void CRenderDevice::HandleMouseButtonDown(int32_t, int32_t) {}
void CRenderDevice::HandleMouseMove(int32_t, int32_t) {}
void CRenderDevice::HandleKeyDown(int32_t, int32_t) {}
void CRenderDevice::HandleKeyUp(int32_t, int32_t) {}

void CRenderDevice::SetShaderUsage(bool usage)
{
    shaderUsage = usage;
}

bool CRenderDevice::GetShaderUsage()
{
    return shaderUsage;
}

} // namespace Tamrik

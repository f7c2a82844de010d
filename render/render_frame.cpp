// The frame driver, the camera update and the viewer's listeners in their simplest form: every
// pass shows the splash, the camera stays put and input is ignored.
#include "render/render_device.h"

namespace Tamrik {

void CRenderDevice::RenderFrame()
{
    BeginFrame();
    Set2DMode();
    DrawSplash();
    EndFrame();
}

void CRenderDevice::UpdateCamera() {}

void CRenderDevice::HandleMouseButtonDown(int32_t, int32_t) {}
void CRenderDevice::HandleMouseMove(int32_t, int32_t) {}
void CRenderDevice::HandleKeyDown(int32_t, int32_t) {}
void CRenderDevice::HandleKeyUp(int32_t, int32_t) {}

} // namespace Tamrik

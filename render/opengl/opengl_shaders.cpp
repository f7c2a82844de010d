// The OpenGL device's shader path: building the program and feeding it the frame's lights.
#include "render/opengl/opengl_device.h"

namespace Tamrik {

void COpenGLRenderDevice::LoadShaders() {}

void COpenGLRenderDevice::SetLights(Light*, int32_t) {}

} // namespace Tamrik

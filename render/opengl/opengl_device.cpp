// The OpenGL render device stand-in: a context on the main window, cleared and presented.
#include "render/opengl/opengl_device.h"

#include <GL/glew.h>

#include "core/main_window.h"

namespace Tamrik {

COpenGLRenderDevice::COpenGLRenderDevice(CSystem* system) : CRenderDevice(system) {}

COpenGLRenderDevice::~COpenGLRenderDevice() = default;

bool COpenGLRenderDevice::Create(CMainWindow* window)
{
    mainWindow = window;
    context = platform::CreateGLContext(*window->GetHandle());
    return context != nullptr;
}

bool COpenGLRenderDevice::Destroy()
{
    platform::DestroyGLContext(context);
    context = nullptr;
    return true;
}

void COpenGLRenderDevice::Set2DMode() {}
void COpenGLRenderDevice::Set3DMode() {}
void COpenGLRenderDevice::LoadShaders() {}
void COpenGLRenderDevice::SetLights(Light*, int32_t) {}
void COpenGLRenderDevice::DrawString(const char*, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void COpenGLRenderDevice::DrawSplash() {}
void COpenGLRenderDevice::DrawQuad(ScreenQuad*, Texture*) {}
void COpenGLRenderDevice::CreateTextFont() {}
void COpenGLRenderDevice::LoadLevelTextures() {}
void COpenGLRenderDevice::LoadLevelGeometry() {}
void COpenGLRenderDevice::ReleaseTextFont() {}
void COpenGLRenderDevice::ReleaseLevelTextures() {}
void COpenGLRenderDevice::ReleaseLevelGeometry() {}

void COpenGLRenderDevice::BeginFrame()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void COpenGLRenderDevice::EndFrame()
{
    platform::SwapGLBuffers(*mainWindow->GetHandle());
}

void COpenGLRenderDevice::RenderLevel() {}

} // namespace Tamrik

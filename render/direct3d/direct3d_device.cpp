// The Direct3D render device stand-in: a context on the main window, cleared and presented.
#include "render/direct3d/direct3d_device.h"

#include <GL/glew.h>

#include "core/main_window.h"
#include "level/bsp_loader.h"

namespace Tamrik {

CDirect3DRenderDevice::CDirect3DRenderDevice(CSystem* system) : CRenderDevice(system) {}

CDirect3DRenderDevice::~CDirect3DRenderDevice() = default;

bool CDirect3DRenderDevice::Create(CMainWindow* window)
{
    mainWindow = window;
    context = platform::CreateGLContext(*window->GetHandle());
    return context != nullptr;
}

bool CDirect3DRenderDevice::Destroy()
{
    platform::DestroyGLContext(context);
    context = nullptr;
    return true;
}

void CDirect3DRenderDevice::Set2DMode() {}
void CDirect3DRenderDevice::Set3DMode() {}
void CDirect3DRenderDevice::LoadShaders() {}
void CDirect3DRenderDevice::SetLights(Light*, int32_t) {}
void CDirect3DRenderDevice::DrawString(const char*, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void CDirect3DRenderDevice::DrawSplash() {}
void CDirect3DRenderDevice::DrawQuad(ScreenQuad*, Texture*) {}
void CDirect3DRenderDevice::CreateTextFont() {}
void CDirect3DRenderDevice::LoadLevelTextures() {}
void CDirect3DRenderDevice::LoadLevelGeometry() {}
void CDirect3DRenderDevice::ReleaseTextFont() {}
// The level's Texture records belong to the back-end once loading made them.
void CDirect3DRenderDevice::ReleaseLevelTextures()
{
    const int32_t count = level->RecordCount(LUMP_TEXTURE);
    for (int32_t i = 0; i < count && level->textures; ++i) {
        if (Texture* texture = level->textures[i].texture) {
            delete[] texture->pixels;
            delete texture;
            level->textures[i].texture = nullptr;
        }
    }
}
void CDirect3DRenderDevice::ReleaseLevelGeometry() {}

void CDirect3DRenderDevice::BeginFrame()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void CDirect3DRenderDevice::EndFrame()
{
    platform::SwapGLBuffers(*mainWindow->GetHandle());
}

void CDirect3DRenderDevice::RenderLevel() {}

} // namespace Tamrik

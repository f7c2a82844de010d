// The OpenGL render device (a stand-in that clears and presents until the back-end is built).
#pragma once

#include "platform/gl_context.h"
#include "render/render_device.h"

namespace Tamrik {

class COpenGLRenderDevice : public CRenderDevice {
public:
    explicit COpenGLRenderDevice(CSystem* system);
    ~COpenGLRenderDevice() override;

    bool Create(CMainWindow* window) override;
    bool Destroy() override;
    void Set2DMode() override;
    void Set3DMode() override;
    void LoadShaders() override;
    void SetLights(Light* lights, int32_t count) override;
    void DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g,
                    int32_t b) override;
    void DrawSplash() override;
    void DrawQuad(ScreenQuad* quad, Texture* texture) override;
    void CreateTextFont() override;
    void LoadLevelTextures() override;
    void LoadLevelGeometry() override;
    void ReleaseTextFont() override;
    void ReleaseLevelTextures() override;
    void ReleaseLevelGeometry() override;
    void BeginFrame() override;
    void EndFrame() override;
    void RenderLevel() override;

    platform::GLContext* context = nullptr;
};

} // namespace Tamrik

// The render device: the interface every back-end implements, in its fixed slot order.
// A stand-in that clears and presents until the scene logic is built.
#pragma once
#include <cstdint>

namespace Tamrik {

class CSystem;
class CMainWindow;
class CGUI;
struct Light;
struct ScreenQuad;
struct Texture;

class CRenderDevice {
public:
    explicit CRenderDevice(CSystem* system);
    virtual ~CRenderDevice();
    CRenderDevice(const CRenderDevice&) = delete;
    CRenderDevice& operator=(const CRenderDevice&) = delete;

    virtual bool Create(CMainWindow* window) = 0;
    virtual bool Destroy();
    virtual void LoadGUITextures(CGUI* gui);
    virtual void ReleaseGUITextures();
    virtual void Set2DMode() = 0;
    virtual void Set3DMode() = 0;
    virtual void LoadShaders() = 0;
    virtual void SetLights(Light* lights, int32_t count) = 0;
    virtual void DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g,
                            int32_t b) = 0;
    virtual void DrawSplash() = 0;
    virtual void DrawQuad(ScreenQuad* quad, Texture* texture) = 0;
    virtual void CreateTextFont() = 0;
    virtual void LoadLevelTextures() = 0;
    virtual void LoadLevelGeometry() = 0;
    virtual void ReleaseTextFont() = 0;
    virtual void ReleaseLevelTextures() = 0;
    virtual void ReleaseLevelGeometry() = 0;
    virtual void BeginFrame() = 0;
    virtual void EndFrame() = 0;
    virtual void UpdateCamera();
    virtual void RenderLevel() = 0;

    // One frame.
    void RenderFrame();
    void InitFont();

    void HandleMouseButtonDown(int32_t button, int32_t unused);
    void HandleMouseMove(int32_t dx, int32_t dy);
    void HandleKeyDown(int32_t scanCode, int32_t unused);
    void HandleKeyUp(int32_t scanCode, int32_t unused);

    // Exported to handler programs.
    void SetShaderUsage(bool usage);
    bool GetShaderUsage();

    CMainWindow* mainWindow = nullptr;
    CSystem* system = nullptr;
    CGUI* gui = nullptr;
    bool shaderUsage = false;
};

} // namespace Tamrik

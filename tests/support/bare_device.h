// A render device that draws nothing, for the parts every back-end shares (tests, benchmarks).
#pragma once
#include "render/render_device.h"

namespace kestrova_test {

using namespace Tamrik;

class BareDevice : public CRenderDevice {
public:
    using CRenderDevice::CRenderDevice;
    bool Create(CMainWindow*) override { return true; }
    void Set2DMode() override {}
    void Set3DMode() override {}
    void LoadShaders() override {}
    void SetLights(Light*, int32_t) override {}
    void DrawString(const char*, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void DrawSplash() override {}
    void DrawQuad(ScreenQuad*, Texture*) override {}
    void CreateTextFont() override {}
    void LoadLevelTextures() override {}
    void LoadLevelGeometry() override {}
    void ReleaseTextFont() override {}
    void ReleaseLevelTextures() override {}
    void ReleaseLevelGeometry() override {}
    void BeginFrame() override {}
    void EndFrame() override {}
    void RenderLevel() override {}
};

} // namespace kestrova_test

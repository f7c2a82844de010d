// A render device without a back-end: it records every slot it is called with, in order, and
// otherwise does what the scene object does.
#pragma once
#include <string>
#include <vector>

#include "core/system.h"
#include "level/entities.h"
#include "render/render_device.h"

namespace kestrova_test {

class RecordingDevice : public Tamrik::CRenderDevice {
public:
    // Calls go to *record when given (for a device that the code under test deletes), else to calls.
    explicit RecordingDevice(Tamrik::CSystem* system, std::vector<std::string>* record = nullptr)
        : CRenderDevice(system), record(record ? record : &calls)
    {
    }

    bool Create(Tamrik::CMainWindow* window) override
    {
        Record("Create");
        mainWindow = window;
        return createSucceeds;
    }
    bool Destroy() override
    {
        Record("Destroy");
        return CRenderDevice::Destroy() && destroySucceeds;
    }
    void LoadGUITextures(Tamrik::CGUI* gui) override
    {
        Record("LoadGUITextures");
        CRenderDevice::LoadGUITextures(gui);
    }
    void ReleaseGUITextures() override
    {
        Record("ReleaseGUITextures");
        CRenderDevice::ReleaseGUITextures();
    }
    void Set2DMode() override { Record("Set2DMode"); }
    void Set3DMode() override { Record("Set3DMode"); }
    void LoadShaders() override { Record("LoadShaders"); }
    void SetLights(Tamrik::Light* lights, int32_t count) override
    {
        Record("SetLights " + std::to_string(count));
        lastLights.assign(lights, lights + count);
    }
    void DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) override
    {
        Record("DrawString " + std::string(text) + " @" + std::to_string(x) + "," + std::to_string(y) + " " +
               std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b));
    }
    void DrawSplash() override { Record("DrawSplash"); }
    void DrawQuad(Tamrik::ScreenQuad* quad, Tamrik::Texture* texture) override
    {
        Record("DrawQuad");
        if (quad)
            quads.push_back(*quad);
        quadTextures.push_back(texture);
    }
    void CreateTextFont() override { Record("CreateTextFont"); }
    void LoadLevelTextures() override { Record("LoadLevelTextures"); }
    void LoadLevelGeometry() override { Record("LoadLevelGeometry"); }
    void ReleaseTextFont() override { Record("ReleaseTextFont"); }
    void ReleaseLevelTextures() override { Record("ReleaseLevelTextures"); }
    void ReleaseLevelGeometry() override { Record("ReleaseLevelGeometry"); }
    void BeginFrame() override { Record("BeginFrame"); }
    void EndFrame() override { Record("EndFrame"); }
    void UpdateCamera() override
    {
        Record("UpdateCamera");
        CRenderDevice::UpdateCamera();
    }
    void RenderLevel() override
    {
        std::string line = "RenderLevel";
        for (int32_t face : visibleFaces)
            line += " " + std::to_string(face);
        Record(line);
    }

    bool createSucceeds = true;
    bool destroySucceeds = true;
    std::vector<std::string> calls;
    std::vector<Tamrik::Light> lastLights;
    std::vector<Tamrik::ScreenQuad> quads;
    std::vector<Tamrik::Texture*> quadTextures;

private:
    void Record(std::string call) { record->push_back(std::move(call)); }

    std::vector<std::string>* record;
};

} // namespace kestrova_test

// A render device without a back-end for the scene-logic tests: it records the slots it is
// called with, and runs on a system whose counter the test sets.
#pragma once
#include <string>
#include <vector>

#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/gui.h"
#include "level/entities.h"
#include "render/render_device.h"
#include "script/virtual_machine.h"

namespace Tamrik {

class ManualClockSystem : public CSystem {
public:
    ManualClockSystem()
    {
        log = new CLog(this);
        mainWindow = new CMainWindow(this);
        vm = new CWin32VirtualMachine(this);
    }
    void Sleep(uint32_t) override {}
    int64_t GetCounter() override { return counter; }
    int64_t GetFrequency() override { return 1000; }

    int64_t counter = 1;
};

class SceneDevice : public CRenderDevice {
public:
    explicit SceneDevice(CSystem* system) : CRenderDevice(system) {}

    bool Create(CMainWindow* window) override
    {
        mainWindow = window;
        return true;
    }
    void Set2DMode() override { calls.push_back("Set2DMode"); }
    void Set3DMode() override { calls.push_back("Set3DMode"); }
    void LoadShaders() override {}
    void SetLights(Light* lights, int32_t count) override
    {
        calls.push_back("SetLights " + std::to_string(count));
        lastLights.assign(lights, lights + count);
    }
    void DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) override
    {
        calls.push_back("DrawString " + std::string(text) + " @" + std::to_string(x) + "," + std::to_string(y) + " " +
                        std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b));
    }
    void DrawSplash() override { calls.push_back("DrawSplash"); }
    void DrawQuad(ScreenQuad* quad, Texture* texture) override
    {
        calls.push_back("DrawQuad");
        quads.push_back(*quad);
        quadTextures.push_back(texture);
    }
    void CreateTextFont() override {}
    void LoadLevelTextures() override { calls.push_back("LoadLevelTextures"); }
    void LoadLevelGeometry() override { calls.push_back("LoadLevelGeometry"); }
    void ReleaseTextFont() override {}
    void ReleaseLevelTextures() override {}
    void ReleaseLevelGeometry() override {}
    void BeginFrame() override { calls.push_back("BeginFrame"); }
    void EndFrame() override { calls.push_back("EndFrame"); }
    void UpdateCamera() override
    {
        calls.push_back("UpdateCamera");
        CRenderDevice::UpdateCamera();
    }
    void RenderLevel() override
    {
        std::string line = "RenderLevel";
        for (int32_t face : visibleFaces)
            line += " " + std::to_string(face);
        calls.push_back(line);
    }

    std::vector<std::string> calls;
    std::vector<Light> lastLights;
    std::vector<ScreenQuad> quads;
    std::vector<Texture*> quadTextures;
};

} // namespace Tamrik

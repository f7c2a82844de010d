// The engine object: construction order, the renderer choice, the run with its log lines and
// the tear-down.
#include "app/engine.h"

#include <cstdlib>
#include <string>

#include "core/ini_file.h"
#include "core/log.h"
#include "core/main_window.h"
#include "core/system.h"
#include "gui/gui.h"
#include "level/bsp_loader.h"
#include "render/direct3d/direct3d_device.h"
#include "render/opengl/opengl_device.h"

namespace Tamrik {

CEngine::CEngine()
{
    system = new CWin32System;
    // Without its settings the window has no area and the log is off: nothing would say why.
    if (system->settingsError)
        ReportUnreadable("Settings.ini", system->settingsError);
    IniMap& settings = *system->settings;
    if (settings["Display"]["Renderer"] == "Direct3D") {
        device = new CDirect3DRenderDevice(system);
    } else if (settings["Display"]["Renderer"] == "OpenGL") {
        device = new COpenGLRenderDevice(system);
    } else {
        device = new COpenGLRenderDevice(system);
        system->log->Write("Warning: unknown renderer specified, switching to default.\n");
    }
    gui = new CGUI(system);
}

CEngine::~CEngine()
{
    // The device and the GUI manager do not touch the system object while they go.
    delete system;
    system = nullptr;
    delete device;
    device = nullptr;
    delete gui;
    gui = nullptr;
}

void CEngine::Run()
{
    CLog* log = system->log;
    CMainWindow* mainWindow = system->mainWindow;
    IniMap& settings = *system->settings;

    log->Write(".:: CEngine::Run() started ::.\n");
    log->Write("main_thread: Creating main window...\n");
    int width = std::atoi(settings["Display"]["Width"].c_str());
    int height = std::atoi(settings["Display"]["Height"].c_str());
    if (!mainWindow->Create(width, height)) {
        log->Write("main_thread: Failed creating main window!\n");
        return;
    }

    // Without a device there is nothing to draw fonts, GUI or frames with, and nothing to
    // release: the run goes straight to closing the window.
    if (!device->Create(mainWindow)) {
        log->Write("Failed creating render device!\n");
    } else {
        device->InitFont();
        device->CreateTextFont();

        gui->Load();
        device->LoadGUITextures(gui);
        gui->SetActive(true);

        // The flag is tested before each pass only: the pass that sets it still draws.
        while (!system->quit) {
            mainWindow->Update();
            device->RenderFrame();
        }

        device->ReleaseLevelGeometry();
        device->ReleaseLevelTextures();
        device->ReleaseTextFont();
        device->level->Unload();

        if (!device->Destroy())
            log->Write("render_thread: Failed destroying render device!\n");
    }

    log->Write("main_thread: Destroying main window...\n");
    if (!mainWindow->Destroy())
        log->Write("main_thread: Failed destroying main window!\n");

    log->Write(".:: CEngine::Run() finished ::.\n\n\n");
}

} // namespace Tamrik

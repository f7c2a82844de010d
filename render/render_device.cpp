// The render device's scene-object side: construction and destruction orders, the GUI pictures,
// the bitmap font set-up and the exported shader switch.
#include "render/render_device.h"

#include "core/input_listener.h"
#include "core/system.h"
#include "level/bsp_loader.h"
#include "level/material_library.h"
#include "render/camera.h"
#include "script/virtual_machine.h"

namespace Tamrik {

namespace {

const char* const GUI_TEXTURE_FILES[GUI_TEXTURE_COUNT] = {
    "gui/textures/cursor.tga",
    "gui/textures/cursor_resize_vertical.tga",
    "gui/textures/cursor_resize_horizontal.tga",
    "gui/textures/cursor_resize_both.tga",
    "gui/textures/cursor_busy.tga",
    "gui/textures/button.tga",
    "gui/textures/button_highlighted.tga",
    "gui/textures/button_depressed.tga",
    "gui/textures/dialog_tray_active.tga",
    "gui/textures/dialog_tray_inactive.tga",
    "gui/textures/dialog_frame_active.tga",
    "gui/textures/dialog_frame_inactive.tga",
    "gui/textures/dialog_body.tga",
    "gui/textures/checkbox.tga",
    "gui/textures/checkbox_checked.tga",
    "gui/textures/checkbox_highlighted.tga",
    "gui/textures/checkbox_checked_highlighted.tga",
    "gui/textures/radiobutton.tga",
    "gui/textures/radiobutton_checked.tga",
    "gui/textures/radiobutton_highlighted.tga",
    "gui/textures/radiobutton_checked_highlighted.tga",
};

// The record owns both the texture and its pixels.
void FreeGUITexture(GUITextureEntry& entry)
{
    if (entry.texture)
        delete[] entry.texture->pixels;
    delete entry.texture;
    entry.texture = nullptr;
}

} // namespace

CRenderDevice::CRenderDevice(CSystem* system)
    : glyphListBase(0), glyphTextures(nullptr), camera(nullptr), level(nullptr), materials(nullptr),
      mainWindow(nullptr), system(nullptr)
{
    // The entity set's templates and empty arrays come with its own construction; the GUI
    // map and the face set start empty.
    faceCursor = visibleFaces.end();
    this->system = system;
    level = new CBSPLoader(system);
    camera = new CCamera();
    materials = new CMaterialLibrary();
    gui = nullptr;
    loadingStep = LOADING_READ_BSP_FILE;
    splash.handle = 0;
    lastCameraUpdate = 0;
    toggledLightId = 1;
    toggledLightOn = false;
    statusText[0] = '\0';
    timerFrequency = system ? static_cast<uint64_t>(system->GetFrequency()) : 0;
    // Before any listener of the GUI, so the device hears every event first.
    if (system) {
        system->AddListener(INPUT_MOUSE_MOVE, MakeListener<&CRenderDevice::HandleMouseMove>(this));
        system->AddListener(INPUT_MOUSE_BUTTON_DOWN, MakeListener<&CRenderDevice::HandleMouseButtonDown>(this));
        system->AddListener(INPUT_KEY_DOWN, MakeListener<&CRenderDevice::HandleKeyDown>(this));
        system->AddListener(INPUT_KEY_UP, MakeListener<&CRenderDevice::HandleKeyUp>(this));
    }
    shaderProgramLinked = false;
    shaderUsage = false;
    if (system && system->vm)
        system->vm->RegisterObject("RenderDevice", this);
}

// Device resources went with Destroy; the system object may already be gone, so it is not
// touched here, and the listeners are not removed (their lists went with it).
CRenderDevice::~CRenderDevice()
{
    level->Unload();
    delete level;
    delete camera;
    delete materials;
    visibleFaces.clear();
    // The GUI pictures' device textures died with the context; the plain records would
    // otherwise outlive the device for nothing.
    for (auto& [id, entry] : guiTextures)
        FreeGUITexture(entry);
    guiTextures.clear();
    delete[] glyphTextures;
    delete[] splash.pixels;
}

bool CRenderDevice::Destroy() { return true; }

void CRenderDevice::LoadGUITextures(CGUI* gui)
{
    this->gui = gui;
    for (GUITextureId id = 0; id < GUI_TEXTURE_COUNT; ++id) {
        Texture* texture = new Texture();
        LoadTGA(texture, GUI_TEXTURE_FILES[id]);
        GUITextureEntry& entry = guiTextures[id];
        FreeGUITexture(entry);
        entry.texture = texture;
        entry.path = GUI_TEXTURE_FILES[id];
    }
}

void CRenderDevice::ReleaseGUITextures()
{
    gui = nullptr;
    for (auto& [id, entry] : guiTextures)
        FreeGUITexture(entry);
    guiTextures.clear();
}

void CRenderDevice::InitFont()
{
    font.Load();
    delete[] glyphTextures;
    glyphTextures = new uint32_t[font.count]();
}

void CRenderDevice::SetShaderUsage(bool use) { shaderUsage = use; }

bool CRenderDevice::GetShaderUsage() { return shaderUsage; }

} // namespace Tamrik

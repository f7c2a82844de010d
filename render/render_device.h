// The render device: the interface every back-end implements (21 slots, in this order) and the
// scene object that owns the level, its entities, materials, camera, fonts and GUI textures.
// Where the operations live (render/):
//   render_device.cpp          construction and destruction, Destroy, GUI pictures, font set-up,
//                              the shader switch
//   render_frame.cpp           RenderFrame and the loading steps ReadBSPFile, ReadTextures, ReadEntities
//   viewer_input.cpp           the four input listeners HandleMouseButtonDown ... HandleKeyUp
//   camera_update.cpp          UpdateCamera
//   render_device_exports.cpp  the rows of the exported methods
// A back-end implements the slots in its own folder (render/opengl/, render/direct3d/).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "level/entities.h"
#include "render/bitmap_font.h"
#include "render/face_set.h"
#include "image/image.h"
#include "render/gui_types.h"
#include "render/screen_quad.h"

namespace Tamrik {

class CBSPLoader;
class CCamera;
class CGUI;
class CMainWindow;
class CMaterialLibrary;
class CSystem;

struct GUITextureEntry {
    Texture* texture = nullptr; // owned
    std::string path;
};

// The values of CRenderDevice::loadingStep: one loading step per frame, in this order, then frames.
enum LoadingStep : int32_t {
    LOADING_READ_BSP_FILE = 0,
    LOADING_READ_TEXTURES = 1,
    LOADING_READ_MODELS = 2,
    LOADING_READ_ENTITIES = 3,
    LOADING_LOAD_TEXTURES = 4,
    LOADING_LOAD_MODELS = 5,
    LOADING_START_POSITION = 6,
    LOADING_WAIT_FOR_KEY = 7,
    LOADING_DONE = 8,
};

class CRenderDevice {
public:
    explicit CRenderDevice(CSystem* system);
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
    virtual void DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) = 0;
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

    // Declared after the slots so they keep their places; virtual because the engine deletes
    // a back-end through this class.
    virtual ~CRenderDevice();

    // One loading step or one frame; called once per main-loop pass.
    void RenderFrame();

    // The viewer's input listeners, subscribed by the constructor.
    void HandleMouseButtonDown(int32_t button, int32_t unused);
    void HandleMouseMove(int32_t dx, int32_t dy);
    void HandleKeyDown(int32_t scanCode, int32_t unused);
    void HandleKeyUp(int32_t scanCode, int32_t unused);

    // The loading steps LOADING_READ_BSP_FILE, LOADING_READ_TEXTURES and LOADING_READ_ENTITIES:
    // each advances loadingStep by one however it ends.
    bool ReadBSPFile();
    void ReadTextures();
    void ReadEntities();

    // The GUI over the 3D view, in 2D mode: the visible windows, then the cursor. Needs gui.
    void DrawGUI();
    // One window of the GUI with its text and its visible descendants; nothing for null.
    // Window is CGUI::CWindow, which this folder cannot name: gui_drawing.cpp instantiates it.
    template <class Window>
    void DrawWindow(Window* window);
    // The GUI is set and active: it gets the input and is drawn.
    bool GUIActive();

    // Loads the bitmap font and makes room for one texture name per glyph.
    void InitFont();

    // Exported to handler programs.
    void SetShaderUsage(bool use);
    bool GetShaderUsage();

    CEntitySet entities;
    int32_t toggledLightId;
    bool toggledLightOn;
    CBitmapFont font;
    uint32_t glyphListBase;
    uint32_t* glyphTextures; // font.count names once InitFont ran
    Texture splash;
    CCamera* camera;
    CBSPLoader* level;
    CMaterialLibrary* materials;
    int32_t loadingStep; // a LoadingStep
    CMainWindow* mainWindow;
    CSystem* system;
    CGUI* gui;
    std::map<GUITextureId, GUITextureEntry> guiTextures;
    bool shaderProgramLinked;
    bool shaderUsage;
    CFaceSet visibleFaces;
    CFaceSet::const_iterator faceCursor;
    uint64_t lastCameraUpdate;
    uint64_t timerFrequency;
    char statusText[256];
    // DrawWindow's walk, kept so that drawing allocates nothing once it has grown.
    std::vector<void*> guiDrawStack;
};

} // namespace Tamrik

// The OpenGL render device: fixed-function drawing with two texture units, vertex buffers for
// the level's faces, one display list per glyph, and a context on the main window.
// Where the operations live (render/opengl/):
//   opengl_device.cpp     construction, Create, Destroy, BeginFrame, EndFrame, Set2DMode, Set3DMode,
//                         UpdateCamera
//   opengl_2d.cpp         DrawSplash, DrawQuad
//   opengl_level.cpp      LoadLevelGeometry, RenderLevel, ReleaseLevelGeometry
//   opengl_shaders.cpp    LoadShaders, SetLights and the shader logs
//   opengl_text_font.cpp  CreateTextFont, DrawString, ReleaseTextFont
//   opengl_textures.cpp   the level's, the GUI's and the splash picture's textures
#pragma once
#include <cstdint>

#include "platform/gl_context.h"
#include "render/render_device.h"

namespace Tamrik {

class COpenGLRenderDevice : public CRenderDevice {
public:
    explicit COpenGLRenderDevice(CSystem* system);

    bool Create(CMainWindow* window) override;
    bool Destroy() override;
    void LoadGUITextures(CGUI* gui) override;
    void ReleaseGUITextures() override;
    void Set2DMode() override;
    void Set3DMode() override;
    void LoadShaders() override;
    void SetLights(Light* lights, int32_t count) override;
    void DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b) override;
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
    void UpdateCamera() override;
    void RenderLevel() override;

    // The smallest power of two not below n, at least 1: the side of a glyph's texture.
    static int32_t GlyphTextureSide(int32_t n);

    // Write one shader's or the program's info log to the log, unchanged.
    void PrintShaderInfoLog(uint32_t shader);
    void PrintProgramInfoLog(uint32_t shaderProgram);

    uint32_t program = 0;
    platform::Window* deviceContext = nullptr;
    platform::GLContext* renderingContext = nullptr;

private:
    // The main window's size, 0 for a missing window or a negative side; the projections
    // guard a side of 0 themselves.
    void ViewportSize(int32_t* width, int32_t* height) const;
    void LoadSplash();
    // Mipmapped texture from a decoded picture, then its pixels go.
    static void UploadMipmapped(Texture* texture);
};

} // namespace Tamrik

// The Direct3D render device: the fixed-function pipeline of our Direct3D 9 layer in a
// left-handed frame with the level's (x, z, y), centred screen coordinates, and D3DX for
// textures, the text font, the splash sprite and the matrices.
#pragma once
#include <cstdint>

#include "core/ini_file.h"
#include "platform/d3d9/d3dx9.h"
#include "render/render_device.h"

namespace Tamrik {

struct BSPFace;

// A corner of a GUI quad (flexible vertex format 0x142, 24 bytes).
struct QuadVertex {
    float x, y, z;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD QUAD_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A level vertex: 40 bytes with the lightmap pair (0x212), 32 without it (0x112).
struct LevelVertex {
    float position[3];
    float normal[3];
    float surface[2];
    float lightmap[2];
};
constexpr DWORD LEVEL_FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr DWORD LIGHTMAPPED_LEVEL_FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2;
constexpr UINT LEVEL_VERTEX_SIZE = 32;
constexpr UINT LIGHTMAPPED_LEVEL_VERTEX_SIZE = 40;

// What FillTextureCallback reads: decoded pixels (may be null), Image format (1 = RGB, 3 bytes a
// pixel, else 4), width and height.
struct ImageFillSource {
    const uint8_t* pixels;
    int32_t format;
    int32_t width;
    int32_t height;
};

class CDirect3DRenderDevice : public CRenderDevice {
public:
    explicit CDirect3DRenderDevice(CSystem* system);

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

    // The D3DX fill function: the texel at texcoord of the ImageFillSource in source.
    static void FillTextureCallback(D3DXVECTOR4* out, const D3DXVECTOR2* texcoord, const D3DXVECTOR2* texelSize,
                                    void* source);
    // The present parameters for a window of width by height from [Display] of the settings.
    static D3DPRESENT_PARAMETERS PresentParameters(IniMap& settings, HWND window, uint32_t width, uint32_t height);
    // The four corners of a quad in centred coordinates of a width by height window.
    static void WriteQuadVertices(const ScreenQuad& quad, uint32_t width, uint32_t height, QuadVertex out[4]);
    // Where the sprite puts the top-left corner of a splash picture of the given size.
    static D3DXVECTOR3 SplashPosition(uint32_t width, uint32_t height, const Image& picture);
    // The face's vertices in meshvert order, (x, z, y), with the lightmap pair when the face has a
    // lightmap; out holds n_meshverts of them (40 or 32 bytes each). False when the face's
    // references leave the level's lumps.
    static bool WriteLevelVertices(const CBSPLoader& level, const BSPFace& face, uint8_t* out);

    // The face's vertex buffer, kept in its renderer words.
    static IDirect3DVertexBuffer9* FaceBuffer(const BSPFace& face);
    static void SetFaceBuffer(BSPFace& face, IDirect3DVertexBuffer9* buffer);

    IDirect3DDevice9* device = nullptr;
    ID3DXFont* textFont = nullptr;
    IDirect3DVertexBuffer9* quadBuffer = nullptr;

private:
    // The main window's size, 0 for a missing window or a negative side.
    void WindowSize(uint32_t* width, uint32_t* height) const;
};

// The Direct3D texture a Texture, BSPLightmap or the splash carries in its handle, and back.
inline IDirect3DTexture9* TextureOf(uint64_t handle)
{
    return reinterpret_cast<IDirect3DTexture9*>(static_cast<uintptr_t>(handle));
}
inline uint64_t HandleOf(IDirect3DTexture9* texture) { return reinterpret_cast<uintptr_t>(texture); }

} // namespace Tamrik

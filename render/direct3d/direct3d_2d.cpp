// The Direct3D device's screen drawing: the GUI pictures as D3DX textures, GUI quads through the
// one quad buffer, the splash through a sprite and texts through the D3DX font.
#include <cstring>

#include "core/main_window.h"
#include "render/direct3d/d3dx_texture_file.h"
#include "render/direct3d/direct3d_device.h"

namespace Tamrik {

void CDirect3DRenderDevice::LoadGUITextures(CGUI* gui)
{
    CRenderDevice::LoadGUITextures(gui);
    for (auto& [id, entry] : guiTextures) {
        if (!entry.texture)
            continue;
        IDirect3DTexture9* texture = nullptr;
        if (device)
            D3DXCreateTextureFromFileA(device, entry.path.c_str(), &texture);
        entry.texture->handle = HandleOf(texture);
        // D3DX decoded the file itself; the record keeps only the size and format.
        delete[] entry.texture->pixels;
        entry.texture->pixels = nullptr;
    }
}

void CDirect3DRenderDevice::ReleaseGUITextures()
{
    for (auto& [id, entry] : guiTextures) {
        if (!entry.texture || !entry.texture->handle)
            continue;
        TextureOf(entry.texture->handle)->Release();
        entry.texture->handle = 0;
    }
    CRenderDevice::ReleaseGUITextures();
}

void CDirect3DRenderDevice::WriteQuadVertices(const ScreenQuad& quad, uint32_t width, uint32_t height,
                                              QuadVertex out[4])
{
    const double halfWidth = width / 2.0;
    const double halfHeight = height / 2.0;
    // Bottom-left, top-left, bottom-right, top-right: a strip of two triangles, shaded from white
    // at the top to grey at the bottom.
    const int corners[4] = {QUAD_BOTTOM_LEFT, QUAD_TOP_LEFT, QUAD_BOTTOM_RIGHT, QUAD_TOP_RIGHT};
    const D3DCOLOR grey = D3DCOLOR_ARGB(255, 204, 204, 204);
    const D3DCOLOR white = D3DCOLOR_ARGB(255, 255, 255, 255);
    const D3DCOLOR colours[4] = {grey, white, grey, white};
    const float us[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    const float vs[4] = {1.0f, 0.0f, 1.0f, 0.0f};
    for (int i = 0; i < 4; ++i) {
        const ScreenPoint& p = quad.points[corners[i]];
        out[i].x = static_cast<float>(p.x - halfWidth);
        out[i].y = static_cast<float>(halfHeight - p.y);
        out[i].z = 0.0f;
        out[i].diffuse = colours[i];
        out[i].u = us[i];
        out[i].v = vs[i];
    }
}

void CDirect3DRenderDevice::DrawQuad(ScreenQuad* quad, Texture* texture)
{
    if (!device || !quadBuffer || !quad || !texture || !texture->handle)
        return;
    uint32_t width, height;
    WindowSize(&width, &height);
    void* data = nullptr;
    if (FAILED(quadBuffer->Lock(0, 0, &data, 0)))
        return;
    QuadVertex vertices[4];
    WriteQuadVertices(*quad, width, height, vertices);
    std::memcpy(data, vertices, sizeof vertices);
    quadBuffer->Unlock();

    device->SetStreamSource(0, quadBuffer, 0, sizeof(QuadVertex));
    device->SetFVF(QUAD_FVF);
    device->SetTexture(0, TextureOf(texture->handle));
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

D3DXVECTOR3 CDirect3DRenderDevice::SplashPosition(uint32_t width, uint32_t height, const Image& picture)
{
    return {static_cast<float>((static_cast<double>(width) - picture.width) * 0.5),
            static_cast<float>((static_cast<double>(height) - picture.height) * 0.5), 0.0f};
}

void CDirect3DRenderDevice::DrawSplash()
{
    if (!device)
        return;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 255, 247, 240), 1.0f, 0);
    ID3DXSprite* sprite = nullptr;
    if (FAILED(D3DXCreateSprite(device, &sprite)))
        return;
    uint32_t width, height;
    WindowSize(&width, &height);
    const D3DXVECTOR3 position = SplashPosition(width, height, splash);
    sprite->Begin(D3DXSPRITE_SORT_DEPTH_FRONTTOBACK);
    sprite->Draw(TextureOf(splash.handle), nullptr, nullptr, &position, D3DCOLOR_ARGB(255, 255, 255, 255));
    sprite->End();
    sprite->Release();
}

void CDirect3DRenderDevice::CreateTextFont()
{
    if (!device)
        return;
    D3DXFONT_DESCA desc = {};
    desc.Height = 18;
    desc.Width = 0;
    desc.Weight = 500;
    desc.MipLevels = D3DX_DEFAULT;
    desc.Italic = FALSE;
    desc.CharSet = DEFAULT_CHARSET;
    desc.OutputPrecision = OUT_DEFAULT_PRECIS;
    desc.Quality = ANTIALIASED_QUALITY;
    desc.PitchAndFamily = 0;
    std::strcpy(desc.FaceName, "Arial");
    if (textFont)
        textFont->Release();
    textFont = nullptr;
    D3DXCreateFontIndirectA(device, &desc, &textFont);
}

void CDirect3DRenderDevice::ReleaseTextFont()
{
    if (textFont)
        textFont->Release();
    textFont = nullptr;
}

void CDirect3DRenderDevice::DrawString(const char* text, int32_t x, int32_t y, int32_t r, int32_t g, int32_t b)
{
    if (!textFont || !text)
        return;
    uint32_t width, height;
    WindowSize(&width, &height);
    RECT rect = {x, y, static_cast<LONG>(width), static_cast<LONG>(height)};
    textFont->DrawTextA(nullptr, text, -1, &rect, DT_LEFT | DT_TOP,
                        D3DCOLOR_ARGB(255, static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(b)));
}

} // namespace Tamrik

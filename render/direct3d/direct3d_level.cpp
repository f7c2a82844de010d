// The Direct3D device's level: textures and lightmaps filled through the D3DX callback, one
// vertex buffer per polygon and mesh face, and the faces drawn with the lightmap on stage 1.
#include <cstring>

#include "level/bsp_loader.h"
#include "level/level_reading.h"
#include "render/direct3d/direct3d_device.h"

namespace Tamrik {

namespace {

bool IsDrawnType(int32_t type) { return type == 1 || type == 3; }

void FillFrom(IDirect3DTexture9* texture, const ImageFillSource& source)
{
    D3DXFillTexture(texture, CDirect3DRenderDevice::FillTextureCallback, const_cast<ImageFillSource*>(&source));
}

} // namespace

void CDirect3DRenderDevice::FillTextureCallback(D3DXVECTOR4* out, const D3DXVECTOR2* texcoord, const D3DXVECTOR2*,
                                                void* data)
{
    const ImageFillSource* source = static_cast<const ImageFillSource*>(data);
    if (!source || !source->pixels || source->width <= 0 || source->height <= 0) {
        *out = {1.0f, 1.0f, 1.0f, 0.0f};
        return;
    }
    int64_t row = static_cast<int64_t>(static_cast<float>(source->height) * texcoord->y);
    int64_t column = static_cast<int64_t>(static_cast<float>(source->width) * texcoord->x);
    // A texture larger than its picture, or a coordinate at 1, must not read past the pixels.
    row = row < 0 ? 0 : row >= source->height ? source->height - 1 : row;
    column = column < 0 ? 0 : column >= source->width ? source->width - 1 : column;
    const int64_t bytes = source->format == IMAGE_RGB ? 3 : 4;
    const uint8_t* p = source->pixels + (row * source->width + column) * bytes;
    *out = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, bytes == 3 ? 0.0f : p[3] / 255.0f};
}

IDirect3DVertexBuffer9* CDirect3DRenderDevice::FaceBuffer(const BSPFace& face)
{
    // The pointer takes the first two renderer words.
    IDirect3DVertexBuffer9* buffer = nullptr;
    static_assert(sizeof buffer <= sizeof face.buffers);
    std::memcpy(&buffer, face.buffers, sizeof buffer);
    return buffer;
}

void CDirect3DRenderDevice::SetFaceBuffer(BSPFace& face, IDirect3DVertexBuffer9* buffer)
{
    std::memcpy(face.buffers, &buffer, sizeof buffer);
}

void CDirect3DRenderDevice::LoadLevelTextures()
{
    if (!device || !level)
        return;
    const int32_t textureCount = level->RecordCount(LUMP_TEXTURE);
    for (int32_t i = 0; i < textureCount && level->textures; ++i) {
        Texture* texture = level->textures[i].texture;
        if (!texture)
            continue;
        texture->handle = 0;
        IDirect3DTexture9* created = nullptr;
        // Negative sides come only from a broken header; the device refuses such sizes.
        D3DXCreateTexture(device, static_cast<UINT>(texture->width), static_cast<UINT>(texture->height), 0,
                          D3DUSAGE_AUTOGENMIPMAP, texture->format == IMAGE_RGB ? D3DFMT_R8G8B8 : D3DFMT_A8R8G8B8,
                          D3DPOOL_DEFAULT, &created);
        const ImageFillSource source = {texture->pixels, texture->format, texture->width, texture->height};
        FillFrom(created, source);
        texture->handle = HandleOf(created);
        delete[] texture->pixels;
        texture->pixels = nullptr;
    }

    const int32_t lightmapCount = level->RecordCount(LUMP_LIGHTMAP);
    for (int32_t i = 0; i < lightmapCount && level->lightmaps; ++i) {
        BSPLightmap& lightmap = level->lightmaps[i];
        lightmap.handle = 0;
        IDirect3DTexture9* created = nullptr;
        D3DXCreateTexture(device, 128, 128, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_R8G8B8, D3DPOOL_DEFAULT, &created);
        const ImageFillSource source = {&lightmap.map[0][0][0], IMAGE_RGB, 128, 128};
        FillFrom(created, source);
        lightmap.handle = HandleOf(created);
    }
}

void CDirect3DRenderDevice::ReleaseLevelTextures()
{
    if (!level)
        return;
    const int32_t textureCount = level->RecordCount(LUMP_TEXTURE);
    for (int32_t i = 0; i < textureCount && level->textures; ++i) {
        Texture*& texture = level->textures[i].texture;
        if (!texture)
            continue;
        if (IDirect3DTexture9* created = TextureOf(texture->handle))
            created->Release();
        // Records whose texture could not be made go too.
        delete[] texture->pixels;
        delete texture;
        texture = nullptr;
    }
    const int32_t lightmapCount = level->RecordCount(LUMP_LIGHTMAP);
    for (int32_t i = 0; i < lightmapCount && level->lightmaps; ++i) {
        if (IDirect3DTexture9* created = TextureOf(level->lightmaps[i].handle))
            created->Release();
        level->lightmaps[i].handle = 0;
    }
}

bool CDirect3DRenderDevice::WriteLevelVertices(const CBSPLoader& level, const BSPFace& face, uint8_t* out)
{
    if (!FaceMeshvertsFit(level, face))
        return false;
    const bool lightmapped = face.lm_index >= 0;
    const size_t size = lightmapped ? LIGHTMAPPED_LEVEL_VERTEX_SIZE : LEVEL_VERTEX_SIZE;
    for (int32_t k = 0; k < face.n_meshverts; ++k) {
        const BSPVertex& v = level.vertexes[face.vertex + level.meshverts[face.meshvert + k]];
        // Level (x, y, z) to Direct3D (x, z, y).
        LevelVertex vertex = {{v.position[0], v.position[2], v.position[1]},
                              {v.normal[0], v.normal[2], v.normal[1]},
                              {v.texcoord[0][0], v.texcoord[0][1]},
                              {v.texcoord[1][0], v.texcoord[1][1]}};
        std::memcpy(out + static_cast<size_t>(k) * size, &vertex, size);
    }
    return true;
}

void CDirect3DRenderDevice::LoadLevelGeometry()
{
    if (!device || !level || !level->faces)
        return;
    const int32_t faceCount = level->RecordCount(LUMP_FACE);
    for (int32_t f = 0; f < faceCount; ++f) {
        BSPFace& face = level->faces[f];
        SetFaceBuffer(face, nullptr);
        if (!IsDrawnType(face.type) || !FaceMeshvertsFit(*level, face))
            continue;
        const bool lightmapped = face.lm_index >= 0;
        const UINT size = lightmapped ? LIGHTMAPPED_LEVEL_VERTEX_SIZE : LEVEL_VERTEX_SIZE;
        IDirect3DVertexBuffer9* buffer = nullptr;
        if (FAILED(device->CreateVertexBuffer(size * static_cast<UINT>(face.n_meshverts), D3DUSAGE_WRITEONLY,
                                              lightmapped ? LIGHTMAPPED_LEVEL_FVF : LEVEL_FVF, D3DPOOL_DEFAULT,
                                              &buffer, nullptr)))
            continue;
        void* data = nullptr;
        if (SUCCEEDED(buffer->Lock(0, 0, &data, 0))) {
            WriteLevelVertices(*level, face, static_cast<uint8_t*>(data));
            buffer->Unlock();
        }
        SetFaceBuffer(face, buffer);
    }
}

void CDirect3DRenderDevice::ReleaseLevelGeometry()
{
    if (!level || !level->faces)
        return;
    const int32_t faceCount = level->RecordCount(LUMP_FACE);
    for (int32_t f = 0; f < faceCount; ++f) {
        if (IDirect3DVertexBuffer9* buffer = FaceBuffer(level->faces[f]))
            buffer->Release();
        SetFaceBuffer(level->faces[f], nullptr);
    }
}

void CDirect3DRenderDevice::RenderLevel()
{
    if (!device || !level || !level->faces)
        return;
    const int32_t faceCount = level->RecordCount(LUMP_FACE);
    const int32_t textureCount = level->RecordCount(LUMP_TEXTURE);
    const int32_t lightmapCount = level->RecordCount(LUMP_LIGHTMAP);
    for (faceCursor = visibleFaces.begin(); faceCursor != visibleFaces.end(); ++faceCursor) {
        const int32_t index = *faceCursor;
        if (index < 0 || index >= faceCount)
            continue;
        const BSPFace& face = level->faces[index];
        IDirect3DVertexBuffer9* buffer = FaceBuffer(face);
        if (!IsDrawnType(face.type) || !buffer)
            continue;
        if (face.texture < 0 || face.texture >= textureCount || !level->textures[face.texture].texture)
            continue;
        IDirect3DTexture9* surface = TextureOf(level->textures[face.texture].texture->handle);

        if (face.lm_index >= 0) {
            // A lightmap index past the lump draws the face without a lightmap texture.
            IDirect3DTexture9* lightmap =
                face.lm_index < lightmapCount ? TextureOf(level->lightmaps[face.lm_index].handle) : nullptr;
            device->SetStreamSource(0, buffer, 0, LIGHTMAPPED_LEVEL_VERTEX_SIZE);
            device->SetFVF(LIGHTMAPPED_LEVEL_FVF);
            device->SetTexture(0, surface);
            device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
            device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);

            device->SetTexture(1, lightmap);
            device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(1, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
            device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
            device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
            device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);

            device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
            device->SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        } else {
            device->SetStreamSource(0, buffer, 0, LEVEL_VERTEX_SIZE);
            device->SetFVF(LEVEL_FVF);
            device->SetTexture(0, surface);
            device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
            device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
            device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);

            device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
            device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
        }
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(face.n_meshverts / 3));
    }
}

} // namespace Tamrik

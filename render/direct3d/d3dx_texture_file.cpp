// Textures from picture files: decoded by the program's readers, turned top row first and
// written into a new texture.
#include "render/direct3d/d3dx_texture_file.h"

#include <cstdio>

#include "image/image.h"

namespace {

// JPEG files start with a start-of-image marker; everything else is tried as TGA.
bool IsJPEG(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    unsigned char magic[2] = {0, 0};
    const bool jpeg = std::fread(magic, 1, 2, file) == 2 && magic[0] == 0xFF && magic[1] == 0xD8;
    std::fclose(file);
    return jpeg;
}

// TGA rows run bottom-up unless bit 5 of the image descriptor (byte 17) says top-down.
bool TGAStoredTopDown(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    unsigned char header[18] = {};
    const bool read = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fclose(file);
    return read && (header[17] & 0x20) != 0;
}

} // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path, IDirect3DTexture9** texture)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !path)
        return D3DERR_INVALIDCALL;
    Tamrik::Image image;
    const bool jpeg = IsJPEG(path);
    const bool decoded = jpeg ? Tamrik::LoadJPEG(&image, path) : Tamrik::LoadTGA(&image, path);
    if (!decoded || !image.pixels || image.width <= 0 || image.height <= 0 ||
        (image.format != Tamrik::IMAGE_RGB && image.format != Tamrik::IMAGE_RGBA)) {
        delete[] image.pixels;
        return D3DERR_INVALIDCALL;
    }
    const bool flip = !jpeg && !TGAStoredTopDown(path);
    const bool alpha = image.format == Tamrik::IMAGE_RGBA;
    const UINT width = static_cast<UINT>(image.width);
    const UINT height = static_cast<UINT>(image.height);
    IDirect3DTexture9* created = nullptr;
    D3DLOCKED_RECT locked;
    HRESULT result = device->CreateTexture(width, height, 0, 0, alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                                           D3DPOOL_MANAGED, &created, nullptr);
    if (SUCCEEDED(result))
        result = created->LockRect(0, &locked, nullptr, 0);
    if (FAILED(result)) {
        if (created)
            created->Release();
        delete[] image.pixels;
        return result;
    }
    const size_t bytes = alpha ? 4 : 3;
    for (UINT y = 0; y < height; ++y) {
        const UINT sourceRow = flip ? height - 1 - y : y;
        const uint8_t* in = image.pixels + static_cast<size_t>(sourceRow) * width * bytes;
        uint8_t* out = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch);
        for (UINT x = 0; x < width; ++x, in += bytes, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = alpha ? in[3] : 255;
        }
    }
    delete[] image.pixels;
    created->UnlockRect(0);
    *texture = created;
    return D3D_OK;
}

// D3DX textures: creation with D3DX's defaults, and filling level 0 texel by texel through a
// callback (the mipmaps below follow from it).
#include "platform/d3d9/d3dx9.h"

#include "platform/d3d9/gl_device_impl.h"

namespace {

uint8_t ToByte(float v)
{
    if (!(v > 0.0f))
        return 0;
    if (v >= 1.0f)
        return 255;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

UINT Side(UINT requested)
{
    if (requested == 0)
        return 1;
    return requested == D3DX_DEFAULT ? 256 : requested;
}

} // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture)
{
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    return device->CreateTexture(Side(width), Side(height), levels == D3DX_DEFAULT ? 0 : levels, usage, format, pool,
                                 texture, nullptr);
}

HRESULT D3DXFillTexture(IDirect3DTexture9* texture, LPD3DXFILL2D function, void* data)
{
    if (!texture || !function)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (FAILED(texture->GetLevelDesc(0, &desc)) || FAILED(texture->LockRect(0, &locked, nullptr, 0)))
        return D3DERR_INVALIDCALL;
    const UINT bytes = platform::d3d9::GLTexture::BytesPerTexel(desc.Format);
    const D3DXVECTOR2 texelSize = {1.0f / static_cast<float>(desc.Width), 1.0f / static_cast<float>(desc.Height)};
    for (UINT y = 0; y < desc.Height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(locked.pBits) + static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x) {
            // Each texel is asked for at its centre.
            const D3DXVECTOR2 centre = {(static_cast<float>(x) + 0.5f) * texelSize.x,
                                        (static_cast<float>(y) + 0.5f) * texelSize.y};
            D3DXVECTOR4 colour = {0.0f, 0.0f, 0.0f, 0.0f};
            function(&colour, &centre, &texelSize, data);
            uint8_t* texel = row + static_cast<size_t>(x) * bytes;
            texel[0] = ToByte(colour.z);
            texel[1] = ToByte(colour.y);
            texel[2] = ToByte(colour.x);
            if (bytes == 4)
                texel[3] = desc.Format == D3DFMT_A8R8G8B8 ? ToByte(colour.w) : 255;
        }
    }
    return texture->UnlockRect(0);
}
